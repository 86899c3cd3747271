// Reads the tuner's 30 memory slots back: tune each slot, ask for the
// status, take the frequency the device reports. About four minutes.

#include "link/dump_layout.h"
#include "platform/logging.h"
#include "store/frequency.h"
#include "ui/form1.h"

#include <QCoreApplication>
#include <stdexcept>

namespace {

// Texts are looked up when shown: the language is chosen after start-up.
QString startNotice()
{
    return QCoreApplication::translate("MemoryImport", "Vorgang dauert ca. 3 Minuten. Nach Abschluss erfolgt Hinweis.");
}

QString noDevice()
{
    return QCoreApplication::translate("MemoryImport",
                                       "Gerät nicht angeschlossen oder eingeschaltet. Vorgang wird abgebrochen");
}

QString finished()
{
    return QCoreApplication::translate(
        "MemoryImport",
        "Fertig. Bitte starten Sie das Programm neu, damit alle Sendernamen korrekt dargestellt werden");
}

// The closing message, and which slots kept what they held before.
QString finishedText(const QList<int> &unread)
{
    if (unread.isEmpty())
        return finished();
    if (unread.size() == 1)
        return finished() + QCoreApplication::translate("MemoryImport",
                                                        "\n\nPlatz %1 konnte nicht gelesen werden und behält "
                                                        "seinen bisherigen Inhalt.")
                                .arg(unread.front());
    QStringList numbers;
    for (int slot : unread)
        numbers << QString::number(slot);
    const QString last = numbers.takeLast();
    return finished() + QCoreApplication::translate("MemoryImport",
                                                    "\n\nDie Plätze %1 und %2 konnten nicht gelesen werden "
                                                    "und behalten ihren bisherigen Inhalt.")
                            .arg(numbers.join(QStringLiteral(", ")), last);
}

QString abortedText(int slot, const QString &reason)
{
    const QString where = slot > 0 ? QCoreApplication::translate("MemoryImport", " bei Platz %1").arg(slot) : QString();
    return QCoreApplication::translate("MemoryImport", "Das Einlesen der Stationen wurde%1 abgebrochen (%2). ")
               .arg(where, reason) +
           QCoreApplication::translate("MemoryImport", "Die Datei Speicherplatz.txt bleibt unverändert.");
}

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
    return QCoreApplication::translate("MemoryImport", "Stationen einlesen: Platz %1 von 30, noch ca. %2:%3")
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

bool isFrequency(const QVariant &v)
{
    if (isEmptyValue(v))
        return false;
    try {
        store::frequencyNumber(v);
        return true;
    } catch (const store::ConversionError &) {
        return false;
    }
}

enum class Reading {
    Taken,   // a whole dump, and the window took the frequency it reports
    Silent,  // no answer: nothing is known of the slot
    Spoiled, // noise: the dump or the frequency in it cannot be trusted
};

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
        const bool focused = f.progressA->hasFocus();
        f.showProgress(QString());
        // Back to the source key of the view the run has left.
        if (focused)
            f.Quelle[1]->setFocus(Qt::OtherFocusReason);
        f.dauertimer->setEnabled(true);
        f.StationenEinlesen->setProperty("running", false);
    }
};

// What the status exchange of one slot brought.
Reading lastReading(const Form1 &f)
{
    if (f.rxCount < 5)
        return Reading::Silent;
    if (f.rxCount < dump::length || !f.dumpReadable())
        return Reading::Spoiled;
    // The dump's own frequency field: an AM text that does not convert ends
    // the decoding before it reaches the frequency, leaving the last one.
    QString field;
    for (int k = dump::frequency.first; k <= dump::frequency.last; ++k)
        field += f.rxBuffer[size_t(k)];
    if (!isFrequency(field) || !isFrequency(f.currentFrequency))
        return Reading::Spoiled;
    return store::frequencyNumber(field) == store::frequencyNumber(f.currentFrequency) ? Reading::Taken
                                                                                      : Reading::Spoiled;
}

}  // namespace

