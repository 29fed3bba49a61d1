#include "taktopoihsi.h"

#include "QD_client.h"
#include "sidesend.h"

#include <palette/windowset.h>

Tmoveform *moveform = nullptr;

Tmoveform::Tmoveform() : FormWindow(QStringLiteral("moveform"))
{
    moveform = this;
    bind(QStringLiteral("SpeedButton25Click"), [this](QObject *s) { SpeedButton25Click(s); });
    bind(QStringLiteral("Button1Click"), [this](QObject *) { qd::palette::WindowSet::instance().close(this); });
    build();
    qd::palette::WindowSet::instance().add(this);
}

Tmoveform::~Tmoveform()
{
    moveform = nullptr;
}

void Tmoveform::SpeedButton25Click(QObject *sender)
{
    // The arrows follow the main window's rules, reply check included, but turn no pages.
    MainClient->kataxorisi(sender);
}

void Tmoveform::FormClose()
{
    qd::windows::sendWithoutReply(QStringLiteral("move_client"));
}
