#include "desktop/data_lock.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>

namespace desktop {

DataLock::DataLock(const QString &dataDir, const QString &stateDir)
{
    dir_ = QDir(dataDir).absolutePath();
    const QString &dir = dir_;
    if (tryAt(QDir(dir).filePath(QStringLiteral("pelora.lock"))) || state_ == State::HeldElsewhere)
        return;
    // A folder that takes no new file (a shared install): every copy on it
    // finds the same name in the state directory.
    const QByteArray key = QCryptographicHash::hash(dir.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    if (!stateDir.isEmpty() && QDir().mkpath(stateDir) &&
        (tryAt(QDir(stateDir).filePath(QStringLiteral("data-%1.lock").arg(QLatin1String(key)))) ||
         state_ == State::HeldElsewhere))
        return;
    qCWarning(lcFiles).noquote() << "no lock could be made for" << dir
                                 << "; a second copy on these files would not be noticed";
}

bool DataLock::tryAt(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    // A lock whose process has gone is taken over; a live one never is,
    // however old.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
        state_ = State::Held;
        return true;
    }
    if (lock->error() != QLockFile::LockFailedError)
        return false;
    state_ = State::HeldElsewhere;
    qint64 pid = 0;
    QString host, app;
    const QString who =
        lock->getLockInfo(&pid, &host, &app)
            ? QCoreApplication::translate("DataLock", "Prozess %1 (%2) auf dem Rechner %3").arg(pid).arg(app, host)
            : QCoreApplication::translate("DataLock", "ein anderes Programm");
    refusal_ = QCoreApplication::translate(
                   "DataLock", "Pelora läuft bereits mit den Dateien in %1: %2. Zwei Programme auf denselben "
                               "Dateien würden gegenseitig ihre Änderungen überschreiben; dieses endet, ohne "
                               "etwas zu speichern.")
                   .arg(QDir::toNativeSeparators(dir_), who);
    return false;
}

}  // namespace desktop
