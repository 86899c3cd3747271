#include "store/files.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>

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
    return QCoreApplication::translate("Files",
                                       "sie ist mit %1 Bytes zu groß für eine solche Datei (höchstens %2 Bytes)")
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
        return fail(errno == ENOENT ? QCoreApplication::translate("Files", "sie fehlt") : systemErrorText(errno));
    if (S_ISDIR(st.st_mode))
        return fail(QCoreApplication::translate("Files", "sie ist ein Verzeichnis"));
    if (S_ISFIFO(st.st_mode))
        return fail(QCoreApplication::translate("Files", "sie ist eine Pipe, keine gewöhnliche Datei"));
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return fail(QCoreApplication::translate("Files", "sie ist ein Gerät, keine gewöhnliche Datei"));
    if (!S_ISREG(st.st_mode))
        return fail(QCoreApplication::translate("Files", "sie ist keine gewöhnliche Datei"));
    if (st.st_size > maxBytes)
        return fail(tooBig(st.st_size, maxBytes));
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(systemErrorText(errno));
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(f.errorString());
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QCoreApplication::translate("Files", "sie fehlt"));
    if (info.isDir())
        return fail(QCoreApplication::translate("Files", "sie ist ein Verzeichnis"));
    if (!info.isFile())
        return fail(QCoreApplication::translate("Files", "sie ist keine gewöhnliche Datei"));
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

QString systemErrorText(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("Files", "keine Berechtigung");
    case ENOSPC:
        return QCoreApplication::translate("Files", "kein Platz mehr auf dem Datenträger");
#ifdef EDQUOT
    case EDQUOT:
        return QCoreApplication::translate("Files", "das Speicherkontingent ist erschöpft");
#endif
    case EROFS:
        return QCoreApplication::translate("Files", "das Dateisystem ist schreibgeschützt");
    case EFBIG:
        return QCoreApplication::translate("Files", "die Datei würde zu groß");
    case EIO:
        return QCoreApplication::translate("Files", "Ein-/Ausgabefehler des Datenträgers");
    case ENOENT:
        return QCoreApplication::translate("Files", "sie oder ihr Verzeichnis fehlt");
    case EISDIR:
        return QCoreApplication::translate("Files", "sie ist ein Verzeichnis");
    case EBUSY:
    case ETXTBSY:
        return QCoreApplication::translate("Files", "sie ist belegt");
    case ENAMETOOLONG:
        return QCoreApplication::translate("Files", "der Name ist zu lang");
    case ELOOP:
        return QCoreApplication::translate("Files", "zu viele Verweise hintereinander");
    case EMFILE:
    case ENFILE:
        return QCoreApplication::translate("Files", "zu viele offene Dateien");
    case ENOMEM:
        return QCoreApplication::translate("Files", "zu wenig Arbeitsspeicher");
    default:
        return qt_error_string(err);
    }
}

