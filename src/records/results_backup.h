#pragma once
// Copies of the results log kept beside it, and putting one back. A copy is
// the log's whole records as they stood at one moment under the lock, in
// "<data folder>/バックアップ": the day's copy "成績累積データ-YYYYMMDD.dat"
// (the name siblings and people know), later copies of that day named with
// their time ("成績累積データ-YYYYMMDD-HHMMSS.dat"), and the log as a restore
// found it ("成績累積データ-YYYYMMDD-HHMMSS-戻す前.dat"). No copy replaces
// another; RotateCopies (core/backup_copies.h) decides which old ones go.

#include "core/backup_copies.h"
#include "core/file_error.h"
#include "records/results_log.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace baisuu {

// How many copies stay when nothing else is asked for.
constexpr int kKeptBackups = kKeptCopies;

// The folder of the copies, beside the log.
QString BackupFolder(const QString& logPath);
// The day's copy.
QString BackupPath(const QString& logPath, QDate day);
// Every copy of the log in the folder, newest first.
QList<CopyName> BackupCopies(const QString& logPath);
QStringList BackupFiles(const QString& logPath); // their paths

// Copies the log's whole records, read under its lock once no deletion is under
// way, to a new copy: the day's copy when now's day has none yet, else a copy
// named with now's time. Then the copies are rotated, keeping keep (the new one
// is today's, so it always stays). *written is the new copy's path. A missing
// log is an error: there is nothing to keep.
std::optional<FileError> BackUpResultsLog(const QString& logPath, const QDateTime& now,
                                          int keep = kKeptBackups, const LockWait& wait = {},
                                          QString* written = nullptr);

// The copy a program start makes: only when there is no copy of day yet and a
// log to copy. A deletion under way is left alone (the next start makes the
// copy): the program's own writers wait for it and settle it, not this.
std::optional<FileError> DailyBackup(const QString& logPath, QDate day);

// Reads a file to restore and sees that it is a results log of this school:
// whole records, at least one, none with a fault (RecordFault), and at least
// one carrying schoolCode (a log also holds runs of visiting pupils, but a
// copy without one run of the school is another school's). Anything else is
// refused with what is wrong; nothing is written.
std::optional<FileError> ReadRestoreFile(const QString& path, const QString& schoolCode,
                                         QByteArray* records);

// What a restore made of the log.
struct RestoreCounts {
    qint64 restored = 0; // the copy's records, now the log's first records
    qint64 returned = 0; // of them, the ones the log did not hold
    qint64 removed = 0;  // records of the log that the new log does not hold
    qint64 newer = 0;    // records of the log dated after the copy's newest record
    qint64 kept = 0;     // of them, the ones kept after the copy's (all but with dropNewer)
    QString beforeCopy;  // the copy of the log as it was; empty when it held no record
};

// The log a restore makes of copy and the log's current records (both whole
// records): the copy's records, then, unless dropNewer, the current records
// dated after the copy's newest record (by their own date and time of day,
// not by any file's time), in their order, so no run recorded since the copy
// is lost. counts tells what came back, what went and what stayed.
QByteArray RestoredLog(QByteArrayView copy, QByteArrayView current, bool dropNewer,
                       RestoreCounts* counts);

// The points of a restore at which a test may stop the process.
enum class RestoreStep {
    BackedUp,  // the log as it was is in its 戻す前 copy; nothing else is written
    Rewriting, // after each chunk of the log rewritten in place
    Rewritten, // the log holds the restored records and is on disk
};
using RestoreStepHook = std::function<void(RestoreStep)>;

// Puts records (read by ReadRestoreFile) back as the log, all under the log's
// lock: the log is read, kept as a 戻す前 copy, and rewritten in place as
// RestoredLog's result (RewriteLogInPlace), so no append falls between the
// copy and the rewrite, and appends that waited for the lock, an older
// program's too, land in the restored log. Killed half way, the restore is
// finished by the next writer. Refused while a deletion's copy exists.
std::optional<FileError> RestoreResultsLog(const QString& logPath, const QByteArray& records,
                                           const QDateTime& now, bool dropNewer,
                                           RestoreCounts* counts = nullptr,
                                           const LockWait& wait = {},
                                           const RestoreStepHook& afterStep = {});

} // namespace baisuu
