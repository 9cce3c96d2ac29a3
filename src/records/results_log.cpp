#include "records/results_log.h"

#include "records/file_lock.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

// Leftover copy of a deletion ("成績累積データtemp.dat").
//
// A deletion keeps a complete copy of the log on disk until the shortened log
// is on disk, and does all its work under the log's lock. A copy found under
// that lock therefore means a deletion was cut short (crash, power loss), and
// the next writer or reader settles it before touching the log:
//  - the log still begins with the whole copy: the deletion had changed
//    nothing yet; the log is kept as it is;
//  - the log is the copy less exactly one record: the deletion had finished;
//    the log is kept;
//  - anything else (records half moved up, the last record still doubled, a
//    missing or cut log): the copy is written back over the log, followed by
//    whatever the log holds beyond the copy's length.
// Then the copy is removed. No record is lost or doubled; at worst the record
// that was being deleted is back and the teacher deletes it again.

namespace {

constexpr qint64 kMoveChunkRecords = 1024;

FileError logError(const QString& path, const QString& message) {
    return FileError{path, 0, message};
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
    // Opening can fail for a moment while another program has the file open
    // exclusively; a lasting failure (no folder, no rights) is told.
    const auto cannotOpen = [&] {
        return logError(path, QStringLiteral("成績ファイルを開けません（%1）。データフォルダと"
                                             "書き込みの権限を確かめてください。")
                                  .arg(log.file.errorString()));
    };
    for (int tries = 1; !log.file.open(QIODevice::ReadWrite | QIODevice::Unbuffered); ++tries) {
        if (tries >= 10 || !QFileInfo(QFileInfo(path).absolutePath()).isDir()) return cannotOpen();
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

// True when log is copy with exactly one record left out.
bool isCopyLessOneRecord(QByteArrayView log, QByteArrayView copy) {
    if (copy.isEmpty() || log.size() != copy.size() - kRecordSize) return false;
    qsizetype i = 0; // first differing record
    while (i < log.size() && std::memcmp(log.data() + i, copy.data() + i, kRecordSize) == 0)
        i += kRecordSize;
    return log.sliced(i) == copy.sliced(i + kRecordSize);
}

// Settles a leftover copy as the comment at the top describes; the lock is held.
std::optional<FileError> settleLeftoverCopy(QFile& log, bool logWasMissing) {
    const QString copyPath = DeletionCopyPath(log.fileName());
    QFile copyFile(copyPath);
    if (!copyFile.exists()) return std::nullopt;
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

    const bool unchanged = current->startsWith(copy);
    const bool finished = !logWasMissing && isCopyLessOneRecord(*current, copy);
    if (!unchanged && !finished) {
        const QByteArray restored = copy + current->mid(copy.size());
        if (!writeAt(log, 0, restored) || !log.resize(restored.size()) || !flushToDisk(log))
            return writeError(log);
    }
    if (!QFile::remove(copyPath))
        return logError(copyPath, QStringLiteral("削除の途中で残った控えを消せません。"));
    flushFolderToDisk(QFileInfo(copyPath).absolutePath());
    return std::nullopt;
}

// Opens, locks and settles a leftover copy: the start of every write.
std::optional<FileError> openForWriting(LockedLog& log, const LockWait& wait) {
    const bool existed = log.file.exists();
    if (auto error = openLocked(log, wait)) return error;
    return settleLeftoverCopy(log.file, !existed);
}

} // namespace

void WaitBeforeRetry(const LockWait& wait) {
    if (wait)
        wait();
    else
        QThread::sleep(1);
}

QString DeletionCopyPath(const QString& logPath) {
    return QFileInfo(logPath).absolutePath() + QStringLiteral("/成績累積データtemp.dat");
}

std::optional<FileError> OpenResultsLog(const QString& logPath, const LockWait& wait) {
    if (QFile::exists(logPath) && !QFile::exists(DeletionCopyPath(logPath))) return std::nullopt;
    LockedLog log(logPath);
    return openForWriting(log, wait);
}

std::optional<FileError> AppendRecord(const QString& logPath, const ResultRecord& record,
                                      const LockWait& wait) {
    LockedLog log(logPath);
    if (auto error = openForWriting(log, wait)) return error;
    // The end is computed under the lock, so two machines never write the same record.
    const qint64 end = log.file.size() / kRecordSize * kRecordSize;
    if (!writeAt(log.file, end, record.toBytes()) || !flushToDisk(log.file))
        return writeError(log.file);
    return std::nullopt;
}

std::optional<FileError> ReplaceResult(const QString& logPath, qint64 k, const ResultRecord& record,
                                       const LockWait& wait) {
    LockedLog log(logPath);
    if (auto error = openForWriting(log, wait)) return error;
    const qint64 count = log.file.size() / kRecordSize;
    if (k < 1 || k > count)
        return logError(
            logPath, QStringLiteral("%1 番のレコードはありません（全 %2 件）。").arg(k).arg(count));
    if (!writeAt(log.file, (k - 1) * kRecordSize, record.toBytes()) || !flushToDisk(log.file))
        return writeError(log.file);
    return std::nullopt;
}

std::optional<FileError> DeleteResult(const QString& logPath, qint64 k, const LockWait& wait,
                                      const DeletionStepHook& afterStep) {
    const auto step = [&](DeletionStep s) {
        if (afterStep) afterStep(s);
    };
    LockedLog log(logPath);
    if (auto error = openForWriting(log, wait)) return error;
    const auto records = wholeRecords(log.file);
    if (!records)
        return logError(
            logPath,
            QStringLiteral("成績ファイルを読めません（%1）。").arg(log.file.errorString()));
    const qint64 count = records->size() / kRecordSize;
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

std::optional<FileError> SurveyResultsLog(const QString& logPath, LogSurvey* out) {
    *out = {};
    out->leftoverCopy = QFile::exists(DeletionCopyPath(logPath));
    QFile file(logPath);
    if (!file.exists()) return std::nullopt;
    out->exists = true;
    if (!file.open(QIODevice::ReadOnly))
        return logError(logPath,
                        QStringLiteral("成績ファイルを読めません（%1）。").arg(file.errorString()));
    const QByteArray bytes = file.readAll();
    out->records = bytes.size() / kRecordSize;
    out->tornBytes = bytes.size() % kRecordSize;
    for (qint64 r = 0; r < out->records; ++r) {
        const ResultRecord rec =
            ResultRecord::fromBytes(QByteArrayView(bytes).sliced(r * kRecordSize, kRecordSize));
        if (rec.pupilNumber < 0 || rec.pupilNumber > 5000 || rec.level < 0 || rec.level > 35) {
            if (out->outOfRange++ == 0) out->firstOutOfRange = r + 1;
        }
    }
    return std::nullopt;
}
