#pragma once
// The real backends: system clock, QTimer, Qt's event loop, QSerialPort and
// QMessageBox.

#include "platform/platform.h"

namespace platform {

// Builds the platform the program runs on. `programDir` is where the data
// files and the COM<n> links live.
Platform makeQtPlatform(const QString &programDir);

// Message boxes for a program without a window (--headless): each text
// goes to the log and is answered OK.
std::unique_ptr<MessageBoxes> makeLoggedMessageBoxes();

// Where the data files and the COM<n> links live: beside the program, or for
// a program installed system-wide, the user's own data directory.
QString programDirectory();
// The user's state directory for the program ($XDG_STATE_HOME/pelora).
QString stateDirectory();

}  // namespace platform
