#include "martyries.h"

#include <palette/windowset.h>

#include <link/linkcontroller.h>

TFormMartyries::TFormMartyries(qd::link::LinkController &link)
    : FormWindow(QStringLiteral("FormMartyries")), m_link(link)
{
    bind(QStringLiteral("ark1Click"), [this](QObject *s) { ark1Click(s); });
    bind(QStringLiteral("Button1Click"), [this](QObject *) { qd::palette::WindowSet::instance().close(this); });
    build();
    qd::palette::WindowSet::instance().add(this);
}

TFormMartyries::~TFormMartyries() = default;

void TFormMartyries::kataxorisi(QObject *koumpi)
{
    m_link.sendWithoutReply(koumpi->objectName());
}

void TFormMartyries::ark1Click(QObject *sender)
{
    kataxorisi(sender);
}
