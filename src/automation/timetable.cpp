#include "automation/timetable.h"

#include "store/frequency.h"
#include "ui/form1.h"

#include <QComboBox>

#include <cmath>
#include <optional>

namespace {

// The number an entry reads as ("25 " gives 25); none when no entry is
// chosen, as a list index of -1 from config.dat leaves it.
std::optional<double> entryNumber(const QComboBox *list)
{
    if (list->currentIndex() < 0)
        return std::nullopt;
    try {
        return store::germanNumber(list->currentText());
    } catch (const store::ConversionError &) {
        return std::nullopt;
    }
}

struct Now {
    int weekday;  // Sunday = 1
    int hour;
    int minute;
};

// The device slot row `i` switches to now, if it is due.
std::optional<int> dueSlot(const Form1 &f, int i, const Now &now)
{
    const int day = f.Woche[i]->currentIndex();
    // 0 is "NIE", 1 "TÄGLICH", 2..8 Sunday..Saturday.
    if (day <= 0)
        return std::nullopt;
    if (day != 1 && day != now.weekday + 1)
        return std::nullopt;

    const auto hour = entryNumber(f.stunde[i]);
    const auto minute = entryNumber(f.minuten[i]);
    const auto slot = entryNumber(f.sender[i]);
    // A row with a list left empty has nothing to compare: it never fires.
    if (!hour || !minute || !slot)
        return std::nullopt;
    if (std::trunc(*hour) != now.hour || std::trunc(*minute) != now.minute)
        return std::nullopt;
    return int(store::roundHalfEven(*slot));
}

}  // namespace

namespace automation {

void switchDueRows(Form1 &f)
{
    const Now now{f.plat.clock->weekday(), f.plat.clock->hour(), f.plat.clock->minute()};
    for (int i = 0; i < 3; ++i) {
        if (const auto slot = dueSlot(f, i, now))
            f.stationT_Click(*slot + 10000);
    }
}

}  // namespace automation
