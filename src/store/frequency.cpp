#include "store/frequency.h"

#include <cmath>
#include <limits>

namespace store {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

[[noreturn]] void fail(const QString &text)
{
    throw ConversionError("keine Zahl: \"" + text.toStdString() + '"');
}

long long wholeNumber(double v, const QString &shown)
{
    // Beyond this a double has no fraction left and a long long overflows.
    if (!std::isfinite(v) || std::fabs(v) >= 9.0e18)
        fail(shown);
    return static_cast<long long>(v);
}

}  // namespace

double germanNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;

    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // Collect the digits in C form; group dots are dropped, the first comma
    // becomes the decimal point.
    QByteArray digits;
    bool haveDigit = false;
    bool haveComma = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits += char(c.unicode());
            haveDigit = true;
        } else if (c == u'.' && !haveComma) {
            continue;
        } else if (c == u',' && !haveComma) {
            haveComma = true;
            digits += '.';
        } else {
            break;
        }
    }
    while (i < n && isBlank(text[i]))
        ++i;
    if (!haveDigit || i != n)
        fail(text);

    bool ok = false;
    const double v = digits.toDouble(&ok);
    if (!ok)
        fail(text);
    return negative ? -v : v;
}

long long frequencyNumber(const QString &text)
{
    return wholeNumber(std::floor(germanNumber(text)), text);
}

long long frequencyNumber(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    if (value.typeId() == QMetaType::QString)
        return frequencyNumber(value.toString());
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok)
        throw ConversionError("keine Zahl");
    return wholeNumber(std::floor(v), QString::number(v));
}

long long roundHalfEven(double v)
{
    const double lower = std::floor(v);
    const double rest = v - lower;
    double r = lower;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(lower, 2.0) != 0.0))
        r = lower + 1.0;
    return wholeNumber(r, QString::number(v));
}

QString numberText(double v)
{
    if (v == double(qint64(v)))
        return QString::number(qint64(v));
    return QString::number(v, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString frequencyText(const QVariant &f)
{
    if (f.typeId() == QMetaType::QString)
        return f.toString();
    if (f.canConvert<double>())
        return numberText(f.toDouble());
    return f.toString();
}

}  // namespace store
