#pragma once

#include <QColor>
#include <QHash>
#include <QJsonObject>
#include <QString>

namespace qd::palette {

// The application-wide touch look set. Every control asks for its look by name;
// colours, radii and timings come from the resource file, the drawing from looks.cpp.
class LookSet
{
public:
    static const LookSet &instance();
    // Loads the look set from the program's resources. Called once, before any window exists.
    static void load(const QString &path = QStringLiteral(":/looks.json"));

    bool contains(const QString &look) const { return m_looks.contains(look); }
    QColor color(const QString &look, const QString &key, const QColor &fallback = Qt::black) const;
    double number(const QString &look, const QString &key, double fallback = 0) const;

private:
    QHash<QString, QJsonObject> m_looks;
};

} // namespace qd::palette
