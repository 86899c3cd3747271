#pragma once
// Which window procedure a media-player call runs for the source that plays:
// the transport keys of the player panels, the preset step keys of the
// tuner. No window needed: the table is checked on its own.

#include <QString>

class Form1;

namespace desktop {

// After Off, in the order of the source keys (amp::sourceNames).
enum class Source { Off, Tv, Fm, Am, Tape1, Tape2, Phono, Cd };
enum class Call { Play, Pause, PlayPause, Stop, Next, Previous };

struct Handler {
    enum Kind { None, TransportKey, ProgramPlus, ProgramMinus };
    Kind kind = None;
    int index = -1;  // TransportKey: index in the transport key table
    bool operator==(const Handler &) const = default;
};

Handler handlerFor(Source source, Call call);
// Runs the window procedure `h` names: the same one its key's click runs.
void runHandler(Form1 &form, const Handler &h);

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

// The source as the window shows it: the source display's text, or, while
// the configuration is shown, the source of the last status dump ("FM",
// "T1", "CD", ...; "off" when the device did not answer).
Source sourceOfWindow(const QString &sourceDisplay, const QString &dumpSource);

// The source's caption, as its display shows it.
QString sourceCaption(Source source);
// A short name for track ids: "fm", "tape1", ...
QString sourceKey(Source source);

}  // namespace desktop
