#include "store/files.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace store {

QString findFile(const QString &dir, const QString &name)
{
    const QDir d(dir);
    if (QFileInfo::exists(d.filePath(name)))
        return d.filePath(name);
    const QStringList entries = d.entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return d.filePath(entry);
    }
    return d.filePath(name);
}

namespace {

QString tooBig(qint64 size, qint64 maxBytes)
{
    return QStringLiteral("sie ist mit %1 Bytes zu groß für eine solche Datei (höchstens %2 Bytes)")
        .arg(size)
        .arg(maxBytes);
}

}  // namespace

std::optional<QByteArray> readWholeFile(const QString &path, QString *error, qint64 maxBytes)
{
    auto fail = [error](const QString &reason) -> std::optional<QByteArray> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    QFile f;
#ifdef Q_OS_UNIX
    // The type is looked at before opening: opening a device can act on it
    // (a serial port raises its lines), and a pipe without a writer would
    // hold the open for ever. Opened without waiting all the same, so a pipe
    // put there in between cannot hold it either.
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return fail(errno == ENOENT ? QStringLiteral("sie fehlt") : qt_error_string(errno));
    if (S_ISDIR(st.st_mode))
        return fail(QStringLiteral("sie ist ein Verzeichnis"));
    if (S_ISFIFO(st.st_mode))
        return fail(QStringLiteral("sie ist eine Pipe, keine gewöhnliche Datei"));
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return fail(QStringLiteral("sie ist ein Gerät, keine gewöhnliche Datei"));
    if (!S_ISREG(st.st_mode))
        return fail(QStringLiteral("sie ist keine gewöhnliche Datei"));
    if (st.st_size > maxBytes)
        return fail(tooBig(st.st_size, maxBytes));
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(qt_error_string(errno));
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(f.errorString());
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("sie fehlt"));
    if (info.isDir())
        return fail(QStringLiteral("sie ist ein Verzeichnis"));
    if (!info.isFile())
        return fail(QStringLiteral("sie ist keine gewöhnliche Datei"));
    if (info.size() > maxBytes)
        return fail(tooBig(info.size(), maxBytes));
    f.setFileName(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
#endif
    // One byte more than allowed: a file that grew meanwhile is refused too.
    QByteArray bytes = f.read(maxBytes + 1);
    if (f.error() != QFileDevice::NoError)
        return fail(f.errorString());
    if (bytes.size() > maxBytes)
        return fail(tooBig(f.size(), maxBytes));
    return bytes;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error, bool *oldKept)
{
    // A name that leads to something other than a regular file (a link to
    // a device) is never written through: the save would replace it.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        if (error)
            *error = QStringLiteral("sie ist keine gewöhnliche Datei");
        if (oldKept)
            *oldKept = true;
        return false;
    }
    // A directory that takes no new file (a shared install run by an
    // ordinary user) still lets a writable file be overwritten in place.
    // Such a write is not atomic: should it fail, the old contents are put
    // back.
    const std::optional<QByteArray> old = readWholeFile(path);
    // Unbuffered: a buffered QSaveFile only meets a failing write (full disk)
    // at the flush inside commit(), and then renames the cut-short file
    // into place all the same.
    QSaveFile f(path);
    f.setDirectWriteFallback(true);
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        f.cancelWriting();
        if (oldKept)
            *oldKept = true;
        if (old && readWholeFile(path) != old) {
            QFile back(path);
            const bool restored = back.open(QIODevice::WriteOnly | QIODevice::Truncate)
                && back.write(*old) == old->size() && back.flush();
            if (oldKept)
                *oldKept = restored;
        }
        return false;
    };
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(f.errorString());
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return fail(f.errorString());
        done += n;
    }
    if (f.error() != QFileDevice::NoError)
        return fail(f.errorString());
    if (!f.commit())
        return fail(f.errorString());
    return true;
}

}  // namespace store
