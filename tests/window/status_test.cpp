// The status exchange against the device model, and the decoding of dumps
// with odd fields.

#include "model/dump.h"
#include "window_fixture.h"

#include <QSignalSpy>

#include <algorithm>
#include <random>

namespace {

class StatusTest : public WindowTest {
protected:
    sim::DumpFields fields;

    void SetUp() override
    {
        WindowTest::SetUp();
        sim::DeviceState s;
        s.volume = 40;
        fields = sim::dumpFields(s);
    }

    // Asks for status and lets a hand-made dump arrive instead of the
    // device's own answer.
    void answerWith(const std::string &dumpText, double seconds = 3.5)
    {
        device.setSilent(true);
        form->requestStatus();
        world->serial->injectFromDevice(QByteArray::fromStdString(dumpText), 0.05);
        run(seconds);
    }
    void answerWith(const sim::DumpFields &f) { answerWith(sim::buildDump(f)); }

    int count(const std::string &code, double from = 0) const
    {
        int n = 0;
        for (const auto &c : codeTexts(from))
            n += c == code;
        return n;
    }
};

// What the window tells assistive technology: its notification each time
// it appears (a screen reader speaks it then), and the keys whose checked
// state changed.
class Heard : public QObject {
public:
    explicit Heard(Form1 &form)
    {
        form.busyNotice->installEventFilter(this);
        for (KeyLabel *k : form.findChildren<KeyLabel *>())
            connect(k, &QAbstractButton::toggled, this, [this, k] { stateChanges << k; });
    }
    QStringList notices;
    QList<QObject *> stateChanges;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show)
            notices << static_cast<QWidget *>(o)->accessibleName();
        return false;
    }
};

std::vector<double> requestTimes(const std::vector<platform::virt::VirtualSerialPort::CodeAt> &codes)
{
    std::vector<double> t;
    for (const auto &c : codes)
        if (c.code == "0:7")
            t.push_back(c.t);
    return t;
}

}  // namespace

TEST_F(StatusTest, WindowFollowsTheDeviceAfterStart)
{
    device.state().volume = 52;
    device.state().balance = -7;
    device.state().mute = true;
    device.state().loudness = false;
    ASSERT_TRUE(start());
    run(1.0);
    EXPECT_FALSE(form->formEnabled());  // waiting for the dump
    EXPECT_TRUE(form->warten->isVisible());
    run(2.5);
    EXPECT_TRUE(form->formEnabled());
    EXPECT_FALSE(form->warten->isVisible());
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_EQ(form->volR->value(), 52);
    EXPECT_EQ(form->volA->text(), QStringLiteral("52"));
    EXPECT_EQ(form->balR->value(), -7);
    EXPECT_EQ(form->muteK->backColor(), colours::green);
    EXPECT_EQ(form->loudnK->backColor(), colours::white);
    EXPECT_EQ(form->currentSource.toString(), QStringLiteral("FM"));
}

TEST_F(StatusTest, TheModelSignalsEachRealChangeOnce)
{
    device.state().volume = 52;
    device.state().mute = true;
    create();
    const model::HifiModel &m = form->hifi();
    QSignalSpy levels(&m, &model::HifiModel::levelChanged);
    QSignalSpy functions(&m, &model::HifiModel::functionChanged);
    QSignalSpy sources(&m, &model::HifiModel::sourceChanged);
    QSignalSpy stations(&m, &model::HifiModel::stationChanged);
    QSignalSpy busy(&m, &model::HifiModel::busyChanged);
    ASSERT_TRUE(form->Form_Load());
    form->show();
    input->activate();
    run(3.5);

    // The first dump: each value that came in, once.
    auto seen = [](const QSignalSpy &spy, const QVariantList &args) {
        return int(std::count(spy.begin(), spy.end(), args));
    };
    EXPECT_EQ(seen(levels, {QVariant::fromValue(model::Level::Volume), 52}), 1);
    EXPECT_EQ(seen(functions, {QVariant::fromValue(model::Function::Mute), true}), 1);
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(sources[0][0].value<model::Source>(), model::Source::Fm);
    EXPECT_EQ(stations.size(), 1);
    EXPECT_EQ(m.station().frequency, QStringLiteral("87.60"));
    EXPECT_TRUE(m.link().open && m.link().answering);
    ASSERT_GE(busy.size(), 2);  // busy while asking, free once the dump is in
    EXPECT_TRUE(busy.first()[0].toBool());
    EXPECT_FALSE(busy.last()[0].toBool());
    EXPECT_FALSE(m.busy());

    // The same state again is no change.
    for (QSignalSpy *spy : {&levels, &functions, &sources, &stations})
        spy->clear();
    form->requestStatus();
    run(3.5);
    EXPECT_TRUE(levels.isEmpty() && functions.isEmpty() && sources.isEmpty() && stations.isEmpty());

    // Clicks: the mute key's new state, the new source, once each.
    click(form->muteK);
    click(form->Quelle[6]);  // cd
    EXPECT_EQ(functions.size(), 1);
    EXPECT_EQ(seen(functions, {QVariant::fromValue(model::Function::Mute), false}), 1);
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(sources[0][0].value<model::Source>(), model::Source::Cd);
}

