// What the program costs while it sits there, against the smallest Qt
// Widgets window (bare_window: a QApplication and a QLabel), both on an X
// server of the bench's own (Xvfb), without a session bus:
// - start to window mapped, seen as the X server's MapNotify;
// - peak resident memory (VmHWM) once the window is up and, for pelora,
//   has decoded a dump;
// - wake-ups (voluntary context switches of all threads) in 15 s between
//   two status exchanges.
// The bench plays the device on a pseudo-terminal.
//
//   build/bench/idle_bench [runs]

#include "program_on_pty.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kIdleSeconds = 15.0;

struct Figures {
    double mappedMs = 0;
    long peakKb = 0;
    long wakeups = 0;
};

long statusField(pid_t pid, const char *field, const QString &task = QString())
{
    QFile f(task.isEmpty() ? QStringLiteral("/proc/%1/status").arg(pid) : task + QStringLiteral("/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toLong();
    return 0;
}

// Voluntary context switches of all the process's threads: each is a
// sleep, so each one after the first is a wake-up.
long wakeups(pid_t pid)
{
    long sum = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &t : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        sum += statusField(pid, "voluntary_ctxt_switches:", tasks.filePath(t));
    return sum;
}

void sleepSeconds(double s)
{
    usleep(useconds_t(s * 1e6));
}

// Starts `program` and waits for its first window to be mapped.
pid_t startAndWaitForMap(const QByteArray &program, const char *display, double *mappedMs)
{
    xcb_connection_t *x = xcb_connect(display, nullptr);
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", display, 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        execl(program.constData(), program.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    *mappedMs = -1;
    pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
    while (*mappedMs < 0 && poll(&p, 1, 20000) > 0) {
        while (xcb_generic_event_t *e = xcb_poll_for_event(x)) {
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY && *mappedMs < 0)
                *mappedMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            free(e);
        }
    }
    xcb_disconnect(x);
    return pid;
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Wake-ups in kIdleSeconds from now, then the peak memory; ends the program.
void measureIdleAndStop(pid_t pid, Figures &f)
{
    const long w0 = wakeups(pid);
    sleepSeconds(kIdleSeconds);
    f.wakeups = wakeups(pid) - w0;
    f.peakKb = statusField(pid, "VmHWM:");
    stop(pid);
}

Figures bare(const QByteArray &program, const char *display)
{
    Figures f;
    const pid_t pid = startAndWaitForMap(program, display, &f.mappedMs);
    sleepSeconds(4.0);  // as long as pelora's first exchange takes, and then some
    measureIdleAndStop(pid, f);
    return f;
}

Figures pelora(const char *display)
{
    Figures f;
    ProgramOnPty pty;
    const pid_t pid = startAndWaitForMap(pty.program, display, &f.mappedMs);
    // The first status request, answered as the device does at 300 baud.
    std::string got;
    pollfd p{pty.master, POLLIN, 0};
    while (got.find("0:7") == std::string::npos && poll(&p, 1, 10000) > 0) {
        char buf[64];
        const ssize_t n = read(pty.master, buf, sizeof buf);
        if (n > 0)
            got.append(buf, size_t(n));
    }
    const std::string dump = "SONV VOL:30 BAL: 00 TRE:000 BAS:000 LDN:N MUT:N SRC:FM SP1:Y  SP2:N FRQ: 87.90\r";
    for (char c : dump) {
        if (write(pty.master, &c, 1) != 1)
            break;
        usleep(33333);
    }
    sleepSeconds(1.0);
    // The next exchange is 30 s after the first: 15 s fit between them.
    measureIdleAndStop(pid, f);
    return f;
}

template <typename T>
T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    // The X server picks a free display number and writes it to the pipe,
    // so that a second run (or a desktop on :87) is no obstacle.
    int fds[2];
    if (pipe(fds) != 0)
        return 1;
    const pid_t xvfb = fork();
    if (xvfb == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char number[16] = {};
    const ssize_t got = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    if (got <= 0) {
        std::fprintf(stderr, "Xvfb did not start\n");
        waitpid(xvfb, nullptr, 0);
        return 1;
    }
    const std::string displayName = ":" + std::string(number, strcspn(number, "\n"));
    const char *display = displayName.c_str();

    const QByteArray bareProgram = PELORA_BINARY_DIR "/bench/bare_window";
    std::vector<Figures> b, p;
    for (int r = 0; r < runs; ++r) {
        b.push_back(bare(bareProgram, display));
        p.push_back(pelora(display));
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);

    auto col = [](const std::vector<Figures> &v, auto member) {
        std::vector<double> out;
        for (const Figures &f : v)
            out.push_back(double(f.*member));
        return median(out);
    };
    const double bm = col(b, &Figures::mappedMs), pm = col(p, &Figures::mappedMs);
    const double bk = col(b, &Figures::peakKb), pk = col(p, &Figures::peakKb);
    const double bw = col(b, &Figures::wakeups), pw = col(p, &Figures::wakeups);
    std::printf("Medians of %d runs, pelora against a bare Qt Widgets window (QApplication + QLabel):\n", runs);
    std::printf("  start to window mapped: %.0f ms against %.0f ms: %.2fx\n", pm, bm, pm / bm);
    std::printf("  peak resident memory:   %.1f MB against %.1f MB: %.2fx\n", pk / 1024, bk / 1024, pk / bk);
    std::printf("  wake-ups in %.0f s idle: %.0f against %.0f\n", kIdleSeconds, pw, bw);
    return 0;
}
