// The switch timer's tick: ends an advertising break at the full or half
// hour, and switches to the stations of the timetable rows.

#include "automation/timetable.h"
#include "tuner/advertising.h"
#include "ui/form1.h"

void Form1::schalttimer_Timer()
{
    // A dump being collected must not be disturbed by a station change.
    if (statusPending == 1)
        return;

    if (tuner::advertisingReturnDue(*this)) {
        // The rows wait for a later tick.
        tuner::returnFromAdvertising(*this);
        return;
    }

    automation::switchDueRows(*this);
}
