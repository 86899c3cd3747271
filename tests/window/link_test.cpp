// The window's start and close, the code line, every key's code, Pause, and
// the inventory of the window.

#include "tuner_support.h"
#include "ui/layout.h"

#include <QCryptographicHash>
#include <gmock/gmock.h>

#include <functional>
#include <set>

namespace {
const QString kStartFailure = QStringLiteral(
    "Fehler, Mögliche Ursachen:  Anderes Programm verwendet den COM-Port oder Fehler in der Datei SENDERNAME.TXT");
}

using LinkTest = WindowTest;

TEST_F(LinkTest, StartOpensThePortThenAsksForStatus)
{
    ASSERT_TRUE(start());
    EXPECT_TRUE(world->serial->isOpen());
    EXPECT_EQ(world->serial->settings(), QStringLiteral("300,N,8,1"));
    run(0.2);
    const auto bytes = world->serial->toDevice();
    ASSERT_EQ(bytes.size(), 3u);  // nothing before or after the request
    EXPECT_EQ(bytes[0].c, 0x30);
    EXPECT_EQ(bytes[1].c, 0x3A);
    EXPECT_EQ(bytes[2].c, 0x37);
    EXPECT_NEAR(bytes[2].t - bytes[0].t, 2 * platform::virt::kCharTime, 1e-9);
}

TEST_F(LinkTest, CodesLeaveAsTheyStandAndBackToBack)
{
    startAndSettle();
    clearLine();
    const double t0 = now();
    form->writeCode("0:8");
    form->writeCode("0;8");
    run(1);
    const auto bytes = world->serial->toDevice();
    ASSERT_EQ(bytes.size(), 6u);
    QByteArray line;
    for (const auto &b : bytes)
        line += b.c;
    EXPECT_EQ(line, "0:80;8");
    for (size_t i = 0; i < 6; ++i)
        EXPECT_NEAR(bytes[i].t, t0 + (i + 1) * platform::virt::kCharTime, 1e-9);
}

TEST_F(LinkTest, FailedStartShowsTheMessageAndWritesNoFile)
{
    create();
    world->serial->setOpenFails(true);
    const QByteArray config = readFile(QStringLiteral("config.dat"));
    const QByteArray slots = readFile(QStringLiteral("Speicherplatz.txt"));
    EXPECT_FALSE(form->Form_Load());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, kStartFailure);
    EXPECT_FALSE(messages()[0].withCancel);
    // Below it, the port tried and why it did not open.
    EXPECT_TRUE(messages()[0].details.contains(QStringLiteral("COM1: Permission denied")))
        << messages()[0].details.toStdString();
    form->close();
    form->Form_Unload();
    EXPECT_EQ(readFile(QStringLiteral("config.dat")), config);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), slots);
    run(5);
    EXPECT_TRUE(world->serial->toDevice().empty());
}

TEST_F(LinkTest, CloseClosesThePortOnce)
{
    startAndSettle();
    form->close();
    EXPECT_FALSE(world->serial->isOpen());
    form->Form_Unload();  // a second close does nothing more
    EXPECT_TRUE(messages().empty());
}

// ---- Every key's code --------------------------------------------------------

namespace {

class KeyCodeTest : public TunerTest {
protected:
    // One way a user makes the window send a code: what brings the control
    // up, then the action itself.
    struct Way {
        std::string what;
        std::function<void()> prepare, act;
    };

    // A key on the panel that source key `source` shows (7: configuration).
    Way key(QWidget *k, int source)
    {
        return {k->objectName().toStdString(), [=, this] { showPanel(k, source); }, [=, this] { click(k); }};
    }
    Way transport(const char *control, int source) { return key(transportKey(control), source); }
    Way station(int n)
    {
        Way w = key(form->stationT[n], 1);
        w.what += "[" + std::to_string(n) + "]";
        return w;
    }
    Way source(int index)
    {
        KeyLabel *k = form->Quelle[index];
        return {k->objectName().toStdString() + "[" + std::to_string(index) + "]",
                // "fm" with FM shown only relabels the station keys
                [=, this] { if (index == 1 && form->quelA->text() == QLatin1String("FM")) press(form->Quelle[6]); },
                [=, this] { click(k); }};
    }
    Way arrow(LevelSlider *s, Qt::Key k)
    {
        return {s->objectName().toStdString() + " key " + std::to_string(int(k)), [] {},
                [=, this] { input->focus(s); input->key(k); }};
    }
    Way typed(char c)
    {
        return {std::string("typed ") + c, [] {}, [=, this] { type(c); }};
    }

