// What a screen reader and the desktop see: every control of the five windows read through
// QAccessible, the tool grid's names and descriptions, the names used as handles to tap a
// control, and the windows' icon.

#include <guiharness.h>

#include <QD_client.h>
#include <Unit1.h>

#include <palette/windowset.h>

#include <art/signtable.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using qd::palette::FormWindow;
using qd::palette::WindowSet;

namespace {
QAccessibleInterface *accessibleOf(QWidget *widget)
{
    return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
}

// Walks the accessibility tree below `root` for the first shown element with this name, as
// an assistive tool looks a control up.
QAccessibleInterface *findByName(QAccessibleInterface *root, const QString &name)
{
    if (!root)
        return nullptr;
    if (root->text(QAccessible::Name) == name && !root->state().invisible)
        return root;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface *found = findByName(root->child(i), name))
            return found;
    return nullptr;
}

// The controls a user can operate: buttons, keys, check boxes, edits and the log.
QList<QWidget *> operableControls(FormWindow *window)
{
    QList<QWidget *> controls;
    for (const QString &name : window->controlNames()) {
        QWidget *w = window->control(name);
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w))
            controls.append(w);
    }
    return controls;
}
} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_program = qd::test::startProgram(); }
    void cleanup() { m_program.reset(); }

    void toolGridNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("descriptionMentions");
        QTest::addColumn<int>("role");
        const int button = QAccessible::Button;
        QTest::newRow("settings") << "rythmiseisshow"
                                  << "Settings"
                                  << "settings" << button;
        QTest::newRow("space") << "SpeedButton15"
                               << "space"
                               << "space" << button;
        QTest::newRow("indicator") << "con_SpeedButton"
                                   << "Connection indicator"
                                   << "connected" << button;
        QTest::newRow("power off") << "off"
                                   << "Power off"
                                   << "ends the program" << button;
        QTest::newRow("modal signatures") << "martyriesshow"
                                          << "Modal signatures"
                                          << "window" << button;
        QTest::newRow("new line") << "SpeedButton14"
                                  << "new line"
                                  << "new line" << button;
        QTest::newRow("backspace") << "SpeedButton35"
                                   << "backspace"
                                   << "backspace" << button;
        QTest::newRow("arrange") << "SpeedButton2"
                                 << "Arrange"
                                 << "arrange window" << button;
        QTest::newRow("miscellaneous") << "diaforashow"
                                       << "Miscellaneous signs"
                                       << "window" << button;
        QTest::newRow("lines") << "n5"
                               << "lines"
                               << "lines" << button;
        QTest::newRow("move left") << "SpeedButton25"
                                   << "move left"
                                   << "move left" << button;
        QTest::newRow("move right") << "SpeedButton31"
                                    << "move right"
                                    << "move right" << button;
        // Page toggles show "......"; the check box keeps its sign's name.
        QTest::newRow("fthora toggle") << "enallagifthores"
                                       << "Next page of the fthora signs"
                                       << "fthora" << button;
        QTest::newRow("quality toggle") << "CornerButton1"
                                        << "Next page of the quality signs"
                                        << "quality" << button;
        QTest::newRow("modal toggle") << "enallagiMartyries"
                                      << "Next page of the modal signatures"
                                      << "modal" << button;
        QTest::newRow("check box") << "CheckBox1"
                                   << "below (Κάτω)"
                                   << "check mark" << int(QAccessible::CheckBox);
        QTest::newRow("a sign key") << "a15"
                                    << "oligon + ypsili right"
                                    << "" << button;
    }
    void toolGridNames()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(QString, descriptionMentions);
        QFETCH(int, role);
        QAccessibleInterface *iface = accessibleOf(MainClient->control(control));
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QCOMPARE(int(iface->role()), role);
        const QString description = iface->text(QAccessible::Description);
        if (descriptionMentions.isEmpty())
            QVERIFY2(description.isEmpty(), qPrintable(description));
        else
            QVERIFY2(description.contains(descriptionMentions, Qt::CaseInsensitive), qPrintable(description));
    }

    // No control of any window reaches a screen reader by an internal name or a caption such as
    // "......"; every control that is not a sign says what it does.
    void everyControlOfEveryWindowIsNamed()
    {
        const auto &signs = qd::art::SignTable::instance();
        int checked = 0;
        for (FormWindow *window : WindowSet::instance().windows()) {
            for (QWidget *w : operableControls(window)) {
                QAccessibleInterface *iface = accessibleOf(w);
                QVERIFY(iface);
                const QString where = window->instanceName() + QLatin1Char('.') + w->objectName();
                const QString name = iface->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty(), qPrintable(where));
                QVERIFY2(name != w->objectName(), qPrintable(where + QStringLiteral(" is named by its object name")));
                QVERIFY2(!name.startsWith(QLatin1String("...")), qPrintable(where));
                if (signs.signName(w->objectName()).isEmpty())
                    QVERIFY2(!iface->text(QAccessible::Description).isEmpty(),
                             qPrintable(where + QStringLiteral(" has no description")));
                ++checked;
            }
        }
        // Five windows: 214 + 1 + 2 + ... controls; far more than a handful must have been seen.
        QVERIFY2(checked > 300, qPrintable(QString::number(checked)));
    }

    void backButtonsAndSettingsFields_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("settings back") << "clientForm"
                                       << "Button1"
                                       << "Back";
        QTest::newRow("address") << "clientForm"
                                 << "Edit2"
                                 << "Server address";
        QTest::newRow("port") << "clientForm"
                              << "Edit3"
                              << "Server port";
        QTest::newRow("connect") << "clientForm"
                                 << "CornerButton1"
                                 << "Connect or disconnect";
        QTest::newRow("log") << "clientForm"
                             << "Memo1"
                             << "Connection log";
        QTest::newRow("modal back") << "FormMartyries"
                                    << "Button1"
                                    << "Back";
        QTest::newRow("miscellaneous back") << "FormDiafora"
                                            << "Button1"
                                            << "Back";
        QTest::newRow("arrange back") << "moveform"
                                      << "Button1"
                                      << "Back";
        QTest::newRow("arrange up") << "moveform"
                                    << "SpeedButton7"
                                    << "up arrow";
    }
    void backButtonsAndSettingsFields()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, name);
        FormWindow *w = nullptr;
        for (FormWindow *candidate : WindowSet::instance().windows())
            if (candidate->instanceName() == window)
                w = candidate;
        QVERIFY(w);
        QAccessibleInterface *iface = accessibleOf(w->control(control));
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QVERIFY(!iface->text(QAccessible::Description).isEmpty());
    }

    // A tool that finds "Settings" in the main window's tree and presses at the rectangle it
    // reports opens the settings window; "Back" found the same way closes it again.
    void namesLeadToTheirControls()
    {
        QAccessibleInterface *settings = findByName(accessibleOf(MainClient), QStringLiteral("Settings"));
        QVERIFY(settings);
        qd::test::tap(MainClient, MainClient->mapFromGlobal(settings->rect().center()));
        QTRY_VERIFY(clientForm->isActiveWindow());

        QAccessibleInterface *back = findByName(accessibleOf(clientForm), QStringLiteral("Back"));
        QVERIFY(back);
        qd::test::tap(clientForm, clientForm->mapFromGlobal(back->rect().center()));
        QTRY_VERIFY(!clientForm->isVisible());
        QTRY_VERIFY(MainClient->isActiveWindow());
    }

    // A hidden page is not offered: the second page of the fthora signs appears in the tree as
    // shown only once its toggle, found by name, has been pressed.
    void hiddenPagesAreInvisibleToTheReader()
    {
        const QString page = QStringLiteral("Fthora signs (modulation), second page");
        QVERIFY(!findByName(accessibleOf(MainClient), page));
        QAccessibleInterface *toggle =
            findByName(accessibleOf(MainClient), QStringLiteral("Next page of the fthora signs"));
        QVERIFY(toggle);
        toggle->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(findByName(accessibleOf(MainClient), page));
    }

    // The task bar and window switcher show the program's icon, in the sizes they ask for.
    void windowsCarryTheProgramIcon()
    {
        for (FormWindow *window : WindowSet::instance().windows()) {
            const QIcon icon = window->windowIcon();
            QVERIFY2(!icon.isNull(), qPrintable(window->instanceName()));
            for (int size : {16, 32, 48, 256})
                QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
            // Drawn, not blank: the tile's outline is opaque where a missing picture would be clear.
            const QImage image = icon.pixmap(QSize(48, 48)).toImage();
            QCOMPARE(image.size(), QSize(48, 48));
            QVERIFY(qAlpha(image.pixel(24, 4)) > 128);
        }
    }

private:
    std::unique_ptr<qd::windows::Program> m_program;
};

QD_GUI_TEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
