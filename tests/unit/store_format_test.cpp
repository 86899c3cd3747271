// The write-format reader and writer, the frequency number and the
// case-blind file lookup.
#include "store/files.h"
#include "store/frequency.h"
#include "store/write_format.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace store;

TEST(FrequencyNumber, ReadsGermanNumbers)
{
    EXPECT_EQ(frequencyNumber(QStringLiteral("102.70")), 10270);
    EXPECT_EQ(frequencyNumber(QStringLiteral(" 87.50")), 8750);
    EXPECT_EQ(frequencyNumber(QStringLiteral("1111.11")), 111111);
    EXPECT_EQ(frequencyNumber(QStringLiteral("  1440")), 1440);
    EXPECT_EQ(frequencyNumber(QStringLiteral("1.000.000")), 1000000);
    // The comma is the decimal separator, and the number is rounded down.
    EXPECT_EQ(frequencyNumber(QStringLiteral("99,9")), 99);
    EXPECT_EQ(frequencyNumber(QStringLiteral("-0,5")), -1);
    EXPECT_EQ(frequencyNumber(QStringLiteral("+7")), 7);
    EXPECT_DOUBLE_EQ(germanNumber(QStringLiteral("1.234,5")), 1234.5);
}

TEST(FrequencyNumber, RejectsWhatIsNoNumber)
{
    for (const char *t : {"", "   ", "abc", "87,5,0", "1 2", "-", ".", "12a"})
        EXPECT_THROW(frequencyNumber(QString::fromLatin1(t)), ConversionError) << t;
}

TEST(FrequencyNumber, OfVariants)
{
    EXPECT_EQ(frequencyNumber(QVariant()), 0);
    EXPECT_EQ(frequencyNumber(QVariant(1440.9)), 1440);
    EXPECT_EQ(frequencyNumber(QVariant(QStringLiteral("102.70"))), 10270);
    EXPECT_THROW(frequencyNumber(QVariant(QString())), ConversionError);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(2.51), 3);
    EXPECT_EQ(roundHalfEven(-0.4), 0);
}

TEST(FieldReader, SplitsFieldsAtCommasAndLineEnds)
{
    FieldReader in(QStringLiteral("1,\"a, b\",,  \"x\"\r\n  7 ,\"\"\r\n"));
    EXPECT_EQ(in.read().text, "1");
    Field quoted = in.read();
    EXPECT_EQ(quoted.text, "a, b");
    EXPECT_TRUE(quoted.quoted);
    EXPECT_TRUE(in.read().empty());
    EXPECT_EQ(in.readText(), "x");
    EXPECT_EQ(in.readInt16(), 7);
    Field emptyText = in.read();
    EXPECT_TRUE(emptyText.text.isEmpty());
    EXPECT_FALSE(emptyText.empty());
    EXPECT_TRUE(in.atEnd());
    EXPECT_THROW(in.read(), FormatError);
}

TEST(FieldReader, TrailingCommaOwesAnEmptyField)
{
    FieldReader in(QStringLiteral("1,"));
    EXPECT_EQ(in.readInt16(), 1);
    EXPECT_FALSE(in.atEnd());
    EXPECT_TRUE(in.read().empty());
    EXPECT_TRUE(in.atEnd());

    // A lone LF ends a field as well as CR LF.
    FieldReader lf(QStringLiteral("\"a\"\n\"b\"\n\n"));
    EXPECT_EQ(lf.readText(), "a");
    EXPECT_EQ(lf.readText(), "b");
    EXPECT_TRUE(lf.atEnd());
}

TEST(FieldReader, UnclosedQuoteFails)
{
    FieldReader in(QStringLiteral("\"abc\r\n\"d\""));
    EXPECT_THROW(in.read(), FormatError);
}

TEST(FieldReader, Int16Conversion)
{
    auto int16 = [](const char *t) { return FieldReader(QString::fromLatin1(t)).readInt16(); };
    EXPECT_EQ(int16(","), 0);
    EXPECT_EQ(int16("-1"), -1);
    EXPECT_EQ(int16("2.5"), 2);
    EXPECT_EQ(int16("3.5"), 4);
    EXPECT_EQ(int16("\"12\""), 12);
    EXPECT_EQ(int16("32767"), 32767);
    EXPECT_EQ(int16("-32768"), -32768);
    EXPECT_THROW(int16("32768"), FormatError);
    EXPECT_THROW(int16("-32769"), FormatError);
    EXPECT_THROW(int16("zwei"), FormatError);
}

TEST(FieldWriter, WritesTheWriteStyle)
{
    FieldWriter out;
    out.writeNumber(1);
    out.writeEmpty();
    out.writeText(QStringLiteral("a\"b"));
    out.writeValue(QVariant());
    out.writeValue(QVariant(-1));
    out.endRecord();
    out.writeEmpty();
    out.endRecord();
    EXPECT_EQ(out.text(), QStringLiteral("1,,\"a'b\",,-1\r\n\r\n"));
}

TEST(Windows1252, UmlautsSurviveByteForByte)
{
    const QByteArray bytes("\"S\xfc" "dwestrundfunk \xc4\xd6\xdc\xe4\xf6\xdf \x80\"\r\n");
    FieldReader in = FieldReader::fromBytes(bytes);
    const QString text = in.readText();
    EXPECT_EQ(text, QString::fromUtf8("Südwestrundfunk ÄÖÜäöß €"));
    FieldWriter out;
    out.writeText(text);
    out.endRecord();
    EXPECT_EQ(out.bytes(), bytes);
}

TEST(Files, FindsAFileWhateverTheCaseOfItsName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(findFile(dir.path(), "config.dat"), QDir(dir.path()).filePath("config.dat"));

    QFile f(QDir(dir.path()).filePath("CONFIG.Dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(findFile(dir.path(), "config.dat"), f.fileName());
    EXPECT_EQ(findFile(dir.path(), "config.DAT"), f.fileName());

    QString error;
    ASSERT_TRUE(writeFileAtomically(findFile(dir.path(), "config.DAT"), "1\r\n", &error)) << qPrintable(error);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"CONFIG.Dat"});
    EXPECT_EQ(readWholeFile(f.fileName()).value(), QByteArray("1\r\n"));
}
