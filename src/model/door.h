#pragma once
// The one door through which callers outside the window act on the hi-fi:
// the keyboard's media keys, the desktop's media-player interface, the port
// list, the home network. Each action runs the same window procedure as the
// matching click, under the rule a click obeys: never while the window is
// busy (a status exchange, a burst, a handler's wait, a message box). An
// action that cannot run at once waits in line and runs as soon as the
// window is free, or is refused when that takes longer than
// kMaxWaitSeconds. Each action runs once at most.

#include "model/hifi_model.h"
#include "model/player_calls.h"
#include "platform/platform.h"

#include <QString>

#include <deque>
#include <functional>
#include <memory>

class Form1;

namespace model {

class Door {
public:
    static constexpr double kMaxWaitSeconds = 6.0;
    // How often a waiting action looks whether the window is free; the
    // timer runs only while something waits.
    static constexpr int kPollMs = 100;

    // ran: true when the action ran; false when it was refused.
    using Done = std::function<void(bool ran)>;

    explicit Door(Form1 &form);
    ~Door();
    Door(const Door &) = delete;
    Door &operator=(const Door &) = delete;

    const HifiModel &model() const;

    // The source key of `source`.
    void chooseSource(Source source, Done done = {});
    // A key by its control name ("muteK", "Label4", "Quelle6", "stationT7",
    // ...). False, and nothing runs, when the window has no such key.
    bool pressKey(const QString &name, Done done = {});
    // Moves a level slider as the wheel or the keyboard would: the level
    // goes to the device once the slider has rested, so that settings that
    // follow each other quickly join one move.
    void setLevel(Level level, int value, Done done = {});
    // Station key 1..30.
    void tuneStationKey(int index, Done done = {});
    // Opens the line on `device` (empty: the COM<n> port); the link in the
    // model tells whether it opened.
    void choosePort(const QString &device, Done done = {});
    void askStatus(Done done = {});
    // A media-player call for the source that plays, read when it runs.
    void callPlayer(Call call, Done done = {});
    void raise();
    // Closes the window the normal way (the files are saved), once the
    // caller has had its answer.
    void quit();

    // True when a click could run a handler now.
    bool windowFree() const;

private:
    struct Pending {
        std::function<void()> action;
        Done done;
        double deadline;
    };
    void submit(std::function<void()> action, Done done);
    void poll();
    void run(Pending p);
    double now() const;

    Form1 &form_;
    std::unique_ptr<platform::Timer> timer_;
    std::deque<Pending> queue_;
    bool running_ = false;
};

}  // namespace model
