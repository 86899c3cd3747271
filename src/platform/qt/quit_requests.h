#pragma once
// Requests from outside to end the program: SIGTERM, SIGHUP and SIGINT
// (shutdown, logout, kill, Ctrl+C). Each closes the window the normal way,
// as its close box does, so that what the user set is saved, and then ends
// the program with exit status 0.
// The session manager's request to commit data is no request to end: a
// session save or a logout that is cancelled leaves the program running.
// It only saves; the program ends with the session.

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
    // `saveData` runs at each save request of the session manager. It
    // saves the files and nothing more, and shows a message only when its
    // argument, asked, says the session manager allows it.
    using SaveData = std::function<void(const std::function<bool()> &allowsInteraction)>;
    explicit QuitRequests(std::function<void()> closeWindow, SaveData saveData = {});
    // The signals get their previous actions back; after a request they
    // are ignored instead, so that one more cannot kill the ending program.
    ~QuitRequests();
    // Notes the signals from here on, long before the window exists; the
    // QuitRequests made later acts on them once the event loop runs.
    static void catchEarly();
    // What a save request of the session manager does; `allowsInteraction`
    // asks it whether a message may be shown.
    void commitData(const std::function<bool()> &allowsInteraction);
    // An ending signal has come (the window, if any, has been closed).
    bool requested() const { return closed_; }
    QuitRequests(const QuitRequests &) = delete;
    QuitRequests &operator=(const QuitRequests &) = delete;

private:
    void request();

    std::function<void()> closeWindow_;
    SaveData saveData_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QMetaObject::Connection sessionEnd_;
    bool closed_ = false;
};

}  // namespace platform
