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
        out += QByteArray::number(8750 + i * 10).insert(2, '.').prepend('"') + "\",\"Sender "
               + QByteArray::number(i) + "\",\"\"," + QByteArray::number(i % 2) + "\r\n";
    return out;
}

}  // namespace

TEST(ConfigFile, FirstLineHasItsExactForm)
{
    Configuration c;
    c.comPort = 1;
    c.stationKeyMode = 2;
    c.largeWindow = 1;
    c.fallbackIndex = 5;
    c.rows[1] = {1, 7, 30, 4};
    EXPECT_EQ(writeConfiguration(c), QByteArray("1,2,,,,,,,,,,1,5\r\n0,0,0,0\r\n1,7,30,4\r\n0,0,0,0\r\n"));
}

TEST(ConfigFile, SavedFileLoadsBackToEveryValue)
{
    Configuration c;
    c.comPort = 3;
    c.stationKeyMode = QVariant();  // empty stays empty
    c.largeWindow = 0;
    c.fallbackIndex = -1;
    c.rows = {TimerRow{2, 22, 58, 28}, TimerRow{0, 0, 0, 0}, TimerRow{8, 1, 59, -1}};
    const QByteArray bytes = writeConfiguration(c);
    EXPECT_TRUE(bytes.startsWith("3,,,,,,,,,,,0,-1\r\n"));

    const Configuration back = parseConfiguration(bytes);
    EXPECT_EQ(back.comPort, 3);
    EXPECT_FALSE(back.stationKeyMode.isValid());
    EXPECT_EQ(back.largeWindow.toInt(), 0);
    EXPECT_TRUE(back.largeWindow.isValid());
    EXPECT_EQ(back.fallbackIndex, -1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back.rows[i].weekday, c.rows[i].weekday);
        EXPECT_EQ(back.rows[i].hour, c.rows[i].hour);
        EXPECT_EQ(back.rows[i].minute, c.rows[i].minute);
        EXPECT_EQ(back.rows[i].station, c.rows[i].station);
    }
    EXPECT_EQ(writeConfiguration(back), bytes);
}

TEST(ConfigFile, ReservedFieldsAreDroppedAndDamageFails)
{
    const Configuration c = parseConfiguration(
        "1,3,\"x\",5,,,,,,,9,1,2\r\n1,2,3,4\r\n5,6,7,8\r\n0,0,0,0");
    EXPECT_EQ(c.stationKeyMode.toInt(), 3);
    EXPECT_EQ(c.largeWindow.toInt(), 1);
    EXPECT_EQ(c.fallbackIndex, 2);
    EXPECT_EQ(c.rows[2].weekday, 0);
    EXPECT_TRUE(writeConfiguration(c).startsWith("1,3,,,,,,,,,,1,2\r\n"));

    // A row cut short, a mode that is no number.
    EXPECT_THROW(parseConfiguration("1,1,,,,,,,,,,1,2\r\n1,2,3,4\r\n5,6,7,8\r\n0,0,0"), FormatError);
    EXPECT_THROW(parseConfiguration("1,\"eins\",,,,,,,,,,1,2\r\n1,2,3,4\r\n5,6,7,8\r\n0,0,0,0"),
                 FormatError);
}

TEST(StationMemory, ThirtySlotsAndTheMarkerWrittenEmpty)
{
    QByteArray file;
    for (int i = 1; i <= 31; ++i)
        file += i == 4 ? QByteArray("\"\"\r\n") : "\"" + QByteArray::number(100 + i) + ".00\"\r\n";
    TextArray memory = parseStationMemory(file);  // the 31st is ignored
    EXPECT_EQ(memory[1], "101.00");
    EXPECT_EQ(memory[4], "");
    EXPECT_EQ(memory[30], "130.00");

    memory[7] = kEmptySlotMarker;
    const QByteArray written = writeStationMemory(memory);
    EXPECT_EQ(memory[7], "");
    const QList<QByteArray> lines = written.split('\n');
    ASSERT_EQ(lines.size(), 31);  // 30 lines and nothing after the last CR LF
    EXPECT_EQ(lines[0], "\"101.00\"\r");
    EXPECT_EQ(lines[6], "\"\"\r");
    EXPECT_EQ(parseStationMemory(written), memory);

    file.truncate(file.indexOf("\"130.00\""));
    EXPECT_THROW(parseStationMemory(file), FormatError);
}

TEST(StationNames, HundredRecordsLoadAndTheHundredAndFirstFails)
{
    EXPECT_EQ(parseStationNames(QByteArray()).end, 1);
    EXPECT_EQ(parseStationNames("\r\n\r\n").end, 1);

    const StationNameList list = parseStationNames(nameRecords(100));
    EXPECT_EQ(list.end, 101);
    EXPECT_EQ(list.records[100].name, "Sender 100");
    EXPECT_EQ(list.records[100].freq, "97.50");
    EXPECT_EQ(list.records[99].flag, 1);

    EXPECT_THROW(parseStationNames(nameRecords(101)), FormatError);
}

TEST(StationNames, RecordCutShortFails)
{
    EXPECT_THROW(parseStationNames(nameRecords(3) + "\"88.00\",\"Rest\",\"\""), FormatError);
    EXPECT_THROW(parseStationNames(nameRecords(3) + "\"88.00\""), FormatError);
    // A flag that is no number is a damaged record too.
    EXPECT_THROW(parseStationNames("\"88.00\",\"a\",\"b\",\"c\"\r\n"), FormatError);
}

TEST(KeyCaptions, LastMatchingRecordWins)
{
    const StationNameList list = parseStationNames(
        "\"102.70\",\"Erster\",\"alt\",1\r\n"
        "\"  1440\",\"Mittelwelle\",\"AM\",0\r\n"
        "\"102.70\",\"Zweiter\",\"neu\",1\r\n");
    TextArray freq;
    freq[1] = "102.70";
    freq[2] = "1440";
    freq[3] = "";
    freq[4] = "99.90";
    TextArray name, note;
    buildKeyCaptions(freq, list.records, list.end, name, note);
    EXPECT_EQ(name[1], "Zweiter");
    EXPECT_EQ(note[1], "neu");
    EXPECT_EQ(name[2], "Mittelwelle");
    EXPECT_EQ(note[2], "AM");
    EXPECT_EQ(name[3], "");
    EXPECT_EQ(name[4], "99.90");
    EXPECT_EQ(note[4], "99.90");

    // Whole parts are compared: 102,75 names the station 102,7.
    const StationNameList twice = parseStationNames(
        "\"102,7\",\"Erster\",\"alt\",1\r\n"
        "\"102,75\",\"Zweiter\",\"neu\",1\r\n");
    freq[1] = "102,7";
    buildKeyCaptions(freq, twice.records, twice.end, name, note);
    EXPECT_EQ(name[1], "Zweiter");
    EXPECT_EQ(note[1], "neu");
}

TEST(KeyCaptions, UnreadableRecordFrequencyFailsOnlyWhenCompared)
{
    const StationNameList list = parseStationNames("\"kaputt\",\"X\",\"\",0\r\n");
    TextArray freq, name, note;
    // Only empty memory: nothing is compared.
    EXPECT_NO_THROW(buildKeyCaptions(freq, list.records, list.end, name, note));
    freq[5] = "88.00";
    EXPECT_THROW(buildKeyCaptions(freq, list.records, list.end, name, note), ConversionError);
}
