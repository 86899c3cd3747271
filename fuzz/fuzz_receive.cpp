// Any bytes on the line, in reads of any size, with status requests and
// passing time in between, through a real window on the virtual-time
// backend. Nothing crashes, the port never holds more than its bound, the
// receive log never more than its tail, and a dump never more than its
// 101 places.

#include "fuzz_window.h"

#include <QTextDocument>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kLogTail = 4096;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_receive: %s\n", what);
        std::abort();
    }
}

char programName[] = "fuzz_receive";

struct Fixture : FuzzWindow {
    Fixture() : FuzzWindow(programName)
    {
        // Look at the port's buffer at every receive event, before the window does.
        auto formEvent = world->serial->onComm;
        world->serial->onComm = [this, formEvent](platform::SerialPort::EventKind kind) {
            check(world->serial->inBufferCount() <= platform::BufferedSerialPort::kInBufferSize,
                  "port buffer above its bound");
            formEvent(kind);
        };
    }
    void read(const QByteArray &bytes)
    {
        world->serial->burstFromDevice(bytes, int(bytes.size()), 0);
        world->sched.runFor(0);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Fixture f;
    // Steps: one byte says what happens, the bytes after it carry a read.
    std::size_t i = 0;
    while (i < size) {
        const unsigned op = data[i++];
        switch (op % 4) {
        case 0:
            runHandler([] { f.form->requestStatus(); });
            break;
        case 1:
            // Up to about three seconds: the answer watches run out.
            f.world->sched.runFor(double(op >> 2) * 0.05);
            break;
        case 2: {
            // One read of 1 to 190 characters.
            const std::size_t n = std::min(size - i, std::size_t(1 + (op >> 2) * 3));
            f.read(QByteArray(reinterpret_cast<const char *>(data + i), qsizetype(n)));
            i += n;
            break;
        }
        default: {
            // A flood: the rest of the input, repeated to three buffers' worth, in one read.
            const QByteArray rest(reinterpret_cast<const char *>(data + i), qsizetype(size - i));
            i = size;
            if (rest.isEmpty())
                break;
            QByteArray flood;
            while (flood.size() < 3 * platform::BufferedSerialPort::kInBufferSize)
                flood += rest;
            f.read(flood);
            break;
        }
        }
        check(f.form->Text1->document()->characterCount() - 1 <= kLogTail, "receive log above its tail");
        check(f.form->rxCount <= 101, "more dump characters stored than there are places");
    }
    // The codes written go nowhere; forget them.
    f.world->serial->clearLog();
    return 0;
}
