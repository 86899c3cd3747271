// Reads the tuner's 30 memory slots back: tune each slot, ask for the
// status, take the frequency the device reports. About four minutes.

#include "store/frequency.h"
#include "ui/form1.h"

namespace {

const QString kStartNotice = QStringLiteral("Vorgang dauert ca. 3 Minuten. Nach Abschluss erfolgt Hinweis.");
const QString kNoDevice = QStringLiteral("Gerät nicht angeschlossen oder eingeschaltet. Vorgang wird abgebrochen");
const QString kFinished = QStringLiteral(
    "Fertig. Bitte starten Sie das Programm neu, damit alle Sendernamen korrekt dargestellt werden");

// Waits of one slot: the repeat of slots 11..30, then 1 s and 4 s.
double slotSeconds(int slot)
{
    double repeat = 0;
    if (slot > 10)
        repeat = slot <= 20 ? 3.6 : slot <= 29 ? 5.6 : 7.6;
    return repeat + 5.0;
}

QString progressText(int slot)
{
    double left = 0;
    for (int s = slot; s <= 30; ++s)
        left += slotSeconds(s);
    const int seconds = int(left + 0.999);
    return QStringLiteral("Stationen einlesen: Platz %1 von 30, noch ca. %2:%3")
        .arg(slot)
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The device stayed on the same station when both read the same; texts
// that are no number (the "XX" before slot 1) compare as texts.
bool sameFrequency(const QVariant &a, const QVariant &b)
{
    try {
        return store::frequencyNumber(a) == store::frequencyNumber(b);
    } catch (const store::ConversionError &) {
        return a.toString() == b.toString();
    }
}

bool isEmptyValue(const QVariant &v)
{
    return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

// Puts the window back into its normal working state however the run ends.
struct ImportRun {
    Form1 &f;
    explicit ImportRun(Form1 &form) : f(form)
    {
        f.StationenEinlesen->setProperty("running", true);
    }
    ~ImportRun()
    {
        f.slotDirectMode = 0;
        f.showProgress(QString());
        f.dauertimer->setEnabled(true);
        f.StationenEinlesen->setProperty("running", false);
    }
};

}  // namespace

void Form1::StationenEinlesen_Click()
{
    // A second press while a run goes on would interleave two runs.
    if (StationenEinlesen->property("running").toBool())
        return;

    plat.messages->showOk(kStartNotice);
    // The answer watch shows "off" when the last request went unanswered.
    testtimer->setEnabled(true);
    Pause(3.0f);
    if (quelA->text() == QLatin1String("off")) {
        plat.messages->showOk(kNoDevice);
        return;
    }

    {
        ImportRun run(*this);
        slotDirectMode = 1;
        dauertimer->setEnabled(false);
        // With FM showing already, the FM key would step the key captions'
        // display mode instead.
        if (quelA->text() != QLatin1String("FM"))
            Quelle_Click(1);

        QVariant previous = QStringLiteral("XX");
        for (int slot = 1; slot <= 30; ++slot) {
            showProgress(progressText(slot));
            stationT_Click(slot);
            Pause(1.0f);
            requestStatus();
            // Time for the dump to arrive and be decoded.
            Pause(4.0f);
            // A slot on the other band makes the decoding change the band,
            // which empties the frequency and asks again. Give that answer
            // time; if it never comes, ask once more once the line is quiet,
            // rather than record the slot as empty.
            for (int i = 0; i < 8 && isEmptyValue(currentFrequency); ++i)
                Pause(0.5f);
            if (isEmptyValue(currentFrequency)) {
                requestStatus();
                Pause(4.0f);
            }
            if (!sameFrequency(currentFrequency, previous)) {
                const QString text = currentFrequency.toString();
                stationT[slot]->setText(text);
                slotFrequency[slot] = text;
            } else {
                // The device did not move: the slot is empty.
                stationT[slot]->setText(QString());
                slotFrequency[slot] = QString();
            }
            previous = currentFrequency;
        }
        slotDirectMode = 0;
        // Four minutes of work must not depend on a clean close.
        saveStationMemory();
        showProgress(QString());
        plat.messages->showOk(kFinished);
    }
}
