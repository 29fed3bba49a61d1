#pragma once

#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

namespace qd::palette {

// Appends a full stop when the text's last character sorts above '.', the way the
// program's default error report has always punctuated failure texts. "Connection
// refused." and "Πρόβλημα!" stay as they are; an empty text stays empty.
QString withFullStop(const QString &text);

// Shows a modal message box with one OK button over the active window and returns
// when the user has dismissed it. The event loop keeps running meanwhile.
void showMessage(const QString &text);

// The default error report: a failure that a handler did not handle itself.
void reportError(const QString &text);

// Called with every message box just before it runs its loop. Tests use it to read
// the text and dismiss the box; the program leaves it unset.
using MessageObserver = std::function<void(QMessageBox *)>;
void setMessageObserver(MessageObserver observer);

} // namespace qd::palette
