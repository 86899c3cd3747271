// Kills the real program during its in-place saves, again and again, and
// counts the data files that are neither the old nor the new contents: right
// after the kill, and after the next start (which must have put the old
// contents back). The program directory is read-only to the program, which
// runs as an ordinary user ("nobody" when the bench runs as root), so every
// save is an in-place one.
//
//   build/bench/inplace_kill_bench [kills]

#include "program_on_pty.h"

#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

struct Bench {
    ProgramOnPty run;
    QTemporaryDir state;
    bool asRoot = geteuid() == 0;

    // A killed program leaves the line in exclusive mode for as long as the
    // bench holds it open.
    void releaseLine() const { ioctl(run.keep, TIOCNXCL); }

    QString path(const char *name) const { return QDir(run.dir.path()).filePath(QLatin1String(name)); }

    pid_t startProgram()
    {
        const pid_t pid = fork();
        if (pid == 0) {
            if (asRoot && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                _exit(99);
            const QByteArray stateDir = state.path().toLocal8Bit();
            setenv("XDG_STATE_HOME", stateDir.constData(), 1);
            setenv("HOME", stateDir.constData(), 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pelora-bench", 1);
            execl(run.program.constData(), run.program.constData(), static_cast<char *>(nullptr));
            _exit(98);
        }
        return pid;
    }

    // Waits for the program's first status request on the line.
    bool waitForRequest(pid_t pid)
    {
        QByteArray seen;
        for (int waited = 0; waited < 8000; waited += 20) {
            pollfd p{run.master, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                char buf[256];
                const ssize_t n = read(run.master, buf, sizeof buf);
                if (n > 0)
                    seen.append(buf, n);
                if (seen.contains("0:7"))
                    return true;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                return false;  // it ended on its own: a start failure
        }
        return false;
    }
};

}  // namespace

int main(int argc, char **argv)
{
    const int kills = argc > 1 ? std::atoi(argv[1]) : 300;
    Bench b;
    // The directory takes no new file; its files stay writable.
    for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"}) {
        if (b.asRoot && chown(QFile::encodeName(b.path(name)).constData(), kNobody, kNobody) != 0)
            return 1;
    }
    if (b.asRoot) {
        chmod(ptsname(b.run.master), 0666);
        chown(QFile::encodeName(b.state.path()).constData(), kNobody, kNobody);
        chmod(b.run.program.constData(), 0755);
    }
    chmod(QFile::encodeName(b.run.dir.path()).constData(), 0555);

    // Old contents longer than the new, so that a write cut short leaves a
    // mix of both: the program saves the 30 slots without the blank lines.
    const QByteArray newMemory = readAll(b.path("Speicherplatz.txt"));
    const QByteArray oldMemory = newMemory + QByteArray("\r\n").repeated(2000);
    const QByteArray newConfig = readAll(b.path("config.dat"));
    const QByteArray oldConfig = newConfig + QByteArray("\r\n").repeated(2000);

    std::mt19937 random(20250125u);
    std::uniform_int_distribution<int> delayUs(0, 4000);
    int killed = 0, startFailures = 0, journalsAfterKill = 0, mixedAfterKill = 0, mixedAfterStart = 0;
    auto mixed = [&] {
        const QByteArray m = readAll(b.path("Speicherplatz.txt"));
        const QByteArray c = readAll(b.path("config.dat"));
        return int(m != oldMemory && m != newMemory) + int(c != oldConfig && c != newConfig);
    };
    for (int i = 0; i < kills; ++i) {
        writeAll(b.path("Speicherplatz.txt"), oldMemory);
        writeAll(b.path("config.dat"), oldConfig);
        pid_t pid = b.startProgram();
        if (!b.waitForRequest(pid)) {
            ++startFailures;
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            b.releaseLine();
            continue;
        }
        // The ending signal starts the saves; the kill lands somewhere in them.
        kill(pid, SIGTERM);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            ++killed;
        b.releaseLine();
        journalsAfterKill += int(!QDir(b.state.path() + QStringLiteral("/pelora")).entryList(QDir::Files).isEmpty());
        mixedAfterKill += mixed();

        // The next start puts back what a kill cut short.
        pid = b.startProgram();
        if (!b.waitForRequest(pid))
            ++startFailures;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        b.releaseLine();
        mixedAfterStart += mixed();
    }
    std::printf("in-place saves killed: %d of %d runs (the rest had finished)\n", killed, kills);
    std::printf("kills inside an in-place save (journal left): %d\n", journalsAfterKill);
    std::printf("files neither old nor new right after the kill: %d\n", mixedAfterKill);
    std::printf("files neither old nor new after the next start: %d\n", mixedAfterStart);
    std::printf("starts that failed: %d\n", startFailures);
    chmod(QFile::encodeName(b.run.dir.path()).constData(), 0700);
    return mixedAfterStart == 0 && startFailures == 0 ? 0 : 1;
}
