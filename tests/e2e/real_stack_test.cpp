// The wiring that virtual time cannot prove: the real program and window on
// the real serial port, talking to pelora-sim on a pseudo-terminal.

#include "e2e_support.h"

#include "platform/qt/qt_platform.h"
#include "platform/qt/quit_requests.h"
#include "ui/form1.h"
#include "user_input.h"

#include <QSerialPort>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

namespace {

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class InProcessTest : public RealStackTest {
protected:
    platform::Platform platform;
    std::unique_ptr<Form1> form;
    std::unique_ptr<UserInput> input;

    void startWindow()
    {
        platform = platform::makeQtPlatform(dir.path());
        form = std::make_unique<Form1>(platform);
        input = std::make_unique<UserInput>(form.get());
        ASSERT_TRUE(form->Form_Load());
        form->show();
        input->activate();
    }
    bool waitForDump(int ms = 6000)
    {
        return QTest::qWaitFor([this] { return form->statusPending == 0 && form->rxCount == 79; }, ms);
    }
    void TearDown() override
    {
        input.reset();
        form.reset();
        RealStackTest::TearDown();
    }
};

}  // namespace

TEST_F(RealStackTest, TheProgramAsksForStatusFirst)
{
    ASSERT_TRUE(copyProgram(path(QStringLiteral("pelora"))));
    QProcess program;
    program.setProcessEnvironment(programEnv(dir.path()));
    program.start(path(QStringLiteral("pelora")), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !simCodes().empty(); }, 5000));
    EXPECT_EQ(simCodes().front(), "0:7");
    program.terminate();
    program.waitForFinished(5000);
}

// As a systemd service: ready once started, the watchdog fed from the event
// loop at half the period the unit asks for, stopping at the end.
TEST_F(RealStackTest, UnderSystemdItSaysReadyFeedsTheWatchdogAndStops)
{
    ASSERT_TRUE(copyProgram(path(QStringLiteral("pelora"))));
    const QByteArray socketPath = path(QStringLiteral("notify")).toUtf8();
    const int s = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    ASSERT_LT(size_t(socketPath.size()), sizeof a.sun_path);
    std::memcpy(a.sun_path, socketPath.constData(), size_t(socketPath.size()));
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    std::vector<std::string> said;
    auto hear = [&] {
        char buf[256];
        for (ssize_t n; (n = recv(s, buf, sizeof buf, 0)) > 0;)
            said.emplace_back(buf, size_t(n));
    };
    auto count = [&](const std::string &what) { return std::count(said.begin(), said.end(), what); };

    QProcessEnvironment env = programEnv(dir.path());
    env.insert(QStringLiteral("NOTIFY_SOCKET"), QString::fromUtf8(socketPath));
    env.insert(QStringLiteral("WATCHDOG_USEC"), QStringLiteral("400000"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(path(QStringLiteral("pelora")), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return hear(), count("READY=1") == 1 && count("WATCHDOG=1") >= 3; }, 5000));
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitCode(), 0);
    hear();
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), "STOPPING=1");
    close(s);
}

