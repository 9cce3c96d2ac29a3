#include "core/backup_copies.h"

#include "core/durable_file.h"

#include <QDir>
#include <QFile>

namespace baisuu {

std::optional<FileError> KeepCopy(const QString& folder, const QString& stem, const QString& ext,
                                  const QByteArray& bytes, const QDateTime& now,
                                  const QString& tag, QString* written) {
    if (!QDir().mkpath(folder))
        return FileError{folder, 0, QStringLiteral("バックアップのフォルダを作れません。")};
    const QString base = folder + QLatin1Char('/') + stem + QLatin1Char('-') +
                         now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         (tag.isEmpty() ? QString() : QLatin1Char('-') + tag);
    QString path = base + ext;
    for (int n = 2; QFile::exists(path); ++n)
        path = base + QStringLiteral("-%1").arg(n) + ext;
    if (auto error = WriteFileDurably(path, bytes)) return error;
    if (written) *written = path;
    RotateCopies(folder, stem, ext, now.date());
    return std::nullopt;
}

void RotateCopies(const QString&, const QString&, const QString&, QDate, int) {}

} // namespace baisuu