TEST_F(StatusTest, DeviceOffShowsTheOffStateAndAsksAgainLater)
{
    device.setSilent(true);
    ASSERT_TRUE(start());
    run(2.1);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("off"));
    EXPECT_EQ(form->currentSource.toString(), QStringLiteral("off"));
    // Heard as well as seen.
    EXPECT_TRUE(form->busyNotice->isVisible());
    EXPECT_EQ(form->busyNotice->accessibleName(),
              QStringLiteral("Das Gerät antwortet nicht: ist es eingeschaltet und angeschlossen?"));
    EXPECT_EQ(form->Quelle[8]->backColor(), colours::green);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form->Quelle[i]->backColor(), colours::black);
    EXPECT_FALSE(form->Frame3->isVisible());
    EXPECT_FALSE(form->nameA->isVisible());
    EXPECT_FALSE(form->frequenzA->isVisible());
    for (QFrame *p : {form->tunerpanel1, form->tunerpanel2, form->tapepanel1, form->tapepanel2, form->phonopanel,
                      form->configpanel1, form->configpanel2, form->configpanel3, form->cdpanel, form->cdpanel2})
        EXPECT_FALSE(p->isVisible());
    EXPECT_TRUE(form->formEnabled());
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_TRUE(form->dauertimer->isEnabled());

    run(70);
    const auto t = requestTimes(codes());
    ASSERT_GE(t.size(), 3u);
    EXPECT_NEAR(t[1] - t[0], 32.0, 0.2);  // 2 s watch + 30 s refresh
    EXPECT_NEAR(t[2] - t[1], 32.0, 0.2);
}

TEST_F(StatusTest, FourCharactersCountAsNoAnswer)
{
    device.setStopAfter(4);
    ASSERT_TRUE(start());
    run(2.1);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("off"));
    EXPECT_EQ(form->rxCount, 4);
    // Characters after the watch are only logged.
    world->serial->injectFromDevice("QQ");
    run(1);
    EXPECT_EQ(form->rxCount, 4);
    EXPECT_TRUE(form->receiveLog().contains(QStringLiteral("4:   Q")));
}

TEST_F(StatusTest, DecodingWaitsForTheSeventyNinthCharacter)
{
    startAndSettle();
    fields.volume = "33";
    device.setSilent(true);
    form->requestStatus();
    const std::string d = sim::buildDump(fields);
    world->serial->injectFromDevice(QByteArray::fromStdString(d.substr(0, 78)));
    run(3.0);
    EXPECT_EQ(form->rxCount, 78);
    EXPECT_EQ(form->statusPending, 1);
    EXPECT_NE(form->volA->text(), QStringLiteral("33"));
    world->serial->injectFromDevice(QByteArray::fromStdString(d.substr(78)));
    run(0.1);
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_EQ(form->volA->text(), QStringLiteral("33"));
}

TEST_F(StatusTest, ReceiveLogAndCounter)
{
    startAndSettle();
    device.setSilent(true);
    form->requestStatus();
    EXPECT_EQ(form->receiveCounter(), QStringLiteral("off"));
    EXPECT_TRUE(form->receiveLog().isEmpty());
    world->serial->injectFromDevice("xyA");
    run(0.5);
    EXPECT_EQ(form->rxBuffer[2], QStringLiteral("A"));
    EXPECT_EQ(form->receiveCounter(), QStringLiteral("2"));
    // Each receive event adds one line, CR LF ending it.
    EXPECT_EQ(form->receiveLog(), QStringLiteral("0:   x\r\n1:   y\r\n2:   A\r\n"));
}

