#pragma once
// Whether a status dump reads as the device writes it. A line that babbles
// or an adapter at the wrong speed gives 79 characters too: taken as a dump
// they would put letters into the read-outs and move the sliders.

#include "link/dump_layout.h"

#include <QString>

#include <functional>

namespace dump {

// The name of the first field that breaks the form the device gives it
// (digits, the sign, the balance side, the source names, the frequency's
// characters), or an empty text when every field reads. `field` returns the
// text at a field's positions.
QString brokenField(const std::function<QString(Field)> &field);

}  // namespace dump
