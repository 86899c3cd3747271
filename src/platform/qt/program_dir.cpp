#include "platform/qt/qt_platform.h"

#include "store/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

QString programDirectory()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString samples = QDir(exeDir).filePath(QStringLiteral("../share/pelora"));
    const QString config = QStringLiteral("config.dat");
    // Beside the program when its data files are there (a build or a
    // portable copy), or when it is not an installed program at all.
    if (QFileInfo::exists(store::findFile(exeDir, config)) ||
        !QFileInfo::exists(store::findFile(samples, config)))
        return exeDir;
    // Installed system-wide: each user keeps the data files in a directory
    // of their own, seeded with the samples on the first start.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    for (const QString &name : {config, QStringLiteral("Speicherplatz.txt"), QStringLiteral("Sendername.txt")})
        if (!QFileInfo::exists(store::findFile(dir, name)))
            QFile::copy(store::findFile(samples, name), QDir(dir).filePath(name));
    return dir;
}

QString stateDirectory()
{
#ifdef Q_OS_UNIX
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(base).filePath(QStringLiteral("pelora"));
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
#endif
}

}  // namespace platform
