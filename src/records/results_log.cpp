#include "records/results_log.h"

#include "core/durable_file.h"
#include "records/file_lock.h"
#include "records/log_files.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace baisuu {

// Deletions and the copy "成績累積データtemp.dat".
//
// Our deletion keeps a complete copy of the log on disk until the shortened
// log is on disk, and does all its work under the log's lock. An older
// program's deletion takes no lock: it copies the log, deletes it, writes a
// new log from the copy and deletes the copy. Either way, while the copy
// exists the log may be half written, so:
//  - readers never touch the files; they wait for the copy to go, and read the
//    copy (the log as it was before the deletion began) if it stays
//    (results_log_read.cpp);
//  - writers wait too, and settle the copy themselves only when it and the log
//    have stood unchanged for about a minute: then the deletion's program has
//    died, and SettleDeletion decides what the log is;
//  - an older program's deletion that begins while we write makes the log anew
//    without our write, so every write is checked after it (changeLog).


using namespace logfiles;

namespace {

constexpr qint64 kMoveChunkRecords = 1024;

// The log open for reading and writing and locked as a whole. All reads and
// writes under the lock go through this one QFile (see file_lock.h).
struct LockedLog {
    explicit LockedLog(const QString& path) : file(path), lock(platform, file) {}
    QFile file;
    PlatformFileLock platform;
    WholeFileLock lock; // declared last: unlocked before the file closes
};

std::optional<FileError> openLocked(LockedLog& log, const LockWait& wait) {
    const QString path = log.file.fileName();
    while (!log.file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        if (auto fault = LastingOpenFault(path, true)) return fault;
        WaitBeforeRetry(wait);
    }
    QString errorText;
    if (!LockWaiting(log.lock, wait, &errorText))
        return LogError(path, QStringLiteral("成績ファイルを%1。").arg(errorText));
    return std::nullopt;
}

std::optional<QByteArray> wholeRecords(QFile& file) {
    if (!file.seek(0)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    bytes.truncate(bytes.size() / kRecordSize * kRecordSize);
    return bytes;
}

bool writeAt(QFile& file, qint64 offset, QByteArrayView bytes) {
    return file.seek(offset) && file.write(bytes.data(), bytes.size()) == bytes.size();
}

// Called right after the failed call, while errno still tells why.
FileError writeError(const QFile& file) {
    const int fault = errno;
    return LogError(file.fileName(), QStringLiteral("成績ファイルに書き込めません。") +
                                         (fault ? FileFaultText(fault) : file.errorString()));
}

// Counts how many looks in a row have found the copy and the log unchanged.
class CopyWatch {
  public:
    explicit CopyWatch(QString logPath) : logPath_(std::move(logPath)) {}
    void look() {
        const Fingerprint now = FingerprintOf(logPath_);
        unchanged_ = seen_ && now == last_ ? unchanged_ + 1 : 0;
        seen_ = true;
        last_ = now;
    }
    bool stale() const { return unchanged_ >= kStaleCopyWaits; }

  private:
    QString logPath_;
    Fingerprint last_;
    bool seen_ = false;
    int unchanged_ = 0;
};

// Settles a copy whose deletion's program is gone; the lock is held.
std::optional<FileError> settleLeftoverCopy(QFile& log) {
    const QString copyPath = DeletionCopyPath(log.fileName());
    QFile copyFile(copyPath);
    if (!copyFile.open(QIODevice::ReadOnly))
        return LogError(copyPath, QStringLiteral("削除の途中で残った控えを読めません（%1）。")
                                      .arg(copyFile.errorString()));
    QByteArray copy = copyFile.readAll();
    copyFile.close();
    copy.truncate(copy.size() / kRecordSize * kRecordSize);
    const auto current = wholeRecords(log);
    if (!current) return ReadError(log);
    const QByteArray settled = SettleDeletion(*current, copy);
    if (settled != *current) {
        if (!writeAt(log, 0, settled) || !log.resize(settled.size()) || !FlushToDisk(log))
            return writeError(log);
    }
    if (!QFile::remove(copyPath))
        return LogError(copyPath, QStringLiteral("削除の途中で残った控えを消せません。"));
    FlushFolder(QFileInfo(copyPath).absolutePath());
    return std::nullopt;
}

// Opens and locks the log once no deletion is under way: the start of every
// write. A copy that appears meanwhile sends the writer back to waiting.
std::optional<FileError> openForWriting(std::optional<LockedLog>& log, const QString& logPath,
                                        const LockWait& wait) {
    const QString copyPath = DeletionCopyPath(logPath);
    CopyWatch watch(logPath);
    for (;;) {
        if (QFile::exists(copyPath)) {
            watch.look();
            if (!watch.stale()) {
                WaitBeforeRetry(wait);
                continue;
            }
        }
        log.emplace(logPath);
        if (auto error = openLocked(*log, wait)) return error;
        if (!QFile::exists(copyPath))
            return QFile::exists(RestoreNewPath(logPath)) ? FinishRestore(log->file)
                                                          : std::nullopt;
        if (watch.stale()) return settleLeftoverCopy(log->file);
        log.reset(); // a deletion began just now: unlock and wait for it
        WaitBeforeRetry(wait);
    }
}

// False once the name stands for another file than the one we hold open
// (another program deleted the file and wrote a new one of that name
// meanwhile). Windows refuses to delete a file that is open, so there it stays.
bool isStillNamed(const QFile& file, const QString& path) {
#ifdef Q_OS_UNIX
    struct stat held {};
    struct stat named {};
    if (!file.isOpen() || ::fstat(file.handle(), &held) != 0) return false;
    if (::stat(QFile::encodeName(path).constData(), &named) != 0) return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
#else
    Q_UNUSED(file);
    Q_UNUSED(path);
    return true;
#endif
}

} // namespace

QByteArray SettleDeletion(QByteArrayView log, QByteArrayView copy) {
    const qsizetype n = copy.size() / kRecordSize;
    const qsizetype m = log.size() / kRecordSize;
    const auto rest = [&](qsizetype from) { return log.sliced(from * kRecordSize).toByteArray(); };
    // j: the records the log still shares with the copy from its start.
    qsizetype j = 0;
    while (j < n && j < m && RecordAt(log, j) == RecordAt(copy, j))
        ++j;
    if (j == n) return log.toByteArray(); // the deletion had changed nothing yet
    // Then the copy without record j + 1, as far as the log holds it.
    qsizetype q = 0;
    while (j + q < m && j + 1 + q < n && RecordAt(log, j + q) == RecordAt(copy, j + 1 + q))
        ++q;
    const qsizetype p = j + q; // the end of what the log took from the copy
    if (j + 1 + q == n) {
        // All of the copy but one record. Our deletion moves the records up in
        // place, so until it cuts the log the last record stands twice.
        if (p < m && RecordAt(log, p) == RecordAt(copy, n - 1))
            return copy.toByteArray() + rest(p + 1);
        return log.toByteArray(); // finished; anything after it was appended since
    }
    // Cut short: the copy comes back. Our deletion had left the records it had
    // not moved yet in their places; an older program's log ends where it stopped.
    qsizetype appendedFrom = p;
    if (m >= n && log.sliced(p * kRecordSize, (n - p) * kRecordSize) ==
                      copy.sliced(p * kRecordSize, (n - p) * kRecordSize))
        appendedFrom = n;
    return copy.toByteArray() + rest(appendedFrom);
}

void WaitBeforeRetry(const LockWait& wait) {
    if (wait)
        wait();
    else
        QThread::sleep(1);
}

bool LockWaiting(WholeFileLock& lock, const LockWait& wait, QString* errorText) {
    for (;;) {
        switch (lock.tryLock(errorText)) {
        case FileLock::Outcome::Locked:
            return true;
        case FileLock::Outcome::Busy:
            WaitBeforeRetry(wait);
            break;
        case FileLock::Outcome::Failed:
            return false;
        }
    }
}

QString LogUnreadableText(const FileError& error) {
    return QStringLiteral("成績を読めませんでした。先生を呼んでください。\r\n") + error.text();
}

QString DeletionCopyPath(const QString& logPath) {
    return QFileInfo(logPath).absolutePath() + QStringLiteral("/成績累積データtemp.dat");
}

std::optional<FileError> OpenResultsLog(const QString& logPath, const LockWait& wait) {
    std::optional<LockedLog> log;
    return openForWriting(log, logPath, wait);
}

namespace {

// What one try of a change found under the lock.
enum class Try {
    Written,    // written; it holds unless another program's deletion took the log meanwhile
    NotWritten, // another program's deletion had begun: nothing is written
    Finished,   // nothing more to write: an earlier try holds, or the change no longer applies
};
using Fault = std::optional<FileError>;
using ChangeTry = std::function<Fault(QFile& log, bool writtenBefore, Try* outcome)>;

// Makes a change under the lock and sees that it holds. Another program's
// deletion takes no lock: begun before our write, it makes the log anew from
// its copy without our change, and may leave our write in a file that is no
// longer the log. Then we wait for it to end and try again on the log it made;
// each try sees there whether an earlier one holds.
std::optional<FileError> changeLog(const QString& logPath, const LockWait& wait,
                                   const ChangeTry& attempt) {
    std::optional<LockedLog> log;
    for (bool written = false;;) {
        if (auto error = openForWriting(log, logPath, wait)) return error;
        Try outcome = Try::Finished;
        if (auto error = attempt(log->file, written, &outcome)) return error;
        if (outcome == Try::Finished) return std::nullopt;
        if (outcome == Try::Written) {
            written = true;
            if (!QFile::exists(DeletionCopyPath(logPath)) && isStillNamed(log->file, logPath))
                return std::nullopt;
        }
        log.reset(); // unlock, and wait for the deletion to end
    }
}

} // namespace

std::optional<FileError> ReadLogUnderLock(const QString& logPath, const LockedLogWork& read,
                                          const LockWait& wait) {
    return changeLog(logPath, wait, [&](QFile& log, bool, Try* outcome) -> Fault {
        *outcome = Try::Written; // seen through: checked like a write
        return read(log);
    });
}

std::optional<FileError> WorkUnderLock(const QString& logPath, const LockedLogWork& work,
                                       const LockWait& wait) {
    std::optional<LockedLog> log;
    do // again when such work elsewhere replaced the log while we waited for its lock
        if (auto error = openForWriting(log, logPath, wait)) return error;
    while (!isStillNamed(log->file, logPath));
    return work(log->file);
}

namespace {

// The record that a replacement or deletion is about: record k of the log as
// the change first found it, followed through another program's deletion of
// one record, which moves it up by one when it came before it.
class ChangedRecord {
  public:
    ChangedRecord(qint64 k, ExpectedRecord* expected) : k_(k), expected_(expected) {}

