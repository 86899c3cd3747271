// What the desktop side decides without a window: which procedure a media
// call runs for each source, the volume scale, the command line, the order
// in which the serial device is chosen, and the port list.

#include "desktop/command_line.h"
#include "desktop/media_keys.h"
#include "desktop/media_player.h"
#include "desktop/port_choice.h"
#include "desktop/settings.h"
#include "players/transport_keys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

using desktop::Call;
using desktop::Handler;
using desktop::Source;

namespace {

// What a handler puts on the line: the key's code, or the tuner step keys.
std::string effect(Handler h)
{
    switch (h.kind) {
    case Handler::TransportKey: {
        const auto &k = players::transportKeyTable.at(std::size_t(h.index));
        return std::string(k.caption) + " " + std::string(k.code);
    }
    case Handler::ProgramPlus: return "programm >>";
    case Handler::ProgramMinus: return "programm <<";
    case Handler::None: break;
    }
    return "-";
}

}  // namespace

TEST(MediaKeys, EachSourceAndCallRunsItsKey)
{
    const Call calls[] = {Call::Play, Call::Pause, Call::PlayPause, Call::Stop, Call::Next, Call::Previous};
    struct Row {
        Source source;
        std::array<const char *, 6> expect;
    };
    const Row table[] = {
        {Source::Cd, {"start 026", "pause 025", "pause 025", "stop 024", "skip >> 02:", "<< skip 02;"}},
        {Source::Tape1, {"start 0:6", "pause 0:5", "pause 0:5", "stop 0:4", ">> 0:2", "<< 0:3"}},
        {Source::Tape2, {"start 0:6", "pause 0:5", "pause 0:5", "stop 0:4", ">> 0:2", "<< 0:3"}},
        {Source::Phono, {"start / stop 0:6", "lift 0:5", "lift 0:5", "start / stop 0:6", ">> 0:2", "<< 0:3"}},
        {Source::Fm, {"-", "-", "-", "-", "programm >>", "programm <<"}},
        {Source::Am, {"-", "-", "-", "-", "programm >>", "programm <<"}},
        {Source::Tv, {"-", "-", "-", "-", "-", "-"}},
        {Source::Off, {"-", "-", "-", "-", "-", "-"}},
    };
    for (const Row &r : table)
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(effect(desktop::handlerFor(r.source, calls[c])), r.expect[std::size_t(c)])
                << "source " << int(r.source) << " call " << c;
    // The keys are the visible ones of the source's panels.
    for (const Row &r : {table[0], table[1], table[3]})
        for (Call c : calls) {
            const Handler h = desktop::handlerFor(r.source, c);
            ASSERT_EQ(h.kind, Handler::TransportKey);
            const auto panel = players::transportKeyTable.at(std::size_t(h.index)).panel;
            EXPECT_FALSE(players::isExtraFunction(panel));
        }
}

TEST(MediaKeys, CapabilitiesFollowTheSource)
{
    using C = desktop::Capabilities;
    EXPECT_EQ(desktop::capabilitiesOf(Source::Cd), (C{true, true, true, true}));
    EXPECT_EQ(desktop::capabilitiesOf(Source::Phono), (C{true, true, true, true}));
    EXPECT_EQ(desktop::capabilitiesOf(Source::Fm), (C{true, false, true, true}));
    EXPECT_EQ(desktop::capabilitiesOf(Source::Tv), (C{true, false, false, false}));
    EXPECT_EQ(desktop::capabilitiesOf(Source::Off), (C{false, false, false, false}));

    EXPECT_EQ(desktop::sourceOfWindow(QStringLiteral("Tape 2"), QStringLiteral("CD")), Source::Tape2);
    // The configuration view: the device's last dump tells.
    EXPECT_EQ(desktop::sourceOfWindow(QStringLiteral("config"), QStringLiteral("PH")), Source::Phono);
    EXPECT_EQ(desktop::sourceOfWindow(QStringLiteral("config"), QStringLiteral("off")), Source::Off);
    EXPECT_EQ(desktop::sourceOfWindow(QStringLiteral("OFF"), QStringLiteral("CD")), Source::Off);
    EXPECT_EQ(desktop::sourceOfWindow(QStringLiteral("off"), QStringLiteral("off")), Source::Off);
}

