#include "records/results_log.h"

#include "records/file_lock.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// Deletions and the copy "成績累積データtemp.dat".
//
// Our deletion keeps a complete copy of the log on disk until the shortened
// log is on disk, and does all its work under the log's lock. An older
// program's deletion takes no lock: it copies the log, deletes it, writes a
// new log from the copy and deletes the copy. Either way, while the copy
// exists the log may be half written, so:
//  - readers never touch the files; they wait for the copy to go, and read the
//    copy (the log as it was before the deletion began) if it stays;
//  - writers wait too, and settle the copy themselves only when it and the log
//    have stood unchanged for about a minute: then the deletion's program has
//    died, and SettleDeletion decides what the log is.

namespace {

constexpr qint64 kMoveChunkRecords = 1024;

FileError logError(const QString& path, const QString& message) {
    return FileError{path, 0, message};
}

// Opening can fail for a moment while another program has the file open
// exclusively; that is waited out. What waiting cannot mend is told.
std::optional<FileError> lastingOpenFault(const QString& path, bool forWriting) {
    const QFileInfo info(path);
    if (!QFileInfo(info.absolutePath()).isDir())
        return logError(path, QStringLiteral("データフォルダがありません。"
                                             "パスデータ.txt のデータの場所を確かめてください。"));
    if (info.isDir())
        return logError(path, QStringLiteral("成績ファイルの名前のフォルダがあります。"));
    if (info.exists() && !(forWriting ? info.isWritable() : info.isReadable()))
        return logError(
            path, QStringLiteral("成績ファイルを%1権限がありません。")
                      .arg(forWriting ? QStringLiteral("書き換える") : QStringLiteral("読む")));
    return std::nullopt;
}

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
        if (auto fault = lastingOpenFault(path, true)) return fault;
        WaitBeforeRetry(wait);
    }
    for (;;) {
        QString errorText;
        switch (log.lock.tryLock(&errorText)) {
        case FileLock::Outcome::Locked:
            return std::nullopt;
        case FileLock::Outcome::Busy:
            WaitBeforeRetry(wait); // another machine is writing; it holds the lock only briefly
            break;
        case FileLock::Outcome::Failed:
            return logError(path, QStringLiteral("成績ファイルを%1。").arg(errorText));
        }
    }
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

FileError writeError(const QFile& file) {
    return logError(file.fileName(),
                    QStringLiteral("成績ファイルに書き込めません（%1）。").arg(file.errorString()));
}

// The state of the copy and the log as the folder shows it; a deletion that is
// alive changes one of them.
struct Fingerprint {
    bool copyExists = false;
    qint64 copySize = 0;
    QDateTime copyTime;
    bool logExists = false;
    qint64 logSize = 0;
    QDateTime logTime;
    bool operator==(const Fingerprint&) const = default;
};

Fingerprint fingerprintOf(const QString& logPath) {
    const QFileInfo copy(DeletionCopyPath(logPath));
    const QFileInfo log(logPath);
    return {copy.exists(), copy.size(), copy.lastModified(),
            log.exists(),  log.size(),  log.lastModified()};
}

// Counts how many looks in a row have found the copy and the log unchanged.
class CopyWatch {
  public:
    explicit CopyWatch(QString logPath) : logPath_(std::move(logPath)) {}
    void look() {
        const Fingerprint now = fingerprintOf(logPath_);
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
        return logError(copyPath, QStringLiteral("削除の途中で残った控えを読めません（%1）。")
                                      .arg(copyFile.errorString()));
    QByteArray copy = copyFile.readAll();
    copyFile.close();
    copy.truncate(copy.size() / kRecordSize * kRecordSize);
    const auto current = wholeRecords(log);
    if (!current)
        return logError(log.fileName(),
                        QStringLiteral("成績ファイルを読めません（%1）。").arg(log.errorString()));
    const QByteArray settled = SettleDeletion(*current, copy);
    if (settled != *current) {
        if (!writeAt(log, 0, settled) || !log.resize(settled.size()) || !flushToDisk(log))
            return writeError(log);
    }
    if (!QFile::remove(copyPath))
        return logError(copyPath, QStringLiteral("削除の途中で残った控えを消せません。"));
    flushFolderToDisk(QFileInfo(copyPath).absolutePath());
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
        if (!QFile::exists(copyPath)) return std::nullopt;
        if (watch.stale()) return settleLeftoverCopy(log->file);
        log.reset(); // a deletion began just now: unlock and wait for it
        WaitBeforeRetry(wait);
    }
}

