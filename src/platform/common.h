#pragma once
// Pieces both backends share.

#include "platform/platform.h"

#include <random>

namespace platform {

// Hands received characters on one at a time: each raises its own receive
// event, in arrival order, also when a handler waits and more arrive.
class BufferedSerialPort : public SerialPort {
public:
    // Characters held at most, as a driver's receive buffer holds them: what
    // comes while it is full is lost, so no line can make it grow further.
    static constexpr int kInBufferSize = 4096;

    int inBufferCount() const override { return int(rx_.size()); }
    void discardInput() override { rx_.clear(); }
    QByteArray input() override;
    QByteArray inputAll() override;

protected:
    // New characters from the line.
    void deliver(const QByteArray &bytes);

private:
    QByteArray rx_;
    quint64 taken_ = 0;
};

class MtRandom : public Random {
public:
    explicit MtRandom(std::function<std::uint32_t()> clockSeed) : clockSeed_(std::move(clockSeed)) {}
    void seed(std::uint32_t s) override { gen_.seed(s); }
    void seedFromClock() override { gen_.seed(clockSeed_()); }
    double next() override;

private:
    std::mt19937_64 gen_{20261207};
    std::function<std::uint32_t()> clockSeed_;
};

struct LineSettings {
    int baud = 0;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
};
// A socket watch on Qt's event loop; both backends use it, since the
// virtual scheduler runs Qt's events between its own.
std::unique_ptr<SocketWatch> makeQtSocketWatch(int fd);
// Work on a thread of its own, its end posted to Qt's event loop; both
// backends use it, as with the sockets.
void runInBackground(std::function<void()> work, std::function<void()> done);

// Parses "300,N,8,1"; false when it is not of that form.
bool parseLineSettings(const QString &text, LineSettings *out);

}  // namespace platform
