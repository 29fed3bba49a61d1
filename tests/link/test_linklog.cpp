// The link's log categories: qd.link and qd.discovery say what happens on the wire once
// QT_LOGGING_RULES (here the same filter rules set from the test) switches them on, and say
// nothing at all by default.

#include <peerprocess.h>

#include <link/linkcontroller.h>

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using qd::link::LinkController;

namespace {

struct Logged
{
    QString category;
    QString text;
};

QList<Logged> &logged()
{
    static QList<Logged> lines;
    return lines;
}

void capture(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    if (category.startsWith(QLatin1String("qd.")))
        logged().append({category, text});
}

QStringList linesOf(const QString &category)
{
    QStringList lines;
    for (const Logged &l : logged())
        if (l.category == category)
            lines.append(l.text);
    return lines;
}

} // namespace

class LinkLogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qInstallMessageHandler(capture); }
    void cleanupTestCase() { qInstallMessageHandler(nullptr); }
    void init() { logged().clear(); }
    void cleanup() { QLoggingCategory::setFilterRules(QString()); }

    // A connect by hand, one tap's line and its reply, a probe and a discovery reply, as the log
    // tells them.
    void theWireIsLoggedWhenSwitchedOn()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("qd.*.debug=true"));
        runOneExchange();
        const QStringList link = linesOf(QStringLiteral("qd.link"));
        const QString all = link.join(QLatin1Char('\n'));
        QVERIFY2(all.contains(QStringLiteral("connecting to 127.0.0.1:%1 (by hand)").arg(m_peer->tcpPort())),
                 qPrintable(all));
        QVERIFY2(link.contains(QStringLiteral("connected")), qPrintable(all));
        QVERIFY2(link.contains(QStringLiteral("sent a15")), qPrintable(all));
        QVERIFY2(link.contains(QStringLiteral("reply ok")), qPrintable(all));
        QVERIFY2(link.contains(QStringLiteral("sent move_client (no reply read)")), qPrintable(all));

        const QString discovery = linesOf(QStringLiteral("qd.discovery")).join(QLatin1Char('\n'));
        QVERIFY2(discovery.contains(QStringLiteral("probe sent from port")) &&
                     discovery.contains(QStringLiteral("to 127.0.0.1")),
                 qPrintable(discovery));
        QVERIFY2(discovery.contains(QStringLiteral("reply of 11 bytes: 127.0.0.42")), qPrintable(discovery));
    }

    // A send that fails says why.
    void aFailedSendIsLogged()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("qd.link.debug=true"));
        qd::link::LinkSettings settings;
        settings.networkEnabled = false;
        LinkController link(settings);
        QSignalSpy failed(&link, &LinkController::sendFailed);
        link.sendWithReply(QStringLiteral("a15"));
        QCOMPARE(failed.count(), 1);
        const QStringList lines = linesOf(QStringLiteral("qd.link"));
        QVERIFY2(lines.size() == 1 && lines.first().startsWith(QLatin1String("send of a15 failed: ")),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(linesOf(QStringLiteral("qd.discovery")).isEmpty());
    }

    void silentByDefault()
    {
        runOneExchange();
        QVERIFY2(logged().isEmpty(), qPrintable(logged().isEmpty() ? QString() : logged().first().text));
    }

private:
    void runOneExchange()
    {
        m_peer = std::make_unique<PeerProcess>();
        QVERIFY2(m_peer->start({QStringLiteral("--no-discovery")}), qPrintable(m_peer->errorString()));
        QUdpSocket probeCatcher;
        QVERIFY(probeCatcher.bind(QHostAddress::LocalHost, 0));
        qd::link::LinkSettings settings;
        settings.probeTarget = QHostAddress(QHostAddress::LocalHost);
        settings.probePort = probeCatcher.localPort();
        settings.listenPort = 0;
        LinkController link(settings);
        link.setPortText(QString::number(m_peer->tcpPort()));
        QSignalSpy connected(&link, &LinkController::indicatorChanged);
        link.toggleConnection();
        QVERIFY(connected.wait(20000));
        link.sendWithReply(QStringLiteral("a15"));
        link.sendWithoutReply(QStringLiteral("move_client"));
        QVERIFY(m_peer->waitForWords(2));
        link.Timer1Timer();
        QTRY_VERIFY(probeCatcher.hasPendingDatagrams());
        link.IdUDPServer1UDPRead(QByteArrayLiteral("127.0.0.42\n"));
    }

    std::unique_ptr<PeerProcess> m_peer;
};

QTEST_GUILESS_MAIN(LinkLogTest)
#include "test_linklog.moc"
