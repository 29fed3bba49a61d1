#pragma once

#include <QLoggingCategory>

// What the user does and sees, beside the link's categories: off by default, switched on with
// QT_LOGGING_RULES='qd.ui.debug=true'. Taps on controls, windows shown and closed, message boxes.
namespace qd::palette {
Q_DECLARE_LOGGING_CATEGORY(lcUi)
} // namespace qd::palette