void Form1::StationenEinlesen_Click()
{
    // A second press while a run goes on would interleave two runs.
    if (StationenEinlesen->property("running").toBool())
        return;

    plat.messages->showOk(startNotice());
    // The answer watch shows "off" when the last request went unanswered.
    testtimer->setEnabled(true);
    Pause(3.0f);
    if (quelA->text() == QLatin1String("off")) {
        plat.messages->showOk(noDevice());
        return;
    }

    // The slots are read into a copy: the memory, and with it the file that
    // every close writes, changes only once all 30 have been read.
    TextArray found = slotFrequency;
    for (QString &text : found) {
        if (text == kEmptySlotMarker)
            text.clear();
    }
    QStringList captionsBefore;
    for (int slot = 1; slot <= 30; ++slot)
        captionsBefore << stationT[slot]->text();
    QList<int> unread;
    int slot = 0;

    ImportRun run(*this);
    try {
        slotDirectMode = 1;
        dauertimer->setEnabled(false);
        // With FM showing already, the FM key would step the key captions'
        // display mode instead.
        if (quelA->text() != QLatin1String("FM"))
            Quelle_Click(1);

        // Asks for the status of the slot now tuned and waits for the answer.
        auto readSlot = [this] {
            requestStatus();
            // Time for the dump to arrive and be decoded.
            Pause(4.0f);
            // A slot on the other band makes the decoding change the band,
            // which empties the frequency and asks again: give that answer
            // time too.
            for (int i = 0; i < 8 && isEmptyValue(currentFrequency); ++i)
                Pause(0.5f);
            return lastReading(*this);
        };

        QVariant previous = QStringLiteral("XX");
        int silentInARow = 0;
        int unreadInARow = 0;
        for (slot = 1; slot <= 30; ++slot) {
            showProgress(progressText(slot), (slot - 1) / 30.0);
            // The keyboard's focus waits on the progress, where a stray
            // Enter presses nothing and a screen reader reads how far it is.
            if (slot == 1 && focusWidget() && focusWidget() != progressA)
                progressA->setFocus(Qt::OtherFocusReason);
            stationT_Click(slot);
            Pause(1.0f);
            Reading reading = readSlot();
            // Line noise: ask once more rather than store what is no
            // frequency, or take a slot for empty that is not.
            if (reading == Reading::Spoiled)
                reading = readSlot();
            // A device that stopped answering, or answers only noise: one
            // slot may be a hiccup; a second in a row ends the run before it
            // records anything from a device that cannot be read.
            silentInARow = reading == Reading::Silent ? silentInARow + 1 : 0;
            unreadInARow = reading != Reading::Taken ? unreadInARow + 1 : 0;
            if (silentInARow >= 2)
                throw std::runtime_error(
                    QCoreApplication::translate("MemoryImport", "das Gerät antwortet nicht mehr").toStdString());
            if (unreadInARow >= 2)
                throw std::runtime_error(
                    QCoreApplication::translate("MemoryImport", "das Gerät antwortet nicht lesbar").toStdString());
            if (reading != Reading::Taken) {
                // Keep what the slot held; the device now plays a station
                // nobody could read, so show none.
                unread << slot;
                stationT[slot]->setText(found[slot]);
                currentFrequency = QString();
                if (!found[slot].isEmpty())
                    previous = found[slot];
                continue;
            }
            if (!sameFrequency(currentFrequency, previous)) {
                const QString text = currentFrequency.toString();
                stationT[slot]->setText(text);
                found[slot] = text;
            } else {
                // The device did not move: the slot is empty.
                stationT[slot]->setText(QString());
                found[slot] = QString();
            }
            previous = currentFrequency;
        }
    } catch (const WindowClosed &) {
        // The close has saved the memory as it was before the run.
        qCWarning(lcAutomation).noquote()
            << abortedText(slot, QCoreApplication::translate("MemoryImport", "Fenster geschlossen"));
        throw;
    } catch (const std::exception &e) {
        for (int i = 1; i <= 30; ++i)
            stationT[i]->setText(captionsBefore[i - 1]);
        slotDirectMode = 0;
        showProgress(QString());
        plat.messages->showOk(abortedText(slot, QString::fromUtf8(e.what())));
        return;
    }

    slotFrequency = found;
    slotDirectMode = 0;
    // Four minutes of work must not depend on a clean close.
    saveStationMemory();
    showProgress(QString());
    plat.messages->showOk(finishedText(unread));
}
