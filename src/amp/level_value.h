#pragma once
// Reading the levels the window remembers (volume, balance, station key
// mode). They are loose values: empty until the first status dump, a text
// taken from the dump, or a number set by a handler.

#include <QVariant>

namespace amp {

// The value as a whole number (its integer part, rounded down). An empty
// value or an empty text counts as 0; texts read as German numbers. Throws
// store::ConversionError when a text is no number.
long long wholeLevel(const QVariant &value);

}  // namespace amp
