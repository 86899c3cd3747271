#include "desktop/mpris_service.h"

#include <QCryptographicHash>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFileInfo>

#include "platform/logging.h"

namespace desktop {

using model::Call;

namespace {

const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kBusyError = QStringLiteral("org.mpris.MediaPlayer2.pelora.Error.Busy");
const QString kBusyText = QStringLiteral("The window is busy talking to the device; try again.");

QVariantMap rootProperties(bool canRaise)
{
    return {
        {QStringLiteral("CanQuit"), true},
        {QStringLiteral("CanRaise"), canRaise},
        {QStringLiteral("Fullscreen"), false},
        {QStringLiteral("CanSetFullscreen"), false},
        {QStringLiteral("HasTrackList"), false},
        {QStringLiteral("Identity"), QStringLiteral("Ondal Pelora")},
        {QStringLiteral("DesktopEntry"), QStringLiteral("pelora")},
        {QStringLiteral("SupportedUriSchemes"), QStringList()},
        {QStringLiteral("SupportedMimeTypes"), QStringList()},
    };
}

QVariantMap metadata(const PlayerState &s)
{
    QVariantMap m{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(s.trackId))},
        {QStringLiteral("xesam:title"), s.title},
    };
    if (!s.note.isEmpty()) {
        m.insert(QStringLiteral("xesam:artist"), QStringList{s.note});
        m.insert(QStringLiteral("xesam:comment"), QStringList{s.note});
    }
    if (!s.frequency.isEmpty())
        m.insert(QStringLiteral("xesam:album"), s.frequency);
    return m;
}

QVariantMap playerProperties(const PlayerState &s)
{
    return {
        {QStringLiteral("PlaybackStatus"), s.playback == model::Playback::Playing  ? QStringLiteral("Playing")
                                           : s.playback == model::Playback::Paused ? QStringLiteral("Paused")
                                                                                   : QStringLiteral("Stopped")},
        {QStringLiteral("Rate"), 1.0},
        {QStringLiteral("MinimumRate"), 1.0},
        {QStringLiteral("MaximumRate"), 1.0},
        {QStringLiteral("Metadata"), metadata(s)},
        {QStringLiteral("Volume"), s.volume},
        {QStringLiteral("Position"), qlonglong(0)},
        {QStringLiteral("CanGoNext"), s.can.canGoNext},
        {QStringLiteral("CanGoPrevious"), s.can.canGoPrevious},
        {QStringLiteral("CanPlay"), s.can.canPlay},
        {QStringLiteral("CanPause"), s.can.canPause},
        {QStringLiteral("CanSeek"), false},
        {QStringLiteral("CanControl"), true},
    };
}

// Qt adds the standard interfaces (Properties, Introspectable, Peer) itself.
const char kIntrospection[] = R"(  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="Fullscreen" type="b" access="readwrite"/>
    <property name="CanSetFullscreen" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg direction="in" name="Offset" type="x"/></method>
    <method name="SetPosition">
      <arg direction="in" name="TrackId" type="o"/>
      <arg direction="in" name="Position" type="x"/>
    </method>
    <method name="OpenUri"><arg direction="in" name="Uri" type="s"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="readwrite"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="readwrite"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
)";

// The answer to a call that the window runs when it can: sent once it ran,
// or an error when it was refused.
model::Door::Done replyWhenDone(const QDBusMessage &message, const QDBusConnection &connection)
{
    message.setDelayedReply(true);
    return [message, connection](bool ran) {
        QDBusConnection c(connection);
        c.send(ran ? message.createReply() : message.createErrorReply(kBusyError, kBusyText));
    };
}

}  // namespace

namespace {

bool busLaunchPrevented = false;

// A session bus is found by its address or at its usual socket. Without
// either, asking for it costs a connection thread and may start a bus of
// its own for this program alone, which no desktop would see.
bool sessionBusMayExist()
{
    if (busLaunchPrevented)
        return false;
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

}  // namespace

QString busName(const QString &dataDir)
{
    const QByteArray path = QDir(dataDir).absolutePath().toUtf8();
    return QStringLiteral("org.mpris.MediaPlayer2.pelora.d") +
           QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(12));
}

void keepFromLaunchingABus()
{
    if (sessionBusMayExist())
        return;
    // Without an address libdbus launches a bus for whoever asks first (the
    // platform's accessibility or theme support); one it cannot use stops it.
    busLaunchPrevented = true;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

Instance claimInstance()
{
    if (!sessionBusMayExist()) {
        qCWarning(lcDesktop) << "no session bus; the media interface is off";
        return Instance::NoBus;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) {
        qCWarning(lcDesktop) << "no session bus; the media interface is off";
        return Instance::NoBus;
    }
    return Instance::First;
}

bool raiseRunning(const QString &dataDir)
{
    if (!sessionBusMayExist())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString name = busName(dataDir);
    QDBusMessage get = QDBusMessage::createMethodCall(name, QString::fromLatin1(kObjectPath), kPropertiesInterface,
                                                      QStringLiteral("Get"));
    get << kRootInterface << QStringLiteral("CanRaise");
    const QDBusMessage can = bus.call(get, QDBus::Block, 5000);
    if (can.type() != QDBusMessage::ReplyMessage || can.arguments().isEmpty() ||
        !can.arguments().front().value<QDBusVariant>().variant().toBool())
        return false;
    const QDBusMessage raise =
        QDBusMessage::createMethodCall(name, QString::fromLatin1(kObjectPath), kRootInterface, QStringLiteral("Raise"));
    const QDBusMessage answer = bus.call(raise, QDBus::Block, 5000);
    if (answer.type() != QDBusMessage::ReplyMessage) {
        qCWarning(lcDesktop).noquote() << "the running program did not answer:" << answer.errorMessage();
        return false;
    }
    return true;
}

MprisService::MprisService(MediaPlayer &player, bool canRaise, QObject *parent)
    : QDBusVirtualObject(parent), player_(player), canRaise_(canRaise)
{
    connect(&player_, &MediaPlayer::changed, this, &MprisService::sendPropertiesChanged);
}

bool MprisService::registerOnBus(const QString &name)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QString::fromLatin1(kObjectPath), this))
        return false;
    const auto reply = bus.interface()->registerService(name,
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return true;
    bus.unregisterObject(QString::fromLatin1(kObjectPath));
    return false;
}

