#include "artbook.h"

#include "signtable.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRawFont>
#include <QRegularExpression>
#include <QResource>
#include <QtEndian>

namespace qd::art {

namespace {

constexpr qreal kFontUnits = 1000; // outlines are taken at this pixel size, then scaled to 1 em

// The bundled fonts' bytes, straight from the program's resources: the fonts are stored there
// uncompressed, so nothing is copied and only the pages that FreeType reads are ever touched.
QByteArray resourceBytes(const QString &path)
{
    const QResource resource(path);
    if (!resource.isValid())
        return {};
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        return QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()), qsizetype(resource.size()));
    return resource.uncompressedData();
}

const QString kMusicFont = QStringLiteral(":/fonts/NotoMusic-Regular.ttf");
const QString kTextFont = QStringLiteral(":/fonts/NotoSans-Regular.ttf");
const QString kBoldFont = QStringLiteral(":/fonts/NotoSans-Bold.ttf");

struct Families
{
    QString music, text;
};

// Registers the bundled fonts with the application once, so that widgets can ask for them by
// family name.
const Families &families()
{
    static const Families f = [] {
        Families r;
        const int musicId = QFontDatabase::addApplicationFontFromData(resourceBytes(kMusicFont));
        const int textId = QFontDatabase::addApplicationFontFromData(resourceBytes(kTextFont));
        QFontDatabase::addApplicationFontFromData(resourceBytes(kBoldFont));
        const QStringList mf = QFontDatabase::applicationFontFamilies(musicId);
        const QStringList tf = QFontDatabase::applicationFontFamilies(textId);
        r.music = mf.isEmpty() ? QStringLiteral("Noto Music") : mf.first();
        r.text = tf.isEmpty() ? QStringLiteral("Noto Sans") : tf.first();
        return r;
    }();
    return f;
}

struct RawFonts
{
    QRawFont music, text, bold;
};

