#pragma once
// The names by which scripts and home automation address the hi-fi: the
// sources, the levels with their ranges, and the keys. The home network and
// the web remote share them, so that a script can move from one to the other.

#include "model/hifi_model.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace model {

// "off", "tv", "fm", "am", "tape 1", "tape 2", "phono", "cd": the source
// keys' captions, in the order of Source.
const QStringList &sourceNames();
// A source as a listener hears it, in the window's language ("Kassette 1").
QString spokenSourceName(Source source);

struct LevelRange {
    const char *name;  // "volume", "balance", "bass", "treble"
    int min, max;
};
// The window's sliders, in the order of Level.
inline constexpr LevelRange kLevelRanges[kLevelCount] = {
    {"volume", 1, 81}, {"balance", -80, 80}, {"bass", -5, 5}, {"treble", -5, 5}};

// A key a remote may press: an on/off function or a button.
struct RemoteKey {
    QString object;   // "mute", "tape_rewind", "seek_up": a script's name for it
    QString name;     // "Mute", "Tape rewind": what it does, in English
    QString control;  // the window's key it presses
    QString caption;  // what the key shows in the window
    int function = -1;  // the Function it switches, or -1 for a button
    bool extra = false;  // one of the players' extra-function keys
    QString panel;      // where the window shows it: "tape", "cd", "phono", "tuner"; empty: the amplifier
    const char *spoken = nullptr;  // its German name for a listener, translated in the window's context
};

// The on/off functions, then the players' keys, then the tuner's steps.
const std::vector<RemoteKey> &remoteKeys();
const RemoteKey *findRemoteKey(const QString &object);
// What a listener hears it called, in the window's language: the window's
// own words, so that the window and the web page say the same.
QString spokenName(const RemoteKey &key);

// An object id from a name, as Home Assistant makes entity ids: lower
// case, every other run of characters one "_".
QString slug(const QString &name);

}  // namespace model
