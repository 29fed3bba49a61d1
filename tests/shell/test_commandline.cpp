// The command line: what each option sets, and what the real program prints and returns for
// --help, --version and every kind of bad command line, before it opens any window or socket.

#include <commandline.h>

#include <QProcess>
#include <QTest>

using Action = qd::ParsedCommandLine::Action;

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("screenshotDir");
        QTest::addColumn<bool>("layoutJson");
        QTest::addColumn<QString>("probeTarget");
        QTest::addColumn<bool>("reportExposed");
        const QSize standard(1024, 720);
        QTest::newRow("none") << QStringList{} << standard << QString() << false << QString() << false;
        QTest::newRow("probe target") << QStringList{"--probe-target", "192.168.1.255"} << standard << QString()
                                      << false << "192.168.1.255" << false;
        QTest::newRow("probe target with =") << QStringList{"--probe-target=127.0.0.1", "--report-exposed"} << standard
                                             << QString() << false << "127.0.0.1" << true;
        QTest::newRow("screenshot at a size") << QStringList{"--screen", "1920x1080", "--screenshot", "shots"}
                                              << QSize(1920, 1080) << "shots" << false << QString() << false;
        QTest::newRow("single dash") << QStringList{"-layout-json", "-screen", "1366x768"} << QSize(1366, 768)
                                     << QString() << true << QString() << false;
    }
    void server_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port"); // 0: refused
        QTest::newRow("host alone") << "127.0.0.1"
                                    << "127.0.0.1" << 6000;
        QTest::newRow("host and port") << "127.0.0.1:6123"
                                       << "127.0.0.1" << 6123;
        QTest::newRow("a name") << "qdserver:7000"
                                << "qdserver" << 7000;
        QTest::newRow("highest port") << "127.0.0.1:65535"
                                      << "127.0.0.1" << 65535;
        QTest::newRow("port 0") << "127.0.0.1:0" << QString() << 0;
        QTest::newRow("port too large") << "127.0.0.1:65536" << QString() << 0;
        QTest::newRow("port not a number") << "127.0.0.1:x" << QString() << 0;
        QTest::newRow("empty port") << "127.0.0.1:" << QString() << 0;
        QTest::newRow("no host") << ":6000" << QString() << 0;
        QTest::newRow("empty") << "" << QString() << 0;
        QTest::newRow("IPv6") << "::1" << QString() << 0;
    }
    void server()
    {
        QFETCH(QString, value);
        QFETCH(QString, host);
        QFETCH(int, port);
        const qd::ParsedCommandLine parsed =
            qd::parseCommandLine({QStringLiteral("qdclient"), QStringLiteral("--server"), value});
        if (port == 0) {
            QVERIFY(parsed.action == Action::Error);
            QVERIFY2(parsed.text.contains(QLatin1String("--server")), qPrintable(parsed.text));
            return;
        }
        QVERIFY2(parsed.action == Action::Run, qPrintable(parsed.text));
        QCOMPARE(parsed.options.serverHost, host);
        QCOMPARE(int(parsed.options.serverPort), port);
    }

    void language()
    {
        auto parse = [](const QString &value) {
            return qd::parseCommandLine({QStringLiteral("qdclient"), QStringLiteral("--lang"), value});
        };
        QCOMPARE(parse(QStringLiteral("en")).options.language, QStringLiteral("en"));
        QCOMPARE(parse(QStringLiteral("el")).options.language, QStringLiteral("el"));
        QVERIFY(parse(QStringLiteral("de")).action == Action::Error);
        QVERIFY(qd::parseCommandLine({QStringLiteral("qdclient")}).options.language.isEmpty());
    }

    void options()
    {
        QFETCH(QStringList, args);
        args.prepend(QStringLiteral("qdclient"));
        const qd::ParsedCommandLine parsed = qd::parseCommandLine(args);
        QVERIFY2(parsed.action == Action::Run, qPrintable(parsed.text));
        QFETCH(QSize, screen);
        QFETCH(QString, screenshotDir);
        QFETCH(bool, layoutJson);
        QFETCH(QString, probeTarget);
        QFETCH(bool, reportExposed);
        QCOMPARE(parsed.options.screen, screen);
        QCOMPARE(parsed.options.screenshotDir, screenshotDir);
        QCOMPARE(parsed.options.layoutJson, layoutJson);
        QCOMPARE(parsed.options.probeTarget.isNull() ? QString() : parsed.options.probeTarget.toString(), probeTarget);
        QCOMPARE(parsed.options.reportExposed, reportExposed);
        QCOMPARE(parsed.exitStatus(), 0);
    }

    // Run as a process on a window platform that does not exist: an application object would
    // abort the program, so a clean exit shows that nothing was opened.
    void theProgramAnswersBeforeOpeningAnything_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // what stdout starts with
        QTest::addColumn<QString>("err"); // the one line on stderr must contain this
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: qdclient [options]\n" << QString();
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "Usage: qdclient [options]\n" << QString();
        QTest::newRow("--help beside a bad option")
            << QStringList{"--help", "--screen", "x"} << 0 << "Usage: qdclient" << QString();
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "qdclient 2.0\n" << QString();
        QTest::newRow("unknown option") << QStringList{"--fullscreen"} << 2 << QString() << "'fullscreen'";
        QTest::newRow("unknown single-dash option") << QStringList{"-x"} << 2 << QString() << "'x'";
        QTest::newRow("stray argument") << QStringList{"127.0.0.1"} << 2 << QString() << "'127.0.0.1'";
        QTest::newRow("missing value") << QStringList{"--probe-target"} << 2 << QString() << "'--probe-target'";
        QTest::newRow("probe target not IPv4") << QStringList{"--probe-target", "::1"} << 2 << QString()
                                               << "--probe-target needs an IPv4 address, not '::1'";
        QTest::newRow("probe target a name")
            << QStringList{"--probe-target", "server"} << 2 << QString() << "not 'server'";
        QTest::newRow("bad screen size") << QStringList{"--layout-json", "--screen", "1920*1080"} << 2 << QString()
                                         << "--screen needs a size such as 1920x1080, not '1920*1080'";
        QTest::newRow("zero screen size")
            << QStringList{"--layout-json", "--screen", "0x0"} << 2 << QString() << "not '0x0'";
        QTest::newRow("screen without a rendering") << QStringList{"--screen", "1920x1080"} << 2 << QString()
                                                    << "--screen applies only to --screenshot and --layout-json";
        QTest::newRow("empty screenshot directory")
            << QStringList{"--screenshot="} << 2 << QString() << "--screenshot needs a directory";
    }
    void theProgramAnswersBeforeOpeningAnything()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess client;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        client.setProcessEnvironment(env);
        client.start(QStringLiteral(QD_CLIENT_PATH), args);
        QVERIFY(client.waitForStarted());
        if (!client.waitForFinished(30000)) {
            client.kill();
            client.waitForFinished();
            QFAIL("the program was still running after 30 s");
        }
        const QString stdoutText = QString::fromLocal8Bit(client.readAllStandardOutput());
        const QString stderrText = QString::fromLocal8Bit(client.readAllStandardError());
        QCOMPARE(client.exitStatus(), QProcess::NormalExit);
        QVERIFY2(client.exitCode() == status,
                 qPrintable(QStringLiteral("exit %1, stderr: %2").arg(client.exitCode()).arg(stderrText)));
        if (status == 0) {
            QVERIFY2(stdoutText.startsWith(out), qPrintable(stdoutText));
            QCOMPARE(stderrText, QString());
        } else {
            QCOMPARE(stdoutText, QString());
            QVERIFY2(stderrText.startsWith(QLatin1String("qdclient: ")) && stderrText.contains(err),
                     qPrintable(stderrText));
            QCOMPARE(stderrText.count(QLatin1Char('\n')), 1);
            QVERIFY(stderrText.endsWith(QLatin1Char('\n')));
        }
    }

    void helpListsEveryOption()
    {
        const qd::ParsedCommandLine parsed =
            qd::parseCommandLine({QStringLiteral("qdclient"), QStringLiteral("--help")});
        QVERIFY(parsed.action == Action::Help);
        for (const char *option :
             {"--help", "--version", "--probe-target <ADDRESS>", "--report-exposed", "--screenshot <DIR>",
              "--layout-json", "--screen <WxH>", "--server <HOST[:PORT]>", "--lang <el|en>"})
            QVERIFY2(parsed.text.contains(QLatin1String(option)), option);
        QVERIFY(!parsed.text.contains(QLatin1String("--help-all")));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_commandline.moc"
