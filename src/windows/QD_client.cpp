#include "QD_client.h"

#include <palette/controls.h>
#include <palette/windowset.h>

#include <link/linkcontroller.h>

#include <QAbstractButton>

using qd::palette::WindowSet;

namespace {

void showWindow(qd::palette::FormWindow *window)
{
    if (window)
        WindowSet::instance().show(window);
}

} // namespace

TMainClient::TMainClient(qd::link::LinkController &link) : FormWindow(QStringLiteral("MainClient")), m_link(link)
{
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
    connect(&link, &qd::link::LinkController::indicatorChanged, this, [this](bool connected) {
        if (connected)
            switchToConnected();
        else
            switchToSearching();
    });
    WindowSet::instance().add(this);
}

TMainClient::~TMainClient() = default;

void TMainClient::kataxorisi(QObject *koumpi)
{
    sendWithReply(koumpi->objectName());
}

void TMainClient::sendWithReply(const QString &word)
{
    m_link.sendWithReply(word);
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
    showWindow(m_destinations.clientForm);
}

void TMainClient::martyriesshowClick(QObject *)
{
    showWindow(m_destinations.FormMartyries);
}

void TMainClient::diaforashowClick(QObject *)
{
    showWindow(m_destinations.FormDiafora);
}

void TMainClient::SpeedButton2Click(QObject *)
{
    showWindow(m_destinations.moveform);
    sendWithReply(QStringLiteral("move_client"));
}

void TMainClient::offClick(QObject *)
{
    WindowSet::instance().close(this);
}

void TMainClient::con_SpeedButtonClick(QObject *)
{
    m_link.restartDiscovery();
}
