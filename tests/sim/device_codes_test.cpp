// What each code of the remote control does to the device, and how the byte
// stream is cut into codes.

#include "line_feeder.h"

#include "model/device_model.h"
#include "model/remote_codes.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace sim;
using simtest::LineFeeder;

namespace {

// A device on CD with everything somewhere in the middle, so that each code
// has room to move its level either way.
DeviceState middleState()
{
    DeviceState s;
    s.slots = defaultSlots();
    s.source = Source::Cd;
    s.band = Band::Fm;
    s.fm = *s.slots[2];
    s.am = Station{Band::Am, 909};
    s.slot = 3;
    s.volume = 30;
    s.balance = 5;
    s.bass = 6;
    s.treble = -4;
    s.lowBass = 2;
    s.cd.track = 3;
    s.cd.programmed = 3;
    return s;
}

struct CodeCase {
    std::string_view code;
    std::function<void(DeviceState &)> arrange;  // on top of middleState()
    std::function<void(DeviceState &)> expect;   // what the code changes
};

void none(DeviceState &) {}
void onTape1(DeviceState &s) { s.source = Source::Tape1; }

std::vector<CodeCase> codeCases()
{
    std::vector<CodeCase> cases = {
        {"022", [](auto &s) { s.cd.transport = Transport::Playing; },
         [](auto &s) { s.cd.transport = Transport::Forward; }},
        {"024", [](auto &s) { s.cd.transport = Transport::Playing; s.cd.abStage = 2; },
         [](auto &s) { s.cd.transport = Transport::Stopped; s.cd.track = 1; s.cd.abStage = 0; }},
        {"025", [](auto &s) { s.cd.transport = Transport::Playing; },
         [](auto &s) { s.cd.transport = Transport::Paused; }},
        {"026", none, [](auto &s) { s.cd.transport = Transport::Playing; }},
        {"02:", none, [](auto &s) { s.cd.track = 4; }},
        {"02;", none, [](auto &s) { s.cd.track = 2; }},
        {"02<", none, [](auto &s) { s.cd.gotoPresses = 1; }},
        {"02=", none, [](auto &s) { s.cd.programmed = 4; }},
        {"02>", none, [](auto &s) { s.cd.programmed = 0; }},
        {"03<", none, [](auto &s) { s.cd.timeMode = 1; }},
        {"03>", none, [](auto &s) { s.cd.abStage = 1; }},
        {"097", none, [](auto &s) { s.source = Source::Tuner; s.slot = 4; s.fm = *s.slots[3]; }},
        {"098", none, [](auto &s) { s.source = Source::Tuner; s.slot = 2; s.fm = *s.slots[1]; }},
        {"09?", none, [](auto &s) { s.source = Source::Tape1; }},
        {"09@", none, [](auto &s) { s.source = Source::Tape2; }},
        {"0:2", onTape1, [](auto &s) { s.tape1.transport = Transport::Forward; }},
        {"0:3", onTape1, [](auto &s) { s.tape1.transport = Transport::Rewind; }},
        {"0:4", [](auto &s) { onTape1(s); s.tape1.transport = Transport::Playing; },
         [](auto &s) { s.tape1.transport = Transport::Stopped; }},
        {"0:5", [](auto &s) { onTape1(s); s.tape1.transport = Transport::Playing; },
         [](auto &s) { s.tape1.transport = Transport::Paused; s.tape1.beforePause = Transport::Playing; }},
        {"0:6", onTape1, [](auto &s) { s.tape1.transport = Transport::Playing; }},
        {"0:8", none, none},  // only prepares the next bass step
        {"0:9", none, [](auto &s) { s.hblend = true; }},
        {"0::", onTape1, [](auto &s) { s.tape1.counterResets = 1; }},
        {"0:;", onTape1, [](auto &s) { s.tape1.setPresses = 1; }},
        {"0:<", onTape1, [](auto &s) { s.tape1.memo = true; }},
        {"0:=", onTape1, [](auto &s) { s.tape1.autoSpace = true; }},
        {"0:>", onTape1, [](auto &s) { s.tape1.recordArmed = true; }},
        {"0;1", none, [](auto &s) { s.bass = 0; }},
        {"0;4", none, [](auto &s) { s.mono = true; }},
        {"0;6", none, [](auto &s) { s.copying = true; }},
        {"0;7", none, [](auto &s) { s.bass = 8; }},
        {"0;8", none, [](auto &s) { s.bass = 4; }},
        {"0;9", none, [](auto &s) { s.balance = 0; }},
        {"0;:", none, [](auto &s) { s.balance = 6; }},
        {"0;;", none, [](auto &s) { s.balance = 4; }},
        {"0;>", none, [](auto &s) { s.loudness = true; }},
        {"0;?", none, [](auto &s) { s.treble = -2; }},
        {"0;@", none, [](auto &s) { s.treble = -6; }},
        {"0<1", none, [](auto &s) { s.filter20Hz = true; }},
        {"0<2", [](auto &s) { s.cd.transport = Transport::Playing; },
         [](auto &s) { s.standby = true; s.cd.transport = Transport::Stopped; }},
        {"0<3", none, [](auto &s) { s.volume = 31; }},
        {"0<4", none, [](auto &s) { s.volume = 29; }},
        {"0<5", none, [](auto &s) { s.mute = true; }},
        {"0<6", none, [](auto &s) { s.equaliser = true; }},
        {"0<9", none, [](auto &s) { s.source = Source::Tuner; s.band = Band::Am; }},
        {"0<;", none, [](auto &s) { s.source = Source::Tv; }},
        {"0<<", [](auto &s) { s.band = Band::Am; }, [](auto &s) { s.source = Source::Tuner; s.band = Band::Fm; }},
        {"0<=", none, [](auto &s) { s.source = Source::Phono; }},
        {"0<>", [](auto &s) { s.source = Source::Tv; }, [](auto &s) { s.source = Source::Cd; }},
        {"0<?", none, [](auto &s) { s.speaker1 = false; }},
        {"0<@", none, [](auto &s) { s.speaker2 = true; }},
        {"0<B", none, [](auto &s) { s.displayTests = 1; }},
    };
    // Memory keys 1..10 put the tuner on their slot, whatever played before.
    const char *const memoryKeys[] = {"096", "095", "094", "093", "092", "09>", "09=", "09<", "09;", "09:"};
    for (int slot = 1; slot <= 10; ++slot)
        cases.push_back({memoryKeys[slot - 1], [](auto &s) { s.band = Band::Am; },
                         [slot](auto &s) {
                             s.source = Source::Tuner;
                             s.band = s.slots[slot - 1]->band;
                             s.fm = *s.slots[slot - 1];
                             s.slot = slot;
                         }});
    return cases;
}

}  // namespace

