// The 27 keys of the player panels.

#include "players/transport_keys.h"
#include "tuner_support.h"

namespace {

class TransportKeyTest : public TunerTest {
protected:
    void SetUp() override
    {
        TunerTest::SetUp();
        startQuiet();
    }
    // Shows the key's panel the way a user does: with its source key.
    void showPanelOf(KeyLabel *k)
    {
        int source = 6;
        for (std::size_t i = 0; i < form->transportKeys.size(); ++i) {
            if (form->transportKeys[i] != k)
                continue;
            switch (players::transportKeyTable[i].panel) {
            case players::Panel::Tape1:
            case players::Panel::Tape2: source = 3; break;
            case players::Panel::Phono: source = 5; break;
            default: source = 6; break;
            }
        }
        if (!k->isVisible()) {
            click(form->Quelle[source]);
            run(0.2);
        }
    }
};

}  // namespace

TEST_F(TransportKeyTest, EveryKeyWritesItsCodeOnceAndFlashes)
{
    ASSERT_EQ(form->transportKeys.size(), players::transportKeyTable.size());
    for (std::size_t i = 0; i < players::transportKeyTable.size(); ++i) {
        const players::TransportKey &t = players::transportKeyTable[i];
        SCOPED_TRACE(t.control);
        KeyLabel *k = form->transportKeys[i];
        const bool extra = players::isExtraFunction(t.panel);
        const QColor rest = extra ? colours::white : colours::black;
        ASSERT_EQ(k->backColor(), rest);
        showPanelOf(k);
        const QString name = form->nameA->text();
        clearLine();
        QColor flash;
        at(0.25, [&] { flash = k->backColor(); });
        const double t0 = now();
        click(k);
        EXPECT_NEAR(now() - t0, 0.3, 0.01);
        EXPECT_EQ(flash, extra ? colours::silver : colours::green);
        EXPECT_EQ(k->backColor(), rest);
        run(0.3);
        EXPECT_EQ(codeTexts().size(), 1u);  // which code: KeyCodeTest
        EXPECT_EQ(form->nameA->text(), name);  // no station display, no status request
    }
}

TEST_F(TransportKeyTest, SharedCodesAcrossPanels)
{
    const std::vector<std::pair<const char *, const char *>> same = {
        {"Label8", "Label22"},   // tape and phono "<<"
        {"Label20", "Label2"},   // CD "<<" and "skip >>"
        {"Label9", "Label31"},   // "a.spce" and "repeat"
    };
    for (const auto &[a, b] : same) {
        showPanelOf(transportKey(a));
        clearLine();
        click(transportKey(a));
        const auto first = codeTexts();
        showPanelOf(transportKey(b));
        clearLine();
        click(transportKey(b));
        run(0.3);
        const auto second = codeTexts();
        ASSERT_EQ(first.size(), 1u) << a;
        ASSERT_EQ(second.size(), 1u) << b;
        EXPECT_EQ(first[0], second[0]) << a;
    }
}

TEST_F(TransportKeyTest, TwoKeysWithinTheFlashBothSendAndBothRest)
{
    KeyLabel *rec = transportKey("Label10");
    KeyLabel *gotoKey = transportKey("Label13");  // "set" of the second tape panel
    showPanelOf(rec);
    clearLine();
    QColor recDuring, gotoDuring;
    at(0.1, [&] { click(gotoKey); });
    at(0.2, [&] {
        recDuring = rec->backColor();
        gotoDuring = gotoKey->backColor();
    });
    click(rec);
    EXPECT_EQ(recDuring, colours::green);
    EXPECT_EQ(gotoDuring, colours::silver);
    EXPECT_EQ(rec->backColor(), colours::black);
    EXPECT_EQ(gotoKey->backColor(), colours::white);
    run(0.5);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"0:>", "0:;"}));
}