// A line that sends far faster than 300 baud (a pseudo-terminal, an adapter
// at the wrong speed): the port holds its bound, the log its tail, noise
// costs an event per read, a click still gets through, and the next dump
// is decoded as ever.
TEST_F(StatusTest, BabblingLineStaysBoundedAndTheNextDumpIsDecoded)
{
    startAndSettle();
    int events = 0, mostWaiting = 0, longestLog = 0;
    const auto formEvent = world->serial->onComm;
    world->serial->onComm = [&](platform::SerialPort::EventKind kind) {
        ++events;
        mostWaiting = std::max(mostWaiting, world->serial->inBufferCount());
        formEvent(kind);
        longestLog = std::max(longestLog, int(form->receiveLog().size()));
    };
    std::mt19937 gen(17);
    QByteArray noise(1 << 20, '\0');
    for (char &c : noise)
        c = char(gen());
    // 1 MB in reads of 4 KB over 40 s, so a periodic request falls inside it.
    world->serial->burstFromDevice(noise, 4096, 40.0 / 256);
    run(5);
    ASSERT_TRUE(form->formEnabled());
    const double clicked = now();
    click(form->muteK);
    run(1);
    EXPECT_EQ(count("0<5", clicked), 1);
    run(40);
    EXPECT_GT(count("0:7", clicked), 0);  // a request came and went inside the noise

    EXPECT_LE(mostWaiting, platform::BufferedSerialPort::kInBufferSize);
    EXPECT_LE(longestLog, 4096);
    EXPECT_LT(events, 2000);
    // Noise up to the request and right after the dump.
    world->serial->burstFromDevice(noise.left(8192), 4096, 0);
    run(0.01);
    device.state().volume = 47;
    form->requestStatus();
    run(7);
    world->serial->burstFromDevice(noise.left(4096), 4096, 0);
    run(0.5);
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_EQ(form->volA->text(), QStringLiteral("47"));
}

TEST_F(StatusTest, BalanceSides)
{
    startAndSettle();
    fields.balanceSide = "L";
    fields.balanceAmount = "05";
    answerWith(fields);
    EXPECT_EQ(form->balR->value(), -5);
    EXPECT_EQ(form->balA->text(), QStringLiteral("-5"));
    EXPECT_EQ(form->balanceLevel.toInt(), -5);

    fields.balanceSide = "R";
    answerWith(fields);
    EXPECT_EQ(form->balR->value(), 5);
    EXPECT_EQ(form->balA->text(), QStringLiteral("05"));
    EXPECT_EQ(form->balanceLevel.toString(), QStringLiteral("05"));

    fields.balanceSide = " ";
    answerWith(fields);
    EXPECT_EQ(form->balR->value(), 0);
    EXPECT_EQ(form->balA->text(), QStringLiteral("0"));

    // Any other side is noise: the balance stays as it was.
    fields.balanceSide = "x";
    fields.balanceAmount = "07";
    answerWith(fields);
    EXPECT_EQ(form->balR->value(), 0);
    EXPECT_EQ(form->balA->text(), QStringLiteral("0"));
    EXPECT_EQ(form->balanceLevel.toInt(), 0);
}

TEST_F(StatusTest, TrebleAndBassInDoubleUnits)
{
    startAndSettle();
    struct Case {
        std::string field;
        int slider;
        QString readOut;
    };
    for (const Case &c : {Case{"OFF", 0, "0"}, Case{"+06", 3, "+06"}, Case{"003", 2, "003"},
                          Case{"001", 0, "001"}, Case{"-10", -5, "-10"}}) {
        fields.treble = c.field;
        fields.bass = c.field;
        answerWith(fields);
        EXPECT_EQ(form->trebR->value(), c.slider) << c.field;
        EXPECT_EQ(form->trebA->text(), c.readOut) << c.field;
        EXPECT_EQ(form->bassR->value(), c.slider) << c.field;
        EXPECT_EQ(form->bassA->text(), c.readOut) << c.field;
    }
}

