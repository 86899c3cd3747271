// Inputs the fuzzers found, kept so that they stay harmless.

#include "store/station_files.h"

#include <gtest/gtest.h>

TEST(FuzzRegression, QuoteInsideAnUnquotedSlotSurvivesASave)
{
    // Control characters, NULs and a double quote inside a bare field.
    static const unsigned char input[] = {0x0d, 0x2c, 0x2c, 0x0d, 0x2c, 0x34, 0x0a, 0x2c, 0x2c, 0x0a,
                                          0x2c, 0x2c, 0x0a, 0x2c, 0x0a, 0x2c, 0x0d, 0x0d, 0x2c, 0x2c,
                                          0x00, 0x00, 0x60, 0xe0, 0x00, 0x05, 0xf2, 0x22, 0x2c, 0x34,
                                          0x2c, 0x0a, 0x2c, 0x0a, 0x2c, 0x0a, 0x2c, 0x0a, 0x2c, 0x2a};
    TextArray memory = store::parseStationMemory(QByteArray(reinterpret_cast<const char *>(input), sizeof input));
    TextArray expected = memory;
    const TextArray reread = store::parseStationMemory(store::writeStationMemory(memory));
    bool sawQuote = false;
    for (size_t i = 1; i <= 30; ++i) {
        sawQuote = sawQuote || expected[i].contains(QLatin1Char('"'));
        // A double quote would end the text early; it is written as an apostrophe.
        EXPECT_EQ(reread[i], expected[i].replace(QLatin1Char('"'), QLatin1Char('\''))) << i;
    }
    EXPECT_TRUE(sawQuote);
}
