// The 30 station keys: tune the device to the slot that holds the key's
// station. Presets exist for slots 1 to 10 only; slots 11 to 30 are reached
// by holding a preset key, which the code repeater imitates.

#include "link/dump_layout.h"
#include "store/frequency.h"
#include "tuner/slot_search.h"
#include "ui/form1.h"

namespace {

// How many times the preset code of slot 11..30 goes out: the device moves
// on by ten slots after 10 codes in a row and by twenty after 20 (30 for
// the tenth key).
int repeatLimitOfSlot(int slot)
{
    if (slot <= 20)
        return 15;
    if (slot <= 29)
        return 25;
    return 35;
}

}  // namespace

void Form1::stationT_Click(int index)
{
    int slot = 0;
    bool askAgain = false;
    if (slotDirectMode == 1) {
        // The import and the demonstration address slots directly.
        slot = index;
    } else if (index > 10000) {
        slot = index - 10000;
        if (slot < 1 || slot > 30)
            return;
        currentFrequency = slotFrequency[slot];
    } else {
        if (index < 1 || index > 30)
            return;
        // Taken now: the band switch below waits, and the key arrays may
        // be rebuilt meanwhile.
        const QString frequency = keyFrequency[index];
        if (frequency.isEmpty())
            return;
        const long long wanted = store::frequencyNumber(frequency);
        const bool fm = wanted >= 2000;
        const quint64 requests = statusRequests_;
        if (fm && quelA->text() != QLatin1String("FM"))
            Quelle_Click(1);
        else if (!fm && quelA->text() != QLatin1String("AM"))
            Quelle_Click(2);
        // A change of band asked for status before the preset goes out: that
        // dump shows the band's previous station.
        askAgain = statusRequests_ != requests;

        slot = tuner::findSlot(slotFrequency, wanted);
        currentFrequency = frequency;
        if (slot == 0) {
            // A station that no slot holds still gets its band and display.
            showStation(currentFrequency);
            return;
        }
    }

    if (slot < 1 || slot > 30)
        return;

    const cmd::Code code = cmd::presetOfSlot[(slot - 1) % 10];
    if (slot <= 10) {
        writeCode(code);
        showStation(currentFrequency);
        if (askAgain)
            requestStatusAfterExchange();
        return;
    }

    showStation(currentFrequency);
    const int limit = repeatLimitOfSlot(slot);
    holdKey(code, limit);
    const float wait = float(0.2 * limit + 0.6);
    float waited = 0.0f;
    if (askAgain) {
        // Asked as soon as the last code is out, within the wait.
        for (; Timer3->isEnabled() && waited < wait; waited += 0.1f)
            Pause(0.1f);
        waited += requestStatusAfterExchange();
    }
    if (waited < wait)
        Pause(wait - waited);
}

float Form1::requestStatusAfterExchange()
{
    // A request now would cut into the answer still arriving. An exchange
    // ends within a few seconds; one that has not by then is given up.
    float waited = 0.0f;
    for (; statusPending == 1 && rxCount < dump::length && waited < 10.0f; waited += 0.1f)
        Pause(0.1f);
    requestStatus();
    return waited;
}
