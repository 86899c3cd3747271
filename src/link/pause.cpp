// The one way of waiting: events go on being handled while it waits, so
// other handlers run nested inside the caller.

#include "ui/form1.h"

void Form1::Pause(float seconds)
{
    const QDate startDay = plat.clock->date();
    // Times of day as 32-bit floats, as the device timing has always used.
    const float end = plat.clock->secondsSinceMidnight() + seconds;
    const float wrappedEnd = end - 86400.0f;  // for a wait that runs past midnight
    // The window is busy while a handler waits: callers from outside wait their turn.
    struct Busy {
        Form1 &f;
        Busy(Form1 &form) : f(form)
        {
            ++f.waitDepth_;
            f.showBusy();
        }
        ~Busy()
        {
            --f.waitDepth_;
            f.showBusy();
        }
    } busy(*this);
    for (;;) {
        if (unloaded_)
            throw WindowClosed();
        const float now = plat.clock->secondsSinceMidnight();
        const QDate today = plat.clock->date();
        float remaining;
        if (today == startDay && now < end)
            remaining = end - now;
        else if (today == startDay.addDays(1) && now < wrappedEnd)
            remaining = wrappedEnd - now;
        else
            return;
        plat.pump->processEvents(remaining);
    }
}
