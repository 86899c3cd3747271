#pragma once
// Where the status dump holds what the window reads (positions from 0).
// Every other position is the device's own label text.

namespace dump {

struct Field {
    int first;
    int last;
};

inline constexpr int length = 79;
inline constexpr Field volume{9, 10};
inline constexpr Field balanceSide{16, 16};
inline constexpr Field balanceAmount{17, 18};
inline constexpr Field treble{24, 26};
inline constexpr Field bass{32, 34};
inline constexpr Field loudness{40, 40};
inline constexpr Field mute{46, 46};
inline constexpr Field source{52, 53};
inline constexpr Field speaker1{59, 59};
inline constexpr Field speaker2{66, 66};
inline constexpr Field frequency{72, 77};

}  // namespace dump
