#include "tuner/advertising.h"

#include "store/frequency.h"
#include "tuner/slot_search.h"
#include "ui/form1.h"

#include <optional>

namespace {

// The slot chosen in Ausweichsender, if its text reads as one.
std::optional<int> fallbackSlot(const Form1 &f)
{
    try {
        const long long slot = store::roundHalfEven(store::germanNumber(f.Ausweichsender->currentText()));
        if (slot >= 1 && slot <= 30)
            return int(slot);
    } catch (const store::ConversionError &) {
    }
    return std::nullopt;
}

bool isEmptyValue(const QVariant &v)
{
    return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

}  // namespace

namespace tuner {

bool advertisingReturnDue(const Form1 &f)
{
    if (f.Werbeauto->backColor() != colours::red)
        return false;
    const int minute = f.plat.clock->minute();
    return minute == 0 || minute == 30;
}

void returnFromAdvertising(Form1 &f)
{
    // Black before tuning: the repeat of a high slot waits seconds, and the
    // fallback is over from now on.
    f.schalttimer->setEnabled(false);
    f.Werbeauto->setBackColor(colours::black);
    if (f.returnSlot.isValid() && !f.returnSlot.isNull())
        f.stationT_Click(f.returnSlot.toInt() + 10000);
}

}  // namespace tuner

void Form1::Werbeauto_Click()
{
    if (Werbeauto->backColor() == colours::red) {
        tuner::returnFromAdvertising(*this);
        return;
    }

    const std::optional<int> fallback = fallbackSlot(*this);
    if (!fallback)
        return;  // nothing chosen to jump to

    // Remember the slot of the station now playing. Without a known
    // station (just after a band change) the last remembered slot stays.
    if (!isEmptyValue(currentFrequency)) {
        if (const int slot = tuner::findSlot(slotFrequency, store::frequencyNumber(currentFrequency)))
            returnSlot = slot;
    }

    Werbeauto->setBackColor(colours::red);
    stationT_Click(*fallback + 10000);
    schalttimer->setEnabled(true);
}
