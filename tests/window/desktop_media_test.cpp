// The media-player interface object on a real window in virtual time: its
// calls run the same procedures as the keys, and obey the disabled window.

#include "desktop/media_player.h"
#include "desktop/port_choice.h"
#include "desktop/settings.h"
#include "players/transport_keys.h"
#include "tuner_support.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>

#include <optional>

namespace {

using model::Call;

class MediaPlayerTest : public TunerTest {
protected:
    std::unique_ptr<desktop::MediaPlayer> player;

    void startPlayer()
    {
        create();
        ASSERT_TRUE(form->Form_Load());
        form->show();
        run(3.5);
        form->dauertimer->setInterval(3600 * 1000);
        player = std::make_unique<desktop::MediaPlayer>(form->door());
    }
    void TearDown() override
    {
        player.reset();
        TunerTest::TearDown();
    }

    // Calls and records how it ended: nullopt while it waits.
    std::shared_ptr<std::optional<bool>> callNow(Call c)
    {
        auto result = std::make_shared<std::optional<bool>>();
        player->call(c, [result](bool ran) { *result = ran; });
        return result;
    }
    // Calls, and runs until the call has ended.
    std::shared_ptr<std::optional<bool>> callAndWait(Call c)
    {
        auto result = callNow(c);
        world->sched.runUntil([&] { return result->has_value(); }, 10.0);
        return result;
    }
};

}  // namespace

TEST_F(MediaPlayerTest, CallsRunTheKeysOfTheSourceShown)
{
    startPlayer();
    click(form->Quelle[6]);  // cd
    run(1.0);
    struct Case {
        Call call;
        const char *code;
    };
    for (const Case &c : {Case{Call::Play, "026"}, Case{Call::Pause, "025"}, Case{Call::PlayPause, "025"},
                          Case{Call::Stop, "024"}, Case{Call::Next, "02:"}, Case{Call::Previous, "02;"}}) {
        clearLine();
        const double t0 = now();
        auto done = callNow(c.call);
        EXPECT_FALSE(done->has_value());  // taken; it runs from the event loop
        world->sched.runUntil([&] { return done->has_value(); }, 2.0);
        // The key's own click: it flashes 0.3 s, and the answer waits for it.
        EXPECT_EQ(done->value_or(false), true);
        EXPECT_NEAR(now() - t0, 0.3, 0.01);
        run(0.5);
        EXPECT_EQ(codeTexts(), std::vector<std::string>{c.code});
    }
    EXPECT_EQ(transportKey("Label4")->backColor(), colours::black);  // "start" lit and back

    // Tape 2 uses the upper tape panel's keys; the record player its own.
    click(form->Quelle[4]);
    run(1.0);
    clearLine();
    callNow(Call::Play);
    callNow(Call::Next);
    run(1.0);
    click(form->Quelle[5]);
    run(1.0);
    callNow(Call::Stop);
    callNow(Call::Pause);
    run(0.5);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"0:6", "0:2", "0<=", "0:6", "0:5"}));

    // TV plays on, with no key for any of the calls.
    click(form->Quelle[0]);
    run(1.0);
    clearLine();
    for (Call c : {Call::Play, Call::Pause, Call::Stop, Call::Next, Call::Previous})
        EXPECT_EQ(callAndWait(c)->value_or(false), true);
    run(0.5);
    EXPECT_TRUE(codeTexts().empty());
}

