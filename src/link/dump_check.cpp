#include "link/dump_check.h"

#include "amp/source_names.h"

#include <algorithm>

namespace dump {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Two characters forming a whole number: the device writes "07"; a leading
// blank reads as well.
bool twoDigits(const QString &t)
{
    return t.size() == 2 && (isDigit(t[0]) || t[0] == u' ') && isDigit(t[1]);
}

// "OFF", or a sign (or a digit) and two digits: "+04", "-10", "000".
bool toneLevel(const QString &t)
{
    if (t == QLatin1String("OFF"))
        return true;
    return t.size() == 3 && (isDigit(t[0]) || t[0] == u'+' || t[0] == u'-' || t[0] == u' ') && isDigit(t[1]) &&
           isDigit(t[2]);
}

// " 98.50", "  1440", "------" while the tuner searches.
bool frequencyText(const QString &t)
{
    if (t.size() != frequency.last - frequency.first + 1)
        return false;
    for (QChar c : t)
        if (!isDigit(c) && c != u' ' && c != u'.' && c != u',' && c != u'-')
            return false;
    return true;
}

}  // namespace

QString brokenField(const std::function<QString(Field)> &field)
{
    if (!twoDigits(field(volume)))
        return QStringLiteral("volume");
    const QString side = field(balanceSide);
    if (side != QLatin1String("L") && side != QLatin1String("R") && side != QLatin1String(" "))
        return QStringLiteral("balance side");
    if (!twoDigits(field(balanceAmount)))
        return QStringLiteral("balance");
    if (!toneLevel(field(treble)))
        return QStringLiteral("treble");
    if (!toneLevel(field(bass)))
        return QStringLiteral("bass");
    const QString src = field(source);
    if (std::none_of(amp::sourceNames.begin(), amp::sourceNames.end(),
                     [&](const amp::SourceName &n) { return src == QLatin1String(n.dump); }))
        return QStringLiteral("source");
    if (!frequencyText(field(frequency)))
        return QStringLiteral("frequency");
    return QString();
}

}  // namespace dump