// Raw copies of the fonts for taking outlines without any font matching; only the sources need
// them, the packed book carries the outlines.
const RawFonts &rawFonts()
{
    static const RawFonts f = [] {
        RawFonts r;
        r.music.loadFromData(resourceBytes(kMusicFont), kFontUnits, QFont::PreferNoHinting);
        r.text.loadFromData(resourceBytes(kTextFont), kFontUnits, QFont::PreferNoHinting);
        r.bold.loadFromData(resourceBytes(kBoldFont), kFontUnits, QFont::PreferNoHinting);
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

// A glyph's outline in em units at the pen origin, before its offset and scale: what the fonts (or
// a "path" glyph's own polygon) give for that font and text.
QPainterPath outlineOf(const SignGlyph &g)
{
    const RawFonts &f = rawFonts();
    if (g.font == u"path")
        return polygonPath(g.text);
    if (g.font == u"text")
        return textPath(f.text, g.text);
    if (g.font == u"bold")
        return textPath(f.bold, g.text);
    return textPath(f.music, g.text);
}

QString outlineKey(const SignGlyph &g)
{
    return g.font + u'\n' + g.text;
}

using Outlines = QHash<QString, QPainterPath>;

// The outlines of a sign's glyphs placed at their offsets and scales, with the union of their ink.
InkShape shapeOf(const QList<SignGlyph> &glyphs, const Outlines &outlines)
{
    InkShape s;
    for (const SignGlyph &g : glyphs) {
        QTransform t;
        t.translate(g.offset.x(), g.offset.y());
        t.scale(g.scale, g.scale);
        const QPainterPath path = t.map(outlines.value(outlineKey(g)));
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

// The sign table's shapes, each word once (the first entry wins, as in SignTable::find).
QHash<QString, InkShape> signShapesOf(const SignTable &table, const Outlines &outlines)
{
    QHash<QString, InkShape> shapes;
    for (const Sign &sign : table.signs())
        if (!shapes.contains(sign.word))
            shapes.insert(sign.word, shapeOf(sign.glyphs, outlines));
    return shapes;
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

ArtBook ArtBook::fromSources()
{
    ArtBook book;
    const SignTable &table = SignTable::instance();
    book.m_errors += table.loadError();
    for (const Sign &sign : table.signs())
        for (const SignGlyph &g : sign.glyphs)
            if (!book.m_outlines.contains(outlineKey(g)))
                book.m_outlines.insert(outlineKey(g), outlineOf(g));
    book.m_signShapes = signShapesOf(table, book.m_outlines);

    const QDir dir(QStringLiteral(":/art"));
    for (const QString &file : dir.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        const QString id = file.chopped(5);
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(resourceBytes(dir.filePath(file)), &pe);
        if (!doc.isObject()) {
            book.m_errors += QStringLiteral("art %1: %2\n").arg(id, pe.errorString());
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
                book.m_errors += QStringLiteral("art %1: unknown item type \"%2\"\n").arg(id, type);
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
            if (it.kind == Item::Sign && !book.m_signShapes.contains(it.word))
                book.m_errors += QStringLiteral("art %1: no sign for \"%2\"\n").arg(id, it.word);
            if (it.kind == Item::Text) {
                SignGlyph g;
                g.font = io.value(u"bold").toBool() ? QStringLiteral("bold") : QStringLiteral("text");
                if (io.contains(u"font"))
                    g.font = io.value(u"font").toString();
                g.text = io.value(u"text").toString();
                g.color = io.value(u"color").toString(QStringLiteral("#000000"));
                it.shape = shapeOf({g}, {{outlineKey(g), outlineOf(g)}});
            }
            pic.items.append(it);
        }
        book.m_pictures.insert(id, pic);
    }
    return book;
}

const ArtBook &ArtBook::instance()
{
    static const ArtBook book = [] {
        families();
        const QByteArray packed = resourceBytes(QStringLiteral(":/artbook.bin"));
        if (!packed.isEmpty()) {
            QString error;
            ArtBook b = fromPacked(packed, &error);
            if (error.isEmpty())
                return b;
        }
        // A build of the art library alone has no packed book; the sources draw the same.
        return fromSources();
    }();
    return book;
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

namespace {

// A copy of a shared outline with elements of its own. Drawing a path fills caches inside it
// (its bounds, its vector form); the book's outlines are shared by every picture, which
// render side by side on several threads, so a drawing only ever touches its own copy.
QPainterPath ownCopy(const QPainterPath &shared)
{
    QPainterPath copy = shared;
    if (copy.elementCount() > 0) {
        const QPainterPath::Element first = copy.elementAt(0);
        copy.setElementPositionAt(0, first.x, first.y);
    }
    return copy;
}

} // namespace

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
        p.drawPath(ownCopy(path));
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
    return families().music;
}

QString ArtBook::textFamily()
{
    return families().text;
}

namespace {

// The packed book is a QDataStream of everything the sources make; the header tells a book
// from anything else and a format from its successors.
constexpr quint32 kPackMagic = 0x51444152; // "QDAR"
constexpr quint32 kPackFormat = 3;

// An outline is packed as its elements in one block (a type byte and two little-endian doubles
// each), read back with one copy instead of three stream reads per element. Rebuilding it
// through moveTo, lineTo and cubicTo must give exactly the same elements; an outline for which
// it would not (a repeated point the path API drops) is packed as a plain QDataStream path.
enum OutlineForm : quint8 { StreamedPath = 0, ElementBlock = 1 };
constexpr int kElementBytes = 1 + 2 * int(sizeof(double));

QPainterPath pathFromElements(const char *data, qsizetype count, Qt::FillRule fillRule)
{
    QPainterPath path;
    path.setFillRule(fillRule);
    path.reserve(int(count));
    const auto at = [data](qsizetype i, int field) {
        return qFromLittleEndian<double>(data + i * kElementBytes + 1 + field * int(sizeof(double)));
    };
    const auto typeAt = [data](qsizetype i) { return QPainterPath::ElementType(quint8(data[i * kElementBytes])); };
    for (qsizetype i = 0; i < count; ++i) {
        const QPointF p(at(i, 0), at(i, 1));
        switch (typeAt(i)) {
        case QPainterPath::MoveToElement: path.moveTo(p); break;
        case QPainterPath::LineToElement: path.lineTo(p); break;
        case QPainterPath::CurveToElement:
            if (i + 2 >= count || typeAt(i + 1) != QPainterPath::CurveToDataElement ||
                typeAt(i + 2) != QPainterPath::CurveToDataElement)
                return {};
            path.cubicTo(p, QPointF(at(i + 1, 0), at(i + 1, 1)), QPointF(at(i + 2, 0), at(i + 2, 1)));
            i += 2;
            break;
        default: return {};
        }
    }
    return path;
}

QByteArray elementsOf(const QPainterPath &path)
{
    QByteArray block(qsizetype(path.elementCount()) * kElementBytes, Qt::Uninitialized);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        char *at = block.data() + qsizetype(i) * kElementBytes;
        at[0] = char(quint8(e.type));
        qToLittleEndian<double>(e.x, at + 1);
        qToLittleEndian<double>(e.y, at + 1 + sizeof(double));
    }
    return block;
}

bool sameElements(const QPainterPath &a, const QPainterPath &b)
{
    if (a.elementCount() != b.elementCount() || a.fillRule() != b.fillRule())
        return false;
    for (int i = 0; i < a.elementCount(); ++i) {
        const QPainterPath::Element ea = a.elementAt(i), eb = b.elementAt(i);
        if (ea.type != eb.type || ea.x != eb.x || ea.y != eb.y)
            return false;
    }
    return true;
}

void writeOutline(QDataStream &out, const QPainterPath &outline)
{
    const QByteArray block = elementsOf(outline);
    out << qint32(outline.fillRule());
    if (sameElements(pathFromElements(block.constData(), outline.elementCount(), outline.fillRule()), outline)) {
        out << quint8(ElementBlock) << quint32(outline.elementCount());
        out.writeRawData(block.constData(), int(block.size()));
    } else {
        out << quint8(StreamedPath) << outline;
    }
}

bool readOutline(QDataStream &in, QPainterPath &outline)
{
    qint32 fillRule = 0;
    quint8 form = 0;
    in >> fillRule >> form;
    if (form == StreamedPath) {
        in >> outline;
        return in.status() == QDataStream::Ok;
    }
    quint32 count = 0;
    in >> count;
    if (form != ElementBlock || in.status() != QDataStream::Ok || count > (1u << 24))
        return false;
    QByteArray block(qsizetype(count) * kElementBytes, Qt::Uninitialized);
    if (in.readRawData(block.data(), int(block.size())) != block.size())
        return false;
    outline = pathFromElements(block.constData(), count, Qt::FillRule(fillRule));
    return outline.elementCount() == int(count);
}

QDataStream &operator<<(QDataStream &out, const InkShape &shape)
{
    out << quint32(shape.parts.size());
    for (const auto &[path, color] : shape.parts) {
        writeOutline(out, path);
        out << color;
    }
    return out << shape.bounds;
}

QDataStream &operator>>(QDataStream &in, InkShape &shape)
{
    quint32 count = 0;
    in >> count;
    shape.parts.clear();
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QPainterPath path;
        QColor color;
        if (!readOutline(in, path))
            in.setStatus(QDataStream::ReadCorruptData);
        in >> color;
        shape.parts.append({path, color});
    }
    return in >> shape.bounds;
}

} // namespace

QByteArray ArtBook::packed() const
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kPackMagic << kPackFormat << m_errors;
    // Each glyph outline once: the signs place them from the sign table when the book is read.
    // Sorted, so that the same sources always pack to the same bytes.
    QStringList keys = m_outlines.keys();
    keys.sort();
    out << quint32(keys.size());
    for (const QString &key : std::as_const(keys)) {
        out << key;
        writeOutline(out, m_outlines.value(key));
    }
    const QStringList pictures = ids();
    out << quint32(pictures.size());
    for (const QString &id : pictures) {
        const Picture &pic = m_pictures[id];
        out << id << pic.size << quint32(pic.items.size());
        for (const Item &it : pic.items)
            out << qint32(it.kind) << it.rect << it.points << it.fill << it.outline << it.width << it.radius << it.em
                << it.margin << it.start << it.span << it.word << it.shape;
    }
    return data;
}

ArtBook ArtBook::fromPacked(const QByteArray &data, QString *error)
{
    ArtBook book;
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0, format = 0;
    in >> magic >> format;
    auto fail = [&](const QString &why) {
        if (error)
            *error += QStringLiteral("packed art: %1\n").arg(why);
        return ArtBook();
    };
    if (magic != kPackMagic || format != kPackFormat)
        return fail(QStringLiteral("not a packed book of this format"));
    in >> book.m_errors;
    quint32 outlines = 0;
    in >> outlines;
    for (quint32 i = 0; i < outlines && in.status() == QDataStream::Ok; ++i) {
        QString key;
        QPainterPath outline;
        in >> key;
        if (!readOutline(in, outline))
            return fail(QStringLiteral("outline %1 is damaged or cut short").arg(i));
        book.m_outlines.insert(key, outline);
    }
    quint32 pictures = 0;
    in >> pictures;
    for (quint32 i = 0; i < pictures && in.status() == QDataStream::Ok; ++i) {
        QString id;
        Picture pic;
        quint32 items = 0;
        in >> id >> pic.size >> items;
        for (quint32 j = 0; j < items && in.status() == QDataStream::Ok; ++j) {
            Item it;
            qint32 kind = 0;
            in >> kind >> it.rect >> it.points >> it.fill >> it.outline >> it.width >> it.radius >> it.em >>
                it.margin >> it.start >> it.span >> it.word >> it.shape;
            if (kind < Item::Tile || kind > Item::Arc)
                return fail(QStringLiteral("picture %1 has an item of unknown kind %2").arg(id).arg(kind));
            it.kind = Item::Kind(kind);
            pic.items.append(it);
        }
        book.m_pictures.insert(id, pic);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return fail(QStringLiteral("truncated or with trailing bytes"));
    const SignTable &table = SignTable::instance();
    for (const Sign &sign : table.signs())
        for (const SignGlyph &g : sign.glyphs)
            if (!book.m_outlines.contains(outlineKey(g)))
                return fail(QStringLiteral("no outline for a glyph of %1; the pack is older than the sign table")
                                .arg(sign.word));
    book.m_signShapes = signShapesOf(table, book.m_outlines);
    book.m_packed = true;
    return book;
}

} // namespace qd::art
