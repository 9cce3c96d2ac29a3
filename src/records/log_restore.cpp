// A restore of the results log, rewritten in place under the lock.
//
// The log stays the file every machine has open: an append waiting for the
// lock during a restore, ours or an older program's, then writes at the end of
// the restored log rather than into a file that is no longer the log. Before
// the log is touched, what it is to become and what it was are on disk beside
// it; should the restore's program die half way, the next writer of ours
// finishes the restore (FinishRestore), keeping what was appended since.

#include "records/log_files.h"
#include "records/results_log.h"

#include "core/durable_file.h"
#include "records/file_lock.h"

#include <QFileInfo>
#include <QHash>

#include <cerrno>

namespace baisuu {

using namespace logfiles;

namespace {

constexpr qsizetype kRewriteChunk = 16384 * kRecordSize;

QByteArray wholeRecordsOf(QByteArray bytes) {
    bytes.truncate(bytes.size() / kRecordSize * kRecordSize);
    return bytes;
}

std::optional<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return wholeRecordsOf(bytes);
}

FileError rewriteError(const QFile& log, int fault) {
    return LogError(log.fileName(), QStringLiteral("成績ファイルを書き直せません。") +
                                        FileFaultText(fault) +
                                        QStringLiteral("次に記録するときに書き直しを終えます。"));
}

void removeRestoreFiles(const QString& logPath) {
    QFile::remove(RestoreNewPath(logPath));
    QFile::remove(RestoreOldPath(logPath));
    FlushFolder(QFileInfo(logPath).absolutePath());
}

} // namespace

QString RestoreNewPath(const QString& logPath) {
    return logPath + QStringLiteral(".new");
}

QString RestoreOldPath(const QString& logPath) {
    return logPath + QStringLiteral(".old");
}

QByteArray SettleRestore(QByteArrayView log, QByteArrayView restored, QByteArrayView old) {
    // Each record of the log that is one of the restored or of the old log's
    // is part of the rewrite; what is left was appended since.
    QHash<QByteArray, int> known;
    for (QByteArrayView records : {restored, old})
        for (qsizetype r = 0; r < records.size() / kRecordSize; ++r)
            ++known[RecordAt(records, r).toByteArray()];
    QByteArray settled = restored.toByteArray();
    for (qsizetype r = 0; r < log.size() / kRecordSize; ++r) {
        const QByteArray record = RecordAt(log, r).toByteArray();
        auto it = known.find(record);
        if (it != known.end() && it.value() > 0)
            --it.value();
        else
            settled += record;
    }
    return settled;
}

std::optional<FileError> RewriteLogInPlace(QFile& log, const QByteArray& restored,
                                           const QByteArray& old,
                                           const std::function<void(bool)>& afterChunk) {
    const QString logPath = log.fileName();
    if (auto error = WriteFileDurably(RestoreOldPath(logPath), old)) return error;
    if (auto error = WriteFileDurably(RestoreNewPath(logPath), restored)) {
        QFile::remove(RestoreOldPath(logPath));
        return error;
    }
    for (qsizetype at = 0; at < restored.size(); at += kRewriteChunk) {
        const qsizetype n = std::min(kRewriteChunk, restored.size() - at);
        if (!log.seek(at) || log.write(restored.constData() + at, n) != n)
            return rewriteError(log, errno);
        if (afterChunk) afterChunk(false);
    }
    if (!log.resize(restored.size()) || !FlushToDisk(log)) return rewriteError(log, errno);
    if (afterChunk) afterChunk(true);
    removeRestoreFiles(logPath);
    return std::nullopt;
}

namespace logfiles {

std::optional<FileError> FinishRestore(QFile& log) {
    const QString logPath = log.fileName();
    const auto restored = readWhole(RestoreNewPath(logPath));
    const auto old = readWhole(RestoreOldPath(logPath));
    if (!restored || !old)
        return LogError(RestoreNewPath(logPath),
                        QStringLiteral("途中で止まった「戻す」の控えを読めません。"));
    if (!log.seek(0)) return ReadError(log);
    const QByteArray current = wholeRecordsOf(log.readAll());
    if (log.error() != QFileDevice::NoError) return ReadError(log);
    return RewriteLogInPlace(log, SettleRestore(current, *restored, *old), *old, {});
}

} // namespace logfiles

} // namespace baisuu
