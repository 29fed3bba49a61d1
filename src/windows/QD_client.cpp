#include "QD_client.h"

#include "Unit1.h"
#include "diafora.h"
#include "martyries.h"
#include "messages.h"
#include "taktopoihsi.h"

#include <palette/controls.h>
#include <palette/errorreport.h>
#include <palette/windowset.h>

#include <link/lineconnection.h>

#include <QAbstractButton>
#include <QLabel>

using qd::palette::WindowSet;

TMainClient *MainClient = nullptr;

TMainClient::TMainClient() : FormWindow(QStringLiteral("MainClient"))
{
    MainClient = this;
    bind(QStringLiteral("c3Click"), [this](QObject *s) { c3Click(s); });
    bind(QStringLiteral("ft8Click"), [this](QObject *s) { ft8Click(s); });
    bind(QStringLiteral("o1Click"), [this](QObject *s) { o1Click(s); });
    bind(QStringLiteral("o5Click"), [this](QObject *s) { o5Click(s); });
    bind(QStringLiteral("m1Click"), [this](QObject *s) { m1Click(s); });
    bind(QStringLiteral("rythmiseisshowClick"), [this](QObject *s) { rythmiseisshowClick(s); });
    bind(QStringLiteral("martyriesshowClick"), [this](QObject *s) { martyriesshowClick(s); });
    bind(QStringLiteral("diaforashowClick"), [this](QObject *s) { diaforashowClick(s); });
    bind(QStringLiteral("SpeedButton2Click"), [this](QObject *s) { SpeedButton2Click(s); });
    bind(QStringLiteral("offClick"), [this](QObject *s) { offClick(s); });
    bind(QStringLiteral("con_SpeedButtonClick"), [this](QObject *s) { con_SpeedButtonClick(s); });

    struct Toggle
    {
        const char *handler;
        Pair pair;
    };
    static constexpr Toggle toggles[] = {
        {"enallagikatavasiClick", Katavasi},   {"enallagianavasiClick", Anavasi},
        {"CornerButton1Click", Poiotitas},     {"enallagiIsonClick", Ison},
        {"enallagifthoresClick", Gorgo},       {"enallagixronikiagogiClick", XronikiAgogi},
        {"enallagiMartyriesClick", Martyries},
    };
    for (const Toggle &t : toggles)
        bind(QLatin1String(t.handler), [this, p = t.pair](QObject *) { m_pairs[p].flip(); });

    build();

    auto panel = [this](const char *name) {
        QWidget *w = control(QLatin1String(name));
        if (!w)
            qFatal("main window: panel %s is missing", name);
        return w;
    };
    m_pairs[Katavasi] = {panel("PanelKatavasi1"), panel("PanelKatavasi2")};
    m_pairs[Anavasi] = {panel("Panelanavasi1"), panel("Panelanavasi2")};
    m_pairs[Poiotitas] = {panel("PanelPoiotitas1"), panel("PanelPoiotitas2")};
    m_pairs[Ison] = {panel("PanelIson1"), panel("PanelIson2")};
    m_pairs[Gorgo] = {panel("Panelgorgo"), panel("Panelfthores")};
    m_pairs[XronikiAgogi] = {panel("PanelxronikiAgogi1"), panel("PanelxronikiAgogi2")};
    m_pairs[Martyries] = {panel("PanelMartyries1"), panel("PanelMartyries2")};
    m_checkBox = control<QAbstractButton>(QStringLiteral("CheckBox1"));
    m_searching = animation(QStringLiteral("BitmapListAnimation1"));
    m_connected = animation(QStringLiteral("BitmapListAnimation2"));
    if (!m_checkBox || !m_searching || !m_connected)
        qFatal("main window: CheckBox1 or the indicator animations are missing");
    WindowSet::instance().add(this);
}

TMainClient::~TMainClient()
{
    MainClient = nullptr;
}

void TMainClient::kataxorisi(QObject *koumpi)
{
    sendWithReply(koumpi->objectName());
}

void TMainClient::sendWithReply(const QString &word)
{
    auto &link = *clientForm->IdTCPClient1;
    try {
        link.writeLine(word);
        const QString line = link.readLine();
        // The reply rule: "ok" or an empty line is accepted; anything else means the
        // server is not the one we think, so drop the link and look for it again.
        clientForm->Label1->setText(line);
        const QString reply = clientForm->Label1->text();
        if (reply != QLatin1String("ok") && !reply.isEmpty()) {
            qd::palette::showMessage(qd::windows::sideSendFailureMessage());
            link.disconnectFromServer();
            clientForm->enableDiscovery();
        }
        clientForm->Label1->setText(QStringLiteral("x"));
    } catch (const std::exception &) {
        clientForm->enableDiscovery();
        switchToSearching();
        qd::palette::showMessage(qd::windows::mainSendFailureMessage());
    }
}

void TMainClient::switchToConnected()
{
    m_searching->setEnabled(false);
    m_connected->setEnabled(true);
}

void TMainClient::switchToSearching()
{
    m_connected->setEnabled(false);
    m_searching->setEnabled(true);
}

bool TMainClient::indicatorConnected() const
{
    return m_connected->isEnabled();
}

void TMainClient::resetPages(Page gorgo, Page xronikiAgogi)
{
    auto apply = [this](Pair p, Page page) {
        if (page == Page::First)
            m_pairs[p].showFirst();
        else if (page == Page::Second)
            m_pairs[p].showSecond();
    };
    apply(Katavasi, Page::First);
    apply(Anavasi, Page::First);
    apply(Poiotitas, Page::First);
    apply(Ison, Page::First);
    apply(Gorgo, gorgo);
    apply(XronikiAgogi, xronikiAgogi);
}

void TMainClient::c3Click(QObject *sender)
{
    kataxorisi(sender);
    resetPages(Page::First, Page::First);
}

void TMainClient::ft8Click(QObject *sender)
{
    kataxorisi(sender);
    resetPages(Page::Unchanged, Page::First);
}

void TMainClient::o1Click(QObject *sender)
{
    m_pairs[Martyries].flip();
    kataxorisi(sender);
    // Cleared by the program, not tapped: no send, no handler.
    if (m_checkBox->isChecked())
        m_checkBox->setChecked(false);
    resetPages(Page::First, Page::Second);
}

void TMainClient::o5Click(QObject *sender)
{
    kataxorisi(sender);
    resetPages(Page::First, Page::Second);
}

void TMainClient::m1Click(QObject *sender)
{
    m_pairs[Martyries].flip();
    kataxorisi(sender);
    resetPages(Page::First, Page::Second);
}

void TMainClient::rythmiseisshowClick(QObject *)
{
    WindowSet::instance().show(clientForm);
}

void TMainClient::martyriesshowClick(QObject *)
{
    WindowSet::instance().show(FormMartyries);
}

void TMainClient::diaforashowClick(QObject *)
{
    WindowSet::instance().show(FormDiafora);
}

void TMainClient::SpeedButton2Click(QObject *)
{
    WindowSet::instance().show(moveform);
    sendWithReply(QStringLiteral("move_client"));
}

void TMainClient::offClick(QObject *)
{
    WindowSet::instance().close(this);
}

void TMainClient::con_SpeedButtonClick(QObject *)
{
    clientForm->restartDiscovery();
}