// Installed, both programs find the user's data directory by themselves, so
// "pelora-sim & pelora" needs no options; a copy with its data files beside
// it keeps its link there.
TEST(InstalledPrograms, SimulatorAndProgramMeetInTheUsersDataDirectory)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir r(root.path());
    ASSERT_TRUE(r.mkpath(QStringLiteral("usr/bin")) && r.mkpath(QStringLiteral("usr/share/pelora")) &&
                r.mkpath(QStringLiteral("portable")));
    auto copy = [&](const QString &from, const QString &to) {
        return QFile::copy(from, r.filePath(to)) &&
               QFile::setPermissions(r.filePath(to), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    const QString built = QStringLiteral(PELORA_BINARY_DIR "/");
    const QString samples = QStringLiteral(PELORA_SOURCE_DIR "/data/");
    ASSERT_TRUE(copy(built + "pelora", QStringLiteral("usr/bin/pelora")));
    ASSERT_TRUE(copy(built + "pelora-sim", QStringLiteral("usr/bin/pelora-sim")));
    for (const QString name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
        ASSERT_TRUE(copy(samples + name, "usr/share/pelora/" + name));
    ASSERT_TRUE(copy(built + "pelora-sim", QStringLiteral("portable/pelora-sim")));
    ASSERT_TRUE(copy(samples + "config.dat", QStringLiteral("portable/config.dat")));

    QProcessEnvironment env = programEnv(r.path());
    env.insert(QStringLiteral("HOME"), r.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), r.filePath(QStringLiteral("data")));
    auto isLink = [&](const QString &path) { return QFileInfo(r.filePath(path)).isSymLink(); };

    QProcess portable;
    portable.setProcessEnvironment(env);
    portable.start(r.filePath(QStringLiteral("portable/pelora-sim")), {});
    EXPECT_TRUE(QTest::qWaitFor([&] { return isLink(QStringLiteral("portable/COM1")); }, 5000));
    portable.terminate();
    portable.waitForFinished(5000);

    QProcess sim;
    sim.setProcessEnvironment(env);
    sim.start(r.filePath(QStringLiteral("usr/bin/pelora-sim")), {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return isLink(QStringLiteral("data/pelora/COM1")); }, 5000));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(r.filePath(QStringLiteral("usr/bin/pelora")), {});
    QByteArray log;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            log += sim.readAllStandardOutput();
            return log.contains("received 0:7");
        },
        5000))
        << log.toStdString();
    EXPECT_TRUE(QFileInfo::exists(r.filePath(QStringLiteral("data/pelora/config.dat"))));
    program.terminate();
    program.waitForFinished(5000);
    sim.terminate();
    sim.waitForFinished(5000);
    EXPECT_FALSE(isLink(QStringLiteral("data/pelora/COM1")));
}

// A data file that is no regular file, or far too big, fails the start the
// way a damaged one does: the message and its reason, exit status 1, no
// file written; nothing waits on a pipe or reads a device without end.
TEST(BadDataFiles, EachKindFailsTheStartWithItsReason)
{
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    struct Case {
        QString file;
        std::function<bool(const QString &)> put;
        QString reason;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("config.dat"),
         [](const QString &p) {
             QFile f(p);
             return f.open(QIODevice::WriteOnly) && f.write(QByteArray(300 * 1024, ' ')) == 300 * 1024;
         },
         QStringLiteral("zu groß")},
        {QStringLiteral("Sendername.txt"), [](const QString &p) { return mkfifo(QFile::encodeName(p), 0600) == 0; },
         QStringLiteral("eine Pipe")},
        // A terminal that never ends, as a mistyped link to an adapter would
        // be; its own, since a program that wrote through the link (as root)
        // could replace a shared device such as /dev/zero by a plain file.
        {QStringLiteral("Speicherplatz.txt"),
         [terminal](const QString &p) {
             return terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0 &&
                    QFile::link(QString::fromLocal8Bit(ptsname(terminal)), p);
         },
         QStringLiteral("ein Gerät")},
        {QStringLiteral("config.dat"), [](const QString &p) { return QDir().mkdir(p); },
         QStringLiteral("ein Verzeichnis")},
    };
    const QStringList names = {QStringLiteral("config.dat"), QStringLiteral("Speicherplatz.txt"),
                               QStringLiteral("Sendername.txt")};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file.toStdString() + ": " + c.reason.toStdString());
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QDir d(dir.path());
        ASSERT_TRUE(copyProgram(d.filePath(QStringLiteral("pelora"))));
        std::map<QString, QByteArray> kept;
        for (const QString &name : names) {
            if (name == c.file)
                continue;
            ASSERT_TRUE(QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + name, d.filePath(name)));
            QFile f(d.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            kept[name] = f.readAll();
        }
        ASSERT_TRUE(c.put(d.filePath(c.file)));

        QProcess program;
        program.setProcessEnvironment(programEnv(dir.path()));
        program.start(d.filePath(QStringLiteral("pelora")), {});
        ASSERT_TRUE(program.waitForStarted(5000));
        QByteArray err;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                err += program.readAllStandardError();
                return err.contains(c.reason.toUtf8());
            },
            5000))
            << err.toStdString();
        EXPECT_TRUE(err.contains("Fehler, Mögliche Ursachen:  Anderes Programm verwendet den COM-Port"));
        EXPECT_TRUE(err.contains(c.file.toUtf8())) << err.toStdString();
        // The message box is up now; a terminating signal answers it.
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(5000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 1);
        for (const auto &[name, bytes] : kept) {
            QFile f(d.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), bytes) << name.toStdString();
        }
    }
    close(terminal);
}

