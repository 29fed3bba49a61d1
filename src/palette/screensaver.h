#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class QWidget;
class QDBusPendingCallWatcher;

namespace qd::palette {

// Keeps the screen from blanking or locking while one of the watched windows is shown: a
// palette is watched far more than it is touched. It asks the freedesktop screen-saver
// service on the session bus; where there is no session bus, or no such service on it, it
// does nothing at all. Every call is asynchronous, so a bus that hangs never holds a window.
class ScreenSaverInhibitor : public QObject
{
    Q_OBJECT
public:
    // `busAddress` empty: the session bus of the desktop the program runs on.
    explicit ScreenSaverInhibitor(const QString &busAddress = {}, QObject *parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // Inhibits while this window, or any other watched one, is shown.
    void watch(QWidget *window);

    // True while the service holds an inhibition of ours.
    bool isInhibiting() const { return m_held; }
    // True when there is a bus to ask.
    bool hasBus() const { return m_hasBus; }

signals:
    void inhibitingChanged(bool inhibiting);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool anyShown() const;
    void update();
    void inhibit();
    enum class Wait { No, ForDelivery };
    void release(Wait wait = Wait::No);
    void onInhibitReply(quint32 cookie, bool ok);

    QString m_connectionName;
    bool m_hasBus = false;
    QList<QPointer<QWidget>> m_windows;
    QSet<QObject *> m_shown;
    quint32 m_cookie = 0;
    bool m_held = false;
    bool m_pending = false;
    // The inhibit request under way, if any.
    QPointer<QDBusPendingCallWatcher> m_watcher;
};

} // namespace qd::palette
