// Station keys against the device model: band switch, slot search, presets
// and the code repeat for the slots above 10.

#include "tuner_support.h"

namespace {

class StationKeyTest : public TunerTest {};

}  // namespace

TEST_F(StationKeyTest, EmptyKeySendsNothingAndChangesNothing)
{
    startQuiet();
    ASSERT_TRUE(form->keyFrequency[23].isEmpty());  // the sample's slot 23
    form->stationT[2]->setBackColor(colours::green);
    const QString name = form->nameA->text();
    const QString freq = form->frequenzA->text();
    clearLine();
    click(form->stationT[23]);
    run(1);
    EXPECT_TRUE(codeTexts().empty());
    EXPECT_EQ(form->nameA->text(), name);
    EXPECT_EQ(form->frequenzA->text(), freq);
    EXPECT_EQ(form->stationT[2]->backColor(), colours::green);
}

TEST_F(StationKeyTest, FmKeySelectsFmOnlyWhenAnotherSourceShows)
{
    startQuiet();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("FM"));
    clearLine();
    click(form->stationT[7]);  // " 93.70", slot 7
    run(0.5);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"09="}));

    click(form->Quelle[6]);  // cd
    run(0.5);
    clearLine();
    // The keys are hidden under CD; the switch timer and the import call
    // the procedure all the same.
    form->stationT_Click(7);
    run(0.5);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"0<9", "0<<", "09="}));
    EXPECT_EQ(form->quelA->text(), QStringLiteral("FM"));
    EXPECT_EQ(device.state().slot, 7);

    click(form->Quelle[2]);  // am: the band changes on the way back
    run(4);
    clearLine();
    click(form->stationT[7]);
    run(0.5);
    // Once the band change's dump is in, one more shows the preset's station.
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"0<9", "0<<", "0:7", "09=", "0:7"}));
}

TEST_F(StationKeyTest, KeyThatChangesTheBandEndsShowingItsOwnStation)
{
    device.state().am = sim::Station{sim::Band::Am, 549};  // the AM band's last station, key 25
    startQuiet();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("FM"));
    clearLine();
    const double t0 = now();
    click(form->stationT[24]);  // "1440", slot 24: 25 times the preset of slot 4
    EXPECT_NEAR(now() - t0, 0.5 + 5.6, 0.05);  // the key still waits as long
    run(0.5);
    const auto sent = codeTexts();
    ASSERT_EQ(sent.size(), 28u);
    EXPECT_EQ(sent[1], "0:7");  // asked before the presets: that dump shows 549
    EXPECT_EQ(sent[26], "093");
    EXPECT_EQ(sent[27], "0:7");  // asked again after the last preset
    EXPECT_EQ(device.state().am.value, 1440);
    EXPECT_EQ(form->currentFrequency.toLongLong(), 1440);
    EXPECT_EQ(form->nameA->text(), QStringLiteral("Radio Luxemburg"));
    EXPECT_EQ(form->stationT[24]->backColor(), colours::green);
    EXPECT_EQ(form->stationT[25]->backColor(), colours::black);
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_TRUE(form->formEnabled());
}

TEST_F(StationKeyTest, SlotsOneToTenSendTheirPresetOnce)
{
    startQuiet();
    clearLine();
    const double t0 = now();
    click(form->stationT[7]);
    EXPECT_LT(now() - t0, 0.01);  // no wait for a preset
    run(3);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"09="}));
    EXPECT_EQ(form->currentFrequency.toString(), QStringLiteral(" 93.70"));
    EXPECT_EQ(form->stationT[7]->backColor(), colours::green);
    EXPECT_EQ(device.state().slot, 7);
}

