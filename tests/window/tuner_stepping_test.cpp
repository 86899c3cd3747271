// Seek and preset step keys, and the display test.

#include "tuner_support.h"

namespace {

class SteppingTest : public TunerTest {};

}  // namespace

TEST_F(SteppingTest, AutoTuneBlanksFlashesAndAsksAfterSettling)
{
    startQuiet();
    click(form->stationT[1]);  // a marked key before the step
    run(0.5);
    ASSERT_EQ(form->stationT[1]->backColor(), colours::green);
    clearLine();
    QColor during, after;
    bool refreshOff = false;
    at(0.05, [&] { during = form->autoplusK->backColor(); });
    at(0.5, [&] {
        after = form->autoplusK->backColor();
        refreshOff = !form->dauertimer->isEnabled();
    });
    const double t0 = now();
    click(form->autoplusK);
    EXPECT_NEAR(now() - t0, 1.6, 0.02);
    EXPECT_EQ(during, colours::silver);
    EXPECT_EQ(after, colours::white);
    EXPECT_TRUE(refreshOff);
    EXPECT_EQ(form->nameA->text(), QStringLiteral("---"));
    EXPECT_EQ(form->frequenzA->text(), QStringLiteral("---"));
    for (int i = 1; i <= 30; ++i)
        EXPECT_EQ(form->stationT[i]->backColor(), colours::black) << i;

    run(0.2);  // the request is still on the line
    ASSERT_EQ(codeTexts(), (std::vector<std::string>{"0:2", "0:7"}));
    const auto t = codes();
    EXPECT_NEAR(t[1].t - t[0].t, 1.6, 0.02);

    // The dump shows the station the seek found.
    run(3.5);
    EXPECT_NE(form->nameA->text(), QStringLiteral("---"));
    EXPECT_EQ(form->statusPending, 0);
}

TEST_F(SteppingTest, EachStepKeyWritesItsCodeAndSettles)
{
    startQuiet();
    struct Case {
        KeyLabel *key;
        std::string code;
        double settle;
    };
    for (const Case &c : {Case{form->autominusK, "0:3", 1.5}, Case{form->progminusK, "098", 0.5},
                          Case{form->progplusK, "097", 0.5}}) {
        SCOPED_TRACE(c.code);
        run(4);
        clearLine();
        click(c.key);
        EXPECT_EQ(c.key->backColor(), colours::white);
        run(0.2);
        const auto t = codes();
        ASSERT_EQ(codeTexts(), (std::vector<std::string>{c.code, "0:7"}));
        EXPECT_NEAR(t[1].t - t[0].t, 0.1 + c.settle, 0.02);
    }
}

TEST_F(SteppingTest, TestDisplayFlashesFourSecondsAndLeavesTheRestAlone)
{
    startQuiet();
    showConfig();  // the key lives on the configuration panel
    const QString name = form->nameA->text();
    const bool refresh = form->dauertimer->isEnabled();
    clearLine();
    QColor at39;
    at(3.9, [&] { at39 = form->TestMemory->backColor(); });
    const double t0 = now();
    click(form->TestMemory);
    EXPECT_NEAR(now() - t0, 4.0, 0.02);
    EXPECT_EQ(at39, colours::silver);
    EXPECT_EQ(form->TestMemory->backColor(), colours::white);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"0<B"}));
    EXPECT_EQ(form->nameA->text(), name);
    EXPECT_EQ(form->dauertimer->isEnabled(), refresh);
}