TEST_F(StatusTest, SwitchKeysFollowOnlyYesAndNo)
{
    startAndSettle();
    fields.loudness = "Y";
    fields.mute = "N";
    answerWith(fields);
    EXPECT_EQ(form->loudnK->backColor(), colours::green);
    EXPECT_EQ(form->muteK->backColor(), colours::white);
    fields.loudness = "?";
    answerWith(fields);
    EXPECT_EQ(form->loudnK->backColor(), colours::green);
    fields.loudness = "N";
    fields.speaker1 = "Y";
    fields.speaker2 = "N";
    answerWith(fields);
    EXPECT_EQ(form->loudnK->backColor(), colours::white);
    EXPECT_EQ(form->ls1K->backColor(), colours::green);
    EXPECT_EQ(form->ls2K->backColor(), colours::white);
}

TEST_F(StatusTest, SourceSelectionRunsOnlyWhenTheSourceChanges)
{
    startAndSettle();
    fields.source = "CD";
    const double t0 = now();
    answerWith(fields);
    answerWith(fields);
    EXPECT_EQ(count("0<>", t0), 1);
    EXPECT_EQ(form->currentSource.toString(), QStringLiteral("CD"));
    EXPECT_EQ(form->quelA->text(), QStringLiteral("CD"));

    fields.source = "T1";
    answerWith(fields);
    EXPECT_EQ(count("09?", t0), 1);

    fields.source = "XX";  // no source the device has: the dump is noise
    answerWith(fields);
    EXPECT_EQ(form->currentSource.toString(), QStringLiteral("T1"));
    EXPECT_EQ(form->quelA->text(), QStringLiteral("Tape 1"));
}

TEST_F(StatusTest, AfterTheOffStateTheNextDumpRestoresThePanels)
{
    device.setSilent(true);
    ASSERT_TRUE(start());
    run(2.5);
    ASSERT_EQ(form->quelA->text(), QStringLiteral("off"));
    device.setSilent(false);
    device.state().source = sim::Source::Cd;
    run(33);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("CD"));
    EXPECT_TRUE(form->cdpanel->isVisible());
    EXPECT_TRUE(form->Frame3->isVisible());
}

TEST_F(StatusTest, FrequencyKeepsItsFormPerBand)
{
    startAndSettle();
    fields.source = "FM";
    fields.frequency = " 87.60";
    answerWith(fields);
    EXPECT_EQ(form->currentFrequency.typeId(), QMetaType::QString);
    EXPECT_EQ(form->currentFrequency.toString(), QStringLiteral(" 87.60"));

    // The change of band asks for status again inside the decoding; the
    // next dump then gives the number.
    fields.source = "AM";
    fields.frequency = "  1440";
    answerWith(fields);
    answerWith(fields);
    EXPECT_NE(form->currentFrequency.typeId(), QMetaType::QString);
    EXPECT_EQ(form->currentFrequency.toLongLong(), 1440);

    fields.source = "CD";
    fields.frequency = "  9999";
    answerWith(fields);
    EXPECT_EQ(form->currentFrequency.toLongLong(), 1440);
}

