// The real program on a line that never stops talking, as a pseudo-terminal
// or an adapter at the wrong speed can: its CPU and peak memory over 30 s of
// noise at 1 MB/s, over 30 s of noise paced at 300 baud, and, to compare,
// over 30 s of a quiet line. The noise starts right after the first status
// request, so the program takes noise for its first dump; when its
// periodic request (32 s later, still inside the noise) reaches the line
// shows that timers and writes get through.
//
//   build/bench/stream_bench [seconds]

#include "program_on_pty.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

long statusKb(pid_t pid, const char *key)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(std::strlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// User and system CPU seconds of the process so far.
double cpuSeconds(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // Fields after the command name, which is in parentheses: utime is the 12th, stime the 13th.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

struct Result {
    double sentBytes = 0;  // per second, over the measured time
    double cpuPercent = 0;
    long peakKb = 0;
    long rssBeforeKb = 0;
    double nextRequestAt = -1;  // seconds after the first request; -1 if none came
};

// Streams noise at `bytesPerSecond`, in writes every `tick` seconds, until
// the periodic request comes; CPU and memory are taken after `duration`
// seconds of it.
bool run(double bytesPerSecond, double tick, double duration, Result &out)
{
    ProgramOnPty pty;
    const int master = pty.master;
    const QByteArray &programPath = pty.program;
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(programPath.constData(), "pelora", static_cast<char *>(nullptr));
        _exit(127);
    }
    auto finish = [&](bool ok) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return ok;
    };

    std::string got;
    auto readLine = [&](int waitMs) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, size_t(n));
        }
    };
    const auto started = Clock::now();
    while (got.find("0:7") == std::string::npos && seconds(started) < 10)
        readLine(100);
    if (got.find("0:7") == std::string::npos) {
        std::fprintf(stderr, "no status request on the line\n");
        return finish(false);
    }
    const auto t0 = Clock::now();
    const size_t firstRequestEnd = got.find("0:7") + 3;
    usleep(200 * 1000);  // the port is open and set up
    out.rssBeforeKb = statusKb(pid, "VmRSS:");
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    std::mt19937 gen(17);
    std::string noise(1 << 16, '\0');
    for (char &c : noise)
        c = char(gen());
    size_t at = 0;
    double owed = 0;
    const double cpu0 = cpuSeconds(pid);
    const auto streamStart = Clock::now();
    auto next = streamStart;
    bool measured = false;
    // The noise goes on until the periodic request has come and the time is measured.
    auto requestSeen = [&] { return got.find("0:7", firstRequestEnd) != std::string::npos; };
    while (!(measured && requestSeen()) && seconds(t0) < std::max(40.0, duration + 1)) {
        if (!measured && seconds(streamStart) >= duration) {
            out.cpuPercent = 100.0 * (cpuSeconds(pid) - cpu0) / seconds(streamStart);
            out.peakKb = statusKb(pid, "VmHWM:");
            out.sentBytes /= seconds(streamStart);
            measured = true;
        }
        owed += bytesPerSecond * tick;
        while (owed >= 1) {
            const size_t n = std::min({size_t(owed), noise.size() - at, size_t(65536)});
            const ssize_t w = write(master, noise.data() + at, n);
            if (w <= 0)
                break;  // the line is full: the program reads slower than the noise comes
            if (!measured)
                out.sentBytes += double(w);
            owed -= double(w);
            at = (at + size_t(w)) % noise.size();
        }
        owed = std::min(owed, bytesPerSecond * tick);  // what the line could not take is lost
        readLine(0);
        if (out.nextRequestAt < 0 && requestSeen())
            out.nextRequestAt = seconds(t0);
        next += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(tick));
        std::this_thread::sleep_until(next);
    }
    if (!measured) {
        std::fprintf(stderr, "the stream ended before %.0f s\n", duration);
        return finish(false);
    }
    return finish(true);
}

}  // namespace

int main(int argc, char **argv)
{
    const double duration = argc > 1 ? std::atof(argv[1]) : 30.0;
    Result fast, slow, quiet;
    if (!run(1e6, 0.01, duration, fast) || !run(30, 1.0 / 30, duration, slow) || !run(0, 0.1, duration, quiet))
        return 1;
    std::printf("Noise at 1 MB/s for %.0f s: %.2f MB/s taken, CPU %.1f %%, peak memory (VmHWM) %.1f MB "
                "(%.1f MB before the noise), next status request %.2f s after the first (32 s when on time)\n",
                duration, fast.sentBytes / 1e6, fast.cpuPercent, fast.peakKb / 1024.0,
                fast.rssBeforeKb / 1024.0, fast.nextRequestAt);
    std::printf("Noise at 300 baud for %.0f s: CPU %.2f %%, peak memory (VmHWM) %.1f MB, next status request "
                "%.2f s after the first\n",
                duration, slow.cpuPercent, slow.peakKb / 1024.0, slow.nextRequestAt);
    std::printf("Quiet line for %.0f s after the first request: CPU %.2f %%\n", duration, quiet.cpuPercent);
    return 0;
}
