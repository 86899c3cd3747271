#include "model/remote_names.h"

#include "players/transport_keys.h"

namespace model {

const QStringList &sourceNames()
{
    static const QStringList names = {QStringLiteral("off"),    QStringLiteral("tv"),     QStringLiteral("fm"),
                                      QStringLiteral("am"),     QStringLiteral("tape 1"), QStringLiteral("tape 2"),
                                      QStringLiteral("phono"),  QStringLiteral("cd")};
    return names;
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
        const char *object, *name, *control, *caption;
    } switches[] = {
        {Function::Mute, "mute", "Mute", "muteK", "mute"},
        {Function::Loudness, "loudness", "Loudness", "loudnK", "loudn."},
        {Function::Equaliser, "equaliser", "Equaliser", "eqK", "eq"},
        {Function::Speaker1, "speakers_1", "Speakers 1", "ls1K", "spk 1"},
        {Function::Speaker2, "speakers_2", "Speakers 2", "ls2K", "spk 2"},
        {Function::Mono, "mono", "Mono", "monoK", "mono"},
        {Function::HBlend, "high_blend", "High blend", "hblendK", "hblend"},
        {Function::Filter20Hz, "filter_20hz", "20 Hz filter", "herz", "20hz"},
        {Function::Advertising, "advertising_fallback", "Advertising fallback", "Werbeauto", "Werbung"},
    };
    for (const auto &s : switches)
        keys.push_back({QLatin1String(s.object), QLatin1String(s.name), QLatin1String(s.control),
                        QString::fromUtf8(s.caption), int(s.f), false, {}});
    for (const players::TransportKey &k : players::transportKeyTable) {
        const QString name = QLatin1String(k.name);
        keys.push_back({slug(name), name, QLatin1String(k.control), QLatin1String(k.caption), -1,
                        players::isExtraFunction(k.panel), panelOf(k.panel)});
    }
    const struct {
        const char *name, *control, *caption;
    } steps[] = {{"Seek down", "autominusK", "<<"},
                 {"Seek up", "autoplusK", ">>"},
                 {"Preset down", "progminusK", "<<"},
                 {"Preset up", "progplusK", ">>"}};
    for (const auto &s : steps)
        keys.push_back({slug(QLatin1String(s.name)), QLatin1String(s.name), QLatin1String(s.control),
                        QLatin1String(s.caption), -1, false, QStringLiteral("tuner")});
    return keys;
}

}  // namespace

const std::vector<RemoteKey> &remoteKeys()
{
    static const std::vector<RemoteKey> keys = makeKeys();
    return keys;
}

const RemoteKey *findRemoteKey(const QString &object)
{
    for (const RemoteKey &k : remoteKeys())
        if (k.object == object)
            return &k;
    return nullptr;
}

}  // namespace model
