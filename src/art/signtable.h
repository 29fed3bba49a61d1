#pragma once

#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

namespace qd::art {

// One glyph of a sign. Signs that Unicode does not stack by itself (oligon with kentima, petasti
// with apostrofos, ...) are drawn as several glyphs at explicit offsets.
struct SignGlyph
{
    QString font;    // "music" (Noto Music), "text" (Noto Sans), "bold" (Noto Sans Bold) or "path"
    QString text;    // the characters to draw; for "path" a polygon "M x y L x y ... Z" in em units
    QPointF offset;  // pen origin on the baseline, in em units, y growing downwards
    qreal scale = 1; // relative to the sign's em size
    QString color;   // "#rrggbb" or "#aarrggbb"; kept as text so this library needs no Qt Gui
};

struct Sign
{
    QString window; // the window whose key sends the word
    QString word;   // the command word
    QString name;   // e.g. "APOSTROFOS" or "oligon + kentima"
    QList<uint> codePoints;
    QList<SignGlyph> glyphs;
};

// The command words of the palette keys with the sign each one stands for, loaded once from
// :/signs.json (main window) and :/signs-side.json (side windows), or from the packed table
// :/signs.bin that the build makes of them for the program, which reads it without parsing.
class SignTable
{
public:
    static const SignTable &instance();

    // Builds a table from the JSON text of a sign file; errors are appended to *error.
    static SignTable fromJson(const QByteArray &json, QString *error = nullptr);
    // The table from the JSON sources, as instance() has it where no packed table is bundled.
    static SignTable fromSources();
    // The packed form and back; errors are appended to *error.
    QByteArray packed() const;
    static SignTable fromPacked(const QByteArray &data, QString *error = nullptr);

    // The first entry of that word, whichever window it belongs to.
    const Sign *find(const QString &word) const;
    const Sign *find(const QString &window, const QString &word) const;
    QString signName(const QString &word) const;
    QStringList words() const;                      // in file order, without repeats
    QStringList words(const QString &window) const; // in file order
    QStringList windows() const;
    const QList<Sign> &signs() const { return m_signs; }
    QString loadError() const { return m_error; }

private:
    void append(const Sign &sign);

    QList<Sign> m_signs;
    QHash<QString, qsizetype> m_byWord;
    QString m_error;
};

} // namespace qd::art