namespace {

// Why the last call on `f` failed, in German where the system said why.
QString reasonOf(const QFileDevice &f, int err)
{
    if (err != 0)
        return systemErrorText(err);
    if (f.error() == QFileDevice::WriteError || f.error() == QFileDevice::OpenError)
        return QCoreApplication::translate("Files", "keine Schreibberechtigung");
    return f.errorString();
}

// A journal: what an in-place save is about to overwrite, and a digest of
// what it writes, so that a start after a kill can tell a complete new file
// from a cut-short one.
const QByteArray kJournalHead = QByteArrayLiteral("pelora in-place save 1");

QByteArray digest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QString journalPath(const QString &journalDir, const QString &path)
{
    const QFileInfo target(path);
    const QByteArray key = digest(target.absoluteFilePath().toUtf8()).left(16);
    return QDir(journalDir).filePath(target.fileName() + u'.' + QString::fromLatin1(key) + QStringLiteral(".journal"));
}

struct Journal {
    QString path;
    qint64 newSize = 0;
    QByteArray newDigest;
    QByteArray old;
};

QByteArray journalBytes(const QString &path, const QByteArray &old, const QByteArray &next)
{
    return kJournalHead + '\n' + QFileInfo(path).absoluteFilePath().toUtf8().toBase64() + '\n' +
           QByteArray::number(next.size()) + ' ' + digest(next) + '\n' + old;
}

std::optional<Journal> parseJournal(const QByteArray &bytes)
{
    const qsizetype a = bytes.indexOf('\n');
    const qsizetype b = a < 0 ? -1 : bytes.indexOf('\n', a + 1);
    const qsizetype c = b < 0 ? -1 : bytes.indexOf('\n', b + 1);
    if (c < 0 || bytes.left(a) != kJournalHead)
        return std::nullopt;
    Journal j;
    j.path = QString::fromUtf8(QByteArray::fromBase64(bytes.mid(a + 1, b - a - 1)));
    const QList<QByteArray> next = bytes.mid(b + 1, c - b - 1).split(' ');
    bool ok = false;
    if (next.size() != 2 || j.path.isEmpty())
        return std::nullopt;
    j.newSize = next[0].toLongLong(&ok);
    j.newDigest = next[1];
    j.old = bytes.mid(c + 1);
    return ok ? std::optional<Journal>(j) : std::nullopt;
}

// Overwrites the file's contents without creating anything in its
// directory. Returns 0, or the errno of what failed.
int overwrite(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    errno = 0;
    // Read-write: write-only would empty the file before the first byte.
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return errno ? errno : EACCES;
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return errno ? errno : EIO;
        done += n;
    }
    errno = 0;
    if (!f.resize(bytes.size()))
        return errno ? errno : EIO;
#ifdef Q_OS_UNIX
    if (::fsync(f.handle()) != 0 && errno != EINVAL)
        return errno;
#endif
    return 0;
}

}  // namespace

bool writeFileAtomically(const QString &path, const QByteArray &bytes, const QString &journalDir, QString *error,
                         bool *oldKept, QString *notice)
{
    auto fail = [&](const QString &reason, bool kept = true) {
        if (error)
            *error = reason;
        if (oldKept)
            *oldKept = kept;
        return false;
    };
    // A name that leads to something other than a regular file (a link to
    // a device) is never written through: the save would replace it.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return fail(QCoreApplication::translate("Files", "sie ist keine gewöhnliche Datei"));

    {
        // Unbuffered: a buffered QSaveFile only meets a failing write (full
        // disk) at the flush inside commit(), and then renames the
        // cut-short file into place all the same.
        QSaveFile f(path);
        errno = 0;
        if (f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            qint64 done = 0;
            while (done < bytes.size()) {
                errno = 0;
                const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
                if (n <= 0) {
                    const QString reason = reasonOf(f, errno);
                    f.cancelWriting();
                    return fail(reason);
                }
                done += n;
            }
            errno = 0;
            if (f.error() != QFileDevice::NoError || !f.commit())
                return fail(reasonOf(f, errno));
            return true;
        }
        if (!target.exists())
            return fail(reasonOf(f, errno));
    }

    // A directory that takes no new file (a shared install run by an
    // ordinary user) still lets a writable file be overwritten in place.
    // That is not atomic, so the old contents go to a journal first: a start
    // after a kill in the middle puts them back.
    QString readError;
    const std::optional<QByteArray> old = readWholeFile(path, &readError);
    if (!old)
        return fail(readError);
    QString journal;
    QString noJournal;
    if (journalDir.isEmpty() || !QDir().mkpath(journalDir)) {
        noJournal = QCoreApplication::translate("Files", "kein Ort für eine Sicherungskopie");
    } else {
        journal = journalPath(journalDir, path);
        QSaveFile j(journal);
        errno = 0;
        if (!j.open(QIODevice::WriteOnly) || j.write(journalBytes(path, *old, bytes)) < 0 || !j.commit()) {
            noJournal = QCoreApplication::translate("Files", "die Sicherungskopie %1 kann nicht angelegt werden: %2")
                            .arg(QDir::toNativeSeparators(journal), reasonOf(j, errno));
            journal.clear();
        }
    }
    // Without a journal the changes would otherwise be lost for certain:
    // overwriting is the safest way left, and a failed write is still undone.
    const int err = overwrite(path, bytes);
    if (err == 0) {
        if (!journal.isEmpty())
            QFile::remove(journal);
        else if (notice)
            *notice = QCoreApplication::translate("Files", "Die Datei %1 wurde ohne Sicherungskopie überschrieben "
                                                           "(%2); ein Abbruch während des Schreibens hätte sie "
                                                           "unvollständig hinterlassen können.")
                          .arg(QDir::toNativeSeparators(path), noJournal);
        return true;
    }
    // The journal stays until the old contents are back.
    const bool restored = readWholeFile(path) == old || overwrite(path, *old) == 0;
    if (restored && !journal.isEmpty())
        QFile::remove(journal);
    return fail(systemErrorText(err), restored);
}

