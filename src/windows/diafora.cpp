#include "diafora.h"

#include "sidesend.h"

#include <palette/windowset.h>

TFormDiafora *FormDiafora = nullptr;

TFormDiafora::TFormDiafora() : FormWindow(QStringLiteral("FormDiafora"))
{
    FormDiafora = this;
    bind(QStringLiteral("en1Click"), [this](QObject *s) { en1Click(s); });
    bind(QStringLiteral("Button1Click"), [this](QObject *) { qd::palette::WindowSet::instance().close(this); });
    build();
    qd::palette::WindowSet::instance().add(this);
}

TFormDiafora::~TFormDiafora()
{
    FormDiafora = nullptr;
}

void TFormDiafora::kataxorisi(QObject *koumpi)
{
    qd::windows::sendWithoutReply(koumpi->objectName());
}

void TFormDiafora::en1Click(QObject *sender)
{
    kataxorisi(sender);
}
