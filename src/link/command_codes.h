#pragma once
// The command codes of the hi-fi system's remote control. Each is exactly
// three ASCII characters and goes out on the line as it stands.

#include <array>
#include <string_view>

namespace cmd {

using Code = std::string_view;

// CD player
inline constexpr Code CdForward = "022";
inline constexpr Code CdStop = "024";
inline constexpr Code CdPause = "025";
inline constexpr Code CdStart = "026";
inline constexpr Code CdSkipForward = "02:";  // also the CD "<<" key
inline constexpr Code CdSkipBack = "02;";
inline constexpr Code CdGoto = "02<";
inline constexpr Code CdSet = "02=";
inline constexpr Code CdClear = "02>";
inline constexpr Code CdTime = "03<";
inline constexpr Code CdAB = "03>";

// Tuner presets: slot 1..10 (slots 11..30 repeat the code of slot n-10 / n-20)
inline constexpr Code Preset1 = "096";
inline constexpr Code Preset2 = "095";
inline constexpr Code Preset3 = "094";
inline constexpr Code Preset4 = "093";
inline constexpr Code Preset5 = "092";
inline constexpr Code Preset6 = "09>";
inline constexpr Code Preset7 = "09=";
inline constexpr Code Preset8 = "09<";
inline constexpr Code Preset9 = "09;";
inline constexpr Code Preset10 = "09:";
inline constexpr Code PresetStepForward = "097";
inline constexpr Code PresetStepBack = "098";

// Sources reached through group 9
inline constexpr Code SourceTape1 = "09?";
inline constexpr Code SourceTape2 = "09@";

// Transport group (tape, record player, tuner seek)
inline constexpr Code Forward = "0:2";  // tape/phono ">>", auto tune up
inline constexpr Code Rewind = "0:3";   // tape/phono "<<", auto tune down
inline constexpr Code TapeStop = "0:4";
inline constexpr Code PauseLift = "0:5";  // tape "pause", phono "lift"
inline constexpr Code Start = "0:6";      // tape "start", phono "start / stop"
inline constexpr Code StatusRequest = "0:7";
inline constexpr Code LowBass = "0:8";
inline constexpr Code HBlend = "0:9";
inline constexpr Code TapeReset = "0::";
inline constexpr Code TapeSet = "0:;";
inline constexpr Code TapeMemo = "0:<";
inline constexpr Code AutoSpaceRepeat = "0:=";  // tape "a.spce", CD "repeat"
inline constexpr Code TapeRecord = "0:>";

// Amplifier group ;
inline constexpr Code BassCentre = "0;1";
inline constexpr Code Mono = "0;4";
inline constexpr Code Copy = "0;6";
inline constexpr Code BassUp = "0;7";
inline constexpr Code BassDown = "0;8";
inline constexpr Code BalanceCentre = "0;9";
inline constexpr Code BalanceRight = "0;:";
inline constexpr Code BalanceLeft = "0;;";
inline constexpr Code Loudness = "0;>";
inline constexpr Code TrebleUp = "0;?";
inline constexpr Code TrebleDown = "0;@";

// Amplifier group <
inline constexpr Code Filter20Hz = "0<1";
inline constexpr Code PowerOff = "0<2";
inline constexpr Code VolumeUp = "0<3";
inline constexpr Code VolumeDown = "0<4";
inline constexpr Code Mute = "0<5";
inline constexpr Code Equaliser = "0<6";
inline constexpr Code SourceTuner = "0<9";
inline constexpr Code SourceTv = "0<;";
inline constexpr Code TunerFm = "0<<";
inline constexpr Code SourcePhono = "0<=";
inline constexpr Code SourceCd = "0<>";
inline constexpr Code Speaker1 = "0<?";
inline constexpr Code Speaker2 = "0<@";
inline constexpr Code TestDisplay = "0<B";

// Every code the program sends, in character order.
inline constexpr std::array<Code, 63> all = {
    CdForward, CdStop, CdPause, CdStart, CdSkipForward, CdSkipBack, CdGoto, CdSet, CdClear,
    CdTime, CdAB, Preset5, Preset4, Preset3, Preset2, Preset1, PresetStepForward,
    PresetStepBack, Preset10, Preset9, Preset8, Preset7, Preset6, SourceTape1, SourceTape2,
    Forward, Rewind, TapeStop, PauseLift, Start, StatusRequest, LowBass, HBlend, TapeReset,
    TapeSet, TapeMemo, AutoSpaceRepeat, TapeRecord, BassCentre, Mono, Copy, BassUp, BassDown,
    BalanceCentre, BalanceRight, BalanceLeft, Loudness, TrebleUp, TrebleDown, Filter20Hz,
    PowerOff, VolumeUp, VolumeDown, Mute, Equaliser, SourceTuner, SourceTv, TunerFm,
    SourcePhono, SourceCd, Speaker1, Speaker2, TestDisplay};

// Preset code of device memory slot 1..10.
inline constexpr std::array<Code, 10> presetOfSlot = {Preset1, Preset2, Preset3, Preset4, Preset5,
                                                      Preset6, Preset7, Preset8, Preset9, Preset10};

}  // namespace cmd
