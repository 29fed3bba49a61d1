#pragma once

#include <QApplication>

namespace qd::palette {

// The application object. A failure that escapes a handler without passing through the
// guarded dispatch still reaches the default error report instead of ending the program.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace qd::palette