TEST_F(MediaPlayerTest, TunerStepsThePresetsAndNamesTheStation)
{
    startPlayer();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("FM"));
    QSignalSpy changed(player.get(), &desktop::MediaPlayer::changed);
    clearLine();
    callNow(Call::Next);
    run(4.0);
    // progplusK's click: the step, then its own status request.
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"097", "0:7"}));
    const desktop::PlayerState s = player->state();
    const int slot = device.state().slot;
    ASSERT_GE(slot, 1);
    EXPECT_EQ(s.source, model::Source::Fm);
    EXPECT_EQ(s.playback, model::Playback::Playing);
    EXPECT_EQ(s.title, form->nameA->text());  // the station display's name
    EXPECT_NE(s.title, s.frequency);
    EXPECT_FALSE(s.note.isEmpty());
    EXPECT_TRUE(s.frequency.endsWith(QStringLiteral(" MHz")));
    EXPECT_TRUE(s.can.canPlay && s.can.canGoNext && s.can.canGoPrevious && !s.can.canPause);
    // The desktop heard of the new station.
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(player->reported(), s);

    clearLine();
    callNow(Call::Previous);
    callNow(Call::Play);  // the tuner plays already: nothing to do
    run(4.0);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"098", "0:7"}));

    // A source chosen at the window is reported at once.
    changed.clear();
    click(form->Quelle[6]);
    ASSERT_FALSE(changed.isEmpty());
    const auto now = changed.last().at(0).value<desktop::PlayerState>();
    EXPECT_EQ(now.title, QStringLiteral("CD"));
    EXPECT_TRUE(now.can.canPause);
}

TEST_F(MediaPlayerTest, VolumeMovesAsTheSliderDoes)
{
    device.state().volume = 30;
    startPlayer();
    EXPECT_DOUBLE_EQ(player->state().volume, 29.0 / 80.0);
    clearLine();
    const double t0 = now();
    bool ran = false;
    player->setVolume(0.5, [&](bool r) { ran = r; });
    run(0.01);
    EXPECT_TRUE(ran);
    EXPECT_EQ(form->volR->value(), 41);
    run(4.0);
    EXPECT_EQ(form->volA->text(), QStringLiteral("41"));
    // The slider's burst: one code more than the distance, one each 200 ms.
    const auto up = timesOf("0<3", t0);
    ASSERT_EQ(up.size(), 12u);
    EXPECT_NEAR(up.back() - up.front(), 11 * 0.2, 0.01);
    EXPECT_DOUBLE_EQ(player->state().volume, 0.5);

    // A phone's slider dragged from 0.5 to 0.75 sends a level every 120 ms:
    // one move, from where the device is to where the slider was let go.
    clearLine();
    const double t1 = now();
    const int before = device.state().volume;
    int answered = 0;
    for (int i = 1; i <= 5; ++i)
        at(0.12 * i, [&, i] { player->setVolume(0.5 + 0.05 * i, [&](bool r) { answered += r; }); });
    run(8.0);
    EXPECT_EQ(answered, 5);
    EXPECT_EQ(timesOf("0<3", t1).size(), 21u);  // 41 to 61, and one more
    EXPECT_EQ(device.state().volume, before + 21);
    EXPECT_EQ(form->volA->text(), QStringLiteral("61"));
    EXPECT_DOUBLE_EQ(player->state().volume, 0.75);

    // Levels that arrive while the window is busy wait, and join one move
    // once it is free; every caller hears back.
    form->requestStatus();
    answered = 0;
    for (double v : {0.8, 0.85, 0.875})
        player->setVolume(v, [&](bool r) { answered += r; });
    clearLine();
    const double t2 = now();
    const int reported = device.state().volume;  // what the dump will say
    run(8.0);
    EXPECT_EQ(answered, 3);
    EXPECT_EQ(form->volA->text(), QStringLiteral("71"));
    const auto third = timesOf("0<3", t2);
    ASSERT_EQ(int(third.size()), 71 - reported + 1);
    EXPECT_NEAR(third.back() - third.front(), (71 - reported) * 0.2, 0.01);

    // Between two levels the nearer one counts.
    for (const auto &[volume, level] : {std::pair{0.994, "81"}, std::pair{0.01, "2"}}) {
        player->setVolume(volume);
        run(20.0);
        EXPECT_EQ(form->volA->text(), QLatin1String(level)) << volume;
    }
}