// A user whose languages put English first reads the same failure in
// English: the language is the environment's, the translation built in.
TEST(BadDataFiles, TheReasonInTheUsersLanguage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir d(dir.path());
    ASSERT_TRUE(copyProgram(d.filePath(QStringLiteral("pelora"))));
    for (const char *name : {"Speicherplatz.txt", "Sendername.txt"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name),
                                d.filePath(QLatin1String(name))));
    ASSERT_TRUE(d.mkdir(QStringLiteral("config.dat")));

    QProcessEnvironment env = programEnv(dir.path());
    env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en_GB:de"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(d.filePath(QStringLiteral("pelora")), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    QByteArray err;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            err += program.readAllStandardError();
            return err.contains("it is a directory");
        },
        5000))
        << err.toStdString();
    EXPECT_TRUE(err.contains("Error. Possible causes:  another program uses the COM port")) << err.toStdString();
    EXPECT_TRUE(err.contains("The file config.dat cannot be read: it is a directory.")) << err.toStdString();
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitCode(), 1);
}

// Two copies on one data folder, without a bus to find each other by: the
// second, on a line of its own, names the first and ends without writing.
TEST_F(RealStackTest, ASecondCopyOnTheSameFilesEndsWithoutWriting)
{
    ASSERT_TRUE(copyProgram(path(QStringLiteral("pelora"))));
    const QByteArray config = readFile(QStringLiteral("config.dat"));
    const QByteArray memory = readFile(QStringLiteral("Speicherplatz.txt"));
    // An empty lock file, as a kill of an older version left it, stops nobody.
    {
        QFile stale(path(QStringLiteral("pelora.lock")));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    QProcess first;
    first.setProcessEnvironment(programEnv(dir.path()));
    first.start(path(QStringLiteral("pelora")), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    ASSERT_TRUE(waitForCode("0:7", 5000));

    const int line = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(line >= 0 && grantpt(line) == 0 && unlockpt(line) == 0);
    QProcess second;
    second.setProcessEnvironment(programEnv(dir.path()));
    second.start(path(QStringLiteral("pelora")), {QStringLiteral("--port"), QString::fromLocal8Bit(ptsname(line))});
    ASSERT_TRUE(second.waitForStarted(5000));
    QByteArray err;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            err += second.readAllStandardError();
            return err.contains("Prozess " + QByteArray::number(first.processId())) &&
                   err.contains(QDir(dir.path()).absolutePath().toUtf8());
        },
        5000))
        << err.toStdString();
    // Its message box is up; a terminating signal answers it.
    second.terminate();
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(readFile(QStringLiteral("config.dat")), config);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), memory);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("pelora.ini"))));
    close(line);

    first.terminate();
    ASSERT_TRUE(first.waitForFinished(5000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(readFile(QStringLiteral("pelora.lock")).isEmpty());
}

// The port chosen in the list that another program holds now: the start
// takes the COM1 port instead of failing, and the choice stays saved.
TEST_F(RealStackTest, ASavedPortThatDoesNotOpenGivesWayToCom1)
{
    ASSERT_TRUE(copyProgram(path(QStringLiteral("pelora"))));
    const int line = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(line >= 0 && grantpt(line) == 0 && unlockpt(line) == 0);
    const QString held = QString::fromLocal8Bit(ptsname(line));
    QSerialPort holder(held);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    const QByteArray ini = "[serial]\ndevice=" + held.toUtf8() + "\n";
    {
        QFile f(path(QStringLiteral("pelora.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ini);
    }
    QProcess program;
    program.setProcessEnvironment(programEnv(dir.path()));
    program.start(path(QStringLiteral("pelora")), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    EXPECT_TRUE(waitForCode("0:7", 5000)) << program.readAllStandardError().toStdString();
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray err = program.readAllStandardError();
    EXPECT_TRUE(err.contains(held.toUtf8() + " does not open")) << err.toStdString();
    EXPECT_TRUE(readFile(QStringLiteral("pelora.ini")).contains("device=" + held.toUtf8()));
    holder.close();
    close(line);
}

TEST_F(InProcessTest, WindowFollowsTheDeviceAndKeysReachIt)
{
    startWindow();
    ASSERT_TRUE(waitForDump());
    EXPECT_EQ(form->quelA->text(), QStringLiteral("FM"));
    EXPECT_EQ(form->volR->value(), 30);  // the simulator starts at volume 30
    EXPECT_EQ(form->volA->text(), QStringLiteral("30"));
    EXPECT_FALSE(form->nameA->text().isEmpty());
    EXPECT_EQ(simCodes().front(), "0:7");

    input->click(form->Quelle[6]);
    EXPECT_TRUE(waitForCode("0<>"));
    input->click(form->muteK);
    EXPECT_TRUE(waitForCode("0<5"));

    // Closing writes the files: the window size chosen here is saved.
    input->click(form->verkleinern);
    form->close();
    const QList<QByteArray> firstLine = readFile(QStringLiteral("config.dat")).split('\n').first().split(',');
    ASSERT_GE(firstLine.size(), 12);
    EXPECT_EQ(firstLine[11], "0");
}

TEST_F(InProcessTest, DeviceLossAndReturn)
{
    startWindow();
    ASSERT_TRUE(waitForDump());
    const QByteArray config = readFile(QStringLiteral("config.dat"));
    const QByteArray slots = readFile(QStringLiteral("Speicherplatz.txt"));

    stopSim();  // the adapter is gone
    const double cpu0 = processCpuSeconds();
    QTest::qWait(1500);
    EXPECT_LT(processCpuSeconds() - cpu0, 0.3);  // no storm of errors

    form->requestStatus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return form->quelA->text() == QStringLiteral("off"); }, 4000));
    EXPECT_TRUE(form->formEnabled());
    EXPECT_EQ(readFile(QStringLiteral("config.dat")), config);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), slots);

    // Plugged in again under the same name: the next request opens it again.
    startSim();
    form->requestStatus();
    EXPECT_TRUE(QTest::qWaitFor([this] { return form->quelA->text() == QStringLiteral("FM"); }, 6000));
    EXPECT_EQ(form->statusPending, 0);
}

