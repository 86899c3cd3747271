#include "model/door.h"

#include "ui/form1.h"

#include <QApplication>

namespace model {

Door::Door(Form1 &form) : form_(form), timer_(form.plat.makeTimer())
{
    timer_->setInterval(kPollMs);
    timer_->onTick = [this] { poll(); };
}

Door::~Door()
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

const HifiModel &Door::model() const
{
    return form_.hifi();
}

bool Door::windowFree() const
{
    // A message box waits in a loop of its own, like a handler's wait.
    return !form_.hifi().busy() && !running_ && !QApplication::activeModalWidget();
}

double Door::now() const
{
    // Whole days and the time of day, so that a wait across midnight counts right.
    return double(form_.plat.clock->date().toJulianDay()) * 86400.0 + form_.plat.clock->secondsSinceMidnight();
}

void Door::submit(std::function<void()> action, Done done)
{
    Pending p{std::move(action), std::move(done), now() + kMaxWaitSeconds};
    if (queue_.empty() && windowFree()) {
        run(std::move(p));
        return;
    }
    queue_.push_back(std::move(p));
    timer_->setEnabled(true);
}

void Door::poll()
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

void Door::run(Pending p)
{
    running_ = true;
    runHandler(p.action);
    running_ = false;
    if (p.done)
        p.done(true);
}

void Door::chooseSource(Source source, Done done)
{
    submit([this, source] { form_.Quelle_Click(sourceKeyIndex(source)); }, std::move(done));
}

bool Door::pressKey(const QString &name, Done done)
{
    std::function<void()> procedure = form_.keyProcedure(name);
    if (!procedure)
        return false;
    submit(std::move(procedure), std::move(done));
    return true;
}

void Door::setLevel(Level level, int value, Done done)
{
    submit([this, level, value] { form_.levelSlider_Set(int(level), value); }, std::move(done));
}

void Door::tuneStationKey(int index, Done done)
{
    submit([this, index] { form_.stationT_Click(index); }, std::move(done));
}

void Door::choosePort(const QString &device, Done done)
{
    submit([this, device] { form_.choosePort(device); }, std::move(done));
}

void Door::askStatus(Done done)
{
    submit([this] { form_.requestStatus(); }, std::move(done));
}

void Door::callPlayer(Call call, Done done)
{
    submit([this, call] { form_.playerCall(call); }, std::move(done));
}

void Door::raise()
{
    if (form_.isMinimized())
        form_.showNormal();
    else
        form_.show();
    form_.raise();
    form_.activateWindow();
}

void Door::quit()
{
    // Later, from the event loop, as the window's close button does: the
    // caller gets its answer first.
    QMetaObject::invokeMethod(&form_, [f = &form_] { f->close(); }, Qt::QueuedConnection);
}

}  // namespace model
