// The tuner: presets, held preset keys reaching slots 11..30, preset stepping,
// seeking, and standby.

#include "line_feeder.h"

#include "model/device_model.h"
#include "model/dump.h"

#include <gtest/gtest.h>

using namespace sim;
using simtest::LineFeeder;

namespace {

// Slot i holds a distinct FM station 90.00 + i/10 MHz, so every slot is
// recognisable by its frequency.
SlotMemory numberedSlots()
{
    SlotMemory slots;
    for (int i = 1; i <= 30; ++i)
        slots[i - 1] = Station{Band::Fm, 9000 + 10 * i};
    return slots;
}

int tunedSlot(const DeviceModel &m)
{
    return (m.state().fm.value - 9000) / 10;
}

// What a station key sends for a slot, as the window's code repeater does.
int repeatsFor(int slot) { return slot <= 10 ? 1 : slot <= 20 ? 15 : slot < 30 ? 25 : 35; }
const char *codeFor(int slot)
{
    static const char *const memoryKeys[] = {"096", "095", "094", "093", "092", "09>", "09=", "09<", "09;", "09:"};
    return memoryKeys[(slot - 1) % 10];
}

}  // namespace

TEST(SimPresets, EveryStationKeyReachesItsSlot)
{
    for (int slot = 1; slot <= 30; ++slot) {
        DeviceModel m(numberedSlots());
        m.state().source = Source::Cd;
        LineFeeder line(m);
        line.hold(codeFor(slot), repeatsFor(slot));
        EXPECT_EQ(tunedSlot(m), slot);
        EXPECT_EQ(m.state().slot, slot);
        EXPECT_EQ(m.state().source, Source::Tuner);
    }
}

TEST(SimPresets, TheTenthKeyNeedsTheLongHoldForSlotThirty)
{
    DeviceModel m(numberedSlots());
    LineFeeder line(m);
    line.hold("09:", 25);
    EXPECT_EQ(tunedSlot(m), 20);
    line.hold("09:", 35);
    EXPECT_EQ(tunedSlot(m), 30);
    line.hold("09;", 25);
    EXPECT_EQ(tunedSlot(m), 29);
}

TEST(SimPresets, ASingleCodeTunesAtOnceAndSpacedCodesAreSeparatePresses)
{
    DeviceModel m(numberedSlots());
    LineFeeder line(m);
    line.send("093");
    EXPECT_EQ(tunedSlot(m), 4);  // before anything else comes

    // Fifteen presses 200 ms apart (end to end) are no hold.
    for (int i = 0; i < 15; ++i)
        line.press("095", 0.1);
    EXPECT_EQ(tunedSlot(m), 2);
}

TEST(SimPresets, AnotherCodeInBetweenStartsANewHold)
{
    DeviceModel m(numberedSlots());
    LineFeeder line(m);
    line.hold("096", 8, 0.0);
    line.send("0<3");
    line.hold("096", 7);
    EXPECT_EQ(tunedSlot(m), 1);
}

TEST(SimPresets, EmptySlotLeavesTheTunerWhereItWas)
{
    SlotMemory slots = numberedSlots();
    slots[4] = std::nullopt;   // 5
    slots[14] = std::nullopt;  // 15
    DeviceModel m(slots);
    LineFeeder line(m);
    line.press("093");
    line.press("092");
    EXPECT_EQ(tunedSlot(m), 4);
    EXPECT_EQ(m.state().slot, 4);

    // Slot 15 empty: the hold passes slot 5 (empty too) and returns to 4.
    line.hold("092", 15);
    EXPECT_EQ(tunedSlot(m), 4);

    // Slot 14 filled, slot 24 filled: a hold that lands on an empty slot
    // brings back the station from before the key, not slot 4's +10.
    slots = numberedSlots();
    slots[23] = std::nullopt;  // 24
    m.setSlots(slots);
    line.press("09=");
    line.hold("093", 25);
    EXPECT_EQ(tunedSlot(m), 7);
}

TEST(SimPresets, AmSlotsSwitchTheBand)
{
    SlotMemory slots = numberedSlots();
    slots[2] = Station{Band::Am, 1440};
    DeviceModel m(slots);
    LineFeeder line(m);
    line.press("094");
    EXPECT_EQ(m.state().band, Band::Am);
    EXPECT_EQ(displayText(m.state().tuned()), "  1440");
    line.press("096");
    EXPECT_EQ(m.state().band, Band::Fm);
    EXPECT_EQ(m.state().am.value, 1440);  // AM remembers its station
}

TEST(SimPresetStep, StepsThroughFilledSlotsAndWraps)
{
    SlotMemory slots{};
    slots[1] = Station{Band::Fm, 9000};
    slots[6] = Station{Band::Am, 693};
    slots[29] = Station{Band::Fm, 10500};
    DeviceModel m(slots);
    LineFeeder line(m);

    std::vector<int> visited;
    for (int i = 0; i < 4; ++i) {
        line.press("097");
        visited.push_back(m.state().slot);
    }
    EXPECT_EQ(visited, (std::vector<int>{2, 7, 30, 2}));
    line.press("098");
    EXPECT_EQ(m.state().slot, 30);
    EXPECT_EQ(m.state().fm.value, 10500);
}

TEST(SimAutoTune, SeeksThroughTheBandListAndWraps)
{
    DeviceModel m(SlotMemory{});
    m.state().fm = Station{Band::Fm, 10000};
    LineFeeder line(m);
    line.press("0:2");
    EXPECT_EQ(m.state().fm.value, 10020);
    line.press("0:3");  // 100.00 was no station of the list
    EXPECT_EQ(m.state().fm.value, 9880);
    EXPECT_EQ(m.state().slot, 0);

    const auto &fm = receivableStations(Band::Fm);
    m.state().fm = fm.back();
    line.press("0:2");
    EXPECT_EQ(m.state().fm, fm.front());
    line.press("0:3");
    EXPECT_EQ(m.state().fm, fm.back());
}

TEST(SimAutoTune, FindsStoredStationsAndStaysInItsBand)
{
    SlotMemory slots{};
    slots[0] = Station{Band::Fm, 8800};  // between 87.60 and 88.90
    DeviceModel m(slots);
    m.state().fm = Station{Band::Fm, 8760};
    LineFeeder line(m);
    line.press("0:2");
    EXPECT_EQ(m.state().fm.value, 8800);

    m.state().band = Band::Am;
    m.state().am = Station{Band::Am, 1000};
    line.press("0:2");
    EXPECT_EQ(m.state().am.value, 1017);
    EXPECT_EQ(m.state().fm.value, 8800);
}

TEST(SimStandby, IgnoresEverythingButASourceCode)
{
    DeviceModel m;
    LineFeeder line(m);
    line.press("0<2");
    EXPECT_EQ(line.status(), "");
    line.press("0<3");
    line.press("095");
    EXPECT_EQ(m.state().volume, 30);
    EXPECT_EQ(m.state().slot, 1);
    EXPECT_EQ(m.received().back().reception, Reception::Standby);

    line.press("0<>");
    EXPECT_FALSE(m.state().standby);
    EXPECT_EQ(m.state().source, Source::Cd);
    const std::string dump = line.status();
    ASSERT_EQ(dump.size(), dumpLength);
    EXPECT_EQ(dump.substr(52, 2), "CD");
}