TEST_F(StationKeyTest, HighSlotsRepeatTheirPresetBackToBack)
{
    startQuiet();
    struct Case {
        int key;
        std::string code;
        int times;
        double wait;
    };
    // Slot 30 is empty in the sample; give it a station on both sides.
    form->slotFrequency[30] = form->keyFrequency[30] = QStringLiteral("108.00");
    device.state().slots[29] = sim::Station{sim::Band::Fm, 10800};

    for (const Case &c : {Case{14, "093", 15, 3.6}, Case{29, "09;", 25, 5.6}, Case{30, "09:", 35, 7.6}}) {
        SCOPED_TRACE(c.key);
        clearLine();
        const double t0 = now();
        click(form->stationT[c.key]);
        EXPECT_NEAR(now() - t0, c.wait, 0.02);
        const auto sent = codeTexts();
        ASSERT_EQ(int(sent.size()), c.times);
        for (const auto &s : sent)
            EXPECT_EQ(s, c.code);
        const auto t = timesOf(c.code);
        EXPECT_NEAR(t.back() - t.front(), (c.times - 1) * 0.1, 0.01);  // back to back
        EXPECT_EQ(device.state().slot, c.key);
        EXPECT_FALSE(form->Timer3->isEnabled());
        EXPECT_EQ(form->Timer3->interval(), 200);
        EXPECT_TRUE(form->formEnabled());
    }
}

TEST_F(StationKeyTest, LowerOfTwoEqualSlotsWins)
{
    startQuiet();
    form->slotFrequency[4] = QStringLiteral("102.70");  // also in slot 16
    clearLine();
    click(form->stationT[16]);
    run(0.5);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"093"}));
}

TEST_F(StationKeyTest, StationInNoSlotSwitchesBandAndDisplaysButSendsNothing)
{
    startQuiet();
    click(form->Quelle[6]);
    run(0.5);
    form->keyFrequency[5] = QStringLiteral(" 99.99");
    clearLine();
    form->stationT_Click(5);
    run(0.5);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"0<9", "0<<"}));
    EXPECT_EQ(form->nameA->text(), QStringLiteral(" 99.99"));
    EXPECT_EQ(form->currentFrequency.toString(), QStringLiteral(" 99.99"));
    for (int i : {23, 27, 30})
        EXPECT_EQ(form->slotFrequency[i], QStringLiteral("1111.11")) << i;
}

TEST_F(StationKeyTest, SlotAddressingWithoutBandSwitch)
{
    startQuiet();
    click(form->Quelle[6]);
    run(0.5);
    clearLine();
    form->stationT_Click(10005);
    run(0.5);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"092"}));
    EXPECT_EQ(form->currentFrequency.toString(), form->slotFrequency[5]);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("CD"));
}

TEST_F(StationKeyTest, DirectModeTakesTheIndexAsSlot)
{
    startQuiet();
    form->currentFrequency = QStringLiteral(" 99.99");
    form->slotDirectMode = 1;
    clearLine();
    const double t0 = now();
    form->stationT_Click(12);
    EXPECT_NEAR(now() - t0, 3.6, 0.02);
    EXPECT_EQ(count("095"), 15);
    EXPECT_EQ(codeTexts().size(), 15u);
    EXPECT_EQ(form->currentFrequency.toString(), QStringLiteral(" 99.99"));

    clearLine();
    form->stationT_Click(10005);  // no slot in this mode
    run(0.5);
    EXPECT_TRUE(codeTexts().empty());
}

TEST_F(StationKeyTest, IndexWithoutSlotSelectsAndSendsNothing)
{
    startQuiet();
    const QVariant before = form->currentFrequency;
    const QString name = form->nameA->text();
    clearLine();
    for (int index : {10000, 0, -1, 31, 10031, 20000}) {
        form->stationT_Click(index);
        form->slotDirectMode = 1;
        form->stationT_Click(index);
        form->slotDirectMode = 0;
    }
    run(1);
    EXPECT_TRUE(codeTexts().empty());
    EXPECT_EQ(form->currentFrequency, before);
    EXPECT_EQ(form->nameA->text(), name);
}

TEST_F(StationKeyTest, MalformedKeyFrequencyEndsQuietly)
{
    startQuiet();
    form->keyFrequency[3] = QStringLiteral("UKW");
    clearLine();
    click(form->stationT[3]);
    run(0.5);
    EXPECT_TRUE(codeTexts().empty());
    click(form->stationT[7]);  // the window still works
    run(0.5);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"09="}));
}
