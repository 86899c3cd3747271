#pragma once
// The program's messages on stderr, by subject, so that QT_LOGGING_RULES
// can quieten or widen them ("pelora.link.debug=true").

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcLink)        // pelora.link: the serial line and the device
Q_DECLARE_LOGGING_CATEGORY(lcFiles)       // pelora.files: the data and settings files
Q_DECLARE_LOGGING_CATEGORY(lcAutomation)  // pelora.automation: long runs (import, demonstration)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)     // pelora.desktop: the session bus and the media interface
Q_DECLARE_LOGGING_CATEGORY(lcHome)        // pelora.home: the home network (MQTT) and the headless service
Q_DECLARE_LOGGING_CATEGORY(lcWeb)         // pelora.web: the web remote

namespace platform {

// Sends every message to stderr as "category: message", also where Qt
// would hand it to the system log instead, so that a terminal, a test and
// a service's journal all get it the same way. QT_MESSAGE_PATTERN still
// applies.
void logToStderr();

// At most one line per `seconds`; the lines held back are counted and
// named with the next one let through.
class RateLimit {
public:
    explicit RateLimit(double seconds) : seconds_(seconds) {}
    // True when a line may go out at `now` (seconds, any origin); *held is
    // then the number of lines held back since the last one.
    bool allow(double now, int *held);
    // `line`, naming the `held` lines held back before it.
    static QString withHeld(QString line, int held);

private:
    double seconds_;
    double last_ = 0;
    bool any_ = false;
    int held_ = 0;
};

}  // namespace platform
