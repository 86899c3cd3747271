// Cold start of the real program to its first status request on the line,
// and the program's peak memory once the window is up and has decoded a
// dump. The bench plays the device on a pseudo-terminal of its own.
//
//   build/bench/startup_bench [runs]

#include "program_on_pty.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long peakKb(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

}  // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    std::vector<double> firstByteMs;
    std::vector<long> peak;
    const std::string dump = "SONV VOL:30 BAL: 00 TRE:000 BAS:000 LDN:N MUT:N SRC:FM SP1:Y  SP2:N FRQ: 87.90\r";

    for (int r = 0; r < runs; ++r) {
        ProgramOnPty pty;
        const int master = pty.master;
        const QByteArray &programPath = pty.program;
        const auto t0 = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            execl(programPath.constData(), "pelora", static_cast<char *>(nullptr));
            _exit(127);
        }
        std::string got;
        pollfd p{master, POLLIN, 0};
        while (got.size() < 3 && poll(&p, 1, 10000) > 0) {
            char buf[16];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, size_t(n));
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (got.substr(0, 3) != "0:7") {
            std::fprintf(stderr, "no status request on the line (got \"%s\")\n", got.c_str());
            kill(pid, SIGKILL);
            return 1;
        }
        firstByteMs.push_back(ms);
        // Answer as the device would, at 300 baud, then let the window settle.
        for (char c : dump) {
            write(master, &c, 1);
            usleep(33333);
        }
        usleep(1500 * 1000);
        peak.push_back(peakKb(pid));
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::sort(firstByteMs.begin(), firstByteMs.end());
    std::sort(peak.begin(), peak.end());
    std::printf("Cold start to the first status request, %d runs: median %.0f ms, min %.0f, max %.0f\n", runs,
                firstByteMs[firstByteMs.size() / 2], firstByteMs.front(), firstByteMs.back());
    std::printf("Peak memory (VmHWM) after start and one decoded dump: median %.1f MB, max %.1f MB\n",
                peak[peak.size() / 2] / 1024.0, peak.back() / 1024.0);
    return 0;
}
