#pragma once
// The criteria editor's model: the grid of the criteria file with its changed
// cells and cursor, saving it back, and the frequency charts of the run times
// of one level drawn from the results log. No widgets: the screen shows what
// this computes and forwards the teacher's keys.

#include "core/file_error.h"
#include "core/level_catalog.h"
#include "records/criteria_table.h"
#include "records/result_record.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace baisuu {

constexpr int kEditorColumns = kCriteriaColumns + 1; // column 0 holds the level number
constexpr int kAllRunsBins = 101;                    // 0, 10, …, 1000 seconds and more
constexpr int kBestTimeBins = 31;                    // 0, 10, …, 300 seconds and more

// The help text of a grid column: heading line, then the explanation lines;
// empty for column 0 and columns 10 to 12.
QString CriteriaColumnHelp(int column);

// The run counts and time histograms of every level, from one pass over the log.
struct LevelHistograms {
    std::array<int, kLevelSlots> runs{};
    std::array<std::array<int, kAllRunsBins>, kLevelSlots> allRuns{};
    std::array<std::array<int, kBestTimeBins>, kLevelSlots> bestTimes{}; // one per pupil
};
LevelHistograms BuildHistograms(const QList<RecordNumbers>& records);
// Reads the log once (a missing log is empty) and builds the histograms.
std::optional<FileError> ReadHistograms(const QString& logPath, LevelHistograms* out,
                                        const std::function<void()>& wait = {});

// The lines of the "全成績" list (a heading and 101 bins) and of the "最高タイム"
// list (a heading and 31 bins) of a level.
QStringList AllRunsChart(const LevelHistograms& h, int level);
QStringList BestTimesChart(const LevelHistograms& h, int level);

enum class EditorKey { Up, Down, ShiftDown, Left, Right, Enter, Esc };

class CriteriaEditor {
  public:
    // Reads the grid from the criteria file (元に戻す): every cell as the table
    // holds it, marks cleared, the cursor on level 1, column 1. Whether the
    // table counts as changed is kept, as edits made before are still lost.
    std::optional<FileError> load(const QString& path);

    int lastRow() const { return int(cells_.size()) - 1; }
    const QString& cell(int row, int column) const { return cells_[row][column]; }
    bool marked(int row, int column) const { return marks_[row][column]; }
    bool changed() const { return changed_; }

    int row() const { return row_; }
    int column() const { return column_; }
    // The level whose charts belong with the cursor.
    int chartLevel() const { return row_; }
    // Moves the cursor to a level row and a column 1..12 (a click on the grid);
    // false, and nothing moves, outside them.
    bool moveTo(int row, int column);
    // A key in the cell editor; true when it was one the editor handles.
    bool press(EditorKey key);

    // The cell editor's text replaces the current cell; a different text marks
    // the cell and the table as changed.
    void typeText(const QString& text);

    // Why the grid cannot be saved, naming level and column and saying what to
    // type; nullopt when it can. The numbers of columns 1 to 9 follow
    // CriteriaColumnRule (records/value_rules.h), and every cell must hold what
    // the readers of the file read back as the same value; columns 10 to 12
    // hold nothing a reader takes for a quote, a delimiter or a line end.
    // offeredLevels: the levels the hub offers, whose times must be positive.
    std::optional<QString> refusal(int offeredLevels) const;
    // The twelve criteria of the heading row and every level row, as written.
    QList<QStringList> fileRows() const;
    // Checks, writes the file atomically and reads it back into criteria. On a
    // refusal or a failed write nothing is written and the message is returned.
    std::optional<QString> save(const QString& path, CriteriaTable& criteria, int offeredLevels);

  private:
    // The first cell the criteria reader would not give back as the grid holds
    // it from the text a save writes; nullopt when it gives back every cell.
    std::optional<QString> readBackFault() const;
    void setCell(int row, int column, const QString& text);

    QList<QStringList> cells_;
    QList<QList<bool>> marks_;
    bool changed_ = false;
    int row_ = 1, column_ = 1, selectionEnd_ = 1;
};

} // namespace baisuu