    // Where the record stands in records (the log's whole records now), if it
    // is still there unchanged.
    std::optional<qsizetype> find(QByteArrayView records) {
        if (!before_) before_ = records.toByteArray();
        const auto at = place(records);
        if (!at || *at >= records.size() / kRecordSize) return std::nullopt;
        const QByteArray meant =
            expected_ ? expected_->record.toBytes() : RecordAt(*before_, k_ - 1).toByteArray();
        if (RecordAt(records, *at) != meant) return std::nullopt;
        return at;
    }
    // True when records hold bytes where the record stands.
    bool holds(QByteArrayView records, QByteArrayView bytes) const {
        const auto at = place(records);
        return at && *at < records.size() / kRecordSize && RecordAt(records, *at) == bytes;
    }
    // Tells that the record is not there: through `differs` when the caller
    // expected a record, else as an error.
    std::optional<FileError> missing(const QString& logPath, QByteArrayView records) const {
        if (expected_) {
            expected_->differs = true;
            return std::nullopt;
        }
        if (records != *before_)
            return LogError(logPath, QStringLiteral("ほかのパソコンが成績ファイルを変えたので、"
                                                    "%1 番のレコードは変えていません。")
                                         .arg(k_));
        return LogError(logPath, QStringLiteral("%1 番のレコードはありません（全 %2 件）。")
                                     .arg(k_)
                                     .arg(records.size() / kRecordSize));
    }