TEST_F(StatusTest, StationDisplayUsesTheFirstRecordAndMarksTheFirstKey)
{
    startAndSettle();
    for (int i = 1; i <= 30; ++i)
        form->keyFrequency[i] = QStringLiteral("  1000");
    form->keyFrequency[4] = QStringLiteral("100.10");
    form->keyFrequency[9] = QStringLiteral("100.10");
    form->stationNames[1] = {QStringLiteral("Erster"), QStringLiteral("100.10"), QStringLiteral("eins"), 1};
    form->stationNames[2] = {QStringLiteral("Zweiter"), QStringLiteral("100.1"), QStringLiteral("zwei"), 0};
    form->stationNames[3] = {QStringLiteral("Olive"), QStringLiteral("95.50"), QStringLiteral("drei"), 0};
    form->nameRecordEnd = 4;

    form->showStation(QStringLiteral("100.10"));
    EXPECT_EQ(form->nameA->text(), QStringLiteral("Erster"));
    EXPECT_EQ(form->frequenzA->text(), QStringLiteral("100.10  eins"));
    EXPECT_EQ(form->nameA->foreColor(), colours::nameGreen);
    for (int i = 1; i <= 30; ++i)
        EXPECT_EQ(form->stationT[i]->backColor(), i == 4 ? colours::green : colours::black) << i;

    form->showStation(QStringLiteral(" 95.50"));
    EXPECT_EQ(form->nameA->text(), QStringLiteral("Olive"));
    EXPECT_EQ(form->nameA->foreColor(), colours::olive);
    for (int i = 1; i <= 30; ++i)
        EXPECT_EQ(form->stationT[i]->backColor(), colours::black);

    // No record: the bare frequency; an AM number is compared as plain text.
    form->keyFrequency[7] = QStringLiteral("1440");
    form->showStation(QVariant(qlonglong(1440)));
    EXPECT_EQ(form->nameA->text(), QStringLiteral("1440"));
    EXPECT_TRUE(form->frequenzA->text().isEmpty());
    EXPECT_EQ(form->stationT[7]->backColor(), colours::green);

    // Empty: nothing changes.
    form->showStation(QString());
    form->showStation(QVariant());
    EXPECT_EQ(form->nameA->text(), QStringLiteral("1440"));
    EXPECT_EQ(form->stationT[7]->backColor(), colours::green);
}

TEST_F(StatusTest, FrequencyOfDashesWithoutNameRecordsIsShownAsItStands)
{
    writeFile(QStringLiteral("Sendername.txt"), QByteArray());
    startAndSettle();
    fields.source = "FM";
    fields.frequency = "------";  // the tuner searching
    answerWith(fields);
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_EQ(form->nameA->text(), QStringLiteral("------"));
    for (int i = 1; i <= 30; ++i)
        EXPECT_EQ(form->stationT[i]->backColor(), colours::black) << i;
}

TEST_F(StatusTest, DumpThatBreaksItsFormChangesNoDisplay)
{
    startAndSettle();
    const int volBefore = form->volR->value();
    const QString volText = form->volA->text();
    const QString nameBefore = form->nameA->text();
    // What a babbling line made of dumps: letters where the device writes
    // digits, no sign, a side that is no side, a frequency of noise.
    struct Case {
        const char *what;
        sim::DumpFields f;
    };
    std::vector<Case> cases;
    auto with = [&](const char *what, auto change) {
        sim::DumpFields f = fields;
        f.mute = "Y";
        f.source = "CD";
        change(f);
        cases.push_back({what, f});
    };
    with("volume", [](auto &f) { f.volume = "A1"; });
    with("two blanks", [](auto &f) { f.volume = "  "; });
    with("balance", [](auto &f) { f.balanceAmount = "0x"; });
    with("treble", [](auto &f) { f.treble = "*04"; });
    with("bass", [](auto &f) { f.bass = "OF"; });
    with("frequency", [](auto &f) { f.source = "FM"; f.frequency = "Q: 8N7"; });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        answerWith(c.f);
        EXPECT_EQ(form->volA->text(), volText);
        EXPECT_EQ(form->volR->value(), volBefore);
        EXPECT_EQ(form->muteK->backColor(), colours::white);
        EXPECT_EQ(form->quelA->text(), QStringLiteral("FM"));
        EXPECT_EQ(form->nameA->text(), nameBefore);
        EXPECT_TRUE(form->formEnabled());
    }

    // A volume that reads but that the slider does not take stops the
    // decoding after the read-out.
    fields.volume = "99";
    answerWith(fields);
    EXPECT_EQ(form->volA->text(), QStringLiteral("99"));
    EXPECT_EQ(form->volR->value(), volBefore);
    EXPECT_EQ(form->statusPending, 1);
}

TEST_F(StatusTest, GarbageNeverCrashesAndTheNextGoodDumpRecovers)
{
    startAndSettle();
    device.setGarbage(sim::Garbage::Replace);
    for (int i = 0; i < 5; ++i) {
        form->requestStatus();
        run(3.5);
    }
    device.setGarbage(sim::Garbage::None);
    device.state().volume = 21;
    form->requestStatus();
    run(3.5);
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_EQ(form->volR->value(), 21);
}

