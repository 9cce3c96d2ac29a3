#include "records/log_files.h"

#include "core/durable_file.h"
#include "records/file_lock.h"
#include "records/results_log.h"

#include <QFileInfo>

namespace baisuu {

namespace logfiles {

FileError LogError(const QString& path, const QString& message) {
    return FileError{path, 0, message};
}

FileError ReadError(const QFile& file) {
    return LogError(file.fileName(),
                    QStringLiteral("成績ファイルを読めません（%1）。").arg(file.errorString()));
}

std::optional<FileError> LastingOpenFault(const QString& path, bool forWriting) {
    const QFileInfo info(path);
    if (!QFileInfo(info.absolutePath()).isDir())
        return LogError(path, QStringLiteral("データフォルダがありません。"
                                             "パスデータ.txt のデータの場所を確かめてください。"));
    if (info.isDir())
        return LogError(path, QStringLiteral("成績ファイルの名前のフォルダがあります。"));
    if (!forWriting) {
        if (info.exists() && !info.isReadable())
            return LogError(path, QStringLiteral("成績ファイルを読む権限がありません。"));
        return std::nullopt;
    }
    // No right to write, a read-only or full disk: waiting mends none of them.
    if (const int fault = LastingWriteOpenFault(path))
        return LogError(path, QStringLiteral("成績ファイルを開けません。") + FileFaultText(fault));
    return std::nullopt;
}

Fingerprint FingerprintOf(const QString& logPath) {
    const QFileInfo copy(DeletionCopyPath(logPath));
    const QFileInfo log(logPath);
    return {copy.exists(), copy.size(), copy.lastModified(),
            log.exists(),  log.size(),  log.lastModified()};
}

QByteArrayView RecordAt(QByteArrayView bytes, qsizetype i) {
    return bytes.sliced(i * kRecordSize, kRecordSize);
}

} // namespace logfiles

} // namespace baisuu
