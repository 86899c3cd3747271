#include "tuner/slot_search.h"

#include "store/frequency.h"

namespace tuner {

int findSlot(TextArray &slotFrequency, long long number)
{
    for (size_t i = 1; i <= 30; ++i) {
        if (slotFrequency[i].isEmpty())
            slotFrequency[i] = kEmptySlotMarker;
        if (store::frequencyNumber(slotFrequency[i]) == number)
            return int(i);
    }
    return 0;
}

}  // namespace tuner
