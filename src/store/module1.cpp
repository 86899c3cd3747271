#include "store/module1.h"

#include "store/frequency.h"

void swapStrings(QString &a, QString &b)
{
    a.swap(b);
}

namespace {

// Upper case one character at a time: a character whose upper case is
// longer keeps its own form, so "Straße" stays one letter past "Strat"
// instead of turning into "STRASSE" before it.
QString upper(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4())
        out.append(QStringView(QChar::fromUcs4(QChar::toUpper(c))));
    return out;
}

void exchange(TextArray &keys, TextArray &c1, TextArray &c2, int x, int y)
{
    swapStrings(keys[x], keys[y]);
    swapStrings(c1[x], c1[y]);
    swapStrings(c2[x], c2[y]);
}

}  // namespace

void sortKeyArrays(TextArray &keys, TextArray &c1, TextArray &c2, int low, int high,
                   platform::Random &rnd)
{
    if (low >= high)
        return;
    if (high - low == 1) {
        if (upper(keys[low]) > upper(keys[high]))
            exchange(keys, c1, c2, low, high);
        return;
    }

    const int p = static_cast<int>(store::roundHalfEven(low + rnd.next() * (high - low)));
    exchange(keys, c1, c2, high, p);
    const QString partition = upper(keys[high]);

    int i = low;
    int j = high;
    do {
        // Each pass starts again from both ends.
        i = low;
        j = high;
        while (i < j && upper(keys[i]) <= partition)
            ++i;
        while (j > i && upper(keys[j]) >= partition)
            --j;
        if (i < j)
            exchange(keys, c1, c2, i, j);
    } while (i < j);

    exchange(keys, c1, c2, i, high);

    if (i - low < high - i) {
        sortKeyArrays(keys, c1, c2, low, i - 1, rnd);
        sortKeyArrays(keys, c1, c2, i + 1, high, rnd);
    } else {
        sortKeyArrays(keys, c1, c2, i + 1, high, rnd);
        sortKeyArrays(keys, c1, c2, low, i - 1, rnd);
    }
}
