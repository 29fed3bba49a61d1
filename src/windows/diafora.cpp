#include "diafora.h"

#include <palette/windowset.h>

#include <link/linkcontroller.h>

TFormDiafora::TFormDiafora(qd::link::LinkController &link) : FormWindow(QStringLiteral("FormDiafora")), m_link(link)
{
    bind(QStringLiteral("en1Click"), [this](QObject *s) { en1Click(s); });
    bind(QStringLiteral("Button1Click"), [this](QObject *) { qd::palette::WindowSet::instance().close(this); });
    build();
    qd::palette::WindowSet::instance().add(this);
}

TFormDiafora::~TFormDiafora() = default;

void TFormDiafora::kataxorisi(QObject *koumpi)
{
    m_link.sendWithoutReply(koumpi->objectName());
}

void TFormDiafora::en1Click(QObject *sender)
{
    kataxorisi(sender);
}
