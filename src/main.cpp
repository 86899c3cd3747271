#include "desktop/call_gate.h"
#include "desktop/command_line.h"
#include "desktop/media_player.h"
#include "desktop/mpris_service.h"
#include "desktop/port_choice.h"
#include "desktop/settings.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/quit_requests.h"
#include "ui/form1.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

#include <memory>

namespace {

QStringList argumentList(int argc, char **argv)
{
    QStringList l;
    for (int i = 0; i < argc; ++i)
        l << QString::fromLocal8Bit(argv[i]);
    return l;
}

// The saved place, if the window would be seen there on one of the screens.
void restorePosition(QWidget &w, const desktop::Settings &settings)
{
    const std::optional<QPoint> p = settings.windowPosition();
    if (!p)
        return;
    const QRect r(*p, w.frameSize());
    for (const QScreen *s : QGuiApplication::screens())
        if (s->availableGeometry().intersected(r).width() >= 50 && s->availableGeometry().contains(r.topLeft() + QPoint(20, 10))) {
            w.move(*p);
            return;
        }
}

}  // namespace

int main(int argc, char **argv)
{
    // An ending signal during the start must not kill the program either.
    platform::QuitRequests::catchEarly();
    QCoreApplication::setApplicationName(QStringLiteral("pelora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELORA_VERSION));
    const desktop::CommandLine cmd = desktop::parseCommandLine(argumentList(argc, argv));
    if (cmd.exitStatus >= 0)
        return cmd.exitStatus;

    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/pelora.svg")));
    // One program drives the device: a second start raises the first.
    const desktop::Instance instance = desktop::claimInstance();
    if (instance == desktop::Instance::Second)
        return 0;

    platform::Platform platform = platform::makeQtPlatform(platform::programDirectory());
    desktop::WaitTracker *waits = desktop::WaitTracker::install(platform);
    desktop::Settings settings(platform.programDir);
    platform.serial->setDevicePath(desktop::startDevice(cmd.port, settings.device()));

    Form1 form(platform);
    platform::QuitRequests quitRequests([&form] { form.close(); });  // saves as the close box does
    if (!form.Form_Load())
        return 1;
    desktop::MediaPlayer player(form, *waits);
    desktop::addPortChoice(form, player.gate(), settings);
    std::unique_ptr<desktop::MprisService> service;
    if (instance == desktop::Instance::First) {
        service = std::make_unique<desktop::MprisService>(player);
        if (!service->registerOnBus())
            std::fprintf(stderr, "pelora: the media interface could not be put on the bus\n");
    }
    restorePosition(form, settings);
    form.show();
    const int rc = app.exec();
    form.Form_Unload();  // also when the session ends without a close event
    settings.setWindowPosition(form.pos());
    return rc;
}
