#pragma once
// Tells systemd how the service stands when it runs as a Type=notify unit:
// ready once started, alive at every beat of the watchdog that the unit
// asks for, stopping at the end. A wedged program misses its beats and is
// restarted instead of hanging unseen. Outside systemd it does nothing and
// loads nothing.

#include "platform/platform.h"

#include <memory>

namespace desktop {

class ServiceNotifier {
public:
    explicit ServiceNotifier(platform::Platform &platform);
    ~ServiceNotifier();
    ServiceNotifier(const ServiceNotifier &) = delete;
    ServiceNotifier &operator=(const ServiceNotifier &) = delete;

    // READY=1, and the watchdog's beat from now on.
    void ready();
    void stopping();

private:
    void send(const char *state);

    platform::Platform &plat_;
    int (*notify_)(int, const char *) = nullptr;
    int (*watchdogEnabled_)(int, unsigned long long *) = nullptr;
    std::unique_ptr<platform::Timer> beat_;
};

}  // namespace desktop
