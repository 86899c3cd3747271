// The demonstration programme: the notice, the connection test, the script
// of each section on the line, the random stations and the progress line.

#include "tuner_support.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

const QString kClosing = QStringLiteral("Ende des automatischen Programmablaufes");
const QString kNoDevice = QStringLiteral("Gerät nicht angeschlossen oder eingeschaltet. Vorgang wird abgebrochen");

// Random values chosen by the test; records the reseeds.
class ScriptedRandom : public platform::Random {
public:
    explicit ScriptedRandom(std::vector<double> values) : values_(std::move(values)) {}
    void seed(std::uint32_t) override { ++seeds; }
    void seedFromClock() override { ++seeds; }
    double next() override { return values_.at(draws++); }
    int seeds = 0;
    size_t draws = 0;

private:
    std::vector<double> values_;
};

std::vector<std::string> times(int n, const std::string &code)
{
    return std::vector<std::string>(size_t(n), code);
}
std::vector<std::string> &operator+=(std::vector<std::string> &a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The tuner's memory keys of slots 1..10, as the device knows them.
const std::string kMemoryKeys[] = {"096", "095", "094", "093", "092", "09>", "09=", "09<", "09;", "09:"};

// The preset codes a station key sends for device slot 1..30.
std::vector<std::string> stationCodes(int slot)
{
    const std::string &code = kMemoryKeys[(slot - 1) % 10];
    return slot <= 10 ? times(1, code) : times(slot <= 20 ? 15 : 25, code);
}

bool isPreset(const std::string &code)
{
    return std::find(std::begin(kMemoryKeys), std::end(kMemoryKeys), code) != std::end(kMemoryKeys);
}

class DemoTest : public TunerTest {
protected:
    double clickedAt = 0;

    ScriptedRandom *scriptRandom(std::vector<double> values)
    {
        auto r = std::make_unique<ScriptedRandom>(std::move(values));
        ScriptedRandom *raw = r.get();
        world->platform.random = std::move(r);
        return raw;
    }
    // Ticks and clears by clicking, as a user does.
    void tick(QCheckBox *box, Qt::CheckState state)
    {
        showConfig();
        if (box->checkState() != state)
            input->clickCheckBox(box);
        ASSERT_EQ(box->checkState(), state);
    }
    void tickDevices(Qt::CheckState n5, Qt::CheckState w2, Qt::CheckState xv6)
    {
        tick(form->demoN5, n5);
        tick(form->demoW2, w2);
        tick(form->demoXV6, xv6);
    }
    void runDemo()
    {
        showConfig();
        clearLine();
        clickedAt = now();
        click(form->Demo);
    }
    // What the demonstration sent: the periodic status requests go on
    // meanwhile and are left out.
    std::vector<std::string> demoCodes() const
    {
        std::vector<std::string> out;
        for (const auto &c : codeTexts(clickedAt))
            if (c != "0:7")
                out.push_back(c);
        return out;
    }
    std::vector<QString> messageTexts() const
    {
        std::vector<QString> out;
        for (const auto &m : messages())
            out.push_back(m.text);
        return out;
    }
    static std::vector<std::string> radioSection(const std::vector<int> &slots)
    {
        std::vector<std::string> c = times(4, "0<@");
        c += {"0<9", "0<<"};
        c += stationCodes(slots[0]);
        c += stationCodes(slots[1]);
        c += times(9, "0<3");
        c += times(9, "0<4");
        c += stationCodes(slots[2]);
        return c;
    }
    static std::vector<std::string> closingSection()
    {
        std::vector<std::string> c = times(4, "0<@");
        c += {"0<9", "0<<"};
        return c;
    }
};

}  // namespace

TEST_F(DemoTest, NoticeHasItsFivePiecesAndCancelSendsNothing)
{
    startQuiet();
    world->messages->script = {false};
    runDemo();
    run(10);
    EXPECT_TRUE(codeTexts(clickedAt).empty());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].withCancel);
    // Five pieces: an empty line after the third, a return after the last.
    const QStringList lines = messages()[0].text.split(QLatin1Char('\r'));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("Die gewählten Geräte ")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("Besonders wichtig ")));
    EXPECT_TRUE(lines[3].isEmpty() && lines[6].isEmpty());
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("akustisch signalisiert.")));
    EXPECT_TRUE(form->progressA->isHidden());
}

