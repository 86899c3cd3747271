#include "desktop/command_line.h"

#include "home/mqtt_settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace desktop {

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Remote control for the Ondal Sonvera hi-fi system on a serial line.\n"
        "The data files and pelora.ini live beside the program (or, installed,\n"
        "in the user's data directory)."));
    // Qt's own window options ("-platform offscreen") read as long options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Use the serial device <path> for this run (for example "
                                                 "/dev/ttyUSB0), instead of the one chosen in the window."),
                                  QStringLiteral("path"));
    parser.addOption(port);
    const QCommandLineOption headless(QStringLiteral("headless"),
                                      QStringLiteral("Run without a window and without a display, as a service "
                                                     "(messages go to the log)."));
    parser.addOption(headless);
    const QCommandLineOption mqtt(QStringLiteral("mqtt"),
                                  QStringLiteral("Connect to the MQTT broker at <host>[:<port>] for this run; the "
                                                 "other MQTT settings come from the [mqtt] section of pelora.ini."),
                                  QStringLiteral("host[:port]"));
    parser.addOption(mqtt);
    // The options that the window system takes for itself.
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "display", "geometry", "style", "stylesheet", "session",
                             "title"}) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const char *name : {"reverse", "widgetcount", "sync"}) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }

    CommandLine out;
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "pelora: %s\nTry 'pelora --help'.\n", qPrintable(parser.errorText()));
        out.exitStatus = 2;
        return out;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Read before the application object exists: name the program here.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("pelora"));
        std::fputs(qPrintable(text), stdout);
        out.exitStatus = 0;
        return out;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        out.exitStatus = 0;
        return out;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "pelora: unexpected argument '%s'\nTry 'pelora --help'.\n",
                     qPrintable(parser.positionalArguments().first()));
        out.exitStatus = 2;
        return out;
    }
    out.headless = parser.isSet(headless);
    if (parser.isSet(mqtt) && !home::parseHostPort(parser.value(mqtt), &out.mqttHost, &out.mqttPort)) {
        std::fprintf(stderr, "pelora: --mqtt needs a host name or address, with :port if not 1883\nTry 'pelora --help'.\n");
        out.exitStatus = 2;
        return out;
    }
    out.port = parser.value(port);
    // A path relative to where the program was started (a device name
    // such as ttyUSB0 is left for the serial port to find in /dev).
    if (QFileInfo::exists(out.port))
        out.port = QFileInfo(out.port).absoluteFilePath();
    if (parser.isSet(port) && out.port.isEmpty()) {
        std::fprintf(stderr, "pelora: --port needs a device path\nTry 'pelora --help'.\n");
        out.exitStatus = 2;
    }
    return out;
}

}  // namespace desktop
