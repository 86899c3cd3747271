// The amplifier's function keys. A switch key's colour is its only record
// of the function's state: the device toggles on the same code either way.

#include "ui/form1.h"

namespace {

// Writes the code and flips the key between white and its on colour. Any
// colour other than the on colour counts as off.
void toggle(Form1 &f, KeyLabel *key, cmd::Code code, const QColor &onColour)
{
    f.writeCode(code);
    key->setBackColor(key->backColor() == onColour ? colours::white : onColour);
}

void flash(Form1 &f, KeyLabel *key, float seconds)
{
    key->setBackColor(colours::silver);
    f.Pause(seconds);
    key->setBackColor(colours::white);
}

}  // namespace

void Form1::muteK_Click() { toggle(*this, muteK, cmd::Mute, colours::green); }
void Form1::loudnK_Click() { toggle(*this, loudnK, cmd::Loudness, colours::green); }
void Form1::ls1K_Click() { toggle(*this, ls1K, cmd::Speaker1, colours::green); }
void Form1::ls2K_Click() { toggle(*this, ls2K, cmd::Speaker2, colours::green); }
void Form1::monoK_Click() { toggle(*this, monoK, cmd::Mono, colours::silver); }
void Form1::hblendK_Click() { toggle(*this, hblendK, cmd::HBlend, colours::silver); }
void Form1::herz_Click() { toggle(*this, herz, cmd::Filter20Hz, colours::silver); }

void Form1::eqK_Click()
{
    toggle(*this, eqK, cmd::Equaliser, colours::silver);
    // With the equaliser on, the tone controls have no say; they keep their
    // values and the status dump goes on setting them while hidden.
    const bool visible = eqK->backColor() != colours::silver;
    for (QWidget *w : std::initializer_list<QWidget *>{bassR, trebR, Label1, Label16, bassA, trebA, loudnK})
        w->setVisible(visible);
}

void Form1::copy_Click()
{
    writeCode(cmd::Copy);
    flash(*this, copy, 0.3f);
}

void Form1::lbassminus_Click()
{
    // The low-bass code and the bass step leave back to back.
    writeCode(cmd::LowBass);
    writeCode(cmd::BassDown);
    flash(*this, lbassminus, 0.1f);
}

void Form1::lbassplus_Click()
{
    writeCode(cmd::LowBass);
    writeCode(cmd::BassUp);
    flash(*this, lbassplus, 0.1f);
}