QString MprisService::introspect(const QString &) const
{
    return QString::fromLatin1(kIntrospection);
}

bool MprisService::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString iface = message.interface();
    // Qt answers these itself, from introspect().
    if (iface == QLatin1String("org.freedesktop.DBus.Introspectable") || iface == QLatin1String("org.freedesktop.DBus.Peer"))
        return false;
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    QDBusConnection bus(connection);
    auto reply = [&](const QList<QVariant> &values = {}) {
        bus.send(message.createReply(values));
        return true;
    };
    auto error = [&](const QString &name, const QString &text) {
        bus.send(message.createErrorReply(name, text));
        return true;
    };
    // Calls that run window procedures go through the door, which runs
    // them from the event loop after this delivery has returned: a handler
    // that waits must not hold up the bus connection.
    auto unknownMethod = [&] {
        return error(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                     QStringLiteral("No such method: %1.%2").arg(iface, member));
    };
    auto cannotPause = [&] {
        return error(QStringLiteral("org.freedesktop.DBus.Error.NotSupported"),
                     QStringLiteral("The source that plays cannot pause"));
    };

    if (iface == kPropertiesInterface) {
        if (member == QLatin1String("GetAll") && args.size() == 1) {
            const QString which = args[0].toString();
            if (which == kRootInterface)
                return reply({rootProperties(canRaise_)});
            if (which == kPlayerInterface)
                return reply({playerProperties(player_.state())});
            return error(QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
                         QStringLiteral("No such interface: ") + which);
        }
        if (member == QLatin1String("Get") && args.size() == 2) {
            const QString which = args[0].toString();
            const QVariantMap all = which == kRootInterface     ? rootProperties(canRaise_)
                                    : which == kPlayerInterface ? playerProperties(player_.state())
                                                                : QVariantMap();
            const auto it = all.find(args[1].toString());
            if (it == all.end())
                return error(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                             QStringLiteral("No such property: ") + args[1].toString());
            return reply({QVariant::fromValue(QDBusVariant(*it))});
        }
        if (member == QLatin1String("Set") && args.size() == 3) {
            const QString which = args[0].toString();
            const QString name = args[1].toString();
            const QVariant value = args[2].value<QDBusVariant>().variant();
            if (which == kPlayerInterface && name == QLatin1String("Volume")) {
                bool ok = false;
                const double v = value.toDouble(&ok);
                if (!ok)
                    return error(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                 QStringLiteral("Volume is a number"));
                player_.setVolume(v, replyWhenDone(message, connection));
                return true;
            }
            if (which == kPlayerInterface && name == QLatin1String("Rate")) {
                // The only rate is 1; a rate of 0 asks for a pause.
                if (value.toDouble() == 0.0) {
                    if (!player_.state().can.canPause)
                        return cannotPause();
                    player_.call(Call::Pause, replyWhenDone(message, connection));
                    return true;
                }
                return reply();
            }
            if (which == kRootInterface && name == QLatin1String("Fullscreen"))
                return reply();  // not offered: ignored
            const QVariantMap known = which == kRootInterface     ? rootProperties(canRaise_)
                                      : which == kPlayerInterface ? playerProperties(player_.state())
                                                                  : QVariantMap();
            if (!known.contains(name))
                return error(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                             QStringLiteral("No such property: ") + name);
            return error(QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
                         QStringLiteral("Not writable: ") + name);
        }
        return unknownMethod();
    }

    // A call may leave out its interface: the member names are distinct.
    const bool root = iface == kRootInterface || iface.isEmpty();
    const bool player = iface == kPlayerInterface || iface.isEmpty();
    if (root && member == QLatin1String("Raise")) {
        player_.raise();
        return reply();
    }
    if (root && member == QLatin1String("Quit")) {
        player_.quit();
        return reply();
    }
    if (player) {
        static const std::pair<const char *, Call> calls[] = {
            {"Play", Call::Play}, {"Pause", Call::Pause}, {"PlayPause", Call::PlayPause},
            {"Stop", Call::Stop}, {"Next", Call::Next},   {"Previous", Call::Previous},
        };
        for (const auto &[name, c] : calls) {
            if (member != QLatin1String(name))
                continue;
            // What cannot pause says so, rather than doing nothing.
            if ((c == Call::Pause || c == Call::PlayPause) && !player_.state().can.canPause)
                return cannotPause();
            player_.call(c, replyWhenDone(message, connection));
            return true;
        }
        // Nothing to seek in: these have no effect.
        if (member == QLatin1String("Seek") || member == QLatin1String("SetPosition"))
            return reply();
        if (member == QLatin1String("OpenUri"))
            return error(QStringLiteral("org.freedesktop.DBus.Error.NotSupported"),
                         QStringLiteral("The hi-fi system opens no files"));
    }
    return unknownMethod();
}

void MprisService::sendPropertiesChanged(const PlayerState &now, const PlayerState &before)
{
    const QVariantMap a = playerProperties(now);
    const QVariantMap b = playerProperties(before);
    QVariantMap changed;
    for (auto it = a.begin(); it != a.end(); ++it)
        if (b.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath), kPropertiesInterface,
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace desktop
