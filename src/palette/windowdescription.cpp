#include "windowdescription.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace qd::palette {

namespace {

[[noreturn]] void fail(const QString &origin, const QString &what)
{
    qFatal("window description %s: %s", qPrintable(origin), qPrintable(what));
}

QRectF rectOf(const QJsonValue &v, const QString &origin, const QString &name)
{
    const QJsonArray a = v.toArray();
    if (a.size() != 4)
        fail(origin, QStringLiteral("control %1 needs rect [x, y, w, h]").arg(name));
    return QRectF(a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble());
}

ControlSpec controlOf(const QJsonObject &o, const QString &origin)
{
    ControlSpec c;
    c.kind = o.value(QLatin1String("kind")).toString();
    c.name = o.value(QLatin1String("name")).toString();
    c.parent = o.value(QLatin1String("parent")).toString();
    if (o.contains(QLatin1String("rect")))
        c.rect = rectOf(o.value(QLatin1String("rect")), origin, c.name);
    if (o.contains(QLatin1String("scale"))) {
        const QJsonArray s = o.value(QLatin1String("scale")).toArray();
        c.scale = QSizeF(s.at(0).toDouble(1), s.at(1).toDouble(1));
    }
    c.look = o.value(QLatin1String("look")).toString();
    c.visible = o.value(QLatin1String("visible")).toBool(true);
    c.caption = o.value(QLatin1String("caption")).toString();
    c.text = o.value(QLatin1String("text")).toString();
    c.bold = o.value(QLatin1String("bold")).toBool(false);
    c.fontSize = o.value(QLatin1String("fontSize")).toDouble(0);
    c.radius = o.value(QLatin1String("radius")).toDouble(-1);
    c.handler = o.value(QLatin1String("handler")).toString();
    c.art = o.value(QLatin1String("art")).toString();
    c.focus = o.value(QLatin1String("focus")).toBool(false);
    c.accessibleName = o.value(QLatin1String("accessibleName")).toString();
    c.accessibleDescription = o.value(QLatin1String("accessibleDescription")).toString();
    c.frames = o.value(QLatin1String("frames")).toInt(1);
    c.rows = o.value(QLatin1String("rows")).toInt(1);
    c.duration = o.value(QLatin1String("duration")).toDouble(0.2);
    c.enabled = o.value(QLatin1String("enabled")).toBool(false);
    return c;
}

} // namespace

WindowDescription WindowDescription::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, QStringLiteral("cannot be opened"));
    return parse(file.readAll(), path);
}

WindowDescription WindowDescription::parse(const QByteArray &json, const QString &origin)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull())
        fail(origin, error.errorString());
    const QJsonObject root = doc.object();
    WindowDescription d;
    d.window = root.value(QLatin1String("window")).toString();
    d.caption = root.value(QLatin1String("caption")).toString();
    const QJsonArray client = root.value(QLatin1String("clientSize")).toArray();
    d.clientSize = QSizeF(client.at(0).toDouble(), client.at(1).toDouble());
    d.scaled = root.value(QLatin1String("scaled")).toBool(false);
    for (const QJsonValue &v : root.value(QLatin1String("tabOrder")).toArray())
        d.tabOrder.append(v.toString());

    QSet<QString> names;
    auto add = [&](ControlSpec c) {
        if (c.name.isEmpty())
            fail(origin, QStringLiteral("a %1 control has no name").arg(c.kind));
        if (names.contains(c.name))
            fail(origin, QStringLiteral("control %1 is declared twice").arg(c.name));
        if (!c.parent.isEmpty() && !names.contains(c.parent))
            fail(origin, QStringLiteral("control %1 names parent %2 before it is declared").arg(c.name, c.parent));
        names.insert(c.name);
        d.controls.append(std::move(c));
    };

    static const QSet<QString> kinds{
        QStringLiteral("panel"),      QStringLiteral("picture"),  QStringLiteral("key"),  QStringLiteral("button"),
        QStringLiteral("checkbox"),   QStringLiteral("edit"),     QStringLiteral("memo"), QStringLiteral("label"),
        QStringLiteral("picturebox"), QStringLiteral("animation")};
    for (const QJsonValue &v : root.value(QLatin1String("controls")).toArray()) {
        const QJsonObject o = v.toObject();
        const QString kind = o.value(QLatin1String("kind")).toString();
        if (kind == QLatin1String("keys")) {
            const ControlSpec group = controlOf(o, origin);
            const QJsonArray size = o.value(QLatin1String("size")).toArray();
            const QJsonObject captions = o.value(QLatin1String("captions")).toObject();
            for (const QJsonValue &k : o.value(QLatin1String("keys")).toArray()) {
                const QJsonArray a = k.toArray();
                if (a.size() != 3 && a.size() != 5)
                    fail(origin,
                         QStringLiteral("a key of %1 needs [name, x, y] or [name, x, y, w, h]").arg(group.parent));
                ControlSpec key = group;
                key.kind = QStringLiteral("key");
                key.name = a[0].toString();
                const double w = a.size() == 5 ? a[3].toDouble() : size.at(0).toDouble();
                const double h = a.size() == 5 ? a[4].toDouble() : size.at(1).toDouble();
                key.rect = QRectF(a[1].toDouble(), a[2].toDouble(), w, h);
                key.caption = captions.value(key.name).toString();
                add(std::move(key));
            }
            continue;
        }
        if (!kinds.contains(kind))
            fail(origin, QStringLiteral("unknown kind \"%1\"").arg(kind));
        add(controlOf(o, origin));
    }
    return d;
}

} // namespace qd::palette
