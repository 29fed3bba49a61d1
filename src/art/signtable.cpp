#include "signtable.h"

#include <QDataStream>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qd::art {

namespace {

QList<uint> codePointsOf(const QString &text)
{
    QList<uint> out;
    for (char32_t c : text.toUcs4())
        out.append(uint(c));
    return out;
}

SignGlyph glyphFromJson(const QJsonObject &o)
{
    SignGlyph g;
    g.font = o.value(u"font").toString(QStringLiteral("music"));
    if (o.contains(u"cp")) {
        // Code points are written in hex, as Unicode charts give them: "1D051" or "1D047 1D051".
        const QStringList parts = o.value(u"cp").toString().split(u' ', Qt::SkipEmptyParts);
        for (const QString &p : parts) {
            bool ok = false;
            const uint cp = p.toUInt(&ok, 16);
            if (ok) {
                const char32_t c = char32_t(cp);
                g.text += QString::fromUcs4(&c, 1);
            }
        }
    } else {
        g.text = o.value(u"text").toString();
    }
    g.offset = QPointF(o.value(u"x").toDouble(0), o.value(u"y").toDouble(0));
    g.scale = o.value(u"scale").toDouble(1);
    g.color = o.value(u"color").toString(QStringLiteral("#000000"));
    return g;
}

} // namespace

SignTable SignTable::fromJson(const QByteArray &json, QString *error)
{
    SignTable t;
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (!doc.isObject()) {
        t.m_error = QStringLiteral("signs: %1 at offset %2").arg(pe.errorString()).arg(pe.offset);
        if (error)
            *error += t.m_error;
        return t;
    }
    const QJsonArray groups = doc.object().value(u"windows").toArray();
    for (const QJsonValue &gv : groups) {
        const QJsonObject group = gv.toObject();
        const QString window = group.value(u"window").toString();
        for (const QJsonValue &sv : group.value(u"signs").toArray()) {
            const QJsonObject so = sv.toObject();
            Sign s;
            s.window = window;
            s.word = so.value(u"word").toString();
            s.name = so.value(u"name").toString();
            for (const QJsonValue &gl : so.value(u"glyphs").toArray()) {
                SignGlyph g = glyphFromJson(gl.toObject());
                if (g.font != u"path") {
                    for (uint cp : codePointsOf(g.text))
                        if (!s.codePoints.contains(cp))
                            s.codePoints.append(cp);
                }
                s.glyphs.append(g);
            }
            // A sign drawn from stand-in glyphs (a dot beside a gorgon, ...) names the characters
            // it stands for in "cp"; otherwise its code points are those of its glyphs.
            if (so.contains(u"cp")) {
                s.codePoints.clear();
                for (const QString &p : so.value(u"cp").toString().split(u' ', Qt::SkipEmptyParts))
                    s.codePoints.append(p.toUInt(nullptr, 16));
            }
            if (s.word.isEmpty()) {
                t.m_error += QStringLiteral("signs: entry without a word in %1\n").arg(window);
                continue;
            }
            t.append(s);
        }
    }
    if (error)
        *error += t.m_error;
    return t;
}

void SignTable::append(const Sign &sign)
{
    if (!m_byWord.contains(sign.word))
        m_byWord.insert(sign.word, m_signs.size());
    m_signs.append(sign);
}

SignTable SignTable::fromSources()
{
    QFile f(QStringLiteral(":/signs.json"));
    if (!f.open(QIODevice::ReadOnly)) {
        SignTable t;
        t.m_error = QStringLiteral("signs: cannot open :/signs.json");
        return t;
    }
    SignTable t = fromJson(f.readAll());
    // The side palettes' words live in a file of their own; they follow the main window's.
    QFile side(QStringLiteral(":/signs-side.json"));
    if (side.open(QIODevice::ReadOnly)) {
        const SignTable more = fromJson(side.readAll());
        t.m_error += more.m_error;
        for (const Sign &s : more.m_signs)
            t.append(s);
    }
    return t;
}

const SignTable &SignTable::instance()
{
    static const SignTable table = [] {
        QFile packed(QStringLiteral(":/signs.bin"));
        if (packed.open(QIODevice::ReadOnly)) {
            QString error;
            SignTable t = fromPacked(packed.readAll(), &error);
            if (error.isEmpty())
                return t;
        }
        return fromSources();
    }();
    return table;
}

namespace {
constexpr quint32 kPackMagic = 0x51445347; // "QDSG"
constexpr quint32 kPackFormat = 1;
} // namespace

QByteArray SignTable::packed() const
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kPackMagic << kPackFormat << m_error << quint32(m_signs.size());
    for (const Sign &s : m_signs) {
        out << s.window << s.word << s.name << s.codePoints << quint32(s.glyphs.size());
        for (const SignGlyph &g : s.glyphs)
            out << g.font << g.text << g.offset << g.scale << g.color;
    }
    return data;
}

SignTable SignTable::fromPacked(const QByteArray &data, QString *error)
{
    SignTable t;
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0, format = 0, count = 0;
    in >> magic >> format;
    if (magic != kPackMagic || format != kPackFormat) {
        if (error)
            *error += QStringLiteral("signs: not a packed sign table of this format\n");
        return {};
    }
    in >> t.m_error >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Sign s;
        quint32 glyphs = 0;
        in >> s.window >> s.word >> s.name >> s.codePoints >> glyphs;
        for (quint32 j = 0; j < glyphs && in.status() == QDataStream::Ok; ++j) {
            SignGlyph g;
            in >> g.font >> g.text >> g.offset >> g.scale >> g.color;
            s.glyphs.append(g);
        }
        t.append(s);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd()) {
        if (error)
            *error += QStringLiteral("signs: packed sign table truncated or with trailing bytes\n");
        return {};
    }
    return t;
}

const Sign *SignTable::find(const QString &word) const
{
    const auto it = m_byWord.constFind(word);
    return it == m_byWord.constEnd() ? nullptr : &m_signs.at(*it);
}

const Sign *SignTable::find(const QString &window, const QString &word) const
{
    for (const Sign &s : m_signs)
        if (s.window == window && s.word == word)
            return &s;
    return nullptr;
}

QString SignTable::signName(const QString &word) const
{
    const Sign *s = find(word);
    return s ? s->name : QString();
}

QStringList SignTable::words() const
{
    QStringList out;
    for (const Sign &s : m_signs)
        if (m_byWord.value(s.word) == &s - m_signs.constData())
            out.append(s.word);
    return out;
}

QStringList SignTable::words(const QString &window) const
{
    QStringList out;
    for (const Sign &s : m_signs)
        if (s.window == window)
            out.append(s.word);
    return out;
}

QStringList SignTable::windows() const
{
    QStringList out;
    for (const Sign &s : m_signs)
        if (!out.contains(s.window))
            out.append(s.window);
    return out;
}

} // namespace qd::art
