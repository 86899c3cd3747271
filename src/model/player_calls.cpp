#include "model/player_calls.h"

#include "amp/source_names.h"
#include "players/transport_keys.h"

#include <cstring>

namespace model {

namespace {

// The control name of the key with this caption on this panel.
QString key(players::Panel panel, const char *caption)
{
    for (const players::TransportKey &k : players::transportKeyTable)
        if (k.panel == panel && std::strcmp(k.caption, caption) == 0)
            return QLatin1String(k.control);
    return {};
}

}  // namespace

QString playerKeyFor(Source source, Call call, Request last)
{
    using players::Panel;
    // Play/pause pauses what plays, resumes what is paused (the pause key
    // again) and starts what was stopped.
    const bool stopped = last == Request::Stop;
    switch (source) {
    case Source::Cd:
    case Source::Tape1:
    case Source::Tape2: {
        // Both decks share the keys of the upper tape panel.
        const Panel p = source == Source::Cd ? Panel::Cd : Panel::Tape1;
        switch (call) {
        case Call::Play: return key(p, "start");
        case Call::Pause: return last == Request::Pause ? QString() : key(p, "pause");
        case Call::PlayPause: return stopped ? key(p, "start") : key(p, "pause");
        case Call::Stop: return key(p, "stop");
        case Call::Next: return key(p, source == Source::Cd ? "skip >>" : ">>");
        case Call::Previous: return key(p, source == Source::Cd ? "<< skip" : "<<");
        }
        break;
    }
    case Source::Phono:
        // "start / stop" is one key: it starts a record and stops it, so it
        // is pressed only when it does what was asked.
        switch (call) {
        case Call::Play:
            return last == Request::Play ? QString()
                   : last == Request::Pause ? key(Panel::Phono, "lift")
                                            : key(Panel::Phono, "start / stop");
        case Call::Stop: return stopped ? QString() : key(Panel::Phono, "start / stop");
        case Call::Pause: return last == Request::Pause ? QString() : key(Panel::Phono, "lift");
        case Call::PlayPause: return stopped ? key(Panel::Phono, "start / stop") : key(Panel::Phono, "lift");
        case Call::Next: return key(Panel::Phono, ">>");
        case Call::Previous: return key(Panel::Phono, "<<");
        }
        break;
    case Source::Fm:
    case Source::Am:
        if (call == Call::Next)
            return QStringLiteral("progplusK");
        if (call == Call::Previous)
            return QStringLiteral("progminusK");
        break;
    case Source::Tv:
    case Source::Off:
        break;
    }
    return {};
}

Capabilities capabilitiesOf(Source source)
{
    auto has = [source](Call c) { return !playerKeyFor(source, c).isEmpty(); };
    // Whatever source is on plays: the tuner and the TV have nothing to
    // start, and Play on them has no effect, as on any player that plays.
    return {source != Source::Off, has(Call::Pause), has(Call::Next), has(Call::Previous)};
}

Playback playbackOf(Source source, Request last)
{
    switch (source) {
    case Source::Off: return Playback::Stopped;
    case Source::Tape1:
    case Source::Tape2:
    case Source::Phono:
    case Source::Cd:
        return last == Request::Pause ? Playback::Paused
               : last == Request::Stop ? Playback::Stopped
                                       : Playback::Playing;
    case Source::Tv:
    case Source::Fm:
    case Source::Am: break;
    }
    return Playback::Playing;
}

Source sourceOfDump(const QString &dumpSource)
{
    // Source follows the source keys' order, after Off.
    for (size_t i = 0; i < amp::sourceNames.size(); ++i)
        if (dumpSource == QLatin1String(amp::sourceNames[i].dump))
            return Source(int(i) + 1);
    return Source::Off;
}

QString sourceCaption(Source source)
{
    if (source == Source::Off)
        return QStringLiteral("off");
    return QLatin1String(amp::sourceNames[size_t(int(source) - 1)].shown);
}

QString sourceKey(Source source)
{
    switch (source) {
    case Source::Tv: return QStringLiteral("tv");
    case Source::Fm: return QStringLiteral("fm");
    case Source::Am: return QStringLiteral("am");
    case Source::Tape1: return QStringLiteral("tape1");
    case Source::Tape2: return QStringLiteral("tape2");
    case Source::Phono: return QStringLiteral("phono");
    case Source::Cd: return QStringLiteral("cd");
    case Source::Off: break;
    }
    return QStringLiteral("off");
}

int sourceKeyIndex(Source source)
{
    // "off" is the last key; "config" before it selects no source.
    return source == Source::Off ? 8 : int(source) - 1;
}

}  // namespace model
