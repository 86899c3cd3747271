#include "model/station.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sim {

std::string displayText(const Station &s)
{
    char buf[16];
    if (s.band == Band::Fm)
        std::snprintf(buf, sizeof buf, "%3d.%02d", s.value / 100, s.value % 100);
    else
        std::snprintf(buf, sizeof buf, "%6d", s.value);
    return std::string(buf).substr(0, 6);
}

namespace {

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<Station> inBand(Station s)
{
    if (s.band == Band::Fm && s.value >= fmLowest && s.value <= fmHighest)
        return s;
    if (s.band == Band::Am && s.value >= amLowest && s.value <= amHighest)
        return s;
    return std::nullopt;
}

}  // namespace

std::optional<Station> parseStation(std::string_view text)
{
    text = trimmed(text);
    const auto sep = text.find_first_of(".,");
    if (sep != std::string_view::npos) {
        const auto whole = text.substr(0, sep);
        auto fraction = text.substr(sep + 1);
        if (!allDigits(whole) || whole.size() > 3 || fraction.size() > 2
            || (!fraction.empty() && !allDigits(fraction)))
            return std::nullopt;
        int hundredths = 0;
        if (fraction.size() >= 1)
            hundredths += (fraction[0] - '0') * 10;
        if (fraction.size() == 2)
            hundredths += fraction[1] - '0';
        return inBand({Band::Fm, std::stoi(std::string(whole)) * 100 + hundredths});
    }
    if (!allDigits(text) || text.size() > 5)
        return std::nullopt;
    const int n = std::stoi(std::string(text));
    return inBand({n < 2000 ? Band::Am : Band::Fm, n});
}

const std::vector<Station> &receivableStations(Band band)
{
    static const std::vector<Station> fm = [] {
        std::vector<Station> v;
        for (int f : {8760, 8890, 9040, 9180, 9330, 9470, 9610, 9750, 9880, 10020, 10130, 10270,
                      10410, 10550, 10690, 10770})
            v.push_back({Band::Fm, f});
        return v;
    }();
    static const std::vector<Station> am = [] {
        std::vector<Station> v;
        for (int f : {531, 612, 693, 801, 909, 1017, 1143, 1260, 1440, 1539})
            v.push_back({Band::Am, f});
        return v;
    }();
    return band == Band::Fm ? fm : am;
}

SlotMemory defaultSlots()
{
    // Mostly FM, a few AM stations and a gap, so that stepping, band changes
    // and empty slots all show up without loading a file.
    SlotMemory slots;
    const auto &fm = receivableStations(Band::Fm);
    const auto &am = receivableStations(Band::Am);
    for (int i = 0; i < 16; ++i)
        slots[i] = fm[i];
    slots[16] = Station{Band::Fm, 8930};
    slots[17] = Station{Band::Fm, 9560};
    slots[18] = am[8];  // 1440
    slots[19] = am[2];  // 693
    slots[20] = am[5];  // 1017
    // 22..25 empty
    slots[25] = Station{Band::Fm, 9990};
    slots[26] = Station{Band::Fm, 10350};
    slots[27] = Station{Band::Fm, 10480};
    slots[28] = Station{Band::Fm, 10600};
    slots[29] = Station{Band::Fm, 10790};
    return slots;
}

std::optional<SlotMemory> parseSlotFile(std::string_view text)
{
    // Fields are quoted texts or bare words, separated by commas or line ends.
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false, any = false;
    for (char c : text) {
        if (quoted) {
            if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',' || c == '\n') {
            if (any || !trimmed(field).empty())
                fields.push_back(field);
            field.clear();
            any = false;
        } else if (c != '\r') {
            field += c;
        }
    }
    if (any || !trimmed(field).empty())
        fields.push_back(field);
    if (fields.size() < 30)
        return std::nullopt;
    SlotMemory slots;
    for (int i = 0; i < 30; ++i)
        slots[i] = parseStation(fields[i]);
    return slots;
}

}  // namespace sim
