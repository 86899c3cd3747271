// Reading the device's station memory back, slot by slot.

#include "tuner_support.h"

#include "store/frequency.h"

#include <memory>

namespace {

class ImportTest : public TunerTest {
protected:
    // What the import must record for the device's memory: the frequency
    // as the status dump shows it, empty where the device stays on the
    // previous slot's station.
    std::vector<QString> expectedRecord(const sim::SlotMemory &slots) const
    {
        std::vector<QString> out(31);
        std::optional<sim::Station> previous;
        for (int s = 1; s <= 30; ++s) {
            const auto &st = slots[s - 1];
            const sim::Station now = st ? *st : *previous;
            if (s > 1 && previous && now == *previous)
                out[s] = QString();
            else if (now.band == sim::Band::Am)
                out[s] = QString::number(now.value);
            else
                out[s] = QString::fromStdString(sim::displayText(now));
            previous = now;
        }
        return out;
    }

    // Runs `fn` as soon as the import's progress names `slot`, before the
    // slot's first code reaches the device.
    void whenImportReaches(int slot, std::function<void()> fn)
    {
        const QString mark = QStringLiteral("Platz %1 von 30").arg(slot);
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [this, mark, fn, poll] {
            if (form->windowTitle().contains(mark))
                fn();
            else
                at(0.02, *poll);
        };
        at(0.02, *poll);
    }
};

}  // namespace

TEST_F(ImportTest, RecordsTheDeviceMemoryAndWritesTheFileAtOnce)
{
    sim::SlotMemory slots = device.state().slots;
    slots[4].reset();        // slot 5 empty
    slots[8] = slots[7];     // slots 8 and 9 hold the same station
    slots[0] = sim::Station{sim::Band::Fm, 10430};  // something the file does not know
    device.setSlots(slots);
    startAndSettle();
    const TextArray keysBefore = form->keyFrequency;

    QString progressTitle;
    bool progressShown = false;
    at(20, [&] {
        progressTitle = form->windowTitle();
        progressShown = form->progressA->isVisible();
    });
    showConfig();  // the key lives on the configuration panel
    const double t0 = now();
    click(form->StationenEinlesen);
    const double took = now() - t0;
    EXPECT_GT(took, 240);
    EXPECT_LT(took, 280);  // a band change may cost one more request

    const auto expected = expectedRecord(slots);
    for (int s = 1; s <= 30; ++s) {
        EXPECT_EQ(form->slotFrequency[s], expected[s]) << "slot " << s;
        EXPECT_EQ(form->stationT[s]->text(), expected[s]) << "slot " << s;
    }
    EXPECT_EQ(form->slotFrequency[1], QStringLiteral("104.30"));
    // Slots 24 and 28 change the band (FM to AM and back).
    EXPECT_EQ(form->slotFrequency[24], QStringLiteral("1440"));
    EXPECT_EQ(form->slotFrequency[28], QStringLiteral(" 92.80"));
    EXPECT_TRUE(form->slotFrequency[5].isEmpty());
    EXPECT_FALSE(form->slotFrequency[8].isEmpty());
    EXPECT_TRUE(form->slotFrequency[9].isEmpty());

    // Written before the closing message, not only at close.
    const QStringList lines = QString::fromLatin1(readFile(QStringLiteral("Speicherplatz.txt"))).split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 30);
    EXPECT_EQ(lines[0], QStringLiteral("\"104.30\""));
    EXPECT_EQ(lines[4], QStringLiteral("\"\""));
    EXPECT_EQ(lines[8], QStringLiteral("\"\""));

    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("Vorgang dauert ca. 3 Minuten. Nach Abschluss erfolgt Hinweis."));
    EXPECT_EQ(messages()[1].text,
              QStringLiteral("Fertig. Bitte starten Sie das Programm neu, damit alle Sendernamen korrekt dargestellt werden"));
    EXPECT_EQ(form->slotDirectMode, 0);
    EXPECT_TRUE(form->dauertimer->isEnabled());

    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(progressTitle.contains(QStringLiteral("Platz 4 von 30"))) << progressTitle.toStdString();
    EXPECT_TRUE(progressTitle.contains(QStringLiteral("noch ca. 3:"))) << progressTitle.toStdString();
    EXPECT_FALSE(form->progressA->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Ondal Pelora"));

    // The keys still tune by what was loaded at start.
    EXPECT_EQ(form->keyFrequency, keysBefore);
}

