#pragma once
// Helpers for the amplifier tests: a window settled on a known device state,
// pointer actions on the sliders, and counting codes on the line.

#include "window_fixture.h"


#include <string>
#include <vector>

class AmpTest : public WindowTest {
protected:
    // Starts with the device at volume 40, balance 0, bass and treble 0, on
    // FM, and lets the first dump be decoded.
    void settle()
    {
        device.state().volume = 40;
        device.state().balance = 0;
        startAndSettle();
        ASSERT_EQ(form->volR->value(), 40);
        ASSERT_TRUE(form->formEnabled());
    }

    // Puts the slider at `value` and completes a pointer action on it: a
    // real press and release on the handle, which leaves the value as it is.
    void releaseAt(QSlider *s, int value)
    {
        s->setValue(value);
        input->click(s, UserInput::handleCentre(s));
    }

    int count(const std::string &code, double from = -1) const
    {
        int n = 0;
        for (const auto &c : codeTexts(from))
            n += c == code;
        return n;
    }

    // Arrival times of one code.
    std::vector<double> timesOf(const std::string &code, double from = -1) const
    {
        std::vector<double> t;
        for (const auto &c : codes())
            if (c.t >= from && c.code.toStdString() == code)
                t.push_back(c.t);
        return t;
    }

    // Every code from `from` on, except the periodic status requests.
    std::vector<std::string> sentFrom(double from) const
    {
        std::vector<std::string> out;
        for (const auto &c : codeTexts(from))
            if (c != "0:7")
                out.push_back(c);
        return out;
    }
};
