// The level sliders and the centre keys: the bursts they send, with their
// timing, read from the line.

#include "amp_fixture.h"

namespace {

class AmpLevels : public AmpTest {};

// Arrival times of a burst of n codes written from time `start` on, one
// every 200 ms, the first one interval after the start.
std::vector<double> burst(double start, int n)
{
    std::vector<double> t;
    for (int i = 1; i <= n; ++i)
        t.push_back(start + 0.2 * i + 0.1);
    return t;
}

void expectTimes(const std::vector<double> &got, const std::vector<double> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 0.005) << "code " << i;
}

}  // namespace

TEST_F(AmpLevels, VolumeOneUpSendsTheCodeTwice)
{
    settle();
    const double t0 = now();
    releaseAt(form->volR, 41);
    EXPECT_EQ(form->volA->text(), QStringLiteral("41"));
    EXPECT_EQ(form->volumeLevel.toInt(), 41);
    EXPECT_TRUE(form->dauertimer->isEnabled());
    run(2.0);
    EXPECT_EQ(sentFrom(t0), (std::vector<std::string>{"0<3", "0<3"}));
    expectTimes(timesOf("0<3", t0), burst(t0, 2));
    EXPECT_TRUE(form->formEnabled());
}

TEST_F(AmpLevels, VolumeDownAndUnchanged)
{
    settle();
    double t0 = now();
    releaseAt(form->volR, 30);
    run(3.0);
    EXPECT_EQ(count("0<4", t0), 11);
    EXPECT_EQ(sentFrom(t0).size(), 11u);

    // A pointer action that leaves the value sends nothing and keeps the refresh running.
    t0 = now();
    releaseAt(form->volR, 30);
    EXPECT_TRUE(form->dauertimer->isEnabled());
    run(1.0);
    EXPECT_TRUE(sentFrom(t0).empty());
}

TEST_F(AmpLevels, VolumeBeforeAnyDumpCountsFromZero)
{
    device.setSilent(true);
    ASSERT_TRUE(start());
    run(2.5);  // no answer: the window shows "off"
    device.setSilent(false);
    click(form->Quelle[6]);  // brings the sliders back without a dump
    ASSERT_FALSE(form->volumeLevel.isValid());
    const double t0 = now();
    releaseAt(form->volR, 45);
    run(12.0);
    EXPECT_EQ(count("0<3", t0), 46);
    EXPECT_EQ(form->volumeLevel.toInt(), 45);
}

TEST_F(AmpLevels, UnreadableVolumeLevelSendsNothing)
{
    settle();
    form->volumeLevel = QStringLiteral("x?");  // as a damaged dump leaves it
    const double t0 = now();
    releaseAt(form->volR, 50);
    run(3.0);
    EXPECT_TRUE(sentFrom(t0).empty());
    EXPECT_TRUE(form->dauertimer->isEnabled());
    EXPECT_TRUE(form->formEnabled());
}

TEST_F(AmpLevels, BalanceThreeToTheLeft)
{
    settle();
    form->balR->setValue(0);
    const double t0 = now();
    releaseAt(form->balR, -3);
    run(2.0);
    EXPECT_EQ(sentFrom(t0), (std::vector<std::string>(4, "0;;")));
    EXPECT_EQ(form->balA->text(), QStringLiteral("-3"));
    EXPECT_EQ(form->balanceLevel.toInt(), -3);

    // From a level the dump gave as text ("R" side keeps the characters).
    form->balanceLevel = QStringLiteral("05");
    const double t1 = now();
    releaseAt(form->balR, 7);
    run(2.0);
    EXPECT_EQ(sentFrom(t1), (std::vector<std::string>(3, "0;:")));
}

