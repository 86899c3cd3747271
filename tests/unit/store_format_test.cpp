// The write-format reader and writer and the frequency number.
#include "store/frequency.h"
#include "store/write_format.h"

#include <gtest/gtest.h>

using namespace store;

TEST(FrequencyNumber, GermanNumbersRoundedDown)
{
    EXPECT_EQ(frequencyNumber(QStringLiteral("102.70")), 10270);
    EXPECT_EQ(frequencyNumber(QStringLiteral(" 87.50")), 8750);
    EXPECT_EQ(frequencyNumber(QStringLiteral("1111.11")), 111111);
    EXPECT_EQ(frequencyNumber(QStringLiteral("  1440")), 1440);
    EXPECT_EQ(frequencyNumber(QStringLiteral("99,9")), 99);
    EXPECT_EQ(frequencyNumber(QStringLiteral("-0,5")), -1);
    EXPECT_EQ(frequencyNumber(QVariant()), 0);
    EXPECT_EQ(frequencyNumber(QVariant(1440.9)), 1440);
    for (const char *t : {"", "   ", "abc", "87,5,0", "1 2", "-", "12a"})
        EXPECT_THROW(frequencyNumber(QString::fromLatin1(t)), ConversionError) << t;
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.51), 3);
}

TEST(FieldReader, FieldsEndAtCommasAndLineEnds)
{
    FieldReader in(QStringLiteral("1,\"a, b\",,  \"x\"\r\n  7 ,\"\"\n2,\r\n\r\n"));
    EXPECT_EQ(in.readText(), "1");
    EXPECT_EQ(in.readText(), "a, b");
    EXPECT_TRUE(in.read().empty());
    EXPECT_EQ(in.readText(), "x");
    EXPECT_EQ(in.readInt16(), 7);
    const Field quotedEmpty = in.read();
    EXPECT_TRUE(quotedEmpty.text.isEmpty() && !quotedEmpty.empty());
    EXPECT_EQ(in.readInt16(), 2);
    EXPECT_FALSE(in.atEnd());  // the comma owes a field
    EXPECT_TRUE(in.read().empty());
    EXPECT_TRUE(in.atEnd());
    EXPECT_THROW(in.read(), FormatError);

    FieldReader unclosed(QStringLiteral("\"abc\r\n\"d\""));
    EXPECT_THROW(unclosed.read(), FormatError);
}

TEST(FieldReader, Int16Conversion)
{
    auto int16 = [](const char *t) { return FieldReader(QString::fromLatin1(t)).readInt16(); };
    EXPECT_EQ(int16(","), 0);
    EXPECT_EQ(int16("-1"), -1);
    EXPECT_EQ(int16("2.5"), 2);
    EXPECT_EQ(int16("3.5"), 4);
    EXPECT_EQ(int16("-32768"), -32768);
    EXPECT_THROW(int16("32768"), FormatError);
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

TEST(DataFileText, Utf8FromOtherEditorsAndAByteOrderMark)
{
    auto firstField = [](const QByteArray &bytes) { return FieldReader::fromBytes(bytes).readText(); };
    EXPECT_EQ(firstField("\"Klassik S\xc3\xbc" "d\",1\r\n"), QString::fromUtf8("Klassik Süd"));
    EXPECT_EQ(firstField("\xef\xbb\xbf\"Klassik S\xc3\xbc" "d\""), QString::fromUtf8("Klassik Süd"));
    EXPECT_EQ(firstField("\xef\xbb\xbf" "1,1,,,"), QStringLiteral("1"));
    EXPECT_EQ(firstField("\xef\xbb\xbf\"S\xfc" "d\""), QString::fromUtf8("Süd"));  // a mark before windows-1252
    EXPECT_EQ(firstField("\"S\xc3\""), QString::fromUtf8("SÃ"));  // cut short: no UTF-8

    // Written as windows-1252 unless that would read back as something else.
    auto written = [](const QString &text) {
        FieldWriter out;
        out.writeText(text);
        return out.bytes();
    };
    EXPECT_EQ(written(QString::fromUtf8("Süd")), QByteArray("\"S\xfc" "d\""));
    for (const char *text : {"Łódź", "Ã¼"}) {
        const QByteArray bytes = written(QString::fromUtf8(text));
        EXPECT_EQ(bytes, '"' + QByteArray(text) + '"');
        EXPECT_EQ(firstField(bytes), QString::fromUtf8(text));
    }
}
