#include "core/backup_copies.h"

#include "core/durable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace baisuu {

namespace {

// Gives the written file the name path unless that name is taken; true in
// *made when it did. A hard link claims a name in one step on any machine of
// a share; a file system without hard links falls back to looking first.
std::optional<FileError> claimName(const QString& written, const QString& path, bool* made) {
    *made = false;
#ifdef Q_OS_UNIX
    const QByteArray from = QFile::encodeName(written);
    const QByteArray to = QFile::encodeName(path);
    if (::link(from.constData(), to.constData()) == 0) {
        *made = true;
        ::unlink(from.constData());
        FlushFolder(QFileInfo(path).absolutePath());
        return std::nullopt;
    }
    if (errno != EEXIST) {
        if (!QFile::exists(path) && ::rename(from.constData(), to.constData()) == 0) {
            *made = true;
            FlushFolder(QFileInfo(path).absolutePath());
            return std::nullopt;
        }
        const int fault = errno;
        ::unlink(from.constData());
        if (QFile::exists(path)) return std::nullopt;
        return FileError{path, 0, FileFaultText(fault)};
    }
    ::unlink(from.constData());
    return std::nullopt;
#else
    // Windows renames only to a name that is free.
    *made = QFile::rename(written, path);
    if (!*made) QFile::remove(written);
    if (*made || QFile::exists(path)) return std::nullopt;
    return FileError{path, 0, QStringLiteral("コピーの名前を付けられません。")};
#endif
}

} // namespace

std::optional<FileError> WriteNewFile(const QString& path, QByteArrayView bytes, bool* made) {
    *made = false;
    if (QFile::exists(path)) return std::nullopt;
    const QFileInfo info(path);
    const QString written = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                            QLatin1Char('.') + QUuid::createUuid().toString(QUuid::Id128);
    if (auto error = WriteFileDurably(written, bytes)) {
        QFile::remove(written);
        return FileError{path, 0, error->message};
    }
    return claimName(written, path, made);
}

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
        if (auto error = WriteNewFile(path, bytes, &made)) return error;
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
