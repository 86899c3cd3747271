#include "platform/virtual/virtual_platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform::virt {

namespace {

[[noreturn]] void fail(const char *what, double t)
{
    std::fprintf(stderr, "virtual time: %s (at %.3f s) - a test waits for something that never happens\n",
                 what, t);
    std::fflush(stderr);
    std::abort();
}

class VirtualClock : public Clock {
public:
    explicit VirtualClock(Scheduler &s) : s_(s) {}
    float secondsSinceMidnight() const override { return float(s_.secondsOfDay()); }
    QDate date() const override { return s_.date(); }
    int hour() const override { return int(s_.secondsOfDay()) / 3600; }
    int minute() const override { return int(s_.secondsOfDay()) / 60 % 60; }
    int weekday() const override { return s_.date().dayOfWeek() % 7 + 1; }

private:
    Scheduler &s_;
};

class VirtualPump : public EventPump {
public:
    explicit VirtualPump(Scheduler &s) : s_(s) {}
    void processEvents(double maxWaitSeconds) override
    {
        // At least one millisecond, so that a wait always moves on.
        s_.step(s_.now() + std::max(maxWaitSeconds, 0.001));
    }

private:
    Scheduler &s_;
};

class VirtualTimer : public Timer {
public:
    explicit VirtualTimer(Scheduler &s) : s_(s) {}
    ~VirtualTimer() override { unschedule(); }

    void setInterval(int ms) override
    {
        interval_ = ms;
        if (enabled_)
            restart();
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override
    {
        if (on == enabled_)
            return;
        enabled_ = on;
        if (on)
            restart();
        else
            unschedule();
    }
    bool isEnabled() const override { return enabled_; }

private:
    void restart()
    {
        unschedule();
        ++generation_;
        if (!inTick_)
            arm(s_.now() + interval_ / 1000.0);
        else
            rearmAfterTick_ = true;
    }
    void arm(double at)
    {
        if (interval_ <= 0)
            return;  // a timer of interval 0 never ticks
        pending_ = s_.schedule(at, [this, at] { fire(at); });
        armed_ = true;
    }
    void unschedule()
    {
        if (armed_)
            s_.cancel(pending_);
        armed_ = false;
    }
    void fire(double due)
    {
        armed_ = false;
        const auto gen = generation_;
        inTick_ = true;
        rearmAfterTick_ = false;
        if (onTick)
            onTick();
        inTick_ = false;
        if (!enabled_ || armed_)
            return;
        if (rearmAfterTick_ || gen != generation_) {
            arm(s_.now() + interval_ / 1000.0);
            return;
        }
        // The next period follows the last; a tick whose handler waited past
        // it comes right after the handler returns.
        const double next = due + interval_ / 1000.0;
        arm(std::max(next, s_.now()));
    }

    Scheduler &s_;
    int interval_ = 0;
    bool enabled_ = false;
    bool armed_ = false;
    bool inTick_ = false;
    bool rearmAfterTick_ = false;
    std::uint64_t generation_ = 0;
    Scheduler::EventId pending_ = 0;
};

}  // namespace

Scheduler::Scheduler(const QDateTime &start) : start_(start)
{
    startSecondsOfDay_ = start.time().msecsSinceStartOfDay() / 1000.0;
}

QDate Scheduler::date() const
{
    const double total = startSecondsOfDay_ + clockOffset_ + now_;
    return start_.date().addDays(qint64(std::floor(total / 86400.0)));
}

double Scheduler::secondsOfDay() const
{
    const double total = startSecondsOfDay_ + clockOffset_ + now_;
    return total - std::floor(total / 86400.0) * 86400.0;
}

Scheduler::EventId Scheduler::schedule(double at, std::function<void()> fn)
{
    at = std::max(at, now_);
    const EventId id = ++seq_;
    queue_.emplace(std::make_pair(at, id), std::move(fn));
    due_.emplace(id, at);
    return id;
}

void Scheduler::cancel(EventId id)
{
    auto it = due_.find(id);
    if (it == due_.end())
        return;
    queue_.erase(std::make_pair(it->second, id));
    due_.erase(it);
}

void Scheduler::step(double deadline)
{
    // Posted work (deferred deletes, repaints) runs between events, at most
    // once per frame of virtual time: repainting after every character of a
    // dump would cost more than all the rest.
    if (now_ >= nextDrain_ || now_ == 0) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        nextDrain_ = now_ + kDrainPeriod;
    }
    if (!queue_.empty() && queue_.begin()->first.first <= deadline) {
        auto node = queue_.extract(queue_.begin());
        due_.erase(node.key().second);
        now_ = std::max(now_, node.key().first);
        if (++eventsRun_ > maxEvents)
            fail("too many events", now_);
        if (now_ > maxVirtualSeconds)
            fail("virtual time cap reached", now_);
        node.mapped()();
        return;
    }
    now_ = std::max(now_, deadline);
    if (now_ > maxVirtualSeconds)
        fail("virtual time cap reached", now_);
}

