// Every one of the main window's 214 command words, tapped at the centre of its key as the
// layout tables place it (never as the program's own layout data does), must reach the
// reference peer as exactly that word and nothing else.

#include "expected_main_keys.h"

#include <guiharness.h>
#include <peerprocess.h>

#include <QD_client.h>
#include <Unit1.h>

#include <QLineEdit>
#include <QTest>

using namespace qd::test::running;

namespace tables = qd::test::mainwindow;

namespace {
QString str(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// The key's centre in window pixels on the test's screen, from the tables' numbers.
QPointF keyCentre(const tables::ExpectedKey &key)
{
    const QSize screen = qd::test::screenSize();
    const double cx = key.panel->x + (key.x + key.w * key.keyScale / 2) * key.panel->sx;
    const double cy = key.panel->y + (key.y + key.h * key.keyScale / 2) * key.panel->sy;
    return QPointF(cx * float(screen.width() / 1024.0), cy * float(screen.height() / 720.0));
}

QPointF toggleCentre(std::string_view toggle)
{
    for (const auto &c : tables::kExpectedRootControls) {
        if (c.name == toggle) {
            const QSize screen = qd::test::screenSize();
            return QPointF((c.x + c.w * c.scale / 2) * float(screen.width() / 1024.0),
                           (c.y + c.h * c.scale / 2) * float(screen.height() / 720.0));
        }
    }
    qFatal("no toggle %s", std::string(toggle).c_str());
}

std::string_view toggleOf(std::string_view panel)
{
    for (const auto &pair : tables::kPagePairs)
        if (pair.first == panel || pair.second == panel)
            return pair.toggle;
    return {};
}
} // namespace

class MainKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_peer.start({QStringLiteral("--no-discovery")}), qPrintable(m_peer.errorString()));
        m_program = qd::test::startProgram();
        QVERIFY(MainClient()->isActiveWindow());
        clientForm()->Edit3->setText(QString::number(m_peer.tcpPort()));
        clientForm()->CornerButton1Click(nullptr);
        QVERIFY(qd::test::waitForConnectAttempt());
        QVERIFY(MainClient()->indicatorConnected());
    }
    void cleanupTestCase() { m_program.reset(); }

    void everyWordFromItsKey_data()
    {
        QTest::addColumn<int>("index");
        const bool sample = qd::test::screenSize() != QSize(1920, 1080);
        for (int i = 0; i < int(std::size(tables::kExpectedMainKeys)); ++i) {
            // Other screens take every fifth key, which still visits every panel.
            if (sample && i % 5 != 0)
                continue;
            QTest::newRow(std::string(tables::kExpectedMainKeys[i].word).c_str()) << i;
        }
    }
    void everyWordFromItsKey()
    {
        QFETCH(int, index);
        const tables::ExpectedKey &key = tables::kExpectedMainKeys[index];
        const QString panel = str(key.panelName());
        if (panel != QLatin1String("Panel1") && !MainClient()->control(panel)->isVisible()) {
            qd::test::tap(MainClient(), toggleCentre(toggleOf(key.panelName())));
            QVERIFY2(MainClient()->control(panel)->isVisible(), "the page toggle did not show the key's page");
        }
        qd::test::MessageCapture messages;
        const int before = int(m_peer.receivedWords().size());
        qd::test::tap(MainClient(), keyCentre(key));
        QVERIFY(m_peer.waitForWords(before + 1));
        QCOMPARE(m_peer.receivedWords().mid(before), QStringList{str(key.word)});
        QCOMPARE(messages.count(), 0);
        QVERIFY(MainClient()->indicatorConnected());
    }

private:
    PeerProcess m_peer;
    std::unique_ptr<qd::windows::Program> m_program;
};

QD_GUI_TEST_MAIN(MainKeysTest)
#include "test_main_keys.moc"
