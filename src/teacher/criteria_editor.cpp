#include "teacher/criteria_editor.h"

#include "core/cp932.h"
#include "core/item_reader.h"
#include "records/results_log.h"
#include "records/value_rules.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <limits>

namespace baisuu {

namespace {

// Longer than any cell a file can give, so a level the file does not reach is told apart.
const QString kUnread = QStringLiteral("\n(unread)\n");

int binOf(qint64 seconds, int last) {
    return int(std::clamp<qint64>(seconds / 10, 0, last));
}

template <std::size_t N>
QStringList chartLines(const QString& heading, const std::array<int, N>& bins, int runs,
                       bool withRuns) {
    const int highest = *std::max_element(bins.begin(), bins.end());
    const int scale = std::max(1, highest / 10);
    QStringList lines;
    lines.append(withRuns
                     ? QStringLiteral("%1 今まで%2回  （★=%3）").arg(heading).arg(runs).arg(scale)
                     : QStringLiteral("%1 （★=%2）").arg(heading).arg(scale));
    for (std::size_t b = 0; b < N; ++b) {
        const int stars = int(std::floor(0.5 + double(bins[b]) / scale));
        lines.append(QString::number(qint64(b) * 10).rightJustified(4) + QStringLiteral("～") +
                     QString(stars, QChar(0x2605)));
    }
    return lines;
}

bool validLevel(int level) {
    return level >= 1 && level < kLevelSlots;
}

// How a message names a column: by its heading, by its number where it has none.
QString cellName(int row, int column) {
    const QStringList& headings = CriteriaHeadings();
    const QString name =
        column <= headings.size() ? headings[column - 1] : QStringLiteral("%1列目").arg(column);
    return QStringLiteral("レベル%1の「%2」").arg(row).arg(name);
}

// What keeps a cell from being saved as typed, or from being read back as
// typed by the readers of the file; nullopt when nothing does. The numbers of
// columns 1 to 9 follow their column's rule; an empty one reads as 0 and is
// refused only where 0 is. Whether the text is the very one the reader gives
// back is left to the read-back check.
std::optional<QString> cellFault(int row, int column, const QString& text, bool offered) {
    const QString name = cellName(row, column);
    if (column <= CriteriaHeadings().size()) {
        const NumberRule rule = CriteriaColumnRule(column, offered);
        if (text.isEmpty() && !(offered && (rule.low > 0 || rule.aboveLow))) return std::nullopt;
        if (auto fault = NumberFault(name, text, rule)) return fault;
    } else if (!cp932::Encode(text)) {
        return name + QStringLiteral("にファイルに書けない文字があります: %1").arg(text);
    }
    // A quote swallows the rest of the file, a comma or a line end shifts
    // every later cell, and 0x1A ends the file for the readers.
    for (QChar ch : text) {
        if (ch == QLatin1Char('\n') || ch == QLatin1Char('\r'))
            return name + QStringLiteral("に見えない改行があります。改行を消してください。");
        if (ch == QLatin1Char('"') || ch == QLatin1Char(',') ||
            ch.category() == QChar::Other_Control)
            return name + QStringLiteral("に「\"」「,」や見えない文字（タブなど）は使えません。");
    }
    if (text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' ')))
        return name + QStringLiteral("の前後に空白は入れられません。");
    return std::nullopt;
}

} // namespace

QString CriteriaColumnHelp(int column) {
    static const QStringList texts = {
        QString(),
        QStringLiteral("合格基準タイム\n　大部分の人ががんばったら出せそうなタイムにしてください"),
        QStringLiteral("合格最低ラインタイム\n  この５倍が時間切れになります"),
        QStringLiteral("目標ポイント\n　　 目標ポイント"),
        QStringLiteral("目標回数\n　　 目標回数"),
        QStringLiteral("ポイント倍率\n  ポイントを何倍にして加算するか\n"
                       "  むずかしいレベルや生徒のいやがるレベルは高くしてください"),
        QStringLiteral("やりすぎ禁止回数\n  何回やったらやりすぎ禁止にするか\n  "),
        QStringLiteral("やりすぎ禁止ポイント\n  何ポイントとったらやりすぎ禁止にするか\n "),
        QStringLiteral("合格判定をする日数\n　何日前からのポイントを有効にするか"),
        QStringLiteral("やりすぎ判定をする日数\n　何日前からのポイントを有効にするか"),
    };
    return texts.value(column);
}

LevelHistograms BuildHistograms(const QList<RecordNumbers>& records) {
    LevelHistograms h;
    // The lowest time of each pupil and level: the pupil's best run.
    QHash<quint64, qint64> best;
    for (const RecordNumbers& r : records) {
        if (!validLevel(r.level)) continue;
        ++h.runs[r.level];
        ++h.allRuns[r.level][binOf(r.runTime, kAllRunsBins - 1)];
        const quint64 key = (quint64(quint16(r.level)) << 16) | quint16(r.pupilNumber);
        const auto it = best.find(key);
        if (it == best.end())
            best.insert(key, r.runTime);
        else if (r.runTime < *it)
            *it = r.runTime;
    }
    for (auto it = best.cbegin(); it != best.cend(); ++it)
        ++h.bestTimes[int(it.key() >> 16)][binOf(it.value(), kBestTimeBins - 1)];
    return h;
}