  private:
    // Record k's index in records: k - 1 while the records before it are those
    // of the first look, k - 2 once one of them is gone.
    std::optional<qsizetype> place(QByteArrayView records) const {
        const qsizetype i = k_ - 1;
        const qsizetype m = records.size() / kRecordSize;
        if (i < 0 || i >= before_->size() / kRecordSize) return std::nullopt;
        qsizetype j = 0;
        while (j < i && j < m && RecordAt(records, j) == RecordAt(*before_, j))
            ++j;
        if (j == i) return i;
        for (qsizetype r = j; r < i - 1; ++r) // record j is gone: the rest moved up
            if (r >= m || RecordAt(records, r) != RecordAt(*before_, r + 1)) return std::nullopt;
        return i - 1;
    }

    qint64 k_;
    ExpectedRecord* expected_;
    std::optional<QByteArray> before_;
};

// Removes record i (counted from 0) of records, the log's whole records, under
// the lock: the records after it move up by one, in place, so the log stays the
// file that other machines have open and lock. A crash at any instant loses
// nothing but that record. Nothing is written when another program's deletion
// has put its copy on disk meanwhile.
std::optional<FileError> deleteAt(QFile& log, const QByteArray& records, qsizetype i,
                                  const DeletionStepHook& step, Try* outcome) {
    step(DeletionStep::Checked);
    // 1. The complete copy, on disk before the log changes. It appears under its
    //    name only when whole, so a copy that exists is always complete, and
    //    never in the place of another program's copy.
    const QString copyPath = DeletionCopyPath(log.fileName());
    QFile ours(copyPath); // held open, with its time, to know the copy as ours at the end
    QDateTime ourTime;
    {
        QTemporaryFile copy(copyPath + QStringLiteral(".XXXXXX"));
        if (!copy.open() || copy.write(records) != records.size() || !FlushToDisk(copy) ||
            !copy.rename(copyPath)) {
            if (!QFile::exists(copyPath))
                return LogError(
                    copyPath,
                    QStringLiteral("削除のための控えを書けません（%1）。ログは変えていません。")
                        .arg(copy.errorString()));
            *outcome = Try::NotWritten;
            return std::nullopt;
        }
        copy.setAutoRemove(false);
        FlushFolder(QFileInfo(copyPath).absolutePath());
        ours.open(QIODevice::ReadOnly);
        ourTime = QFileInfo(copyPath).lastModified();
    }
    step(DeletionStep::CopyOnDisk);
    *outcome = Try::Written;

    // 2. Move the records after i up by one.
    const QByteArrayView all(records);
    const qsizetype count = all.size() / kRecordSize;
    for (qsizetype r = i + 1; r < count; r += kMoveChunkRecords) {
        const qsizetype n = std::min<qsizetype>(kMoveChunkRecords, count - r);
        if (!writeAt(log, (r - 1) * kRecordSize, all.sliced(r * kRecordSize, n * kRecordSize)))
            return writeError(log); // the copy stays; the next open puts it back
        step(DeletionStep::RecordsMoving);
    }
    step(DeletionStep::RecordsMoved);

    // 3. Cut the doubled last record (and any torn bytes) and make it durable.
    if (!log.resize((count - 1) * kRecordSize)) return writeError(log);
    step(DeletionStep::LogCut);
    if (!FlushToDisk(log)) return writeError(log);
    step(DeletionStep::LogOnDisk);

    // 4. Only now may the copy go. A copy that another program's deletion put
    //    in its place meanwhile (a new file, or ours written over) is that deletion's.
    if (isStillNamed(ours, copyPath) && QFileInfo(copyPath).lastModified() == ourTime) {
        ours.close();
        if (!QFile::remove(copyPath))
            return LogError(copyPath, QStringLiteral("削除のための控えを消せません。"
                                                     "記録は削除されています。"));
        FlushFolder(QFileInfo(copyPath).absolutePath());
    }
    step(DeletionStep::CopyRemoved);
    return std::nullopt;
}

} // namespace

std::optional<FileError> AppendRecord(const QString& logPath, const ResultRecord& record,
                                      const LockWait& wait,
                                      const std::function<void()>& beforeWrite) {
    const QByteArray bytes = record.toBytes();
    return changeLog(logPath, wait, [&](QFile& log, bool writtenBefore, Try* outcome) -> Fault {
        if (writtenBefore) {
            // Their log has our record if their copy was taken after our write.
            const auto records = wholeRecords(log);
            if (!records) return ReadError(log);
            for (qsizetype r = 0; r < records->size() / kRecordSize; ++r)
                if (RecordAt(*records, r) == bytes) return std::nullopt;
        }
        if (beforeWrite) beforeWrite();
        // The end is computed under the lock, so two machines never write the same record.
        const qint64 end = log.size() / kRecordSize * kRecordSize;
        if (!writeAt(log, end, bytes) || !FlushToDisk(log)) return writeError(log);
        *outcome = Try::Written;
        return std::nullopt;
    });
}

std::optional<FileError> ReplaceResult(const QString& logPath, qint64 k, const ResultRecord& record,
                                       const LockWait& wait, ExpectedRecord* expected,
                                       const std::function<void()>& beforeWrite) {
    const QByteArray bytes = record.toBytes();
    ChangedRecord target(k, expected);
    return changeLog(logPath, wait, [&](QFile& log, bool writtenBefore, Try* outcome) -> Fault {
        const auto records = wholeRecords(log);
        if (!records) return ReadError(log);
        const auto at = target.find(*records);
        if (!at) {
            if (writtenBefore && target.holds(*records, bytes)) return std::nullopt;
            return target.missing(logPath, *records);
        }
        if (beforeWrite) beforeWrite();
        if (!writeAt(log, *at * kRecordSize, bytes) || !FlushToDisk(log)) return writeError(log);
        *outcome = Try::Written;
        return std::nullopt;
    });
}

std::optional<FileError> DeleteResult(const QString& logPath, qint64 k, const LockWait& wait,
                                      const DeletionStepHook& afterStep, ExpectedRecord* expected) {
    const DeletionStepHook step = [&](DeletionStep s) {
        if (afterStep) afterStep(s);
    };
    ChangedRecord target(k, expected);
    return changeLog(logPath, wait, [&](QFile& log, bool writtenBefore, Try* outcome) -> Fault {
        const auto records = wholeRecords(log);
        if (!records) return ReadError(log);
        if (const auto at = target.find(*records))
            return deleteAt(log, *records, *at, step, outcome);
        if (writtenBefore) return std::nullopt; // gone: by our deletion, or by theirs
        return target.missing(logPath, *records);
    });
}

} // namespace baisuu