TEST_F(StatusTest, ShortAnswerNoLongerLocksTheWindow)
{
    startAndSettle();
    device.setStopAfter(40);
    form->requestStatus();
    // The 40th character arrives 1.48 s after the request.
    run(2.4);
    EXPECT_EQ(form->statusPending, 1);  // still collecting
    EXPECT_FALSE(form->formEnabled());
    run(0.2);  // a second without a character
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_TRUE(form->formEnabled());
    EXPECT_FALSE(form->warten->isVisible());
    EXPECT_NE(form->quelA->text(), QStringLiteral("off"));
}

TEST_F(StatusTest, AnswerThatPausesInsideIsStillDecoded)
{
    startAndSettle();
    fields.volume = "33";
    const std::string d = sim::buildDump(fields);
    device.setSilent(true);
    form->requestStatus();
    // 40 characters, then 1.3 s of silence: the watch frees the window.
    world->serial->injectFromDevice(QByteArray::fromStdString(d.substr(0, 40)), 0.15);
    run(0.15 + 40 / 30.0 + 1.3);
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_TRUE(form->formEnabled());
    EXPECT_NE(form->volA->text(), QStringLiteral("33"));
    // The other 39 complete the dump; the window follows at once.
    world->serial->injectFromDevice(QByteArray::fromStdString(d.substr(40)));
    run(1.4);
    EXPECT_EQ(form->rxCount, 79);
    EXPECT_EQ(form->volA->text(), QStringLiteral("33"));
    EXPECT_EQ(form->volR->value(), 33);
    EXPECT_TRUE(form->formEnabled());

    // A click in the pause has changed the device: the rest of the old
    // answer then must not take the window back to FM.
    fields.volume = "12";
    const std::string old = sim::buildDump(fields);
    form->requestStatus();
    world->serial->injectFromDevice(QByteArray::fromStdString(old.substr(0, 40)), 0.15);
    run(0.15 + 40 / 30.0 + 1.3);
    ASSERT_TRUE(form->formEnabled());
    clearLine();
    click(form->Quelle[0]);  // "tv"
    world->serial->injectFromDevice(QByteArray::fromStdString(old.substr(40)));
    run(1.4);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("TV"));
    EXPECT_EQ(form->volA->text(), QStringLiteral("33"));
    EXPECT_EQ(codeTexts(), std::vector<std::string>{"0<;"});  // the "tv" code only
}

TEST_F(StatusTest, LateAnswerIsFollowedAtEveryRefresh)
{
    // The request takes 0.1 s on the line and the device reacts 0.05 s
    // after it, so this answer begins 1.9 s after the request: fewer than
    // five characters are in when the answer watch runs at 2 s, the last
    // one arrives at 4.53 s.
    device.setExtraDelay(1.9 - 0.15);
    device.state().volume = 52;
    ASSERT_TRUE(start());
    run(2.05);
    EXPECT_NE(form->quelA->text(), QStringLiteral("off"));
    EXPECT_EQ(form->rxCount, 4);
    EXPECT_EQ(form->statusPending, 1);
    EXPECT_FALSE(form->formEnabled());
    run(2.5);
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_TRUE(form->formEnabled());
    EXPECT_EQ(form->volR->value(), 52);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("FM"));

    // The decoding's source selection restarted the refresh: it asks at
    // 34.53 s, and an answer beginning 1.4 s later ends at 38.57 s.
    device.setExtraDelay(1.4 - 0.15);
    device.state().volume = 21;
    run(38.6 - now());
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_EQ(form->volR->value(), 21);

    // Four late characters that stop are still no answer.
    device.setExtraDelay(1.8 - 0.15);
    device.setStopAfter(4);
    form->requestStatus();
    run(2.1);
    EXPECT_EQ(form->statusPending, 1);
    run(1.0);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("off"));
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_TRUE(form->formEnabled());
}

TEST_F(StatusTest, CodeRepeaterWritesItsCodeTheGivenNumberOfTimes)
{
    startAndSettle();
    clearLine();
    const double t0 = now();
    form->startRepeat("0<3", 3);
    run(0.25);
    EXPECT_FALSE(form->formEnabled());
    EXPECT_TRUE(form->warten->isVisible());
    run(1.0);
    const auto c = codes();
    ASSERT_EQ(c.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(c[i].code, "0<3");
        // written at 0.2, 0.4, 0.6 s; the last character arrives 0.1 s later
        EXPECT_NEAR(c[i].t - t0, 0.2 * (i + 1) + 0.1, 1e-6);
    }
    EXPECT_TRUE(form->formEnabled());
    EXPECT_FALSE(form->warten->isVisible());
    EXPECT_FALSE(form->Timer3->isEnabled());

    // A limit of zero still writes once.
    clearLine();
    form->startRepeat("0<4", 0);
    run(1.0);
    EXPECT_EQ(codeTexts(), std::vector<std::string>{"0<4"});
}

