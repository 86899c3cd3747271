// The switch timer's timetable rows: when a row fires, which slot it tunes,
// and what keeps it from firing.

#include "tuner_support.h"

namespace {

const QDate kMonday(2026, 12, 7);

class SwitchTimerTest : public TunerTest {
protected:
    QDateTime startedAt;

    // Starts quietly at `at` with every row off and the switch timer on, as
    // the periodic refresh leaves it when a row is active.
    void startTimer(const QDateTime &at)
    {
        startedAt = at;
        startQuiet(at);
        for (QComboBox *w : form->Woche)
            w->setCurrentIndex(0);
        form->schalttimer->setEnabled(true);
        clearLine();
    }
    void setRow(int i, const QString &day, const QString &hour, const QString &minute, const QString &slot)
    {
        for (auto [list, text] : {std::pair{form->Woche[i], day}, {form->stunde[i], hour},
                                  {form->minuten[i], minute}, {form->sender[i], slot}}) {
            const int index = list->findText(text);
            ASSERT_GE(index, 0) << text.toStdString();
            list->setCurrentIndex(index);
        }
    }
    // Seconds from now until `t` on the start day.
    double until(QTime t) const { return startedAt.time().secsTo(t) - now(); }
    double at(QTime t) const { return startedAt.time().secsTo(t); }
    void runUntil(QTime t) { run(until(t)); }
};

}  // namespace

TEST_F(SwitchTimerTest, DailyRowSwitchesOnEveryTickOfItsMinuteAndNotAfter)
{
    startTimer(QDateTime(kMonday, QTime(7, 29, 50)));
    setRow(0, QStringLiteral("TÄGLICH"), QStringLiteral(" 7"), QStringLiteral("30"), QStringLiteral(" 5"));
    runUntil(QTime(7, 32));

    const auto t = timesOf("092");
    ASSERT_EQ(t.size(), 6u);
    EXPECT_GE(t.front(), at(QTime(7, 30)));
    EXPECT_LT(t.back(), at(QTime(7, 31)));
    for (size_t i = 1; i < t.size(); ++i)
        EXPECT_NEAR(t[i] - t[i - 1], 10.0, 0.05);
    EXPECT_EQ(codeTexts(), std::vector<std::string>(6, "092"));
    EXPECT_EQ(device.state().slot, 5);
}

TEST_F(SwitchTimerTest, TimesAndSlotsAreReadFromTheEntryTexts)
{
    // "23" is list position 22 of the hours, "25 " carries a blank and
    // slot 24 stands at position 22: positions would miss all three.
    startTimer(QDateTime(kMonday, QTime(23, 24, 50)));
    setRow(1, QStringLiteral("TÄGLICH"), QStringLiteral("23"), QStringLiteral("25 "), QStringLiteral("24"));
    runUntil(QTime(23, 25, 12));
    EXPECT_EQ(device.state().slot, 24);
    const auto first = codeTexts();
    ASSERT_GE(first.size(), 25u);
    EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 25), std::vector<std::string>(25, "093"));
}

TEST_F(SwitchTimerTest, WeekdayRowsFireOnlyOnTheirDay)
{
    struct Case {
        QDate date;
        QString day;
        bool fires;
    };
    const Case cases[] = {
        {QDate(2026, 12, 6), QStringLiteral("Sonntag"), true},
        {kMonday, QStringLiteral("Sonntag"), false},
        {QDate(2026, 12, 5), QStringLiteral("Sonntag"), false},
        {QDate(2026, 12, 5), QStringLiteral("Samstag"), true},
        {kMonday, QStringLiteral("Montag"), true},
        {kMonday, QStringLiteral("Dienstag"), false},
        {QDate(2026, 12, 6), QStringLiteral("NIE"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString() + " " + c.day.toStdString());
        form.reset();
        world.reset();
        startTimer(QDateTime(c.date, QTime(7, 29, 50)));
        setRow(2, c.day, QStringLiteral(" 7"), QStringLiteral("30"), QStringLiteral(" 5"));
        runUntil(QTime(7, 30, 15));
        EXPECT_EQ(count("092") > 0, c.fires);
    }
}

TEST_F(SwitchTimerTest, TwoRowsOfTheSameMinuteSwitchInRowOrder)
{
    startTimer(QDateTime(kMonday, QTime(7, 29, 55)));
    setRow(0, QStringLiteral("TÄGLICH"), QStringLiteral(" 7"), QStringLiteral("30"), QStringLiteral("13"));
    setRow(1, QStringLiteral("Montag"), QStringLiteral(" 7"), QStringLiteral("30"), QStringLiteral(" 5"));
    runUntil(QTime(7, 30, 15));  // one tick, at 7:30:08.5
    auto seen = codeTexts();
    ASSERT_EQ(seen.size(), 16u);
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 15), std::vector<std::string>(15, "094"));
    EXPECT_EQ(seen.back(), "092");
    EXPECT_EQ(device.state().slot, 5);
}

