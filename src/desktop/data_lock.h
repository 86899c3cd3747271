#pragma once
// One program per data folder, for every user: two copies on the same files
// would each save over the other's changes when they close. The lock is the
// system's own lock on the folder itself, which every user who can read the
// data can take and which ends with its process: nothing is left behind by a
// kill, and no file has to be made in a folder that may take none.

#include <QString>

namespace desktop {

class DataLock {
public:
    enum class State {
        Held,           // ours until this object goes
        HeldElsewhere,  // another program runs on the folder
        Unavailable,    // the folder could not be locked (said on stderr)
    };

    explicit DataLock(const QString &dataDir);
    ~DataLock();
    DataLock(const DataLock &) = delete;
    DataLock &operator=(const DataLock &) = delete;

    State state() const { return state_; }
    // HeldElsewhere: the folder and the program that holds it, in words for
    // the user.
    QString refusal() const { return refusal_; }
    // HeldElsewhere: the process that holds the folder, 0 when unknown.
    qint64 holder() const { return holder_; }

private:
    QString dir_;
    int fd_ = -1;
    State state_ = State::Unavailable;
    QString refusal_;
    qint64 holder_ = 0;
};

}  // namespace desktop
