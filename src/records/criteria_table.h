#pragma once
// The per-level criteria the teacher sets (タイム回数データ.txt): target and
// lowest passing time, clear points and count, the points factor, the
// practice limits and the judgement and overdo periods.

#include "core/file_error.h"
#include "core/item_reader.h"
#include "core/level_catalog.h"

#include <QList>
#include <QStringList>
#include <array>
#include <optional>

namespace baisuu {

constexpr int kCriteriaColumns = 12;

struct LevelCriteria {
    qint32 targetTime = 0;
    qint32 passTime = 0;
    qint32 clearPoints = 0;
    qint16 clearCount = 0;
    float pointFactor = 0;
    // Columns 6 to 12 keep the value as read: number, text or nothing.
    Value overdoCount, overdoPoints, judgeDays, overdoDays, extra1, extra2, extra3;
};

struct CriteriaTable {
    std::array<LevelCriteria, kLevelSlots> levels; // index 0: the heading line, not used
    QStringList headingCells;                      // the heading line's 12 cells as read
};

// The nine column headings the file's first line carries, in column order.
const QStringList& CriteriaHeadings();

// The largest points factor a teacher is expected to set; a larger one is told.
constexpr int kMaxPointFactor = 100;

// Reads the criteria file into table: line n fills level n; levels the file does
// not reach keep their values. A missing file or bad bytes give a FileError and
// change nothing. Lines beyond the 35th are ignored and non-numeric text in
// columns 1 to 5 (quoted or not) reads as 0; both are told in warnings when
// given, and so is a points factor below 0, above kMaxPointFactor or not finite.
std::optional<FileError> LoadCriteria(CriteriaTable& table, const QString& path,
                                      QList<FileError>* warnings = nullptr);

// Reads the text of a criteria file (as LoadCriteria finds it in the file) into
// table; path only names the file in warnings.
void ReadCriteriaText(CriteriaTable& table, const QString& text, const QString& path = {},
                      QList<FileError>* warnings = nullptr);

// The file text of a grid of cells: rows[0] is the heading row, rows[n] level n;
// every row is written as 12 fields joined by ",", lines end in CR LF.
QString CriteriaFileText(const QList<QStringList>& rows);

// The cells of a table as the editor's grid holds them: the heading row with
// its three empty trailing cells, then levels 1..levelRows.
QList<QStringList> CriteriaRows(const CriteriaTable& table, int levelRows);

// Writes the grid atomically, CP932: a crash while saving leaves the old file whole.
std::optional<FileError> SaveCriteria(const QString& path, const QList<QStringList>& rows);

} // namespace baisuu