TEST_F(DemoTest, DeviceOffAbortsWithItsMessageAndSendsNothing)
{
    device.setSilent(true);
    ASSERT_TRUE(start());
    run(3.5);
    ASSERT_EQ(form->quelA->text(), QStringLiteral("off"));
    runDemo();
    EXPECT_TRUE(demoCodes().empty());
    EXPECT_EQ(messageTexts().back(), kNoDevice);
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_NEAR(now() - clickedAt, 3.0, 0.1);
    EXPECT_TRUE(form->progressA->isHidden());
}

TEST_F(DemoTest, WithNoDeviceTickedOnlyRadioAndClosingRun)
{
    // No device box ticked; the receiver box is not consulted.
    startAndSettle();
    tick(form->demoM7, Qt::Unchecked);
    tickDevices(Qt::Unchecked, Qt::Unchecked, Qt::Unchecked);
    ScriptedRandom *random = scriptRandom({0.0, 0.5, 0.3});  // slots 1, 8, 5
    bool progressAtEnd = true;
    world->messages->onShow = [&](const QString &text) {
        if (text == kClosing)
            progressAtEnd = form->progressA->isVisible();
    };

    runDemo();
    std::vector<std::string> expected = radioSection({1, 8, 5});
    expected += closingSection();
    EXPECT_EQ(demoCodes(), expected);
    EXPECT_NEAR(now() - clickedAt, 68.6, 0.1);
    EXPECT_EQ(messageTexts().back(), kClosing);
    EXPECT_EQ(random->seeds, 1);
    EXPECT_EQ(random->draws, 3u);
    EXPECT_EQ(form->slotDirectMode, 0);
    EXPECT_FALSE(progressAtEnd);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Ondal Pelora"));
}

TEST_F(DemoTest, RandomSlotsAreSlotNumbersNotKeyPositions)
{
    startAndSettle();
    tickDevices(Qt::Unchecked, Qt::Unchecked, Qt::Unchecked);
    // Key k holds the station of slot 16 - k: a key position would tune
    // the wrong slot.
    for (int k = 1; k <= 15; ++k)
        form->keyFrequency[k] = form->slotFrequency[16 - k];
    // The ends of [0, 1) give slots 1 and 15.
    scriptRandom({0.0, std::nextafter(1.0, 0.0), 0.5});
    runDemo();
    std::vector<std::string> presets;
    for (const auto &c : demoCodes())
        if (isPreset(c))
            presets.push_back(c);
    std::vector<std::string> expected = stationCodes(1);
    expected += stationCodes(15);
    expected += stationCodes(8);
    EXPECT_EQ(presets, expected);
    EXPECT_EQ(device.state().slot, 8);
}

