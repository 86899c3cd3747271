#include "model/remote_names.h"

#include "players/transport_keys.h"

#include <QCoreApplication>

namespace model {

const QStringList &sourceNames()
{
    static const QStringList names = {QStringLiteral("off"),    QStringLiteral("tv"),     QStringLiteral("fm"),
                                      QStringLiteral("am"),     QStringLiteral("tape 1"), QStringLiteral("tape 2"),
                                      QStringLiteral("phono"),  QStringLiteral("cd")};
    return names;
}

QString spokenSourceName(Source source)
{
    static const char *const names[] = {
        QT_TRANSLATE_NOOP("Form1", "Aus"),        QT_TRANSLATE_NOOP("Form1", "TV"),
        QT_TRANSLATE_NOOP("Form1", "FM"),         QT_TRANSLATE_NOOP("Form1", "AM"),
        QT_TRANSLATE_NOOP("Form1", "Kassette 1"), QT_TRANSLATE_NOOP("Form1", "Kassette 2"),
        QT_TRANSLATE_NOOP("Form1", "Plattenspieler"), QT_TRANSLATE_NOOP("Form1", "CD")};
    return QCoreApplication::translate("Form1", names[int(source)]);
}

QString slug(const QString &name)
{
    QString out;
    for (const QChar c : name.toLower()) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            out += c;
        else if (!out.isEmpty() && !out.endsWith(u'_'))
            out += u'_';
    }
    while (out.endsWith(u'_'))
        out.chop(1);
    return out;
}

namespace {

QString panelOf(players::Panel p)
{
    switch (p) {
    case players::Panel::Tape1:
    case players::Panel::Tape2: return QStringLiteral("tape");
    case players::Panel::Cd:
    case players::Panel::Cd2: return QStringLiteral("cd");
    case players::Panel::Phono: return QStringLiteral("phono");
    }
    return {};
}

std::vector<RemoteKey> makeKeys()
{
    std::vector<RemoteKey> keys;
    const struct {
        Function f;
        const char *object, *name, *control, *caption, *spoken;
    } switches[] = {
        {Function::Mute, "mute", "Mute", "muteK", "mute", QT_TRANSLATE_NOOP("Form1", "Stummschaltung")},
        {Function::Loudness, "loudness", "Loudness", "loudnK", "loudn.", QT_TRANSLATE_NOOP("Form1", "Loudness")},
        {Function::Equaliser, "equaliser", "Equaliser", "eqK", "eq", QT_TRANSLATE_NOOP("Form1", "Equalizer")},
        {Function::Speaker1, "speakers_1", "Speakers 1", "ls1K", "spk 1", QT_TRANSLATE_NOOP("Form1", "Lautsprecher 1")},
        {Function::Speaker2, "speakers_2", "Speakers 2", "ls2K", "spk 2", QT_TRANSLATE_NOOP("Form1", "Lautsprecher 2")},
        {Function::Mono, "mono", "Mono", "monoK", "mono", QT_TRANSLATE_NOOP("Form1", "Mono")},
        {Function::HBlend, "high_blend", "High blend", "hblendK", "hblend", QT_TRANSLATE_NOOP("Form1", "Rauschfilter")},
        {Function::Filter20Hz, "filter_20hz", "20 Hz filter", "herz", "20hz", QT_TRANSLATE_NOOP("Form1", "20-Hz-Filter")},
        {Function::Advertising, "advertising_fallback", "Advertising fallback", "Werbeauto", "Werbung",
         QT_TRANSLATE_NOOP("Form1", "Werbung")},
    };
    for (const auto &s : switches)
        keys.push_back({QLatin1String(s.object), QLatin1String(s.name), QLatin1String(s.control),
                        QString::fromUtf8(s.caption), int(s.f), false, {}, s.spoken});
    for (const players::TransportKey &k : players::transportKeyTable) {
        const QString name = QLatin1String(k.name);
        keys.push_back({slug(name), name, QLatin1String(k.control), QLatin1String(k.caption), -1,
                        players::isExtraFunction(k.panel), panelOf(k.panel), nullptr});
    }
    // The window names its seek keys by band; a remote knows no band.
    const struct {
        const char *name, *control, *caption, *spoken;
    } steps[] = {{"Seek down", "autominusK", "<<", QT_TRANSLATE_NOOP("Form1", "Suchlauf zurück")},
                 {"Seek up", "autoplusK", ">>", QT_TRANSLATE_NOOP("Form1", "Suchlauf vor")},
                 {"Preset down", "progminusK", "<<", QT_TRANSLATE_NOOP("Form1", "Programm zurück")},
                 {"Preset up", "progplusK", ">>", QT_TRANSLATE_NOOP("Form1", "Programm vor")}};
    for (const auto &s : steps)
        keys.push_back({slug(QLatin1String(s.name)), QLatin1String(s.name), QLatin1String(s.control),
                        QLatin1String(s.caption), -1, false, QStringLiteral("tuner"), s.spoken});
    return keys;
}

}  // namespace

const std::vector<RemoteKey> &remoteKeys()
{
    static const std::vector<RemoteKey> keys = makeKeys();
    return keys;
}

QString spokenName(const RemoteKey &key)
{
    if (key.spoken)
        return QCoreApplication::translate("Form1", key.spoken);
    for (const players::TransportKey &t : players::transportKeyTable)
        if (key.control == QLatin1String(t.control))
            return players::spokenName(t);
    return key.name;
}

const RemoteKey *findRemoteKey(const QString &object)
{
    for (const RemoteKey &k : remoteKeys())
        if (k.object == object)
            return &k;
    return nullptr;
}

}  // namespace model