TEST_F(MediaPlayerTest, ACallWaitsForTheDisabledWindowAndRunsOnce)
{
    startPlayer();
    click(form->Quelle[6]);
    run(1.0);
    clearLine();
    // A status exchange runs: the window is disabled until its dump is in.
    form->requestStatus();
    ASSERT_FALSE(form->formEnabled());
    auto done = callNow(Call::Play);
    EXPECT_FALSE(done->has_value());
    double enabledAt = -1;
    world->sched.runUntil([&] {
        if (enabledAt < 0 && form->formEnabled())
            enabledAt = now();
        return done->has_value();
    }, 10.0);
    EXPECT_EQ(done->value_or(false), true);
    run(5.0);
    EXPECT_EQ(count("026"), 1);
    const auto start = timesOf("026");
    ASSERT_EQ(start.size(), 1u);
    EXPECT_GT(start[0], enabledAt);
    EXPECT_LT(start[0], enabledAt + 0.3);
}

TEST_F(MediaPlayerTest, ACallDuringAHandlersWaitRunsAfterThatHandler)
{
    startPlayer();
    click(form->Quelle[6]);
    run(1.0);
    clearLine();
    // "start" waits 0.3 s with its key lit; a call comes in meanwhile.
    std::shared_ptr<std::optional<bool>> done;
    std::optional<bool> ranInside;
    at(0.1, [&] {
        done = callNow(Call::Next);
        ranInside = done->has_value();
    });
    const double t0 = now();
    click(transportKey("Label4"));
    ASSERT_TRUE(ranInside.has_value());
    EXPECT_FALSE(*ranInside);
    run(1.0);
    EXPECT_EQ(done->value_or(false), true);
    EXPECT_EQ(codeTexts(), (std::vector<std::string>{"026", "02:"}));
    const auto skip = timesOf("02:");
    ASSERT_EQ(skip.size(), 1u);
    EXPECT_GT(skip[0], t0 + 0.3);
}

// Station key 12 holds a preset key for seconds; a call that comes
// meanwhile waits for it and runs after it, and what still waits when the
// window closes is dropped without an answer: its caller may be gone.
TEST_F(MediaPlayerTest, RequestsQueueBehindAWaitingKeyAndAreDroppedAtTheEnd)
{
    startPlayer();
    clearLine();
    std::vector<std::string> order;
    form->door().tuneStationKey(12, [&](bool ran) { order.push_back(ran ? "key 12" : "key 12 refused"); });
    player->call(Call::Next, [&](bool ran) { order.push_back(ran ? "next" : "next refused"); });
    EXPECT_TRUE(order.empty());
    world->sched.runUntil([&] { return order.size() == 2; }, 20.0);
    EXPECT_EQ(order, (std::vector<std::string>{"key 12", "next"}));
    const auto codes = codeTexts();
    ASSERT_GE(codes.size(), 16u) << ::testing::PrintToString(codes);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "095"), 15) << "key 12: preset 5 held";
    EXPECT_EQ(std::find(codes.begin(), codes.end(), "097") - codes.begin(), 15) << "then the step up";

    order.clear();
    at(1.0, [&] { form->close(); });  // during the key's wait
    form->door().tuneStationKey(12, [&](bool) { order.push_back("key 12"); });
    auto play = callNow(Call::Play);
    run(10.0);
    EXPECT_TRUE(order.empty());
    EXPECT_FALSE(play->has_value());
}

TEST_F(MediaPlayerTest, ACallIsRefusedWhenTheWindowStaysBusy)
{
    device.state().volume = 1;
    startPlayer();
    click(form->Quelle[6]);
    run(1.0);
    // A burst of 81 codes keeps the window disabled for 16 s.
    player->setVolume(1.0);
    run(0.8);
    ASSERT_FALSE(form->formEnabled());
    clearLine();
    const double t0 = now();
    auto done = callNow(Call::Stop);
    double answeredAt = -1;
    world->sched.runUntil([&] {
        if (done->has_value() && answeredAt < 0)
            answeredAt = now();
        return form->formEnabled() && answeredAt >= 0;
    }, 30.0);
    EXPECT_EQ(*done, std::optional<bool>(false));
    EXPECT_NEAR(answeredAt - t0, 6.0, 0.2);  // a call waits its turn at most 6 s
    run(2.0);
    EXPECT_EQ(count("024"), 0);  // refused means never run
}

