#pragma once
// One program per data folder: two copies on the same files would each save
// over the other's changes when they close. The lock lies in the folder,
// or, where the folder takes no new file, in the user's state directory
// under a name made from the folder's path.

#include <QLockFile>
#include <QString>

#include <memory>

namespace desktop {

class DataLock {
public:
    enum class State {
        Held,           // ours until this object goes
        HeldElsewhere,  // another program runs on the folder
        Unavailable,    // no lock could be made anywhere (said on stderr)
    };

    DataLock(const QString &dataDir, const QString &stateDir);
    DataLock(const DataLock &) = delete;
    DataLock &operator=(const DataLock &) = delete;

    State state() const { return state_; }
    // HeldElsewhere: which program holds the folder, in words for the user.
    QString refusal() const { return refusal_; }

private:
    bool tryAt(const QString &path);

    QString dir_;
    std::unique_ptr<QLockFile> lock_;
    State state_ = State::Unavailable;
    QString refusal_;
};

}  // namespace desktop