TEST_F(ImportTest, DeviceOffAbortsWithItsMessage)
{
    device.setSilent(true);
    startAndSettle();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("off"));
    const QByteArray fileBefore = readFile(QStringLiteral("Speicherplatz.txt"));
    const QString caption = form->stationT[3]->text();
    const TextArray slotsBefore = form->slotFrequency;
    showConfig();
    clearLine();
    click(form->StationenEinlesen);
    run(1);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].text, QStringLiteral("Gerät nicht angeschlossen oder eingeschaltet. Vorgang wird abgebrochen"));
    EXPECT_EQ(form->slotDirectMode, 0);
    EXPECT_EQ(form->stationT[3]->text(), caption);
    EXPECT_EQ(form->slotFrequency, slotsBefore);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), fileBefore);
    for (const auto &c : codeTexts())
        EXPECT_EQ(c, "0:7");  // only the periodic refresh
}

TEST_F(ImportTest, RefreshJustBeforeTheCheckIsNoAbsence)
{
    startAndSettle();
    showConfig();  // the periodic refresh starts its 30 s anew here
    // The refresh goes out 1.9 s into the import's check: its answer has
    // barely begun when the check's two seconds are up.
    run(28.1);
    click(form->StationenEinlesen);
    ASSERT_GE(messages().size(), 2u);
    EXPECT_TRUE(messages()[1].text.startsWith(QStringLiteral("Fertig."))) << messages()[1].text.toStdString();
}

TEST_F(ImportTest, SilentDeviceNeverEmptiesSlots)
{
    sim::SlotMemory slots = device.state().slots;
    slots[16] = sim::Station{sim::Band::Fm, 10430};  // the file holds 103.20 for slot 17
    device.setSlots(slots);
    startAndSettle();
    showConfig();
    // One slot without an answer keeps what it held and is named.
    whenImportReaches(17, [&] { device.setSilent(true); });
    whenImportReaches(18, [&] { device.setSilent(false); });
    click(form->StationenEinlesen);
    EXPECT_EQ(form->slotFrequency[17], QStringLiteral("103.20"));
    EXPECT_EQ(form->stationT[17]->text(), QStringLiteral("103.20"));
    EXPECT_EQ(form->slotFrequency[16], QStringLiteral("102.70"));
    EXPECT_EQ(form->slotFrequency[18], QStringLiteral("104.00"));
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].text,
              QStringLiteral("Fertig. Bitte starten Sie das Programm neu, damit alle Sendernamen korrekt dargestellt "
                             "werden\n\nPlatz 17 konnte nicht gelesen werden und behält seinen bisherigen Inhalt."));

    // A device that stays silent ends the run at the second slot: nothing
    // recorded, the file as it was.
    const TextArray memoryBefore = form->slotFrequency;
    const QByteArray fileBefore = readFile(QStringLiteral("Speicherplatz.txt"));
    run(40);
    showConfig();
    whenImportReaches(20, [&] { device.setSilent(true); });
    click(form->StationenEinlesen);
    ASSERT_EQ(messages().size(), 4u);
    EXPECT_EQ(messages()[3].text, QStringLiteral("Das Einlesen der Stationen wurde bei Platz 21 abgebrochen (das Gerät "
                                                 "antwortet nicht mehr). Die Datei Speicherplatz.txt bleibt unverändert."));
    EXPECT_EQ(form->slotFrequency, memoryBefore);
    for (int s = 1; s <= 30; ++s)
        EXPECT_EQ(form->stationT[s]->text(), memoryBefore[s]) << "slot " << s;
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), fileBefore);
    EXPECT_EQ(form->slotDirectMode, 0);

    // A device that answers only noise ends the same way, as soon.
    device.setSilent(false);
    run(40);
    showConfig();
    const double t0 = now();
    whenImportReaches(5, [&] { device.setGarbage(sim::Garbage::Replace); });
    click(form->StationenEinlesen);
    ASSERT_EQ(messages().size(), 6u);
    EXPECT_EQ(messages()[5].text, QStringLiteral("Das Einlesen der Stationen wurde bei Platz 6 abgebrochen (das Gerät "
                                                 "antwortet nicht lesbar). Die Datei Speicherplatz.txt bleibt "
                                                 "unverändert."));
    EXPECT_LT(now() - t0, 60);
    EXPECT_EQ(form->slotFrequency, memoryBefore);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), fileBefore);
}

TEST_F(ImportTest, SecondPressDuringARunIsIgnored)
{
    startAndSettle();
    int notices = 0;
    world->messages->onShow = [&](const QString &text) {
        if (text.startsWith(QStringLiteral("Vorgang dauert")))
            ++notices;
    };
    // The run shows the tuner; a user brings the key back with "config".
    auto pressAgain = [&] {
        if (!form->formEnabled())
            return;
        showConfig();
        click(form->StationenEinlesen);
    };
    at(7.5, pressAgain);
    at(60, pressAgain);
    showConfig();
    click(form->StationenEinlesen);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(form->slotDirectMode, 0);
}

