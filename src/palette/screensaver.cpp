#include "screensaver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#ifdef QD_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

namespace qd::palette {

namespace {
const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QString &busAddress, QObject *parent) : QObject(parent)
{
#ifdef QD_HAVE_DBUS
    if (busAddress.isEmpty()) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        m_connectionName = bus.name();
        m_hasBus = bus.isConnected();
    } else {
        m_connectionName = QStringLiteral("qd-screensaver-%1").arg(quintptr(this), 0, 16);
        m_hasBus = QDBusConnection::connectToBus(busAddress, m_connectionName).isConnected();
    }
#else
    Q_UNUSED(busAddress);
#endif
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    for (const QPointer<QWidget> &w : std::as_const(m_windows))
        if (w)
            w->removeEventFilter(this);
#ifdef QD_HAVE_DBUS
    // An inhibition asked for and not yet answered would outlive us: take its answer first
    // (bounded by the request's time-out; the wait hands it to the reply handler), so that it
    // is handed back below.
    if (m_watcher)
        m_watcher->waitForFinished();
#endif
    release(Wait::ForDelivery);
#ifdef QD_HAVE_DBUS
    if (m_connectionName.startsWith(QLatin1String("qd-screensaver-")))
        QDBusConnection::disconnectFromBus(m_connectionName);
#endif
}

void ScreenSaverInhibitor::watch(QWidget *window)
{
    m_windows.append(window);
    window->installEventFilter(this);
    if (window->isVisible())
        m_shown.insert(window);
    connect(window, &QObject::destroyed, this, [this, window] {
        m_shown.remove(window);
        update();
    });
    update();
}

bool ScreenSaverInhibitor::eventFilter(QObject *watched, QEvent *event)
{
    // Shown and hidden as the window system reports it, so a minimised palette lets the
    // screen blank as usual.
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        if (event->type() == QEvent::Show)
            m_shown.insert(watched);
        else
            m_shown.remove(watched);
        update();
    }
    return QObject::eventFilter(watched, event);
}

bool ScreenSaverInhibitor::anyShown() const
{
    return !m_shown.isEmpty();
}

void ScreenSaverInhibitor::update()
{
    if (!m_hasBus)
        return;
    if (anyShown())
        inhibit();
    else
        release();
}

void ScreenSaverInhibitor::inhibit()
{
    // One request at a time: a show and hide while it is under way are settled by its reply.
    if (m_held || m_pending)
        return;
#ifdef QD_HAVE_DBUS
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QCoreApplication::applicationName() << QStringLiteral("The palette is shown");
    m_pending = true;
    // A service that does not answer within a few seconds counts as none.
    m_watcher = new QDBusPendingCallWatcher(QDBusConnection(m_connectionName).asyncCall(call, 3000), this);
    connect(m_watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<quint32> reply = *w;
        w->deleteLater();
        m_watcher = nullptr;
        onInhibitReply(reply.isValid() ? reply.value() : 0, reply.isValid());
    });
#endif
}

void ScreenSaverInhibitor::onInhibitReply(quint32 cookie, bool ok)
{
    m_pending = false;
    // No service (no desktop, or one without a screen saver): nothing more to do until the
    // next show asks again.
    if (!ok)
        return;
    m_cookie = cookie;
    m_held = true;
    emit inhibitingChanged(true);
    if (!anyShown())
        release();
}

void ScreenSaverInhibitor::release(Wait wait)
{
    if (!m_held)
        return;
#ifdef QD_HAVE_DBUS
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
    call << m_cookie;
    // The answer carries nothing we need; the service also drops our inhibition by itself
    // when the program ends.
    call.setAutoStartService(false);
    QDBusConnection bus(m_connectionName);
    // Going away: the connection closes right after this, and a message still queued in it
    // would be lost, so wait (briefly) until the service has taken it.
    if (wait == Wait::ForDelivery)
        bus.call(call, QDBus::Block, 1000);
    else
        bus.send(call);
#else
    Q_UNUSED(wait);
#endif
    m_cookie = 0;
    m_held = false;
    emit inhibitingChanged(false);
}

} // namespace qd::palette
