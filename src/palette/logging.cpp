#include "logging.h"

namespace qd::palette {
Q_LOGGING_CATEGORY(lcUi, "qd.ui", QtWarningMsg)
} // namespace qd::palette
