#include "taktopoihsi.h"

#include <palette/windowset.h>

#include <link/linkcontroller.h>

Tmoveform::Tmoveform(qd::link::LinkController &link) : FormWindow(QStringLiteral("moveform")), m_link(link)
{
    bind(QStringLiteral("SpeedButton25Click"), [this](QObject *s) { SpeedButton25Click(s); });
    bind(QStringLiteral("Button1Click"), [this](QObject *) { qd::palette::WindowSet::instance().close(this); });
    build();
    qd::palette::WindowSet::instance().add(this);
}

Tmoveform::~Tmoveform() = default;

void Tmoveform::SpeedButton25Click(QObject *sender)
{
    // The arrows follow the main window's rules, reply check included, but turn no pages.
    m_link.sendWithReply(sender->objectName());
}

void Tmoveform::FormClose()
{
    m_link.sendWithoutReply(QStringLiteral("move_client"));
}
