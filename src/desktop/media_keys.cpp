#include "desktop/media_keys.h"

#include "amp/source_names.h"
#include "players/transport_keys.h"
#include "ui/form1.h"

#include <cstring>

namespace desktop {

namespace {

// Index of the key with this caption on this panel.
int keyOn(players::Panel panel, const char *caption)
{
    for (std::size_t i = 0; i < players::transportKeyTable.size(); ++i) {
        const players::TransportKey &k = players::transportKeyTable[i];
        if (k.panel == panel && std::strcmp(k.caption, caption) == 0)
            return int(i);
    }
    return -1;
}

Handler key(players::Panel panel, const char *caption)
{
    const int i = keyOn(panel, caption);
    return i < 0 ? Handler{} : Handler{Handler::TransportKey, i};
}

}  // namespace

void runHandler(Form1 &form, const Handler &h)
{
    switch (h.kind) {
    case Handler::TransportKey: form.transportKey_Click(h.index); break;
    case Handler::ProgramPlus: form.progplusK_Click(); break;
    case Handler::ProgramMinus: form.progminusK_Click(); break;
    case Handler::None: break;
    }
}

Handler handlerFor(Source source, Call call)
{
    using players::Panel;
    // The window reports a player as playing whenever the device is on, so
    // PlayPause pauses; each pause key resumes when pressed again.
    switch (source) {
    case Source::Cd:
        switch (call) {
        case Call::Play: return key(Panel::Cd, "start");
        case Call::Pause:
        case Call::PlayPause: return key(Panel::Cd, "pause");
        case Call::Stop: return key(Panel::Cd, "stop");
        case Call::Next: return key(Panel::Cd, "skip >>");
        case Call::Previous: return key(Panel::Cd, "<< skip");
        }
        break;
    case Source::Tape1:
    case Source::Tape2:
        // Both decks share the keys of the upper tape panel.
        switch (call) {
        case Call::Play: return key(Panel::Tape1, "start");
        case Call::Pause:
        case Call::PlayPause: return key(Panel::Tape1, "pause");
        case Call::Stop: return key(Panel::Tape1, "stop");
        case Call::Next: return key(Panel::Tape1, ">>");
        case Call::Previous: return key(Panel::Tape1, "<<");
        }
        break;
    case Source::Phono:
        // "start / stop" is one key: it starts a record and stops it.
        switch (call) {
        case Call::Play:
        case Call::Stop: return key(Panel::Phono, "start / stop");
        case Call::Pause:
        case Call::PlayPause: return key(Panel::Phono, "lift");
        case Call::Next: return key(Panel::Phono, ">>");
        case Call::Previous: return key(Panel::Phono, "<<");
        }
        break;
    case Source::Fm:
    case Source::Am:
        if (call == Call::Next)
            return {Handler::ProgramPlus, -1};
        if (call == Call::Previous)
            return {Handler::ProgramMinus, -1};
        break;
    case Source::Tv:
    case Source::Off:
        break;
    }
    return {};
}

Capabilities capabilitiesOf(Source source)
{
    auto has = [source](Call c) { return handlerFor(source, c).kind != Handler::None; };
    // Whatever source is on plays: the tuner and the TV have nothing to
    // start, and Play on them has no effect, as on any player that plays.
    return {source != Source::Off, has(Call::Pause), has(Call::Next), has(Call::Previous)};
}

Source sourceOfWindow(const QString &sourceDisplay, const QString &dumpSource)
{
    // Source follows the source keys' order, after Off.
    const auto sourceAt = [](size_t i) { return Source(int(i) + 1); };
    for (size_t i = 0; i < amp::sourceNames.size(); ++i)
        if (sourceDisplay == QLatin1String(amp::sourceNames[i].shown))
            return sourceAt(i);
    // The configuration view hides the source: the device's last word counts.
    if (sourceDisplay == QLatin1String("config"))
        for (size_t i = 0; i < amp::sourceNames.size(); ++i)
            if (dumpSource == QLatin1String(amp::sourceNames[i].dump))
                return sourceAt(i);
    return Source::Off;  // "OFF", "off", or nothing known yet
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

}  // namespace desktop
