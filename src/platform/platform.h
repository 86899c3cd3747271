#pragma once
// What the window logic needs of the outside world. Two backends implement
// these: the Qt one (real clock, timers, serial port, message boxes) and the
// virtual-time one used by tests and benchmarks.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since midnight, with fraction, as the 32-bit float the logic uses.
    virtual float secondsSinceMidnight() const = 0;
    virtual QDate date() const = 0;
    virtual int hour() const = 0;
    virtual int minute() const = 0;
    // Sunday = 1 ... Saturday = 7.
    virtual int weekday() const = 0;
    // Seconds on a scale that runs on over midnight: for intervals.
    double absoluteSeconds() const { return double(date().toJulianDay()) * 86400.0 + secondsSinceMidnight(); }
};

class Timer {
public:
    virtual ~Timer() = default;
    // Changing the interval of a running timer starts its period anew.
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    // Enabling a timer that already runs keeps its phase; disabling and
    // enabling again starts the period anew.
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;
    // Called on each tick. A tick never re-enters itself: while its handler
    // waits, the same timer does not tick again.
    std::function<void()> onTick;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Handle pending events; when there are none, wait for the next one, but
    // no longer than maxWaitSeconds.
    virtual void processEvents(double maxWaitSeconds) = 0;
};

class Random {
public:
    virtual ~Random() = default;
    virtual void seed(std::uint32_t s) = 0;
    virtual void seedFromClock() = 0;
    // Next value in [0, 1).
    virtual double next() = 0;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // `details` (may be empty) goes below the text, as the reason of a
    // failure the text names.
    virtual void showOk(const QString &text, const QString &details = QString()) = 0;
    // True when the user answered OK.
    virtual bool showOkCancel(const QString &text) = 0;
};

// The serial port as the logic sees it. Received characters are handed on one
// at a time: every character raises its own receive event, and input() reads
// the character of that event. A handler that takes everything waiting with
// inputAll() ends the events for those characters: a line that babbles costs
// one event per read, not one per character.
class SerialPort {
public:
    enum EventKind { Received = 2, Other = 0 };

    virtual ~SerialPort() = default;
    virtual void setPortNumber(int n) = 0;
    virtual int portNumber() const = 0;
    // A device chosen by path (the command line, the port list); empty:
    // the device of the port number. Takes effect at the next open.
    virtual void setDevicePath(const QString &path) = 0;
    virtual QString devicePath() const = 0;
    // "300,N,8,1"; false when the text is not understood.
    virtual bool setSettings(const QString &settings) = 0;
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Why the last open failed: the device tried and the system's reason,
    // in words for the user.
    virtual QString errorText() const = 0;
    // Hands the bytes to the line at once; never waits.
    virtual void write(const QByteArray &bytes) = 0;
    // Characters waiting to be read.
    virtual int inBufferCount() const = 0;
    // Discards every waiting character.
    virtual void discardInput() = 0;
    // The character of the current receive event (empty if none is waiting).
    virtual QByteArray input() = 0;
    // Every character waiting, at once.
    virtual QByteArray inputAll() = 0;

    std::function<void(EventKind)> onComm;
};

// A socket of a network client (the home network's broker connection),
// watched by the event loop: onReadable when data waits, onWritable while
// writing is watched and the socket takes more. The sockets are real in
// both backends: virtual time does not reach the network.
class SocketWatch {
public:
    virtual ~SocketWatch() = default;
    // Watch for room to write only while there is something to write, so
    // that an idle connection wakes nobody.
    virtual void watchWrite(bool on) = 0;
    std::function<void()> onReadable;
    std::function<void()> onWritable;
};

// A serial device the system reports, and its description (may be empty).
struct SystemPort {
    QString device;
    QString description;
};

struct Platform {
    std::unique_ptr<Clock> clock;
    std::unique_ptr<EventPump> pump;
    std::function<std::unique_ptr<Timer>()> makeTimer;
    std::unique_ptr<SerialPort> serial;
    std::unique_ptr<Random> random;
    std::unique_ptr<MessageBoxes> messages;
    // The serial devices the system has now; adapters come and go.
    std::function<QList<SystemPort>()> listPorts;
    // Watches the socket `fd` (which stays the caller's to close).
    std::function<std::unique_ptr<SocketWatch>(int fd)> watchSocket;
    // Runs `work` on a thread of its own, then `done` from the event loop.
    // For what may block on the network (a name lookup), which the event
    // loop must never wait for. Whatever both share, the caller keeps alive;
    // `done` may come after its caller is gone, and must look first.
    std::function<void(std::function<void()> work, std::function<void()> done)> inBackground;
    QString programDir;
    // The user's own state, outside the program directory (journals of
    // in-place saves).
    QString stateDir;
};

// The serial device behind port number n: COM<n> on Windows; elsewhere an
// entry COM<n> in the program directory if there is one (a link to a USB
// adapter or to the simulator), else /dev/ttyS<n-1>.
// *viaLink tells whether the name came from such a link.
QString portDeviceName(int n, const QString &programDir, bool *viaLink = nullptr);

}  // namespace platform
