#pragma once

#include <link/linksettings.h>

namespace qd::windows {

// The link's settings, as start-up and the tests hand them to the window set.
using LinkSettings = qd::link::LinkSettings;

} // namespace qd::windows