// False once the log's name stands for another file than the one we hold open
// (another program deleted the log and wrote a new one meanwhile). Windows
// refuses to delete a file that is open, so there it stays the log.
bool isStillTheLog(const QFile& file, const QString& logPath) {
#ifdef Q_OS_UNIX
    struct stat held {};
    struct stat named {};
    if (::fstat(file.handle(), &held) != 0) return false;
    if (::stat(QFile::encodeName(logPath).constData(), &named) != 0) return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
#else
    Q_UNUSED(file);
    Q_UNUSED(logPath);
    return true;
#endif
}

QByteArrayView recordAt(QByteArrayView bytes, qsizetype i) {
    return bytes.sliced(i * kRecordSize, kRecordSize);
}

} // namespace

QByteArray SettleDeletion(QByteArrayView log, QByteArrayView copy) {
    const qsizetype n = copy.size() / kRecordSize;
    const qsizetype m = log.size() / kRecordSize;
    const auto rest = [&](qsizetype from) { return log.sliced(from * kRecordSize).toByteArray(); };
    // j: the records the log still shares with the copy from its start.
    qsizetype j = 0;
    while (j < n && j < m && recordAt(log, j) == recordAt(copy, j))
        ++j;
    if (j == n) return log.toByteArray(); // the deletion had changed nothing yet
    // Then the copy without record j + 1, as far as the log holds it.
    qsizetype q = 0;
    while (j + q < m && j + 1 + q < n && recordAt(log, j + q) == recordAt(copy, j + 1 + q))
        ++q;
    const qsizetype p = j + q; // the end of what the log took from the copy
    if (j + 1 + q == n) {
        // All of the copy but one record. Our deletion moves the records up in
        // place, so until it cuts the log the last record stands twice.
        if (p < m && recordAt(log, p) == recordAt(copy, n - 1))
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

QString DeletionCopyPath(const QString& logPath) {
    return QFileInfo(logPath).absolutePath() + QStringLiteral("/成績累積データtemp.dat");
}

namespace {

std::optional<FileError> findLogToRead(const QString& logPath, const LockWait& wait,
                                       LogToRead* out) {
    const QString copyPath = DeletionCopyPath(logPath);
    for (int waits = 0;; ++waits) {
        if (!QFile::exists(copyPath)) {
            *out = {logPath, QFile::exists(logPath), false};
            // An older program deletes the log only once its copy exists.
            if (out->exists || !QFile::exists(copyPath)) {
                if (!out->exists)
                    if (auto fault = lastingOpenFault(logPath, false)) return fault;
                return std::nullopt;
            }
        }
        if (waits >= kReaderCopyWaits) {
            *out = {copyPath, true, true};
            return std::nullopt;
        }
        WaitBeforeRetry(wait);
    }
}

} // namespace

std::optional<FileError> ReadLog(const QString& logPath, const LockWait& wait,
                                 const LogReader& read, LogToRead* found) {
    LogToRead where;
    for (;;) {
        if (auto error = findLogToRead(logPath, wait, &where)) return error;
        if (!where.exists) {
            if (auto error = read(nullptr)) return error;
            break;
        }
        const Fingerprint before = fingerprintOf(logPath);
        QFile file(where.path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (!file.exists()) continue; // gone meanwhile: a deletion began
            if (auto fault = lastingOpenFault(where.path, false)) return fault;
            WaitBeforeRetry(wait);
            continue;
        }
        if (auto error = read(&file)) return error;
        // A deletion may have begun while we read, or begun and ended: either
        // may have shown us half a log. One that ended left the log shorter.
        if (where.fromCopy || fingerprintOf(logPath) == before) break;
    }
    if (found) *found = where;
    return std::nullopt;
}

std::optional<FileError> OpenResultsLog(const QString& logPath, const LockWait& wait) {
    std::optional<LockedLog> log;
    return openForWriting(log, logPath, wait);
}

std::optional<FileError> AppendRecord(const QString& logPath, const ResultRecord& record,
                                      const LockWait& wait,
                                      const std::function<void()>& beforeWrite) {
    const QByteArray bytes = record.toBytes();
    std::optional<LockedLog> log;
    for (bool written = false;;) {
        if (auto error = openForWriting(log, logPath, wait)) return error;
        if (written) {
            // Another program's deletion began while we wrote: its log has our
            // record if its copy was taken after our write.
            const auto records = wholeRecords(log->file);
            if (!records)
                return logError(logPath, QStringLiteral("成績ファイルを読めません（%1）。")
                                             .arg(log->file.errorString()));
            for (qsizetype r = 0; r < records->size() / kRecordSize; ++r)
                if (recordAt(*records, r) == bytes) return std::nullopt;
        }
        if (beforeWrite) beforeWrite();
        // The end is computed under the lock, so two machines never write the same record.
        const qint64 end = log->file.size() / kRecordSize * kRecordSize;
        if (!writeAt(log->file, end, bytes) || !flushToDisk(log->file))
            return writeError(log->file);
        written = true;
        if (!QFile::exists(DeletionCopyPath(logPath)) && isStillTheLog(log->file, logPath))
            return std::nullopt;
        log.reset();
    }
}

std::optional<FileError> ReplaceResult(const QString& logPath, qint64 k, const ResultRecord& record,
                                       const LockWait& wait, ExpectedRecord* expected) {
    std::optional<LockedLog> log;
    if (auto error = openForWriting(log, logPath, wait)) return error;
    const qint64 count = log->file.size() / kRecordSize;
    if (expected) {
        const bool same = k >= 1 && k <= count && log->file.seek((k - 1) * kRecordSize) &&
                          ResultRecord::fromBytes(log->file.read(kRecordSize)) == expected->record;
        if (log->file.error() != QFileDevice::NoError)
            return logError(
                logPath,
                QStringLiteral("成績ファイルを読めません（%1）。").arg(log->file.errorString()));
        if (!same) {
            expected->differs = true;
            return std::nullopt;
        }
    }
    if (k < 1 || k > count)
        return logError(
            logPath, QStringLiteral("%1 番のレコードはありません（全 %2 件）。").arg(k).arg(count));
    if (!writeAt(log->file, (k - 1) * kRecordSize, record.toBytes()) || !flushToDisk(log->file))
        return writeError(log->file);
    return std::nullopt;
}

std::optional<FileError> DeleteResult(const QString& logPath, qint64 k, const LockWait& wait,
                                      const DeletionStepHook& afterStep, ExpectedRecord* expected) {
    const auto step = [&](DeletionStep s) {
        if (afterStep) afterStep(s);
    };
    std::optional<LockedLog> locked;
    if (auto error = openForWriting(locked, logPath, wait)) return error;
    LockedLog& log = *locked;
    const auto records = wholeRecords(log.file);
    if (!records)
        return logError(
            logPath,
            QStringLiteral("成績ファイルを読めません（%1）。").arg(log.file.errorString()));
    const qint64 count = records->size() / kRecordSize;
    if (expected && (k < 1 || k > count ||
                     ResultRecord::fromBytes(QByteArrayView(*records).sliced(
                         (k - 1) * kRecordSize, kRecordSize)) != expected->record)) {
        expected->differs = true;
        return std::nullopt;
    }
    if (k < 1 || k > count)
        return logError(
            logPath, QStringLiteral("%1 番のレコードはありません（全 %2 件）。").arg(k).arg(count));

    // 1. The complete copy, on disk before the log changes. It appears under its
    //    name only when whole, so a copy that exists is always complete.
    const QString copyPath = DeletionCopyPath(logPath);
    {
        QSaveFile copy(copyPath);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(*records) != records->size() ||
            !flushToDisk(copy) || !copy.commit())
            return logError(
                copyPath,
                QStringLiteral("削除のための控えを書けません（%1）。ログは変えていません。")
                    .arg(copy.errorString()));
        flushFolderToDisk(QFileInfo(copyPath).absolutePath());
    }
    step(DeletionStep::CopyOnDisk);

    // 2. Move the records after k up by one, in place: the log stays the file
    //    that other machines have open and lock.
    const QByteArrayView all(*records);
    for (qint64 r = k; r < count; r += kMoveChunkRecords) {
        const qint64 n = std::min(kMoveChunkRecords, count - r);
        if (!writeAt(log.file, (r - 1) * kRecordSize, all.sliced(r * kRecordSize, n * kRecordSize)))
            return writeError(log.file); // the copy stays; the next open puts it back
        step(DeletionStep::RecordsMoving);
    }
    step(DeletionStep::RecordsMoved);

    // 3. Cut the doubled last record (and any torn bytes) and make it durable.
    if (!log.file.resize((count - 1) * kRecordSize)) return writeError(log.file);
    step(DeletionStep::LogCut);
    if (!flushToDisk(log.file)) return writeError(log.file);
    step(DeletionStep::LogOnDisk);

    // 4. Only now may the copy go.
    if (!QFile::remove(copyPath))
        return logError(copyPath,
                        QStringLiteral("削除のための控えを消せません。記録は削除されています。"));
    flushFolderToDisk(QFileInfo(copyPath).absolutePath());
    step(DeletionStep::CopyRemoved);
    return std::nullopt;
}

std::optional<FileError> SurveyResultsLog(const QString& logPath, LogSurvey* out,
                                          const LockWait& wait) {
    *out = {};
    LogToRead found;
    if (auto error = ReadLog(
            logPath, wait,
            [&](QFile* file) -> std::optional<FileError> {
                out->exists = file != nullptr;
                out->records = out->tornBytes = out->outOfRange = out->firstOutOfRange = 0;
                if (!file) return std::nullopt;
                const QByteArray bytes = file->readAll();
                if (file->error() != QFileDevice::NoError)
                    return logError(file->fileName(),
                                    QStringLiteral("成績ファイルを読めません（%1）。")
                                        .arg(file->errorString()));
                out->records = bytes.size() / kRecordSize;
                out->tornBytes = bytes.size() % kRecordSize;
                for (qint64 r = 0; r < out->records; ++r) {
                    const ResultRecord rec = ResultRecord::fromBytes(recordAt(bytes, r));
                    if (rec.pupilNumber < 0 || rec.pupilNumber > 5000 || rec.level < 0 ||
                        rec.level > 35) {
                        if (out->outOfRange++ == 0) out->firstOutOfRange = r + 1;
                    }
                }
                return std::nullopt;
            },
            &found))
        return error;
    out->leftoverCopy = found.fromCopy;
    return std::nullopt;
}

std::optional<FileError> ReadLastRecords(const QString& logPath, qint64 count,
                                         QList<RecordNumbers>* out, const LockWait& wait) {
    const auto read = [&](QFile* file) -> std::optional<FileError> {
        out->clear();
        if (!file) return std::nullopt;
        const qint64 total = file->size() / kRecordSize;
        const qint64 first = std::max<qint64>(0, total - std::max<qint64>(count, 0));
        const qint64 want = (total - first) * kRecordSize;
        QByteArray bytes;
        for (int tries = 1;; ++tries) {
            if (file->seek(first * kRecordSize)) {
                bytes = file->read(want);
                if (file->error() == QFileDevice::NoError) break;
            }
            if (tries >= kFailedReadTries)
                return FileError{
                    file->fileName(), 0,
                    QStringLiteral("成績ファイルを読めません（%1）。").arg(file->errorString())};
            file->unsetError();
            WaitBeforeRetry(wait);
        }
        // A log that became shorter meanwhile gives what it still had.
        const qsizetype got = bytes.size() / kRecordSize;
        out->reserve(got);
        for (qsizetype i = 0; i < got; ++i)
            out->append(recordNumbers(bytes.constData() + i * kRecordSize));
        return std::nullopt;
    };
    return ReadLog(logPath, wait, read);
}