TEST_F(InProcessTest, LateAnswerIsFollowed)
{
    // The request takes 0.1 s on the line and the simulator reacts 50 ms
    // after it: with 1.75 s more, its answer begins 1.9 s after the request,
    // just before the answer watch at 2 s. What the window shows in between
    // depends on how two processes are scheduled; the virtual-time status
    // tests pin that down. Here only the end counts: an answer given up as
    // absent would not be stored, so a whole dump means it was followed.
    stopSim();
    startSim({QStringLiteral("--delay"), QStringLiteral("1750")});
    startWindow();
    ASSERT_TRUE(waitForDump(7300));
    EXPECT_EQ(form->quelA->text(), QStringLiteral("FM"));
    EXPECT_EQ(form->volR->value(), 30);
    EXPECT_TRUE(form->formEnabled());
}

TEST_F(InProcessTest, HeldKeyLeavesBackToBackWhileTheLoopStalls)
{
    startWindow();
    ASSERT_TRUE(waitForDump());
    form->dauertimer->setEnabled(false);
    // A handler that keeps the loop busy now and then: 180 ms every 250 ms.
    QTimer stall;
    QObject::connect(&stall, &QTimer::timeout, [] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(180);
        while (std::chrono::steady_clock::now() < end) {
        }
    });
    stall.start(250);
    // Slot 29 is the ninth preset held: 25 codes "09;" back to back.
    form->slotDirectMode = 1;
    form->stationT_Click(29);
    stall.stop();
    form->slotDirectMode = 0;

    std::vector<double> times;
    for (const QByteArray &l : readFile(QStringLiteral("sim.log")).split('\n')) {
        const QList<QByteArray> parts = l.simplified().split(' ');
        if (parts.size() >= 4 && parts[2] == "received" && parts[3] == "09;")
            times.push_back(parts[1].toDouble());
    }
    ASSERT_EQ(times.size(), 25u);
    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_LE(times[i] - times[i - 1], 0.15) << "gap before code " << i + 1;
    form->requestStatus();
    ASSERT_TRUE(waitForDump());
    EXPECT_EQ(form->currentFrequency.toString(), QStringLiteral("106.90"));  // slot 29 of the sample
}

