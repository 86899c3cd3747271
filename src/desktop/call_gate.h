#pragma once
// Calls from outside the window (the media-player interface, the port
// list) run under the rule a click obeys: never while the window is
// disabled (a status exchange or a burst runs), never inside another
// handler's wait. A call that cannot run at once waits in line and runs as
// soon as the window is free, or is refused when that takes too long. Each
// call runs once at most.

#include "platform/platform.h"

#include <QString>

#include <deque>
#include <functional>
#include <memory>

class Form1;

namespace desktop {

// Counts the waits in progress: every wait of the window goes through the
// event pump, so a depth above zero means some handler is waiting.
class WaitTracker : public platform::EventPump {
public:
    // Puts itself between the platform and its pump; returns itself.
    static WaitTracker *install(platform::Platform &platform);
    void processEvents(double maxWaitSeconds) override;
    int depth() const { return depth_; }

private:
    explicit WaitTracker(std::unique_ptr<platform::EventPump> inner) : inner_(std::move(inner)) {}
    std::unique_ptr<platform::EventPump> inner_;
    int depth_ = 0;
};

class CallGate {
public:
    // How long a call may wait for the window before it is refused.
    static constexpr double kMaxWaitSeconds = 6.0;
    // How often a waiting call looks whether the window is free.
    static constexpr int kPollMs = 100;

    // ran: true when the call ran; false when it was refused (window busy).
    using Done = std::function<void(bool ran)>;

    CallGate(Form1 &form, const WaitTracker &waits);
    ~CallGate();

    // Runs `action` now if the window is free and nothing waits in line,
    // else queues it. `done` is told either way, once.
    void submit(std::function<void()> action, Done done);

    // True when a click could run a handler now.
    bool windowFree() const;

private:
    struct Pending {
        std::function<void()> action;
        Done done;
        double deadline;
    };
    void poll();
    void run(Pending p);
    double now() const;

    Form1 &form_;
    const WaitTracker &waits_;
    std::unique_ptr<platform::Timer> timer_;
    std::deque<Pending> queue_;
    bool running_ = false;
};

}  // namespace desktop
