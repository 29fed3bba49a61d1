#include "artbook.h"

#include "signtable.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRawFont>
#include <QRegularExpression>

namespace qd::art {

namespace {

constexpr qreal kFontUnits = 1000; // outlines are taken at this pixel size, then scaled to 1 em

struct Fonts
{
    QRawFont music, text, bold;
    QString musicFamily, textFamily;
};

QByteArray readResource(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Registers the bundled fonts with the application once, so that widgets can ask for them by
// family name, and keeps raw copies for drawing outlines without any font matching.
const Fonts &fonts()
{
    static const Fonts f = [] {
        Fonts r;
        const QString music = QStringLiteral(":/fonts/NotoMusic-Regular.ttf");
        const QString text = QStringLiteral(":/fonts/NotoSans-Regular.ttf");
        const QString bold = QStringLiteral(":/fonts/NotoSans-Bold.ttf");
        const int musicId = QFontDatabase::addApplicationFont(music);
        const int textId = QFontDatabase::addApplicationFont(text);
        QFontDatabase::addApplicationFont(bold);
        const QStringList mf = QFontDatabase::applicationFontFamilies(musicId);
        const QStringList tf = QFontDatabase::applicationFontFamilies(textId);
        r.musicFamily = mf.isEmpty() ? QStringLiteral("Noto Music") : mf.first();
        r.textFamily = tf.isEmpty() ? QStringLiteral("Noto Sans") : tf.first();
        r.music.loadFromData(readResource(music), kFontUnits, QFont::PreferNoHinting);
        r.text.loadFromData(readResource(text), kFontUnits, QFont::PreferNoHinting);
        r.bold.loadFromData(readResource(bold), kFontUnits, QFont::PreferNoHinting);
        return r;
    }();
    return f;
}

QPainterPath polygonPath(const QString &data)
{
    // "M x y L x y ... Z": enough for arrows and strokes that no bundled font has.
    QPainterPath path;
    const QStringList tok = data.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    QChar cmd = u'M';
    for (qsizetype i = 0; i < tok.size();) {
        const QString &t = tok.at(i);
        if (t == u"M" || t == u"L" || t == u"Z") {
            cmd = t.at(0);
            ++i;
            if (cmd == u'Z')
                path.closeSubpath();
            continue;
        }
        if (i + 1 >= tok.size())
            break;
        const QPointF pt(t.toDouble(), tok.at(i + 1).toDouble());
        if (cmd == u'M') {
            path.moveTo(pt);
            cmd = u'L';
        } else {
            path.lineTo(pt);
        }
        i += 2;
    }
    return path;
}

QPainterPath textPath(const QRawFont &font, const QString &text)
{
    QPainterPath path;
    if (!font.isValid())
        return path;
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QPointF pen;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        QPainterPath g = font.pathForGlyph(glyphs.at(i));
        g.translate(pen);
        path.addPath(g);
        pen += advances.value(i);
    }
    QTransform toEm;
    toEm.scale(1 / kFontUnits, 1 / kFontUnits);
    return toEm.map(path);
}

QPainterPath glyphPath(const SignGlyph &g)
{
    const Fonts &f = fonts();
    QPainterPath path;
    if (g.font == u"path")
        path = polygonPath(g.text);
    else if (g.font == u"text")
        path = textPath(f.text, g.text);
    else if (g.font == u"bold")
        path = textPath(f.bold, g.text);
    else
        path = textPath(f.music, g.text);
    QTransform t;
    t.translate(g.offset.x(), g.offset.y());
    t.scale(g.scale, g.scale);
    return t.map(path);
}

InkShape shapeOf(const QList<SignGlyph> &glyphs)
{
    InkShape s;
    for (const SignGlyph &g : glyphs) {
        const QPainterPath path = glyphPath(g);
        QColor c = QColor::fromString(g.color);
        if (!c.isValid())
            c = Qt::black;
        s.parts.append({path, c});
        const QRectF b = path.boundingRect();
        if (!b.isEmpty())
            s.bounds = s.bounds.isEmpty() ? b : s.bounds.united(b);
    }
    return s;
}

QRectF rectOf(const QJsonValue &v)
{
    const QJsonArray a = v.toArray();
    return QRectF(a.at(0).toDouble(), a.at(1).toDouble(), a.at(2).toDouble(), a.at(3).toDouble());
}

QColor colorOf(const QJsonValue &v)
{
    return v.isString() ? QColor::fromString(v.toString()) : QColor();
}

} // namespace

ArtBook::ArtBook()
{
    fonts();
    const SignTable &table = SignTable::instance();
    m_errors += table.loadError();
    for (const Sign &s : table.signs())
        if (!m_signShapes.contains(s.word))
            m_signShapes.insert(s.word, buildShape(s));

    const QDir dir(QStringLiteral(":/art"));
    for (const QString &file : dir.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        const QString id = file.chopped(5);
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(readResource(dir.filePath(file)), &pe);
        if (!doc.isObject()) {
            m_errors += QStringLiteral("art %1: %2\n").arg(id, pe.errorString());
            continue;
        }
        const QJsonObject o = doc.object();
        Picture pic;
        const QJsonArray size = o.value(u"size").toArray();
        pic.size = QSize(size.at(0).toInt(), size.at(1).toInt());
        static const QHash<QString, Item::Kind> kinds = {
            {QStringLiteral("tile"), Item::Tile},       {QStringLiteral("sign"), Item::Sign},
            {QStringLiteral("text"), Item::Text},       {QStringLiteral("ellipse"), Item::Ellipse},
            {QStringLiteral("polygon"), Item::Polygon}, {QStringLiteral("polyline"), Item::Polyline},
            {QStringLiteral("line"), Item::Line},       {QStringLiteral("arc"), Item::Arc},
        };
        for (const QJsonValue &iv : o.value(u"items").toArray()) {
            const QJsonObject io = iv.toObject();
            const QString type = io.value(u"type").toString();
            if (!kinds.contains(type)) {
                m_errors += QStringLiteral("art %1: unknown item type \"%2\"\n").arg(id, type);
                continue;
            }
            Item it;
            it.kind = kinds.value(type);
            it.rect = rectOf(io.value(u"rect"));
            for (const QJsonValue &pv : io.value(u"points").toArray()) {
                const QJsonArray pa = pv.toArray();
                it.points.append(QPointF(pa.at(0).toDouble(), pa.at(1).toDouble()));
            }
            it.fill = colorOf(io.value(u"fill"));
            it.outline = colorOf(io.value(u"outline").isUndefined() ? io.value(u"color") : io.value(u"outline"));
            it.width = io.value(u"width").toDouble(1);
            it.radius = io.value(u"radius").toDouble(0);
            it.em = io.value(u"em").toDouble(0);
            it.margin = io.value(u"margin").toDouble(0.1);
            it.start = io.value(u"start").toDouble(0);
            it.span = io.value(u"span").toDouble(360);
            it.word = io.value(u"word").toString();
            if (it.kind == Item::Sign && !m_signShapes.contains(it.word))
                m_errors += QStringLiteral("art %1: no sign for \"%2\"\n").arg(id, it.word);
            if (it.kind == Item::Text) {
                SignGlyph g;
                g.font = io.value(u"bold").toBool() ? QStringLiteral("bold") : QStringLiteral("text");
                if (io.contains(u"font"))
                    g.font = io.value(u"font").toString();
                g.text = io.value(u"text").toString();
                g.color = io.value(u"color").toString(QStringLiteral("#000000"));
                it.shape = shapeOf({g});
            }
            pic.items.append(it);
        }
        m_pictures.insert(id, pic);
    }
}

const ArtBook &ArtBook::instance()
{
    static const ArtBook book;
    return book;
}

InkShape ArtBook::buildShape(const Sign &sign) const
{
    return shapeOf(sign.glyphs);
}

bool ArtBook::contains(const QString &id) const
{
    return m_pictures.contains(id);
}

QStringList ArtBook::ids() const
{
    QStringList out = m_pictures.keys();
    out.sort();
    return out;
}

QSize ArtBook::size(const QString &id) const
{
    return m_pictures.value(id).size;
}

InkShape ArtBook::signShape(const QString &word) const
{
    return m_signShapes.value(word);
}

void ArtBook::drawShape(QPainter &p, const InkShape &shape, const QRectF &rect, qreal em, qreal margin)
{
    if (shape.isEmpty() || rect.isEmpty())
        return;
    const qreal m = margin * qMin(rect.width(), rect.height());
    const QRectF room = rect.adjusted(m, m, -m, -m);
    qreal s = qMin(room.width() / shape.bounds.width(), room.height() / shape.bounds.height());
    if (em > 0)
        s = qMin(s, em);
    p.save();
    p.translate(rect.center());
    p.scale(s, s);
    p.translate(-shape.bounds.center());
    p.setPen(Qt::NoPen);
    for (const auto &[path, color] : shape.parts) {
        p.setBrush(color);
        p.drawPath(path);
    }
    p.restore();
}

void ArtBook::paint(QPainter &p, const QString &id, const QRectF &target) const
{
    const auto it = m_pictures.constFind(id);
    if (it == m_pictures.constEnd() || it->size.isEmpty())
        return;
    const Picture &pic = *it;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(target.topLeft());
    p.scale(target.width() / pic.size.width(), target.height() / pic.size.height());
    for (const Item &item : pic.items) {
        QPen pen = item.outline.isValid() ? QPen(item.outline, item.width) : QPen(Qt::NoPen);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
        switch (item.kind) {
        case Item::Tile: p.drawRoundedRect(item.rect, item.radius, item.radius); break;
        case Item::Sign: drawShape(p, m_signShapes.value(item.word), item.rect, item.em, item.margin); break;
        case Item::Text: drawShape(p, item.shape, item.rect, item.em, item.margin); break;
        case Item::Ellipse: p.drawEllipse(item.rect); break;
        case Item::Polygon: p.drawPolygon(item.points.constData(), int(item.points.size())); break;
        case Item::Polyline:
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(item.points.constData(), int(item.points.size()));
            break;
        case Item::Line:
            if (item.points.size() >= 2)
                p.drawLine(item.points.at(0), item.points.at(1));
            break;
        case Item::Arc:
            p.setBrush(Qt::NoBrush);
            p.drawArc(item.rect, int(item.start * 16), int(item.span * 16));
            break;
        }
    }
    p.restore();
}

QImage ArtBook::render(const QString &id, const QSize &pixels) const
{
    QImage img(pixels, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    paint(p, id, QRectF(QPointF(0, 0), QSizeF(pixels)));
    return img;
}

QString ArtBook::musicFamily()
{
    return fonts().musicFamily;
}

QString ArtBook::textFamily()
{
    return fonts().textFamily;
}

} // namespace qd::art
