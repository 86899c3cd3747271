#include "desktop/service_notify.h"

#include "platform/logging.h"

#include <QLibrary>

#include <algorithm>

namespace desktop {

ServiceNotifier::ServiceNotifier(platform::Platform &platform) : plat_(platform)
{
    // Only systemd sets the socket; anywhere else there is nothing to tell.
    if (qEnvironmentVariableIsEmpty("NOTIFY_SOCKET"))
        return;
    static QLibrary lib(QStringLiteral("systemd"), 0);  // libsystemd.so.0
    if (!lib.load()) {
        qCWarning(lcDesktop).noquote() << "systemd's library is missing; the service's watchdog is not fed:"
                                       << lib.errorString();
        return;
    }
    notify_ = reinterpret_cast<decltype(notify_)>(lib.resolve("sd_notify"));
    watchdogEnabled_ = reinterpret_cast<decltype(watchdogEnabled_)>(lib.resolve("sd_watchdog_enabled"));
}

ServiceNotifier::~ServiceNotifier()
{
    if (beat_)
        beat_->onTick = nullptr;
}

void ServiceNotifier::send(const char *state)
{
    if (notify_)
        notify_(0, state);
}

void ServiceNotifier::ready()
{
    send("READY=1");
    unsigned long long usec = 0;
    if (!watchdogEnabled_ || watchdogEnabled_(0, &usec) <= 0 || usec == 0)
        return;
    // Twice per period, as systemd advises. The beat comes from the event
    // loop: a program that no longer runs it no longer beats.
    beat_ = plat_.makeTimer();
    beat_->setInterval(int(std::max<unsigned long long>(usec / 2000, 1)));
    beat_->onTick = [this] { send("WATCHDOG=1"); };
    beat_->setEnabled(true);
}

void ServiceNotifier::stopping()
{
    if (beat_)
        beat_->setEnabled(false);
    send("STOPPING=1");
}

}  // namespace desktop
