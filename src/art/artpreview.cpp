// Renders the palette pictures and the sign table to PNG files for a look by eye, and dumps the ink
// boxes of the bundled fonts' glyphs for tools/genart.py. Run with QT_QPA_PLATFORM=offscreen.
//
//   artpreview OUTDIR [id[:WxH] ...]   pictures (all of them at 4x when no id is given)
//   artpreview --signs FILE.png        every sign of the sign table in a labelled grid
//   artpreview --metrics FILE.json     glyph ink boxes in font units (1000 per em, y down)
//   artpreview --collage FILE.png id:WxH ...   the pictures one below the other on panel grey
//   artpreview --window DESCRIPTION.json FILE.png WxH [--all]   a window's panels and pictures as
//              laid out on a screen of that size, with each key's disc outlined in red; --all also
//              draws the panels hidden at start
//   artpreview --tiles OUTDIR id:WxH ... word:WxH ...   for the sign sheet (tools/gensigndoc.py):
//              each picture drawn at WxH and cut into OUTDIR/<word>.png, one file per sign tile;
//              a word that has no picture is drawn alone on white at WxH

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
    QJsonObject out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QRawFont font(f.readAll(), 1000, QFont::PreferNoHinting);
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

// Draws the panels, pictures and keys of a window description, to check that keys lie over
// their tiles on a real screen size.
int windowSheet(const QString &description, const QString &file, const QSize &screen, bool all)
{
    QFile f(description);
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
    QImage img(screen, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(0xf0, 0xf0, 0xf0));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QHash<QString, QTransform> place;
    QHash<QString, bool> shown;
    const bool scaled = root.value(u"scaled").toBool(true);
    const auto rectOf = [](const QJsonValue &v) {
        const QJsonArray a = v.toArray();
        return QRectF(a.at(0).toDouble(), a.at(1).toDouble(), a.at(2).toDouble(), a.at(3).toDouble());
    };
    for (const QJsonValue &cv : root.value(u"controls").toArray()) {
        const QJsonObject c = cv.toObject();
        const QString kind = c.value(u"kind").toString();
        const QString parent = c.value(u"parent").toString();
        const QTransform base = place.value(parent);
        const bool parentShown = parent.isEmpty() || shown.value(parent, false);
        const bool visible = parentShown && (all || c.value(u"visible").toBool(true));
        if (kind == u"keys") {
            if (!visible)
                continue;
            const QJsonArray size = c.value(u"size").toArray();
            for (const QJsonValue &kv : c.value(u"keys").toArray()) {
                const QJsonArray k = kv.toArray();
                const QRectF r(k.at(1).toDouble(), k.at(2).toDouble(),
                               k.size() > 3 ? k.at(3).toDouble() : size.at(0).toDouble(),
                               k.size() > 4 ? k.at(4).toDouble() : size.at(1).toDouble());
                p.setTransform(base);
                p.setPen(QPen(QColor(255, 0, 0, 160), 0));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(r);
            }
            continue;
        }
        const QRectF r = rectOf(c.value(u"rect"));
        QPointF scale(1, 1);
        const QJsonArray sa = c.value(u"scale").toArray();
        if (sa.size() == 2)
            scale = QPointF(sa.at(0).toDouble(), sa.at(1).toDouble());
        const QString name = c.value(u"name").toString();
        if (name == u"Panel1" && scaled)
            scale = QPointF(screen.width() / 1024.0, screen.height() / 720.0);
        QTransform t;
        t.translate(r.x(), r.y());
        t.scale(scale.x(), scale.y());
        place.insert(name, t * base);
        shown.insert(name, visible);
        if (!visible)
            continue;
        p.setTransform(base);
        if (kind == u"panel" && name != u"Panel1") {
            p.setPen(QPen(QColor(0x9c, 0x9c, 0x9c), 0));
            p.setBrush(QColor(0xd6, 0xd6, 0xd6));
            p.drawRoundedRect(QRectF(r.topLeft(), QSizeF(r.width() * scale.x(), r.height() * scale.y())), 5, 5);
        } else if (kind == u"picture") {
            const QRectF target(r.topLeft(), QSizeF(r.width() * scale.x(), r.height() * scale.y()));
            // Paint without the painter's scale so the picture is drawn at device resolution.
            const QRectF device = base.mapRect(target);
            p.resetTransform();
            ArtBook::instance().paint(p, c.value(u"art").toString(), device);
        }
    }
    p.end();
    return img.save(file) ? 0 : 1;
}

