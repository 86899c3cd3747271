#pragma once
// A tuner frequency and its text forms: FM in 10 kHz units (10270 = 102.70 MHz),
// AM in kHz. The device shows both as six characters, "102.70", " 87.50",
// "  1440".

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class Band { Fm, Am };

struct Station {
    Band band = Band::Fm;
    int value = 0;  // FM: 10 kHz units; AM: kHz

    friend bool operator==(const Station &, const Station &) = default;
    friend auto operator<=>(const Station &, const Station &) = default;
};

inline constexpr int fmLowest = 8750, fmHighest = 10800;
inline constexpr int amLowest = 522, amHighest = 1710;

// Six characters as the device shows them.
std::string displayText(const Station &s);

// Reads a frequency as the station files hold it: "102.70", "102,70",
// " 87.50", "1440". A number without decimals reads as kHz below 2000 and as
// 10 kHz units from 2000 on. Anything outside the two bands is no station.
std::optional<Station> parseStation(std::string_view text);

// Stations the seek finds besides the stored ones, in ascending order.
const std::vector<Station> &receivableStations(Band band);

using SlotMemory = std::array<std::optional<Station>, 30>;

// What the device holds when nobody has loaded anything.
SlotMemory defaultSlots();

// Reads a Speicherplatz.txt-like text: quoted fields, one per line or
// separated by commas, slot 1 first. Fields that are no frequency leave their
// slot empty. Returns nothing when fewer than 30 fields are found.
std::optional<SlotMemory> parseSlotFile(std::string_view text);

}  // namespace sim
