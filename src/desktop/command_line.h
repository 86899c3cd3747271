#pragma once
// The command line, read before any window exists, so that --help and
// --version work without a display.

#include <QString>
#include <QStringList>

namespace desktop {

struct CommandLine {
    QString port;  // --port PATH, empty if not given
    bool headless = false;  // --headless
    QString mqttHost;       // --mqtt HOST[:PORT]
    int mqttPort = 0;       // 0: none given
    QString web;            // --web [ADDR:]PORT
    bool webLink = false;   // --web-link: print the pairing link, then end
    // Set when the program ends here: its exit status (0 after --help
    // and --version, 2 after a wrong option); the text has been printed.
    int exitStatus = -1;
};

CommandLine parseCommandLine(const QStringList &arguments);

}  // namespace desktop
