// The application shell: start-up state, Show and Close, scaling, shut-down order, the
// default error report and the connection indicator. Runs once per screen size.

#include <guiharness.h>

#include <QD_client.h>
#include <Unit1.h>
#include <diafora.h>
#include <martyries.h>
#include <taktopoihsi.h>

#include <palette/controls.h>
#include <palette/errorreport.h>
#include <palette/windowset.h>

#include <link/discoverylistener.h>

#include <art/artbook.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <link/linkcontroller.h>

using namespace qd::test::running;

#include <csignal>

using qd::palette::FormWindow;
using qd::palette::WindowSet;
using qd::test::MessageCapture;

namespace {
// The factors the scaling rule must produce: exact quotients, nearest 32-bit float.
QSizeF expectedScale(QSize screen)
{
    return QSizeF(float(screen.width() / 1024.0), float(screen.height() / 720.0));
}

// The factors are exact float values: compare them exactly, not fuzzily.
#define QD_COMPARE_SCALE(actual, expected)                                                                             \
    do {                                                                                                               \
        const QSizeF a_ = (actual), e_ = (expected);                                                                   \
        QVERIFY2(a_.width() == e_.width() && a_.height() == e_.height(),                                               \
                 qPrintable(QStringLiteral("scale %1 x %2, expected %3 x %4")                                          \
                                .arg(a_.width(), 0, 'g', 17)                                                           \
                                .arg(a_.height(), 0, 'g', 17)                                                          \
                                .arg(e_.width(), 0, 'g', 17)                                                           \
                                .arg(e_.height(), 0, 'g', 17)));                                                       \
    } while (false)
} // namespace

class ShellTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_program = qd::test::startProgram();
        QVERIFY(MainClient()->isActiveWindow());
    }
    void cleanup() { m_program.reset(); }

    void startsWithOnlyTheMainWindowShownFullScreen()
    {
        const auto &windows = WindowSet::instance().windows();
        QCOMPARE(windows.size(), 5);
        const QStringList order{QStringLiteral("MainClient"), QStringLiteral("clientForm"),
                                QStringLiteral("FormMartyries"), QStringLiteral("FormDiafora"),
                                QStringLiteral("moveform")};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(windows[i]->instanceName(), order[i]);
        QVERIFY(MainClient()->isVisible());
        QVERIFY(MainClient()->isFullScreen());
        QCOMPARE(MainClient()->frameGeometry(), MainClient()->screen()->geometry());
        QVERIFY(!clientForm()->isVisible());
        QVERIFY(!FormMartyries()->isVisible());
        QVERIFY(!FormDiafora()->isVisible());
        QVERIFY(!moveform()->isVisible());
        QD_COMPARE_SCALE(MainClient()->rootScale(), expectedScale(qd::test::screenSize()));
        QCOMPARE(MainClient()->windowTitle(), QStringLiteral("QD Client V 2.0"));
    }

    void canvasCoversTheScreen()
    {
        const QRectF root = MainClient()->controlRect(QStringLiteral("Panel1"));
        const QSize screen = qd::test::screenSize();
        QVERIFY(qAbs(root.width() - screen.width()) < 0.01);
        QVERIFY(qAbs(root.height() - screen.height()) < 0.01);
        // A key's tap area is its scaled rectangle, nested scales multiplied.
        const QRectF c3 = MainClient()->controlRect(QStringLiteral("c3"));
        const QSizeF s = expectedScale(screen);
        QCOMPARE(c3.left(), (0 + 56 * 1.65) * s.width());
        QCOMPARE(c3.top(), (410 + 24 * 1.65) * s.height());
        QCOMPARE(c3.width(), 41 * 1.65 * s.width());
    }

    void scalingFactors_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<double>("sx");
        QTest::addColumn<double>("sy");
        QTest::newRow("1024x720") << QSize(1024, 720) << 1.0 << 1.0;
        QTest::newRow("1024x768") << QSize(1024, 768) << 1.0 << double(1.0666667f);
        QTest::newRow("1920x1080") << QSize(1920, 1080) << 1.875 << 1.5;
        QTest::newRow("1366x768") << QSize(1366, 768) << 1.333984375 << double(1.0666667f);
        QTest::newRow("3840x2160") << QSize(3840, 2160) << 3.75 << 3.0;
    }
    void scalingFactors()
    {
        QFETCH(QSize, outer);
        QFETCH(double, sx);
        QFETCH(double, sy);
        // A window that is not full screen is scaled by its outer size all the same.
        FormDiafora()->resize(outer);
        FormDiafora()->FormActivate();
        QD_COMPARE_SCALE(FormDiafora()->rootScale(), QSizeF(sx, sy));
        const int layouts = FormDiafora()->layoutCount();
        FormDiafora()->FormActivate();
        QCOMPARE(FormDiafora()->layoutCount(), layouts);
    }

    void showOnAShownWindowMakesNoSecondWindow()
    {
        const int topLevels = QApplication::topLevelWidgets().size();
        const int activations = MainClient()->activationCount();
        WindowSet::instance().show(MainClient());
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
        QCOMPARE(MainClient()->activationCount(), activations);

        WindowSet::instance().show(clientForm());
        QTRY_VERIFY(clientForm()->isActiveWindow());
        const int settingsActivations = clientForm()->activationCount();
        WindowSet::instance().show(clientForm());
        QCOMPARE(clientForm()->activationCount(), settingsActivations);
        QVERIFY(clientForm()->isFullScreen());
    }

    void navigationAndBackButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("window");
        QTest::newRow("settings") << "rythmiseisshow"
                                  << "clientForm";
        QTest::newRow("modal signatures") << "martyriesshow"
                                          << "FormMartyries";
        QTest::newRow("miscellaneous") << "diaforashow"
                                       << "FormDiafora";
    }
    void navigationAndBackButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, window);
        FormWindow *side = nullptr;
        for (FormWindow *w : WindowSet::instance().windows())
            if (w->instanceName() == window)
                side = w;
        QVERIFY(side);
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(button));
        QTRY_VERIFY(side->isActiveWindow());
        QVERIFY(side->isFullScreen());
        QCOMPARE(side->frameGeometry(), side->screen()->geometry());

        const int mainActivations = MainClient()->activationCount();
        qd::test::tapCentre(side, side->controlRect(QStringLiteral("Button1")));
        QVERIFY(!side->isVisible());
        QVERIFY(!side->isFullScreen());
        QTRY_VERIFY(MainClient()->isActiveWindow());
        QVERIFY(MainClient()->activationCount() > mainActivations);
        QCOMPARE(WindowSet::instance().activeWindow(), MainClient());
    }

    void closingASideWindowRescalesTheMainWindow()
    {
        WindowSet::instance().show(FormMartyries());
        QTRY_VERIFY(FormMartyries()->isActiveWindow());
        // Pretend the main window was laid out for another screen while it was covered:
        // coming back to the front must run its scaling rule again.
        MainClient()->resize(640, 480);
        MainClient()->FormActivate();
        QVERIFY(MainClient()->rootScale() != expectedScale(qd::test::screenSize()) ||
                qd::test::screenSize() == QSize(640, 480));
        MainClient()->setGeometry(MainClient()->screen()->geometry());
        const int activations = MainClient()->activationCount();
        qd::test::tapCentre(FormMartyries(), FormMartyries()->controlRect(QStringLiteral("Button1")));
        QVERIFY(MainClient()->activationCount() > activations);
        QD_COMPARE_SCALE(MainClient()->rootScale(), expectedScale(qd::test::screenSize()));
        QTRY_VERIFY(MainClient()->isActiveWindow());
    }

    void hiddenWindowsKeepTheirContents()
    {
        WindowSet::instance().show(clientForm());
        clientForm()->Edit3->setText(QStringLiteral("6123"));
        clientForm()->Memo1->appendPlainText(QStringLiteral("a line"));
        WindowSet::instance().close(clientForm());
        WindowSet::instance().show(clientForm());
        QCOMPARE(clientForm()->Edit3->text(), QStringLiteral("6123"));
        QVERIFY(clientForm()->Memo1->toPlainText().contains(QStringLiteral("a line")));
    }

    void closeRequestOfTheMainWindowQuitsAfterStoppingTimers()
    {
        WindowSet::instance().show(moveform());
        QVERIFY(controller()->discoveryRunning());
        MessageCapture messages;
        const int status = qd::test::runUntilQuit([] {
            // As the task bar would: a close request from the window system.
            MainClient()->close();
            QVERIFY(WindowSet::instance().quitRequested());
            QVERIFY(!controller()->discoveryRunning());
            QVERIFY(MainClient()->isVisible());
        });
        QCOMPARE(status, 0);
        // The arrange window is destroyed, never closed, so nothing is sent or shown.
        QCOMPARE(messages.count(), 0);
    }

    // Every way of asking the program to end ends its event loop with status 0. No peer is
    // connected here, so a "move_client" sent on the way out would show the side send's failure.
    void quitRequestsEndTheEventLoop_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("arrangeShown");
        for (const bool arrange : {false, true}) {
            const char *suffix = arrange ? ", arrange window shown" : "";
            for (const char *how : {"off", "off twice", "window system", "SIGTERM", "SIGINT"})
                QTest::addRow("%s%s", how, suffix) << QString::fromLatin1(how) << arrange;
        }
    }
    void quitRequestsEndTheEventLoop()
    {
        QFETCH(QString, how);
        QFETCH(bool, arrangeShown);
        qd::windows::closeMainWindowOnTerminationRequest();
        if (arrangeShown)
            WindowSet::instance().show(moveform());
        MessageCapture messages;
        QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
        const QRectF off = MainClient()->controlRect(QStringLiteral("off"));
        const int status = qd::test::runUntilQuit([how, off] {
            if (how == QLatin1String("off")) {
                qd::test::tapCentre(MainClient(), off);
            } else if (how == QLatin1String("off twice")) {
                qd::test::tapCentre(MainClient(), off);
                qd::test::tapCentre(MainClient(), off);
            } else if (how == QLatin1String("window system")) {
                MainClient()->close();
            } else {
                std::raise(how == QLatin1String("SIGTERM") ? SIGTERM : SIGINT);
            }
        });
        QCOMPARE(status, 0);
        QCOMPARE(quitting.count(), 1);
        QVERIFY(!controller()->discoveryRunning());
        QCOMPARE(messages.texts(), QStringList{});
        QCOMPARE(moveform()->isVisible(), arrangeShown);
    }

    void windowsAreDestroyedInReverseOrder()
    {
        QStringList destroyed;
        for (FormWindow *w : WindowSet::instance().windows()) {
            const QString name = w->instanceName();
            connect(w, &QObject::destroyed, this, [&destroyed, name] { destroyed.append(name); });
        }
        m_program.reset();
        QCOMPARE(destroyed, (QStringList{QStringLiteral("moveform"), QStringLiteral("FormDiafora"),
                                         QStringLiteral("FormMartyries"), QStringLiteral("clientForm"),
                                         QStringLiteral("MainClient")}));
        QVERIFY(WindowSet::instance().windows().isEmpty());
    }

    void errorReportPunctuation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ends in a letter") << "'x' is not a valid integer value"
                                          << "'x' is not a valid integer value.";
        QTest::newRow("ends in a full stop") << "Socket Error # 111\nConnection refused."
                                             << "Socket Error # 111\nConnection refused.";
        QTest::newRow("ends in !") << "Πρόβλημα!"
                                   << "Πρόβλημα!";
        QTest::newRow("ends in a digit") << "Socket Error # 111"
                                         << "Socket Error # 111.";
        QTest::newRow("ends in a comma") << "a,"
                                         << "a,";
        QTest::newRow("ends in a slash") << "a/"
                                         << "a/.";
        QTest::newRow("ends in a Greek letter") << "Σφάλμα"
                                                << "Σφάλμα.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorReportPunctuation()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        MessageCapture messages;
        FormWindow::runGuarded([&] { throw std::runtime_error(text.toStdString()); });
        QCOMPARE(messages.texts(), QStringList{shown});
    }

    void failureSkipsTheRestOfTheHandler()
    {
        MessageCapture messages;
        bool reached = false;
        FormWindow::runGuarded([&] {
            throw std::runtime_error("boom");
            reached = true;
        });
        QVERIFY(!reached);
        QCOMPARE(messages.count(), 1);
    }

    void indicatorStartsSearching()
    {
        QVERIFY(!MainClient()->indicatorConnected());
        QVERIFY(MainClient()->searchingAnimation()->isEnabled());
        auto *box = MainClient()->control<qd::palette::PictureBox>(QStringLiteral("ImageControl1"));
        QVERIFY(box);
        QCOMPARE(box->picture().size(), QSize(128, 128));
    }

    void indicatorTransitions()
    {
        auto *box = MainClient()->control<qd::palette::PictureBox>(QStringLiteral("ImageControl1"));
        auto *searching = MainClient()->searchingAnimation();
        auto *connected = MainClient()->connectedAnimation();
        MainClient()->switchToConnected();
        QCOMPARE(box->picture().size(), QSize(64, 64));
        QTRY_VERIFY(!connected->isRunning());
        const int drawn = connected->drawCount() + searching->drawCount();
        // A switch to the state it is already in changes nothing and draws nothing.
        MainClient()->switchToConnected();
        QCOMPARE(connected->drawCount() + searching->drawCount(), drawn);
        QVERIFY(!searching->isEnabled());
        MainClient()->switchToSearching();
        QCOMPARE(box->picture().size(), QSize(128, 128));
        QVERIFY(searching->isEnabled() && !connected->isEnabled());
        QTRY_VERIFY(!searching->isRunning());
        const int again = connected->drawCount() + searching->drawCount();
        MainClient()->switchToSearching();
        QCOMPARE(connected->drawCount() + searching->drawCount(), again);
    }

    void indicatorTapRestartsDiscoveryOnly()
    {
        controller()->Timer1()->stop();
        const QImage before =
            MainClient()->control<qd::palette::PictureBox>(QStringLiteral("ImageControl1"))->picture();
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("con_SpeedButton")));
        QVERIFY(controller()->discoveryRunning());
        QVERIFY(!controller()->IdUDPServer1()->isActive());
        QCOMPARE(MainClient()->control<qd::palette::PictureBox>(QStringLiteral("ImageControl1"))->picture(), before);
    }

    void hoverGreysAKeyAndSendsNothing()
    {
        auto *key = MainClient()->control<qd::palette::PaletteButton>(QStringLiteral("a15"));
        QVERIFY(key);
        const QPoint centre = MainClient()->controlRect(QStringLiteral("a15")).center().toPoint();
        const QRgb clear = MainClient()->grab().toImage().pixel(centre);
        qd::test::hoverAt(MainClient(), MainClient()->controlRect(QStringLiteral("a15")).center());
        QTRY_COMPARE(key->hoverProgress(), 1.0);
        // The grey disc is drawn over the sign.
        QVERIFY(MainClient()->grab().toImage().pixel(centre) != clear);
        qd::test::hoverAt(MainClient(), QPointF(1, MainClient()->height() - 2));
        QTRY_COMPARE(key->hoverProgress(), 0.0);
    }

    void picturesDrawOncePerSizeAndOnlyWhenShown()
    {
        // Each shown picture is drawn once at its size, by a pool thread or by its own paint,
        // exactly as the book draws it; hidden pages and hidden windows draw nothing.
        MainClient()->repaint();
        const auto pictures = MainClient()->findChildren<qd::palette::PictureWidget *>();
        QVERIFY(pictures.size() > 10);
        int shown = 0;
        for (auto *picture : pictures) {
            QCOMPARE(picture->renderCount(), picture->isVisible() ? 1 : 0);
            if (!picture->isVisible())
                continue;
            ++shown;
            const QImage drawn = qd::art::ArtBook::instance().render(picture->art(), picture->size());
            QImage painted(picture->size(), QImage::Format_ARGB32_Premultiplied);
            painted.fill(Qt::transparent);
            picture->render(&painted, QPoint(), QRegion(), QWidget::RenderFlags());
            QVERIFY2(painted == drawn, qPrintable(picture->objectName()));
        }
        QVERIFY(shown > 5 && shown < pictures.size());
        MainClient()->repaint();
        for (auto *picture : pictures)
            QCOMPARE(picture->renderCount(), picture->isVisible() ? 1 : 0);
        for (auto *picture : FormMartyries()->findChildren<qd::palette::PictureWidget *>())
            QCOMPARE(picture->renderCount(), 0);
    }

private:
    std::unique_ptr<qd::windows::Program> m_program;
};

QD_GUI_TEST_MAIN(ShellTest)
#include "test_shell.moc"
