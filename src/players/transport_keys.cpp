// The keys of the player panels: write the code, flash 0.3 s. Nothing is
// read back.

#include "players/transport_keys.h"

#include "ui/form1.h"

#include <QCoreApplication>

#include <cstring>
#include <utility>

namespace players {

QString spokenName(const TransportKey &key)
{
    static const std::pair<const char *, const char *> names[] = {
        {"Label5", QT_TRANSLATE_NOOP("TransportKey", "Kassette Start")},
        {"Label7", QT_TRANSLATE_NOOP("TransportKey", "Kassette Stopp")},
        {"Label6", QT_TRANSLATE_NOOP("TransportKey", "Kassette Pause")},
        {"Label10", QT_TRANSLATE_NOOP("TransportKey", "Kassette Aufnahme")},
        {"Label8", QT_TRANSLATE_NOOP("TransportKey", "Kassette zurückspulen")},
        {"Label3", QT_TRANSLATE_NOOP("TransportKey", "Kassette vorspulen")},
        {"Label13", QT_TRANSLATE_NOOP("TransportKey", "Kassette Zählwerk setzen")},
        {"Label14", QT_TRANSLATE_NOOP("TransportKey", "Kassette Zählwerk zurücksetzen")},
        {"Label12", QT_TRANSLATE_NOOP("TransportKey", "Kassette Memo")},
        {"Label9", QT_TRANSLATE_NOOP("TransportKey", "Kassette Leerstelle einfügen")},
        {"Label4", QT_TRANSLATE_NOOP("TransportKey", "CD Start")},
        {"Label18", QT_TRANSLATE_NOOP("TransportKey", "CD Stopp")},
        {"Label20", QT_TRANSLATE_NOOP("TransportKey", "CD zurück")},
        {"Label25", QT_TRANSLATE_NOOP("TransportKey", "CD vor")},
        {"Label11", QT_TRANSLATE_NOOP("TransportKey", "CD Pause")},
        {"Label19", QT_TRANSLATE_NOOP("TransportKey", "CD Titel zurück")},
        {"Label2", QT_TRANSLATE_NOOP("TransportKey", "CD Titel vor")},
        {"Label30", QT_TRANSLATE_NOOP("TransportKey", "CD A-B-Wiederholung")},
        {"Label31", QT_TRANSLATE_NOOP("TransportKey", "CD Wiederholen")},
        {"Label29", QT_TRANSLATE_NOOP("TransportKey", "CD Zeitanzeige")},
        {"Label32", QT_TRANSLATE_NOOP("TransportKey", "CD Programm löschen")},
        {"Label28", QT_TRANSLATE_NOOP("TransportKey", "CD Programm setzen")},
        {"Label33", QT_TRANSLATE_NOOP("TransportKey", "CD Titel anwählen")},
        {"Label26", QT_TRANSLATE_NOOP("TransportKey", "Plattenspieler Start/Stopp")},
        {"Label24", QT_TRANSLATE_NOOP("TransportKey", "Plattenspieler Tonarm heben")},
        {"Label22", QT_TRANSLATE_NOOP("TransportKey", "Plattenspieler zurück")},
        {"Label27", QT_TRANSLATE_NOOP("TransportKey", "Plattenspieler vor")},
    };
    for (const auto &[control, name] : names)
        if (std::strcmp(control, key.control) == 0)
            return QCoreApplication::translate("TransportKey", name);
    return QString::fromUtf8(key.caption);
}

model::Request requestAfterKey(const char *caption, model::Request before)
{
    using model::Request;
    const auto is = [caption](const char *c) { return std::strcmp(caption, c) == 0; };
    if (is("start"))
        return Request::Play;
    if (is("stop"))
        return Request::Stop;
    if (is("pause") || is("lift"))
        // The same key pauses and resumes; a stopped player stays stopped.
        return before == Request::Stop ? Request::Stop : before == Request::Pause ? Request::Play : Request::Pause;
    if (is("start / stop"))
        return before == Request::Stop ? Request::Play : Request::Stop;
    return before;
}

}  // namespace players

void Form1::transportKey_Click(int index)
{
    if (index < 0 || index >= int(players::transportKeyTable.size()) || index >= int(transportKeys.size()))
        return;
    const players::TransportKey &t = players::transportKeyTable[std::size_t(index)];
    KeyLabel *key = transportKeys[std::size_t(index)];
    const bool extra = players::isExtraFunction(t.panel);
    writeCode(t.code);
    // The tape keys drive whichever deck is the source.
    model::Source player = t.panel == players::Panel::Cd     ? model::Source::Cd
                           : t.panel == players::Panel::Phono ? model::Source::Phono
                                                              : model::Source::Tape1;
    if (player == model::Source::Tape1 && hifi_.source() == model::Source::Tape2)
        player = model::Source::Tape2;
    if (!extra)
        hifi_.setRequest(player, players::requestAfterKey(t.caption, hifi_.request(player)));
    key->setBackColor(extra ? colours::silver : colours::green);
    // Another key pressed meanwhile runs inside this wait and restores
    // only its own colour.
    Pause(0.3f);
    key->setBackColor(extra ? colours::white : colours::black);
}

void Form1::playerCall(model::Call call)
{
    const model::Source source = hifi_.source();
    const auto procedure = keyProcedure(model::playerKeyFor(source, call, hifi_.request(source)));
    if (!procedure)
        return;
    procedure();
    // A call says what it wants, where the key alone only toggles.
    if (call == model::Call::Play)
        hifi_.setRequest(source, model::Request::Play);
    else if (call == model::Call::Stop)
        hifi_.setRequest(source, model::Request::Stop);
    else if (call == model::Call::Pause)
        hifi_.setRequest(source, model::Request::Pause);
}
