// Module1's sort of the key arrays.
#include "store/module1.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Values from a fixed generator; counts how often it is asked.
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

// The companions of a key are derived from it, so that a lost pairing shows.
void fill(TextArray &keys, TextArray &c1, TextArray &c2, const QStringList &values)
{
    for (int i = 1; i <= 30; ++i) {
        keys[i] = i <= values.size() ? values[i - 1] : QString();
        c1[i] = "f:" + keys[i];
        c2[i] = "n:" + keys[i];
    }
}

void expectSortedWithCompanions(const TextArray &keys, const TextArray &c1, const TextArray &c2,
                                int low, int high)
{
    for (int i = low; i <= high; ++i) {
        EXPECT_EQ(c1[i], "f:" + keys[i]) << i;
        EXPECT_EQ(c2[i], "n:" + keys[i]) << i;
        if (i > low) {
            EXPECT_LE(keys[i - 1].toUpper(), keys[i].toUpper()) << i;
        }
    }
}

}  // namespace

TEST(SortKeyArrays, OrdersCaptionsAndCarriesCompanions)
{
    const QStringList captions = {
        QString::fromUtf8("Ö3"), "swr3", "Antenne Bayern", "", "102.70", " 87.50",
        QString::fromUtf8("Übersee"), "Zeit", "bayern 1", "", "Deutschlandfunk", "1440",
        QString::fromUtf8("ändern"), "zz", "SWR1", "Bayern 3", "a", "A", "Radio 7", "Radio 7",
        "", "Klassik", "WDR 2", QString::fromUtf8("Sender ä"), "hr3", "hr1", "1LIVE", "Energy",
        "Jazz", "Bremen Eins"};
    for (quint32 seed = 1; seed <= 50; ++seed) {
        TextArray keys, c1, c2;
        fill(keys, c1, c2, captions);
        SeededRandom rnd(seed);
        sortKeyArrays(keys, c1, c2, 1, 30, rnd);
        expectSortedWithCompanions(keys, c1, c2, 1, 30);

        QStringList sorted(keys.begin() + 1, keys.end());
        QStringList expected = captions;
        std::sort(sorted.begin(), sorted.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(sorted, expected) << "seed " << seed;

        // Empty first, then digits, letters without regard to case, umlauts last.
        EXPECT_EQ(keys[1], "");
        EXPECT_EQ(keys[4], " 87.50");
        EXPECT_EQ(keys[9].toUpper(), "A");
        EXPECT_EQ(keys[27], "zz");
        EXPECT_EQ(keys[28], QString::fromUtf8("ändern"));
        EXPECT_EQ(keys[29], QString::fromUtf8("Ö3"));
        EXPECT_EQ(keys[30], QString::fromUtf8("Übersee"));
    }
}

TEST(SortKeyArrays, SortedReversedAndEqualRuns)
{
    QStringList ascending;
    for (int i = 0; i < 30; ++i)
        ascending << QString(QChar(u'A' + i % 26)) + QString::number(i / 26);
    std::sort(ascending.begin(), ascending.end());
    QStringList descending(ascending.rbegin(), ascending.rend());
    const QStringList same(30, "gleich");

    for (const QStringList &input : {ascending, descending, same}) {
        TextArray keys, c1, c2;
        fill(keys, c1, c2, input);
        SeededRandom rnd(7);
        sortKeyArrays(keys, c1, c2, 1, 30, rnd);
        expectSortedWithCompanions(keys, c1, c2, 1, 30);
    }
}

TEST(SortKeyArrays, TwoElementsAreSettledWithoutTheGenerator)
{
    TextArray keys, c1, c2;
    fill(keys, c1, c2, {"b", "A"});
    SeededRandom rnd(1);
    sortKeyArrays(keys, c1, c2, 1, 2, rnd);
    EXPECT_EQ(keys[1], "A");
    EXPECT_EQ(c1[2], "f:b");
    sortKeyArrays(keys, c1, c2, 1, 2, rnd);
    sortKeyArrays(keys, c1, c2, 3, 3, rnd);
    sortKeyArrays(keys, c1, c2, 5, 4, rnd);
    EXPECT_EQ(keys[1], "A");
    EXPECT_EQ(rnd.calls, 0);
}

TEST(SortKeyArrays, LeavesEntriesOutsideTheRangeAlone)
{
    TextArray keys, c1, c2;
    fill(keys, c1, c2, {"z", "y", "x", "w", "v", "u"});
    SeededRandom rnd(3);
    sortKeyArrays(keys, c1, c2, 2, 5, rnd);
    EXPECT_EQ(keys[1], "z");
    EXPECT_EQ(keys[2], "v");
    EXPECT_EQ(keys[5], "y");
    EXPECT_EQ(keys[6], "u");
    EXPECT_EQ(keys[0], "");
}
