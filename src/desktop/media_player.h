#pragma once
// The media player the desktop sees: what plays (source, station, volume)
// read from the window, and the calls of the media keys, run through the
// same window procedures as the matching clicks. It knows nothing of the
// bus: the D-Bus service (mpris_service.h) puts it on the session bus, the
// window tests drive it directly.

#include "desktop/call_gate.h"
#include "desktop/media_keys.h"

#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <vector>

class Form1;

namespace desktop {

// Everything the interface reports, taken at one moment.
struct PlayerState {
    Source source = Source::Off;
    Capabilities can;
    bool playing = false;
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
    // How often the window is compared with what was last reported.
    static constexpr int kWatchMs = 250;

    MediaPlayer(Form1 &form, const WaitTracker &waits);
    ~MediaPlayer() override;

    PlayerState state() const;
    // The state as last reported by changed().
    const PlayerState &reported() const { return reported_; }

    // A media key: the handler of `call` for the source that plays, if
    // it offers one. `done` is told whether it ran or was refused.
    void call(Call call, CallGate::Done done = {});
    // Moves the volume as a pointer move of the slider to the level would.
    void setVolume(double volume, CallGate::Done done = {});
    void raise();
    // Closes the window the normal way (the files are saved).
    void quit();

    CallGate &gate() { return gate_; }

    // Compares the window with the last report now, as the watch timer does.
    void watch();

Q_SIGNALS:
    // What the desktop sees has changed.
    void changed(const desktop::PlayerState &now, const desktop::PlayerState &before);

private:
    Form1 &form_;
    std::unique_ptr<platform::Timer> watchTimer_;
    PlayerState reported_;
    int volumeTarget_ = 1;
    bool volumeQueued_ = false;
    std::vector<CallGate::Done> volumeWaiters_;
    // Last, so that it goes first: calls still in line are answered from
    // its destructor, through the members above.
    CallGate gate_;
};

}  // namespace desktop

Q_DECLARE_METATYPE(desktop::PlayerState)
