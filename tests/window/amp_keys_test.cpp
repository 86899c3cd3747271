// The amplifier's function keys and the volume keys of the keyboard.

#include "amp_fixture.h"

namespace {

class AmpKeys : public AmpTest {};

}  // namespace

TEST_F(AmpKeys, SwitchKeysToggleTheirColourAndWriteTheSameCode)
{
    settle();
    struct Case {
        KeyLabel *key;
        const char *code;
        QColor on;
    };
    const std::vector<Case> cases = {
        {form->muteK, "0<5", colours::green},  {form->loudnK, "0;>", colours::green},
        {form->ls1K, "0<?", colours::green},   {form->ls2K, "0<@", colours::green},
        {form->monoK, "0;4", colours::silver}, {form->hblendK, "0:9", colours::silver},
        {form->herz, "0<1", colours::silver},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        // hblend sits on the tuner panel, most others on the configuration panel.
        if (c.key == form->hblendK)
            click(form->Quelle[1]);
        else if (c.key->parentWidget() == form->configpanel1)
            click(form->Quelle[7]);
        run(0.5);  // let the source code leave first
        ASSERT_TRUE(c.key->isVisible());
        c.key->setBackColor(colours::white);
        const double t0 = now();
        click(c.key);
        EXPECT_EQ(c.key->backColor(), c.on);
        click(c.key);
        EXPECT_EQ(c.key->backColor(), colours::white);
        // Any colour but the on colour counts as off.
        c.key->setBackColor(colours::red);
        click(c.key);
        EXPECT_EQ(c.key->backColor(), c.on);
        run(1.0);
        EXPECT_EQ(sentFrom(t0), std::vector<std::string>(3, c.code));
    }
}

TEST_F(AmpKeys, DumpSetsMuteWithoutWriting)
{
    settle();
    ASSERT_EQ(form->muteK->backColor(), colours::white);
    device.state().mute = true;
    const double t0 = now();
    form->requestStatus();
    run(3.5);
    EXPECT_EQ(codeTexts(t0), (std::vector<std::string>{"0:7"}));
    EXPECT_EQ(form->muteK->backColor(), colours::green);

    click(form->muteK);
    run(0.5);
    EXPECT_EQ(form->muteK->backColor(), colours::white);
    EXPECT_EQ(sentFrom(t0), (std::vector<std::string>{"0<5"}));
    EXPECT_FALSE(device.state().mute);
}

TEST_F(AmpKeys, EqualiserHidesAndShowsTheToneControls)
{
    settle();
    const std::vector<QWidget *> tone = {form->bassR, form->trebR, form->Label1, form->Label16,
                                         form->bassA, form->trebA, form->loudnK};
    form->bassR->setValue(3);
    const double t0 = now();
    click(form->eqK);
    EXPECT_EQ(form->eqK->backColor(), colours::silver);
    for (QWidget *w : tone)
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_TRUE(form->volR->isVisible());
    EXPECT_TRUE(form->muteK->isVisible());
    EXPECT_EQ(form->bassR->value(), 3);

    click(form->eqK);
    EXPECT_EQ(form->eqK->backColor(), colours::white);
    for (QWidget *w : tone)
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    run(0.5);
    EXPECT_EQ(sentFrom(t0), (std::vector<std::string>{"0<6", "0<6"}));
}

TEST_F(AmpKeys, MomentaryKeysWriteAndFlash)
{
    settle();
    click(form->Quelle[7]);
    struct Case {
        KeyLabel *key;
        std::vector<std::string> codes;
        double flash;
    };
    const std::vector<Case> cases = {
        {form->lbassminus, {"0:8", "0;8"}, 0.1},
        {form->lbassplus, {"0:8", "0;7"}, 0.1},
        {form->copy, {"0;6"}, 0.3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.codes.back());
        QColor during;
        const double t0 = now();
        world->sched.schedule(t0 + c.flash - 0.02, [&] { during = c.key->backColor(); });
        click(c.key);
        EXPECT_NEAR(now() - t0, c.flash, 0.01);
        EXPECT_EQ(during, colours::silver);
        EXPECT_EQ(c.key->backColor(), colours::white);
        run(0.5);
        EXPECT_EQ(sentFrom(t0), c.codes);
        // Two codes leave as consecutive bytes, one character time apart.
        std::vector<double> t;
        for (const auto &b : world->serial->toDevice())
            if (b.t >= t0)
                t.push_back(b.t);
        ASSERT_EQ(t.size(), 3 * c.codes.size());
        for (size_t i = 1; i < t.size(); ++i)
            EXPECT_NEAR(t[i] - t[i - 1], platform::virt::kCharTime, 0.001);
    }
}

TEST_F(AmpKeys, VolumeKeysStepByOneCode)
{
    settle();
    double t0 = now();
    type('+');
    EXPECT_EQ(form->volA->text(), QStringLiteral("41"));
    type('-');
    EXPECT_EQ(form->volR->value(), 40);
    EXPECT_EQ(form->volA->text(), QStringLiteral("40"));
    form->volA->setText(QStringLiteral("77"));
    type('a');  // any other character only rewrites the read-out
    EXPECT_EQ(form->volA->text(), QStringLiteral("40"));
    run(1.0);
    EXPECT_EQ(sentFrom(t0), (std::vector<std::string>{"0<3", "0<4"}));

    // At the ends of the range the code still goes out and the slider stays.
    form->volR->setValue(81);
    t0 = now();
    type('+');
    EXPECT_EQ(form->volA->text(), QStringLiteral("81"));
    form->volR->setValue(1);
    type('-');
    EXPECT_EQ(form->volA->text(), QStringLiteral("1"));
    run(1.0);
    EXPECT_EQ(sentFrom(t0), (std::vector<std::string>{"0<3", "0<4"}));

    // The presses leave volumeLevel alone: the next pointer move counts from 40.
    form->volR->setValue(40);
    for (int i = 0; i < 3; ++i)
        type('+');
    EXPECT_EQ(form->volumeLevel.toInt(), 40);
    run(1.0);
    t0 = now();
    releaseAt(form->volR, 45);
    run(3.0);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>(6, "0<3"));
}
