#include "model/door.h"

#include "ui/form1.h"

#include <QApplication>

#include <algorithm>
#include <cmath>
#include <vector>

namespace model {

namespace {

int procedureDepth = 0;
// The doors of the windows there are (tests build several in turn).
std::vector<Door *> &doors()
{
    static std::vector<Door *> all;
    return all;
}

}  // namespace

Door::ProcedureScope::ProcedureScope()
{
    ++procedureDepth;
}

Door::ProcedureScope::~ProcedureScope()
{
    if (--procedureDepth == 0)
        for (Door *d : doors())
            d->wake();
}

int Door::ProcedureScope::depth()
{
    return procedureDepth;
}

Door::Door(Form1 &form) : form_(form), next_(form.plat.makeTimer()), deadline_(form.plat.makeTimer())
{
    // One millisecond: a timer of interval 0 is a stopped one on the
    // virtual backend.
    next_->setInterval(1);
    next_->onTick = [this] {
        next_->setEnabled(false);
        runNext();
    };
    deadline_->onTick = [this] {
        deadline_->setEnabled(false);
        refuseExpired();
        armDeadline();
    };
    // The gate opens when the window stops being busy: a wait ends, the
    // window is enabled again.
    QObject::connect(&form_.hifi(), &HifiModel::busyChanged, &form_, [this](bool busy) {
        if (!busy)
            wake();
    });
    doors().push_back(this);
}

Door::~Door()
{
    std::erase(doors(), this);
    next_->onTick = nullptr;
    deadline_->onTick = nullptr;
}

const HifiModel &Door::model() const
{
    return form_.hifi();
}

bool Door::windowFree() const
{
    // A message box waits in a loop of its own, like a handler's wait.
    return !form_.hifi().busy() && ProcedureScope::depth() == 0 && !QApplication::activeModalWidget();
}

double Door::now() const
{
    // Whole days and the time of day, so that a wait across midnight counts right.
    return form_.plat.clock->absoluteSeconds();
}

void Door::submit(std::function<void()> action, Done done, Wanted wanted)
{
    if (closed_)
        return;
    queue_.push_back({std::move(action), std::move(done), now() + kMaxWaitSeconds, std::move(wanted)});
    wake();
    if (queue_.size() == 1)
        armDeadline();
}

void Door::wake()
{
    if (!queue_.empty() && !closed_)
        next_->setEnabled(true);
}

void Door::runNext()
{
    refuseExpired();
    // Busy: the end of the wait, or of the procedure, wakes the door again.
    if (queue_.empty() || !windowFree())
        return;
    Pending p = std::move(queue_.front());
    queue_.pop_front();
    armDeadline();
    if (!p.wanted || p.wanted())
        runHandler(p.action);  // a procedure scope of its own
    if (p.done && !closed_)
        p.done(true);
    // The next one from a fresh turn of the event loop.
    wake();
}

void Door::refuseExpired()
{
    const double t = now();
    while (!queue_.empty() && queue_.front().deadline <= t) {
        Pending p = std::move(queue_.front());
        queue_.pop_front();
        if (p.done)
            p.done(false);
    }
}

void Door::armDeadline()
{
    if (queue_.empty() || closed_) {
        deadline_->setEnabled(false);
        return;
    }
    const double left = queue_.front().deadline - now();
    deadline_->setInterval(std::max(1, int(std::ceil(left * 1000.0))));
    deadline_->setEnabled(true);
}

void Door::close()
{
    closed_ = true;
    queue_.clear();
    next_->setEnabled(false);
    deadline_->setEnabled(false);
}

void Door::chooseSource(Source source, Done done, Wanted wanted)
{
    submit([this, source] { form_.Quelle_Click(sourceKeyIndex(source)); }, std::move(done), std::move(wanted));
}

bool Door::pressKey(const QString &name, Done done, Wanted wanted)
{
    std::function<void()> procedure = form_.keyProcedure(name);
    if (!procedure)
        return false;
    submit(std::move(procedure), std::move(done), std::move(wanted));
    return true;
}

void Door::setLevel(Level level, int value, Done done)
{
    submit([this, level, value] { form_.levelSlider_Set(int(level), value); }, std::move(done));
}

void Door::stepVolume(bool up, Done done)
{
    submit([this, up] { form_.Form_KeyPress(up ? '+' : '-'); }, std::move(done));
}

void Door::tuneStationKey(int index, Done done)
{
    submit([this, index] { form_.stationT_Click(index); }, std::move(done));
}

void Door::tuneStation(const QString &frequency, Done done, Wanted wanted)
{
    submit(
        [this, frequency] {
            const auto &keys = form_.hifi().keyStations();
            for (int i = 1; i <= 30; ++i) {
                if (!keys[size_t(i)].frequency.isEmpty() && keys[size_t(i)].frequency == frequency) {
                    form_.stationT_Click(i);
                    return;
                }
            }
        },
        std::move(done), std::move(wanted));
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
