#pragma once
// The keys of the cassette, CD and record-player panels. One table drives
// them all: the window builds the keys from it and their clicks look up
// their code here.

#include "link/command_codes.h"
#include "model/hifi_model.h"

#include <array>

namespace players {

enum class Panel { Tape1, Tape2, Cd, Cd2, Phono };

struct TransportKey {
    Panel panel;
    const char *control;  // the control's name in the window
    const char *caption;
    const char *name;  // what it does, with its player: for those who do not see it
    cmd::Code code;
    int left, top;  // twips within the panel
};

// Keys on Tape2/Cd2 are white extra-function keys (flash silver); the others
// are black transport keys (flash green).
inline bool isExtraFunction(Panel p) { return p == Panel::Tape2 || p == Panel::Cd2; }

inline constexpr std::array<TransportKey, 27> transportKeyTable = {{
    {Panel::Tape1, "Label5", "start", "Tape start", cmd::Start, 120, 75},
    {Panel::Tape1, "Label7", "stop", "Tape stop", cmd::TapeStop, 1110, 75},
    {Panel::Tape1, "Label6", "pause", "Tape pause", cmd::PauseLift, 2100, 75},
    {Panel::Tape1, "Label10", "rec", "Tape record", cmd::TapeRecord, 3090, 75},
    {Panel::Tape1, "Label8", "<<", "Tape rewind", cmd::Rewind, 2100, 330},
    {Panel::Tape1, "Label3", ">>", "Tape fast forward", cmd::Forward, 3090, 330},
    {Panel::Tape2, "Label13", "set", "Tape set", cmd::TapeSet, 225, 165},
    {Panel::Tape2, "Label14", "reset", "Tape reset", cmd::TapeReset, 870, 165},
    {Panel::Tape2, "Label12", "memo", "Tape memo", cmd::TapeMemo, 1530, 165},
    {Panel::Tape2, "Label9", "a.spce", "Tape auto space", cmd::AutoSpaceRepeat, 870, 420},
    {Panel::Cd, "Label4", "start", "CD start", cmd::CdStart, 120, 75},
    {Panel::Cd, "Label18", "stop", "CD stop", cmd::CdStop, 1110, 75},
    {Panel::Cd, "Label20", "<<", "CD back", cmd::CdSkipForward, 2100, 75},
    {Panel::Cd, "Label25", ">>", "CD forward", cmd::CdForward, 3090, 75},
    {Panel::Cd, "Label11", "pause", "CD pause", cmd::CdPause, 120, 330},
    {Panel::Cd, "Label19", "<< skip", "CD skip back", cmd::CdSkipBack, 2100, 330},
    {Panel::Cd, "Label2", "skip >>", "CD skip forward", cmd::CdSkipForward, 3090, 330},
    {Panel::Cd2, "Label30", "A-B", "CD A-B", cmd::CdAB, 225, 165},
    {Panel::Cd2, "Label31", "repeat", "CD repeat", cmd::AutoSpaceRepeat, 870, 165},
    {Panel::Cd2, "Label29", "time", "CD time", cmd::CdTime, 1530, 165},
    {Panel::Cd2, "Label32", "clear", "CD clear", cmd::CdClear, 225, 420},
    {Panel::Cd2, "Label28", "set", "CD set", cmd::CdSet, 870, 420},
    {Panel::Cd2, "Label33", "goto", "CD goto", cmd::CdGoto, 1530, 420},
    {Panel::Phono, "Label26", "start / stop", "Phono start/stop", cmd::Start, 120, 75},
    {Panel::Phono, "Label24", "lift", "Phono lift", cmd::PauseLift, 1110, 75},
    {Panel::Phono, "Label22", "<<", "Phono back", cmd::Rewind, 2100, 75},
    {Panel::Phono, "Label27", ">>", "Phono forward", cmd::Forward, 3090, 75},
}};

// What a player has been asked once the key with `caption` is pressed,
// after `before`. A player not known to be paused or stopped plays.
model::Request requestAfterKey(const char *caption, model::Request before);

// What the key does, with its player, in the window's language: the name a
// screen reader speaks ("a.spce" spelled out means nothing to a listener).
QString spokenName(const TransportKey &key);

}  // namespace players
