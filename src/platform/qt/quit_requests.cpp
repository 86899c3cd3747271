#include "platform/qt/quit_requests.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

#include <array>
#include <optional>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

// The self-pipe: the handler writes a byte, the event loop reads it.
int signalPipe[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> previousActions{};

void noteSignal(int)
{
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = write(signalPipe[1], &c, 1);
    errno = saved;
}

bool caught = false;

}  // namespace

void QuitRequests::catchEarly()
{
    if (caught || pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    caught = true;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // A write of the save that a signal interrupts goes on.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &action, &previousActions[i]);
}

QuitRequests::QuitRequests(std::function<void()> closeWindow, SaveData saveData)
    : closeWindow_(std::move(closeWindow)), saveData_(std::move(saveData))
{
    catchEarly();
    if (caught) {
        // A signal noted before now is still in the pipe: it is read as
        // soon as the event loop runs.
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
            char buf[64];
            while (read(signalPipe[0], buf, sizeof buf) > 0) {
            }
            request();
        });
    }
#if QT_CONFIG(sessionmanager)
    if (qGuiApp) {
        sessionEnd_ = QObject::connect(
            qGuiApp, &QGuiApplication::commitDataRequest, qGuiApp,
            [this](QSessionManager &manager) {
                // Asked only when there is something to show, and then
                // handed back.
                std::optional<bool> allowed;
                commitData([&] {
                    if (!allowed)
                        allowed = manager.allowsInteraction();
                    return *allowed;
                });
                if (allowed.value_or(false))
                    manager.release();
            },
            Qt::DirectConnection);
    }
#endif
}

QuitRequests::~QuitRequests()
{
    QObject::disconnect(sessionEnd_);
    if (!caught)
        return;
    // Once asked to end, the program is ending: a signal more, however late,
    // must not kill it on its way out with a status other than 0.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], closed_ ? &ignore : &previousActions[i], nullptr);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
    caught = false;
}

void QuitRequests::commitData(const std::function<bool()> &allowsInteraction)
{
    // A window that has closed has saved already.
    if (!closed_ && saveData_)
        saveData_(allowsInteraction);
}

void QuitRequests::request()
{
    if (!closed_) {
        closed_ = true;
        closeWindow_();
    }
    // Also ends a message box the window is waiting in; with no event loop
    // running there is nothing to end.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

}  // namespace platform
