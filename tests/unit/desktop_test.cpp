// What the desktop side decides without a window: which procedure a media
// call runs for each source, the volume scale, the command line, the order
// in which the serial device is chosen, and the port list.

#include "desktop/command_line.h"
#include "desktop/media_player.h"
#include "desktop/port_choice.h"
#include "desktop/settings.h"
#include "model/player_calls.h"
#include "players/transport_keys.h"
#include "web/web_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>
#include <cstring>
#include <string>

using model::Call;
using model::Request;
using model::Source;

namespace {

// What a key puts on the line: its caption and code, or the tuner step keys.
std::string effect(const QString &key)
{
    if (key == QLatin1String("progplusK"))
        return "programm >>";
    if (key == QLatin1String("progminusK"))
        return "programm <<";
    for (const auto &k : players::transportKeyTable)
        if (key == QLatin1String(k.control))
            return std::string(k.caption) + " " + std::string(k.code);
    return key.isEmpty() ? "-" : "unknown key " + key.toStdString();
}

}  // namespace

TEST(MediaKeys, EachSourceAndCallRunsItsKey)
{
    const Call calls[] = {Call::Play, Call::Pause, Call::PlayPause, Call::Stop, Call::Next, Call::Previous};
    struct Row {
        Source source;
        std::array<const char *, 6> expect;
    };
    // Nothing known of the player yet: it counts as playing.
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
            EXPECT_EQ(effect(model::playerKeyFor(r.source, calls[c])), r.expect[std::size_t(c)])
                << "source " << int(r.source) << " call " << c;

    // Play/pause starts what was stopped and resumes what was paused; what
    // is paused is not paused again, and the record player's one key is
    // pressed only when it does what was asked.
    EXPECT_EQ(effect(model::playerKeyFor(Source::Cd, Call::PlayPause, Request::Stop)), "start 026");
    EXPECT_EQ(effect(model::playerKeyFor(Source::Tape1, Call::PlayPause, Request::Pause)), "pause 0:5");
    EXPECT_EQ(effect(model::playerKeyFor(Source::Cd, Call::Pause, Request::Pause)), "-");
    EXPECT_EQ(effect(model::playerKeyFor(Source::Phono, Call::PlayPause, Request::Stop)), "start / stop 0:6");
    EXPECT_EQ(effect(model::playerKeyFor(Source::Phono, Call::Play, Request::Play)), "-");
    EXPECT_EQ(effect(model::playerKeyFor(Source::Phono, Call::Play, Request::Pause)), "lift 0:5");
    EXPECT_EQ(effect(model::playerKeyFor(Source::Phono, Call::Stop, Request::Stop)), "-");
}

TEST(MediaKeys, CapabilitiesAndPlaybackFollowTheSource)
{
    using C = model::Capabilities;
    EXPECT_EQ(model::capabilitiesOf(Source::Cd), (C{true, true, true, true}));
    EXPECT_EQ(model::capabilitiesOf(Source::Phono), (C{true, true, true, true}));
    EXPECT_EQ(model::capabilitiesOf(Source::Fm), (C{true, false, true, true}));
    EXPECT_EQ(model::capabilitiesOf(Source::Tv), (C{true, false, false, false}));
    EXPECT_EQ(model::capabilitiesOf(Source::Off), (C{false, false, false, false}));

    using model::Playback;
    EXPECT_EQ(model::playbackOf(Source::Off, Request::Play), Playback::Stopped);
    EXPECT_EQ(model::playbackOf(Source::Fm, Request::Unknown), Playback::Playing);
    EXPECT_EQ(model::playbackOf(Source::Cd, Request::Unknown), Playback::Playing);
    EXPECT_EQ(model::playbackOf(Source::Cd, Request::Pause), Playback::Paused);
    EXPECT_EQ(model::playbackOf(Source::Tape2, Request::Stop), Playback::Stopped);

    // The keys' own toggles: the same key pauses and resumes; the record
    // player's one key starts and stops.
    EXPECT_EQ(players::requestAfterKey("pause", Request::Play), Request::Pause);
    EXPECT_EQ(players::requestAfterKey("pause", Request::Pause), Request::Play);
    EXPECT_EQ(players::requestAfterKey("lift", Request::Stop), Request::Stop);
    EXPECT_EQ(players::requestAfterKey("start / stop", Request::Stop), Request::Play);
    EXPECT_EQ(players::requestAfterKey("start / stop", Request::Play), Request::Stop);
    EXPECT_EQ(players::requestAfterKey(">>", Request::Pause), Request::Pause);

    EXPECT_EQ(model::sourceOfDump(QStringLiteral("PH")), Source::Phono);
    EXPECT_EQ(model::sourceOfDump(QStringLiteral("T2")), Source::Tape2);
    EXPECT_EQ(model::sourceOfDump(QStringLiteral("??")), Source::Off);
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
    EXPECT_EQ(parse({QStringLiteral("--web"), QStringLiteral("8080")}).web, QStringLiteral("8080"));
    EXPECT_EQ(parse({QStringLiteral("--web"), QStringLiteral("my-box:8080")}).exitStatus, 2);
}

