#include "desktop/command_line.h"

#include "home/mqtt_settings.h"
#include "web/web_settings.h"

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
    const QCommandLineOption webOption(QStringLiteral("web"),
                                       QStringLiteral("Serve the web remote and its JSON API on [<address>:]<port> "
                                                      "(127.0.0.1 unless an address is named) for this run; also "
                                                      "[web] listen= in pelora.ini."),
                                       QStringLiteral("[address:]port"));
    parser.addOption(webOption);
    const QCommandLineOption webLink(QStringLiteral("web-link"),
                                     QStringLiteral("Print the web remote's pairing link (it holds the access token) "
                                                    "and exit."));
    parser.addOption(webLink);
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
    if (parser.isSet(webOption)) {
        QHostAddress address;
        quint16 webPort = 0;
        out.web = parser.value(webOption);
        if (!web::parseListen(out.web, &address, &webPort)) {
            std::fprintf(stderr, "pelora: --web needs a port, or an address and a port (192.168.1.20:8080)\n"
                                 "Try 'pelora --help'.\n");
            out.exitStatus = 2;
            return out;
        }
    }
    out.webLink = parser.isSet(webLink);
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
