#pragma once
// A virtual-time backend for tests and benchmarks: a discrete-event
// scheduler drives the clock, the timers, the serial line and the message
// boxes, so minutes of device time run in milliseconds, the same way every
// time.

#include "platform/common.h"
#include "platform/line_peer.h"

#include <QDateTime>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace platform::virt {

class Scheduler {
public:
    explicit Scheduler(const QDateTime &start);

    // Seconds since the start.
    double now() const { return now_; }
    QDateTime start() const { return start_; }
    // Calendar date and seconds since midnight at the current time.
    QDate date() const;
    double secondsOfDay() const;

    using EventId = std::uint64_t;
    EventId schedule(double at, std::function<void()> fn);
    void cancel(EventId id);

    // Runs the next event if it is due at or before `deadline`, else moves
    // the clock to `deadline`. Qt's posted events are handled first.
    void step(double deadline);
    // Runs everything due within the next `seconds`.
    void runFor(double seconds);
    // Runs events until `done` holds; fails the process if it does not
    // within `maxSeconds` of virtual time.
    void runUntil(const std::function<bool()> &done, double maxSeconds = 600.0);
    // Sets the clock forward by `seconds` without running anything, as a
    // change of the system time does.
    void jumpClock(double seconds) { clockOffset_ += seconds; }

    // Safety caps: exceeding either is a test that waits for something that
    // never happens. The process stops with a clear message.
    double maxVirtualSeconds = 7 * 86400.0;
    std::uint64_t maxEvents = 50'000'000;

private:
    QDateTime start_;
    double startSecondsOfDay_ = 0;
    double now_ = 0;
    double clockOffset_ = 0;
    static constexpr double kDrainPeriod = 0.02;
    double nextDrain_ = 0;
    std::uint64_t seq_ = 0;
    std::uint64_t eventsRun_ = 0;
    std::map<std::pair<double, std::uint64_t>, std::function<void()>> queue_;
    std::map<EventId, double> due_;
};

// One character time at 300 baud, 10 bits a character.
inline constexpr double kCharTime = 1.0 / 30.0;

// The virtual serial port: a 300-baud line in both directions to a device
// object plugged in by the test.
class VirtualSerialPort : public BufferedSerialPort {
public:
    explicit VirtualSerialPort(Scheduler &s) : sched_(s) {}

    void setPortNumber(int n) override { number_ = n; }
    int portNumber() const override { return number_; }
    void setDevicePath(const QString &path) override { path_ = path; }
    QString devicePath() const override { return path_; }
    bool setSettings(const QString &text) override;
    bool open() override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    QString errorText() const override { return error_; }
    void write(const QByteArray &bytes) override;

    void setPeer(LinePeer *peer) { peer_ = peer; }
    // Makes open() fail, as a port held by another program does.
    void setOpenFails(bool fails) { openFails_ = fails; }
    // Characters sent straight to the program, as if from the device.
    void injectFromDevice(const QByteArray &bytes, double delay = 0.0);
    // Characters faster than the line carries them, as a pseudo-terminal or
    // an adapter at the wrong speed hands them on: reads of `chunk`
    // characters, one every `interval` seconds, the first now.
    void burstFromDevice(const QByteArray &bytes, int chunk, double interval);

    struct Byte {
        double t;  // when it had fully arrived
        char c;
    };
    // Every character that reached the device, with its arrival time.
    const std::vector<Byte> &toDevice() const { return toDevice_; }
    // The same, cut into three-character codes; t is the last character's time.
    struct CodeAt {
        double t;
        QByteArray code;
    };
    std::vector<CodeAt> codesToDevice() const;
    void clearLog() { toDevice_.clear(); }
    QString settings() const { return settingsText_; }

private:
    void sendToHost(const std::string &bytes, double start);

    Scheduler &sched_;
    LinePeer *peer_ = nullptr;
    int number_ = 1;
    QString path_;
    bool open_ = false;
    bool openFails_ = false;
    QString error_;
    QString settingsText_;
    double txFreeAt_ = 0;  // when the line to the device is free again
    double rxFreeAt_ = 0;  // when the line from the device is free again
    std::vector<Byte> toDevice_;
};

class VirtualMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString text;
        bool withCancel;
        double t;
        QString details;
    };
    explicit VirtualMessageBoxes(Scheduler &s) : sched_(s) {}
    void showOk(const QString &text, const QString &details) override;
    bool showOkCancel(const QString &text) override;

    // Answers for the next OK/Cancel boxes, in order (true = OK); when none
    // is left, OK.
    std::vector<bool> script;
    std::vector<Shown> shown;
    // Called while a box is showing, as a user reading it would be.
    std::function<void(const QString &)> onShow;

private:
    Scheduler &sched_;
};

// The whole virtual platform, owning its scheduler.
struct VirtualWorld {
    // The user's state lives in a folder inside the program directory that
    // anyone may write, so that it outlives the world (a restart in a test)
    // and serves a test run with an ordinary user's rights.
    explicit VirtualWorld(const QDateTime &start, const QString &programDir);
    Scheduler sched;
    Platform platform;
    VirtualSerialPort *serial = nullptr;
    VirtualMessageBoxes *messages = nullptr;
    // What the system reports as its serial devices.
    QList<SystemPort> systemPorts;
};

}  // namespace platform::virt
