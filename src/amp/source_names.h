#pragma once
// The seven sources in the order of the source keys (Quelle 0 to 6): the
// code the status dump reports and the caption the source display shows.

#include <array>

namespace amp {

struct SourceName {
    const char *dump;
    const char *shown;
};

inline constexpr std::array<SourceName, 7> sourceNames{{
    {"TV", "TV"},
    {"FM", "FM"},
    {"AM", "AM"},
    {"T1", "Tape 1"},
    {"T2", "Tape 2"},
    {"PH", "Phono"},
    {"CD", "CD"},
}};

}  // namespace amp
