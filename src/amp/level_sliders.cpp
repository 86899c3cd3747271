// The four level sliders and the centre keys on their read-outs. The device
// only knows "one step up", "one step down" and, for bass and balance, "to
// the middle", so a slider position becomes a burst of step codes sent by
// the code repeater.

#include "amp/level_value.h"
#include "ui/form1.h"

#include <climits>

namespace {

// Volume and balance move from the level last known; the burst is one code
// longer than the distance moved.
void moveFromLevel(Form1 &f, model::Level which, LevelSlider *slider, TextBox *readOut, QVariant &level,
                   cmd::Code up, cmd::Code down)
{
    // Read the level first: a level that is no number ends the handler
    // before anything has changed, and the periodic refresh keeps running.
    const long long old = amp::wholeLevel(level);

    f.dauertimer->setEnabled(false);
    readOut->setText(QString::number(slider->value()));
    const long long target = slider->value();
    if (target == old) {
        f.dauertimer->setEnabled(true);
        return;
    }
    const long long distance = target > old ? target - old : old - target;
    f.startRepeat(target > old ? up : down, int(std::min<long long>(distance + 1, INT_MAX)));
    f.dauertimer->setEnabled(true);
    level = slider->value();
    f.hifi().setLevel(which, slider->value());
}

// Wait until a burst of `limit` codes has left, plus 0.6 s for the device.
float burstWait(int limit)
{
    return float(0.2 * limit + 0.6);
}

}  // namespace

void Form1::volR_Scroll()
{
    moveFromLevel(*this, model::Level::Volume, volR, volA, volumeLevel, cmd::VolumeUp, cmd::VolumeDown);
}

void Form1::balR_Scroll()
{
    moveFromLevel(*this, model::Level::Balance, balR, balA, balanceLevel, cmd::BalanceRight, cmd::BalanceLeft);
}

void Form1::bassR_Scroll()
{
    // Bass keeps no level: back to the middle, then step out to the value.
    dauertimer->setEnabled(false);
    writeCode(cmd::BassCentre);
    const int v = bassR->value();
    if (v > 0)
        startRepeat(cmd::BassUp, v);
    else if (v < 0)
        startRepeat(cmd::BassDown, -v);
    bassA->setText(QString::number(v * 2));
    hifi_.setLevel(model::Level::Bass, v);
    dauertimer->setEnabled(true);
}

void Form1::trebR_Scroll()
{
    // Treble has no centre code: run it to the bottom, then 5 up to the
    // middle, then out to the value.
    dauertimer->setEnabled(false);
    trebA->setText(QString::number(trebR->value() * 2));
    hifi_.setLevel(model::Level::Treble, trebR->value());
    startRepeat(cmd::TrebleDown, 11);
    Pause(burstWait(repeatLimit));
    startRepeat(cmd::TrebleUp, 5);
    Pause(burstWait(5));
    // The slider may have been set while we waited.
    const int v = trebR->value();
    if (v == 0) {
        dauertimer->setEnabled(true);
        return;
    }
    startRepeat(v > 0 ? cmd::TrebleUp : cmd::TrebleDown, v > 0 ? v : -v);
    dauertimer->setEnabled(true);
}

void Form1::bassA_Click()
{
    writeCode(cmd::BassCentre);
    bassA->setText(QStringLiteral("0"));
    bassR->setValue(0);
    hifi_.setLevel(model::Level::Bass, 0);
}

void Form1::balA_Click()
{
    writeCode(cmd::BalanceCentre);
    balA->setText(QStringLiteral("0"));
    balR->setValue(0);
    balanceLevel = 0;
    hifi_.setLevel(model::Level::Balance, 0);
}

void Form1::trebA_Click()
{
    startRepeat(cmd::TrebleDown, 11);
    Pause(burstWait(11));
    // The five up codes go out after we return.
    startRepeat(cmd::TrebleUp, 5);
    trebA->setText(QStringLiteral("0"));
    trebR->setValue(0);
    hifi_.setLevel(model::Level::Treble, 0);
}

void Form1::sliderMovedByUser(int slider)
{
    sliderRestValue_[size_t(slider)] = levelSliders()[size_t(slider)]->value();
    // Every further notch or key press starts the rest anew.
    sliderRest[size_t(slider)]->setEnabled(false);
    sliderRest[size_t(slider)]->setEnabled(true);
}

void Form1::sliderRest_Timer(int slider)
{
    // While the window is busy the action waits, as a click would.
    if (!formEnabled_)
        return;
    sliderRest[size_t(slider)]->setEnabled(false);
    // A status dump has set the slider since: the device's value stands.
    if (levelSliders()[size_t(slider)]->value() != sliderRestValue_[size_t(slider)])
        return;
    levelSlider_Scroll(slider);
}

void Form1::levelSlider_Set(int slider, int value)
{
    if (slider < 0 || slider >= int(levelSliders().size()))
        return;
    LevelSlider *s = levelSliders()[size_t(slider)];
    const bool moving = sliderRest[size_t(slider)]->isEnabled();
    const int before = s->value();
    s->setValue(value);  // kept within the slider's range
    // A value that moves nothing starts no action, but joins one under way.
    if (s->value() != before || moving)
        sliderMovedByUser(slider);
}

void Form1::levelSlider_Scroll(int slider)
{
    switch (slider) {
    case 0: volR_Scroll(); break;
    case 1: balR_Scroll(); break;
    case 2: bassR_Scroll(); break;
    case 3: trebR_Scroll(); break;
    default: break;
    }
}
