#include "model/dump.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

namespace {

constexpr const char *layout =
    "SONV VOL:   BAL:    TRE:    BAS:    LDN:  MUT:  SRC:   SP1:   SP2:  FRQ:      \r";
static_assert(std::char_traits<char>::length(layout) == dumpLength);

std::string twoDigits(int n)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n % 100);
    return buf;
}

std::string yn(bool b) { return b ? "Y" : "N"; }

void put(std::string &dump, DumpField f, const std::string &text)
{
    std::string t = text.substr(0, f.width);
    t.resize(f.width, ' ');
    dump.replace(f.pos, f.width, t);
}

}  // namespace

std::string toneText(int level)
{
    if (level == 0)
        return "000";
    std::string t(1, level > 0 ? '+' : '-');
    t += twoDigits(std::abs(level));
    return t;
}

std::string sourceText(const DeviceState &s)
{
    switch (s.source) {
    case Source::Tv: return "TV";
    case Source::Tuner: return s.band == Band::Fm ? "FM" : "AM";
    case Source::Tape1: return "T1";
    case Source::Tape2: return "T2";
    case Source::Phono: return "PH";
    case Source::Cd: return "CD";
    }
    return "  ";
}

DumpFields dumpFields(const DeviceState &s)
{
    DumpFields f;
    f.volume = twoDigits(s.volume);
    f.balanceSide.assign(1, s.balance < 0 ? 'L' : s.balance > 0 ? 'R' : ' ');
    f.balanceAmount = twoDigits(std::abs(s.balance));
    f.treble = s.equaliser ? "OFF" : toneText(s.treble);
    f.bass = s.equaliser ? "OFF" : toneText(s.bass);
    f.loudness = yn(s.loudness);
    f.mute = yn(s.mute);
    f.source = sourceText(s);
    f.speaker1 = yn(s.speaker1);
    f.speaker2 = yn(s.speaker2);
    f.frequency = displayText(s.tuned());
    return f;
}

std::string buildDump(const DumpFields &f)
{
    std::string dump = layout;
    put(dump, dumppos::volume, f.volume);
    put(dump, dumppos::balanceSide, f.balanceSide);
    put(dump, dumppos::balanceAmount, f.balanceAmount);
    put(dump, dumppos::treble, f.treble);
    put(dump, dumppos::bass, f.bass);
    put(dump, dumppos::loudness, f.loudness);
    put(dump, dumppos::mute, f.mute);
    put(dump, dumppos::source, f.source);
    put(dump, dumppos::speaker1, f.speaker1);
    put(dump, dumppos::speaker2, f.speaker2);
    put(dump, dumppos::frequency, f.frequency);
    return dump;
}

std::string buildDump(const DeviceState &s) { return buildDump(dumpFields(s)); }

}  // namespace sim