void removeLeftoversOfSaves(const QString &dataDir, const QStringList &names, const QString &journalDir)
{
    // QSaveFile writes "<name>.XXXXXX" beside the file and renames it.
    auto sweep = [](const QString &dir, const QStringList &bases) {
        const QDir d(dir);
        for (const QString &entry : d.entryList(QDir::Files | QDir::Hidden)) {
            for (const QString &base : bases) {
                static const QRegularExpression tail(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
                if (entry.size() == base.size() + 7 && entry.startsWith(base, Qt::CaseInsensitive) &&
                    tail.match(entry.mid(base.size())).hasMatch()) {
                    if (QFile::remove(d.filePath(entry)))
                        qCInfo(lcFiles).noquote() << "removed" << d.filePath(entry) << "left by a save cut short";
                }
            }
        }
    };
    sweep(dataDir, names);
    if (journalDir.isEmpty())
        return;
    // Only the journals of this folder's files: another folder's program
    // may be saving right now.
    QStringList journals;
    for (const QString &name : names)
        journals << QFileInfo(journalPath(journalDir, findFile(dataDir, name))).fileName();
    sweep(journalDir, journals);
}

QStringList recoverInterruptedSaves(const QString &journalDir, const QString &dataDir)
{
    QStringList notes;
    if (journalDir.isEmpty())
        return notes;
    const QString here = QDir(dataDir).absolutePath();
    const QDir d(journalDir);
    for (const QString &name : d.entryList({QStringLiteral("*.journal")}, QDir::Files)) {
        const QString journal = d.filePath(name);
        const std::optional<QByteArray> bytes = readWholeFile(journal, nullptr, 2 * kMaxDataFileBytes + 4096);
        const std::optional<Journal> j = bytes ? parseJournal(*bytes) : std::nullopt;
        if (!j) {
            qCWarning(lcFiles).noquote() << journal << "is no journal of a save; left alone";
            continue;
        }
        if (QFileInfo(j->path).absolutePath() != here)
            continue;  // another data folder's
        const std::optional<QByteArray> now = readWholeFile(j->path);
        if (now && ((now->size() == j->newSize && digest(*now) == j->newDigest) || *now == j->old)) {
            QFile::remove(journal);  // the save was complete, or had not begun
            continue;
        }
        const QString file = QFileInfo(j->path).fileName();
        const int err = overwrite(j->path, j->old);
        if (err == 0) {
            QFile::remove(journal);
            notes << QCoreApplication::translate(
                         "Files", "Die Datei %1 wurde beim letzten Speichern unterbrochen und war unvollständig. "
                                  "Ihr vorheriger Inhalt wurde wiederhergestellt.")
                         .arg(file);
        } else {
            notes << QCoreApplication::translate(
                         "Files", "Die Datei %1 wurde beim letzten Speichern unterbrochen und ist unvollständig; "
                                  "ihr vorheriger Inhalt konnte nicht wiederhergestellt werden (%2). Er liegt in %3.")
                         .arg(file, systemErrorText(err), QDir::toNativeSeparators(journal));
        }
    }
    return notes;
}

}  // namespace store
