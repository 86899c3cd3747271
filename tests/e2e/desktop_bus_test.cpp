// The desktop around the real program: a private session bus, playerctl as
// the media client, pelora started on the simulator's pseudo-terminal with
// --port (no COM link beside it), and the command line without a display.

#include "e2e_support.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QSettings>

#include <algorithm>

namespace {

const QString kPelora = QStringLiteral(PELORA_BINARY_DIR "/pelora");

struct Finished {
    int status = -1;
    QString out, err;
};

// Runs a program to its end (10 s at most).
Finished runProgram(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(findTool(program), args);
    Finished r;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(2000);
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

class DesktopBusTest : public RealStackTest {
protected:
    QProcess bus;
    QProcess pelora;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    void SetUp() override
    {
        RealStackTest::SetUp();
        // A session bus of our own, as dbus-run-session makes one.
        bus.setProgram(findTool(QStringLiteral("dbus-daemon")));
        bus.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        bus.start();
        ASSERT_TRUE(bus.waitForStarted(5000)) << "dbus-daemon is missing";
        ASSERT_TRUE(QTest::qWaitFor([this] { return bus.canReadLine(); }, 5000));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLatin1(bus.readLine()).trimmed());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        // The program and its data files, without a COM link: --port names the device.
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("app")));
        for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
            ASSERT_TRUE(QFile::copy(path(QLatin1String(name)), appPath(QLatin1String(name))));
        ASSERT_TRUE(copyProgram(appPath(QStringLiteral("pelora"))));
    }

    void TearDown() override
    {
        for (QProcess *p : {&pelora, &bus}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
            }
        }
        RealStackTest::TearDown();
    }

    QString appPath(const QString &name) const { return QDir(dir.path()).filePath(QStringLiteral("app/") + name); }
    QString pty() const { return QFileInfo(path(QStringLiteral("COM1"))).symLinkTarget(); }

    // Starts pelora on the simulator and waits until it shows the device.
    void startPelora(const QString &title)
    {
        pelora.setProcessEnvironment(env);
        pelora.start(appPath(QStringLiteral("pelora")), {QStringLiteral("--port"), pty()});
        ASSERT_TRUE(pelora.waitForStarted(5000));
        ASSERT_TRUE(waitFor({QStringLiteral("metadata"), QStringLiteral("title")}, title))
            << qPrintable(QString::fromLocal8Bit(pelora.readAllStandardError()));
    }

    Finished playerctl(const QStringList &args) const
    {
        return runProgram(QStringLiteral("playerctl"), QStringList{QStringLiteral("-p"), QStringLiteral("pelora")} + args,
                          env);
    }
    // Asks playerctl until it prints `want`.
    ::testing::AssertionResult waitFor(const QStringList &args, const QString &want, int ms = 10000) const
    {
        QString last;
        if (QTest::qWaitFor([&] { return (last = playerctl(args).out) == want; }, ms))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "playerctl " << qPrintable(args.join(u' ')) << " printed '"
                                             << qPrintable(last) << "', not '" << qPrintable(want) << "'";
    }

    // The players on the bus as media clients list them ("pelora.d1f2...").
    QStringList players() const
    {
        QStringList out;
        for (const QString &p : runProgram(QStringLiteral("playerctl"), {QStringLiteral("-l")}, env).out.split(u'\n'))
            if (p.startsWith(QLatin1String("pelora")))
                out << p.trimmed();
        return out;
    }

    int count(const std::string &code) const
    {
        int n = 0;
        for (const auto &c : simCodes())
            n += c == code;
        return n;
    }
};

class CdOnTheDevice : public DesktopBusTest {
protected:
    void SetUp() override
    {
        simOptions = {QStringLiteral("--source"), QStringLiteral("cd")};
        DesktopBusTest::SetUp();
    }
};

}  // namespace

