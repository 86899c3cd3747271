#pragma once
// The advertising fallback: "Werbung" jumps to a chosen slot and back, by a
// second press or by itself at the next full or half hour.

class Form1;

namespace tuner {

// The fallback is active (the key is red) and the minute is 0 or 30.
bool advertisingReturnDue(const Form1 &f);
// Ends the fallback: the switch timer stops, the key turns black and the
// tuner goes back to the slot that played before, if one is known.
void returnFromAdvertising(Form1 &f);

}  // namespace tuner
