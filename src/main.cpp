#include "desktop/command_line.h"
#include "desktop/data_lock.h"
#include "desktop/language.h"
#include "desktop/media_player.h"
#include "desktop/mpris_service.h"
#include "desktop/port_choice.h"
#include "desktop/service_notify.h"
#include "desktop/settings.h"
#include "home/bridge.h"
#include "home/mqtt_settings.h"
#include "platform/logging.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/quit_requests.h"
#include "ui/form1.h"
#include "web/web_remote.h"
#include "web/web_settings.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QImageReader>
#include <QLocale>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

QStringList argumentList(int argc, char **argv)
{
    QStringList l;
    for (int i = 0; i < argc; ++i)
        l << QString::fromLocal8Bit(argv[i]);
    return l;
}

// The saved place, moved where the whole window is seen on a screen.
void restorePosition(QWidget &w, const desktop::Settings &settings)
{
    const std::optional<QPoint> p = settings.windowPosition();
    if (!p)
        return;
    QList<QRect> screens;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        screens << primary->availableGeometry();
    for (const QScreen *s : QGuiApplication::screens())
        if (s != primary)
            screens << s->availableGeometry();
    w.move(desktop::placeOnScreen(QRect(*p, w.frameSize()), screens));
}

}  // namespace

int main(int argc, char **argv)
{
    platform::logToStderr();
    // An ending signal during the start must not kill the program either.
    platform::QuitRequests::catchEarly();
    QCoreApplication::setApplicationName(QStringLiteral("pelora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELORA_VERSION));
    const desktop::CommandLine cmd = desktop::parseCommandLine(argumentList(argc, argv));
    if (cmd.exitStatus >= 0)
        return cmd.exitStatus;
    if (cmd.webLink) {
        // No window, no device: only the files.
        QCoreApplication core(argc, argv);
        QString error;
        const std::optional<web::WebAccess> access = web::readWebAccess(platform::programDirectory(), cmd.web, &error);
        if (!access) {
            std::fprintf(stderr, "pelora: %s\n",
                         error.isEmpty() ? "the web remote is off: give --web [address:]port or [web] listen= in pelora.ini"
                                         : qPrintable(error));
            return 1;
        }
        std::printf("%s\n", qPrintable(web::pairingLink(access->settings, access->settings.port, access->token)));
        return 0;
    }

    // A service has no display: the program picks the offscreen platform
    // itself, whatever the environment says.
    if (cmd.headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    desktop::keepFromLaunchingABus();
    QApplication app(argc, argv);
    // Before any text is made: the window, its messages and the log lines
    // in the user's language (--help above stays English).
    const desktop::Language language = desktop::chooseLanguage(QLocale::system().uiLanguages());
    const desktop::Translations translations(language);
    // Ending signals act from here on, also on a message box of the start:
    // before the window exists they end the box and the start.
    Form1 *window = nullptr;
    platform::QuitRequests quitRequests([&window] { if (window) window->close(); },  // saves as the close box does
                                        [&window](const auto &allowsInteraction) {
                                            if (window)
                                                window->saveForSession(allowsInteraction);
                                        });
    // Read as PNG only: otherwise Qt loads every image plugin to ask which
    // one reads the file.
    QIcon icon;
    for (const char *size : {"32", "64"}) {
        QImageReader reader(QStringLiteral(":/icons/pelora-%1.png").arg(QLatin1String(size)), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    QApplication::setWindowIcon(icon);
    platform::Platform platform = platform::makeQtPlatform(platform::programDirectory());
    // Without a window, messages go to the log and count as answered.
    if (cmd.headless)
        platform.messages = platform::makeLoggedMessageBoxes();
    // One program per data folder, also without a bus to find the first by.
    const desktop::DataLock lock(platform.programDir);
    if (lock.state() == desktop::DataLock::State::HeldElsewhere) {
        // The window on these files comes to the front instead.
        if (desktop::raiseRunning(platform.programDir)) {
            qCWarning(lcDesktop).noquote() << "pelora already runs on the files in" << platform.programDir
                                           << "; its window has been brought to the front";
            return cmd.headless ? 1 : 0;
        }
        if (!cmd.headless)  // a headless run logs its message itself
            qCWarning(lcFiles).noquote() << lock.refusal();
        platform.messages->showOk(lock.refusal());
        return 1;
    }
    // Any number of folders side by side, each under its own name on the bus.
    const desktop::Instance instance = desktop::claimInstance();
    desktop::Settings settings(platform.programDir);
    const QString iniFile = QDir(platform.programDir).filePath(QStringLiteral("pelora.ini"));
    QString mqttError;
    const std::optional<home::MqttSettings> mqtt =
        home::readMqttSettings(iniFile, cmd.mqttHost, cmd.mqttPort, &mqttError);
    if (!mqttError.isEmpty()) {
        // Without a window the home network is the point of the run.
        platform.messages->showOk(QCoreApplication::translate("Main", "MQTT wird nicht verwendet."), mqttError);
        if (cmd.headless)
            return 1;
        if (quitRequests.requested())
            return 0;  // nothing has been loaded, nothing to save
    }
    QString webError;
    const std::optional<web::WebAccess> webAccess = web::readWebAccess(platform.programDir, cmd.web, &webError);
    if (!webError.isEmpty()) {
        platform.messages->showOk(QCoreApplication::translate("Main", "Die Web-Fernbedienung ist aus."), webError);
        if (cmd.headless)
            return 1;
        if (quitRequests.requested())
            return 0;
    }
    platform.serial->setDevicePath(desktop::startDevice(cmd.port, settings.device()));

    Form1 form(platform);
    form.comPortFallback = cmd.port.isEmpty();
    if (!form.Form_Load())
        return 1;
    // Closed by a signal only once loaded: a close saves what it shows.
    window = &form;
    if (quitRequests.requested()) {
        form.Form_Unload();  // asked to end during a message of the start
        return 0;
    }
    desktop::addPortChoice(form.door(), settings, platform, form.portPlace());
    // The media interface only where there is a bus to offer it on.
    std::unique_ptr<desktop::MediaPlayer> player;
    std::unique_ptr<desktop::MprisService> service;
    if (instance == desktop::Instance::First) {
        player = std::make_unique<desktop::MediaPlayer>(form.door());
        service = std::make_unique<desktop::MprisService>(*player, !cmd.headless);
        if (!service->registerOnBus(desktop::busName(platform.programDir)))
            qCWarning(lcDesktop) << "the media interface could not be put on the bus";
    }
    std::unique_ptr<home::HomeBridge> bridge;
    if (mqtt) {
        bridge = std::make_unique<home::HomeBridge>(form.door(), platform, *mqtt, iniFile);
        bridge->showStateIn(form.portPlace());
        if (!bridge->start()) {
            qCWarning(lcHome).noquote() << bridge->stateText();
            if (cmd.headless)
                return 1;
        }
    }
    std::unique_ptr<web::WebRemote> webRemote;
    if (webAccess) {
        webRemote = std::make_unique<web::WebRemote>(form.door(), platform, webAccess->settings, webAccess->token,
                                                     language == desktop::Language::English);
        QString error;
        if (webRemote->start(&error)) {
            webRemote->showPairingIn(form.portPlace());
        } else {
            qCWarning(lcWeb).noquote() << error;
            if (cmd.headless)
                return 1;
            webRemote.reset();
        }
    }
    if (cmd.headless && !mqtt && !webRemote && !service) {
        // Without a window, a bus or the home network nobody could reach
        // the hi-fi: better a failed service than one that runs for nothing.
        qCCritical(lcHome).noquote() << QCoreApplication::translate(
            "Main", "Ohne Fenster braucht Pelora MQTT-Einstellungen ([mqtt] in %1), die Web-Fernbedienung ([web]) oder einen Session-Bus; "
                    "so erreicht niemand die Anlage. Ende.").arg(iniFile);
        return 1;
    }
    if (cmd.headless) {
        // The journal is the only place a service shows the device's coming
        // and going.
        QObject::connect(&form.hifi(), &model::HifiModel::linkChanged, &form,
                         [m = &form.hifi(), answered = false]() mutable {
                             if (m->link().answering == answered)
                                 return;
                             answered = m->link().answering;
                             if (answered)
                                 qCInfo(lcLink).noquote() << model::linkText(m->link());
                             else
                                 qCWarning(lcLink).noquote() << model::linkText(m->link());
                         });
    }
    if (!cmd.headless)
        restorePosition(form, settings);
    form.show();
    desktop::ServiceNotifier systemd(platform);
    systemd.ready();
    const int rc = app.exec();
    systemd.stopping();
    form.Form_Unload();  // also when the session ends without a close event
    if (bridge)
        bridge->close();
    if (webRemote)
        webRemote->close();
    if (!cmd.headless)
        settings.setWindowPosition(form.pos());
    return rc;
}
