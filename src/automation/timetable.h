#pragma once
// The three timetable rows of the switch timer: weekday, hour, minute and
// memory slot, each chosen from a drop-down list of the configuration panel.

class Form1;

namespace automation {

// Switches to the slot of every row due now, in row order. A row is due when
// it is on, its weekday fits and its hour and minute are the current ones;
// the time is taken once, so that rows of the same minute all switch even
// when an earlier one waits for its code repeat.
void switchDueRows(Form1 &f);

}  // namespace automation