TEST_F(CdOnTheDevice, PlayPutsTheStartCodeOnTheLineOnce)
{
    startPelora(QStringLiteral("CD"));
    EXPECT_EQ(playerctl({QStringLiteral("status")}).out, QStringLiteral("Playing"));
    const Finished play = playerctl({QStringLiteral("play")});
    EXPECT_EQ(play.status, 0) << qPrintable(play.err);
    ASSERT_TRUE(waitForCode("026"));
    QTest::qWait(600);
    EXPECT_EQ(count("026"), 1);

    // The status is what was last asked: after a stop, play/pause starts
    // ("026") rather than pausing; a pause is reported, and play/pause
    // resumes with the pause key.
    EXPECT_EQ(playerctl({QStringLiteral("stop")}).status, 0);
    ASSERT_TRUE(waitForCode("024"));
    EXPECT_TRUE(waitFor({QStringLiteral("status")}, QStringLiteral("Stopped")));
    EXPECT_EQ(playerctl({QStringLiteral("play-pause")}).status, 0);
    EXPECT_TRUE(waitFor({QStringLiteral("status")}, QStringLiteral("Playing")));
    EXPECT_EQ(count("026"), 2);
    EXPECT_EQ(count("025"), 0);
    EXPECT_EQ(playerctl({QStringLiteral("pause")}).status, 0);
    EXPECT_TRUE(waitFor({QStringLiteral("status")}, QStringLiteral("Paused")));
    EXPECT_EQ(playerctl({QStringLiteral("play-pause")}).status, 0);
    EXPECT_TRUE(waitFor({QStringLiteral("status")}, QStringLiteral("Playing")));
    EXPECT_EQ(count("025"), 2);

    // The object tells each interface once, and what it does not have.
    ASSERT_EQ(players().size(), 1);
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.") + players().front();
    const Finished xml = runProgram(QStringLiteral("gdbus"),
                                    {QStringLiteral("introspect"), QStringLiteral("--session"),
                                     QStringLiteral("--dest"), name,
                                     QStringLiteral("--object-path"), QStringLiteral("/org/mpris/MediaPlayer2")},
                                    env);
    for (const char *name : {"org.mpris.MediaPlayer2 ", "org.mpris.MediaPlayer2.Player ",
                             "org.freedesktop.DBus.Properties ", "org.freedesktop.DBus.Introspectable "})
        EXPECT_EQ(xml.out.count(QLatin1String("interface ") + QLatin1String(name)), 1) << name << qPrintable(xml.out);
    const Finished nonsense = runProgram(QStringLiteral("gdbus"),
                                         {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                                          name, QStringLiteral("--object-path"),
                                          QStringLiteral("/org/mpris/MediaPlayer2"), QStringLiteral("--method"),
                                          QStringLiteral("org.mpris.MediaPlayer2.Player.Nonsense")},
                                         env);
    EXPECT_NE(nonsense.status, 0);
    EXPECT_TRUE(nonsense.err.contains(QStringLiteral("UnknownMethod"))) << qPrintable(nonsense.err);

    // A second start raises this window and ends, leaving the line alone.
    const QByteArray memory = readFile(QStringLiteral("app/Speicherplatz.txt"));
    const Finished second = runProgram(appPath(QStringLiteral("pelora")), {}, env);
    EXPECT_EQ(second.status, 0) << qPrintable(second.err);
    EXPECT_TRUE(second.err.contains(QStringLiteral("brought to the front"))) << qPrintable(second.err);
    EXPECT_EQ(pelora.state(), QProcess::Running);
    EXPECT_EQ(readFile(QStringLiteral("app/Speicherplatz.txt")), memory);
    // Headless, the same start is a failure of the service.
    EXPECT_EQ(runProgram(appPath(QStringLiteral("pelora")), {QStringLiteral("--headless")}, env).status, 1);
    EXPECT_EQ(players().size(), 1);

    // Quit closes the window the normal way: files saved, place remembered.
    const Finished quit = runProgram(QStringLiteral("dbus-send"),
                                {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                 QStringLiteral("--dest=") + name,
                                 QStringLiteral("/org/mpris/MediaPlayer2"), QStringLiteral("org.mpris.MediaPlayer2.Quit")},
                                env);
    EXPECT_EQ(quit.status, 0) << qPrintable(quit.err);
    ASSERT_TRUE(pelora.waitForFinished(5000));
    EXPECT_EQ(pelora.exitCode(), 0);
    EXPECT_TRUE(QSettings(appPath(QStringLiteral("pelora.ini")), QSettings::IniFormat).contains(QStringLiteral("window/position")));
}

TEST_F(DesktopBusTest, VolumeMovesAsTheSliderAndTheTitleNamesTheStation)
{
    // The simulator starts on the first station of Speicherplatz.txt, 87.90.
    startPelora(QStringLiteral("Bayern 1"));
    EXPECT_EQ(playerctl({QStringLiteral("volume")}).out, QStringLiteral("0.362500"));  // level 30 of 1..81

    // 0.5 is level 41: the slider's burst, eleven steps and one more.
    EXPECT_EQ(playerctl({QStringLiteral("volume"), QStringLiteral("0.5")}).status, 0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return count("0<3") >= 12; }, 6000));
    QTest::qWait(500);
    EXPECT_EQ(count("0<3"), 12);
    EXPECT_EQ(count("0<4"), 0);
    EXPECT_TRUE(waitFor({QStringLiteral("volume")}, QStringLiteral("0.500000")));

    // A widget's slider dragged to 0.75, a level every 120 ms: one move to
    // level 61, twenty steps and one more, and the volume said at the end.
    for (const char *v : {"0.55", "0.6", "0.65", "0.7", "0.75"}) {
        QElapsedTimer sent;
        sent.start();
        EXPECT_EQ(playerctl({QStringLiteral("volume"), QLatin1String(v)}).status, 0);
        QTest::qWait(int(std::max<qint64>(0, 120 - sent.elapsed())));
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return count("0<3") >= 12 + 21; }, 8000));
    QTest::qWait(500);
    EXPECT_EQ(count("0<3"), 12 + 21);
    EXPECT_TRUE(waitFor({QStringLiteral("volume")}, QStringLiteral("0.750000")));

    // The tuner cannot pause, and says so.
    const Finished pause = playerctl({QStringLiteral("pause")});
    EXPECT_TRUE(pause.status != 0 || !pause.err.isEmpty()) << qPrintable(pause.out);

    // Next is the tuner's preset step: the next station, by its name.
    EXPECT_EQ(playerctl({QStringLiteral("next")}).status, 0);
    ASSERT_TRUE(waitForCode("097"));
    EXPECT_TRUE(waitFor({QStringLiteral("metadata"), QStringLiteral("title")}, QStringLiteral("Deutschlandfunk")));
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("album")}).out, QStringLiteral("88.40 MHz"));
}

