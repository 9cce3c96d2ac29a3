#pragma once
// Copies of the results log kept beside it, and putting one back. A copy is
// the log's whole records as they stood at one moment under the lock, in
// "<data folder>/バックアップ/成績累積データ-YYYYMMDD.dat", one per day.

#include "core/file_error.h"
#include "records/results_log.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace baisuu {

// How many daily copies stay when nothing else is asked for.
constexpr int kKeptBackups = 30;

// The folder of the copies, beside the log.
QString BackupFolder(const QString& logPath);
// The copy of the given day.
QString BackupPath(const QString& logPath, QDate day);
// The copies in the folder, newest first.
QStringList BackupFiles(const QString& logPath);

// Copies the log's whole records, read under its lock once no deletion is under
// way, to the copy of day (replacing an earlier one of that day in one step),
// then removes all but the newest keep copies. A missing log is an error:
// there is nothing to keep.
std::optional<FileError> BackUpResultsLog(const QString& logPath, QDate day,
                                          int keep = kKeptBackups, const LockWait& wait = {});

// The copy a program start makes: only when there is no copy of day yet and a
// log to copy. A deletion under way is left alone (the next start makes the
// copy): the program's own writers wait for it and settle it, not this.
std::optional<FileError> DailyBackup(const QString& logPath, QDate day);

// Reads a file to restore: it must be whole records of the log.
std::optional<FileError> ReadRestoreFile(const QString& path, QByteArray* records);

// The points of a restore at which a test may stop the process.
enum class RestoreStep {
    BackedUp,     // the log as it was is in today's copy; nothing else is written
    NewLogOnDisk, // the new log is on disk under a name of its own beside the log
    Renamed,      // the new log has taken the log's name
};
using RestoreStepHook = std::function<void(RestoreStep)>;

// Puts records (whole records, see ReadRestoreFile) in place of the log: the
// log is first copied as day's backup (when there is one), then, under its
// lock, the records are written as a new file beside it that is renamed over
// it, so the log is at every instant either the old one or the new one.
// Refused while a deletion's copy exists.
std::optional<FileError> RestoreResultsLog(const QString& logPath, const QByteArray& records,
                                           QDate day, const LockWait& wait = {},
                                           const RestoreStepHook& afterStep = {});

} // namespace baisuu