TEST(SimDeviceCodes, EachCodeChangesExactlyWhatItShould)
{
    for (const CodeCase &c : codeCases()) {
        SCOPED_TRACE(std::string(c.code));
        DeviceModel m;
        m.state() = middleState();
        c.arrange(m.state());
        DeviceState expected = m.state();
        c.expect(expected);

        LineFeeder line(m);
        EXPECT_EQ(line.press(c.code), "");
        EXPECT_TRUE(m.state() == expected);
        ASSERT_EQ(m.received().size(), 1u);
        EXPECT_EQ(m.received()[0].reception, Reception::Acted);
    }
}

TEST(SimDeviceCodes, TableCoversEveryCodeButTheStatusRequest)
{
    std::set<std::string_view> covered;
    for (const CodeCase &c : codeCases())
        covered.insert(c.code);
    covered.insert("0:7");
    EXPECT_EQ(covered.size(), remoteCodes.size());
    for (const RemoteCode &known : remoteCodes)
        EXPECT_TRUE(covered.count(known.code)) << known.code;
}

TEST(SimDeviceCodes, LevelsStopAtTheirEnds)
{
    DeviceModel m;
    LineFeeder line(m);
    line.hold("0<3", 90);
    line.hold("0;;", 90);
    line.hold("0;7", 8);
    line.hold("0;@", 8);
    EXPECT_EQ(m.state().volume, 81);
    EXPECT_EQ(m.state().balance, -80);
    EXPECT_EQ(m.state().bass, 10);
    EXPECT_EQ(m.state().treble, -10);

    line.hold("0<4", 90);
    line.hold("0;:", 170);
    EXPECT_EQ(m.state().volume, 1);
    EXPECT_EQ(m.state().balance, 80);
}

TEST(SimDeviceCodes, TrebleKeySequenceCentresFromAnywhere)
{
    // The window has no treble centre code: eleven downs then five ups.
    for (int start : {-10, -2, 0, 6, 10}) {
        DeviceModel m;
        m.state().treble = start;
        LineFeeder line(m);
        line.hold("0;@", 11);
        line.hold("0;?", 5);
        EXPECT_EQ(m.state().treble, 0) << "from " << start;
    }
}

TEST(SimDeviceCodes, EqualiserBypassesTheToneControls)
{
    DeviceModel m;
    m.state().bass = 4;
    LineFeeder line(m);
    line.press("0<6");
    line.press("0;7");
    line.press("0;@");
    line.press("0;1");
    EXPECT_EQ(m.state().bass, 4);
    EXPECT_EQ(m.state().treble, 0);
    line.press("0<6");
    line.press("0;7");
    EXPECT_EQ(m.state().bass, 6);
}