TEST(MediaKeys, VolumeScaleCoversTheSlider)
{
    EXPECT_EQ(desktop::levelOfVolume(0.0), 1);
    EXPECT_EQ(desktop::levelOfVolume(0.5), 41);
    EXPECT_EQ(desktop::levelOfVolume(1.0), 81);
    EXPECT_EQ(desktop::levelOfVolume(-0.3), 1);
    EXPECT_EQ(desktop::levelOfVolume(7.0), 81);
    EXPECT_EQ(desktop::levelOfVolume(std::nan("")), 1);
    for (int level = 1; level <= 81; ++level)
        EXPECT_EQ(desktop::levelOfVolume(desktop::volumeOfLevel(level)), level);
}

TEST(CommandLine, OptionsAndTheirExitStatus)
{
    auto parse = [](QStringList args) {
        args.prepend(QStringLiteral("pelora"));
        return desktop::parseCommandLine(args);
    };
    EXPECT_EQ(parse({}).exitStatus, -1);
    const desktop::CommandLine port = parse({QStringLiteral("--port"), QStringLiteral("/dev/pts/7")});
    EXPECT_EQ(port.exitStatus, -1);
    EXPECT_EQ(port.port, QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(parse({QStringLiteral("--port=/dev/ttyUSB0")}).port, QStringLiteral("/dev/ttyUSB0"));
    // Qt's own window options pass through to the window system.
    EXPECT_EQ(parse({QStringLiteral("-platform"), QStringLiteral("offscreen")}).exitStatus, -1);
    EXPECT_EQ(parse({QStringLiteral("--help")}).exitStatus, 0);
    EXPECT_EQ(parse({QStringLiteral("--version")}).exitStatus, 0);
    EXPECT_EQ(parse({QStringLiteral("--colour")}).exitStatus, 2);
    EXPECT_EQ(parse({QStringLiteral("--port")}).exitStatus, 2);
    EXPECT_EQ(parse({QStringLiteral("/dev/ttyS0")}).exitStatus, 2);
}

TEST(SerialChoice, OrderAtStartAndThePortList)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString adapter = QDir(dir.path()).filePath(QStringLiteral("ttyUSB9"));
    QFile(adapter).open(QIODevice::WriteOnly);

    EXPECT_EQ(desktop::startDevice(QStringLiteral("/dev/pts/4"), adapter), QStringLiteral("/dev/pts/4"));
    EXPECT_EQ(desktop::startDevice(QString(), adapter), adapter);
    EXPECT_EQ(desktop::startDevice(QString(), QString()), QString());
    // A saved adapter that is not plugged in leaves the port of config.dat.
    EXPECT_EQ(desktop::startDevice(QString(), adapter + QStringLiteral("x")), QString());

    {
        desktop::Settings s(dir.path());
        s.setDevice(adapter);
        s.setWindowPosition(QPoint(120, 80));
    }
    desktop::Settings s(dir.path());
    EXPECT_EQ(s.device(), adapter);
    EXPECT_EQ(s.windowPosition(), std::optional<QPoint>(QPoint(120, 80)));
    EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("pelora.ini"))));
    s.setDevice(QString());
    EXPECT_EQ(desktop::Settings(dir.path()).device(), QString());

#ifndef Q_OS_WIN
    // The COM<n> entry names what it stands for; a system device goes by its
    // stable name; a device in use that the system does not list (a
    // pseudo-terminal) is listed too, once.
    ASSERT_TRUE(QFile::link(adapter, QDir(dir.path()).filePath(QStringLiteral("COM3"))));
    const QString byId = dir.path() + QStringLiteral("/by-id");
    const QString stable = byId + QStringLiteral("/usb-FTDI_FT232R-if00-port0");
    ASSERT_TRUE(QDir().mkpath(byId));
    ASSERT_TRUE(QFile::link(adapter, stable));
    const QList<platform::SystemPort> system = {{adapter, QStringLiteral("FT232R USB UART")}};
    const QList<desktop::PortEntry> entries = desktop::portEntries(
        3, dir.path(), system, {QStringLiteral("/dev/pts/4"), QStringLiteral("/dev/pts/4")}, byId);
    const QList<desktop::PortEntry> expected = {
        {QString(), QStringLiteral("COM3 → ") + adapter},
        {stable, stable + QStringLiteral(" – FT232R USB UART")},
        {QStringLiteral("/dev/pts/4"), QStringLiteral("/dev/pts/4")},
    };
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(desktop::portEntries(2, dir.path(), {}, {}).front().label, QStringLiteral("COM2 (/dev/ttyS1)"));
#endif
}