TEST_F(DemoTest, AllThreeDevicesRunCassetteRecordPlayerCdInOrder)
{
    // Without the periodic refresh, whose decoding writes a source code
    // again when the device reports a new source.
    startQuiet();
    tickDevices(Qt::Checked, Qt::Checked, Qt::Checked);
    scriptRandom({0.0, 0.5, 0.3});
    // The progress line, seen at times inside each section: the section's
    // name and a time left that fits the time really left.
    struct Seen {
        double t;
        QString text;
    };
    std::vector<Seen> seen;
    const double total = 298.8;
    for (double t : {1.0, 30.0, 100.0, 200.0, 270.0, 297.0})
        at(t, [&, t] { seen.push_back({t, form->progressA->isVisible() ? form->progressA->text() : QString()}); });

    runDemo();
    const std::vector<std::string> sent = demoCodes();
    EXPECT_NEAR(now() - clickedAt, total, 0.2);
    EXPECT_EQ(messageTexts().back(), kClosing);

    std::vector<std::string> expected = radioSection({1, 8, 5});
    const size_t radioEnd = expected.size();
    ASSERT_GT(sent.size(), radioEnd);
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + long(radioEnd)), expected);

    std::vector<std::string> cassette = {"0<@", "0<@", "09?"};
    for (const char *c : {"0:4", "0:2", "0:4", "0:6", "0:4", "0:2", "0:4", "0:6", "0:4", "0:3"})
        cassette += times(2, c);
    cassette.push_back("0<<");
    ASSERT_GE(sent.size(), radioEnd + cassette.size());
    EXPECT_EQ(std::vector<std::string>(sent.begin() + long(radioEnd), sent.begin() + long(radioEnd + cassette.size())),
              cassette);

    // The record player's volume burst overlaps the codes after it, so its
    // section is checked by what it holds; the CD section follows it whole.
    std::vector<std::string> cd = {"0<@", "0<@", "0<>", "026", "02;", "02;", "02;", "02;", "024"};
    const std::vector<std::string> closing = closingSection();
    const size_t phonoBegin = radioEnd + cassette.size();
    ASSERT_GE(sent.size(), phonoBegin + cd.size() + closing.size());
    const size_t cdBegin = sent.size() - cd.size() - closing.size();
    std::vector<std::string> phono(sent.begin() + long(phonoBegin), sent.begin() + long(cdBegin));
    std::map<std::string, int> phonoCounts;
    for (const auto &c : phono)
        ++phonoCounts[c];
    EXPECT_EQ(phonoCounts, (std::map<std::string, int>{
                               {"0<@", 2}, {"0<3", 7}, {"0<=", 1}, {"0:6", 2}, {"0:5", 4}, {"0:3", 33}, {"0<4", 7}}));
    ASSERT_GE(phono.size(), 3u);
    EXPECT_EQ(phono.back(), "0<4");
    EXPECT_EQ(std::vector<std::string>(sent.begin() + long(cdBegin), sent.end() - long(closing.size())), cd);
    EXPECT_EQ(std::vector<std::string>(sent.end() - long(closing.size()), sent.end()), closing);

    const QStringList sections = {QStringLiteral("Verbindungstest"), QStringLiteral("Radio"),
                                  QStringLiteral("Kassette"), QStringLiteral("Plattenspieler"),
                                  QStringLiteral("CD"), QStringLiteral("Abschluss")};
    ASSERT_EQ(seen.size(), 6u);
    const QRegularExpression progressForm(QStringLiteral("^Demo: (\\S+), noch ca\\. (\\d+):(\\d\\d)$"));
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(seen[i].text.toStdString());
        const auto m = progressForm.match(seen[i].text);
        ASSERT_TRUE(m.hasMatch());
        EXPECT_EQ(m.captured(1), sections[qsizetype(i)]);
        const int left = m.captured(2).toInt() * 60 + m.captured(3).toInt();
        const double reallyLeft = total - seen[i].t;
        // Shown at the start of each wait; the longest wait is 30 s.
        EXPECT_GE(left, reallyLeft - 1);
        EXPECT_LE(left, reallyLeft + 31);
    }
    EXPECT_TRUE(form->progressA->isHidden());
}

TEST_F(DemoTest, SecondPressDuringARunIsIgnored)
{
    startAndSettle();
    tickDevices(Qt::Unchecked, Qt::Unchecked, Qt::Unchecked);
    scriptRandom({0.0, 0.5, 0.3});
    at(20, [&] { click(form->Demo); });
    runDemo();
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_EQ(messageTexts().back(), kClosing);
    EXPECT_NEAR(now() - clickedAt, 68.6, 0.1);
}

TEST_F(DemoTest, ScriptEndedEarlyEndsWithAMessage)
{
    // The station list ends in a record whose frequency is no number (a
    // memory file never filled lets the start pass), and the tuner plays a
    // station that no earlier record names: the first station key of the
    // run meets the record and cannot show the station.
    writeFile(QStringLiteral("Speicherplatz.txt"), QByteArray("\"\"\r\n").repeated(30));
    writeFile(QStringLiteral("Sendername.txt"),
              readFile(QStringLiteral("Sendername.txt")) + "\"8x.00\",\"Kaputt\",\"\",1\r\n");
    device.state().fm = sim::Station{sim::Band::Fm, 10795};
    startAndSettle();
    tickDevices(Qt::Unchecked, Qt::Unchecked, Qt::Unchecked);
    scriptRandom({0.0, 0.5, 0.3});
    runDemo();
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_TRUE(messageTexts().back().startsWith(
        QStringLiteral("Der automatische Programmablauf wurde vorzeitig beendet (Abschnitt Radio: keine Zahl: ")))
        << messageTexts().back().toStdString();
    EXPECT_LT(now() - clickedAt, 68.6);
    EXPECT_EQ(form->slotDirectMode, 0);
    EXPECT_TRUE(form->progressA->isHidden());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Ondal Pelora"));
}
