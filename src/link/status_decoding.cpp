// Bringing the window into line with the status dump, and the station
// display.

#include "amp/source_names.h"
#include "link/dump_check.h"
#include "link/dump_layout.h"
#include "platform/logging.h"
#include "model/player_calls.h"
#include "store/frequency.h"
#include "ui/form1.h"

#include <optional>

namespace {

// A value a slider does not take ends the decoding, as a field that does not
// convert does.
void setSlider(QSlider *s, double v)
{
    const long long n = store::roundHalfEven(v);
    if (n < s->minimum() || n > s->maximum())
        throw store::ConversionError("value outside the slider's range");
    s->setValue(int(n));
}

void paintSwitch(KeyLabel *key, const QString &flag)
{
    if (flag == QLatin1String("Y"))
        key->setBackColor(colours::green);
    else if (flag == QLatin1String("N"))
        key->setBackColor(colours::white);
}

}  // namespace

void Form1::decodeStatus()
{
    using namespace dump;
    auto field = [this](Field f) {
        QString s;
        for (int k = f.first; k <= f.last; ++k)
            s += rxBuffer[size_t(k)];
        return s;
    };

    // Noise in the shape of a dump (a babbling line, the wrong speed)
    // changes nothing: it ends as a dump that does not convert.
    if (const QString broken = brokenField(field); !broken.isEmpty()) {
        int held = 0;
        const double now = plat.clock->absoluteSeconds();
        if (noiseLog_.allow(now, &held)) {
            QString all;
            for (int k = 0; k < length; ++k)
                all += rxBuffer[size_t(k)];
            // Control characters would garble the log itself.
            for (QChar &c : all)
                if (c.unicode() < 0x20 || c.unicode() >= 0x7f)
                    c = u'.';
            qCWarning(lcLink).noquote() << platform::RateLimit::withHeld(
                QStringLiteral("status dump ignored, its %1 field does not read: \"%2\"").arg(broken, all), held);
        }
        return;
    }
    dumpReadable_ = true;

    // 1. Volume: the text is kept before the slider is touched.
    volumeLevel = field(volume);
    volA->setText(volumeLevel.toString());
    setSlider(volR, store::germanNumber(volumeLevel.toString()));

    // 2. Balance: "L" gives a negative number, "R" keeps the two characters.
    const QString side = field(balanceSide);
    QVariant balance;
    QString balanceText;
    if (side == QLatin1String("L")) {
        const double n = store::germanNumber(field(balanceAmount));
        balance = n - 2 * n;
        balanceText = store::numberText(balance.toDouble());
    } else if (side == QLatin1String("R")) {
        balance = field(balanceAmount);
        balanceText = balance.toString();
    } else if (side == QLatin1String(" ")) {
        balance = 0;
        balanceText = QStringLiteral("0");
    }
    balanceLevel = balance;
    setSlider(balR, !balance.isValid() ? 0.0
                    : balance.typeId() == QMetaType::QString ? store::germanNumber(balance.toString())
                                                           : balance.toDouble());
    balA->setText(balanceText);

    // 3. and 4. Treble and bass: the slider works in steps of two.
    auto tone = [&](Field f, QSlider *slider, TextBox *readOut) {
        const QString t = field(f);
        if (t != QLatin1String("OFF")) {
            setSlider(slider, store::germanNumber(t) / 2);
            readOut->setText(t);
        } else {
            slider->setValue(0);
            readOut->setText(QStringLiteral("0"));
        }
    };
    tone(treble, trebR, trebA);
    tone(bass, bassR, bassA);

    // 5. to 8. The switches the device reports.
    paintSwitch(loudnK, field(loudness));
    paintSwitch(muteK, field(mute));
    paintSwitch(ls1K, field(speaker1));
    paintSwitch(ls2K, field(speaker2));

    // 9. Source: the window follows only a change, as the selection writes
    // the source's code again. A source the window already shows was
    // chosen here since the last dump: selecting it again would take "fm"
    // for a second press and step the station key mode.
    const QString src = field(source);
    hifi_.setAnswering(true);
    for (int i = 0; i < 4; ++i)
        hifi_.setLevel(model::Level(i), levelSliders()[size_t(i)]->value());
    // The configuration view stayed while the device was away; it
    // answers again.
    if (configpanel1->isVisible() && quelA->text() == QLatin1String("off"))
        quelA->setText(QStringLiteral("config"));
    if (src != currentSource.toString()) {
        const quint64 request = statusRequests_;
        for (int i = 0; i < int(amp::sourceNames.size()); ++i) {
            if (src == QLatin1String(amp::sourceNames[size_t(i)].dump)) {
                // The configuration view stays while the user is in it;
                // the new source is told, and shown once the user leaves.
                if (quelA->text() != QLatin1String(amp::sourceNames[size_t(i)].shown) && !configpanel1->isVisible())
                    Quelle_Click(i);
                break;
            }
        }
        currentSource = src;
        if (const model::Source known = model::sourceOfDump(src); known != model::Source::Off)
            hifi_.setSource(known);
        // A change of band asks for a new dump. The buffer now belongs to
        // that exchange: leave it pending, its own dump finishes the job.
        if (statusRequests_ != request)
            return;
    }

    // 10. Frequency: AM as a number, FM as the six characters received.
    const QString freq = field(frequency);
    if (src == QLatin1String("AM"))
        currentFrequency = store::frequencyNumber(freq);
    else if (src == QLatin1String("FM"))
        currentFrequency = freq;

    showStation(currentFrequency);
    statusPending = 0;
    setFormEnabled(true);
    newsReady_ = true;
    absentTold_ = false;
}

void Form1::showStation(const QVariant &frequency)
{
    if (!frequency.isValid() || (frequency.typeId() == QMetaType::QString && frequency.toString().isEmpty())) {
        hifi_.setStation({});
        return;
    }
    const QString text = store::frequencyText(frequency);
    nameA->setForeColor(colours::nameGreen);
    nameA->setText(text);
    frequenzA->clear();

    const StationRecord *r = stationRecordOf(frequency);
    if (r) {
        nameA->setText(r->name);
        frequenzA->setText(text + QStringLiteral("  ") + r->note);
        nameA->setForeColor(r->flag == 1 ? colours::nameGreen : colours::olive);
    }
    hifi_.setStation({text.trimmed(), r ? r->name : QString(), r ? r->note : QString()});

    // Each key takes its colour once: a lit key put out and lit again
    // would tell a screen reader of two changes at every poll.
    int lit = 0;
    for (int i = 1; i <= 30 && !lit; ++i)
        if (text == keyFrequency[size_t(i)])
            lit = i;
    for (int i = 1; i <= 30; ++i)
        stationT[size_t(i)]->setBackColor(i == lit ? colours::green : colours::black);
    hifi_.setLitStationKey(lit);
}

const StationRecord *Form1::stationRecordOf(const QVariant &frequency) const
{
    // Converted only to compare with a record: without records a frequency
    // that is no number (dashes while the tuner searches) throws nothing.
    std::optional<long long> number;
    for (int i = 1; i < nameRecordEnd && i < int(stationNames.size()); ++i) {
        const StationRecord &r = stationNames[size_t(i)];
        if (!number)
            number = store::frequencyNumber(frequency);
        if (*number == store::frequencyNumber(r.freq))
            return &r;
    }
    return nullptr;
}
