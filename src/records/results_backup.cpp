#include "records/results_backup.h"

#include "records/file_lock.h"
#include "records/log_files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace baisuu {

using namespace logfiles;

namespace {

const QString kBackupPrefix = QStringLiteral("成績累積データ-");

// Runs before the rename; an error it returns leaves the file as it was.
using BeforeRename = std::function<std::optional<FileError>()>;

// Writes bytes to path in one step: a file of its own beside it, on disk, then
// renamed over it. beforeRename runs between the two.
std::optional<FileError> writeWhole(const QString& path, const QByteArray& bytes,
                                    const BeforeRename& beforeRename = {}) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !FlushToDisk(file)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return LogError(path, QStringLiteral("書き込めません（%1）。").arg(why));
    }
    if (auto refused = beforeRename ? beforeRename() : std::nullopt) {
        file.cancelWriting();
        return refused;
    }
    if (!file.commit())
        return LogError(path, QStringLiteral("書き込めません（%1）。").arg(file.errorString()));
    FlushFolderToDisk(QFileInfo(path).absolutePath());
    return std::nullopt;
}

FileError deletionUnderWay(const QString& logPath) {
    return LogError(DeletionCopyPath(logPath),
                    QStringLiteral("記録の削除が終わっていません（この控えがあります）。"
                                   "削除が終わってから、もう一度やり直してください。"));
}

void removeOldBackups(const QString& logPath, int keep) {
    const QStringList files = BackupFiles(logPath);
    for (qsizetype i = std::max(keep, 1); i < files.size(); ++i)
        QFile::remove(files[i]);
}

} // namespace

QString BackupFolder(const QString& logPath) {
    return QFileInfo(logPath).absolutePath() + QStringLiteral("/バックアップ");
}

QString BackupPath(const QString& logPath, QDate day) {
    return BackupFolder(logPath) + QLatin1Char('/') + kBackupPrefix +
           day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".dat");
}

QStringList BackupFiles(const QString& logPath) {
    static const QRegularExpression name(QStringLiteral("^成績累積データ-\\d{8}\\.dat$"));
    const QDir folder(BackupFolder(logPath));
    QStringList out;
    // The names hold the day, so their order is the days' order.
    for (const QString& file : folder.entryList(QDir::Files, QDir::Name | QDir::Reversed))
        if (name.match(file).hasMatch()) out.append(folder.filePath(file));
    return out;
}

std::optional<FileError> BackUpResultsLog(const QString& logPath, QDate day, int keep,
                                          const LockWait& wait) {
    if (!QFile::exists(logPath) && !QFile::exists(DeletionCopyPath(logPath)))
        return LogError(logPath,
                        QStringLiteral("成績ファイルがないので、バックアップできません。"));
    QByteArray records;
    auto error = ReadLogUnderLock(
        logPath,
        [&](QFile& log) -> std::optional<FileError> {
            if (!log.seek(0)) return ReadError(log);
            records = log.readAll();
            if (log.error() != QFileDevice::NoError) return ReadError(log);
            records.truncate(records.size() / kRecordSize *
                             kRecordSize); // a torn tail is no record
            return std::nullopt;
        },
        wait);
    if (error) return error;
    if (!QDir().mkpath(BackupFolder(logPath)))
        return LogError(BackupFolder(logPath),
                        QStringLiteral("バックアップのフォルダを作れません。"));
    if (auto failed = writeWhole(BackupPath(logPath, day), records)) return failed;
    removeOldBackups(logPath, keep);
    return std::nullopt;
}

std::optional<FileError> DailyBackup(const QString& logPath, QDate day) {
    if (QFile::exists(BackupPath(logPath, day)) || !QFile::exists(logPath) ||
        QFile::exists(DeletionCopyPath(logPath)))
        return std::nullopt;
    return BackUpResultsLog(logPath, day);
}

std::optional<FileError> ReadRestoreFile(const QString& path, QByteArray* records) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return LogError(path,
                        QStringLiteral("ファイルを読めません（%1）。").arg(file.errorString()));
    *records = file.readAll();
    if (file.error() != QFileDevice::NoError) return ReadError(file);
    if (records->size() % kRecordSize != 0)
        return LogError(path, QStringLiteral("大きさ（%1 バイト）が記録 1 件の %2 バイトの倍数では"
                                             "ありません。成績ファイルのバックアップではないか、"
                                             "壊れています。")
                                  .arg(records->size())
                                  .arg(kRecordSize));
    return std::nullopt;
}

std::optional<FileError> RestoreResultsLog(const QString& logPath, const QByteArray& records,
                                           QDate day, const LockWait& wait,
                                           const RestoreStepHook& afterStep) {
    const auto step = [&](RestoreStep s) {
        if (afterStep) afterStep(s);
    };
    const QString copyPath = DeletionCopyPath(logPath);
    if (QFile::exists(copyPath)) return deletionUnderWay(logPath);
    if (QFile::exists(logPath))
        if (auto error = BackUpResultsLog(logPath, day, kKeptBackups, wait)) return error;
    step(RestoreStep::BackedUp);
    return WorkUnderLock(
        logPath,
        [&](QFile&) -> std::optional<FileError> {
            // Another program's deletion takes no lock: begun now, it would
            // write its log over ours or ours over its own.
            if (QFile::exists(copyPath)) return deletionUnderWay(logPath);
            auto error = writeWhole(logPath, records, [&]() -> std::optional<FileError> {
                step(RestoreStep::NewLogOnDisk);
                if (QFile::exists(copyPath)) return deletionUnderWay(logPath);
                return std::nullopt;
            });
            if (error) return error;
            step(RestoreStep::Renamed);
            return std::nullopt;
        },
        wait);
}

} // namespace baisuu