void Scheduler::runFor(double seconds)
{
    const double end = now_ + seconds;
    while (now_ < end || (!queue_.empty() && queue_.begin()->first.first <= end))
        step(end);
}

void Scheduler::runUntil(const std::function<bool()> &done, double maxSeconds)
{
    const double end = now_ + maxSeconds;
    while (!done()) {
        if (now_ >= end)
            fail("runUntil: condition not met in time", now_);
        step(end);
    }
}

bool VirtualSerialPort::setSettings(const QString &text)
{
    LineSettings s;
    if (!parseLineSettings(text, &s))
        return false;
    settingsText_ = text;
    return true;
}

bool VirtualSerialPort::open()
{
    if (openFails_) {
        error_ = QStringLiteral("COM%1: Permission denied").arg(number_);
        return false;
    }
    open_ = true;
    return true;
}

void VirtualSerialPort::write(const QByteArray &bytes)
{
    if (!open_)
        return;
    for (char c : bytes) {
        const double arrival = std::max(sched_.now(), txFreeAt_) + kCharTime;
        txFreeAt_ = arrival;
        sched_.schedule(arrival, [this, c, arrival] {
            toDevice_.push_back({arrival, c});
            if (!peer_)
                return;
            const PeerReply reply = peer_->byteArrived(c, arrival);
            if (!reply.bytes.empty())
                sendToHost(reply.bytes, arrival + reply.delay);
        });
    }
}

void VirtualSerialPort::injectFromDevice(const QByteArray &bytes, double delay)
{
    sendToHost(bytes.toStdString(), sched_.now() + delay);
}

void VirtualSerialPort::burstFromDevice(const QByteArray &bytes, int chunk, double interval)
{
    const double start = sched_.now();
    chunk = std::max(chunk, 1);
    for (qsizetype at = 0, k = 0; at < bytes.size(); at += chunk, ++k) {
        sched_.schedule(start + double(k) * interval, [this, part = bytes.mid(at, chunk)] {
            if (open_)
                deliver(part);
        });
    }
}

void VirtualSerialPort::sendToHost(const std::string &bytes, double start)
{
    for (char c : bytes) {
        const double arrival = std::max(start, rxFreeAt_) + kCharTime;
        rxFreeAt_ = arrival;
        sched_.schedule(arrival, [this, c] {
            if (open_)
                deliver(QByteArray(1, c));
        });
    }
}

std::vector<VirtualSerialPort::CodeAt> VirtualSerialPort::codesToDevice() const
{
    std::vector<CodeAt> out;
    for (size_t i = 0; i + 2 < toDevice_.size(); i += 3) {
        QByteArray code;
        code.append(toDevice_[i].c).append(toDevice_[i + 1].c).append(toDevice_[i + 2].c);
        out.push_back({toDevice_[i + 2].t, code});
    }
    return out;
}

void VirtualMessageBoxes::showOk(const QString &text, const QString &details)
{
    shown.push_back({text, false, sched_.now(), details});
    if (onShow)
        onShow(text);
}

bool VirtualMessageBoxes::showOkCancel(const QString &text)
{
    shown.push_back({text, true, sched_.now(), QString()});
    if (onShow)
        onShow(text);
    if (script.empty())
        return true;
    const bool ok = script.front();
    script.erase(script.begin());
    return ok;
}

VirtualWorld::VirtualWorld(const QDateTime &start, const QString &programDir) : sched(start)
{
    platform.clock = std::make_unique<VirtualClock>(sched);
    platform.pump = std::make_unique<VirtualPump>(sched);
    platform.makeTimer = [this] { return std::make_unique<VirtualTimer>(sched); };
    auto port = std::make_unique<VirtualSerialPort>(sched);
    serial = port.get();
    platform.serial = std::move(port);
    platform.random = std::make_unique<MtRandom>([this] { return std::uint32_t(sched.now() * 1000.0); });
    auto boxes = std::make_unique<VirtualMessageBoxes>(sched);
    messages = boxes.get();
    platform.messages = std::move(boxes);
    platform.listPorts = [this] { return systemPorts; };
    platform.watchSocket = makeQtSocketWatch;
    platform.inBackground = runInBackground;
    platform.programDir = programDir;
    platform.stateDir = QDir(programDir).filePath(QStringLiteral(".state"));
    if (QDir().mkpath(platform.stateDir))
        QFile::setPermissions(platform.stateDir, QFileDevice::Permissions(0x7777));
}

}  // namespace platform::virt
