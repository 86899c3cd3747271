#pragma once
// Which key a media-player call presses for the source that plays: the
// transport keys of the player panels, the preset step keys of the tuner.
// The keyboard's media keys and the desktop's media-player interface both
// use it. No window needed: the table is checked on its own.

#include "model/hifi_model.h"

#include <QString>

namespace model {

enum class Call { Play, Pause, PlayPause, Stop, Next, Previous };

// The control name of the key `call` presses for `source`, whose player was
// last asked `last`; empty when the source has no key for it.
QString playerKeyFor(Source source, Call call, Request last = Request::Unknown);

// What the source offers; the media interface's Can* properties. CanPlay
// holds for every source while the device is on (something plays).
struct Capabilities {
    bool canPlay = false;
    bool canPause = false;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool operator==(const Capabilities &) const = default;
};
Capabilities capabilitiesOf(Source source);

enum class Playback { Playing, Paused, Stopped };
// What plays, as far as the program knows: the device does not report it.
// Off is stopped; the tuner and the TV play; a player is what it was last
// asked, and plays while that is unknown.
Playback playbackOf(Source source, Request last);

// The source of a status dump's source field ("FM", "T1", ...), or Off.
Source sourceOfDump(const QString &dumpSource);
// The source's caption, as its display shows it; "off" for Off.
QString sourceCaption(Source source);
// A short name for track ids: "fm", "tape1", ...
QString sourceKey(Source source);
// The source key (Quelle index) that selects `source`.
int sourceKeyIndex(Source source);

}  // namespace model
