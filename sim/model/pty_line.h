#pragma once
// Runs a line peer on a pseudo-terminal at real 300-baud timing: characters
// from the program arrive 33 1/3 ms apart, the answer leaves at the same pace.
// Plain POSIX, used by pelora-sim and by the tests that talk over a real port.

#include "platform/line_peer.h"

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace sim {

struct Pty {
    int master = -1;
    // Held open by us as well, so that the master never reports a hang-up
    // while no program has the port open.
    int slave = -1;
    std::string slavePath;
};

// Opens a pseudo-terminal, raw, 300 baud. On failure returns nothing and
// describes the reason in `error`.
std::optional<Pty> openPty(std::string &error);
void closePty(Pty &pty);

class PacedLine {
public:
    PacedLine(LinePeer &peer, int fd);

    // Called after each character has been handed to the peer, with the
    // peer's reply (often empty) and the line time of its arrival.
    std::function<void(char c, double t, const PeerReply &reply)> onByte;
    // Called for each answer character when it has been written.
    std::function<void(char c, double t)> onSent;

    // Serves the line until `stopFd` becomes readable. Returns 0, or an errno
    // value when polling or reading fails.
    int run(int stopFd);

    // Seconds since the line was created.
    double now() const;

private:
    struct Timed {
        double time;
        char c;
    };
    void deliverDue(double now);
    void writeDue(double now);
    void readInput();

    LinePeer &peer_;
    int fd_;
    std::chrono::steady_clock::time_point start_;
    std::deque<Timed> in_, out_;
    double inBusyUntil_ = 0.0, outBusyUntil_ = 0.0;
};

}  // namespace sim
