#pragma once
// The codes this device understands: the keys of its remote control as they
// arrive on the serial line. Each is three characters: '0', a key group
// ('2', '3', '9', ':', ';' or '<') and a key ('1' to 'B').

#include <array>
#include <optional>
#include <string_view>

namespace sim {

enum class RemoteKey {
    // CD player: heard whatever the source is
    CdForward, CdStop, CdPause, CdStart, CdSkipForward, CdSkipBack, CdGoto, CdSet, CdClear, CdTime, CdAB,
    // tuner memory, slots 1..10 in order; held, they reach slot +10 and +20
    Preset1, Preset2, Preset3, Preset4, Preset5, Preset6, Preset7, Preset8, Preset9, Preset10,
    PresetStepForward, PresetStepBack,
    // transport group: goes to the deck or record player playing, seeks on the tuner
    Forward, Rewind, Stop, PauseLift, Play, Record, TapeReset, TapeSet, TapeMemo, AutoSpaceRepeat,
    // amplifier
    StatusRequest, LowBass, HBlend, Mono, Copy, Loudness, Filter20Hz, Mute, Equaliser, Speaker1, Speaker2,
    TestDisplay, BassCentre, BassUp, BassDown, BalanceCentre, BalanceRight, BalanceLeft, TrebleUp, TrebleDown,
    VolumeUp, VolumeDown, Standby,
    // sources: the only codes heard in standby
    SourceTv, SourceTuner, BandFm, SourceTape1, SourceTape2, SourcePhono, SourceCd,
};

struct RemoteCode {
    std::string_view code;
    RemoteKey key;
    std::string_view does;
};

// In character order.
inline constexpr std::array<RemoteCode, 63> remoteCodes = {{
    {"022", RemoteKey::CdForward, "CD: fast forward while a disc plays"},
    {"024", RemoteKey::CdStop, "CD: stop, back to track 1, A-B cleared"},
    {"025", RemoteKey::CdPause, "CD: pause, or play on from a pause"},
    {"026", RemoteKey::CdStart, "CD: play"},
    {"02:", RemoteKey::CdSkipForward, "CD: next track"},
    {"02;", RemoteKey::CdSkipBack, "CD: previous track"},
    {"02<", RemoteKey::CdGoto, "CD: go to a track"},
    {"02=", RemoteKey::CdSet, "CD: add a track to the programme (at most 20)"},
    {"02>", RemoteKey::CdClear, "CD: clear the programme"},
    {"03<", RemoteKey::CdTime, "CD: next of three time displays"},
    {"03>", RemoteKey::CdAB, "CD: A-B repeat, next of three stages"},
    {"092", RemoteKey::Preset5, "tuner: memory slot 5 (held: 15, 25)"},
    {"093", RemoteKey::Preset4, "tuner: memory slot 4 (held: 14, 24)"},
    {"094", RemoteKey::Preset3, "tuner: memory slot 3 (held: 13, 23)"},
    {"095", RemoteKey::Preset2, "tuner: memory slot 2 (held: 12, 22)"},
    {"096", RemoteKey::Preset1, "tuner: memory slot 1 (held: 11, 21)"},
    {"097", RemoteKey::PresetStepForward, "tuner: next memory slot that holds a station"},
    {"098", RemoteKey::PresetStepBack, "tuner: previous memory slot that holds a station"},
    {"09:", RemoteKey::Preset10, "tuner: memory slot 10 (held: 20, 30)"},
    {"09;", RemoteKey::Preset9, "tuner: memory slot 9 (held: 19, 29)"},
    {"09<", RemoteKey::Preset8, "tuner: memory slot 8 (held: 18, 28)"},
    {"09=", RemoteKey::Preset7, "tuner: memory slot 7 (held: 17, 27)"},
    {"09>", RemoteKey::Preset6, "tuner: memory slot 6 (held: 16, 26)"},
    {"09?", RemoteKey::SourceTape1, "source: tape deck 1"},
    {"09@", RemoteKey::SourceTape2, "source: tape deck 2"},
    {"0:2", RemoteKey::Forward, "deck: wind forward; record player: cue forward; tuner: seek up"},
    {"0:3", RemoteKey::Rewind, "deck: rewind; record player: cue back; tuner: seek down"},
    {"0:4", RemoteKey::Stop, "deck or record player: stop"},
    {"0:5", RemoteKey::PauseLift, "deck: pause or on again; record player: lift or lower the arm"},
    {"0:6", RemoteKey::Play, "deck: play, or record if armed; record player: start or stop"},
    {"0:7", RemoteKey::StatusRequest, "answer with the 79-character status dump"},
    {"0:8", RemoteKey::LowBass, "the bass step right after it moves the low bass"},
    {"0:9", RemoteKey::HBlend, "tuner: high blend on or off"},
    {"0::", RemoteKey::TapeReset, "deck: counter to zero"},
    {"0:;", RemoteKey::TapeSet, "deck: set the counter memory"},
    {"0:<", RemoteKey::TapeMemo, "deck: counter memory stop on or off"},
    {"0:=", RemoteKey::AutoSpaceRepeat, "deck: auto space on or off; CD: repeat on or off"},
    {"0:>", RemoteKey::Record, "deck: record (arms it when stopped)"},
    {"0;1", RemoteKey::BassCentre, "bass to 0"},
    {"0;4", RemoteKey::Mono, "mono on or off"},
    {"0;6", RemoteKey::Copy, "tape copy on or off"},
    {"0;7", RemoteKey::BassUp, "bass (or low bass) up 2 dB"},
    {"0;8", RemoteKey::BassDown, "bass (or low bass) down 2 dB"},
    {"0;9", RemoteKey::BalanceCentre, "balance to the middle"},
    {"0;:", RemoteKey::BalanceRight, "balance one step right"},
    {"0;;", RemoteKey::BalanceLeft, "balance one step left"},
    {"0;>", RemoteKey::Loudness, "loudness on or off"},
    {"0;?", RemoteKey::TrebleUp, "treble up 2 dB"},
    {"0;@", RemoteKey::TrebleDown, "treble down 2 dB"},
    {"0<1", RemoteKey::Filter20Hz, "20 Hz filter on or off"},
    {"0<2", RemoteKey::Standby, "standby: players stop"},
    {"0<3", RemoteKey::VolumeUp, "volume one step up"},
    {"0<4", RemoteKey::VolumeDown, "volume one step down"},
    {"0<5", RemoteKey::Mute, "mute on or off"},
    {"0<6", RemoteKey::Equaliser, "equaliser on or off (bypasses the tone controls)"},
    {"0<9", RemoteKey::SourceTuner, "source: tuner, on AM"},
    {"0<;", RemoteKey::SourceTv, "source: TV"},
    {"0<<", RemoteKey::BandFm, "source: tuner, on FM"},
    {"0<=", RemoteKey::SourcePhono, "source: record player"},
    {"0<>", RemoteKey::SourceCd, "source: CD"},
    {"0<?", RemoteKey::Speaker1, "speakers 1 on or off"},
    {"0<@", RemoteKey::Speaker2, "speakers 2 on or off"},
    {"0<B", RemoteKey::TestDisplay, "test the front display"},
}};

// The key a code stands for; none for a code of no key.
std::optional<RemoteKey> remoteKeyOf(std::string_view code);

// Slot 1..10 of a memory key, 0 for any other key.
int presetSlot(RemoteKey key);

}  // namespace sim
