// A server that vanishes without a word (its host's cable pulled) is found by the link within
// the bound of its liveness options, idle or while words are sent, and a word sent after the
// server is back arrives. Only ever run on the client host of the lan-pair test network
// (lan-vanish-test.sh): the server host's link is taken down and up through files in
// QD_LAN_DIR.

#include "serverlink.h"

#include <link/failure.h>
#include <link/lineconnection.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using qd::link::LineConnection;

using namespace qd::test;

class LanVanishTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("LAN_SERVER_IP") || lanDir().isEmpty())
            QSKIP("runs only on the client host of the lan-pair test network");
        QVERIFY(setServerLink(true));
    }

    void init()
    {
        m_connection = std::make_unique<LineConnection>();
        m_connection->setHost(qEnvironmentVariable("LAN_SERVER_IP"));
        m_connection->setPort(6000);
        m_connection->setReadWaitMs(1000);
        // The peer may still be starting.
        connectWithRetries();
        QVERIFY(m_connection->isOpen());
        m_connection->writeLine(QStringLiteral("hello"));
        QCOMPARE(m_connection->readLine(), QStringLiteral("ok"));
    }

    void cleanup()
    {
        QVERIFY(setServerLink(true));
        m_connection.reset();
    }

    void idleConnectionToAVanishedServerIsLost()
    {
        QSignalSpy lostSpy(m_connection.get(), &LineConnection::connectionLost);
        QVERIFY(setServerLink(false));
        QElapsedTimer sinceGone;
        sinceGone.start();
        QVERIFY(lostSpy.wait(int(3 * lossBoundMs())));
        const qint64 found = sinceGone.elapsed();
        qInfo("an idle connection to a vanished server was found lost after %lld ms", found);
        QVERIFY2(found < lossBoundMs(), qPrintable(QString::number(found)));
        QVERIFY(!m_connection->isOpen());
        QVERIFY(!m_connection->closedByServer());
    }

    void wordsToAVanishedServerFailWithinTheBound()
    {
        // As taps would: a word, then the wait for its reply, which ends empty.
        QSignalSpy lostSpy(m_connection.get(), &LineConnection::connectionLost);
        QVERIFY(setServerLink(false));
        QElapsedTimer sinceGone;
        sinceGone.start();
        int accepted = 0;
        QString failure;
        while (failure.isEmpty() && sinceGone.elapsed() < 3 * lossBoundMs()) {
            try {
                m_connection->writeLine(QStringLiteral("a15"));
                const QString line = m_connection->readLine();
                QCOMPARE(line, QString());
                ++accepted;
            } catch (const qd::link::Failure &f) {
                failure = f.text();
            }
            QCoreApplication::processEvents();
        }
        const qint64 found = sinceGone.elapsed();
        qInfo("words to a vanished server: %d taken without a reply, then \"%s\" after %lld ms", accepted,
              qPrintable(QString(failure).replace(QLatin1Char('\n'), QLatin1Char(' '))), found);
        QVERIFY(!failure.isEmpty());
        QVERIFY2(found < lossBoundMs(), qPrintable(QString::number(found)));
        QVERIFY(!m_connection->isOpen());
        QTRY_COMPARE_WITH_TIMEOUT(lostSpy.count(), 1, 10000);

        // Back again: a fresh connection carries the next word.
        QVERIFY(setServerLink(true));
        const qsizetype before = peerOutput().count("back\n");
        connectWithRetries();
        QVERIFY(m_connection->isOpen());
        m_connection->writeLine(QStringLiteral("back"));
        QCOMPARE(m_connection->readLine(), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(peerOutput().count("back\n"), before + 1, 10000);
    }

private:
    // Connects, trying for up to about 10 s while the peer is not reachable yet.
    void connectWithRetries()
    {
        for (int i = 0; i < 100 && !m_connection->isOpen(); ++i) {
            try {
                m_connection->connectToServer();
            } catch (const qd::link::Failure &) {
                QTest::qWait(100);
            }
        }
    }

    std::unique_ptr<LineConnection> m_connection;
};

QTEST_GUILESS_MAIN(LanVanishTest)
#include "test_lan_vanish.moc"
