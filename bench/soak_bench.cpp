// The real program under a long random mix of what reaches it from outside:
// MQTT commands of every kind (those whose procedures wait among them),
// media-player calls on a private session bus, and mouse clicks on the
// window's keys on an X server of the bench's own (Xvfb, xdotool), against
// the simulator. It reports:
// - hangs: no status exchange ("0:7" in the simulator's log) for 40 s;
// - pelora's peak and current RSS after the start and at the end;
// - the event loop's longest gap, seen from outside: the longest round trip
//   of a D-Bus Get of the volume, which the main thread answers, asked
//   every 100 ms;
// - whether SIGTERM ends it with status 0 within 2 s.
//
// The bench also asks for the status over MQTT every 10 s: source changes
// restart the periodic refresh, and a mix this busy would keep it from ever
// firing.
//
//   build/bench/soak_bench [--seconds N] [--seed S] [--verbose]   (default 600 s, seed 1)

#include "program_on_pty.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <mosquitto.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// The player's name on the bus: one per data folder, read once it is there.
QString kPlayer;
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");

QString tool(const QString &name)
{
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return found;
}

// The first line a started program prints (an address, a display number).
QString firstLine(QProcess &p, int ms = 10000)
{
    if (!QTest::qWaitFor([&] { return p.canReadLine(); }, ms))
        return {};
    return QString::fromLatin1(p.readLine()).trimmed();
}

struct Memory {
    long hwmKb = 0, rssKb = 0;
};
Memory memoryOf(qint64 pid)
{
    Memory m;
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            m.hwmKb = line.mid(6).trimmed().split(' ').value(0).toLong();
        else if (line.startsWith("VmRSS:"))
            m.rssKb = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return m;
}

// Asks the volume every 100 ms on a connection of its own and keeps the
// longest round trip; a frozen event loop shows as one long one.
class LoopProbe {
public:
    explicit LoopProbe(const QString &address) : address_(address) { clock_.start(); }
    ~LoopProbe() { stop(); }
    void start()
    {
        thread_ = std::thread([this] { run(); });
    }
    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // A call still waiting counts with what it has waited so far.
    qint64 longestMs() const
    {
        const qint64 since = inflightSince_;
        return std::max<qint64>(longest_, since > 0 ? clock_.elapsed() - since : 0);
    }
    int failures() const { return failures_; }
    int samples() const { return samples_; }
    double longestAtSeconds() const { return longestAt_; }

private:
    void run()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address_, QStringLiteral("soak-probe"));
        QDBusMessage get = QDBusMessage::createMethodCall(kPlayer, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume");
        while (!stop_) {
            const qint64 t0 = clock_.elapsed();
            inflightSince_ = std::max<qint64>(t0, 1);
            const QDBusMessage reply = bus.call(get, QDBus::Block, 60000);
            inflightSince_ = 0;
            const qint64 ms = clock_.elapsed() - t0;
            ++samples_;
            if (reply.type() != QDBusMessage::ReplyMessage)
                ++failures_;
            if (ms > longest_) {
                longest_ = ms;
                longestAt_ = double(t0) / 1000.0;
            }
            for (int i = 0; i < 10 && !stop_; ++i)
                usleep(10000);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("soak-probe"));
    }

    QString address_;
    QElapsedTimer clock_;
    std::atomic<qint64> inflightSince_{0};
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> longest_{0};
    std::atomic<double> longestAt_{0};
    std::atomic<int> failures_{0}, samples_{0};
};

