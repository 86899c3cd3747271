#pragma once
// Requests from outside to end the program: SIGTERM, SIGHUP and SIGINT
// (shutdown, logout, kill, Ctrl+C) and the session manager's request to
// commit data. Each closes the window the normal way, as its close box
// does, so that what the user set is saved, and then ends the program with
// exit status 0.

#include <QMetaObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform {

// One at a time: the signals have one handler each.
class QuitRequests {
public:
    // `closeWindow` runs once, in the event loop, at the first request; a
    // later request while it saves waits for it and only ends the event
    // loops again. A signal handler only notes the signal, so nothing can
    // cut the save short.
    explicit QuitRequests(std::function<void()> closeWindow);
    // The signals get their previous actions back; after a request they
    // are ignored instead, so that one more cannot kill the ending program.
    ~QuitRequests();
    // Notes the signals from here on, long before the window exists; the
    // QuitRequests made later acts on them once the event loop runs.
    static void catchEarly();
    QuitRequests(const QuitRequests &) = delete;
    QuitRequests &operator=(const QuitRequests &) = delete;

private:
    void request();

    std::function<void()> closeWindow_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QMetaObject::Connection sessionEnd_;
    bool closed_ = false;
};

}  // namespace platform