QSize sizeOf(const QString &wh)
{
    return QSize(wh.section(u'x', 0, 0).toInt(), wh.section(u'x', 1).toInt());
}

// Cuts pictures into one PNG file per sign tile, as they look at that size on the screen.
int tiles(const QString &dir, const QStringList &requests)
{
    const ArtBook &book = ArtBook::instance();
    QDir().mkpath(dir);
    for (const QString &request : requests) {
        const QString id = request.section(u':', 0, 0);
        const QSize size = sizeOf(request.section(u':', 1));
        if (size.isEmpty())
            return 2;
        const QString file = QDir(dir).filePath(id + QStringLiteral(".png"));
        if (!book.contains(id)) {
            // A key without a picture: its sign alone.
            QImage img(size, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::white);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            ArtBook::drawShape(p, book.signShape(id), QRectF(QPointF(0, 0), QSizeF(size)), 0, 0.15);
            p.end();
            if (!img.save(file))
                return 1;
            continue;
        }
        QFile f(QStringLiteral(":/art/%1.json").arg(id));
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const QImage picture = book.render(id, size);
        const QSize own = book.size(id);
        const qreal sx = qreal(size.width()) / own.width(), sy = qreal(size.height()) / own.height();
        const QJsonArray items = QJsonDocument::fromJson(f.readAll()).object().value(u"items").toArray();
        const auto rectOf = [](const QJsonObject &item) {
            const QJsonArray r = item.value(u"rect").toArray();
            return QRectF(r.at(0).toDouble(), r.at(1).toDouble(), r.at(2).toDouble(), r.at(3).toDouble());
        };
        for (const QJsonValue &v : items) {
            const QJsonObject item = v.toObject();
            if (item.value(u"type").toString() != u"sign")
                continue;
            // The tile or disc the sign stands on, if any, else the sign's own rectangle.
            QRectF r = rectOf(item);
            qreal area = qInf();
            for (const QJsonValue &o : items) {
                const QJsonObject under = o.toObject();
                const QString type = under.value(u"type").toString();
                const QRectF t = rectOf(under);
                if ((type == u"tile" || type == u"ellipse") && t.contains(rectOf(item).center()) &&
                    t.width() * t.height() < area && t.width() < own.width() / 2.0) {
                    area = t.width() * t.height();
                    r = t.united(rectOf(item));
                }
            }
            const QRect cut = QRectF(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy)
                                  .toAlignedRect()
                                  .adjusted(-1, -1, 1, 1)
                                  .intersected(picture.rect());
            const QString word = item.value(u"word").toString();
            if (!picture.copy(cut).save(QDir(dir).filePath(word + QStringLiteral(".png"))))
                return 1;
        }
    }
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
    if (args.size() >= 3 && args.at(0) == u"--tiles")
        return tiles(args.at(1), args.mid(2));
    if (args.isEmpty()) {
        err << "usage: artpreview OUTDIR [id[:WxH] ...] | --signs FILE.png | --metrics FILE.json" << Qt::endl;
        return 2;
    }
    if (args.size() >= 4 && args.at(0) == u"--window") {
        const QString wh = args.at(3);
        return windowSheet(args.at(1), args.at(2), QSize(wh.section(u'x', 0, 0).toInt(), wh.section(u'x', 1).toInt()),
                           args.contains(QStringLiteral("--all")));
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