    void showPanel(QWidget *w, int source)
    {
        if (source == 7)
            showConfig();
        else if (!w->isVisible())
            press(form->Quelle[source]);
    }
    void press(KeyLabel *k)
    {
        click(k);
        idle();
    }
    // Until the window takes input again and the last code is through.
    void idle()
    {
        run(0.5);
        world->sched.runUntil([this] { return form->formEnabled(); }, 60.0);
        run(0.5);
    }
    std::vector<std::string> heardFrom(std::size_t first) const
    {
        std::vector<std::string> out;
        for (std::size_t i = first; i < device.received().size(); ++i)
            out.push_back(device.received()[i].code);
        return out;
    }
};

}  // namespace

TEST_F(KeyCodeTest, EveryKeyPutsItsCodeOnTheLine)
{
    startQuiet();
    // Station key n holds the sample's slot n.
    ASSERT_EQ(form->keyFrequency[7], QStringLiteral(" 93.70"));
    ASSERT_EQ(form->keyFrequency[26], QStringLiteral("891"));
    LevelSlider *vol = form->volR, *bal = form->balR, *bass = form->bassR, *treble = form->trebR;
    const auto right = Qt::Key_Right, left = Qt::Key_Left;
    // Bass steps out from the middle to the slider's value: its ends give each direction.
    const auto top = Qt::Key_End, bottom = Qt::Key_Home;
    // The advertising key jumps to the fallback chosen with the keyboard
    // (Home: slot 1) and comes back at a second press.
    Way advertising{"Werbeauto",
                    [this] {
                        showConfig();
                        input->focus(form->Ausweichsender);
                        input->key(Qt::Key_Home);
                        ASSERT_EQ(form->Ausweichsender->currentText(), QStringLiteral(" 1"));
                        press(form->Quelle[1]);
                    },
                    [this] {
                        click(form->Werbeauto);
                        click(form->Werbeauto);
                    }};
    // "eq" hides the tone controls; a second press brings them back.
    Way equaliser = key(form->eqK, 6);
    equaliser.act = [this] {
        click(form->eqK);
        click(form->eqK);
    };

    // Each code the device knows, with every way the window has to send it.
    const std::vector<std::pair<std::string, std::vector<Way>>> table = {
        {"022", {transport("Label25", 6)}},
        {"024", {transport("Label18", 6)}},
        {"025", {transport("Label11", 6)}},
        {"026", {transport("Label4", 6)}},
        {"02:", {transport("Label2", 6), transport("Label20", 6)}},
        {"02;", {transport("Label19", 6)}},
        {"02<", {transport("Label33", 6)}},
        {"02=", {transport("Label28", 6)}},
        {"02>", {transport("Label32", 6)}},
        {"03<", {transport("Label29", 6)}},
        {"03>", {transport("Label30", 6)}},
        {"092", {station(5), station(15), station(25)}},
        {"093", {station(4), station(14), station(24)}},
        {"094", {station(3), station(13)}},
        {"095", {station(2), station(12), station(22)}},
        {"096", {station(1), station(11), station(21), advertising}},
        {"097", {key(form->progplusK, 1)}},
        {"098", {key(form->progminusK, 1)}},
        {"09:", {station(10), station(20)}},
        {"09;", {station(9), station(19), station(29)}},
        {"09<", {station(8), station(18), station(28)}},
        {"09=", {station(7), station(17)}},
        {"09>", {station(6), station(16), station(26)}},
        {"09?", {source(3)}},
        {"09@", {source(4)}},
        {"0:2", {transport("Label3", 3), transport("Label27", 5), key(form->autoplusK, 1)}},
        {"0:3", {transport("Label8", 3), transport("Label22", 5), key(form->autominusK, 1)}},
        {"0:4", {transport("Label7", 3)}},
        {"0:5", {transport("Label6", 3), transport("Label24", 5)}},
        {"0:6", {transport("Label5", 3), transport("Label26", 5)}},
        {"0:7", {key(form->progplusK, 1), key(form->autominusK, 1)}},  // asks what the step found
        {"0:8", {key(form->lbassplus, 7), key(form->lbassminus, 7)}},
        {"0:9", {key(form->hblendK, 1)}},
        {"0::", {transport("Label14", 3)}},
        {"0:;", {transport("Label13", 3)}},
        {"0:<", {transport("Label12", 3)}},
        {"0:=", {transport("Label9", 3), transport("Label31", 6)}},
        {"0:>", {transport("Label10", 3)}},
        {"0;1", {key(form->bassA, 6), arrow(bass, right)}},
        {"0;4", {key(form->monoK, 7)}},
        {"0;6", {key(form->copy, 7)}},
        {"0;7", {arrow(bass, top), key(form->lbassplus, 7)}},
        {"0;8", {arrow(bass, bottom), key(form->lbassminus, 7)}},
        {"0;9", {key(form->balA, 6)}},
        {"0;:", {arrow(bal, right)}},
        {"0;;", {arrow(bal, left)}},
        {"0;>", {key(form->loudnK, 6)}},
        {"0;?", {arrow(treble, right), key(form->trebA, 6)}},
        {"0;@", {arrow(treble, left), key(form->trebA, 6)}},
        {"0<1", {key(form->herz, 7)}},
        {"0<2", {source(8)}},
        {"0<3", {typed('+'), arrow(vol, right)}},
        {"0<4", {typed('-'), arrow(vol, left)}},
        {"0<5", {key(form->muteK, 6)}},
        {"0<6", {equaliser}},
        {"0<9", {source(2)}},
        {"0<;", {source(0)}},
        {"0<<", {source(1)}},
        {"0<=", {source(5)}},
        {"0<>", {source(6)}},
        {"0<?", {key(form->ls1K, 7)}},
        {"0<@", {key(form->ls2K, 7)}},
        {"0<B", {key(form->TestMemory, 7)}},
    };
    ASSERT_EQ(table.size(), 63u);
    std::set<std::string> known;
    for (const auto &row : table)
        known.insert(row.first);

    for (const auto &[code, ways] : table) {
        for (const Way &way : ways) {
            SCOPED_TRACE(code + " by " + way.what);
            way.prepare();
            idle();
            const std::size_t first = device.received().size();
            way.act();
            idle();
            const std::vector<std::string> heard = heardFrom(first);
            EXPECT_THAT(heard, ::testing::Contains(code));
            for (const std::string &c : heard)
                EXPECT_TRUE(known.count(c)) << c << " is no code of the device";
        }
    }
}

