#pragma once
// The MPRIS 2 media-player interface on the session bus, and the one
// instance of the program: the bus name org.mpris.MediaPlayer2.pelora is
// held by the running program, and a second start asks it to raise its
// window instead of opening the port again. This folder is the only place
// that uses D-Bus.

#include "desktop/media_player.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>

namespace desktop {

inline constexpr char kBusName[] = "org.mpris.MediaPlayer2.pelora";
inline constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";

enum class Instance {
    First,     // the name is ours: go on and serve it
    Second,    // another program holds it and has been asked to raise its window
    NoBus,     // no session bus: the program runs without the interface
};

// Takes the bus name, or asks its holder to raise its window. Says once on
// stderr when there is no session bus.
Instance claimInstance();

class MprisService : public QDBusVirtualObject {
    Q_OBJECT
public:
    explicit MprisService(MediaPlayer &player, QObject *parent = nullptr);
    // Puts the object on the bus; false if that failed.
    bool registerOnBus();

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;
    QString introspect(const QString &path) const override;

private:
    void sendPropertiesChanged(const PlayerState &now, const PlayerState &before);

    MediaPlayer &player_;
};

}  // namespace desktop
