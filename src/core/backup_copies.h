#pragma once
// Copies of the school's files kept in a folder of copies ("バックアップ"
// beside the results log): the log's daily and hand-made copies, the log as it
// was before a restore, the roster as it was before an import. A copy is
// named STEM-YYYYMMDD.EXT or STEM-YYYYMMDD-HHMMSS[-TAG].EXT; no copy is ever
// written over another.

#include "core/file_error.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace baisuu {

// Writes bytes durably as a new copy STEM-YYYYMMDD-HHMMSS[-TAG].EXT in folder
// (made when missing), at now; a name that exists already is never replaced:
// another one is chosen. *written is the path of the copy. Then the older
// copies of stem are rotated (RotateCopies, keep kKeptCopies).
std::optional<FileError> KeepCopy(const QString& folder, const QString& stem, const QString& ext,
                                  const QByteArray& bytes, const QDateTime& now,
                                  const QString& tag, QString* written);

// How many copies of one kind stay when nothing else is asked for.
constexpr int kKeptCopies = 30;

// Removes all but the newest keep copies of stem in folder, by the date in
// their names; today's copies, the copies tagged "戻す前" of the last 30 days
// and copies dated after today are never removed, and the last are not counted.
void RotateCopies(const QString& folder, const QString& stem, const QString& ext, QDate today,
                  int keep = kKeptCopies);

} // namespace baisuu
