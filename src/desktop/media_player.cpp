#include "desktop/media_player.h"

#include <algorithm>
#include <cmath>

namespace desktop {

namespace {

constexpr int kMinLevel = 1;
constexpr int kMaxLevel = 81;

// A track id path element: letters, digits and '_' only.
QString pathElement(const QString &text)
{
    QString out;
    for (const QChar c : text)
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
            out += c;
    return out.isEmpty() ? QStringLiteral("none") : out;
}

}  // namespace

int levelOfVolume(double volume)
{
    if (!(volume > 0.0))  // negative, zero or not a number
        return kMinLevel;
    if (volume >= 1.0)
        return kMaxLevel;
    return kMinLevel + int(std::lround(volume * (kMaxLevel - kMinLevel)));
}

double volumeOfLevel(long long level)
{
    level = std::clamp<long long>(level, kMinLevel, kMaxLevel);
    return double(level - kMinLevel) / double(kMaxLevel - kMinLevel);
}

MediaPlayer::MediaPlayer(model::Door &door) : door_(door)
{
    reported_ = state();
    const model::HifiModel *m = &door_.model();
    connect(m, &model::HifiModel::sourceChanged, this, &MediaPlayer::modelChanged);
    connect(m, &model::HifiModel::levelChanged, this, &MediaPlayer::modelChanged);
    connect(m, &model::HifiModel::stationChanged, this, &MediaPlayer::modelChanged);
    connect(m, &model::HifiModel::requestChanged, this, &MediaPlayer::modelChanged);
}

PlayerState MediaPlayer::state() const
{
    const model::HifiModel &m = door_.model();
    PlayerState s;
    s.source = m.source();
    s.can = model::capabilitiesOf(s.source);
    s.playback = model::playbackOf(s.source, m.request(s.source));
    s.volume = volumeOfLevel(m.level(model::Level::Volume));
    s.title = model::sourceCaption(s.source);
    s.trackId = QStringLiteral("/de/ondal/pelora/") + model::sourceKey(s.source);
    const model::Station &station = m.station();
    if ((s.source == model::Source::Fm || s.source == model::Source::Am) && !station.frequency.isEmpty()) {
        s.title = station.name.isEmpty() ? station.frequency : station.name;
        s.note = station.note;
        s.frequency = station.frequency + (s.source == model::Source::Fm ? QStringLiteral(" MHz") : QStringLiteral(" kHz"));
        s.trackId += QLatin1Char('/') + pathElement(station.frequency);
    }
    return s;
}

void MediaPlayer::modelChanged()
{
    const PlayerState now = state();
    if (now == reported_)
        return;
    const PlayerState before = reported_;
    reported_ = now;
    Q_EMIT changed(now, before);
}

void MediaPlayer::call(model::Call c, model::Door::Done done)
{
    door_.callPlayer(c, std::move(done));
}

void MediaPlayer::setVolume(double volume, model::Door::Done done)
{
    door_.setLevel(model::Level::Volume, levelOfVolume(volume), std::move(done));
}

}  // namespace desktop
