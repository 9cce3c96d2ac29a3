#pragma once
// Copies of the school's files kept in a folder of copies ("バックアップ"
// beside the results log): the log's daily and hand-made copies, the log as it
// was before a restore, the roster as it was before an import. A copy is
// named STEM-YYYYMMDD.EXT (the day's copy, a name siblings and people know) or
// STEM-YYYYMMDD-HHMMSS[-TAG].EXT; no copy is ever written over another, not
// even by another machine writing a copy of the same name at the same moment.

#include "core/file_error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace baisuu {

// The tag of the copy a restore keeps of the log it replaces.
inline const QString kBeforeRestoreTag = QStringLiteral("戻す前");

// Writes bytes durably as a new copy STEM-YYYYMMDD-HHMMSS[-TAG].EXT in folder
// (made when missing), at now; a name that exists already is never replaced:
// another one is chosen. *written is the path of the copy. Then the older
// copies of stem are rotated (RotateCopies, keep kKeptCopies).
std::optional<FileError> KeepCopy(const QString& folder, const QString& stem, const QString& ext,
                                  const QByteArray& bytes, const QDateTime& now, const QString& tag,
                                  QString* written);

// KeepCopy without the rotation, for a writer that rotates by a count of its own.
std::optional<FileError> WriteCopy(const QString& folder, const QString& stem, const QString& ext,
                                   const QByteArray& bytes, const QDateTime& now,
                                   const QString& tag, QString* written);


// How many copies of one kind stay when nothing else is asked for.
constexpr int kKeptCopies = 30;
// How many days a copy made before a restore stays, however many copies follow it.
constexpr int kBeforeRestoreDays = 30;

// One copy of stem as its name tells it.
struct CopyName {
    QString path;
    QDate date;
    QString time; // HHMMSS; empty for the day's copy STEM-YYYYMMDD.EXT
    QString
        tag; // what follows the time, if anything ("戻す前", "2" for a second of the same second)
};
// The copies of stem in folder, newest first by the date and time in their
// names (the day's copy before the timed copies of its day); other files and
// names whose date is no date are not listed.
QList<CopyName> CopiesOf(const QString& folder, const QString& stem, const QString& ext);

// Removes all but the newest keep copies of stem in folder, by the date in
// their names; today's copies, the copies tagged "戻す前" of the last 30 days
// and copies dated after today are never removed, and the last are not counted
// (a machine whose clock was wrong made them; they must not push today's out).
void RotateCopies(const QString& folder, const QString& stem, const QString& ext, QDate today,
                  int keep = kKeptCopies);

} // namespace baisuu
