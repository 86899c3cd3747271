#pragma once
// Everything the hi-fi system remembers. Levels are held in the units the
// device shows: volume 1..81, balance -80 (left) .. +80 (right), bass, treble
// and low bass -10..+10 in steps of 2.

#include "model/station.h"

#include <string>

namespace sim {

enum class Source { Tv, Tuner, Tape1, Tape2, Phono, Cd };

enum class Transport { Stopped, Playing, Paused, Forward, Rewind, Recording };

struct TapeDeck {
    Transport transport = Transport::Stopped;
    Transport beforePause = Transport::Playing;
    bool recordArmed = false;  // "rec" waits for "start"
    bool memo = false;         // counter memory stop
    bool autoSpace = false;
    int counterResets = 0;
    int setPresses = 0;

    friend bool operator==(const TapeDeck &, const TapeDeck &) = default;
};

struct RecordPlayer {
    bool playing = false;
    bool armLifted = false;
    int cueForward = 0;  // ">>" / "<<" presses while on phono
    int cueBack = 0;

    friend bool operator==(const RecordPlayer &, const RecordPlayer &) = default;
};

struct CdPlayer {
    Transport transport = Transport::Stopped;  // Forward: searching
    int track = 1;
    bool repeat = false;
    int timeMode = 0;  // 0 elapsed, 1 remaining, 2 total; "time" cycles
    int abStage = 0;   // 0 off, 1 A set, 2 A-B repeat
    int programmed = 0;  // tracks entered with "set"
    int gotoPresses = 0;

    friend bool operator==(const CdPlayer &, const CdPlayer &) = default;
};

inline constexpr int cdTracks = 12;

struct DeviceState {
    bool standby = false;
    Source source = Source::Tuner;
    Band band = Band::Fm;
    Station fm{Band::Fm, 8760};
    Station am{Band::Am, 1440};
    int slot = 0;  // memory slot tuned last, 0 after seeking
    SlotMemory slots{};

    int volume = 30;
    int balance = 0;
    int bass = 0;
    int treble = 0;
    int lowBass = 0;

    bool loudness = false;
    bool mute = false;
    bool speaker1 = true;
    bool speaker2 = false;
    bool mono = false;
    bool hblend = false;
    bool filter20Hz = false;
    bool equaliser = false;
    bool copying = false;
    int displayTests = 0;

    TapeDeck tape1, tape2;
    RecordPlayer phono;
    CdPlayer cd;

    const Station &tuned() const { return band == Band::Fm ? fm : am; }

    friend bool operator==(const DeviceState &, const DeviceState &) = default;
};

}  // namespace sim
