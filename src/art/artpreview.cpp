// Renders the palette pictures and the sign table to PNG files for a look by eye, and dumps the ink
// boxes of the bundled fonts' glyphs for tools/genart.py. Run with QT_QPA_PLATFORM=offscreen.
//
//   artpreview OUTDIR [id[:WxH] ...]   pictures (all of them at 4x when no id is given)
//   artpreview --signs FILE.png        every sign of the sign table in a labelled grid
//   artpreview --metrics FILE.json     glyph ink boxes in font units (1000 per em, y down)
//   artpreview --collage FILE.png id:WxH ...   the pictures one below the other on panel grey

#include "art/artbook.h"
#include "art/signtable.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRawFont>
#include <QTextStream>

using qd::art::ArtBook;
using qd::art::SignTable;

namespace {

QJsonObject metricsOf(const QString &resource, const QString &chars, bool byHex)
{
    QFile f(resource);
    f.open(QIODevice::ReadOnly);
    const QRawFont font(f.readAll(), 1000, QFont::PreferNoHinting);
    QJsonObject out;
    for (char32_t c : chars.toUcs4()) {
        const QString s = QString::fromUcs4(&c, 1);
        if (!font.supportsCharacter(c))
            continue;
        const QList<quint32> g = font.glyphIndexesForString(s);
        const QRectF b = font.pathForGlyph(g.value(0)).boundingRect();
        const QList<QPointF> adv = font.advancesForGlyphIndexes(g);
        const QString key = byHex ? QString::number(uint(c), 16).toUpper() : s;
        out.insert(key, QJsonArray{b.left(), b.top(), b.right(), b.bottom(), adv.value(0).x()});
    }
    return out;
}

int dumpMetrics(const QString &file)
{
    QString block;
    for (char32_t c = 0x1D000; c <= 0x1D0F5; ++c)
        block += QString::fromUcs4(&c, 1);
    QString text = QStringLiteral("0123456789()[]'’ʹ′ -+.,:;·");
    for (char16_t c = 0x391; c <= 0x3C9; ++c)
        text += QChar(c);
    QJsonObject root;
    root.insert(u"music", metricsOf(QStringLiteral(":/fonts/NotoMusic-Regular.ttf"), block, true));
    root.insert(u"text", metricsOf(QStringLiteral(":/fonts/NotoSans-Regular.ttf"), text, false));
    root.insert(u"bold", metricsOf(QStringLiteral(":/fonts/NotoSans-Bold.ttf"), text, false));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    out.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    return 0;
}

int signSheet(const QString &file)
{
    const ArtBook &book = ArtBook::instance();
    const QStringList words = SignTable::instance().words();
    const int cols = 16, cell = 110, label = 18;
    const int rows = int((words.size() + cols - 1) / cols);
    QImage img(cols * cell, rows * (cell + label), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QRectF r((i % cols) * cell, (i / cols) * (cell + label), cell, cell);
        p.setPen(QColor(0xcc, 0xcc, 0xcc));
        p.setBrush(QColor(0xf4, 0xf4, 0xf0));
        p.drawRect(r.adjusted(2, 2, -2, -2));
        ArtBook::drawShape(p, book.signShape(words.at(i)), r, 60, 0.12);
        p.setPen(Qt::black);
        p.drawText(QRectF(r.left(), r.bottom(), cell, label), Qt::AlignCenter, words.at(i));
    }
    return img.save(file) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    if (args.size() == 2 && args.at(0) == u"--metrics")
        return dumpMetrics(args.at(1));
    const ArtBook &book = ArtBook::instance();
    if (!book.loadErrors().isEmpty())
        err << book.loadErrors() << Qt::endl;
    if (args.size() == 2 && args.at(0) == u"--signs")
        return signSheet(args.at(1));
    if (args.isEmpty()) {
        err << "usage: artpreview OUTDIR [id[:WxH] ...] | --signs FILE.png | --metrics FILE.json" << Qt::endl;
        return 2;
    }
    if (args.size() > 2 && args.at(0) == u"--collage") {
        QList<QPair<QString, QSize>> parts;
        QSize total(0, 0);
        for (const QString &spec : args.mid(2)) {
            const QString wh = spec.section(u':', 1);
            const QSize size(wh.section(u'x', 0, 0).toInt(), wh.section(u'x', 1).toInt());
            parts.append({spec.section(u':', 0, 0), size});
            total = QSize(qMax(total.width(), size.width()), total.height() + size.height() + 12);
        }
        QImage img(total + QSize(24, 12), QImage::Format_ARGB32_Premultiplied);
        img.fill(QColor(0xd6, 0xd6, 0xd6));
        QPainter p(&img);
        int y = 12;
        for (const auto &[id, size] : parts) {
            book.paint(p, id, QRectF(QPointF(12, y), QSizeF(size)));
            y += size.height() + 12;
        }
        p.end();
        return img.save(args.at(1)) ? 0 : 1;
    }
    QDir().mkpath(args.at(0));
    QStringList ids = args.mid(1);
    if (ids.isEmpty())
        ids = book.ids();
    for (const QString &spec : ids) {
        const QString id = spec.section(u':', 0, 0);
        QSize size = book.size(id) * 4;
        const QString wh = spec.section(u':', 1);
        if (!wh.isEmpty())
            size = QSize(wh.section(u'x', 0, 0).toInt(), wh.section(u'x', 1).toInt());
        if (!book.contains(id)) {
            err << "no picture " << id << Qt::endl;
            continue;
        }
        book.render(id, size).save(QDir(args.at(0)).filePath(id + QStringLiteral(".png")));
    }
    return 0;
}
