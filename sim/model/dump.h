#pragma once
// The 79-character answer to the status request "0:7". The fields sit at
// fixed positions between fixed labels:
//
//   0         1         2         3         4         5         6         7
//   0123456789012345678901234567890123456789012345678901234567890123456789012345678
//   SONV VOL:30 BAL: 00 TRE:000 BAS:000 LDN:N MUT:N SRC:FM SP1:Y  SP2:N FRQ: 87.60\r

#include "model/device_state.h"

#include <cstddef>
#include <string>

namespace sim {

inline constexpr std::size_t dumpLength = 79;

// Where each field starts and how wide it is.
struct DumpField {
    std::size_t pos, width;
};
namespace dumppos {
inline constexpr DumpField volume{9, 2}, balanceSide{16, 1}, balanceAmount{17, 2}, treble{24, 3},
    bass{32, 3}, loudness{40, 1}, mute{46, 1}, source{52, 2}, speaker1{59, 1}, speaker2{66, 1},
    frequency{72, 6};
}

// The field texts of one dump. Tests may put anything in them; each is cut
// or padded with blanks to its width when the dump is built.
struct DumpFields {
    std::string volume;         // "01".."81"
    std::string balanceSide;    // "L", "R" or " "
    std::string balanceAmount;  // "00".."80"
    std::string treble;         // "-10".."+10", "000", or "OFF"
    std::string bass;
    std::string loudness;  // "Y" / "N"
    std::string mute;
    std::string source;  // "TV", "FM", "AM", "T1", "T2", "PH", "CD"
    std::string speaker1;
    std::string speaker2;
    std::string frequency;  // six characters
};

DumpFields dumpFields(const DeviceState &s);
std::string buildDump(const DumpFields &f);
std::string buildDump(const DeviceState &s);

// "+04", "-10", "000".
std::string toneText(int level);
// Two characters of a source as the dump reports it.
std::string sourceText(const DeviceState &s);

}  // namespace sim
