// config.dat, Speicherplatz.txt and Sendername.txt as bytes, and the key
// captions built from them.
#include "store/config_file.h"
#include "store/frequency.h"
#include "store/station_files.h"
#include "store/write_format.h"

#include <gtest/gtest.h>

using namespace store;

namespace {

QByteArray nameRecords(int count)
{
    QByteArray out;
    for (int i = 1; i <= count; ++i)
        out += "\"" + QByteArray::number(87.5 + i * 0.1, 'f', 2) + "\",\"Sender " + QByteArray::number(i)
               + "\",\"\"," + QByteArray::number(i % 2) + "\r\n";
    return out;
}

}  // namespace

TEST(ConfigFile, WrittenForm)
{
    Configuration c;
    c.comPort = 1;
    c.stationKeyMode = 2;
    c.largeWindow = 1;
    c.fallbackIndex = 5;
    c.rows[1] = {1, 7, 30, 4};
    EXPECT_EQ(writeConfiguration(c), QByteArray("1,2,,,,,,,,,,1,5\r\n0,0,0,0\r\n1,7,30,4\r\n0,0,0,0\r\n"));

    c.stationKeyMode = QVariant();
    c.fallbackIndex = -1;
    EXPECT_TRUE(writeConfiguration(c).startsWith("1,,,,,,,,,,,1,-1\r\n"));
}

TEST(ConfigFile, ReservedFieldsAreDroppedAndDamageFails)
{
    const Configuration c = parseConfiguration("1,,\"x\",5,,,,,,,9,1,-1\r\n1,2,3,4\r\n5,6,7,8\r\n0,0,0,0");
    EXPECT_FALSE(c.stationKeyMode.isValid());
    EXPECT_EQ(c.largeWindow.toInt(), 1);
    EXPECT_EQ(c.fallbackIndex, -1);
    EXPECT_EQ(c.rows[1].minute, 7);
    EXPECT_TRUE(writeConfiguration(c).startsWith("1,,,,,,,,,,,1,-1\r\n1,2,3,4\r\n"));

    EXPECT_THROW(parseConfiguration("1,1,,,,,,,,,,1,2\r\n1,2,3,4\r\n5,6,7,8\r\n0,0,0"), FormatError);
    EXPECT_THROW(parseConfiguration("1,1,,,,,,,,,,eins,2\r\n1,2,3,4\r\n5,6,7,8\r\n0,0,0,0"), FormatError);
}

TEST(ConfigFile, ModeOfTextIsKeptAsRead)
{
    for (const QByteArray mode : {"eins", "\"eins\""}) {
        const Configuration c = parseConfiguration("1," + mode + ",,,,,,,,,,1,2\r\n1,2,3,4\r\n5,6,7,8\r\n0,0,0,0");
        EXPECT_EQ(c.stationKeyMode, QVariant(QStringLiteral("eins")));
        EXPECT_TRUE(writeConfiguration(c).startsWith("1,\"eins\",,,,,,,,,,1,2\r\n"));
    }
    EXPECT_EQ(parseConfiguration("1,\"3\",,,,,,,,,,1,2\r\n1,2,3,4\r\n5,6,7,8\r\n0,0,0,0").stationKeyMode.toInt(), 3);
}

TEST(StationMemory, ThirtySlotsAndTheMarkerWrittenEmpty)
{
    QByteArray file;
    for (int i = 1; i <= 31; ++i)
        file += i == 4 ? QByteArray("\"\"\r\n") : "\"" + QByteArray::number(100 + i) + ".00\"\r\n";
    TextArray memory = parseStationMemory(file);  // the 31st is ignored
    EXPECT_EQ(memory[4], "");
    EXPECT_EQ(memory[30], "130.00");

    memory[7] = kEmptySlotMarker;
    const QByteArray written = writeStationMemory(memory);
    EXPECT_EQ(memory[7], "");
    EXPECT_EQ(written.count("\r\n"), 30);
    EXPECT_TRUE(written.startsWith("\"101.00\"\r\n"));
    EXPECT_TRUE(written.contains("\"106.00\"\r\n\"\"\r\n\"108.00\""));
    EXPECT_EQ(parseStationMemory(written), memory);

    file.truncate(file.indexOf("\"130.00\""));
    EXPECT_THROW(parseStationMemory(file), FormatError);
}

TEST(StationNames, UpToHundredRecordsEachWhole)
{
    EXPECT_EQ(parseStationNames(QByteArray()).end, 1);
    const StationNameList list = parseStationNames(nameRecords(100));
    EXPECT_EQ(list.end, 101);
    EXPECT_EQ(list.records[100].name, "Sender 100");
    EXPECT_EQ(list.records[100].freq, "97.50");
    EXPECT_EQ(list.records[99].flag, 1);

    EXPECT_THROW(parseStationNames(nameRecords(101)), FormatError);
    EXPECT_THROW(parseStationNames(nameRecords(3) + "\"88.00\",\"Rest\",\"\""), FormatError);
    EXPECT_THROW(parseStationNames("\"88.00\",\"a\",\"b\",\"c\"\r\n"), FormatError);
}

TEST(KeyCaptions, LastMatchingRecordWins)
{
    const StationNameList list = parseStationNames(
        "\"102.70\",\"Erster\",\"alt\",1\r\n"
        "\"1440\",\"Mittelwelle\",\"AM\",0\r\n"
        "\"102,7\",\"Komma\",\"\",0\r\n"  // 102, not 10270
        "\"102.70\",\"Zweiter\",\"neu\",1\r\n");
    TextArray freq, name, note;
    freq[1] = "102.70";
    buildKeyCaptions(freq, {}, 1, name, note);  // no records: the frequency
    EXPECT_EQ(name[1], "102.70");
    EXPECT_EQ(note[1], "102.70");

    freq[2] = "  1440";
    freq[4] = "99.90";
    buildKeyCaptions(freq, list.records, list.end, name, note);
    EXPECT_EQ(name[1], "Zweiter");
    EXPECT_EQ(note[1], "neu");
    EXPECT_EQ(name[2], "Mittelwelle");
    EXPECT_EQ(name[3], "");
    EXPECT_EQ(note[4], "99.90");
}

TEST(KeyCaptions, UnreadableFrequencyFailsOnlyWhenCompared)
{
    const StationNameList list = parseStationNames("\"kaputt\",\"X\",\"\",0\r\n");
    TextArray freq, name, note;
    EXPECT_NO_THROW(buildKeyCaptions(freq, list.records, list.end, name, note));
    freq[5] = "88.00";
    EXPECT_THROW(buildKeyCaptions(freq, list.records, list.end, name, note), ConversionError);
}