TEST_F(StatusTest, ManualRequestWaitsWhileTheAnswerIsDecoded)
{
    startAndSettle();
    device.state().volume = 17;
    const double t0 = now();
    form->Command1_Click();
    EXPECT_NEAR(now() - t0, 3.0, 0.02);
    EXPECT_EQ(form->volR->value(), 17);
    EXPECT_EQ(form->statusPending, 0);
}

TEST_F(StatusTest, ChangeOfBandAtTheDeviceIsFollowedByTheNextDump)
{
    startAndSettle();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("FM"));
    device.state().band = sim::Band::Am;  // changed at the device itself
    form->requestStatus();
    run(3.0);
    // The dump's change of band asked for a fresh dump; that one is awaited.
    EXPECT_EQ(form->statusPending, 1);
    run(4.0);
    EXPECT_EQ(form->quelA->text(), QStringLiteral("AM"));
    EXPECT_EQ(form->statusPending, 0);
    EXPECT_EQ(form->currentFrequency.toLongLong(), device.state().am.value);
}

TEST_F(StatusTest, ChangesAtTheDeviceAreToldOnceAndAnUnchangedPollStaysQuiet)
{
    device.state().fm = sim::Station{sim::Band::Fm, 8790};
    startAndSettle();
    const Heard heard(*form);
    // The focus on the lit station key: a poll that changes nothing says
    // nothing, not even the key's state again.
    ASSERT_NE(form->hifi().litStationKey(), 0);
    KeyLabel *lit = form->stationT[size_t(form->hifi().litStationKey())];
    input->focus(lit);
    run(65);
    EXPECT_EQ(heard.notices, QStringList());
    EXPECT_FALSE(heard.stateChanges.contains(lit));

    device.state().volume = 35;
    run(32);
    EXPECT_EQ(heard.notices, QStringList{QStringLiteral("Lautstärke 35")});

    device.state().fm = sim::Station{sim::Band::Fm, 10080};
    run(32);
    ASSERT_EQ(heard.notices.size(), 2);
    EXPECT_EQ(heard.notices.back(), QStringLiteral("SWR1 Baden-Württemberg, 100,80 MHz"));

    // A source chosen at the device takes the station keys away: the focus
    // goes to the source key now lit, and the change is told.
    device.state().source = sim::Source::Cd;
    run(32);
    ASSERT_EQ(heard.notices.size(), 3);
    EXPECT_EQ(heard.notices.back(), QStringLiteral("CD"));
    EXPECT_EQ(input->focused(), form->Quelle[6]);
}

TEST_F(StatusTest, DeviceGoneTellsWhyAndKeepsTheConfigurationView)
{
    startAndSettle();
    const Heard heard(*form);
    input->focus(form->muteK);
    device.setSilent(true);
    run(35);
    // The amplifier panel went: the focus is on the lit "off" key.
    EXPECT_EQ(input->focused(), form->Quelle[8]);
    ASSERT_EQ(heard.notices.size(), 1);
    EXPECT_EQ(heard.notices[0], QStringLiteral("Aus, Das Gerät antwortet nicht: ist es eingeschaltet und angeschlossen?"));
    run(64);  // failed polls tell it no more
    EXPECT_EQ(heard.notices.size(), 1);

    // The configuration view stays while the user is in it.
    click(form->Quelle[7]);
    input->focus(form->Woche[0]);
    run(64);
    EXPECT_TRUE(form->configpanel1->isVisible());
    EXPECT_EQ(input->focused(), form->Woche[0]);
    device.setSilent(false);
    device.state().source = sim::Source::Cd;
    run(40);
    EXPECT_TRUE(form->configpanel1->isVisible());
    EXPECT_EQ(form->quelA->text(), QStringLiteral("config"));
}
