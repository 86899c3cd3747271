#include "model/pty_line.h"

#include "model/device_model.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

std::optional<Pty> openPty(std::string &error)
{
    Pty p;
    p.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (p.master < 0 || grantpt(p.master) != 0 || unlockpt(p.master) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        closePty(p);
        return std::nullopt;
    }
    fcntl(p.master, F_SETFD, FD_CLOEXEC);
    fcntl(p.master, F_SETFL, fcntl(p.master, F_GETFL) | O_NONBLOCK);
    const char *name = ptsname(p.master);
    if (name)
        p.slavePath = name;
    p.slave = name ? open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    termios tio{};
    if (p.slave < 0 || tcgetattr(p.slave, &tio) != 0) {
        error = std::string("cannot open the pseudo-terminal's port: ") + std::strerror(errno);
        closePty(p);
        return std::nullopt;
    }
    // Raw: no echo (the device would hear its own answer), no line editing.
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, B300);
    cfsetospeed(&tio, B300);
    tcsetattr(p.slave, TCSANOW, &tio);
    return p;
}

void closePty(Pty &p)
{
    if (p.slave >= 0)
        close(p.slave);
    if (p.master >= 0)
        close(p.master);
    p.slave = p.master = -1;
}

PacedLine::PacedLine(LinePeer &peer, int fd)
    : peer_(peer), fd_(fd), start_(std::chrono::steady_clock::now())
{
}

double PacedLine::now() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void PacedLine::deliverDue(double now)
{
    while (!in_.empty() && in_.front().time <= now) {
        const Timed in = in_.front();
        in_.pop_front();
        const PeerReply reply = peer_.byteArrived(in.c, in.time);
        if (onByte)
            onByte(in.c, in.time, reply);
        // The device talks on its own wire: an answer queues behind the last.
        double at = std::max(in.time + reply.delay, outBusyUntil_);
        for (char c : reply.bytes) {
            at += DeviceModel::charTime;
            out_.push_back({at, c});
        }
        if (!reply.bytes.empty())
            outBusyUntil_ = at;
    }
}

void PacedLine::writeDue(double now)
{
    while (!out_.empty() && out_.front().time <= now) {
        const Timed out = out_.front();
        out_.pop_front();
        // Nobody listening and the buffer full: the character is lost, as on
        // a real line without flow control.
        if (write(fd_, &out.c, 1) == 1 && onSent)
            onSent(out.c, out.time);
    }
}

void PacedLine::readInput()
{
    char buf[256];
    for (;;) {
        const ssize_t n = read(fd_, buf, sizeof buf);
        if (n <= 0)
            return;
        const double t = now();
        for (ssize_t i = 0; i < n; ++i) {
            inBusyUntil_ = std::max(t, inBusyUntil_) + DeviceModel::charTime;
            in_.push_back({inBusyUntil_, buf[i]});
        }
    }
}

int PacedLine::run(int stopFd)
{
    bool resting = false;  // the port reported a hang-up: do not poll it for a while
    for (;;) {
        const double t = now();
        deliverDue(t);
        writeDue(t);

        double next = HUGE_VAL;
        if (!in_.empty())
            next = in_.front().time;
        if (!out_.empty())
            next = std::min(next, out_.front().time);
        int timeout = -1;
        if (next != HUGE_VAL)
            timeout = std::max(0, int(std::ceil((next - now()) * 1000.0)));
        if (resting)
            timeout = timeout < 0 ? 100 : std::min(timeout, 100);

        pollfd fds[2] = {{stopFd, POLLIN, 0}, {fd_, POLLIN, 0}};
        const nfds_t count = resting ? 1 : 2;
        resting = false;
        const int ready = poll(fds, count, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (fds[0].revents)
            return 0;
        if (fds[1].revents & POLLIN)
            readInput();
        else if (fds[1].revents & (POLLHUP | POLLERR))
            resting = true;
    }
}

}  // namespace sim
