#include "core/backup_copies.h"

#include "core/durable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace baisuu {

std::optional<FileError> WriteCopy(const QString& folder, const QString& stem, const QString& ext,
                                   const QByteArray& bytes, const QDateTime& now,
                                   const QString& tag, QString* written) {
    if (!QDir().mkpath(folder))
        return FileError{folder, 0, QStringLiteral("バックアップのフォルダを作れません。")};
    const QString base = folder + QLatin1Char('/') + stem + QLatin1Char('-') +
                         now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         (tag.isEmpty() ? QString() : QLatin1Char('-') + tag);
    for (int n = 1;; ++n) {
        const QString path = n == 1 ? base + ext : base + QStringLiteral("-%1").arg(n) + ext;
        bool made = false;
        if (auto error = WriteNewFileDurably(path, bytes, &made)) return error;
        if (made) {
            if (written) *written = path;
            return std::nullopt;
        }
    }
}

std::optional<FileError> KeepCopy(const QString& folder, const QString& stem, const QString& ext,
                                  const QByteArray& bytes, const QDateTime& now, const QString& tag,
                                  QString* written) {
    if (auto error = WriteCopy(folder, stem, ext, bytes, now, tag, written)) return error;
    RotateCopies(folder, stem, ext, now.date());
    return std::nullopt;
}

QList<CopyName> CopiesOf(const QString& folder, const QString& stem, const QString& ext) {
    const QRegularExpression name(
        QStringLiteral("^%1-(\\d{8})(?:-(\\d{6})(?:-(.+))?)?%2$")
            .arg(QRegularExpression::escape(stem), QRegularExpression::escape(ext)));
    QList<std::pair<QString, CopyName>> found; // keyed by date, time and tag
    const QDir dir(folder);
    for (const QString& file : dir.entryList(QDir::Files)) {
        const auto match = name.match(file);
        if (!match.hasMatch()) continue;
        const QDate date = QDate::fromString(match.captured(1), QStringLiteral("yyyyMMdd"));
        if (!date.isValid()) continue;
        found.append({match.captured(1) + match.captured(2) + QLatin1Char('-') + match.captured(3),
                      {dir.filePath(file), date, match.captured(2), match.captured(3)}});
    }
    // The date and time have fixed widths, so the keys' order is their order;
    // the day's copy, without a time, is its day's first.
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<CopyName> out;
    for (auto& entry : found)
        out.append(std::move(entry.second));
    return out;
}

void RotateCopies(const QString& folder, const QString& stem, const QString& ext, QDate today,
                  int keep) {
    const QDate lastKeptRestore = today.addDays(-kBeforeRestoreDays);
    int counted = 0;
    for (const CopyName& copy : CopiesOf(folder, stem, ext)) {
        if (copy.date > today) continue;
        if (++counted <= std::max(keep, 1) || copy.date == today) continue;
        if (copy.tag.startsWith(kBeforeRestoreTag) && copy.date >= lastKeptRestore) continue;
        QFile::remove(copy.path);
    }
}

} // namespace baisuu