TEST(SimDeviceCodes, LowBassKeyStepsLowBassOnlyWithTheCodeRightAfterIt)
{
    DeviceModel m;
    LineFeeder line(m);
    line.send("0:8");
    line.press("0;7");  // back to back, as the low-bass key sends them
    EXPECT_EQ(m.state().lowBass, 2);
    EXPECT_EQ(m.state().bass, 0);

    line.send("0:8");
    line.press("0;8");
    line.send("0:8");
    line.press("0;8");
    EXPECT_EQ(m.state().lowBass, -2);

    line.press("0:8", 1.0);  // a second later it is the ordinary bass
    line.press("0;7");
    EXPECT_EQ(m.state().lowBass, -2);
    EXPECT_EQ(m.state().bass, 2);
}

TEST(SimDeviceCodes, TunerKeyGivesAmAndTheFmKeyAfterItGivesFm)
{
    DeviceModel m;
    m.state().source = Source::Cd;
    m.state().band = Band::Fm;
    const Station fm = m.state().fm, am = m.state().am;
    LineFeeder line(m);

    line.press("0<9");  // the "am" key
    EXPECT_EQ(m.state().source, Source::Tuner);
    EXPECT_EQ(m.state().band, Band::Am);
    line.press("0<9");  // pressed again
    EXPECT_EQ(m.state().band, Band::Am);

    line.send("0<9");  // the "fm" key: both codes back to back
    line.press("0<<");
    EXPECT_EQ(m.state().band, Band::Fm);
    // Each band keeps its station.
    EXPECT_EQ(m.state().fm, fm);
    EXPECT_EQ(m.state().am, am);
}

TEST(SimDeviceCodes, TransportKeysGoToThePlayerOfTheSource)
{
    DeviceModel m;
    LineFeeder line(m);
    line.press("09@");
    line.press("0:>");
    line.press("0:6");
    EXPECT_EQ(m.state().tape2.transport, Transport::Recording);
    EXPECT_EQ(m.state().tape1.transport, Transport::Stopped);
    line.press("0:5");
    line.press("0:5");
    EXPECT_EQ(m.state().tape2.transport, Transport::Recording);  // pause resumes what ran

    line.press("0<=");
    line.press("0:6");
    line.press("0:5");
    EXPECT_TRUE(m.state().phono.playing);
    EXPECT_TRUE(m.state().phono.armLifted);
    line.press("0:6");
    EXPECT_FALSE(m.state().phono.playing);
    EXPECT_EQ(m.state().tape2.transport, Transport::Recording);

    line.press("0<>");
    line.press("0:=");
    EXPECT_TRUE(m.state().cd.repeat);
    EXPECT_FALSE(m.state().tape2.autoSpace);
}

// ---- cutting the byte stream ----

TEST(SimCodeFraming, CodesBackToBackAreCutAtEveryThirdCharacter)
{
    DeviceModel m;
    LineFeeder line(m);
    line.press("0<30<30;:0<5");
    ASSERT_EQ(m.received().size(), 4u);
    EXPECT_EQ(m.received()[2].code, "0;:");
    EXPECT_EQ(m.state().volume, 32);
    // Logged at the arrival of the third character.
    EXPECT_NEAR(m.received()[1].time - m.received()[0].time, 0.1, 1e-9);
}

TEST(SimCodeFraming, StrayBytesAreDroppedAndAZeroStartsAFreshCode)
{
    DeviceModel m;
    LineFeeder line(m);
    line.send("x\r\n0<");  // noise, then a code cut short by ...
    line.press("0<3");      // ... a new code starting with '0'
    line.press("0A3");      // no such group
    line.press("0<Z0<4");   // third character out of range
    ASSERT_EQ(m.received().size(), 2u);
    EXPECT_EQ(m.received()[0].code, "0<3");
    EXPECT_EQ(m.received()[1].code, "0<4");
    EXPECT_EQ(m.state().volume, 30);
    EXPECT_GT(m.strayBytes(), 0u);
}

TEST(SimCodeFraming, APartialCodeExpiresAfterALongGap)
{
    DeviceModel m;
    LineFeeder line(m);
    line.send("0<");
    line.t += 1.0;
    line.press("3");
    EXPECT_TRUE(m.received().empty());
    EXPECT_EQ(m.state().volume, 30);
}

TEST(SimCodeFraming, WellFormedCodesOutsideTheTableAreLoggedAsUnknown)
{
    DeviceModel m;
    LineFeeder line(m);
    line.press("0<A");
    ASSERT_EQ(m.received().size(), 1u);
    EXPECT_EQ(m.received()[0].reception, Reception::Unknown);
    EXPECT_TRUE(m.state() == DeviceModel().state());
}
