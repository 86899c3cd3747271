// What each code of the remote control does to the device, and how the byte
// stream is cut into codes.

#include "line_feeder.h"

#include "link/command_codes.h"
#include "model/device_model.h"

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
    cmd::Code code;
    std::function<void(DeviceState &)> arrange;  // on top of middleState()
    std::function<void(DeviceState &)> expect;   // what the code changes
};

void none(DeviceState &) {}
void onTape1(DeviceState &s) { s.source = Source::Tape1; }

std::vector<CodeCase> codeCases()
{
    std::vector<CodeCase> cases = {
        {cmd::CdForward, [](auto &s) { s.cd.transport = Transport::Playing; },
         [](auto &s) { s.cd.transport = Transport::Forward; }},
        {cmd::CdStop, [](auto &s) { s.cd.transport = Transport::Playing; s.cd.abStage = 2; },
         [](auto &s) { s.cd.transport = Transport::Stopped; s.cd.track = 1; s.cd.abStage = 0; }},
        {cmd::CdPause, [](auto &s) { s.cd.transport = Transport::Playing; },
         [](auto &s) { s.cd.transport = Transport::Paused; }},
        {cmd::CdStart, none, [](auto &s) { s.cd.transport = Transport::Playing; }},
        {cmd::CdSkipForward, none, [](auto &s) { s.cd.track = 4; }},
        {cmd::CdSkipBack, none, [](auto &s) { s.cd.track = 2; }},
        {cmd::CdGoto, none, [](auto &s) { s.cd.gotoPresses = 1; }},
        {cmd::CdSet, none, [](auto &s) { s.cd.programmed = 4; }},
        {cmd::CdClear, none, [](auto &s) { s.cd.programmed = 0; }},
        {cmd::CdTime, none, [](auto &s) { s.cd.timeMode = 1; }},
        {cmd::CdAB, none, [](auto &s) { s.cd.abStage = 1; }},
        {cmd::PresetStepForward, none, [](auto &s) { s.source = Source::Tuner; s.slot = 4; s.fm = *s.slots[3]; }},
        {cmd::PresetStepBack, none, [](auto &s) { s.source = Source::Tuner; s.slot = 2; s.fm = *s.slots[1]; }},
        {cmd::SourceTape1, none, [](auto &s) { s.source = Source::Tape1; }},
        {cmd::SourceTape2, none, [](auto &s) { s.source = Source::Tape2; }},
        {cmd::Forward, onTape1, [](auto &s) { s.tape1.transport = Transport::Forward; }},
        {cmd::Rewind, onTape1, [](auto &s) { s.tape1.transport = Transport::Rewind; }},
        {cmd::TapeStop, [](auto &s) { onTape1(s); s.tape1.transport = Transport::Playing; },
         [](auto &s) { s.tape1.transport = Transport::Stopped; }},
        {cmd::PauseLift, [](auto &s) { onTape1(s); s.tape1.transport = Transport::Playing; },
         [](auto &s) { s.tape1.transport = Transport::Paused; s.tape1.beforePause = Transport::Playing; }},
        {cmd::Start, onTape1, [](auto &s) { s.tape1.transport = Transport::Playing; }},
        {cmd::LowBass, none, none},  // only prepares the next bass step
        {cmd::HBlend, none, [](auto &s) { s.hblend = true; }},
        {cmd::TapeReset, onTape1, [](auto &s) { s.tape1.counterResets = 1; }},
        {cmd::TapeSet, onTape1, [](auto &s) { s.tape1.setPresses = 1; }},
        {cmd::TapeMemo, onTape1, [](auto &s) { s.tape1.memo = true; }},
        {cmd::AutoSpaceRepeat, onTape1, [](auto &s) { s.tape1.autoSpace = true; }},
        {cmd::TapeRecord, onTape1, [](auto &s) { s.tape1.recordArmed = true; }},
        {cmd::BassCentre, none, [](auto &s) { s.bass = 0; }},
        {cmd::Mono, none, [](auto &s) { s.mono = true; }},
        {cmd::Copy, none, [](auto &s) { s.copying = true; }},
        {cmd::BassUp, none, [](auto &s) { s.bass = 8; }},
        {cmd::BassDown, none, [](auto &s) { s.bass = 4; }},
        {cmd::BalanceCentre, none, [](auto &s) { s.balance = 0; }},
        {cmd::BalanceRight, none, [](auto &s) { s.balance = 6; }},
        {cmd::BalanceLeft, none, [](auto &s) { s.balance = 4; }},
        {cmd::Loudness, none, [](auto &s) { s.loudness = true; }},
        {cmd::TrebleUp, none, [](auto &s) { s.treble = -2; }},
        {cmd::TrebleDown, none, [](auto &s) { s.treble = -6; }},
        {cmd::Filter20Hz, none, [](auto &s) { s.filter20Hz = true; }},
        {cmd::PowerOff, [](auto &s) { s.cd.transport = Transport::Playing; },
         [](auto &s) { s.standby = true; s.cd.transport = Transport::Stopped; }},
        {cmd::VolumeUp, none, [](auto &s) { s.volume = 31; }},
        {cmd::VolumeDown, none, [](auto &s) { s.volume = 29; }},
        {cmd::Mute, none, [](auto &s) { s.mute = true; }},
        {cmd::Equaliser, none, [](auto &s) { s.equaliser = true; }},
        {cmd::SourceTuner, none, [](auto &s) { s.source = Source::Tuner; s.band = Band::Am; }},
        {cmd::SourceTv, none, [](auto &s) { s.source = Source::Tv; }},
        {cmd::TunerFm, [](auto &s) { s.band = Band::Am; }, [](auto &s) { s.source = Source::Tuner; s.band = Band::Fm; }},
        {cmd::SourcePhono, none, [](auto &s) { s.source = Source::Phono; }},
        {cmd::SourceCd, [](auto &s) { s.source = Source::Tv; }, [](auto &s) { s.source = Source::Cd; }},
        {cmd::Speaker1, none, [](auto &s) { s.speaker1 = false; }},
        {cmd::Speaker2, none, [](auto &s) { s.speaker2 = true; }},
        {cmd::TestDisplay, none, [](auto &s) { s.displayTests = 1; }},
    };
    // Presets 1..10 put the tuner on their slot, whatever played before.
    for (int slot = 1; slot <= 10; ++slot)
        cases.push_back({cmd::presetOfSlot[slot - 1], [](auto &s) { s.band = Band::Am; },
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
    std::set<cmd::Code> covered;
    for (const CodeCase &c : codeCases())
        covered.insert(c.code);
    covered.insert(cmd::StatusRequest);
    EXPECT_EQ(covered.size(), cmd::all.size());
    for (cmd::Code code : cmd::all)
        EXPECT_TRUE(covered.count(code)) << code;
}

TEST(SimDeviceCodes, LevelsStopAtTheirEnds)
{
    DeviceModel m;
    LineFeeder line(m);
    line.hold(cmd::VolumeUp, 90);
    line.hold(cmd::BalanceLeft, 90);
    line.hold(cmd::BassUp, 8);
    line.hold(cmd::TrebleDown, 8);
    EXPECT_EQ(m.state().volume, 81);
    EXPECT_EQ(m.state().balance, -80);
    EXPECT_EQ(m.state().bass, 10);
    EXPECT_EQ(m.state().treble, -10);

    line.hold(cmd::VolumeDown, 90);
    line.hold(cmd::BalanceRight, 170);
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
        line.hold(cmd::TrebleDown, 11);
        line.hold(cmd::TrebleUp, 5);
        EXPECT_EQ(m.state().treble, 0) << "from " << start;
    }
}

TEST(SimDeviceCodes, EqualiserBypassesTheToneControls)
{
    DeviceModel m;
    m.state().bass = 4;
    LineFeeder line(m);
    line.press(cmd::Equaliser);
    line.press(cmd::BassUp);
    line.press(cmd::TrebleDown);
    line.press(cmd::BassCentre);
    EXPECT_EQ(m.state().bass, 4);
    EXPECT_EQ(m.state().treble, 0);
    line.press(cmd::Equaliser);
    line.press(cmd::BassUp);
    EXPECT_EQ(m.state().bass, 6);
}

TEST(SimDeviceCodes, LowBassKeyStepsLowBassOnlyWithTheCodeRightAfterIt)
{
    DeviceModel m;
    LineFeeder line(m);
    line.send(cmd::LowBass);
    line.press(cmd::BassUp);  // back to back, as the low-bass key sends them
    EXPECT_EQ(m.state().lowBass, 2);
    EXPECT_EQ(m.state().bass, 0);

    line.send(cmd::LowBass);
    line.press(cmd::BassDown);
    line.send(cmd::LowBass);
    line.press(cmd::BassDown);
    EXPECT_EQ(m.state().lowBass, -2);

    line.press(cmd::LowBass, 1.0);  // a second later it is the ordinary bass
    line.press(cmd::BassUp);
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

    line.press(cmd::SourceTuner);  // the "am" key
    EXPECT_EQ(m.state().source, Source::Tuner);
    EXPECT_EQ(m.state().band, Band::Am);
    line.press(cmd::SourceTuner);  // pressed again
    EXPECT_EQ(m.state().band, Band::Am);

    line.send(cmd::SourceTuner);  // the "fm" key: both codes back to back
    line.press(cmd::TunerFm);
    EXPECT_EQ(m.state().band, Band::Fm);
    // Each band keeps its station.
    EXPECT_EQ(m.state().fm, fm);
    EXPECT_EQ(m.state().am, am);
}

TEST(SimDeviceCodes, TransportKeysGoToThePlayerOfTheSource)
{
    DeviceModel m;
    LineFeeder line(m);
    line.press(cmd::SourceTape2);
    line.press(cmd::TapeRecord);
    line.press(cmd::Start);
    EXPECT_EQ(m.state().tape2.transport, Transport::Recording);
    EXPECT_EQ(m.state().tape1.transport, Transport::Stopped);
    line.press(cmd::PauseLift);
    line.press(cmd::PauseLift);
    EXPECT_EQ(m.state().tape2.transport, Transport::Recording);  // pause resumes what ran

    line.press(cmd::SourcePhono);
    line.press(cmd::Start);
    line.press(cmd::PauseLift);
    EXPECT_TRUE(m.state().phono.playing);
    EXPECT_TRUE(m.state().phono.armLifted);
    line.press(cmd::Start);
    EXPECT_FALSE(m.state().phono.playing);
    EXPECT_EQ(m.state().tape2.transport, Transport::Recording);

    line.press(cmd::SourceCd);
    line.press(cmd::AutoSpaceRepeat);
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
