#include "martyries.h"

#include "sidesend.h"

#include <palette/windowset.h>

TFormMartyries *FormMartyries = nullptr;

TFormMartyries::TFormMartyries() : FormWindow(QStringLiteral("FormMartyries"))
{
    FormMartyries = this;
    bind(QStringLiteral("ark1Click"), [this](QObject *s) { ark1Click(s); });
    bind(QStringLiteral("Button1Click"), [this](QObject *) { qd::palette::WindowSet::instance().close(this); });
    build();
    qd::palette::WindowSet::instance().add(this);
}

TFormMartyries::~TFormMartyries()
{
    FormMartyries = nullptr;
}

void TFormMartyries::kataxorisi(QObject *koumpi)
{
    qd::windows::sendWithoutReply(koumpi->objectName());
}

void TFormMartyries::ark1Click(QObject *sender)
{
    kataxorisi(sender);
}
