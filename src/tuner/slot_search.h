#pragma once
// Finding the device memory slot that holds a station.

#include "store/station_arrays.h"

namespace tuner {

// The first slot 1..30 whose frequency number is `number`, or 0. Empty
// entries passed on the way take the empty-slot marker, whose number
// matches no station.
int findSlot(TextArray &slotFrequency, long long number);

}  // namespace tuner