// One hi-fi per data folder: a second folder with its own simulator and
// program on the same desktop, each driven under its own name.
TEST_F(DesktopBusTest, TwoFoldersRunSideBySideEachUnderItsOwnName)
{
    startPelora(QStringLiteral("Bayern 1"));
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    auto at = [&](const char *name) { return QDir(other.path()).filePath(QLatin1String(name)); };
    for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
        ASSERT_TRUE(QFile::copy(path(QLatin1String(name)), at(name)));
    ASSERT_TRUE(copyProgram(at("pelora")));
    QProcess sim2, pelora2;
    sim2.start(QStringLiteral(PELORA_BINARY_DIR "/pelora-sim"),
               {QStringLiteral("--dir"), other.path(), QStringLiteral("--port"), QStringLiteral("1"),
                QStringLiteral("--source"), QStringLiteral("cd"), QStringLiteral("--log"), at("sim.log")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(at("COM1")).isSymLink(); }, 5000));
    pelora2.setProcessEnvironment(env);
    pelora2.start(at("pelora"), {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return players().size() == 2; }, 10000))
        << qPrintable(QString::fromLocal8Bit(pelora2.readAllStandardError()));

    // Each name reaches its own hi-fi: play on the CD one, next on the tuner.
    auto run = [&](const QString &player, const QStringList &args) {
        return runProgram(QStringLiteral("playerctl"), QStringList{QStringLiteral("-p"), player} + args, env);
    };
    QString cd, tuner;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            cd.clear();
            tuner.clear();
            for (const QString &n : players())
                (run(n, {QStringLiteral("metadata"), QStringLiteral("title")}).out == QStringLiteral("CD") ? cd : tuner) = n;
            return !cd.isEmpty() && !tuner.isEmpty();
        },
        10000));
    EXPECT_EQ(run(cd, {QStringLiteral("play")}).status, 0);
    EXPECT_EQ(run(tuner, {QStringLiteral("next")}).status, 0);
    auto received = [](const QString &log, const QByteArray &code) {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains(" received " + code);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return received(at("sim.log"), "026"); }, 5000));
    EXPECT_TRUE(waitForCode("097"));
    EXPECT_FALSE(received(at("sim.log"), "097"));
    EXPECT_EQ(count("026"), 0);

    for (QProcess *p : {&pelora2, &sim2}) {
        p->terminate();
        EXPECT_TRUE(p->waitForFinished(5000));
    }
    EXPECT_EQ(pelora2.exitCode(), 0);
}

TEST(DesktopCommandLine, WorksWithoutADisplayOrABus)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const Finished help = runProgram(kPelora, {QStringLiteral("--help")}, env);
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--port <path>"))) << qPrintable(help.out);
    const Finished version = runProgram(kPelora, {QStringLiteral("--version")}, env);
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("pelora "))) << qPrintable(version.out);
    const Finished wrong = runProgram(kPelora, {QStringLiteral("--prot"), QStringLiteral("/dev/null")}, env);
    EXPECT_EQ(wrong.status, 2);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("prot"))) << qPrintable(wrong.err);
}

TEST_F(RealStackTest, WithoutASessionBusTheProgramRunsAndSaysSoOnce)
{
    QProcess program;
    program.setProcessEnvironment(programEnv(dir.path()));
    program.start(kPelora, {QStringLiteral("--port"), QFileInfo(path(QStringLiteral("COM1"))).symLinkTarget()});
    ASSERT_TRUE(program.waitForStarted(5000));
    EXPECT_TRUE(waitForCode("0:7", 5000));
    program.terminate();
    program.waitForFinished(5000);
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_EQ(err.count(QStringLiteral("media interface is off")), 1) << qPrintable(err);
}