std::optional<FileError> ReadHistograms(const QString& logPath, LevelHistograms* out,
                                        const std::function<void()>& wait) {
    QList<RecordNumbers> records;
    if (auto error = ReadLastRecords(logPath, std::numeric_limits<qint64>::max(), &records, wait))
        return error;
    *out = BuildHistograms(records);
    return std::nullopt;
}

QStringList AllRunsChart(const LevelHistograms& h, int level) {
    const int l = validLevel(level) ? level : 0;
    return chartLines(QStringLiteral("レベル%1").arg(level), h.allRuns[l], h.runs[l], true);
}

QStringList BestTimesChart(const LevelHistograms& h, int level) {
    const int l = validLevel(level) ? level : 0;
    return chartLines(QStringLiteral("レベル%1").arg(level), h.bestTimes[l], 0, false);
}

std::optional<FileError> CriteriaEditor::load(const QString& path) {
    CriteriaTable table;
    for (LevelCriteria& level : table.levels)
        level.extra3 = Value{Value::Kind::Text, 0, kUnread};
    if (auto error = LoadCriteria(table, path)) return error;
    int levelRows = 0;
    for (int n = 1; n < kLevelSlots; ++n)
        if (table.levels[n].extra3.text != kUnread ||
            table.levels[n].extra3.kind != Value::Kind::Text)
            levelRows = n;
    cells_.clear();
    marks_.clear();
    const QList<QStringList> rows = CriteriaRows(table, levelRows);
    for (int r = 0; r < rows.size(); ++r) {
        cells_.append(QStringList{r == 0 ? QStringLiteral("レベル") : QString::number(r)} +
                      rows[r]);
        marks_.append(QList<bool>(kEditorColumns, false));
    }
    row_ = selectionEnd_ = std::min(1, lastRow());
    column_ = 1;
    return std::nullopt;
}

bool CriteriaEditor::moveTo(int row, int column) {
    if (row < 1 || row > lastRow() || column < 1 || column > kCriteriaColumns) return false;
    row_ = selectionEnd_ = row;
    column_ = column;
    return true;
}

bool CriteriaEditor::press(EditorKey key) {
    switch (key) {
    case EditorKey::Esc:
        return false;
    case EditorKey::Enter:
        return true;
    case EditorKey::Up:
        if (row_ > 1) moveTo(row_ - 1, column_);
        return true;
    case EditorKey::Down:
        if (row_ < lastRow()) moveTo(row_ + 1, column_);
        return true;
    case EditorKey::Left:
        if (column_ > 1) moveTo(row_, column_ - 1);
        return true;
    case EditorKey::Right:
        if (column_ < kCriteriaColumns) moveTo(row_, column_ + 1);
        return true;
    case EditorKey::ShiftDown:
        // Each press copies the current cell one row further down the column.
        if (row_ >= 1 && selectionEnd_ < lastRow()) {
            ++selectionEnd_;
            const QString text = cells_[row_][column_];
            for (int r = row_; r <= selectionEnd_; ++r)
                setCell(r, column_, text);
        }
        return true;
    }
    return false;
}

void CriteriaEditor::typeText(const QString& text) {
    if (row_ >= 1 && row_ <= lastRow()) setCell(row_, column_, text);
}

void CriteriaEditor::setCell(int row, int column, const QString& text) {
    if (cells_[row][column] == text) return;
    cells_[row][column] = text;
    marks_[row][column] = true;
    changed_ = true;
}

std::optional<QString> CriteriaEditor::refusal(int offeredLevels) const {
    for (int r = 1; r <= lastRow(); ++r)
        for (int c = 1; c <= kCriteriaColumns; ++c)
            if (auto fault = cellFault(r, c, cells_[r][c], r <= offeredLevels)) return fault;
    return readBackFault();
}

std::optional<QString> CriteriaEditor::readBackFault() const {
    CriteriaTable back;
    ReadCriteriaText(back, CriteriaFileText(fileRows()));
    const QList<QStringList> rows = CriteriaRows(back, lastRow());
    for (int r = 1; r <= lastRow(); ++r)
        for (int c = 1; c <= kCriteriaColumns; ++c) {
            const QString& cell = cells_[r][c];
            const QString& read = rows[r][c - 1];
            // An empty cell of the first five columns is the number 0 to every reader.
            if (read == cell || (c <= 5 && cell.isEmpty() && read == QLatin1String("0"))) continue;
            // A tiny fraction comes back in exponent form, which nobody should be told to type.
            if (read.contains(QLatin1Char('e')))
                return cellName(r, c) +
                       QStringLiteral("の %1 は細かすぎて記録できません。小数は 6 けたまでに"
                                      "してください。")
                           .arg(cell);
            return cellName(r, c) +
                   QStringLiteral("の %1 は %2 と読まれます。%2 と入れてください。")
                       .arg(cell, read);
        }
    return std::nullopt;
}

QList<QStringList> CriteriaEditor::fileRows() const {
    QList<QStringList> rows;
    for (const QStringList& row : cells_)
        rows.append(row.mid(1));
    return rows;
}

std::optional<QString> CriteriaEditor::save(const QString& path, CriteriaTable& criteria,
                                            int offeredLevels) {
    if (auto why = refusal(offeredLevels)) return why;
    if (auto error = SaveCriteria(path, fileRows())) return error->text();
    changed_ = false;
    if (auto error = LoadCriteria(criteria, path)) return error->text();
    return std::nullopt;
}

} // namespace baisuu
