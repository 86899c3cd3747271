#pragma once
// The program's messages on stderr, by subject, so that QT_LOGGING_RULES
// can quieten or widen them ("pelora.link.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLink)        // pelora.link: the serial line and the device
Q_DECLARE_LOGGING_CATEGORY(lcFiles)       // pelora.files: the data and settings files
Q_DECLARE_LOGGING_CATEGORY(lcAutomation)  // pelora.automation: long runs (import, demonstration)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)     // pelora.desktop: the session bus and the media interface
Q_DECLARE_LOGGING_CATEGORY(lcHome)        // pelora.home: the home network (MQTT) and the headless service

namespace platform {

// Sends every message to stderr as "category: message", also where Qt
// would hand it to the system log instead, so that a terminal, a test and
// a service's journal all get it the same way. QT_MESSAGE_PATTERN still
// applies.
void logToStderr();

}  // namespace platform