TEST_F(RealStackTest, EndingSignalsSaveWhatTheUserSetAndExitZero)
{
    ASSERT_TRUE(copyProgram(path(QStringLiteral("pelora"))));
    const QByteArray memory = readFile(QStringLiteral("Speicherplatz.txt"));
    const QProcessEnvironment env = programEnv(dir.path());
    size_t requests = 0;
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(sig);
        // The file says small; the start opens the window large, and only
        // a save records that.
        QFile config(path(QStringLiteral("config.dat")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        config.write("1,1,,,,,,,,,,0,10\r\n0,0,0,0\r\n1,7,0,15\r\n7,18,29,3\r\n");
        config.close();

        QProcess program;
        program.setProcessEnvironment(env);
        program.start(path(QStringLiteral("pelora")), {});
        ASSERT_TRUE(program.waitForStarted(5000));
        // Its first status request reached the device: the window is up.
        ASSERT_TRUE(QTest::qWaitFor([&] { return simCodes().size() > requests; }, 5000));
        requests = simCodes().size();
        // More signals, of every kind, while it saves and on its way out,
        // until it has gone.
        const pid_t pid = pid_t(program.processId());
        kill(pid, sig);
        kill(pid, sig);
        for (int i = 0; i < 2500 && !program.waitForFinished(2); ++i)
            kill(pid, i % 2 ? SIGHUP : sig == SIGINT ? SIGTERM : SIGINT);
        ASSERT_EQ(program.state(), QProcess::NotRunning);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(readFile(QStringLiteral("config.dat")).startsWith("1,1,,,,,,,,,,1,10\r\n"))
            << readFile(QStringLiteral("config.dat")).toStdString();
        EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), memory);
    }
}

TEST_F(InProcessTest, ASignalClosesTheWindowTheNormalWayOnce)
{
    startWindow();
    ASSERT_TRUE(waitForDump());
    int closes = 0;
    platform::QuitRequests quit([&] {
        ++closes;
        raise(SIGHUP);  // another request while the window closes
        form->close();
    });
    input->click(form->verkleinern);  // the user shrinks the window
    raise(SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 3000));
    QTest::qWait(100);
    EXPECT_EQ(closes, 1);
    const QList<QByteArray> firstLine = readFile(QStringLiteral("config.dat")).split('\n').first().split(',');
    ASSERT_GE(firstLine.size(), 12);
    EXPECT_EQ(firstLine[11], "0");
    EXPECT_FALSE(platform.serial->isOpen());
}