TEST_F(ImportTest, NoisyFrequencyIsAskedForAgainAndNeverStored)
{
    const QString finished =
        QStringLiteral("Fertig. Bitte starten Sie das Programm neu, damit alle Sendernamen korrekt dargestellt werden");
    sim::SlotMemory slots = device.state().slots;
    slots[11] = sim::Station{sim::Band::Fm, 10585};  // the file holds 98.50 for slot 12
    slots[29] = sim::Station{sim::Band::Fm, 9310};   // and nothing for slot 30
    device.setSlots(slots);
    device.spoilFrequency(3, 1);   // once: asking again reads it
    device.spoilFrequency(25, 1);  // an AM text ("  ?549") stops the decoding short
    device.spoilFrequency(12);     // "10?.85" on every answer
    device.spoilFrequency(30);     // " 9?.10"
    startAndSettle();
    showConfig();
    click(form->StationenEinlesen);

    EXPECT_EQ(form->slotFrequency[3], QStringLiteral(" 89.00"));
    EXPECT_EQ(form->slotFrequency[25], QStringLiteral("549"));
    EXPECT_EQ(form->slotFrequency[26], QStringLiteral("891"));
    EXPECT_EQ(form->slotFrequency[12], QStringLiteral(" 98.50"));  // kept
    EXPECT_EQ(form->stationT[12]->text(), QStringLiteral(" 98.50"));
    EXPECT_EQ(form->slotFrequency[13], QStringLiteral(" 99.40"));
    EXPECT_EQ(form->slotFrequency[30], QString());
    for (int s = 1; s <= 30; ++s) {
        if (!form->slotFrequency[s].isEmpty()) {
            EXPECT_NO_THROW(store::frequencyNumber(form->slotFrequency[s])) << "slot " << s;
        }
    }
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].text,
              finished + QStringLiteral("\n\nDie Plätze 12 und 30 konnten nicht gelesen werden und behalten ihren "
                                        "bisherigen Inhalt."));

    // The file the import wrote starts the program again.
    EXPECT_FALSE(readFile(QStringLiteral("Speicherplatz.txt")).contains('?'));
    form->close();
    TearDown();
    ASSERT_TRUE(start());
    EXPECT_EQ(form->slotFrequency[12], QStringLiteral(" 98.50"));
}

TEST_F(ImportTest, RunEndedEarlyByAThrownConversionSaysSoAndKeepsTheFile)
{
    // A memory file that was never filled cannot show that the last name
    // record holds no frequency; the first station that no earlier record
    // names meets it.
    writeFile(QStringLiteral("Speicherplatz.txt"), QByteArray("\"\"\r\n").repeated(30));
    writeFile(QStringLiteral("Sendername.txt"),
              readFile(QStringLiteral("Sendername.txt")) + "\"8x.00\",\"Kaputt\",\"\",1\r\n");
    sim::SlotMemory slots = device.state().slots;
    slots[11] = sim::Station{sim::Band::Fm, 10585};
    device.setSlots(slots);
    device.state().fm = *slots[0];
    startAndSettle();
    const QByteArray fileBefore = readFile(QStringLiteral("Speicherplatz.txt"));
    showConfig();
    click(form->StationenEinlesen);

    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].text, QStringLiteral("Das Einlesen der Stationen wurde bei Platz 13 abgebrochen (keine Zahl: "
                                                 "\"8x.00\"). Die Datei Speicherplatz.txt bleibt unverändert."));
    EXPECT_EQ(form->slotDirectMode, 0);
    EXPECT_FALSE(form->progressA->isVisible());
    for (int s = 1; s <= 30; ++s) {
        EXPECT_TRUE(form->slotFrequency[s].isEmpty()) << "slot " << s;
        EXPECT_TRUE(form->stationT[s]->text().isEmpty()) << "slot " << s;
    }
    form->close();
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), fileBefore);
}

TEST_F(ImportTest, AStrayEnterDuringTheRunPressesNothing)
{
    startAndSettle();
    showConfig();
    input->focus(form->StationenEinlesen);
    const int width = form->width();
    bool pressed = false;
    whenImportReaches(2, [&] {
        // The focus waits where Enter presses no key.
        EXPECT_EQ(qobject_cast<KeyLabel *>(input->focused()), nullptr);
        input->key(Qt::Key_Return);
        pressed = true;
    });
    input->key(Qt::Key_Space);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(form->width(), width);
    EXPECT_EQ(form->stationKeyMode.toInt(), 1);
}
