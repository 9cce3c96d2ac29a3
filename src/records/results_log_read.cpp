#include "records/log_files.h"
#include "records/results_log.h"

#include <QMutex>

namespace baisuu {

// The log's readers: they take no lock and write nothing. How they meet a
// deletion's copy is told in results_log.cpp.

using namespace logfiles;

namespace {

// The deletion's copy that a reader of this program last waited out, with the
// log beside it, as they were then. The copy of a deletion whose program died
// stays until a writer settles it; while nothing changes, a reader reads it at
// once instead of waiting for it again.
struct WaitedOutCopy {
    QString logPath;
    Fingerprint seen;
};
QMutex waitedOutMutex;
std::optional<WaitedOutCopy> waitedOut;

// True when now is the copy last waited out; forgets that copy otherwise.
bool wasWaitedOut(const QString& logPath, const Fingerprint& now) {
    const QMutexLocker locker(&waitedOutMutex);
    if (waitedOut && waitedOut->logPath == logPath && waitedOut->seen == now) return true;
    waitedOut.reset();
    return false;
}

std::optional<FileError> findLogToRead(const QString& logPath, const LockWait& wait,
                                       LogToRead* out) {
    const QString copyPath = DeletionCopyPath(logPath);
    for (int waits = 0;; ++waits) {
        const Fingerprint now = FingerprintOf(logPath);
        const bool known = wasWaitedOut(logPath, now);
        if (!now.copyExists) {
            *out = {logPath, now.logExists, false};
            // An older program deletes the log only once its copy exists.
            if (out->exists || !QFile::exists(copyPath)) {
                if (!out->exists)
                    if (auto fault = LastingOpenFault(logPath, false)) return fault;
                return std::nullopt;
            }
        }
        if (known || waits >= kReaderCopyWaits) {
            const QMutexLocker locker(&waitedOutMutex);
            waitedOut = WaitedOutCopy{logPath, now};
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
        const Fingerprint before = FingerprintOf(logPath);
        QFile file(where.path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (!file.exists()) continue; // gone meanwhile: a deletion began
            if (auto fault = LastingOpenFault(where.path, false)) return fault;
            WaitBeforeRetry(wait);
            continue;
        }
        if (auto error = read(&file)) return error;
        // A deletion may have begun while we read, or begun and ended: either
        // may have shown us half a log. One that ended left the log shorter.
        if (where.fromCopy || FingerprintOf(logPath) == before) break;
    }
    if (found) *found = where;
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
                if (file->error() != QFileDevice::NoError) return ReadError(*file);
                out->records = bytes.size() / kRecordSize;
                out->tornBytes = bytes.size() % kRecordSize;
                out->firstFault.clear();
                for (qint64 r = 0; r < out->records; ++r) {
                    const QString fault =
                        RecordFault(RecordNumbersOf(bytes.constData() + r * kRecordSize));
                    if (fault.isEmpty()) continue;
                    if (out->outOfRange++ == 0) {
                        out->firstOutOfRange = r + 1;
                        out->firstFault = fault;
                    }
                }
                return std::nullopt;
            },
            &found))
        return error;
    out->leftoverCopy = found.fromCopy;
    return std::nullopt;
}

std::optional<FileError> LogWriteFault(const QString& logPath) {
    QFile file(logPath);
    if (!file.exists() || file.open(QIODevice::ReadWrite)) return std::nullopt;
    return LastingOpenFault(logPath, true);
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
            if (tries >= kFailedReadTries) return ReadError(*file);
            file->unsetError();
            WaitBeforeRetry(wait);
        }
        // A log that became shorter meanwhile gives what it still had.
        const qsizetype got = bytes.size() / kRecordSize;
        out->reserve(got);
        for (qsizetype i = 0; i < got; ++i)
            out->append(RecordNumbersOf(bytes.constData() + i * kRecordSize));
        return std::nullopt;
    };
    return ReadLog(logPath, wait, read);
}

} // namespace baisuu
