// The status dump, the frequency texts, the slot file, and the answer faults.

#include "line_feeder.h"

#include "model/device_model.h"
#include "model/dump.h"

#include <gtest/gtest.h>

using namespace sim;
using simtest::LineFeeder;

namespace {

std::string at(const std::string &dump, DumpField f) { return dump.substr(f.pos, f.width); }

}  // namespace

TEST(SimStatusDump, FieldsStandAtTheirPositions)
{
    DeviceState s;
    s.volume = 7;
    s.balance = -35;
    s.treble = 4;
    s.bass = -10;
    s.loudness = true;
    s.mute = false;
    s.source = Source::Tuner;
    s.band = Band::Fm;
    s.fm = Station{Band::Fm, 10270};
    s.speaker1 = false;
    s.speaker2 = true;

    const std::string d = buildDump(s);
    ASSERT_EQ(d.size(), 79u);
    EXPECT_EQ(d.substr(9, 2), "07");
    EXPECT_EQ(d.substr(16, 1), "L");
    EXPECT_EQ(d.substr(17, 2), "35");
    EXPECT_EQ(d.substr(24, 3), "+04");
    EXPECT_EQ(d.substr(32, 3), "-10");
    EXPECT_EQ(d.substr(40, 1), "Y");
    EXPECT_EQ(d.substr(46, 1), "N");
    EXPECT_EQ(d.substr(52, 2), "FM");
    EXPECT_EQ(d.substr(59, 1), "N");
    EXPECT_EQ(d.substr(66, 1), "Y");
    EXPECT_EQ(d.substr(72, 6), "102.70");
}

TEST(SimStatusDump, LabelsAroundTheFieldsNeverChange)
{
    DeviceState a, b;
    b.volume = 81;
    b.balance = 80;
    b.equaliser = true;
    b.loudness = b.mute = true;
    b.speaker1 = false;
    b.speaker2 = true;
    b.source = Source::Phono;
    b.band = Band::Am;
    const std::string da = buildDump(a), db = buildDump(b);
    const std::vector<DumpField> fields = {dumppos::volume, dumppos::balanceSide, dumppos::balanceAmount,
                                           dumppos::treble, dumppos::bass, dumppos::loudness,
                                           dumppos::mute, dumppos::source, dumppos::speaker1,
                                           dumppos::speaker2, dumppos::frequency};
    std::string maskA = da, maskB = db;
    for (DumpField f : fields) {
        EXPECT_NE(at(da, f), at(db, f)) << "field at " << f.pos << " did not follow the state";
        maskA.replace(f.pos, f.width, f.width, '_');
        maskB.replace(f.pos, f.width, f.width, '_');
    }
    EXPECT_EQ(maskA, maskB);
}

TEST(SimStatusDump, FieldTexts)
{
    DeviceState s;
    struct {
        Source source;
        Band band;
        const char *text;
    } sources[] = {{Source::Tv, Band::Fm, "TV"},    {Source::Tuner, Band::Fm, "FM"}, {Source::Tuner, Band::Am, "AM"},
                   {Source::Tape1, Band::Fm, "T1"}, {Source::Tape2, Band::Fm, "T2"}, {Source::Phono, Band::Fm, "PH"},
                   {Source::Cd, Band::Fm, "CD"}};
    for (const auto &c : sources) {
        s.source = c.source;
        s.band = c.band;
        EXPECT_EQ(at(buildDump(s), dumppos::source), c.text);
    }

    s.balance = 0;
    EXPECT_EQ(buildDump(s).substr(16, 3), " 00");
    s.balance = 5;
    EXPECT_EQ(buildDump(s).substr(16, 3), "R05");
    s.bass = 0;
    s.treble = 10;
    EXPECT_EQ(at(buildDump(s), dumppos::bass), "000");
    EXPECT_EQ(at(buildDump(s), dumppos::treble), "+10");
    s.equaliser = true;
    EXPECT_EQ(at(buildDump(s), dumppos::bass), "OFF");
    EXPECT_EQ(at(buildDump(s), dumppos::treble), "OFF");

    // The frequency field shows the band tuned, whatever the source.
    s.fm = Station{Band::Fm, 8750};
    s.band = Band::Fm;
    EXPECT_EQ(at(buildDump(s), dumppos::frequency), " 87.50");
    s.am = Station{Band::Am, 531};
    s.band = Band::Am;
    EXPECT_EQ(at(buildDump(s), dumppos::frequency), "   531");
}

TEST(SimStatusDump, OddFieldsAreCutOrPaddedToTheirWidth)
{
    DumpFields f = dumpFields(DeviceState{});
    f.volume = "x";
    f.source = "TAPE";
    f.frequency = "";
    const std::string d = buildDump(f);
    ASSERT_EQ(d.size(), 79u);
    EXPECT_EQ(at(d, dumppos::volume), "x ");
    EXPECT_EQ(at(d, dumppos::source), "TA");
    EXPECT_EQ(at(d, dumppos::frequency), "      ");
    EXPECT_EQ(at(d, dumppos::balanceAmount), "00");
}