// ---- Pause ----------------------------------------------------------------

TEST_F(LinkTest, PauseAcrossMidnightEndsOnTheNextDay)
{
    create(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 900)));
    const double t0 = now();
    form->Pause(0.3f);
    EXPECT_NEAR(now() - t0, 0.3, 0.02);
    EXPECT_EQ(world->platform.clock->date(), QDate(2026, 12, 8));
}

TEST_F(LinkTest, PauseOfZeroOrAfterADateJumpReturnsAtOnce)
{
    create();
    const double t0 = now();
    form->Pause(0.0f);
    EXPECT_EQ(now(), t0);
    form->Pause(-1.0f);
    EXPECT_EQ(now(), t0);

    world->sched.schedule(t0 + 0.5, [this] { world->sched.jumpClock(2 * 86400.0); });
    form->Pause(10.0f);
    EXPECT_NEAR(now() - t0, 0.5, 0.01);
}

TEST_F(LinkTest, EventsAreHandledInsideAWait)
{
    startAndSettle();
    const double t0 = now();
    bool clickedInside = false;
    world->sched.schedule(t0 + 1.0, [&] {
        click(form->verkleinern);
        clickedInside = form->largeWindow.toInt() == 0;
    });
    world->serial->injectFromDevice("Z", 1.5);
    form->Pause(3.0f);
    EXPECT_TRUE(clickedInside);
    EXPECT_EQ(form->largeWindow.toInt(), 0);
    EXPECT_EQ(form->rxChunk, QStringLiteral("Z"));
    EXPECT_NEAR(now() - t0, 3.0, 0.01);
}

TEST_F(LinkTest, NestedPauseRunsToItsOwnEnd)
{
    create();
    const double t0 = now();
    double innerEnd = 0;
    world->sched.schedule(t0 + 0.5, [&] {
        form->Pause(2.0f);
        innerEnd = now();
    });
    form->Pause(1.0f);
    EXPECT_NEAR(innerEnd - t0, 2.5, 0.01);
    EXPECT_GE(now(), innerEnd);
}

