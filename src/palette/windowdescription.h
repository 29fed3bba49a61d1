#pragma once

#include <QList>
#include <QMap>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace qd::palette {

// One control as a window description declares it. Positions and sizes are in the
// parent's units, before the control's own scale.
struct ControlSpec
{
    QString kind;
    QString name;
    QString parent;
    QRectF rect;
    QSizeF scale{1, 1};
    QString look;
    bool visible = true;
    QString caption;
    QString text;
    bool bold = false;
    double fontSize = 0;
    double radius = -1;
    QString handler;
    QString art;
    bool focus = false;
    QString accessibleName;
    QString accessibleDescription;
    // animations
    int frames = 1;
    int rows = 1;
    double duration = 0.2;
    bool enabled = false;
};

struct WindowDescription
{
    QString window;
    QString caption;
    QSizeF clientSize;
    bool scaled = false;
    QList<ControlSpec> controls; // creation and stacking order, `keys` groups expanded
    QStringList tabOrder;        // keyboard focus order of the controls that take focus

    // Reads a description; a malformed one is a programming error and stops the program
    // with a message naming the file and the fault, so it shows on the first run.
    static WindowDescription load(const QString &path);
    static WindowDescription parse(const QByteArray &json, const QString &origin);
};

} // namespace qd::palette
