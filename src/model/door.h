#pragma once
// The one door through which callers outside the window act on the hi-fi:
// the keyboard's media keys, the desktop's media-player interface, the port
// list, the home network. Each action runs the same window procedure as the
// matching click, under the rule a click obeys: never while the window is
// busy (a status exchange, a burst, a handler's wait, a message box).
//
// The door is a queue. A request is taken and the caller returns at once;
// the request runs later, from the top-level event loop, one at a time and
// in order: never in the stack of the callback that delivered it (a library
// re-entered from its own callback deadlocks), never inside a nested wait,
// never while another window procedure runs. One that cannot run within
// kMaxWaitSeconds is refused. Each runs once at most.

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

    // ran: true when the action ran (or had nothing left to do); false
    // when it was refused.
    using Done = std::function<void(bool ran)>;
    // Asked when the request's turn comes: false, and it does nothing, as
    // when a newer command made it moot.
    using Wanted = std::function<bool()>;

    explicit Door(Form1 &form);
    ~Door();
    Door(const Door &) = delete;
    Door &operator=(const Door &) = delete;

    const HifiModel &model() const;

    // The source key of `source`.
    void chooseSource(Source source, Done done = {}, Wanted wanted = {});
    // A key by its control name ("muteK", "Label4", "Quelle6", "stationT7",
    // ...). False, and nothing runs, when the window has no such key.
    bool pressKey(const QString &name, Done done = {}, Wanted wanted = {});
    // Moves a level slider as the wheel or the keyboard would: the level
    // goes to the device once the slider has rested, so that settings that
    // follow each other quickly join one move.
    void setLevel(Level level, int value, Done done = {});
    // One volume step, as "+" or "-" typed in the window.
    void stepVolume(bool up, Done done = {});
    // Station key 1..30.
    void tuneStationKey(int index, Done done = {});
    // The key that holds the station on `frequency` ("87.90", "1440"), as
    // the keys stand when the request's turn comes.
    void tuneStation(const QString &frequency, Done done = {}, Wanted wanted = {});
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
    // The window is going: what waits is dropped without a word (its
    // callers may be gone before the door), and nothing more is taken.
    void close();

    // True when a request could start now.
    bool windowFree() const;

    // Counts the window procedures running, nested ones each. When the
    // last one returns, the doors look at their queues again.
    class ProcedureScope {
    public:
        ProcedureScope();
        ~ProcedureScope();
        ProcedureScope(const ProcedureScope &) = delete;
        ProcedureScope &operator=(const ProcedureScope &) = delete;
        static int depth();
    };

private:
    struct Pending {
        std::function<void()> action;
        Done done;
        double deadline;
        Wanted wanted;
    };
    void submit(std::function<void()> action, Done done, Wanted wanted = {});
    // Asks the event loop to look at the queue once it is back.
    void wake();
    void runNext();
    void refuseExpired();
    void armDeadline();
    double now() const;

    Form1 &form_;
    std::unique_ptr<platform::Timer> next_;      // fires next, from the event loop
    std::unique_ptr<platform::Timer> deadline_;  // the first waiting request's time is up
    std::deque<Pending> queue_;
    bool closed_ = false;
};

}  // namespace model