// ---- The window -------------------------------------------------------------

TEST_F(LinkTest, SizeToggleBetweenTheTwoWidths)
{
    startAndSettle();
    EXPECT_EQ(form->largeWindow.toInt(), 1);
    EXPECT_NEAR(form->outerWidthTwips(), 8175, 15);
    EXPECT_TRUE(form->verkleinern->isVisible());
    EXPECT_FALSE(form->vergroessern->isVisible());
    const int height = form->height();
    click(form->verkleinern);
    EXPECT_NEAR(form->outerWidthTwips(), 3615, 15);
    EXPECT_EQ(form->largeWindow.toInt(), 0);
    EXPECT_TRUE(form->vergroessern->isVisible());
    EXPECT_FALSE(form->verkleinern->isVisible());
    click(form->vergroessern);
    EXPECT_NEAR(form->outerWidthTwips(), 8175, 15);
    EXPECT_EQ(form->largeWindow.toInt(), 1);
    EXPECT_EQ(form->height(), height);
}

TEST_F(LinkTest, InventoryOfTheWindow)
{
    create();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Ondal Pelora"));
    const QStringList sources = {"tv", "fm", "am", "tape 1", "tape 2", "phono", "cd", "config", "off"};
    const int tops[9] = {345, 690, 1050, 1395, 1740, 2085, 2430, 2940, 3270};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(form->Quelle[i]->text(), sources[i]);
        EXPECT_EQ(form->Quelle[i]->backColor(), colours::black);
        EXPECT_EQ(form->Quelle[i]->foreColor(), colours::white);
        EXPECT_EQ(form->Quelle[i]->geometry(), QRect(15, tops[i] / 15, 56, 14));
    }
    EXPECT_EQ(form->stationT[1]->text(), QStringLiteral("Radio Köln"));
    EXPECT_EQ(form->stationT[2]->text(), QStringLiteral("WDR 2"));
    EXPECT_EQ(form->stationT[30]->text(), QStringLiteral("1"));
    EXPECT_EQ(form->stationT[14]->geometry(), QRect(3075 / 15, 930 / 15, 63, 14));
    EXPECT_EQ(form->stationT[30]->geometry(), QRect(3075 / 15, 2010 / 15, 63, 14));
    EXPECT_EQ(form->stationT[14]->parentWidget(), form->tunerpanel1);
    EXPECT_EQ(form->warten->text(), QStringLiteral("Daten- aus- tausch"));
    EXPECT_FALSE(form->warten->isVisibleTo(form.get()));

    EXPECT_EQ(form->volR->minimum(), 1);
    EXPECT_EQ(form->volR->maximum(), 81);
    EXPECT_EQ(form->volR->value(), 40);
    EXPECT_EQ(form->balR->minimum(), -80);
    EXPECT_EQ(form->balR->value(), 5);
    EXPECT_EQ(form->bassR->minimum(), -5);
    EXPECT_EQ(form->trebR->maximum(), 5);
    for (TextBox *t : {form->volA, form->balA, form->bassA, form->trebA})
        EXPECT_EQ(t->text(), QStringLiteral("0"));
    for (KeyLabel *k : {form->muteK, form->loudnK, form->eqK, form->copy, form->ls1K, form->ls2K,
                        form->herz, form->monoK, form->hblendK, form->TestMemory})
        EXPECT_EQ(k->backColor(), colours::white) << k->objectName().toStdString();
    EXPECT_EQ(form->Werbeauto->text(), QStringLiteral("Werbung"));
    EXPECT_EQ(form->Werbeauto->backColor(), colours::black);
    EXPECT_EQ(form->Demo->text(), QStringLiteral("Demo starten"));
    EXPECT_EQ(form->StationenEinlesen->text(), QStringLiteral("Stationen einlesen"));
    EXPECT_EQ(form->LabelDemoHeading->text(), QStringLiteral("M7      N5(3)      W2    XV6(3)"));
    EXPECT_FALSE(form->demoN5->isTristate());  // no grey state a click could reach
    ASSERT_EQ(form->transportKeys.size(), 27u);

    for (QFrame *p : {form->tunerpanel1, form->tunerpanel2, form->tapepanel1, form->tapepanel2, form->phonopanel,
                      form->configpanel1, form->configpanel2, form->configpanel3, form->cdpanel, form->cdpanel2})
        EXPECT_FALSE(p->isVisibleTo(form.get())) << p->objectName().toStdString();

    // The diagnostics lie below the visible part of the window.
    for (QWidget *w : {static_cast<QWidget *>(form->Command1), static_cast<QWidget *>(form->Text1),
                       static_cast<QWidget *>(form->Text2), static_cast<QWidget *>(form->LabelUnused)})
        EXPECT_GE(w->y(), form->height());
    EXPECT_EQ(form->Text2->text(), QStringLiteral("Text2"));
    EXPECT_EQ(form->Command1->text(), QStringLiteral("Command1"));
    EXPECT_EQ(form->height(), ui::px(4575));
}

