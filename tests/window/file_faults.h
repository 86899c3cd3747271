#pragma once
// Faults of the file system for the save tests: a full disk, and the rights
// of an ordinary user.

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

// Writes fail past `bytes` for as long as it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// Root passes every permission check. For as long as it lives, a test run
// by root takes the rights of the ordinary user "nobody", who then owns
// `dir` and its files, as the user of a shared install owns the data files.
class OrdinaryUser {
public:
    static constexpr uid_t kNobody = 65534;

    explicit OrdinaryUser(const QString &dir)
    {
        if (geteuid() != 0)
            return;
        bool owned = chown(QFile::encodeName(dir).constData(), kNobody, kNobody) == 0;
        for (const QString &name : QDir(dir).entryList(QDir::Files))
            owned = owned && chown(QFile::encodeName(QDir(dir).filePath(name)).constData(), kNobody, kNobody) == 0;
        EXPECT_TRUE(owned);
        active_ = owned && seteuid(kNobody) == 0;
        EXPECT_TRUE(active_);
    }
    ~OrdinaryUser()
    {
        if (active_) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }

private:
    bool active_ = false;
};
