// The hi-fi on the home network, measured on the real program:
// - a command published on the broker to the first byte on the line
//   (source "cd" and "tv" in turn, median of 20);
// - wake-ups (voluntary context switches of all threads) in 30 s while
//   connected and idle, against the same program without MQTT.
// A mosquitto broker of the bench's own on 127.0.0.1, pelora --headless
// on a pseudo-terminal whose far end the bench holds (it plays a device
// that does not answer, so no status exchange adds to the line).
//
//   build/bench/mqtt_bench

#include "program_on_pty.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <poll.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Reads and drops what the program writes, for `ms` exactly.
void drain(int fd, int ms)
{
    char buf[256];
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, int(left)) > 0 && read(fd, buf, sizeof buf) <= 0)
            return;
    }
}

long wakeups(qint64 pid)
{
    long sum = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &t : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(t) + QStringLiteral("/status"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                sum += line.mid(24).trimmed().toLong();
    }
    return sum;
}

QProcess *startPelora(ProgramOnPty &run, int port, bool mqtt)
{
    auto *p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--headless")};
    if (mqtt)
        args << QStringLiteral("--mqtt") << QStringLiteral("127.0.0.1:%1").arg(port);
    p->start(QString::fromLocal8Bit(run.program), args);
    p->waitForStarted(5000);
    return p;
}

void stop(QProcess *p)
{
    p->terminate();
    p->waitForFinished(10000);
    delete p;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int port = freePort();
    QTemporaryDir brokerDir;
    QFile conf(QDir(brokerDir.path()).filePath(QStringLiteral("mosquitto.conf")));
    conf.open(QIODevice::WriteOnly);
    conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n").arg(port).toUtf8());
    conf.close();
    QProcess broker;
    // An ordinary user's PATH lacks /usr/sbin, where Debian puts the broker.
    QString mosquittoPath = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (mosquittoPath.isEmpty())
        mosquittoPath = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    broker.start(mosquittoPath, {QStringLiteral("-c"), conf.fileName()});
    if (!broker.waitForStarted(5000)) {
        std::fprintf(stderr, "mosquitto is missing\n");
        return 1;
    }
    QThread::msleep(500);

    mosquitto_lib_init();
    mosquitto *client = mosquitto_new("pelora-bench", true, nullptr);
    if (mosquitto_connect(client, "127.0.0.1", port, 60) != MOSQ_ERR_SUCCESS) {
        std::fprintf(stderr, "the broker does not answer\n");
        return 1;
    }

    std::vector<double> ms;
    long connectedWakeups = 0;
    {
        ProgramOnPty run;
        QProcess *pelora = startPelora(run, port, true);
        // The start's status request goes unanswered; let it end.
        drain(run.master, 4000);
        for (int i = 0; i < 20; ++i) {
            drain(run.master, 300);
            const char *source = i % 2 ? "tv" : "cd";
            const auto t0 = Clock::now();
            mosquitto_publish(client, nullptr, "pelora/source/set", int(std::strlen(source)), source, 0, false);
            mosquitto_loop_write(client, 1);
            pollfd p{run.master, POLLIN, 0};
            if (poll(&p, 1, 10000) > 0)
                ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            mosquitto_loop_misc(client);
        }
        drain(run.master, 2000);
        const long w0 = wakeups(pelora->processId());
        drain(run.master, 30000);
        connectedWakeups = wakeups(pelora->processId()) - w0;
        stop(pelora);
    }
    long plainWakeups = 0;
    {
        ProgramOnPty run;
        QProcess *pelora = startPelora(run, port, false);
        drain(run.master, 6000);
        const long w0 = wakeups(pelora->processId());
        drain(run.master, 30000);
        plainWakeups = wakeups(pelora->processId()) - w0;
        stop(pelora);
    }
    mosquitto_disconnect(client);
    mosquitto_destroy(client);
    broker.terminate();
    broker.waitForFinished(5000);

    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
        std::fprintf(stderr, "no command reached the line\n");
        return 1;
    }
    std::printf("command published -> first byte on the line: median %.1f ms, min %.1f, max %.1f (%zu runs)\n",
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
    std::printf("wake-ups in 30 s idle: %ld with MQTT connected, %ld without MQTT\n", connectedWakeups, plainWakeups);
    return 0;
}
