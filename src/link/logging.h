#pragma once

#include <QLoggingCategory>

// What happens on the wire, for whoever needs to see it: off by default, switched on with
// QT_LOGGING_RULES, for example QT_LOGGING_RULES='qd.*.debug=true'.
//   qd.link       connects, disconnects, every command line sent and reply line read, send failures
//   qd.discovery  the listener, every probe and where it went, every reply, discovery failures
namespace qd::link {
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery)
} // namespace qd::link
