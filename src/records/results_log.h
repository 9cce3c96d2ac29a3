#pragma once
// The results log as a file that several machines share: opening it,
// appending, replacing and deleting records, and finding what a reader should
// read. Every write of ours happens under the whole-file lock on the log.
//
// Older programs of the family append under the same lock but delete without
// any lock: they copy the log to "成績累積データtemp.dat", delete the log,
// write a new log from the copy without the record, then delete the copy. So
// while that copy exists the log is not to be trusted, by readers or writers.

#include "core/file_error.h"
#include "records/file_lock.h"
#include "records/result_record.h"

#include <QFile>

#include <functional>
#include <optional>

namespace baisuu {

// Called while the log is busy (another machine holds its lock, or a deletion
// is under way), before the next try about a second later. The program lets its
// screen run meanwhile; tools just sleep. An empty LockWait sleeps one second.
using LockWait = std::function<void()>;
// Runs wait, or sleeps one second when it is empty.
void WaitBeforeRetry(const LockWait& wait);
// Takes the whole-file lock, waiting with wait while another holder has it
// (it holds the lock only briefly). False, with errorText, when locking fails.
bool LockWaiting(WholeFileLock& lock, const LockWait& wait, QString* errorText);

// How many waits a reader gives a deletion's copy to go before it reads the copy.
// A copy that a reader of this program has waited out already is read at once,
// as long as neither it nor the log has changed since.
constexpr int kReaderCopyWaits = 10;
// How many waits a copy (and the log beside it) must stand unchanged before a
// writer takes it for the leftover of a deletion whose program died (about a minute).
constexpr int kStaleCopyWaits = 60;

#ifdef Q_OS_WIN
// Windows refuses reads of a region another machine has locked for its append;
// that passes, so a failed read is tried again for as long as it takes.
constexpr int kFailedReadTries = 2147483647;
#else
// Locks here never refuse a read: a read that fails is a fault of the disk.
constexpr int kFailedReadTries = 3;
#endif

// The complete copy of the log that a deletion keeps beside it
// ("成績累積データtemp.dat" in the same folder).
QString DeletionCopyPath(const QString& logPath);

// What a screen tells a pupil when the log cannot be read: a teacher has to
// look at it, so the message asks for one and names the file and the fault.
QString LogUnreadableText(const FileError& error);

// Where a reader found the log's records: the log itself, or, while a
// deletion's copy stays longer than kReaderCopyWaits waits, the copy (the
// whole log as it was before the deletion began). exists is false when there
// is neither: the log is empty.
struct LogToRead {
    QString path;
    bool exists = false;
    bool fromCopy = false;
};
// Reads the log without changing anything: read is called with the file open
// for reading (nullptr for an empty log), and again from the start should a
// deletion begin while it reads. A file that is busy for a moment is waited
// for; what waiting cannot mend (no data folder, no right to read) is an error.
using LogReader = std::function<std::optional<FileError>(QFile* file)>;
std::optional<FileError> ReadLog(const QString& logPath, const LockWait& wait,
                                 const LogReader& read, LogToRead* found = nullptr);

// The log's whole records as its bytes, in file order, as ReadLog finds them;
// a torn last record is left out. A missing log reads as empty.
std::optional<FileError> ReadLogBytes(const QString& logPath, QByteArray* out,
                                      const LockWait& wait = {}, bool* fromCopy = nullptr);
// Reads every whole record of the log in file order, as ReadLog finds them; a
// torn last record (the length not a multiple of 44) is left out. A missing log
// reads as empty. *fromCopy tells whether a deletion's copy was read.
std::optional<FileError> ReadResultRecords(const QString& logPath, QList<ResultRecord>* out,
                                           const LockWait& wait = {}, bool* fromCopy = nullptr);

// Reads the numeric fields of the last count whole records of the log, in file
// order, as ReadLog finds the log (nothing is written; a busy log is waited
// for with wait). A missing log reads as empty.
std::optional<FileError> ReadLastRecords(const QString& logPath, qint64 count,
                                         QList<RecordNumbers>* out, const LockWait& wait = {});

// Makes sure the log exists (a missing log is created empty) and that no
// deletion is under way; a copy that has stood unchanged for kStaleCopyWaits
// waits is settled (see SettleDeletion). Every write of ours begins so.
std::optional<FileError> OpenResultsLog(const QString& logPath, const LockWait& wait = {});

// Work on the log open and locked as a whole, begun once no deletion is under
// way, exactly as every write of ours begins (a leftover copy is settled first).
using LockedLogWork = std::function<std::optional<FileError>(QFile& log)>;

// Runs read on the locked log; should another program's deletion (which takes
// no lock) begin before read is done, read runs again on the log that deletion
// makes, so what it saw is the log of one moment.
std::optional<FileError> ReadLogUnderLock(const QString& logPath, const LockedLogWork& read,
                                          const LockWait& wait = {});
// Runs work once on the locked log, for work that puts another file in the
// log's place: the lock is then on a file that is no longer the log. A lock
// that was taken on such a replaced file is let go and taken on the new log.
std::optional<FileError> WorkUnderLock(const QString& logPath, const LockedLogWork& work,
                                       const LockWait& wait = {});

// Every change of ours is made under the lock and then checked: should another
// program's deletion, which takes no lock, begin before our write, it makes the
// log anew from its copy without our change. Then the change waits for that
// deletion to end and is made again on the new log, unless that log has it.

// Writes record as the next record of the log under the lock: at the end of the
// whole records, so a torn last record is overwritten. beforeWrite is for tests:
// it runs under the lock just before the record is written.
std::optional<FileError> AppendRecord(const QString& logPath, const ResultRecord& record,
                                      const LockWait& wait = {},
                                      const std::function<void()>& beforeWrite = {});

// The record a change means to change: the change is made only while record k,
// read under the lock, is still this record (after another program's deletion
// of a record before it, record k - 1); otherwise nothing more is written,
// `differs` is set and no error is returned.
struct ExpectedRecord {
    ResultRecord record;
    bool differs = false;
};

// Writes record over record k (counted from 1) under the lock. beforeWrite is
// for tests: it runs under the lock just before the record is written.
std::optional<FileError> ReplaceResult(const QString& logPath, qint64 k, const ResultRecord& record,
                                       const LockWait& wait = {},
                                       ExpectedRecord* expected = nullptr,
                                       const std::function<void()>& beforeWrite = {});

// The points of a deletion at which a test may stop the process.
enum class DeletionStep {
    Checked = 0,   // record k is the one expected; nothing is written yet
    CopyOnDisk,    // the complete copy is on disk; the log is untouched
    RecordsMoving, // after each chunk of records moved up by one
    RecordsMoved,  // every record after k has moved; the last one is still doubled
    LogCut,        // the log is one record shorter, maybe not yet on disk
    LogOnDisk,     // the shortened log is on disk; the copy is still there
    CopyRemoved,   // done
};
using DeletionStepHook = std::function<void(DeletionStep)>;

// Removes record k (counted from 1); the records after it move up by one. Runs
// under the lock, so an append from another machine waits and lands after the
// shortened log. A crash at any instant loses nothing but record k. Should
// another program's deletion have its copy on disk when ours would write its
// own, ours writes nothing and waits for that deletion to end.
std::optional<FileError> DeleteResult(const QString& logPath, qint64 k, const LockWait& wait = {},
                                      const DeletionStepHook& afterStep = {},
                                      ExpectedRecord* expected = nullptr);

// What a log and a deletion's copy beside it make once the deletion's program
// is gone, whoever it was: ours (records moved up in place, then the log cut)
// or an older program's (the log deleted and written anew from the copy). The
// records of the log that come from neither the copy nor the copy less one
// record (appends made after the deletion began) are always kept. A deletion
// that had finished is kept; one that had not is undone, so at worst the
// record being deleted comes back. Both arguments are whole records.
QByteArray SettleDeletion(QByteArrayView log, QByteArrayView copy);

// A restore rewrites the log in place under the lock, so that an append
// waiting for the lock, ours or an older program's, lands in the restored log.
// Before the log is touched, the records it is to hold and the records it held
// are on disk beside it (RestoreNewPath, RestoreOldPath); should the restore's
// program die half way, the next writer of ours finishes it, keeping what was
// appended meanwhile.
QString RestoreNewPath(const QString& logPath);
QString RestoreOldPath(const QString& logPath);
// Rewrites the locked log as restored (whole records); old is what it held.
// afterChunk (for tests) runs after each chunk written, with true once the
// log is cut to its new length and on disk.
std::optional<FileError> RewriteLogInPlace(QFile& log, const QByteArray& restored,
                                           const QByteArray& old,
                                           const std::function<void(bool)>& afterChunk = {});
// What a log left half rewritten by a restore makes: the restored records,
// then the log's records that are neither restored nor old ones (appended
// since), in their order. All three are whole records.
QByteArray SettleRestore(QByteArrayView log, QByteArrayView restored, QByteArrayView old);

// What `check` tells about a log, found without changing anything.
struct LogSurvey {
    bool exists = false;
    qint64 records = 0;         // whole records
    qint64 tornBytes = 0;       // bytes of a torn last record
    qint64 outOfRange = 0;      // records with a fault (RecordFault)
    qint64 firstOutOfRange = 0; // the first one's record number, counted from 1
    QString firstFault;         // and its fault
    bool leftoverCopy = false;  // a deletion's copy stayed: the copy was read
};
std::optional<FileError> SurveyResultsLog(const QString& logPath, LogSurvey* out,
                                          const LockWait& wait = {});
// Why the log, where it exists, cannot be opened for writing (it is opened, not
// changed), as every writer would be told; nothing when it can.
std::optional<FileError> LogWriteFault(const QString& logPath);

} // namespace baisuu
