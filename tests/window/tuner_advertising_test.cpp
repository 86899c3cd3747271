// The advertising fallback: a press jumps to the chosen slot, a second
// press or the next full or half hour comes back.

#include "tuner_support.h"

namespace {

class AdvertisingTest : public TunerTest {
protected:
    // Starts at `time`, tunes key 12 (" 98.50", slot 12) and chooses slot 3
    // as the fallback.
    void startOnSlot12(QTime time)
    {
        startQuiet(QDateTime(QDate(2026, 12, 7), time));
        click(form->stationT[12]);
        chooseFallback(QStringLiteral(" 3"));
        clearLine();
    }
    // Seconds from the start until `time` of the start day.
    double secondsUntil(QTime from, QTime to) const { return from.secsTo(to); }
};

}  // namespace

TEST_F(AdvertisingTest, PressJumpsToTheFallbackAndASecondPressComesBack)
{
    startOnSlot12(QTime(10, 0));
    click(form->Werbeauto);
    run(1);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::red);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"094"}));
    EXPECT_EQ(form->returnSlot.toInt(), 12);
    EXPECT_TRUE(form->schalttimer->isEnabled());
    EXPECT_EQ(device.state().slot, 3);

    clearLine();
    click(form->Werbeauto);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::black);
    EXPECT_FALSE(form->schalttimer->isEnabled());
    EXPECT_EQ(codeTexts(), std::vector<std::string>(15, "095"));
    EXPECT_EQ(device.state().slot, 12);
}

TEST_F(AdvertisingTest, TheLastSlotOfTheListIsAFallbackToo)
{
    startQuiet();
    showConfig();
    input->focus(form->Ausweichsender);
    input->key(Qt::Key_End);
    ASSERT_EQ(form->Ausweichsender->currentText(), QStringLiteral("30"));
    click(form->Quelle[1]);  // back to the tuner
    run(1);
    clearLine();
    click(form->Werbeauto);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::red);
    EXPECT_EQ(codeTexts(), std::vector<std::string>(35, "09:"));
}

TEST_F(AdvertisingTest, ReturnsAtTheFirstTickOfTheHalfHour)
{
    const QTime start(10, 28);
    startOnSlot12(start);
    run(secondsUntil(start, QTime(10, 29, 55)) - now());
    click(form->Werbeauto);
    ASSERT_EQ(form->Werbeauto->backColor(), colours::red);

    run(secondsUntil(start, QTime(10, 30)) - now());
    EXPECT_EQ(form->Werbeauto->backColor(), colours::red);  // the tick comes at 10:30:05
    EXPECT_EQ(count("095"), 0);

    run(12);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::black);
    EXPECT_FALSE(form->schalttimer->isEnabled());
    const auto t = timesOf("095");
    ASSERT_EQ(t.size(), 15u);
    const double tick = secondsUntil(start, QTime(10, 30, 5));
    EXPECT_GE(t.front(), tick);
    EXPECT_LT(t.front(), tick + 0.2);
    EXPECT_EQ(device.state().slot, 12);
}

TEST_F(AdvertisingTest, PressInsideTheHalfHourReturnsTenSecondsLater)
{
    const QTime start(10, 29);
    startOnSlot12(start);
    run(secondsUntil(start, QTime(10, 30, 20)) - now());
    click(form->Werbeauto);
    run(9);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::red);
    run(2);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::black);
    EXPECT_EQ(count("095"), 15);
}

TEST_F(AdvertisingTest, PeriodicRefreshKeepsTheSwitchTimerOnWhileRed)
{
    startAndSettle(QDateTime(QDate(2026, 12, 7), QTime(10, 10)));
    click(form->stationT[12]);
    chooseFallback(QStringLiteral(" 3"));
    click(form->Werbeauto);
    form->schalttimer->setEnabled(false);
    run(33);
    EXPECT_TRUE(form->schalttimer->isEnabled());
}

TEST_F(AdvertisingTest, TickWaitsWhileAStatusExchangeIsPending)
{
    startOnSlot12(QTime(10, 29, 50));
    click(form->Werbeauto);
    run(20);  // now in minute 30
    clearLine();
    form->Werbeauto->setBackColor(colours::red);
    form->statusPending = 1;
    form->schalttimer_Timer();
    EXPECT_EQ(form->Werbeauto->backColor(), colours::red);
    EXPECT_TRUE(codeTexts().empty());
    form->statusPending = 0;
    form->schalttimer_Timer();
    EXPECT_EQ(form->Werbeauto->backColor(), colours::black);
}

TEST_F(AdvertisingTest, WithoutAFallbackSlotThePressDoesNothing)
{
    startQuiet();
    form->Ausweichsender->setCurrentIndex(-1);  // as config.dat's -1 leaves it
    clearLine();
    click(form->Werbeauto);
    run(1);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::black);
    EXPECT_FALSE(form->schalttimer->isEnabled());
    EXPECT_TRUE(codeTexts().empty());
}

TEST_F(AdvertisingTest, ReturnWithoutASlotOnlyTurnsTheKeyBlack)
{
    startQuiet();
    form->currentFrequency = QStringLiteral(" 99.99");  // in no slot
    chooseFallback(QStringLiteral(" 3"));
    click(form->Werbeauto);
    ASSERT_EQ(form->Werbeauto->backColor(), colours::red);
    EXPECT_FALSE(form->returnSlot.isValid());
    run(1);
    clearLine();
    click(form->Werbeauto);
    run(1);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::black);
    EXPECT_TRUE(codeTexts().empty());
}

TEST_F(AdvertisingTest, StationInNoSlotReturnsToTheSlotOfAnEarlierBreak)
{
    startOnSlot12(QTime(10, 0));
    click(form->Werbeauto);
    click(form->Werbeauto);
    form->currentFrequency = QStringLiteral(" 99.99");
    click(form->Werbeauto);
    clearLine();
    click(form->Werbeauto);
    EXPECT_EQ(count("095"), 15);
}
