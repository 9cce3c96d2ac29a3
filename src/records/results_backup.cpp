#include "records/results_backup.h"

#include "core/durable_file.h"
#include "records/log_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace baisuu {

using namespace logfiles;

namespace {

const QString kCopyStem = QStringLiteral("成績累積データ");
const QString kCopyExt = QStringLiteral(".dat");
using Fault = std::optional<FileError>;

FileError deletionUnderWay(const QString& logPath) {
    return LogError(DeletionCopyPath(logPath),
                    QStringLiteral("記録の削除が終わっていません（この控えがあります）。"
                                   "削除が終わってから、もう一度やり直してください。"));
}

// The log's whole records, read from the file held under the lock.
Fault readWholeRecords(QFile& log, QByteArray* records) {
    if (!log.seek(0)) return ReadError(log);
    *records = log.readAll();
    if (log.error() != QFileDevice::NoError) return ReadError(log);
    records->truncate(records->size() / kRecordSize * kRecordSize); // a torn tail is no record
    return std::nullopt;
}

// The log's records as they stand under the lock.
Fault readUnderLock(const QString& logPath, const LockWait& wait, QByteArray* records) {
    if (!QFile::exists(logPath) && !QFile::exists(DeletionCopyPath(logPath)))
        return LogError(logPath,
                        QStringLiteral("成績ファイルがないので、バックアップできません。"));
    return ReadLogUnderLock(
        logPath, [&](QFile& log) { return readWholeRecords(log, records); }, wait);
}

// A copy of records: the day's copy when the day has none, else (unless
// dailyOnly) one named with the time. *written stays empty when none is made.
Fault writeBackup(const QString& logPath, const QDateTime& now, const QByteArray& records,
                  bool dailyOnly, QString* written) {
    if (!QDir().mkpath(BackupFolder(logPath)))
        return LogError(BackupFolder(logPath),
                        QStringLiteral("バックアップのフォルダを作れません。"));
    bool made = false;
    const QString daily = BackupPath(logPath, now.date());
    if (auto error = WriteNewFileDurably(daily, records, &made)) return error;
    if (made) {
        *written = daily;
        return std::nullopt;
    }
    if (dailyOnly) return std::nullopt;
    return WriteCopy(BackupFolder(logPath), kCopyStem, kCopyExt, records, now, {}, written);
}

// The codes of records, as a list for a person (a blank code as such).
QString schoolCodesOf(QByteArrayView records) {
    QSet<QByteArray> seen;
    QStringList codes;
    for (qsizetype r = 0; r < records.size() / kRecordSize && codes.size() < 10; ++r) {
        const QByteArray field = RecordAt(records, r).sliced(24, kRecordTextWidth).toByteArray();
        if (seen.contains(field)) continue;
        seen.insert(field);
        const QString code = RecordTextValue(field);
        codes.append(code.isEmpty() ? QStringLiteral("（空白）") : code);
    }
    return codes.join(QStringLiteral("、"));
}

} // namespace

QString BackupFolder(const QString& logPath) {
    return QFileInfo(logPath).absolutePath() + QStringLiteral("/バックアップ");
}

QString BackupPath(const QString& logPath, QDate day) {
    return BackupFolder(logPath) + QLatin1Char('/') + kCopyStem + QLatin1Char('-') +
           day.toString(QStringLiteral("yyyyMMdd")) + kCopyExt;
}

QList<CopyName> BackupCopies(const QString& logPath) {
    return CopiesOf(BackupFolder(logPath), kCopyStem, kCopyExt);
}

QStringList BackupFiles(const QString& logPath) {
    QStringList out;
    for (const CopyName& copy : BackupCopies(logPath))
        out.append(copy.path);
    return out;
}

std::optional<FileError> BackUpResultsLog(const QString& logPath, const QDateTime& now, int keep,
                                          const LockWait& wait, QString* written) {
    QByteArray records;
    if (auto error = readUnderLock(logPath, wait, &records)) return error;
    QString path;
    if (auto error = writeBackup(logPath, now, records, false, &path)) return error;
    RotateCopies(BackupFolder(logPath), kCopyStem, kCopyExt, now.date(), keep);
    if (written) *written = path;
    return std::nullopt;
}

std::optional<FileError> DailyBackup(const QString& logPath, QDate day) {
    if (QFile::exists(BackupPath(logPath, day)) || !QFile::exists(logPath) ||
        QFile::exists(DeletionCopyPath(logPath)))
        return std::nullopt;
    QByteArray records;
    if (auto error = readUnderLock(logPath, {}, &records)) return error;
    QString path;
    if (auto error = writeBackup(logPath, day.startOfDay(), records, true, &path)) return error;
    if (!path.isEmpty()) RotateCopies(BackupFolder(logPath), kCopyStem, kCopyExt, day);
    return std::nullopt;
}

