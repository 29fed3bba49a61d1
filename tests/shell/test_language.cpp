// The windows' language: Greek, the program's own, or the English translation built into the
// program, for the settings window's texts, the window captions and a failed send's message box.

#include <guiharness.h>

#include <QD_client.h>
#include <Unit1.h>
#include <taktopoihsi.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTcpServer>
#include <QTest>

#include <cerrno>

using namespace qd::test::running;

class LanguageTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        m_program.reset();
        QVERIFY(qd::windows::useLanguage(QStringLiteral("el")));
    }

    void texts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("settingsCaption");
        QTest::addColumn<QString>("back");
        QTest::addColumn<QString>("below");
        QTest::addColumn<QString>("arrangeCaption");
        QTest::addColumn<QString>("sendFailure");
        QTest::addColumn<QString>("refused");
        QTest::newRow("en") << "en"
                            << "Settings"
                            << "Back"
                            << "Below"
                            << "Arrange"
                            << "Problem!!! There is no connection with Server QD"
                            << "Socket Error # %1\nConnection refused.";
        QTest::newRow("el") << "el"
                            << "Ρυθμίσεις"
                            << "Επιστροφή"
                            << "Κάτω"
                            << "Τακτοποίηση" << qd::test::kMainSendFailure
                            << "Σφάλμα υποδοχής # %1\nΗ σύνδεση απορρίφθηκε.";
    }
    void texts()
    {
        QFETCH(QString, language);
        QVERIFY(qd::windows::useLanguage(language));
        m_program = qd::test::startProgram();

        QFETCH(QString, settingsCaption);
        QFETCH(QString, back);
        QCOMPARE(clientForm()->windowTitle(), settingsCaption);
        QCOMPARE(clientForm()->control<QAbstractButton>(QStringLiteral("Button1"))->text(), back);
        QCOMPARE(clientForm()->CornerButton1->text(), QStringLiteral("Connect Disconnet"));
        // What the user types is not translated.
        QCOMPARE(clientForm()->Edit2->text(), QStringLiteral("127.0.0.1"));
        QFETCH(QString, below);
        QCOMPARE(MainClient()->control<QAbstractButton>(QStringLiteral("CheckBox1"))->text(), below);
        QCOMPARE(MainClient()->windowTitle(), QStringLiteral("QD Client V 2.0"));
        QFETCH(QString, arrangeCaption);
        QCOMPARE(moveform()->windowTitle(), arrangeCaption);

        // No server: a tap's send fails and says so in the chosen language.
        QFETCH(QString, sendFailure);
        qd::test::MessageCapture boxes;
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QTRY_COMPARE(boxes.count(), 1);
        QCOMPARE(boxes.texts().first(), sendFailure);

        // A connect by hand to a port where nobody listens: the socket error in the same language.
        QFETCH(QString, refused);
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            closedPort = probe.serverPort();
        }
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("rythmiseisshow")));
        QTRY_VERIFY(clientForm()->isActiveWindow());
        clientForm()->Edit3->setText(QString::number(closedPort));
        qd::test::tapCentre(clientForm(), clientForm()->controlRect(QStringLiteral("CornerButton1")));
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 2, 20000);
        QCOMPARE(boxes.texts().at(1), refused.arg(ECONNREFUSED));
    }

    void onlyGreekAndEnglish()
    {
        QVERIFY(!qd::windows::useLanguage(QStringLiteral("de")));
        QVERIFY(qd::windows::useLanguage(QString()));
    }

private:
    std::unique_ptr<qd::windows::Program> m_program;
};

QD_GUI_TEST_MAIN(LanguageTest)
#include "test_language.moc"