TEST(WebRemoteSettings, ListenAddressesAndThePrivateToken)
{
    QHostAddress a;
    quint16 port = 0;
    ASSERT_TRUE(web::parseListen(QStringLiteral("8080"), &a, &port));
    EXPECT_EQ(a, QHostAddress(QStringLiteral("127.0.0.1")));  // never the network unless asked
    EXPECT_EQ(port, 8080);
    ASSERT_TRUE(web::parseListen(QStringLiteral("0.0.0.0:80"), &a, &port));
    EXPECT_EQ(a, QHostAddress(QStringLiteral("0.0.0.0")));
    ASSERT_TRUE(web::parseListen(QStringLiteral("[::1]:8443"), &a, &port));
    EXPECT_EQ(a, QHostAddress(QStringLiteral("::1")));
    for (const char *bad : {"", "0", "65536", "host:80", "1.2.3.4:", "1.2.3.999:80", ":80"})
        EXPECT_FALSE(web::parseListen(QLatin1String(bad), &a, &port)) << bad;

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("web-token"));
    QString error;
    const QString token = web::accessToken(file, &error);
    EXPECT_GE(token.size(), 43);
    EXPECT_EQ(QFile(file).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    EXPECT_EQ(web::accessToken(file, &error), token);
    // Once others could read it, it is as good as public: a new one.
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    const QString renewed = web::accessToken(file, &error);
    EXPECT_NE(renewed, token);
    EXPECT_EQ(QFile(file).permissions() & QFile::ReadOther, QFile::Permissions());
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

// A pelora.ini that is no small text file is neither read nor rewritten:
// QSettings would turn UTF-16 or NUL bytes into garbage and put a regular
// file in place of a link.
TEST(SettingsFile, AnythingButSmallTextIsLeftAsItIs)
{
    const QByteArray ini = QByteArrayLiteral("[serial]\r\ndevice=/dev/ttyUSB0\r\n");
    struct Case {
        const char *what;
        std::function<bool(const QString &)> put;
    };
    auto write = [](const QString &p, const QByteArray &bytes) {
        QFile f(p);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    const QString utf16 = QString::fromLatin1(ini);
    const std::vector<Case> cases = {
        {"UTF-16", [&](const QString &p) {
             return write(p, QByteArray("\xff\xfe", 2) +
                                 QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2));
         }},
        {"NUL bytes", [&](const QString &p) { return write(p, ini + QByteArray(8, '\0')); }},
        {"not UTF-8", [&](const QString &p) { return write(p, ini + "[window]\r\nname=Gr\xfc\xdf" "e\r\n"); }},
        {"too big", [&](const QString &p) { return write(p, ini + QByteArray(300 * 1024, '#')); }},
        {"link to itself", [](const QString &p) { return QFile::link(p, p); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString file = QDir(dir.path()).filePath(QStringLiteral("pelora.ini"));
        ASSERT_TRUE(c.put(file));
        const QFileInfo before(file);
        QFile f(file);
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        f.close();
        {
            desktop::Settings s(dir.path());
            EXPECT_EQ(s.device(), QString());
            EXPECT_EQ(s.windowPosition(), std::nullopt);
            s.setDevice(QStringLiteral("/dev/ttyUSB1"));
            s.setWindowPosition(QPoint(10, 10));
        }
        const QFileInfo after(file);
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.symLinkTarget(), before.symLinkTarget());
        QFile g(file);
        EXPECT_EQ(g.open(QIODevice::ReadOnly) ? g.readAll() : QByteArray(), bytes);
    }
}

// A saved window place comes back whole on a screen: two screens side by
// side, the second smaller; available areas without the panels.
TEST(SettingsFile, ASavedPlaceIsMovedOntoAScreen)
{
    const QList<QRect> screens = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 984)};
    const QSize window(545, 340);
    auto placed = [&](QPoint at) { return desktop::placeOnScreen(QRect(at, window), screens); };
    EXPECT_EQ(placed(QPoint(300, 200)), QPoint(300, 200));     // whole on the first
    EXPECT_EQ(placed(QPoint(2900, 100)), QPoint(2655, 100));   // half off the right edge
    EXPECT_EQ(placed(QPoint(1800, 900)), QPoint(1920, 644));   // mostly on the second, off its foot
    EXPECT_EQ(placed(QPoint(1500, 100)), QPoint(1375, 100));   // mostly on the first
    EXPECT_EQ(placed(QPoint(-2000, 300)), QPoint(0, 300));     // off all screens, nearest the first
    EXPECT_EQ(placed(QPoint(4000, 1500)), QPoint(2655, 644));  // off all screens, nearest the second
    // Larger than the screen it is on: its top-left corner on the screen's.
    EXPECT_EQ(desktop::placeOnScreen(QRect(2000, -40, 1400, 1000), screens), QPoint(1920, 0));
}
