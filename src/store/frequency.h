#pragma once
// Numbers read from the device and from the data files. Texts follow German
// conventions: "," is the decimal separator, "." a digit-group separator
// that is skipped, leading blanks and a sign are allowed.

#include <QString>
#include <QVariant>

#include <stdexcept>

namespace store {

// A text that does not read as a number. Handlers that meet it end quietly.
struct ConversionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The text read as a number; throws ConversionError.
double germanNumber(const QString &text);

// The frequency number: the number rounded down to a whole number, so
// "102.70" gives 10270. 2000 and above is FM, below AM.
long long frequencyNumber(const QString &text);
// Numbers (an AM frequency from the status dump) are rounded down; an empty
// value counts as 0; texts as above.
long long frequencyNumber(const QVariant &value);

// Plain decimal text of a number, as the device and the files write it.
QString numberText(double v);
// A frequency as the station display shows it: FM as received, AM (a
// number) as plain decimal text.
QString frequencyText(const QVariant &f);

// Rounds to the nearest whole number, an exact half to the even neighbour.
long long roundHalfEven(double v);

}  // namespace store