TEST(SimStatusDump, AnswerFollowsTheRequestAfterTheReactionTime)
{
    DeviceModel m;
    LineFeeder line(m);
    line.press("0<3");
    EXPECT_EQ(line.send("0:"), "");
    const std::string answer = line.send("7");
    EXPECT_EQ(answer, buildDump(m.state()));
    EXPECT_EQ(at(answer, dumppos::volume), "31");
    EXPECT_DOUBLE_EQ(line.lastDelay, DeviceModel::reactionTime);
    ASSERT_EQ(m.answers().size(), 1u);
    EXPECT_EQ(m.answers()[0].time, m.received().back().time);
}

// ---- frequency texts and the slot file ----

TEST(SimStations, ReadAndShown)
{
    struct {
        const char *text;
        std::optional<Station> station;
        const char *shown;
    } cases[] = {
        {"102.70", Station{Band::Fm, 10270}, "102.70"},
        {" 87.50", Station{Band::Fm, 8750}, " 87.50"},
        {"87,5", Station{Band::Fm, 8750}, " 87.50"},
        {"108.00", Station{Band::Fm, 10800}, "108.00"},
        {"  1440", Station{Band::Am, 1440}, "  1440"},
        {"10270", Station{Band::Fm, 10270}, "102.70"},
        {"1111.11", std::nullopt, ""},  // the window's empty-slot marker
        {"87.45", std::nullopt, ""},
        {"2500", std::nullopt, ""},
        {"", std::nullopt, ""},
        {"UKW 3", std::nullopt, ""},
        {"102.705", std::nullopt, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const auto st = parseStation(c.text);
        EXPECT_EQ(st, c.station);
        if (st) {
            EXPECT_EQ(displayText(*st), c.shown);
        }
    }
}

TEST(SimSlotFile, ThirtyQuotedLinesWithEmptySlots)
{
    std::string text;
    for (int i = 1; i <= 30; ++i)
        text += i == 2 ? "\"\"\r\n" : i == 3 ? "\"1440\"\r\n" : "\"" + std::to_string(88 + i % 20) + ".10\"\r\n";
    const auto slots = parseSlotFile(text);
    ASSERT_TRUE(slots);
    EXPECT_EQ((*slots)[0], (Station{Band::Fm, 8910}));
    EXPECT_FALSE((*slots)[1]);
    EXPECT_EQ((*slots)[2], (Station{Band::Am, 1440}));
    EXPECT_EQ((*slots)[29], (Station{Band::Fm, 9810}));

    const auto shortFile = parseSlotFile(text.substr(0, text.find("\"1440\"")));
    EXPECT_FALSE(shortFile);
}

// ---- faults ----

TEST(SimFaults, SilentDeviceHearsAndSaysNothing)
{
    DeviceModel m;
    m.setSilent(true);
    LineFeeder line(m);
    line.press("0<3");
    EXPECT_EQ(line.status(), "");
    EXPECT_EQ(m.state().volume, 30);
    ASSERT_EQ(m.received().size(), 2u);  // still logged
    EXPECT_EQ(m.received()[1].reception, Reception::Off);

    m.setSilent(false);
    EXPECT_EQ(line.status().size(), 79u);
}

TEST(SimFaults, StopAfterCutsEveryAnswer)
{
    DeviceModel m;
    LineFeeder line(m);
    m.setStopAfter(4);
    EXPECT_EQ(line.status(), buildDump(m.state()).substr(0, 4));
    EXPECT_EQ(line.status().size(), 4u);
    m.setStopAfter(0);
    EXPECT_EQ(line.status(), "");
    m.setStopAfter(std::nullopt);
    EXPECT_EQ(line.status().size(), 79u);
}

TEST(SimFaults, GarbageReplacesTheAnswerRepeatably)
{
    DeviceModel m;
    m.setGarbage(Garbage::Replace);
    m.setSeed(7);
    LineFeeder line(m);
    const std::string first = line.status();
    ASSERT_EQ(first.size(), 79u);
    const std::string dump = buildDump(m.state());
    int same = 0;
    for (std::size_t i = 0; i < first.size(); ++i)
        same += first[i] == dump[i];
    EXPECT_LT(same, 10);

    m.setSeed(7);
    EXPECT_EQ(line.status(), first);
}

TEST(SimFaults, NoiseSlipsBytesIntoTheAnswer)
{
    DeviceModel m;
    m.setGarbage(Garbage::Noise);
    LineFeeder line(m);
    const std::string noisy = line.status();
    const std::string dump = buildDump(m.state());
    EXPECT_GT(noisy.size(), dump.size());
    // Every character of the dump is still there, in order.
    std::size_t k = 0;
    for (char c : noisy)
        if (k < dump.size() && c == dump[k])
            ++k;
    EXPECT_EQ(k, dump.size());
}

TEST(SimFaults, DelayedAnswer)
{
    DeviceModel m;
    m.setExtraDelay(1.5);
    LineFeeder line(m);
    EXPECT_EQ(line.status().size(), 79u);
    EXPECT_DOUBLE_EQ(line.lastDelay, DeviceModel::reactionTime + 1.5);
}
