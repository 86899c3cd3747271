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
        for (QFrame *p : {form->tapepanel1, form->tapepanel2, form->cdpanel, form->cdpanel2, form->phonopanel})
            p->show();
    }
    KeyLabel *key(const char *control) const
    {
        for (KeyLabel *k : form->transportKeys)
            if (k->objectName() == QLatin1String(control))
                return k;
        return nullptr;
    }
};

}  // namespace

TEST_F(TransportKeyTest, EveryKeyWritesItsCodeOnceAndFlashes)
{
    ASSERT_EQ(form->transportKeys.size(), players::transportKeyTable.size());
    const QString name = form->nameA->text();
    for (std::size_t i = 0; i < players::transportKeyTable.size(); ++i) {
        const players::TransportKey &t = players::transportKeyTable[i];
        SCOPED_TRACE(t.control);
        KeyLabel *k = form->transportKeys[i];
        const bool extra = players::isExtraFunction(t.panel);
        const QColor rest = extra ? colours::white : colours::black;
        ASSERT_EQ(k->backColor(), rest);
        clearLine();
        QColor flash;
        at(0.25, [&] { flash = k->backColor(); });
        const double t0 = now();
        click(k);
        EXPECT_NEAR(now() - t0, 0.3, 0.01);
        EXPECT_EQ(flash, extra ? colours::silver : colours::green);
        EXPECT_EQ(k->backColor(), rest);
        run(0.3);
        EXPECT_EQ(codeTexts(), std::vector<std::string>{std::string(t.code)});
    }
    EXPECT_EQ(form->nameA->text(), name);  // no station display, no status request
}

TEST_F(TransportKeyTest, SharedCodesAcrossPanels)
{
    const std::vector<std::pair<const char *, const char *>> same = {
        {"Label8", "Label22"},   // tape and phono "<<"
        {"Label20", "Label2"},   // CD "<<" and "skip >>"
        {"Label9", "Label31"},   // "a.spce" and "repeat"
    };
    for (const auto &[a, b] : same) {
        clearLine();
        click(key(a));
        click(key(b));
        run(0.3);
        const auto sent = codeTexts();
        ASSERT_EQ(sent.size(), 2u) << a;
        EXPECT_EQ(sent[0], sent[1]) << a;
    }
}

TEST_F(TransportKeyTest, TwoKeysWithinTheFlashBothSendAndBothRest)
{
    KeyLabel *rec = key("Label10");
    KeyLabel *gotoKey = key("Label33");
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
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"0:>", "02<"}));
}