TEST_F(AmpLevels, BassGoesToTheMiddleThenSteps)
{
    settle();
    struct Case {
        int value;
        std::vector<std::string> codes;
        const char *readOut;
    };
    const std::vector<Case> cases = {
        {3, {"0;1", "0;7", "0;7", "0;7"}, "6"},
        {-5, {"0;1", "0;8", "0;8", "0;8", "0;8", "0;8"}, "-10"},
        {0, {"0;1"}, "0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        const double t0 = now();
        releaseAt(form->bassR, c.value);
        EXPECT_EQ(form->bassA->text(), QLatin1String(c.readOut));
        run(2.0);
        EXPECT_EQ(sentFrom(t0), c.codes);
        EXPECT_NEAR(timesOf("0;1", t0).front(), t0 + 0.1, 0.005);  // at once, not through the repeater
        EXPECT_TRUE(form->dauertimer->isEnabled());
    }
}

TEST_F(AmpLevels, TrebleRunsDownThenToTheMiddleThenOut)
{
    settle();
    QString readOutDuring;
    world->sched.schedule(now() + 1.0, [&] { readOutDuring = form->trebA->text(); });
    bool refreshDuring = true;
    world->sched.schedule(now() + 4.0, [&] { refreshDuring = form->dauertimer->isEnabled(); });
    const double t0 = now();
    releaseAt(form->trebR, 2);
    // The handler waits 2.8 s and 1.6 s before its last burst.
    EXPECT_NEAR(now() - t0, 4.4, 0.02);
    EXPECT_EQ(readOutDuring, QStringLiteral("4"));
    EXPECT_FALSE(refreshDuring);
    EXPECT_TRUE(form->dauertimer->isEnabled());
    run(2.0);

    std::vector<std::string> want(11, "0;@");
    want.insert(want.end(), 7, "0;?");
    EXPECT_EQ(sentFrom(t0), want);
    expectTimes(timesOf("0;@", t0), burst(t0, 11));
    std::vector<double> ups = burst(t0 + 2.8, 5);
    const std::vector<double> out = burst(t0 + 4.4, 2);
    ups.insert(ups.end(), out.begin(), out.end());
    expectTimes(timesOf("0;?", t0), ups);
}

TEST_F(AmpLevels, TrebleReadsTheSliderAgainAfterItsWaits)
{
    settle();
    // The status decoding sets the slider while the handler waits.
    world->sched.schedule(now() + 3.0, [&] { form->trebR->setValue(-1); });
    const double t0 = now();
    releaseAt(form->trebR, 4);
    run(2.0);
    EXPECT_EQ(count("0;@", t0), 12);
    EXPECT_EQ(count("0;?", t0), 5);
}

TEST_F(AmpLevels, CentreKeys)
{
    settle();
    form->bassR->setValue(4);
    form->balR->setValue(-20);
    form->balanceLevel = -20;

    double t0 = now();
    click(form->bassA);
    click(form->balA);
    run(2.0);
    EXPECT_EQ(sentFrom(t0), (std::vector<std::string>{"0;1", "0;9"}));
    EXPECT_EQ(form->bassR->value(), 0);
    EXPECT_EQ(form->bassA->text(), QStringLiteral("0"));
    EXPECT_EQ(form->balR->value(), 0);
    EXPECT_EQ(form->balA->text(), QStringLiteral("0"));
    EXPECT_EQ(form->balanceLevel.toInt(), 0);

    // Treble: eleven down, then five up that go out after the handler has returned.
    form->trebR->setValue(3);
    t0 = now();
    click(form->trebA);
    const double returned = now();
    EXPECT_NEAR(returned - t0, 2.8, 0.02);
    EXPECT_EQ(form->trebA->text(), QStringLiteral("0"));
    EXPECT_EQ(form->trebR->value(), 0);
    run(2.0);
    std::vector<std::string> want(11, "0;@");
    want.insert(want.end(), 5, "0;?");
    EXPECT_EQ(sentFrom(t0), want);
    EXPECT_EQ(count("0;?", returned), 5);
}

TEST_F(AmpLevels, BurstStartedDuringABurstReplacesIt)
{
    settle();
    // Another handler, from a timer, starts the bass while the volume burst runs.
    world->sched.schedule(now() + 0.5, [&] {
        form->bassR->setValue(2);
        form->bassR_Scroll();
    });
    const double t0 = now();
    releaseAt(form->volR, 50);  // 11 codes
    run(4.0);
    const auto sent = sentFrom(t0);
    EXPECT_EQ(sent, (std::vector<std::string>{"0<3", "0<3", "0;1", "0;7", "0;7"}));
    EXPECT_TRUE(form->formEnabled());
    EXPECT_FALSE(form->Timer3->isEnabled());
}

TEST_F(AmpLevels, MouseDragOnVolumeSendsTheBurstOnce)
{
    settle();
    QSlider *s = form->volR;
    const QPoint from = UserInput::handleCentre(s);
    const QPoint to(s->width() - 2, from.y());
    const double t0 = now();
    input->press(s, from);
    for (int x = from.x() + 5; x < to.x(); x += 5)
        input->move(s, QPoint(x, from.y()));
    input->move(s, to);
    run(0.5);
    EXPECT_TRUE(sentFrom(t0).empty());  // nothing until the button comes up
    const int moved = s->value();
    ASSERT_GT(moved, 60);
    input->release(s, to);
    EXPECT_EQ(s->value(), moved);
    run(0.2 * (moved - 40 + 1) + 2.0);
    EXPECT_EQ(count("0<3", t0), moved - 40 + 1);
    EXPECT_EQ(sentFrom(t0).size(), size_t(moved - 40 + 1));
    EXPECT_EQ(form->volA->text(), QString::number(moved));
}