TEST_F(LinkTest, ListsOfTheTimerRowsAndTheFallbackChoice)
{
    create();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(form->Woche[i]->count(), 9);
        EXPECT_EQ(form->Woche[i]->itemText(1), QStringLiteral("TÄGLICH"));
        EXPECT_EQ(form->Woche[i]->itemText(2), QStringLiteral("Sonntag"));
        ASSERT_EQ(form->stunde[i]->count(), 23);
        EXPECT_EQ(form->stunde[i]->itemText(0), QStringLiteral(" 0"));
        EXPECT_EQ(form->stunde[i]->itemText(21), QStringLiteral("21"));
        EXPECT_EQ(form->stunde[i]->itemText(22), QStringLiteral("23"));
        ASSERT_EQ(form->minuten[i]->count(), 59);
        EXPECT_EQ(form->minuten[i]->itemText(22), QStringLiteral("23"));
        EXPECT_EQ(form->minuten[i]->itemText(24), QStringLiteral("25 "));
        ASSERT_EQ(form->sender[i]->count(), 29);
        EXPECT_EQ(form->sender[i]->itemText(0), QStringLiteral(" 1"));
        EXPECT_EQ(form->sender[i]->itemText(21), QStringLiteral("23"));
    }
    ASSERT_EQ(form->Ausweichsender->count(), 29);
    EXPECT_EQ(form->Ausweichsender->itemText(28), QStringLiteral("30"));
}

TEST_F(LinkTest, TimersOfTheWindow)
{
    create();
    EXPECT_EQ(form->schalttimer->interval(), 10000);
    EXPECT_FALSE(form->schalttimer->isEnabled());
    EXPECT_EQ(form->dauertimer->interval(), 30000);
    EXPECT_FALSE(form->dauertimer->isEnabled());
    EXPECT_EQ(form->testtimer->interval(), 2000);
    EXPECT_TRUE(form->testtimer->isEnabled());
    EXPECT_EQ(form->Timer3->interval(), 200);
    EXPECT_FALSE(form->Timer3->isEnabled());
    EXPECT_EQ(form->Timer1.interval(), 100);
    EXPECT_TRUE(form->Timer1.isEnabled());
    EXPECT_EQ(form->Timer2.interval(), 30000);
    EXPECT_FALSE(form->Timer2.isEnabled());
}

TEST_F(LinkTest, DisabledWindowTakesNoClickAndStaysUngrey)
{
    startAndSettle();
    form->setFormEnabled(false);
    click(form->verkleinern);
    EXPECT_EQ(form->largeWindow.toInt(), 1);
    EXPECT_TRUE(form->isEnabled());  // nothing is painted grey
    EXPECT_EQ(form->Quelle[0]->backColor(), colours::black);
    form->setFormEnabled(true);
    click(form->verkleinern);
    EXPECT_EQ(form->largeWindow.toInt(), 0);
}

TEST_F(LinkTest, ClosingDuringALongRunEndsTheRunAndTheLine)
{
    startAndSettle();
    const QByteArray memory = readFile(QStringLiteral("Speicherplatz.txt"));
    const double t0 = now();
    world->sched.schedule(t0 + 20.0, [this] { form->close(); });
    showConfig();
    click(form->StationenEinlesen);  // the import waits minutes in its handler
    EXPECT_LT(now() - t0, 21.0);     // the run ended with the window
    // Three slots read of thirty: the close keeps the memory file as it was.
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), memory);
    EXPECT_EQ(form->slotDirectMode, 0);
    EXPECT_FALSE(world->serial->isOpen());
    const size_t sent = world->serial->toDevice().size();
    run(120);
    EXPECT_EQ(world->serial->toDevice().size(), sent);  // nothing more goes out
}
