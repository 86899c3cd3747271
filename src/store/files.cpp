#include "store/files.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>

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

std::optional<QByteArray> readWholeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error, bool *oldKept)
{
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
