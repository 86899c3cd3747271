#pragma once
// The data files beside the program. Their names compare without regard to
// case, so "config.dat" and "config.DAT" are one file on every file system.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace store {

// The path of the entry in `dir` whose name equals `name` in any letter
// case (an exact match first); `dir`/`name` when there is none.
QString findFile(const QString &dir, const QString &name);

// Far more than 100 station records or 30 slots take, and little enough
// memory that a wrong file cannot exhaust it.
inline constexpr qint64 kMaxDataFileBytes = 256 * 1024;

// The whole file, when it is a regular file (or a link to one) of at most
// `maxBytes`; else nothing, and in *error why ("sie fehlt", "sie ist ein
// Verzeichnis", ...). A pipe or a device is never opened, so nothing here
// waits for data that does not come.
std::optional<QByteArray> readWholeFile(const QString &path, QString *error = nullptr,
                                        qint64 maxBytes = kMaxDataFileBytes);

// Replaces the file in one step where the directory allows it, else
// overwrites it in place, keeping the old contents in a journal in
// `journalDir` until the new are complete: either the new contents are all
// there or the old ones are (at the latest after
// recoverInterruptedSaves). On failure returns false and the reason, and
// *oldKept tells whether the old contents are still there.
// Where no journal can be kept, the file is still overwritten in place (the
// old contents wait in memory and go back if the write fails), and *notice
// says that a kill during the write could have left it incomplete.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, const QString &journalDir, QString *error,
                         bool *oldKept = nullptr, QString *notice = nullptr);

// Puts back the old contents of the files in `dataDir` whose in-place save
// was cut short (the program was killed during it). One note for the user
// per file put back or not put back.
QStringList recoverInterruptedSaves(const QString &journalDir, const QString &dataDir);

// Removes what saves cut short by a kill left behind: the temporary files
// beside the data files `names` in `dataDir` ("config.dat.Ab12Cd"), and
// those of their journals in `journalDir`. The caller holds the folder, so
// no save of another program is under way there.
void removeLeftoversOfSaves(const QString &dataDir, const QStringList &names, const QString &journalDir);

// The system's reason `err` in German words, for the common ones.
QString systemErrorText(int err);

}  // namespace store
