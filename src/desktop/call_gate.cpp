#include "desktop/call_gate.h"

#include "ui/form1.h"

#include <QApplication>

namespace desktop {

WaitTracker *WaitTracker::install(platform::Platform &platform)
{
    auto *tracker = new WaitTracker(std::move(platform.pump));
    platform.pump.reset(tracker);
    return tracker;
}

void WaitTracker::processEvents(double maxWaitSeconds)
{
    ++depth_;
    struct Leave {
        int &d;
        ~Leave() { --d; }
    } leave{depth_};
    inner_->processEvents(maxWaitSeconds);
}

CallGate::CallGate(Form1 &form, const WaitTracker &waits)
    : form_(form), waits_(waits), timer_(form.plat.makeTimer())
{
    timer_->setInterval(kPollMs);
    timer_->onTick = [this] { poll(); };
}

CallGate::~CallGate()
{
    timer_->onTick = nullptr;
    // Nobody will run them now: tell the callers.
    while (!queue_.empty()) {
        Pending p = std::move(queue_.front());
        queue_.pop_front();
        if (p.done)
            p.done(false);
    }
}

bool CallGate::windowFree() const
{
    // A message box waits in a loop of its own, like a handler's wait.
    return form_.formEnabled() && waits_.depth() == 0 && !running_ && !QApplication::activeModalWidget();
}

double CallGate::now() const
{
    // Whole days and the time of day, so that a wait across midnight counts right.
    return double(form_.plat.clock->date().toJulianDay()) * 86400.0 + form_.plat.clock->secondsSinceMidnight();
}

void CallGate::submit(std::function<void()> action, Done done)
{
    Pending p{std::move(action), std::move(done), now() + kMaxWaitSeconds};
    if (queue_.empty() && windowFree()) {
        run(std::move(p));
        return;
    }
    queue_.push_back(std::move(p));
    timer_->setEnabled(true);
}

void CallGate::poll()
{
    const double t = now();
    while (!queue_.empty() && queue_.front().deadline <= t) {
        Pending p = std::move(queue_.front());
        queue_.pop_front();
        if (p.done)
            p.done(false);
    }
    while (!queue_.empty() && windowFree()) {
        Pending p = std::move(queue_.front());
        queue_.pop_front();
        run(std::move(p));
    }
    if (queue_.empty())
        timer_->setEnabled(false);
}

void CallGate::run(Pending p)
{
    running_ = true;
    runHandler(p.action);
    running_ = false;
    if (p.done)
        p.done(true);
}

}  // namespace desktop
