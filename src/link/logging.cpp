#include "link/logging.h"

namespace qd::link {
// Warnings and worse are shown as usual; debug lines only when the rules ask for them.
Q_LOGGING_CATEGORY(lcLink, "qd.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDiscovery, "qd.discovery", QtWarningMsg)
} // namespace qd::link
