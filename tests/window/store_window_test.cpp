// Loading and saving the three data files through the window, and the
// station key captions in their display modes.

#include "file_faults.h"
#include "window_fixture.h"

namespace {

QByteArray memoryFile(const std::map<int, const char *> &filled)
{
    QByteArray out;
    for (int i = 1; i <= 30; ++i) {
        const auto it = filled.find(i);
        out += '"' + QByteArray(it == filled.end() ? "" : it->second) + "\"\r\n";
    }
    return out;
}

class StoreTest : public WindowTest {
protected:
    QStringList captions() const
    {
        QStringList out;
        for (int i = 1; i <= 30; ++i)
            out << form->stationT[i]->text();
        return out;
    }
    QByteArray sample(const char *name) const
    {
        QFile f(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

}  // namespace

TEST_F(StoreTest, SampleFilesLoadAndSaveBackByteForByte)
{
    ASSERT_TRUE(start());
    EXPECT_EQ(form->comPort, 1);
    EXPECT_EQ(form->stationKeyMode.toInt(), 1);
    EXPECT_EQ(form->Ausweichsender->currentIndex(), 10);
    EXPECT_EQ(form->Woche[0]->currentIndex(), 0);
    EXPECT_EQ(form->sender[1]->currentText(), "16");
    EXPECT_EQ(form->nameRecordEnd, 41);
    EXPECT_EQ(form->keyName[5], QString::fromUtf8("Ö1"));
    EXPECT_EQ(form->keyNote[5], QString::fromUtf8("Österreich Kultur"));
    EXPECT_EQ(form->keyName[29], "106.90");  // no record for it
    EXPECT_EQ(captions()[15], "102.70");
    EXPECT_EQ(captions()[22], "");

    // Nothing changed: the save writes the files exactly as they were.
    form->Form_Unload();
    EXPECT_EQ(readFile("config.dat"), sample("config.dat"));
    EXPECT_EQ(readFile("Speicherplatz.txt"), sample("Speicherplatz.txt"));
    EXPECT_EQ(readFile("Sendername.txt"), sample("Sendername.txt"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(StoreTest, SavedValuesLoadBack)
{
    ASSERT_TRUE(start());
    form->stationKeyMode = QVariant();
    form->verkleinern_Click();
    form->Ausweichsender->setCurrentIndex(-1);
    form->Woche[2]->setCurrentIndex(8);
    form->stunde[2]->setCurrentIndex(22);
    form->minuten[2]->setCurrentIndex(58);
    form->sender[2]->setCurrentIndex(28);
    form->slotFrequency[3] = kEmptySlotMarker;
    form->slotFrequency[23] = QStringLiteral("1602");
    form->Form_Unload();
    EXPECT_EQ(form->slotFrequency[3], "");

    EXPECT_TRUE(readFile("config.dat").startsWith("1,,,,,,,,,,,0,-1\r\n"));
    EXPECT_TRUE(readFile("config.dat").endsWith("\r\n8,22,58,28\r\n"));
    EXPECT_TRUE(readFile("Speicherplatz.txt").startsWith("\" 87.90\"\r\n\" 88.40\"\r\n\"\"\r\n"));

    form.reset();
    create();
    ASSERT_TRUE(form->GetConfiguration());
    EXPECT_FALSE(form->stationKeyMode.isValid());
    EXPECT_EQ(form->largeWindow.toInt(), 0);
    EXPECT_EQ(form->Ausweichsender->currentIndex(), -1);
    EXPECT_EQ(form->Woche[2]->currentIndex(), 8);
    EXPECT_EQ(form->stunde[2]->currentIndex(), 22);
    EXPECT_EQ(form->minuten[2]->currentIndex(), 58);
    EXPECT_EQ(form->sender[2]->currentIndex(), 28);
    EXPECT_EQ(form->Woche[1]->currentIndex(), 1);
    EXPECT_EQ(form->slotFrequency[3], "");
    EXPECT_EQ(form->keyFrequency[23], "1602");
}

TEST_F(StoreTest, TheFileKeepsTheNameItHas)
{
    QFile::rename(path("config.dat"), path("CONFIG.DAT"));
    QFile::rename(path("Sendername.txt"), path("SENDERNAME.TXT"));
    ASSERT_TRUE(start());
    form->Ausweichsender->setCurrentIndex(3);
    form->Form_Unload();
    QStringList names = QDir(dir.path()).entryList(QDir::Files);
    names.sort();
    EXPECT_EQ(names, (QStringList{"CONFIG.DAT", "SENDERNAME.TXT", "Speicherplatz.txt"}));
    EXPECT_TRUE(readFile("CONFIG.DAT").startsWith("1,1,,,,,,,,,,1,3\r\n"));
}

TEST_F(StoreTest, SaveThatCannotWriteKeepsTheOldFiles)
{
    ASSERT_TRUE(start());
    form->Ausweichsender->setCurrentIndex(20);
    form->slotFrequency[1] = "107.00";
    bool saved = true;
    {
        FileSizeLimit full(8);
        saved = form->saveConfiguration();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile("config.dat"), sample("config.dat"));
    EXPECT_EQ(readFile("Speicherplatz.txt"), sample("Speicherplatz.txt"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);  // no scraps left
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains("config.dat"));
    EXPECT_TRUE(messages()[0].text.contains("Speicherplatz.txt"));

    // Nothing in memory was lost: the next save writes it.
    EXPECT_TRUE(form->saveConfiguration());
    EXPECT_TRUE(readFile("config.dat").startsWith("1,1,,,,,,,,,,1,20\r\n"));
    EXPECT_TRUE(readFile("Speicherplatz.txt").startsWith("\"107.00\"\r\n"));
}

TEST_F(StoreTest, StartFailsOnMissingOrDamagedFilesAndWritesNothing)
{
    struct Damage {
        const char *file;
        QByteArray bytes;  // empty: the file is removed
        const char *where = "";  // what the reason must also name
    };
    QByteArray tooMany;
    for (int i = 0; i < 101; ++i)
        tooMany += "\"88.00\",\"X\",\"\",0\r\n";
    const std::vector<Damage> cases = {
        {"config.dat", {}},
        {"Speicherplatz.txt", {}},
        {"Sendername.txt", {}},
        {"config.dat", "1,1,,,,,,,,,,1,10\r\n0,0,0,0\r\n1,7,0,15\r\n7,18,29\r\n"},
        {"config.dat", "1,1,,,,,,,,,,1,10\r\n9,0,0,0\r\n1,7,0,15\r\n7,18,29,3\r\n"},  // no 10th weekday
        {"config.dat", "1,1,,,,,,,,,,1,29\r\n0,0,0,0\r\n1,7,0,15\r\n7,18,29,3\r\n"},
        {"Speicherplatz.txt", memoryFile({}).left(40)},
        {"Sendername.txt", tooMany},
        {"Sendername.txt", "\"88.00\",\"X\",\"\",0\r\n\"89.00\",\"Y\"\r\n"},
        {"Sendername.txt", "\"acht\",\"X\",\"\",0\r\n"},  // compared with the slots' frequencies
        {"Speicherplatz.txt", memoryFile({{1, "87.90"}, {12, "10?.84"}}), "Zeile 12 (Platz 12) hält keine Frequenz (\"10?.84\")"},
    };
    for (const Damage &d : cases) {
        SCOPED_TRACE(std::string(d.file) + ": " + d.bytes.toStdString());
        TearDown();
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(path(name));
        SetUp();  // fresh sample files, then one damage
        if (d.bytes.isEmpty())
            QFile::remove(path(d.file));
        else
            writeFile(d.file, d.bytes);
        const QByteArray config = readFile("config.dat");
        const QByteArray memory = readFile("Speicherplatz.txt");

        EXPECT_FALSE(start());
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_TRUE(messages()[0].text.startsWith("Fehler, Mögliche Ursachen:"));
        QString error;
        EXPECT_FALSE(form->GetConfiguration(&error));
        EXPECT_TRUE(error.contains(QLatin1String(d.file))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(d.where))) << error.toStdString();
        EXPECT_EQ(messages()[0].details, error);  // the message tells which file and why
        form->close();
        EXPECT_EQ(readFile("config.dat"), config);
        EXPECT_EQ(readFile("Speicherplatz.txt"), memory);
    }
}

TEST_F(StoreTest, FilesFromOtherEditorsLoadWithTheirNames)
{
    // Sendername.txt saved as UTF-8, the other two with a byte-order mark.
    const QByteArray names = sample("Sendername.txt");
    writeFile("Sendername.txt", QString::fromLatin1(names).toUtf8().replace("\"90.40\",\"Bayern 3\"",
                                                                           "\"90.40\",\"Klassik S\xc3\xbc" "d\""));
    writeFile("config.dat", "\xef\xbb\xbf" + sample("config.dat"));
    writeFile("Speicherplatz.txt", "\xef\xbb\xbf" + sample("Speicherplatz.txt"));
    ASSERT_TRUE(start());
    EXPECT_EQ(form->keyName[4], QString::fromUtf8("Klassik Süd"));
    EXPECT_EQ(form->keyName[5], QString::fromUtf8("Ö1"));
    EXPECT_EQ(form->keyNote[5], QString::fromUtf8("Österreich Kultur"));
    EXPECT_EQ(form->comPort, 1);

    // Saved as they have always been: windows-1252, no mark.
    form->close();
    EXPECT_EQ(readFile("config.dat"), sample("config.dat"));
    EXPECT_EQ(readFile("Speicherplatz.txt"), sample("Speicherplatz.txt"));
}

TEST_F(StoreTest, NamesSortOntoTheLastKeysWithTheirFrequencies)
{
    writeFile("config.dat", "1,2,,,,,,,,,,1,10\r\n0,0,0,0\r\n0,0,0,0\r\n0,0,0,0\r\n");
    writeFile("Speicherplatz.txt", memoryFile({{5, "102.70"}, {12, " 87.90"}, {20, " 98.50"}}));
    create();
    ASSERT_TRUE(form->GetConfiguration());
    form->currentFrequency = QStringLiteral(" 87.90");
    form->refreshStationKeys();

    const QStringList c = captions();
    EXPECT_EQ(c.mid(0, 27), QStringList(27, QString()));
    EXPECT_EQ(c.mid(27), (QStringList{"Antenne Bayern", "Bayern 1", QString::fromUtf8("Radio Würzburg")}));
    EXPECT_EQ(form->keyFrequency[28], " 98.50");
    EXPECT_EQ(form->keyFrequency[29], " 87.90");
    EXPECT_EQ(form->keyFrequency[30], "102.70");
    EXPECT_EQ(form->keyNote[30], QString::fromUtf8("Lokal Würzburg"));
    for (int i = 1; i <= 27; ++i)
        EXPECT_TRUE(form->keyFrequency[i].isEmpty()) << i;
    EXPECT_EQ(form->slotFrequency[5], "102.70");  // slot order stays
    EXPECT_EQ(form->stationT[29]->backColor(), colours::green);
    EXPECT_EQ(form->stationKeyMode, QVariant(2));

    // Mode 3 sorts the name order by note; umlauts come after Z.
    form->stationKeyMode = 3;
    form->refreshStationKeys();
    EXPECT_EQ(captions().mid(27), (QStringList{"Heimat & Oldies", QString::fromUtf8("Lokal Würzburg"), "Pop"}));
    EXPECT_EQ(form->keyName[29], QString::fromUtf8("Radio Würzburg"));
    EXPECT_EQ(form->keyFrequency[29], "102.70");
}

TEST_F(StoreTest, UmlautCaptionsSortAfterZ)
{
    writeFile("config.dat", "1,3,,,,,,,,,,1,10\r\n0,0,0,0\r\n0,0,0,0\r\n0,0,0,0\r\n");
    ASSERT_TRUE(start());
    QStringList c = captions();
    EXPECT_EQ(c.mid(0, 5), (QStringList{"", "", "", " 92.80", "106.90"}));
    EXPECT_EQ(c[7], "Heimat & Oldies");
    EXPECT_EQ(c[8], QString::fromUtf8("Hörspiel"));
    EXPECT_EQ(c.mid(27), (QStringList{"Weltmusik", QString::fromUtf8("Österreich Kultur"),
                                      QString::fromUtf8("Österreich Pop")}));

    // By name: a second letter Ü comes after W too.
    form->stationKeyMode = 2;
    form->refreshStationKeys();
    c = captions();
    EXPECT_EQ(c.mid(24), (QStringList{QString::fromUtf8("SWR1 Baden-Württemberg"), QString::fromUtf8("Süddeutsche Welle"),
                                      QString::fromUtf8("Ö-Regional"), QString::fromUtf8("Ö1"), QString::fromUtf8("Ö3"),
                                      QString::fromUtf8("Übersee Radio")}));
    EXPECT_EQ(form->keyFrequency[28], " 91.50");
}

TEST_F(StoreTest, ModeOneReloadsTheStationsButKeepsTheUsersChoices)
{
    writeFile("config.dat", "1,2,,,,,,,,,,0,10\r\n0,0,0,0\r\n1,7,0,15\r\n7,18,29,3\r\n");
    startAndSettle();
    EXPECT_NE(captions()[0], " 87.90");
    form->slotFrequency[2] = "99.99";  // an import not yet saved

    // The user sets a timer row and the fallback station, then steps the
    // keys 2 -> 3 -> 1 with "fm".
    click(form->Quelle[7]);
    input->focus(form->Woche[1]);
    input->key(Qt::Key_Down);
    input->focus(form->Ausweichsender);
    input->key(Qt::Key_Down);
    ASSERT_EQ(form->Woche[1]->currentIndex(), 2);
    ASSERT_EQ(form->Ausweichsender->currentIndex(), 11);
    for (int i = 0; i < 3; ++i) {
        click(form->Quelle[1]);
        run(0.5);
    }

    ASSERT_EQ(form->stationKeyMode, QVariant(1));
    EXPECT_EQ(captions()[0], " 87.90");
    EXPECT_EQ(captions()[1], " 88.40");
    EXPECT_EQ(form->keyName[1], "Bayern 1");
    EXPECT_EQ(form->slotFrequency[2], " 88.40");  // the station files come from disk
    EXPECT_EQ(form->Woche[1]->currentIndex(), 2);
    EXPECT_EQ(form->stunde[1]->currentIndex(), 7);
    EXPECT_EQ(form->sender[2]->currentIndex(), 3);
    EXPECT_EQ(form->Ausweichsender->currentIndex(), 11);
    // The refresh shows the window large.
    EXPECT_EQ(form->largeWindow.toInt(), 1);
    EXPECT_TRUE(form->verkleinern->isVisibleTo(form.get()));

    form->close();
    EXPECT_TRUE(readFile("config.dat").startsWith("1,1,,,,,,,,,,1,11\r\n0,0,0,0\r\n2,7,0,15\r\n7,18,29,3\r\n"));
}

TEST_F(StoreTest, FailedReloadChangesNothingAndSaysWhy)
{
    writeFile("config.dat", "1,2,,,,,,,,,,1,10\r\n0,0,0,0\r\n1,7,0,15\r\n7,18,29,3\r\n");
    ASSERT_TRUE(start());
    form->Woche[1]->setCurrentIndex(5);
    form->slotFrequency[2] = "99.99";
    const QStringList before = captions();
    const TextArray keyFrequency = form->keyFrequency;
    const TextArray keyName = form->keyName;

    QByteArray tooMany;
    for (int i = 0; i < 101; ++i)
        tooMany += "\"88.00\",\"X\",\"\",0\r\n";
    writeFile("Sendername.txt", tooMany);
    form->stationKeyMode = 1;
    form->refreshStationKeys();

    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains("Sendername.txt"));
    EXPECT_EQ(captions(), before);
    EXPECT_EQ(form->keyFrequency, keyFrequency);
    EXPECT_EQ(form->keyName, keyName);
    EXPECT_EQ(form->slotFrequency[2], "99.99");
    EXPECT_EQ(form->Woche[1]->currentIndex(), 5);
    EXPECT_EQ(form->nameRecordEnd, 41);
    EXPECT_TRUE(form->verkleinern->isVisibleTo(form.get()));

    // The program goes on: the next step of the mode works on what it has.
    form->stationKeyMode = 2;
    form->refreshStationKeys();
    EXPECT_EQ(form->stationKeyMode, QVariant(2));
}

TEST_F(StoreTest, FmKeyWhoseReloadFailsKeepsTheKeyModeAndNamesTheLine)
{
    writeFile("config.dat", "1,3,,,,,,,,,,1,10\r\n0,0,0,0\r\n1,7,0,15\r\n7,18,29,3\r\n");
    startAndSettle();
    ASSERT_EQ(form->quelA->text(), "FM");
    const QStringList before = captions();
    QByteArray tooMany;
    for (int i = 0; i < 101; ++i)
        tooMany += "\"88.00\",\"X\",\"\",0\r\n";
    writeFile("Sendername.txt", tooMany);
    click(form->Quelle[1]);  // "fm" again: from mode 3 to mode 1, which reloads
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains("Zeile 101: mehr als 100 Sender")) << messages()[0].text.toStdString();
    EXPECT_EQ(captions(), before);
    form->close();
    EXPECT_TRUE(readFile("config.dat").startsWith("1,3,")) << readFile("config.dat").toStdString();
}

TEST_F(StoreTest, ModeOfTextStartsLikeAnEmptyOneAndIsSavedBack)
{
    writeFile("config.dat", "1,zwei,,,,,,,,,,1,10\r\n0,0,0,0\r\n0,0,0,0\r\n0,0,0,0\r\n");
    create();
    const QStringList design = captions();
    ASSERT_TRUE(form->Form_Load());
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(captions(), design);
    EXPECT_EQ(form->stationKeyMode, QVariant(QStringLiteral("zwei")));
    form->close();
    EXPECT_TRUE(readFile("config.dat").startsWith("1,\"zwei\",,,,,,,,,,1,10\r\n"));
}

TEST_F(StoreTest, EmptyModeChangesNoCaptionButEnlarges)
{
    writeFile("config.dat", "1,,,,,,,,,,,,10\r\n0,0,0,0\r\n0,0,0,0\r\n0,0,0,0\r\n");
    create();
    const QStringList design = captions();
    ASSERT_TRUE(form->GetConfiguration());
    EXPECT_FALSE(form->verkleinern->isVisibleTo(form.get()));  // an empty size counts as small
    form->refreshStationKeys();
    EXPECT_EQ(captions(), design);
    EXPECT_FALSE(form->stationKeyMode.isValid());
    EXPECT_TRUE(form->verkleinern->isVisibleTo(form.get()));
    form->saveConfiguration();
    EXPECT_TRUE(readFile("config.dat").startsWith("1,,,,,,,,,,,1,10\r\n"));
}