// The window's keys in client pixels (their centres), from the design's twips.
QPoint keyAt(int panelLeft, int panelTop, int left, int top, int width, int height)
{
    return {(panelLeft + left + width / 2) / 15, (panelTop + top + height / 2) / 15};
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int seconds = 600;
    bool verbose = false;  // --verbose: pelora's log lines on stderr
    unsigned seed = 1;
    const QStringList args = app.arguments();
    verbose = args.contains(QStringLiteral("--verbose"));
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--seed"))
            seed = args[i + 1].toUInt();
    }
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };

    QTemporaryDir dir;
    const auto at = [&](const QString &name) { return QDir(dir.path()).filePath(name); };
    for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
        QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name), at(QLatin1String(name)));
    QFile::copy(QStringLiteral(PELORA_BINARY_DIR "/pelora"), at(QStringLiteral("pelora")));
    QFile::setPermissions(at(QStringLiteral("pelora")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile ini(at(QStringLiteral("pelora.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[mqtt]\nid=soak\nbase_topic=pelora\n");
    ini.close();

    // Everything started, ended in reverse order at the end.
    std::vector<QProcess *> started;
    const auto launch = [&](const QString &program, const QStringList &arguments, const QProcessEnvironment &env =
                                                                                      QProcessEnvironment::systemEnvironment()) {
        auto *p = new QProcess;
        p->setProcessEnvironment(env);
        p->start(program, arguments);
        started.push_back(p);
        return p->waitForStarted(5000) ? p : nullptr;
    };
    const auto endAll = [&] {
        for (auto it = started.rbegin(); it != started.rend(); ++it) {
            QProcess *p = *it;
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
                p->waitForFinished(2000);
            }
            delete p;
        }
        started.clear();
    };
    const auto fail = [&](const char *why) {
        std::fprintf(stderr, "soak_bench: %s\n", why);
        endAll();
        return 1;
    };

    QProcess *sim = launch(QStringLiteral(PELORA_BINARY_DIR "/pelora-sim"),
                           {QStringLiteral("--dir"), dir.path(), QStringLiteral("--port"), QStringLiteral("1"),
                            QStringLiteral("--log"), at(QStringLiteral("sim.log"))});
    if (!sim || !QTest::qWaitFor([&] { return QFileInfo(at(QStringLiteral("COM1"))).isSymLink(); }, 5000))
        return fail("pelora-sim did not start");

    const int port = freePort();
    QFile conf(at(QStringLiteral("mosquitto.conf")));
    conf.open(QIODevice::WriteOnly);
    conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n").arg(port).toUtf8());
    conf.close();
    if (!launch(tool(QStringLiteral("mosquitto")), {QStringLiteral("-c"), conf.fileName()}))
        return fail("mosquitto is missing");

    QProcess *bus = launch(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                           QStringLiteral("--print-address=1")});
    const QString address = bus ? firstLine(*bus) : QString();
    if (address.isEmpty())
        return fail("dbus-daemon did not start");

    // -displayfd: Xvfb picks a free display and prints its number.
    QProcess *x = launch(tool(QStringLiteral("Xvfb")), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                        QStringLiteral("-screen"), QStringLiteral("0"),
                                                        QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                                        QStringLiteral("tcp")});
    const QString display = x ? QStringLiteral(":") + firstLine(*x) : QString();
    if (display.size() < 2)
        return fail("Xvfb did not start");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QProcess *pelora = launch(at(QStringLiteral("pelora")),
                              {QStringLiteral("--mqtt"), QStringLiteral("127.0.0.1:%1").arg(port)}, env);
    if (!pelora)
        return fail("pelora did not start");
    // Its log: commands dropped after 6 s in line are counted.
    long dropped = 0, refused = 0;
    QByteArray err;
    QElapsedTimer sinceStart;
    sinceStart.start();
    const auto readErr = [&] {
        err += pelora->readAllStandardError();
        qsizetype nl;
        while ((nl = err.indexOf('\n')) >= 0) {
            if (verbose)
                std::fprintf(stderr, "%6.1f %s\n", double(sinceStart.elapsed()) / 1000.0, err.left(nl).constData());
            dropped += err.left(nl).contains("dropped");
            refused += err.left(nl).contains("refused");  // the bench's own mistake
            err.remove(0, nl + 1);
        }
    };
    const qint64 pid = pelora->processId();

    const auto xdotool = [&](const QStringList &a) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), a);
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(1000);
        }
        return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    };
    QString window;
    (void)QTest::qWaitFor(
        [&] {
            window = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                              QString::number(pid)})
                         .section(u'\n', 0, 0);
            return !window.isEmpty();
        },
        15000);
    if (window.isEmpty())
        return fail("the window did not show");

    // The station select's options, from its discovery config.
    struct Options {
        std::mutex lock;
        QStringList list;
    } stationOptions;
    mosquitto_lib_init();
    mosquitto *client = mosquitto_new("soak-bench-commands", true, &stationOptions);
    mosquitto_message_callback_set(client, [](mosquitto *, void *data, const mosquitto_message *m) {
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(static_cast<const char *>(m->payload), m->payloadlen));
        auto *o = static_cast<Options *>(data);
        const std::lock_guard<std::mutex> hold(o->lock);
        o->list.clear();
        for (const QJsonValue &v : doc[QStringLiteral("options")].toArray())
            o->list << v.toString();
    });
    if (mosquitto_connect(client, "127.0.0.1", port, 60) != MOSQ_ERR_SUCCESS ||
        mosquitto_subscribe(client, nullptr, "homeassistant/select/pelora_soak/station/config", 0) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(client) != MOSQ_ERR_SUCCESS)
        return fail("the broker does not answer");
    QDBusConnection calls = QDBusConnection::connectToBus(address, QStringLiteral("soak-calls"));
    for (int i = 0; i < 100 && kPlayer.isEmpty(); ++i) {
        for (const QString &n : calls.interface()->registeredServiceNames().value())
            if (n.startsWith(QLatin1String("org.mpris.MediaPlayer2.pelora")))
                kPlayer = n;
        QTest::qWait(100);
    }
    if (kPlayer.isEmpty())
        return fail("pelora is not on the bus");

    // Settle: the first status exchange, then the large window (the
    // "config" key) so that every key can be clicked, and back to FM.
    QTest::qWait(5000);
    const QPoint config = keyAt(0, 0, 225, 2940, 840, 210);
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(config.x()),
             QString::number(config.y()), QStringLiteral("click"), QStringLiteral("1")});
    QTest::qWait(1000);
    const Memory startMemory = memoryOf(pid);
    LoopProbe probe(address);
    probe.start();

    // What is sent.
    const QStringList sources = {QStringLiteral("tv"),     QStringLiteral("fm"),    QStringLiteral("am"),
                                 QStringLiteral("tape 1"), QStringLiteral("tape 2"), QStringLiteral("phono"),
                                 QStringLiteral("cd")};
    QStringList stations;
    {
        const std::lock_guard<std::mutex> hold(stationOptions.lock);
        stations = stationOptions.list;
    }
    if (stations.isEmpty())
        std::printf("no station options seen: no station commands\n");
    const QStringList switches = {QStringLiteral("mute"),     QStringLiteral("loudness"), QStringLiteral("equaliser"),
                                  QStringLiteral("speakers_1"), QStringLiteral("mono"),     QStringLiteral("high_blend"),
                                  QStringLiteral("filter_20hz")};
    const QStringList buttons = {
        QStringLiteral("seek_up"),   QStringLiteral("seek_down"),  QStringLiteral("preset_up"),
        QStringLiteral("preset_down"), QStringLiteral("ask_status"), QStringLiteral("tape_start"),
        QStringLiteral("tape_stop"), QStringLiteral("tape_pause"), QStringLiteral("tape_fast_forward"),
        QStringLiteral("tape_memo"), QStringLiteral("cd_start"),   QStringLiteral("cd_stop"),
        QStringLiteral("cd_pause"),  QStringLiteral("cd_skip_forward"), QStringLiteral("cd_time"),
        QStringLiteral("phono_start_stop"), QStringLiteral("phono_lift")};
    const QStringList playerCalls = {QStringLiteral("Next"), QStringLiteral("Previous"), QStringLiteral("Play"),
                                     QStringLiteral("Pause"), QStringLiteral("Stop"), QStringLiteral("PlayPause")};
    // Keys to click: the source keys but "config" and "off", station keys,
    // the tuner's step keys and the player panels' keys.
    std::vector<QPoint> keys;
    const int sourceTops[] = {345, 690, 1050, 1395, 1740, 2085, 2430};
    for (int top : sourceTops)
        keys.push_back(keyAt(0, 0, 225, top, 840, 210));
    for (int i = 1; i <= 30; ++i) {
        static const int lefts[] = {105, 1095, 2085, 3075};
        const int left = i <= 2 ? (i == 1 ? 105 : 1095) : lefts[(i - 3) % 4];
        const int top = i <= 2 ? 120 : 390 + ((i - 3) / 4) * 270;
        keys.push_back(keyAt(3750, 1245, left, top, 945, 210));
    }
    for (int left : {810, 1770})
        for (int top : {90, 345})
            keys.push_back(keyAt(1170, 3735, left, top, 240, 180));
    for (int left : {120, 1110, 2100, 3090})
        for (int top : {75, 330})
            keys.push_back(keyAt(3750, 3840, left, top, 945, 210));

    long mqttSent = 0, playerSent = 0, clicks = 0;
    const auto publish = [&](const QString &object, const QString &payload) {
        const QByteArray topic = QStringLiteral("pelora/%1/set").arg(object).toUtf8();
        const QByteArray p = payload.toUtf8();
        mosquitto_publish(client, nullptr, topic.constData(), int(p.size()), p.constData(), 0, false);
        ++mqttSent;
    };

    // The simulator's log: when it last got a status request.
    qint64 logRead = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 lastStatus = 0, longestSilence = 0;
    int hangs = 0;
    double hangAt = -1;
    long statusRequests = 0, codes = 0;
    const auto readLog = [&] {
        QFile log(at(QStringLiteral("sim.log")));
        if (!log.open(QIODevice::ReadOnly) || !log.seek(logRead))
            return;
        const QByteArray more = log.readAll();
        const qsizetype end = more.lastIndexOf('\n') + 1;
        logRead += end;
        for (const QByteArray &line : more.left(end).split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.size() >= 4 && parts[2] == "received") {
                ++codes;
                if (parts[3] == "0:7") {
                    ++statusRequests;
                    lastStatus = clock.elapsed();
                }
            }
        }
    };

    std::printf("soak: %d s, seed %u, pelora pid %lld on display %s\n", seconds, seed, pid, qPrintable(display));
    std::fflush(stdout);
    qint64 nextReport = 60000, nextAsk = 10000;
    while (clock.elapsed() < qint64(seconds) * 1000) {
        const int kind = pick(100);
        if (kind < 50) {
            const int what = pick(6);
            if (what == 0)
                publish(QStringLiteral("source"), sources[pick(int(sources.size()))]);
            else if (what == 1 && !stations.isEmpty())
                publish(QStringLiteral("station"), stations[pick(int(stations.size()))]);
            else if (what == 2)
                publish(switches[pick(int(switches.size()))], pick(2) ? QStringLiteral("ON") : QStringLiteral("OFF"));
            else if (what == 3) {
                const char *levels[] = {"volume", "balance", "bass", "treble"};
                const int l = pick(4);
                const int v = l == 0 ? 25 + pick(15) : l == 1 ? pick(11) - 5 : pick(5) - 2;
                publish(QLatin1String(levels[l]), QString::number(v));
            } else
                publish(buttons[pick(int(buttons.size()))], QStringLiteral("PRESS"));
        } else if (kind < 70) {
            QDBusMessage m;
            if (pick(5) == 0) {
                m = QDBusMessage::createMethodCall(kPlayer, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("Set"));
                m << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume")
                  << QVariant::fromValue(QDBusVariant(0.3 + 0.02 * pick(10)));
            } else {
                m = QDBusMessage::createMethodCall(kPlayer, kPath, QStringLiteral("org.mpris.MediaPlayer2.Player"),
                                                   playerCalls[pick(int(playerCalls.size()))]);
            }
            calls.asyncCall(m, 10000);
            ++playerSent;
        } else {
            const QPoint k = keys[size_t(pick(int(keys.size())))];
            xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(k.x()),
                     QString::number(k.y()), QStringLiteral("click"), QStringLiteral("1")});
            ++clicks;
        }
        // Source changes restart the periodic refresh, so the bench asks
        // for the status itself: a program that lives answers within 10 s.
        if (clock.elapsed() >= nextAsk) {
            publish(QStringLiteral("ask_status"), QStringLiteral("PRESS"));
            nextAsk += 10000;
        }
        QTest::qWait(50 + pick(750));
        readLog();
        readErr();
        const qint64 silence = clock.elapsed() - lastStatus;
        longestSilence = std::max(longestSilence, silence);
        if (silence > 40000 && hangAt < 0) {
            ++hangs;
            hangAt = double(clock.elapsed()) / 1000.0;
            std::printf("HANG: no status exchange for 40 s at %.0f s\n", hangAt);
            std::fflush(stdout);
            break;  // nothing more to learn from a frozen program
        }
        if (pelora->state() == QProcess::NotRunning || sim->state() == QProcess::NotRunning) {
            std::printf("%s ended by itself at %.0f s\n", pelora->state() == QProcess::NotRunning ? "pelora" : "pelora-sim",
                        double(clock.elapsed()) / 1000.0);
            break;
        }
        if (clock.elapsed() >= nextReport) {
            std::printf("  %3lld s: %ld MQTT, %ld player calls, %ld clicks; %ld codes, %ld status requests; longest loop gap %lld ms\n",
                        clock.elapsed() / 1000, mqttSent, playerSent, clicks, codes, statusRequests,
                        probe.longestMs());
            std::fflush(stdout);
            nextReport += 60000;
        }
    }
    const Memory endMemory = memoryOf(pid);
    probe.stop();
    readLog();
    readErr();

    pelora->terminate();
    QElapsedTimer ending;
    ending.start();
    const bool ended = pelora->waitForFinished(10000);
    const qint64 endMs = ending.elapsed();
    mosquitto_loop_stop(client, true);
    mosquitto_disconnect(client);
    mosquitto_destroy(client);
    mosquitto_lib_cleanup();
    QDBusConnection::disconnectFromBus(QStringLiteral("soak-calls"));

    std::printf("ran %.0f s: %ld MQTT commands, %ld player calls, %ld clicks; the device got %ld codes, %ld status requests\n",
                double(clock.elapsed()) / 1000.0, mqttSent, playerSent, clicks, codes, statusRequests);
    // The log holds back repeats of these lines: counts of lines, not of commands.
    std::printf("log lines on commands dropped after 6 s in line: %ld; on commands refused as unreadable: %ld\n",
                dropped, refused);
    std::printf("hangs (no status exchange for 40 s): %d%s; longest silence %.1f s\n", hangs,
                hangs ? qPrintable(QStringLiteral(" (first at %1 s)").arg(hangAt, 0, 'f', 0)) : "",
                double(longestSilence) / 1000.0);
    std::printf("pelora memory: peak %ld kB, now %ld kB after the start; peak %ld kB, now %ld kB at the end\n",
                startMemory.hwmKb, startMemory.rssKb, endMemory.hwmKb, endMemory.rssKb);
    std::printf("event loop, a volume Get every 100 ms: longest round trip %lld ms (at %.0f s), %d of %d unanswered\n",
                probe.longestMs(), probe.longestAtSeconds(), probe.failures(), probe.samples());
    std::printf("SIGTERM: %s\n", ended && pelora->exitStatus() == QProcess::NormalExit
                                     ? qPrintable(QStringLiteral("ended with status %1 in %2 ms").arg(pelora->exitCode()).arg(endMs))
                                     : "not ended within 10 s (killed)");
    endAll();
    return hangs || !ended ? 2 : 0;
}
