#include "offscreenscreen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace qd::palette {

QSize parseScreenSize(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{2,5})x(\\d{2,5})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    return QSize(match.captured(1).toInt(), match.captured(2).toInt());
}

void useOffscreenScreen(const QSize &size)
{
    // One file per size and process; the platform reads it while the application starts.
    const QString path = QDir::temp().filePath(QStringLiteral("qdclient-screen-%1x%2-%3.json")
                                                   .arg(size.width())
                                                   .arg(size.height())
                                                   .arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(QStringLiteral(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false,
"screens": [{"name": "screen", "x": 0, "y": 0, "width": %1, "height": %2,
"logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                       .arg(size.width())
                       .arg(size.height())
                       .toUtf8());
    }
    qputenv("QT_QPA_PLATFORM", QStringLiteral("offscreen:configfile=%1").arg(path).toUtf8());
}

} // namespace qd::palette
