// Module1's sort of the key arrays.
#include "store/module1.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

class SeededRandom : public platform::Random {
public:
    explicit SeededRandom(quint32 s) : gen_(s) {}
    void seed(std::uint32_t s) override { gen_.seed(s); }
    void seedFromClock() override {}
    double next() override
    {
        ++calls;
        return gen_.generateDouble();
    }
    int calls = 0;

private:
    QRandomGenerator gen_;
};

// Sorts `values` on keys 1..30 and checks order, completeness and that each
// key's companions (derived from it) stayed with it.
void sortAndCheck(const QStringList &values, quint32 seed)
{
    TextArray keys, c1, c2;
    for (int i = 1; i <= 30; ++i) {
        keys[i] = values.value(i - 1);
        c1[i] = "f:" + keys[i];
        c2[i] = "n:" + keys[i];
    }
    SeededRandom rnd(seed);
    sortKeyArrays(keys, c1, c2, 1, 30, rnd);
    for (int i = 1; i <= 30; ++i) {
        ASSERT_EQ(c1[i], "f:" + keys[i]) << i;
        ASSERT_EQ(c2[i], "n:" + keys[i]) << i;
        if (i > 1) {
            ASSERT_LE(keys[i - 1].toUpper(), keys[i].toUpper()) << i;
        }
    }
    QStringList out(keys.begin() + 1, keys.end()), in = values;
    while (in.size() < 30)
        in << QString();
    std::sort(out.begin(), out.end());
    std::sort(in.begin(), in.end());
    ASSERT_EQ(out, in);
}

}  // namespace

TEST(SortKeyArrays, OrdersByUpperCaseAndCarriesCompanions)
{
    const QStringList captions = {
        QString::fromUtf8("Ö3"), "swr3", "Antenne", "", "102.70", " 87.50", QString::fromUtf8("Übersee"),
        "Zeit", "bayern 1", "Deutschlandfunk", "1440", QString::fromUtf8("ändern"), "zz", "SWR1", "Bayern 3",
        "a", "A", "Radio 7", "Radio 7", "Klassik", "WDR 2", QString::fromUtf8("Sender ä"), "hr3", "1LIVE"};
    QStringList ascending;
    for (int i = 0; i < 30; ++i)
        ascending << QString(QChar(u'A' + i % 26)) + QString::number(i / 26);
    std::sort(ascending.begin(), ascending.end());
    const QStringList descending(ascending.rbegin(), ascending.rend());

    for (quint32 seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        for (const QStringList &input : {captions, ascending, descending, QStringList(30, "gleich")})
            sortAndCheck(input, seed);
    }
}

TEST(SortKeyArrays, SmallRangesAndBounds)
{
    TextArray keys, c1, c2;
    keys = {"", "z", "b", "A", "w", "v", "u"};
    c1 = keys;
    SeededRandom rnd(1);
    sortKeyArrays(keys, c1, c2, 2, 3, rnd);  // two: one comparison, no random value
    sortKeyArrays(keys, c1, c2, 5, 5, rnd);
    sortKeyArrays(keys, c1, c2, 6, 5, rnd);
    EXPECT_EQ(rnd.calls, 0);
    EXPECT_EQ(keys[2], "A");
    EXPECT_EQ(c1[3], "b");

    sortKeyArrays(keys, c1, c2, 2, 5, rnd);
    EXPECT_EQ(keys[1], "z");  // outside the range
    EXPECT_EQ(keys[5], "w");
    EXPECT_EQ(keys[6], "u");
}

TEST(SortKeyArrays, SharpSStaysALetterPastZ)
{
    TextArray keys, c1, c2;
    keys[1] = QString::fromUtf8("Straße");
    keys[2] = "Strat";
    keys[3] = "strasse";
    keys[4] = QString::fromUtf8("straßE 2");
    c1 = keys;
    SeededRandom rnd(3);
    sortKeyArrays(keys, c1, c2, 1, 4, rnd);
    EXPECT_EQ(keys[1], "strasse");
    EXPECT_EQ(keys[2], "Strat");
    EXPECT_EQ(keys[3], QString::fromUtf8("Straße"));
    EXPECT_EQ(keys[4], QString::fromUtf8("straßE 2"));
    EXPECT_EQ(c1[3], QString::fromUtf8("Straße"));
}
