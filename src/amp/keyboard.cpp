// "+" and "-" typed anywhere in the window step the volume by one. The
// window's event filter calls this before the focused control gets the
// character, which then goes on unchanged.

#include "model/player_calls.h"
#include "ui/form1.h"

void Form1::Form_KeyPress(int keyAscii)
{
    // One code per press, no burst. At the ends of the slider's range the
    // code still goes out (the device may not be where the slider is) and
    // the slider stays at its end. volumeLevel is left alone; the next
    // status dump sets it from the device.
    if (keyAscii == '+') {
        writeCode(cmd::VolumeUp);
        volR->setValue(std::min(volR->value() + 1, volR->maximum()));
    } else if (keyAscii == '-') {
        writeCode(cmd::VolumeDown);
        volR->setValue(std::max(volR->value() - 1, volR->minimum()));
    }
    volA->setText(QString::number(volR->value()));
    if (keyAscii == '+' || keyAscii == '-')
        hifi_.setLevel(model::Level::Volume, volR->value());
}

bool Form1::mediaKey_Press(int key)
{
    // The keyboard's own volume keys do what "+", "-" and "mute" do; its
    // media keys drive the player that is the source, as the desktop's
    // media-player interface does. They come from outside the window's
    // controls, so they go through the door like the desktop's calls.
    model::Call call;
    switch (key) {
    case Qt::Key_VolumeUp: door_->stepVolume(true); return true;
    case Qt::Key_VolumeDown: door_->stepVolume(false); return true;
    case Qt::Key_VolumeMute: door_->pressKey(QStringLiteral("muteK")); return true;
    case Qt::Key_MediaPlay: call = model::Call::Play; break;
    case Qt::Key_MediaPause: call = model::Call::Pause; break;
    case Qt::Key_MediaTogglePlayPause: call = model::Call::PlayPause; break;
    case Qt::Key_MediaStop: call = model::Call::Stop; break;
    case Qt::Key_MediaNext: call = model::Call::Next; break;
    case Qt::Key_MediaPrevious: call = model::Call::Previous; break;
    default: return false;
    }
    door_->callPlayer(call);
    return true;
}
