#include "desktop/media_player.h"

#include "amp/level_value.h"
#include "store/frequency.h"
#include "ui/form1.h"

#include <QRegularExpression>

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

MediaPlayer::MediaPlayer(Form1 &form, const WaitTracker &waits)
    : form_(form), watchTimer_(form.plat.makeTimer()), gate_(form, waits)
{
    reported_ = state();
    watchTimer_->setInterval(kWatchMs);
    watchTimer_->onTick = [this] { watch(); };
    watchTimer_->setEnabled(true);
}

MediaPlayer::~MediaPlayer()
{
    watchTimer_->onTick = nullptr;
}

PlayerState MediaPlayer::state() const
{
    PlayerState s;
    s.source = sourceOfWindow(form_.quelA->text(), form_.currentSource.toString());
    s.can = capabilitiesOf(s.source);
    s.playing = s.source != Source::Off;
    try {
        s.volume = volumeOfLevel(amp::wholeLevel(form_.volumeLevel));
    } catch (const std::exception &) {
        s.volume = volumeOfLevel(form_.volR->value());
    }
    s.title = sourceCaption(s.source);
    s.trackId = QStringLiteral("/de/ondal/pelora/") + sourceKey(s.source);
    if (s.source == Source::Fm || s.source == Source::Am) {
        const QString freq = store::frequencyText(form_.currentFrequency).trimmed();
        if (!freq.isEmpty()) {
            s.title = freq;
            s.frequency = freq + (s.source == Source::Fm ? QStringLiteral(" MHz") : QStringLiteral(" kHz"));
            s.trackId += QLatin1Char('/') + pathElement(freq);
            try {
                // The station list names it, as the station display does.
                if (const StationRecord *r = form_.stationRecordOf(form_.currentFrequency)) {
                    s.title = r->name;
                    s.note = r->note;
                }
            } catch (const std::exception &) {
                // A frequency that is no number names no station.
            }
        }
    }
    return s;
}

void MediaPlayer::watch()
{
    const PlayerState now = state();
    if (now == reported_)
        return;
    const PlayerState before = reported_;
    reported_ = now;
    Q_EMIT changed(now, before);
}

void MediaPlayer::call(Call c, CallGate::Done done)
{
    // The source is read when the call runs: a status dump that arrives
    // first may have changed it.
    gate_.submit(
        [this, c] {
            runHandler(form_, handlerFor(state().source, c));
        },
        [this, done](bool ran) {
            watch();
            if (done)
                done(ran);
        });
}

void MediaPlayer::setVolume(double volume, CallGate::Done done)
{
    // A widget's volume slider sends many levels while it is dragged: only
    // the last one still waiting is moved to, and every caller is answered.
    volumeTarget_ = levelOfVolume(volume);
    volumeWaiters_.push_back(std::move(done));
    if (volumeQueued_)
        return;
    volumeQueued_ = true;
    gate_.submit(
        [this] {
            form_.volR->setValue(volumeTarget_);
            form_.volR_Scroll();
        },
        [this](bool ran) {
            volumeQueued_ = false;
            const std::vector<CallGate::Done> waiters = std::move(volumeWaiters_);
            volumeWaiters_.clear();
            watch();
            for (const CallGate::Done &d : waiters)
                if (d)
                    d(ran);
        });
}

void MediaPlayer::raise()
{
    if (form_.isMinimized())
        form_.showNormal();
    else
        form_.show();
    form_.raise();
    form_.activateWindow();
}

void MediaPlayer::quit()
{
    // Later, from the event loop, as the window's close button does: the
    // caller gets its answer first.
    QMetaObject::invokeMethod(&form_, [f = &form_] { f->close(); }, Qt::QueuedConnection);
}

}  // namespace desktop
