#pragma once
// Module1: the general sort of the station key arrays.

#include "platform/platform.h"
#include "store/station_arrays.h"

#include <QString>

// Sorts keys(low..high) ascending by their upper-case forms (character by
// character; one whose upper case is longer stays as it is), code unit by
// code unit, so umlauts come after Z. Every exchange of two keys is made
// at the same two positions of c1 and c2, which keeps each key's companions
// with it. A quicksort with a random pivot; not stable.
void sortKeyArrays(TextArray &keys, TextArray &c1, TextArray &c2, int low, int high,
                   platform::Random &rnd);

void swapStrings(QString &a, QString &b);