TEST_F(MediaPlayerTest, APortChosenFromTheListIsOpenedAtOnceAndRemembered)
{
    create();
    world->serial->setDevicePath(QStringLiteral("/dev/pts/77"));  // as --port gives it
    ASSERT_TRUE(form->Form_Load());
    form->show();
    run(3.5);
    desktop::Settings settings(dir.path());
    desktop::PortChoice *choice = desktop::addPortChoice(form->door(), settings, world->platform, form->portPlace());
    EXPECT_FALSE(choice->isVisible());
    showConfig();
    ASSERT_TRUE(choice->isVisible());
    EXPECT_EQ(choice->currentText(), QStringLiteral("/dev/pts/77"));
    // Beside the list, how the line stands.
    const QLabel *caption = form->portPlace()->findChild<QLabel *>(QStringLiteral("LabelPort"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), QStringLiteral("Port – antwortet"));
    EXPECT_EQ(choice->toolTip(), QStringLiteral("/dev/pts/77\n/dev/pts/77: offen, das Gerät antwortet"));
    EXPECT_TRUE(choice->itemText(0).startsWith(QStringLiteral("COM1")));
    // A screen reader hears what the list is for, labelled by its caption.
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(choice);
    EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Anschluss"));
    const auto labels = list->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first->object(), caption);

    // Home on the focused list takes its first entry: the COM1 entry.
    clearLine();
    input->focus(choice);
    input->key(Qt::Key_Home);
    run(0.01);  // the choice goes through the door, as every port choice does
    EXPECT_EQ(world->serial->devicePath(), QString());
    EXPECT_TRUE(world->serial->isOpen());
    run(3.5);
    EXPECT_EQ(codeTexts(), std::vector<std::string>{"0:7"});  // the window asks the device now on the line
    EXPECT_TRUE(form->formEnabled());
    EXPECT_FALSE(QSettings(path(QStringLiteral("pelora.ini")), QSettings::IniFormat).contains(QStringLiteral("serial/device")));
    // The device given at start stays in the list, to go back to.
    EXPECT_EQ(choice->itemText(choice->count() - 1), QStringLiteral("/dev/pts/77"));

    // A device that does not open: the old line stays, and the user is told.
    // The system's devices are read when the keyboard comes to the list.
    world->systemPorts = {{QStringLiteral("/dev/ttyUSB7"), QString()}};
    input->focus(form->Quelle[0]);
    input->focus(choice);
    world->serial->setOpenFails(true);
    input->key(Qt::Key_Down);
    run(0.01);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.startsWith(QStringLiteral("Der Port /dev/ttyUSB7 lässt sich nicht öffnen")));
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("Auch der bisherige Port COM1 lässt sich nicht wieder öffnen")));
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("keine Leitung zum Gerät offen")));
    EXPECT_EQ(world->serial->devicePath(), QString());
    EXPECT_EQ(settings.device(), QString());
    world->serial->setOpenFails(false);
    run(3.5);
    // Neither line opened, so the window shows the device as off; the list
    // stays while the user is in the configuration view, and the source
    // display says why.
    EXPECT_EQ(form->quelA->text(), QStringLiteral("off"));
    EXPECT_EQ(form->quelA->toolTip(), QStringLiteral("COM1: nicht offen, keine Verbindung zum Gerät"));
    showConfig();
    EXPECT_EQ(caption->text(), QStringLiteral("Port – nicht offen"));
    input->focus(choice);
    input->key(Qt::Key_Down);
    run(3.5);
    EXPECT_EQ(caption->text(), QStringLiteral("Port – antwortet"));
    EXPECT_EQ(form->quelA->toolTip(), QString());
    EXPECT_EQ(world->serial->devicePath(), QStringLiteral("/dev/ttyUSB7"));
    EXPECT_EQ(QSettings(path(QStringLiteral("pelora.ini")), QSettings::IniFormat).value(QStringLiteral("serial/device")),
              QStringLiteral("/dev/ttyUSB7"));
}