std::optional<FileError> ReadRestoreFile(const QString& path, const QString& schoolCode,
                                         QByteArray* records) {
    const QString notALog = QStringLiteral("成績ファイルのバックアップではないか、壊れています。");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return LogError(path,
                        QStringLiteral("ファイルを読めません（%1）。").arg(file.errorString()));
    *records = file.readAll();
    if (file.error() != QFileDevice::NoError) return ReadError(file);
    if (records->isEmpty()) return LogError(path, QStringLiteral("空のファイルです。") + notALog);
    if (records->size() % kRecordSize != 0)
        return LogError(path, QStringLiteral("大きさ（%1 バイト）が記録 1 件の %2 バイトの倍数では"
                                             "ありません。")
                                      .arg(records->size())
                                      .arg(kRecordSize) +
                                  notALog);
    const qsizetype count = records->size() / kRecordSize;
    const QByteArray own = RecordText(schoolCode);
    bool ownRun = false;
    for (qsizetype r = 0; r < count; ++r) {
        const char* bytes = records->constData() + r * kRecordSize;
        const QString fault = RecordFault(RecordNumbersOf(bytes));
        if (!fault.isEmpty())
            return LogError(path,
                            QStringLiteral("%1 番のレコードは成績の記録ではありません（%2）。")
                                    .arg(r + 1)
                                    .arg(fault) +
                                notALog);
        ownRun = ownRun || QByteArrayView(bytes + 24, kRecordTextWidth) == own;
    }
    if (!ownRun)
        return LogError(path,
                        QStringLiteral("この塾（塾番号 %1）の記録が一つもありません（記録の塾番号: "
                                       "%2）。ほかの塾のバックアップは戻せません。")
                            .arg(RecordTextValue(own), schoolCodesOf(*records)));
    return std::nullopt;
}

QByteArray RestoredLog(QByteArrayView copy, QByteArrayView current, bool dropNewer,
                       RestoreCounts* counts) {
    const auto key = [](QByteArrayView record) {
        return std::string_view(record.data(), size_t(record.size()));
    };
    const auto stamp = [](QByteArrayView record) {
        const RecordNumbers n = RecordNumbersOf(record.data());
        return n.runDate + n.runClock;
    };
    const qsizetype copyCount = copy.size() / kRecordSize;
    const qsizetype currentCount = current.size() / kRecordSize;
    double newest = -std::numeric_limits<double>::infinity();
    for (qsizetype r = 0; r < copyCount; ++r)
        newest = std::max(newest, stamp(RecordAt(copy, r)));
    // The log's records, counted, so that the copy's records it holds are known.
    std::unordered_map<std::string_view, qint64> held;
    held.reserve(size_t(currentCount));
    for (qsizetype r = 0; r < currentCount; ++r)
        ++held[key(RecordAt(current, r))];
    RestoreCounts done;
    done.restored = copyCount;
    for (qsizetype r = 0; r < copyCount; ++r) {
        const auto found = held.find(key(RecordAt(copy, r)));
        if (found != held.end() && found->second > 0)
            --found->second;
        else
            ++done.returned;
    }
    QByteArray out = copy.toByteArray();
    // Dated after the copy's newest, a record was made after the copy; so was
    // one of that very second that is none of the copy's (the clock of a
    // record counts whole seconds, and a copy may be made within one).
    std::unordered_set<std::string_view> copied;
    for (qsizetype r = 0; r < copyCount; ++r)
        copied.insert(key(RecordAt(copy, r)));
    for (qsizetype r = 0; r < currentCount; ++r) {
        const double when = stamp(RecordAt(current, r));
        if (when < newest || (when == newest && copied.contains(key(RecordAt(current, r)))))
            continue;
        ++done.newer;
        if (dropNewer) continue;
        out.append(RecordAt(current, r));
        ++done.kept;
    }
    done.removed = currentCount - (copyCount - done.returned) - done.kept;
    if (counts) *counts = done;
    return out;
}

std::optional<FileError> RestoreResultsLog(const QString& logPath, const QByteArray& records,
                                           const QDateTime& now, bool dropNewer,
                                           RestoreCounts* counts, const LockWait& wait,
                                           const RestoreStepHook& afterStep) {
    const RestoreStepHook step = [&](RestoreStep s) {
        if (afterStep) afterStep(s);
    };
    if (QFile::exists(DeletionCopyPath(logPath))) return deletionUnderWay(logPath);
    RestoreCounts done;
    auto error = WorkUnderLock(
        logPath,
        [&](QFile& log) -> Fault {
            if (QFile::exists(DeletionCopyPath(logPath))) return deletionUnderWay(logPath);
            QByteArray current;
            if (auto error = readWholeRecords(log, &current)) return error;
            const QByteArray restored = RestoredLog(records, current, dropNewer, &done);
            // The log as it was, kept under the lock, so nothing appended falls
            // between this copy and the replacement.
            if (!current.isEmpty())
                if (auto error = WriteCopy(BackupFolder(logPath), kCopyStem, kCopyExt, current, now,
                                           kBeforeRestoreTag, &done.beforeCopy))
                    return error;
            step(RestoreStep::BackedUp);
            // Another program's deletion takes no lock: begun now, it would
            // write its log over ours or ours over its own.
            if (QFile::exists(DeletionCopyPath(logPath))) return deletionUnderWay(logPath);
            return RewriteLogInPlace(log, restored, current, [&](bool onDisk) {
                step(onDisk ? RestoreStep::Rewritten : RestoreStep::Rewriting);
            });
        },
        wait);
    if (error) return error;
    RotateCopies(BackupFolder(logPath), kCopyStem, kCopyExt, now.date());
    if (counts) *counts = done;
    return std::nullopt;
}

} // namespace baisuu
