#include "errorreport.h"

#include "logging.h"

#include <QApplication>
#include <QMessageBox>

namespace qd::palette {

namespace {
MessageObserver &observer()
{
    static MessageObserver instance;
    return instance;
}
} // namespace

QString withFullStop(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void showMessage(const QString &text)
{
    qCDebug(lcUi).noquote() << "message box:" << text;
    // The box belongs to the active window; without one it is a top-level box of its own.
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (observer())
        observer()(&box);
    box.exec();
}

void reportError(const QString &text)
{
    showMessage(withFullStop(text));
}

void setMessageObserver(MessageObserver o)
{
    observer() = std::move(o);
}

} // namespace qd::palette
