#pragma once
// Helpers shared by the tuner tests: the device holds the memory of the
// sample Speicherplatz.txt, so that program and device agree.

#include "model/station.h"
#include "window_fixture.h"

#include <QRegularExpression>

#include <functional>

class TunerTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const auto slots = sim::parseSlotFile(readFile(QStringLiteral("Speicherplatz.txt")).toStdString());
        ASSERT_TRUE(slots.has_value());
        device.setSlots(*slots);
    }

    // Starts, settles, and keeps the periodic refresh out of the way so
    // that the line carries only what the test causes.
    void startQuiet(const QDateTime &at = QDateTime(QDate(2026, 12, 7), QTime(10, 0)))
    {
        startAndSettle(at);
        form->dauertimer->setInterval(3600 * 1000);
    }

    int count(const std::string &code, double from = 0) const
    {
        int n = 0;
        for (const auto &c : codeTexts(from))
            n += c == code;
        return n;
    }
    // Times at which `code` reached the device.
    std::vector<double> timesOf(const std::string &code, double from = 0) const
    {
        std::vector<double> t;
        for (const auto &c : codes())
            if (c.t >= from && c.code.toStdString() == code)
                t.push_back(c.t);
        return t;
    }
    // Runs `fn` at `delay` seconds from now, in the middle of whatever
    // handler is waiting then.
    void at(double delay, std::function<void()> fn) { world->sched.schedule(now() + delay, std::move(fn)); }

    // A key of the player panels by its control name.
    KeyLabel *transportKey(const char *control) const
    {
        for (KeyLabel *k : form->transportKeys)
            if (k->objectName() == QLatin1String(control))
                return k;
        return nullptr;
    }

    void chooseFallback(const QString &entry)
    {
        form->Ausweichsender->setCurrentIndex(form->Ausweichsender->findText(entry));
    }
};
