#include "sidesend.h"

#include "Unit1.h"
#include "messages.h"

#include <palette/errorreport.h>

#include <link/lineconnection.h>

namespace qd::windows {

void sendWithoutReply(const QString &word)
{
    try {
        clientForm->IdTCPClient1->writeLine(word);
    } catch (const std::exception &) {
        qd::palette::showMessage(sideSendFailureMessage());
    }
}

} // namespace qd::windows
