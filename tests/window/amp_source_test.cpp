// The source keys: codes, panels, the tuner band and the station key modes.

#include "amp_fixture.h"

namespace {

class AmpSource : public AmpTest {
protected:
    std::vector<QWidget *> panels() const
    {
        return {form->tunerpanel1, form->tunerpanel2, form->tapepanel1, form->tapepanel2, form->phonopanel,
                form->configpanel1, form->configpanel2, form->configpanel3, form->cdpanel, form->cdpanel2,
                form->nameA, form->frequenzA};
    }
    std::vector<QWidget *> shown() const
    {
        std::vector<QWidget *> out;
        for (QWidget *w : panels())
            if (w->isVisible())
                out.push_back(w);
        return out;
    }
    int greenKey() const
    {
        int found = -1;
        for (int i = 0; i < 9; ++i) {
            if (form->Quelle[i]->backColor() == colours::green) {
                if (found >= 0)
                    return -2;  // more than one
                found = i;
            } else if (form->Quelle[i]->backColor() != colours::black) {
                return -3;
            }
        }
        return found;
    }
};

}  // namespace

TEST_F(AmpSource, EachSourceWritesItsCodeAndShowsOnlyItsPanels)
{
    settle();
    struct Case {
        int index;
        std::vector<std::string> codes;
        const char *name;
        std::vector<QWidget *> panels;
    };
    const std::vector<Case> cases = {
        {0, {"0<;"}, "TV", {}},
        {3, {"09?"}, "Tape 1", {form->tapepanel1, form->tapepanel2}},
        {4, {"09@"}, "Tape 2", {form->tapepanel1, form->tapepanel2}},
        {5, {"0<="}, "Phono", {form->phonopanel}},
        {6, {"0<>"}, "CD", {form->cdpanel, form->cdpanel2}},
        {8, {"0<2"}, "OFF", {}},
        {1, {"0<9", "0<<"}, "FM", {form->tunerpanel1, form->tunerpanel2, form->nameA, form->frequenzA}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        form->Frame3->hide();
        form->dauertimer->setEnabled(false);  // as the memory import leaves it
        const double t0 = now();
        click(form->Quelle[c.index]);
        run(0.4);
        EXPECT_EQ(sentFrom(t0), c.codes);
        EXPECT_EQ(form->quelA->text(), QString::fromUtf8(c.name));
        EXPECT_EQ(greenKey(), c.index);
        EXPECT_EQ(shown(), c.panels);
        EXPECT_TRUE(form->Frame3->isVisible());
        EXPECT_TRUE(form->dauertimer->isEnabled());
    }
}

TEST_F(AmpSource, ChangeOfBandAsksForStatusHalfASecondLater)
{
    device.state().source = sim::Source::Cd;  // the first dump leaves the band unset
    settle();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("CD"));

    // The first tuner selection after the start only writes its code.
    double t0 = now();
    click(form->Quelle[2]);
    run(1.0);
    EXPECT_EQ(codeTexts(t0), (std::vector<std::string>{"0<9"}));
    EXPECT_EQ(form->tunerBand, QStringLiteral("AM"));

    t0 = now();
    click(form->Quelle[1]);
    EXPECT_EQ(form->nameA->text(), QStringLiteral("---"));
    EXPECT_EQ(form->frequenzA->text(), QStringLiteral("---"));
    EXPECT_TRUE(form->nameA->isVisible());
    run(0.2);
    ASSERT_EQ(codeTexts(t0), (std::vector<std::string>{"0<9", "0<<", "0:7"}));
    const auto c = codes();
    const auto &fm1 = c[c.size() - 3], &fm2 = c[c.size() - 2], &req = c[c.size() - 1];
    EXPECT_NEAR(fm1.t - t0, 0.1, 0.01);
    EXPECT_NEAR(fm2.t - fm1.t, 0.1, 0.01);  // back to back
    EXPECT_NEAR(req.t - fm1.t, 0.5, 0.01);
    EXPECT_EQ(form->tunerBand, QStringLiteral("FM"));
    EXPECT_EQ(form->nameA->text(), QStringLiteral("---"));  // until the dump is decoded
}

