#pragma once
// The real stack: QSerialPort, the real clock and event loop, and
// pelora-sim on a pseudo-terminal linked as COM1 in a temporary program
// directory.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// The environment for a started pelora: no display, and a session bus
// address under `dir` where nothing listens. On a bus where another pelora
// runs (the user's, or a test running beside this one) the start would take
// itself for a second one and end at once.
inline QProcessEnvironment programEnv(const QString &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + QDir(dir).filePath(QStringLiteral("no-bus")));
    return env;
}

// A program the test starts, found on PATH or in the system folders, which
// an ordinary user's PATH lacks on Debian (mosquitto is in /usr/sbin). A
// path is taken as it is. Empty when it is nowhere.
inline QString findTool(const QString &name)
{
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/local/sbin"), QStringLiteral("/usr/sbin"),
                                                      QStringLiteral("/sbin")});
    return found;
}

// The media-player name a pelora took on `bus` (each data folder has its
// own), once it is there; empty after 10 s without one.
inline QString peloraOnBus(const QDBusConnection &bus)
{
    QString found;
    (void)QTest::qWaitFor(
        [&] {
            for (const QString &n : bus.interface()->registeredServiceNames().value())
                if (n.startsWith(QLatin1String("org.mpris.MediaPlayer2.pelora")))
                    found = n;
            return !found.isEmpty();
        },
        10000);
    return found;
}

// A copy of the built pelora at `to`: it looks for its data files and COM1
// beside itself.
inline bool copyProgram(const QString &to)
{
    return QFile::copy(QStringLiteral(PELORA_BINARY_DIR "/pelora"), to) &&
           QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class RealStackTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QProcess sim;
    // More options for pelora-sim, set before SetUp starts it.
    QStringList simOptions;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name), path(name)));
        startSim();
    }

    void TearDown() override { stopSim(); }

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
    QByteArray readFile(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // `faults`: further options of pelora-sim, such as a delayed answer.
    void startSim(const QStringList &faults = {})
    {
        sim.setProgram(QStringLiteral(PELORA_BINARY_DIR "/pelora-sim"));
        sim.setArguments(QStringList{QStringLiteral("--dir"), dir.path(), QStringLiteral("--port"), QStringLiteral("1"),
                                     QStringLiteral("--log"), path(QStringLiteral("sim.log"))} +
                         simOptions + faults);
        sim.start();
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([this] { return QFileInfo(path(QStringLiteral("COM1"))).isSymLink(); }, 5000));
    }

    // SIGTERM: the simulator closes its side of the line and removes the link.
    void stopSim()
    {
        if (sim.state() == QProcess::NotRunning)
            return;
        sim.terminate();
        sim.waitForFinished(5000);
    }

    // The codes the device received, in order.
    std::vector<std::string> simCodes() const
    {
        std::vector<std::string> codes;
        const QList<QByteArray> lines = readFile(QStringLiteral("sim.log")).split('\n');
        for (const QByteArray &l : lines) {
            const QList<QByteArray> parts = l.simplified().split(' ');
            if (parts.size() >= 4 && parts[2] == "received")
                codes.push_back(parts[3].toStdString());
        }
        return codes;
    }

    bool waitForCode(const std::string &code, int ms = 3000) const
    {
        return QTest::qWaitFor(
            [&] {
                for (const auto &c : simCodes())
                    if (c == code)
                        return true;
                return false;
            },
            ms);
    }
};
