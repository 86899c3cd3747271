// The hi-fi on the home network with real parts: a mosquitto broker on
// 127.0.0.1 at a free port, the real `pelora --headless --mqtt` on the
// simulator's line, and mosquitto_sub / mosquitto_pub as Home Assistant's
// side of the broker.

#include "e2e_support.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int freePort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr *>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}

bool accepts(int port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(quint16(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

struct Message {
    QString topic;
    QByteArray payload;
};

class HomeNetworkTest : public RealStackTest {
protected:
    int port = 0;
    QProcess broker, sub, pelora;
    QByteArray subOut;
    std::vector<Message> seen;
    // More of mosquitto.conf, after the plain listener (set before SetUp).
    QByteArray brokerConf = "allow_anonymous true\n";
    // mosquitto_sub's and mosquitto_pub's login, if the broker wants one.
    QStringList clientLogin;
    QByteArray peloraErr;  // pelora's stderr, when startPelora keeps it
    QProcess bus;
    QString busAddress;  // a private session bus, if the test started one
    // mosquitto_pub -l, one a topic, connected ahead of the line they send.
    std::map<QString, std::unique_ptr<QProcess>> linePubs;

    void SetUp() override
    {
        RealStackTest::SetUp();
        if (port == 0)
            port = freePort();
        ASSERT_GT(port, 0);
        ASSERT_TRUE(copyProgram(path(QStringLiteral("pelora"))));
        startBroker();
    }

    void TearDown() override
    {
        for (auto &[topic, p] : linePubs) {
            p->closeWriteChannel();  // mosquitto_pub -l ends at the end of its input
            p->waitForFinished(3000);
        }
        for (QProcess *p : {&pelora, &sub, &broker, &bus}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
                p->waitForFinished(2000);
            }
        }
        RealStackTest::TearDown();
    }

    void startBroker()
    {
        QFile conf(path(QStringLiteral("mosquitto.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        // As root, mosquitto would drop to its own user, who cannot read
        // the test's files.
        const passwd *me = getpwuid(getuid());
        conf.write("user " + QByteArray(me ? me->pw_name : "root") + "\npersistence false\n");
        conf.write(QStringLiteral("listener %1 127.0.0.1\n").arg(port).toUtf8() + brokerConf);
        conf.close();
        broker.setProgram(findTool(QStringLiteral("mosquitto")));
        broker.setArguments({QStringLiteral("-c"), conf.fileName()});
        broker.start();
        ASSERT_TRUE(broker.waitForStarted(5000)) << "mosquitto is missing";
        ASSERT_TRUE(QTest::qWaitFor([this] { return accepts(port); }, 5000));
    }

    void startSub()
    {
        subOut.clear();
        seen.clear();
        sub.setProgram(findTool(QStringLiteral("mosquitto_sub")));
        sub.setArguments(QStringList{QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                     QString::number(port), QStringLiteral("-v"), QStringLiteral("-t"),
                                     QStringLiteral("#")} +
                         clientLogin);
        sub.start();
        ASSERT_TRUE(sub.waitForStarted(5000)) << "mosquitto_sub is missing";
    }

    // `at`: the broker's port (the plain listener if 0). `keepErr`: stderr
    // goes to peloraErr, with the debug lines.
    void startPelora(int at = 0, bool keepErr = false)
    {
        QProcessEnvironment env = programEnv(dir.path());
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // --headless picks its own
        if (!busAddress.isEmpty())
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        if (keepErr)
            env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pelora.*.debug=true"));
        peloraErr.clear();
        pelora.setProcessEnvironment(env);
        pelora.setProcessChannelMode(keepErr ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
        pelora.start(path(QStringLiteral("pelora")), {QStringLiteral("--headless"), QStringLiteral("--mqtt"),
                                                      QStringLiteral("127.0.0.1:%1").arg(at ? at : port)});
        ASSERT_TRUE(pelora.waitForStarted(5000));
    }

    bool waitErr(const QString &text, int ms = 10000)
    {
        return QTest::qWaitFor(
            [&] {
                peloraErr += pelora.readAllStandardError();
                return QString::fromLocal8Bit(peloraErr).contains(text);
            },
            ms);
    }

    void stopPelora()
    {
        pelora.terminate();
        EXPECT_TRUE(pelora.waitForFinished(10000));
        peloraErr += pelora.readAllStandardError();
    }

    // Reads what mosquitto_sub printed: "topic payload" a line.
    void read()
    {
        subOut += sub.readAllStandardOutput();
        qsizetype nl;
        while ((nl = subOut.indexOf('\n')) >= 0) {
            const QByteArray line = subOut.left(nl);
            subOut.remove(0, nl + 1);
            const qsizetype sp = line.indexOf(' ');
            seen.push_back({QString::fromUtf8(sp < 0 ? line : line.left(sp)), sp < 0 ? QByteArray() : line.mid(sp + 1)});
        }
    }

    // Waits for `payload` on `topic` among the messages from index `from` on.
    ::testing::AssertionResult waitMessage(const QString &topic, const QByteArray &payload, size_t from = 0,
                                           int ms = 10000)
    {
        const bool ok = QTest::qWaitFor(
            [&] {
                read();
                for (size_t i = from; i < seen.size(); ++i)
                    if (seen[i].topic == topic && seen[i].payload == payload)
                        return true;
                return false;
            },
            ms);
        if (ok)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no '" << payload.constData() << "' on " << qPrintable(topic);
    }

    QByteArray last(const QString &topic)
    {
        read();
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (it->topic == topic)
                return it->payload;
        return {};
    }

    // `lines`: each line one message, all in one connection.
    void publish(const QString &topic, const QByteArray &payload, bool lines = false)
    {
        QProcess p;
        p.start(findTool(QStringLiteral("mosquitto_pub")), QStringList{QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                                                             QStringLiteral("-p"), QString::number(port),
                                                             QStringLiteral("-t"), topic,
                                                             lines ? QStringLiteral("-l") : QStringLiteral("-s")} +
                                                     clientLogin);
        ASSERT_TRUE(p.waitForStarted(5000));
        p.write(payload);
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(5000));
        ASSERT_EQ(p.exitCode(), 0);
    }

    int count(const std::string &code) const
    {
        int n = 0;
        for (const auto &c : simCodes())
            n += c == code;
        return n;
    }
    // Every code but the status requests, which the periodic refresh sends.
    std::vector<std::string> commandCodes() const
    {
        std::vector<std::string> out;
        for (const auto &c : simCodes())
            if (c != "0:7")
                out.push_back(c);
        return out;
    }

    // mosquitto_pub -l on pelora/<object>/set, connected ahead of the
    // lines it sends, so that two commands can leave 50 ms apart.
    QProcess *publisher(const QString &object)
    {
        const QString topic = QStringLiteral("pelora/%1/set").arg(object);
        auto &p = linePubs[topic];
        if (!p) {
            p = std::make_unique<QProcess>();
            p->start(QStringLiteral("mosquitto_pub"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                                       QString::number(port), QStringLiteral("-t"), topic, QStringLiteral("-l")});
            p->waitForStarted(5000);
            QTest::qWait(300);
        }
        return p.get();
    }
    void send(const QString &object, const QByteArray &payload) { publisher(object)->write(payload + '\n'); }

    // One command, or two 50 ms apart; the command codes the device gets
    // for them (status requests aside), and how long their procedures wait.
    struct Step {
        QString object;
        QByteArray payload;
        std::vector<std::string> codes;
        int waitsMs = 0;
        QString object2 = {};
        QByteArray payload2 = {};
    };

    // Each step's codes arrive, and nothing else, before the next is sent
    // after the procedure's wait; a frozen program fails here, not later.
    void runSteps(const std::vector<Step> &steps)
    {
        for (const Step &s : steps) {
            publisher(s.object);
            if (!s.object2.isEmpty())
                publisher(s.object2);
            const size_t mark = commandCodes().size();
            QElapsedTimer sent;
            sent.start();
            send(s.object, s.payload);
            if (!s.object2.isEmpty()) {
                QTest::qWait(int(std::max<qint64>(0, 50 - sent.elapsed())));
                send(s.object2, s.payload2);
            }
            ASSERT_TRUE(codesSince(mark, s.codes, sent, s.waitsMs))
                << qPrintable(s.object) << " " << s.payload.constData() << " " << qPrintable(s.object2);
        }
    }

    // The command codes after `mark` are `want`, and `waitsMs` has passed since `sent`.
    ::testing::AssertionResult codesSince(size_t mark, const std::vector<std::string> &want, const QElapsedTimer &sent,
                                          int waitsMs = 0)
    {
        std::vector<std::string> got;
        const bool ok = QTest::qWaitFor(
            [&] {
                got = commandCodes();
                got.erase(got.begin(), got.begin() + qsizetype(std::min(mark, got.size())));
                return got == want && sent.elapsed() >= waitsMs;
            },
            waitsMs + 12000);
        std::string text = "\n  want:";
        for (const auto &c : want)
            text += ' ' + c;
        text += "\n  got: ";
        for (const auto &c : got)
            text += ' ' + c;
        return ok ? ::testing::AssertionSuccess()
                  : ::testing::AssertionFailure() << text << (pelora.state() == QProcess::Running ? "" : "\n  pelora ended");
    }

    // SIGTERM is answered within 2 s with status 0, whatever ran before.
    void endsOnSigterm()
    {
        ASSERT_EQ(pelora.state(), QProcess::Running) << "pelora ended before SIGTERM";
        pelora.terminate();
        EXPECT_TRUE(pelora.waitForFinished(2000) || pelora.state() == QProcess::NotRunning) << "SIGTERM unanswered for 2 s";
        EXPECT_EQ(pelora.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(pelora.exitCode(), 0);
    }

    // The station select's options as discovery offers them; `freq` picks
    // the one of that station.
    QByteArray stationOption(const QString &freq)
    {
        read();
        for (const Message &m : seen)
            if (m.topic.startsWith(QLatin1String("homeassistant/select/")) && m.topic.endsWith(QLatin1String("/station/config")))
                for (const QJsonValue &o : QJsonDocument::fromJson(m.payload)[QStringLiteral("options")].toArray())
                    if (o.toString().section(u' ', 0, 0) == freq)
                        return o.toString().toUtf8();
        return {};
    }

    // Online, on a private session bus if `onBus`, the first status decoded
    // and the codes of the start sent.
    void startAndSettle(bool onBus = false)
    {
        if (onBus) {
            bus.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
            ASSERT_TRUE(QTest::qWaitFor([this] { return bus.canReadLine(); }, 5000)) << "dbus-daemon is missing";
            busAddress = QString::fromLatin1(bus.readLine()).trimmed();
        }
        QFile ini(path(QStringLiteral("pelora.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[mqtt]\nid=e2e3\nbase_topic=pelora\n");
        ini.close();
        startSub();
        startPelora();
        ASSERT_TRUE(waitMessage(QStringLiteral("pelora/availability"), "online"));
        ASSERT_TRUE(waitMessage(QStringLiteral("pelora/source/state"), "fm"));
        QTest::qWait(1500);
    }
};

TEST_F(HomeNetworkTest, DiscoveryCommandsBadInputLastWillAndReconnect)
{
    // An entity an earlier run published and this one does not have.
    {
        QFile ini(path(QStringLiteral("pelora.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[mqtt]\nid=e2e1\nbase_topic=pelora\npublished=button/gone_key\n");
    }
    startSub();
    startPelora();
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/availability"), "online"));
    // The first dump decoded: the simulator plays FM.
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/answering/state"), "ON"));
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/source/state"), "fm"));

    // Discovery: valid JSON, unique ids, one device, state and command topics,
    // entity ids that Home Assistant makes from the names all distinct.
    std::set<QString> ids, entityIds;
    const auto haSlug = [](const QString &name) {
        QString out;
        for (const QChar c : name.toLower())
            out += c.isLetterOrNumber() && c.unicode() < 128 ? QString(c) : out.endsWith(u'_') ? QString() : QStringLiteral("_");
        while (out.endsWith(u'_'))
            out.chop(1);
        return out;
    };
    std::map<QString, QJsonObject> byTopic;
    bool goneCleared = false;
    for (const Message &m : seen) {
        if (!m.topic.startsWith(QLatin1String("homeassistant/")))
            continue;
        if (m.topic == QLatin1String("homeassistant/button/pelora_e2e1/gone_key/config")) {
            goneCleared = m.payload.isEmpty() || m.payload == "(null)";
            continue;
        }
        ASSERT_TRUE(m.topic.endsWith(QLatin1String("/config"))) << qPrintable(m.topic);
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(m.payload, &err);
        ASSERT_EQ(err.error, QJsonParseError::NoError) << qPrintable(m.topic) << " " << m.payload.constData();
        const QJsonObject c = doc.object();
        EXPECT_TRUE(ids.insert(c[QStringLiteral("unique_id")].toString()).second) << qPrintable(m.topic);
        EXPECT_FALSE(c[QStringLiteral("unique_id")].toString().isEmpty());
        const QJsonObject device = c[QStringLiteral("device")].toObject();
        EXPECT_EQ(device[QStringLiteral("name")].toString(), QStringLiteral("Ondal Sonvera"));
        EXPECT_FALSE(device[QStringLiteral("manufacturer")].toString().isEmpty());
        EXPECT_FALSE(device[QStringLiteral("model")].toString().isEmpty());
        EXPECT_TRUE(device[QStringLiteral("sw_version")].toString().contains(QLatin1String("1.")));
        const QString component = m.topic.section(u'/', 1, 1);
        EXPECT_TRUE(entityIds.insert(component + u'.' + haSlug(QStringLiteral("Ondal Sonvera ") + c[QStringLiteral("name")].toString())).second)
            << qPrintable(m.topic);
        // Available while the bridge is online and the device answers.
        const QJsonArray availability = c[QStringLiteral("availability")].toArray();
        ASSERT_GE(availability.size(), 1) << qPrintable(m.topic);
        EXPECT_EQ(availability[0].toObject()[QStringLiteral("topic")].toString(), QStringLiteral("pelora/availability"));
        if (component != QLatin1String("binary_sensor")) {
            ASSERT_EQ(availability.size(), 2) << qPrintable(m.topic);
            EXPECT_EQ(availability[1].toObject()[QStringLiteral("topic")].toString(), QStringLiteral("pelora/answering/state"));
            EXPECT_EQ(c[QStringLiteral("availability_mode")].toString(), QStringLiteral("all"));
        }
        if (component != QLatin1String("button")) {
            EXPECT_TRUE(c[QStringLiteral("state_topic")].toString().startsWith(QLatin1String("pelora/"))) << qPrintable(m.topic);
        }
        if (component != QLatin1String("sensor") && component != QLatin1String("binary_sensor")) {
            EXPECT_TRUE(c[QStringLiteral("command_topic")].toString().startsWith(QLatin1String("pelora/"))) << qPrintable(m.topic);
        }
        byTopic[m.topic] = c;
    }
    EXPECT_TRUE(goneCleared) << "the entity no longer published keeps its config";
    const QJsonObject source = byTopic[QStringLiteral("homeassistant/select/pelora_e2e1/source/config")];
    EXPECT_EQ(source[QStringLiteral("options")].toArray(),
              QJsonArray({"tv", "fm", "am", "tape 1", "tape 2", "phono", "cd", "off"}));
    const QJsonObject volume = byTopic[QStringLiteral("homeassistant/number/pelora_e2e1/volume/config")];
    EXPECT_EQ(volume[QStringLiteral("min")].toInt(), 1);
    EXPECT_EQ(volume[QStringLiteral("max")].toInt(), 81);
    const QJsonObject balance = byTopic[QStringLiteral("homeassistant/number/pelora_e2e1/balance/config")];
    EXPECT_EQ(balance[QStringLiteral("min")].toInt(), -80);
    EXPECT_EQ(balance[QStringLiteral("max")].toInt(), 80);
    for (const char *tone : {"bass", "treble"}) {
        const QJsonObject t = byTopic[QStringLiteral("homeassistant/number/pelora_e2e1/%1/config").arg(QLatin1String(tone))];
        EXPECT_EQ(t[QStringLiteral("min")].toInt(), -5) << tone;
        EXPECT_EQ(t[QStringLiteral("max")].toInt(), 5) << tone;
    }
    // One option per station in the memory, with its unit, the same in
    // every caption mode.
    std::set<double> stations;
    for (const QByteArray &line : readFile(QStringLiteral("Speicherplatz.txt")).split('\n'))
        if (const double f = line.trimmed().replace('"', "").toDouble(); f > 0)
            stations.insert(f);
    const QJsonArray options = byTopic[QStringLiteral("homeassistant/select/pelora_e2e1/station/config")][QStringLiteral("options")].toArray();
    EXPECT_EQ(size_t(options.size()), stations.size());
    EXPECT_TRUE(options.contains(QStringLiteral("87.90 MHz – Bayern 1"))) << QJsonDocument(options).toJson().constData();
    for (const QJsonValue &o : options)
        EXPECT_TRUE(o.toString().contains(QLatin1String(" MHz")) || o.toString().contains(QLatin1String(" kHz")))
            << qPrintable(o.toString());
    for (const char *t : {"switch/pelora_e2e1/mute", "switch/pelora_e2e1/loudness", "switch/pelora_e2e1/speakers_1",
                          "sensor/pelora_e2e1/station_name", "sensor/pelora_e2e1/frequency",
                          "binary_sensor/pelora_e2e1/answering", "button/pelora_e2e1/ask_status", "button/pelora_e2e1/cd_start"})
        EXPECT_EQ(byTopic.count(QStringLiteral("homeassistant/%1/config").arg(QLatin1String(t))), 1u) << t;

    // "cd" on the source's command topic puts the CD key's code on the line.
    publish(QStringLiteral("pelora/source/set"), "cd");
    ASSERT_TRUE(waitForCode("0<>", 10000));
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/source/state"), "cd"));

    // A volume command moves the device: two steps up are three up codes.
    const int volumeBefore = last(QStringLiteral("pelora/volume/state")).toInt();
    ASSERT_GE(volumeBefore, 1);
    ASSERT_LE(volumeBefore, 79);
    const int upsBefore = count("0<3");
    publish(QStringLiteral("pelora/volume/set"), QByteArray::number(volumeBefore + 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return count("0<3") >= upsBefore + 3; }, 10000));
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/volume/state"), QByteArray::number(volumeBefore + 2)));

    // Bad payloads send nothing, and the program goes on.
    QTest::qWait(1500);  // the volume burst is over
    const std::vector<std::string> before = commandCodes();
    publish(QStringLiteral("pelora/source/set"), "dvd");
    publish(QStringLiteral("pelora/volume/set"), "loud");
    publish(QStringLiteral("pelora/volume/set"), "500");
    publish(QStringLiteral("pelora/volume/set"), "12.5");
    publish(QStringLiteral("pelora/mute/set"), "maybe");
    publish(QStringLiteral("pelora/source/set"), QByteArray(300, 'a'));
    publish(QStringLiteral("pelora/source/set"), QByteArray("c\xff\xfe", 3));
    publish(QStringLiteral("pelora/nothing/set"), "cd");
    QTest::qWait(2000);
    EXPECT_EQ(commandCodes(), before);
    ASSERT_EQ(pelora.state(), QProcess::Running);
    publish(QStringLiteral("pelora/source/set"), "tv");
    ASSERT_TRUE(waitForCode("0<;", 10000));

    // A killed program turns offline by its last will.
    size_t mark = seen.size();
    pelora.kill();
    pelora.waitForFinished(5000);
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/availability"), "offline", mark));

    // Killed, it could not end its exclusive use of the port, and a
    // pseudo-terminal keeps that while the simulator holds the other side:
    // only root could open it again. A new simulator, as a device plugged
    // in again.
    stopSim();
    ASSERT_NO_FATAL_FAILURE(startSim());

    // A restarted broker sees it online again.
    startPelora();
    mark = seen.size();
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/availability"), "online", mark));
    sub.kill();
    sub.waitForFinished(2000);
    broker.terminate();
    ASSERT_TRUE(broker.waitForFinished(5000));
    QTest::qWait(1500);
    startBroker();
    startSub();
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/availability"), "online", 0, 20000));

    // SIGTERM: saved, "offline" said, exit status 0.
    mark = seen.size();
    pelora.terminate();
    ASSERT_TRUE(pelora.waitForFinished(10000));
    EXPECT_EQ(pelora.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pelora.exitCode(), 0);
    EXPECT_TRUE(waitMessage(QStringLiteral("pelora/availability"), "offline", mark));
}

// Two installations on one broker, each on its own topics and its own line;
// states only from what the device said; commands that are safe to repeat.
TEST_F(HomeNetworkTest, TwoInstallationsNeverCrossAndStatesAreTheDevices)
{
    const auto writeIni = [](const QString &file, const char *id) {
        QFile ini(file);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[mqtt]\nid=") + id + '\n');
    };
    writeIni(path(QStringLiteral("pelora.ini")), "e2ea");
    // A retained "off" left on the broker by a slip must not switch the
    // hi-fi off at the start.
    QProcess retained;
    retained.start(QStringLiteral("mosquitto_pub"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                                    QString::number(port), QStringLiteral("-r"), QStringLiteral("-t"),
                                                    QStringLiteral("pelora/e2ea/source/set"), QStringLiteral("-m"),
                                                    QStringLiteral("off")});
    ASSERT_TRUE(retained.waitForFinished(5000));
    startSub();
    startPelora();
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/e2ea/availability"), "online"));
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/e2ea/source/state"), "fm"));
    // Nothing said of the device before it answered: no "off", no level.
    size_t answered = 0;
    while (answered < seen.size() &&
           !(seen[answered].topic == QLatin1String("pelora/e2ea/answering/state") && seen[answered].payload == "ON"))
        ++answered;
    for (size_t i = 0; i < answered; ++i)
        EXPECT_FALSE(seen[i].topic.endsWith(QLatin1String("/state")) && !seen[i].topic.contains(QLatin1String("answering")))
            << qPrintable(seen[i].topic) << " " << seen[i].payload.constData();

    // The second installation: its own folder, simulator and id.
    QTemporaryDir dirB;
    ASSERT_TRUE(dirB.isValid());
    const auto inB = [&](const char *name) { return QDir(dirB.path()).filePath(QLatin1String(name)); };
    for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name), inB(name)));
    ASSERT_TRUE(copyProgram(inB("pelora")));
    writeIni(inB("pelora.ini"), "e2eb");
    QProcess simB, peloraB;
    simB.start(QStringLiteral(PELORA_BINARY_DIR "/pelora-sim"),
               {QStringLiteral("--dir"), dirB.path(), QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--log"),
                inB("sim.log")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(inB("COM1")).isSymLink(); }, 5000));
    QProcessEnvironment env = programEnv(dirB.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    peloraB.setProcessEnvironment(env);
    peloraB.start(inB("pelora"), {QStringLiteral("--headless"), QStringLiteral("--mqtt"), QStringLiteral("127.0.0.1:%1").arg(port)});
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/e2eb/source/state"), "fm"));
    const auto codesB = [&] {
        QFile f(inB("sim.log"));
        f.open(QIODevice::ReadOnly);
        return f.readAll().count("received 0<5");
    };

    // Mute on A reaches A's line only; selecting the source A plays sends
    // nothing; a flood of one switch leaves few codes.
    const std::vector<std::string> before = commandCodes();
    publish(QStringLiteral("pelora/e2ea/source/set"), "fm");
    publish(QStringLiteral("pelora/e2ea/mute/set"), "ON");
    ASSERT_TRUE(waitForCode("0<5", 10000));
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/e2ea/mute/state"), "ON"));
    QByteArray flood;
    for (int i = 0; i < 200; ++i)
        flood += i % 2 ? "ON\n" : "OFF\n";
    publish(QStringLiteral("pelora/e2ea/mute/set"), flood, true);
    QTest::qWait(3000);
    std::vector<std::string> after = commandCodes();
    after.erase(after.begin(), after.begin() + qsizetype(before.size()));
    EXPECT_GE(after.size(), 1u);
    EXPECT_LE(after.size(), 10u) << ::testing::PrintToString(after);
    EXPECT_EQ(std::count(after.begin(), after.end(), "0<<"), 0) << "fm again stepped the keys";
    EXPECT_EQ(std::count(after.begin(), after.end(), "0<2"), 0) << "the retained off ran";
    EXPECT_EQ(codesB(), 0);

    // B going says offline for B, not for A.
    size_t mark = seen.size();
    peloraB.terminate();
    ASSERT_TRUE(peloraB.waitForFinished(10000));
    EXPECT_EQ(peloraB.exitCode(), 0);
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/e2eb/availability"), "offline", mark));
    EXPECT_FALSE(waitMessage(QStringLiteral("pelora/e2ea/availability"), "offline", mark, 500));
    simB.terminate();
    simB.waitForFinished(5000);

    // A's device unplugged: the next status request finds it gone and the
    // entities grey out; a command then publishes no state.
    stopSim();
    mark = seen.size();
    publish(QStringLiteral("pelora/e2ea/ask_status/set"), "PRESS");
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/e2ea/answering/state"), "OFF", mark));
    mark = seen.size();
    publish(QStringLiteral("pelora/e2ea/mute/set"), last(QStringLiteral("pelora/e2ea/mute/state")) == "ON" ? "OFF" : "ON");
    QTest::qWait(2000);
    read();
    for (size_t i = mark; i < seen.size(); ++i)
        EXPECT_FALSE(seen[i].topic.endsWith(QLatin1String("/state"))) << qPrintable(seen[i].topic);
}

// A failed start without a window: exit status 1, the reason on stderr,
// never the password.
TEST_F(HomeNetworkTest, HeadlessStartFailuresExitOneWithTheReason)
{
    QProcessEnvironment env = programEnv(dir.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const auto run = [&](const QStringList &args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(path(QStringLiteral("pelora")), args);
        EXPECT_TRUE(p.waitForFinished(15000));
        return std::make_pair(p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()));
    };
    const auto [noPort, noPortErr] = run({QStringLiteral("--headless"), QStringLiteral("--port"), path(QStringLiteral("no-such-tty"))});
    EXPECT_EQ(noPort, 1);
    EXPECT_TRUE(noPortErr.contains(QLatin1String("no-such-tty"))) << qPrintable(noPortErr);
    // No broker and no bus: nobody could reach the hi-fi.
    const auto [noDoor, noDoorErr] = run({QStringLiteral("--headless")});
    EXPECT_EQ(noDoor, 1);
    EXPECT_TRUE(noDoorErr.contains(QLatin1String("[mqtt]"))) << qPrintable(noDoorErr);

    QFile secret(path(QStringLiteral("mqtt-password")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("hunter2-e2e\n");
    secret.close();
    secret.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile ini(path(QStringLiteral("pelora.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[mqtt]\nhost=127.0.0.1\nport=%1\nusername=me\npassword_file=%2\n")
                  .arg(port)
                  .arg(secret.fileName())
                  .toUtf8());
    ini.close();
    const auto [readable, readableErr] = run({QStringLiteral("--headless")});
    EXPECT_EQ(readable, 1);
    EXPECT_TRUE(readableErr.contains(QLatin1String("mqtt-password"))) << qPrintable(readableErr);
    EXPECT_FALSE(readableErr.contains(QLatin1String("hunter2"))) << qPrintable(readableErr);
}

std::vector<std::string> times(const char *code, int n)
{
    return std::vector<std::string>(size_t(n), code);
}
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every station by its option, as a click on its key runs it: slots 1-10
// send their preset code once, slots 11-29 repeat the code of slot n-10 or
// n-20 15 or 25 times while the procedure waits 3.6 or 5.6 s, and a station
// on the other band switches the source first. The station tuned at the
// start (slot 1) comes last: asked for while tuned, it needs nothing.
TEST_F(HomeNetworkTest, EveryStationSendsWhatItsKeysClickSends)
{
    startAndSettle();
    // The data files' memory, slot by slot ("-" empty).
    const QStringList memory = QStringLiteral("87.90 88.40 89.00 90.40 91.50 92.20 93.70 94.50 95.80 96.30 97.30 98.50 "
                                              "99.40 100.80 101.30 102.70 103.20 104.00 105.20 106.40 107.10 107.70 - "
                                              "1440 549 891 - 92.80 106.90 -")
                                   .split(u' ');
    const char *preset[] = {"096", "095", "094", "093", "092", "09>", "09=", "09<", "09;", "09:"};
    std::vector<QByteArray> options;
    for (const QString &f : memory)
        if (const QByteArray o = stationOption(f); !o.isEmpty())
            options.push_back(o);
    ASSERT_EQ(options.size(), 27u);
    std::rotate(options.begin(), options.begin() + 1, options.end());
    std::vector<Step> steps;
    bool fm = true;
    for (const QByteArray &o : options) {
        const int n = int(memory.indexOf(QString::fromUtf8(o.left(o.indexOf(' '))))) + 1;
        const bool toFm = memory[n - 1].contains(u'.'), switches = toFm != fm;
        std::vector<std::string> codes = !switches ? std::vector<std::string>{}
                                         : toFm    ? std::vector<std::string>{"0<9", "0<<"}
                                                   : std::vector<std::string>{"0<9"};
        fm = toFm;
        codes = codes + times(preset[(n - 1) % 10], n <= 10 ? 1 : n <= 20 ? 15 : 25);
        steps.push_back({QStringLiteral("station"), o, codes,
                         (n <= 10 ? 0 : n <= 20 ? 3600 : 5600) + (switches ? 500 : 0)});
    }
    runSteps(steps);
    endsOnSigterm();
}

// Buttons whose procedures wait: the tuner's steps (a flash, a settling
// wait and a status request), a band change, every key of the player
// panels (a 0.3 s flash), and presses 50 ms apart, the second arriving
// inside the first one's wait.
TEST_F(HomeNetworkTest, WaitingButtonsAndPressesFiftyMsApart)
{
    startAndSettle();
    const std::map<QString, const char *> transport = {
        {"tape_start", "0:6"},      {"tape_stop", "0:4"},         {"tape_pause", "0:5"},      {"tape_record", "0:>"},
        {"tape_rewind", "0:3"},     {"tape_fast_forward", "0:2"}, {"tape_set", "0:;"},        {"tape_reset", "0::"},
        {"tape_memo", "0:<"},       {"tape_auto_space", "0:="},   {"cd_start", "026"},        {"cd_stop", "024"},
        {"cd_back", "02:"},         {"cd_forward", "022"},        {"cd_pause", "025"},        {"cd_skip_back", "02;"},
        {"cd_skip_forward", "02:"}, {"cd_a_b", "03>"},            {"cd_repeat", "0:="},       {"cd_time", "03<"},
        {"cd_clear", "02>"},        {"cd_set", "02="},            {"cd_goto", "02<"},         {"phono_start_stop", "0:6"},
        {"phono_lift", "0:5"},      {"phono_back", "0:3"},        {"phono_forward", "0:2"},
    };
    // The table covers every key of the player panels that discovery offers.
    QStringList buttons, known;
    read();
    for (const Message &m : seen) {
        const QString object = m.topic.section(u'/', 3, 3);
        if (m.topic.startsWith(QLatin1String("homeassistant/button/")) && !object.contains(QLatin1String("seek")) &&
            !object.contains(QLatin1String("preset")) && object != QLatin1String("ask_status"))
            buttons << object;
    }
    for (const auto &[object, code] : transport)
        known << object;
    buttons.sort();
    EXPECT_EQ(buttons.join(u' ').toStdString(), known.join(u' ').toStdString());

    // A status exchange takes some 2.8 s (the request and 79 characters at
    // 300 baud); the next step waits for it too, so that none waits for the
    // window longer than the 6 s a command may.
    std::vector<Step> steps = {
        {"seek_up", "PRESS", {"0:2"}, 1600 + 2800},
        {"seek_down", "PRESS", {"0:3"}, 1600 + 2800},
        {"preset_up", "PRESS", {"097"}, 600 + 2800},
        {"preset_down", "PRESS", {"098"}, 600 + 2800},
        {"source", "am", {"0<9"}, 500 + 2800},
        {"source", "fm", {"0<9", "0<<"}, 500 + 2800},
    };
    for (const auto &[object, code] : transport)
        steps.push_back({object, "PRESS", {code}, 300});
    const std::vector<Step> pairs = {
        {"tape_start", "PRESS", {"0:6", "0:4"}, 600, "tape_stop", "PRESS"},
        {"seek_up", "PRESS", {"0:2", "097"}, 1600 + 2800 + 600 + 2800, "preset_up", "PRESS"},
        {"station", stationOption("97.30"), times("096", 15) + std::vector<std::string>{"024"}, 3900, "cd_stop", "PRESS"},
        {"phono_lift", "PRESS", std::vector<std::string>{"0:5"} + times("095", 15), 3900, "station", stationOption("98.50")},
        // The same button twice is two presses, as two clicks are.
        {"cd_start", "PRESS", {"026", "026"}, 600, "cd_start", "PRESS"},
    };
    steps.insert(steps.end(), pairs.begin(), pairs.end());
    runSteps(steps);
    endsOnSigterm();
}

// Media-player calls while a station key's procedure waits: the bus is
// answered at once, and each call runs as its click would once the key is
// done; the call's reply waits for that.
TEST_F(HomeNetworkTest, MediaPlayerCallsDuringAStationKeysWait)
{
    startAndSettle(true);
    QDBusConnection probe = QDBusConnection::connectToBus(busAddress, QStringLiteral("e2e-probe"));
    const QString name = peloraOnBus(probe);
    ASSERT_FALSE(name.isEmpty());
    const QDBusMessage get = QDBusMessage::createMethodCall(name,
                                                            QStringLiteral("/org/mpris/MediaPlayer2"),
                                                            QStringLiteral("org.freedesktop.DBus.Properties"),
                                                            QStringLiteral("Get"))
                             << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    // Volume 0.5 is level 41, from 30: eleven steps up and one more.
    const std::vector<std::tuple<QByteArray, std::vector<std::string>, QStringList>> rounds = {
        {"100.80", times("093", 15) + times("0<3", 12), {QStringLiteral("volume"), QStringLiteral("0.5")}},
        {"101.30", times("092", 15) + times("097", 1), {QStringLiteral("next")}},
    };
    for (const auto &[key, codes, call] : rounds) {
        const size_t mark = commandCodes().size();
        QElapsedTimer sent;
        sent.start();
        send(QStringLiteral("station"), stationOption(QString::fromUtf8(key)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return commandCodes().size() > mark; }, 5000)) << key.constData() << " sent nothing";
        QProcess playerctl;
        playerctl.setProcessEnvironment(env);
        playerctl.start(QStringLiteral("playerctl"), QStringList{QStringLiteral("-p"), QStringLiteral("pelora")} + call);
        QTest::qWait(200);
        QElapsedTimer asked;
        asked.start();
        EXPECT_EQ(probe.call(get, QDBus::Block, 2000).type(), QDBusMessage::ReplyMessage);
        EXPECT_LT(asked.elapsed(), 500) << "a Get during " << key.constData();
        EXPECT_TRUE(codesSince(mark, codes, sent, 3600)) << qPrintable(call.join(u' '));
        EXPECT_TRUE(playerctl.state() == QProcess::NotRunning || playerctl.waitForFinished(10000)) << qPrintable(call.join(u' '));
        EXPECT_EQ(playerctl.exitCode(), 0) << qPrintable(call.join(u' ')) << playerctl.readAll().constData();
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("e2e-probe"));
    endsOnSigterm();
}

// A broker that wants a login on both listeners, the second one over TLS,
// with a CA, the broker's certificate for 127.0.0.1 and a CA that signed
// nothing here, all made for the test. The two CAs have the same name: only
// the signature tells them apart.
class HomeNetworkLoginTest : public HomeNetworkTest {
protected:
    int tlsPort = 0;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        port = freePort();
        do
            tlsPort = freePort();
        while (tlsPort == port);
        ASSERT_GT(tlsPort, 0);
        const QString ec = QStringLiteral("-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -keyout ");
        QFile ext(path(QStringLiteral("server.ext")));
        ASSERT_TRUE(ext.open(QIODevice::WriteOnly));
        ext.write("subjectAltName=IP:127.0.0.1\n");
        ext.close();
        for (const QString &args : {
                 QStringLiteral("req -x509 %1ca.key -out ca.crt -subj /CN=pelora-e2e-ca").arg(ec),
                 QStringLiteral("req -x509 %1other.key -out other.crt -subj /CN=pelora-e2e-ca").arg(ec),
                 QStringLiteral("req %1server.key -out server.csr -subj /CN=127.0.0.1").arg(ec),
                 QStringLiteral("x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 "
                                "-extfile server.ext -out server.crt"),
             })
            ASSERT_TRUE(run(QStringLiteral("openssl"), args.split(u' '))) << "openssl " << qPrintable(args);
        ASSERT_TRUE(run(QStringLiteral("mosquitto_passwd"),
                        {QStringLiteral("-c"), QStringLiteral("-b"), path(QStringLiteral("broker-passwords")),
                         QStringLiteral("pelora"), QStringLiteral("e2e-Secret-1")}));
        brokerConf = QStringLiteral("allow_anonymous false\npassword_file %1\n"
                                    "listener %2 127.0.0.1\ncafile %3\ncertfile %4\nkeyfile %5\n")
                         .arg(path(QStringLiteral("broker-passwords")))
                         .arg(tlsPort)
                         .arg(path(QStringLiteral("ca.crt")), path(QStringLiteral("server.crt")),
                              path(QStringLiteral("server.key")))
                         .toUtf8();
        clientLogin = {QStringLiteral("-u"), QStringLiteral("pelora"), QStringLiteral("-P"), QStringLiteral("e2e-Secret-1")};
        HomeNetworkTest::SetUp();
    }

    bool run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(findTool(program), args);
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    // pelora.ini with a login, the password in a file of mode 0600, and
    // TLS with the CA file `ca` if given.
    void settings(const QByteArray &password, const QString &ca = QString())
    {
        QFile secret(path(QStringLiteral("mqtt-password")));
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly | QIODevice::Truncate));
        secret.write(password + '\n');
        secret.close();
        ASSERT_TRUE(secret.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QFile ini(path(QStringLiteral("pelora.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[mqtt]\nid=e2e2\nbase_topic=pelora\nusername=pelora\npassword_file=%1\n")
                      .arg(secret.fileName())
                      .toUtf8());
        if (!ca.isEmpty())
            ini.write(QStringLiteral("tls=%1\n").arg(ca).toUtf8());
    }

    bool onlineSince(size_t mark)
    {
        read();
        for (size_t i = mark; i < seen.size(); ++i)
            if (seen[i].topic == QLatin1String("pelora/availability") && seen[i].payload == "online")
                return true;
        return false;
    }
};

// The login and TLS against a real broker: the right password and the
// broker's CA connect, and a command gets through; a wrong password or a
// CA that did not sign the broker's certificate do not, and stderr says
// why without ever showing the password.
TEST_F(HomeNetworkLoginTest, LoginAndTlsConnectOnlyWithTheRightSecrets)
{
    startSub();
    settings("e2e-Secret-1");
    startPelora(port, true);
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/availability"), "online")) << peloraErr.constData();
    publish(QStringLiteral("pelora/source/set"), "cd");
    ASSERT_TRUE(waitForCode("0<>", 10000));
    stopPelora();
    EXPECT_FALSE(peloraErr.contains("e2e-Secret-1")) << peloraErr.constData();

    size_t mark = seen.size();
    settings("e2e-Wrong-2");
    startPelora(port, true);
    EXPECT_TRUE(waitErr(QStringLiteral("not authorised"))) << peloraErr.constData();
    EXPECT_FALSE(onlineSince(mark));
    stopPelora();
    EXPECT_FALSE(peloraErr.contains("e2e-Wrong-2")) << peloraErr.constData();

    mark = seen.size();
    settings("e2e-Secret-1", path(QStringLiteral("ca.crt")));
    startPelora(tlsPort, true);
    ASSERT_TRUE(waitMessage(QStringLiteral("pelora/availability"), "online", mark)) << peloraErr.constData();
    // A burst, the command last: what arrives together is all read, none
    // of it left behind in the TLS layer until the next bytes come.
    QByteArray burst;
    for (int i = 0; i < 200; ++i)
        burst += "dvd\n";
    publish(QStringLiteral("pelora/source/set"), burst + "tv\n", true);
    ASSERT_TRUE(waitForCode("0<;", 10000));
    stopPelora();
    EXPECT_FALSE(peloraErr.contains("e2e-Secret-1")) << peloraErr.constData();

    mark = seen.size();
    settings("e2e-Secret-1", path(QStringLiteral("other.crt")));
    startPelora(tlsPort, true);
    EXPECT_TRUE(waitErr(QStringLiteral("certificate verify failed"))) << peloraErr.constData();
    EXPECT_FALSE(onlineSince(mark));
    stopPelora();
    EXPECT_FALSE(peloraErr.contains("e2e-Secret-1")) << peloraErr.constData();
}

}  // namespace
