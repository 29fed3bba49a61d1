#include "looks.h"

#include <QFile>
#include <QJsonDocument>

namespace qd::palette {

namespace {
LookSet &mutableInstance()
{
    static LookSet set;
    return set;
}
} // namespace

const LookSet &LookSet::instance()
{
    return mutableInstance();
}

void LookSet::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("look set %s is missing", qPrintable(path));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    LookSet &set = mutableInstance();
    set.m_looks.clear();
    for (auto it = root.begin(); it != root.end(); ++it)
        set.m_looks.insert(it.key(), it.value().toObject());
}

QColor LookSet::color(const QString &look, const QString &key, const QColor &fallback) const
{
    const QString value = m_looks.value(look).value(key).toString();
    if (value.isEmpty())
        return fallback;
    // "#AARRGGBB" and "#RRGGBB" both work with QColor::fromString.
    const QColor c = QColor::fromString(value);
    return c.isValid() ? c : fallback;
}

double LookSet::number(const QString &look, const QString &key, double fallback) const
{
    const QJsonValue v = m_looks.value(look).value(key);
    return v.isDouble() ? v.toDouble() : fallback;
}

} // namespace qd::palette
