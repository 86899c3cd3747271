// The seek ("auto tune") and preset step ("programm") keys, and the
// display test. After a step nobody knows the station, so the display is
// blanked until the status dump tells.

#include "ui/form1.h"

namespace {

void stepTuner(Form1 &f, KeyLabel *key, cmd::Code code, float settle)
{
    // No periodic request may come between the step and our own.
    f.dauertimer->setEnabled(false);
    f.writeCode(code);
    f.nameA->setText(QStringLiteral("---"));
    f.frequenzA->setText(QStringLiteral("---"));
    for (int i = 1; i <= 30; ++i)
        f.stationT[i]->setBackColor(colours::black);
    f.hifi().setLitStationKey(0);
    key->setBackColor(colours::silver);
    f.Pause(0.1f);
    key->setBackColor(colours::white);
    // Give the tuner time to find and settle on the station.
    f.Pause(settle);
    f.requestStatus();
}

}  // namespace

void Form1::autominusK_Click()
{
    stepTuner(*this, autominusK, cmd::Rewind, 1.5f);
}

void Form1::autoplusK_Click()
{
    stepTuner(*this, autoplusK, cmd::Forward, 1.5f);
}

void Form1::progminusK_Click()
{
    stepTuner(*this, progminusK, cmd::PresetStepBack, 0.5f);
}

void Form1::progplusK_Click()
{
    stepTuner(*this, progplusK, cmd::PresetStepForward, 0.5f);
}

void Form1::TestMemory_Click()
{
    writeCode(cmd::TestDisplay);
    TestMemory->setBackColor(colours::silver);
    Pause(4.0f);
    TestMemory->setBackColor(colours::white);
}
