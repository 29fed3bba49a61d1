#pragma once

#include <QString>

namespace qd::link {

// The port typed in the settings window, converted as a connect needs it.
//
// Text that is not a whole number fails with "'<text>' is not a valid integer value". A whole
// number outside 0..65535 fails with "'<text>' is not a valid port number (1 to 65535)." rather
// than being cut to its low 16 bits: "70000" would otherwise connect to port 4464 without a
// word. "0" passes, so that the connect itself refuses it with its empty message.
quint16 portFromText(const QString &text);

} // namespace qd::link
