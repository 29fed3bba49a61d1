#include "signtable.h"

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
            if (!t.m_byWord.contains(s.word))
                t.m_byWord.insert(s.word, t.m_signs.size());
            t.m_signs.append(s);
        }
    }
    if (error)
        *error += t.m_error;
    return t;
}

const SignTable &SignTable::instance()
{
    static const SignTable table = [] {
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
            for (const Sign &s : more.m_signs) {
                if (!t.m_byWord.contains(s.word))
                    t.m_byWord.insert(s.word, t.m_signs.size());
                t.m_signs.append(s);
            }
        }
        return t;
    }();
    return table;
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
