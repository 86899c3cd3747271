#pragma once
// The real backends: system clock, QTimer, Qt's event loop, QSerialPort and
// QMessageBox.

#include "platform/platform.h"

namespace platform {

// Builds the platform the program runs on. `programDir` is where the data
// files and the COM<n> links live.
Platform makeQtPlatform(const QString &programDir);

// SIGINT, SIGTERM and SIGHUP end the program as closing its windows does:
// the main window saves its files, an open message box counts as answered,
// and main goes on from there (so a failed start still ends with its exit
// status). Call once the application object exists.
void endOnTerminationSignals();

// Where the data files and the COM<n> links live: beside the program, or for
// a program installed system-wide, the user's own data directory.
QString programDirectory();

}  // namespace platform