TEST_F(AmpSource, SameBandShowsTheRememberedStationAtOnce)
{
    settle();
    const QString station = form->nameA->text();
    ASSERT_NE(station, QStringLiteral("---"));
    ASSERT_FALSE(station.isEmpty());

    const double t0 = now();
    click(form->Quelle[6]);
    EXPECT_EQ(form->nameA->text(), QStringLiteral("---"));
    click(form->Quelle[1]);
    EXPECT_EQ(form->nameA->text(), station);
    run(3.0);
    EXPECT_EQ(codeTexts(t0), (std::vector<std::string>{"0<>", "0<9", "0<<"}));
}

TEST_F(AmpSource, FmAgainStepsTheKeyModeWithoutAByte)
{
    settle();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("FM"));
    struct Step {
        QVariant before;
        int after;
    };
    for (const Step &s : {Step{1, 2}, Step{2, 3}, Step{3, 1}, Step{QVariant(), 1}}) {
        SCOPED_TRACE(s.after);
        form->stationKeyMode = s.before;
        form->Quelle[1]->setBackColor(colours::black);
        const double t0 = now();
        click(form->Quelle[1]);
        run(0.5);
        EXPECT_TRUE(codeTexts(t0).empty());
        EXPECT_EQ(form->stationKeyMode.toInt(), s.after);
        EXPECT_EQ(greenKey(), 1);
        EXPECT_TRUE(form->tunerpanel1->isVisible());
        EXPECT_TRUE(form->frequenzA->isVisible());
        if (s.after == 2) {
            for (int i = 1; i <= 30; ++i)
                EXPECT_EQ(form->stationT[i]->text(), form->keyName[i]);
        }
    }
}

TEST_F(AmpSource, DumpOfTheSourceChosenHereLeavesTheKeyModeAlone)
{
    device.state().source = sim::Source::Cd;
    settle();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("CD"));
    ASSERT_EQ(form->stationKeyMode, QVariant(1));
    QStringList captions;
    for (int i = 1; i <= 30; ++i)
        captions << form->stationT[i]->text();

    click(form->Quelle[1]);  // fm: the device follows
    run(0.5);
    const double t0 = now();
    run(33.0);  // the refresh's dump reports FM, the source last decoded was CD
    EXPECT_EQ(form->currentSource.toString(), QStringLiteral("FM"));
    EXPECT_EQ(codeTexts(t0), std::vector<std::string>{"0:7"});
    EXPECT_EQ(form->stationKeyMode, QVariant(1));
    for (int i = 1; i <= 30; ++i)
        EXPECT_EQ(form->stationT[i]->text(), captions[i - 1]) << i;
    EXPECT_EQ(greenKey(), 1);
    EXPECT_TRUE(form->tunerpanel1->isVisible());
}

TEST_F(AmpSource, ConfigWritesNothingAndEnlargesTheWindow)
{
    settle();
    form->verkleinern_Click();
    const int small = form->outerWidthTwips();
    const double t0 = now();
    click(form->Quelle[7]);
    run(0.5);
    EXPECT_TRUE(codeTexts(t0).empty());
    EXPECT_GT(form->outerWidthTwips(), small);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("config"));
    EXPECT_EQ(greenKey(), 7);
    EXPECT_EQ(shown(), (std::vector<QWidget *>{form->configpanel1, form->configpanel2, form->configpanel3}));
    EXPECT_TRUE(form->Frame3->isVisible());
}

TEST_F(AmpSource, IndexOutOfRangeHidesEverythingAndWritesNothing)
{
    settle();
    for (int index : {9, -1}) {
        SCOPED_TRACE(index);
        click(form->Quelle[6]);
        run(0.5);
        const double t0 = now();
        form->Quelle_Click(index);
        run(0.5);
        EXPECT_TRUE(codeTexts(t0).empty());
        EXPECT_TRUE(shown().empty());
        EXPECT_EQ(greenKey(), -1);
        EXPECT_EQ(form->quelA->text(), QStringLiteral("CD"));
    }
}