TEST_F(SwitchTimerTest, RowWithAListLeftEmptyNeverFires)
{
    // Rows from config.dat: slot, hour and minute missing in turn, each
    // otherwise due at 7:30 every day.
    QByteArray config = readFile(QStringLiteral("config.dat"));
    const qsizetype rows = config.indexOf('\n') + 1;
    ASSERT_GT(rows, 0);
    config.truncate(rows);
    config += "1,7,29,-1\r\n1,-1,29,4\r\n1,7,-1,4\r\n";
    writeFile(QStringLiteral("config.dat"), config);

    startedAt = QDateTime(kMonday, QTime(7, 29, 50));
    startQuiet(startedAt);
    ASSERT_EQ(form->sender[0]->currentIndex(), -1);
    ASSERT_EQ(form->stunde[1]->currentIndex(), -1);
    ASSERT_EQ(form->minuten[2]->currentIndex(), -1);
    form->schalttimer->setEnabled(true);
    clearLine();
    runUntil(QTime(7, 30, 30));
    EXPECT_TRUE(codeTexts().empty());

    // The broken rows before it do not keep the last row from switching.
    form->minuten[2]->setCurrentIndex(form->minuten[2]->findText(QStringLiteral("30")));
    runUntil(QTime(7, 30, 40));  // one tick, at 7:30:33.5
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"092"}));
}

TEST_F(SwitchTimerTest, TickDuringAStatusExchangeIsSkippedAndALaterOneSwitches)
{
    startTimer(QDateTime(kMonday, QTime(7, 29, 50)));
    setRow(0, QStringLiteral("TÄGLICH"), QStringLiteral(" 7"), QStringLiteral("30"), QStringLiteral(" 5"));
    // The dump of this request takes about 2.8 s, over the tick at 7:30:03.5.
    runUntil(QTime(7, 30, 2));
    form->requestStatus();
    runUntil(QTime(7, 30, 3));
    ASSERT_EQ(form->statusPending, 1);
    run(12);
    const auto t = timesOf("092");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_NEAR(t.front(), at(QTime(7, 30, 13)) + 0.5, 0.2);
}

TEST_F(SwitchTimerTest, AdvertisingReturnTakesTheTickAndTheRowsWait)
{
    startTimer(QDateTime(kMonday, QTime(14, 17)));
    click(form->stationT[12]);
    chooseFallback(QStringLiteral(" 3"));
    click(form->Werbeauto);
    ASSERT_EQ(form->Werbeauto->backColor(), colours::red);
    setRow(0, QStringLiteral("TÄGLICH"), QStringLiteral("14"), QStringLiteral("30"), QStringLiteral(" 5"));
    clearLine();

    runUntil(QTime(14, 30, 20));
    const auto back = timesOf("095");
    ASSERT_EQ(back.size(), 15u);  // back to slot 12
    EXPECT_GE(back.front(), at(QTime(14, 30)));
    EXPECT_LT(back.front(), at(QTime(14, 30, 10)));
    EXPECT_EQ(count("092"), 0);
    EXPECT_EQ(form->Werbeauto->backColor(), colours::black);
    EXPECT_FALSE(form->schalttimer->isEnabled());
    EXPECT_EQ(device.state().slot, 12);

    // Enabled again within the minute (the refresh does so), the row fires.
    form->schalttimer->setEnabled(true);
    runUntil(QTime(14, 30, 35));
    EXPECT_GE(count("092"), 1);
    EXPECT_EQ(device.state().slot, 5);
}
