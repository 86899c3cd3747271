#include "desktop/data_lock.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace desktop {

namespace {

// The process that holds the lock on `fd`'s folder, from the system's
// table of locks; 0 when it does not say.
qint64 lockHolder(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return 0;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    // "1: FLOCK  ADVISORY  WRITE 2315 fe:00:10961601 0 EOF"
    const QByteArray where = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') + ':' +
                             QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') + ':' +
                             QByteArray::number(qulonglong(st.st_ino));
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() >= 6 && f[1] == "FLOCK" && f[5] == where)
            return f[4].toLongLong();
    }
    return 0;
}

// "Prozess 1234 (pelora) des Benutzers anna", as far as the system tells.
QString describeProcess(qint64 pid)
{
    if (pid <= 0)
        return QCoreApplication::translate("DataLock", "ein anderes Programm");
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    QString name;
    if (comm.open(QIODevice::ReadOnly))
        name = QString::fromLocal8Bit(comm.readAll().trimmed());
    QString user;
    struct stat st {};
    if (stat(QStringLiteral("/proc/%1").arg(pid).toLocal8Bit().constData(), &st) == 0) {
        const passwd *pw = getpwuid(st.st_uid);
        user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(st.st_uid);
    }
    QString who = QCoreApplication::translate("DataLock", "Prozess %1").arg(pid);
    if (!name.isEmpty())
        who += QStringLiteral(" (%1)").arg(name);
    if (!user.isEmpty())
        who += QCoreApplication::translate("DataLock", " des Benutzers %1").arg(user);
    return who;
}

}  // namespace

DataLock::DataLock(const QString &dataDir) : dir_(QDir(dataDir).absolutePath())
{
    // Read access is all a lock on the folder needs: a shared installation
    // that nobody may write is locked by whoever runs on it.
    fd_ = ::open(QFile::encodeName(dir_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        qCWarning(lcFiles).noquote() << "no lock could be taken on" << dir_ << "(" << std::strerror(errno)
                                     << "); a second copy on these files would not be noticed";
        return;
    }
    int rc;
    do
        rc = flock(fd_, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        state_ = State::Held;
        return;
    }
    if (errno != EWOULDBLOCK) {
        qCWarning(lcFiles).noquote() << "no lock could be taken on" << dir_ << "(" << std::strerror(errno)
                                     << "); a second copy on these files would not be noticed";
        return;
    }
    state_ = State::HeldElsewhere;
    holder_ = lockHolder(fd_);
    refusal_ = QCoreApplication::translate(
                   "DataLock", "Pelora läuft bereits mit den Dateien in %1 (der Ordner ist gesperrt): %2. "
                               "Zwei Programme auf denselben Dateien würden gegenseitig ihre Änderungen "
                               "überschreiben; dieses endet, ohne etwas zu speichern.")
                   .arg(QDir::toNativeSeparators(dir_), describeProcess(holder_));
    ::close(fd_);
    fd_ = -1;
}

DataLock::~DataLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace desktop
