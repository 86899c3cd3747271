#pragma once
// The media player the desktop sees: what plays (source, station, volume,
// whether it plays) read from the model, and the calls of the media keys
// and widgets, which go through the door. It knows nothing of the bus: the
// D-Bus service (mpris_service.h) puts it on the session bus, the window
// tests drive it directly.

#include "model/door.h"
#include "model/player_calls.h"

#include <QObject>
#include <QString>

namespace desktop {

// Everything the interface reports, taken at one moment.
struct PlayerState {
    model::Source source = model::Source::Off;
    model::Capabilities can;
    model::Playback playback = model::Playback::Stopped;
    double volume = 0.0;
    QString trackId;  // an object path
    QString title;
    QString note;       // the station's note, if any
    QString frequency;  // the station's frequency with its unit, if any
    bool operator==(const PlayerState &) const = default;
};

// Volume level 1..81 and the interface's 0.0..1.0.
int levelOfVolume(double volume);
double volumeOfLevel(long long level);

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    explicit MediaPlayer(model::Door &door);

    PlayerState state() const;
    // The state as last reported by changed().
    const PlayerState &reported() const { return reported_; }

    // A media key: the key of the source that plays, if it has one.
    void call(model::Call call, model::Door::Done done = {});
    // Moves the volume slider as the wheel would: levels set one after
    // another join one move, which the device gets once they stop.
    void setVolume(double volume, model::Door::Done done = {});
    void raise() { door_.raise(); }
    // Closes the window the normal way (the files are saved).
    void quit() { door_.quit(); }

Q_SIGNALS:
    // What the desktop sees has changed.
    void changed(const desktop::PlayerState &now, const desktop::PlayerState &before);

private:
    // Compares the model with the last report.
    void modelChanged();

    model::Door &door_;
    PlayerState reported_;
};

}  // namespace desktop

Q_DECLARE_METATYPE(desktop::PlayerState)
