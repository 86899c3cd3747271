#pragma once
// The MPRIS 2 media-player interface on the session bus. Each data folder
// (one per hi-fi) has a name of its own on the bus, so that programs on
// different folders run side by side on one desktop, and a second start on
// the same folder finds the first to raise its window. This folder is the
// only place that uses D-Bus.

#include "desktop/media_player.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>

namespace desktop {

inline constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";

// "org.mpris.MediaPlayer2.pelora.d" and 12 hex digits of the folder's path:
// an MPRIS player instance, which media clients list as "pelora".
QString busName(const QString &dataDir);

// Called before the application is made: without a session bus nothing in
// the program may start one of its own (dbus-launch), which would outlive it.
void keepFromLaunchingABus();

enum class Instance {
    First,  // there is a bus: the folder's name is offered on it
    NoBus,  // no session bus: the program runs without the interface
};

// Whether there is a session bus to offer the interface on. Says once on
// stderr when there is none.
Instance claimInstance();

// Asks the program that runs on `dataDir` to raise its window. False when
// there is no bus, no such program on it, or it has no window to raise (a
// service).
bool raiseRunning(const QString &dataDir);

class MprisService : public QDBusVirtualObject {
    Q_OBJECT
public:
    // `canRaise`: the program has a window to bring to the front.
    explicit MprisService(MediaPlayer &player, bool canRaise = true, QObject *parent = nullptr);
    // Puts the object on the bus under `name`; false if that failed.
    bool registerOnBus(const QString &name);

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;
    QString introspect(const QString &path) const override;

private:
    void sendPropertiesChanged(const PlayerState &now, const PlayerState &before);

    MediaPlayer &player_;
    bool canRaise_;
};

}  // namespace desktop
