#pragma once
// The class report teachers print or open in a spreadsheet: one row per pupil
// of a grade group, in the order of the selection screen's list, and per level
// the runs, the best time, the all-time points and whether the pupil has
// cleared the level within its judgement period. The tallies are the hub's,
// so the report and the hub never disagree. `baisuu-cli class-report` writes it.

#include "core/file_error.h"
#include "core/level_catalog.h"
#include "records/criteria_table.h"
#include "records/results.h"
#include "roster/roster.h"
#include "roster/roster_lines.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QStringList>
#include <optional>

namespace baisuu {

// The mark of a level cleared within its judgement period, and the text of a
// best time that does not exist.
inline constexpr char16_t kClearedMark[] = u"◎";
inline constexpr char16_t kNoBestTime[] = u"-";

struct ClassReportRequest {
    QString group = QStringLiteral("全学年");
    QList<int> levels; // in column order; empty: every level the hub offers
    QDate today;
    int schoolYear = 0; // the grades shown
    QString schoolName;
    QString contentName;
};

struct ClassReportLevel {
    int level = 0;
    QString name;
    qint32 targetTime = 0;
};

struct ClassReportCell {
    int runs = 0;              // the runs the tallies count (faster than 6000 s)
    qint32 best = kNoTime;     // the best time, kNoTime without one
    qint32 points = 0;         // all-time points
    bool cleared = false;      // cleared within the judgement period, as the hub decides
    bool withinTarget = false; // the best time is at or under the target time
};

struct ClassReportRow {
    int pupil = 0;
    QString grade;
    QString name;                 // trimmed
    QList<ClassReportCell> cells; // one per report level
};

struct ClassReport {
    QString schoolName;
    QString contentName;
    QString group;
    QDate today;
    QList<ClassReportLevel> levels;
    QList<ClassReportRow> rows;
};

// The pupils of the selection screen's list, top to bottom.
QList<int> ListedPupils(const RosterList& list);

// The report of pupils (in that order) from tallies already computed as the hub
// computes them. Levels outside the offered ones are left out.
ClassReport BuildClassReport(const ClassReportRequest& request, const QList<int>& pupils,
                             const StudentRoster& roster, const ResultsState& results,
                             const CriteriaTable& criteria, const LevelCatalog& catalog);

// The texts of a cell, the same on paper and in the spreadsheet.
QString RunsText(const ClassReportCell& cell);
QString BestTimeText(const ClassReportCell& cell); // the seconds, "-" or "失敗"
QString PointsText(const ClassReportCell& cell);
QString ClearedText(const ClassReportCell& cell); // "◎" or empty
// The headings of a level's four columns.
const QStringList& LevelColumnHeadings();
// "1 偶数奇数": what stands over a level's columns.
QString LevelHeading(const ClassReportLevel& level);

// Pages of a table too big for one sheet: rows down, levels across.
struct ClassReportPage {
    int firstRow = 0, rowCount = 0;
    int firstLevel = 0, levelCount = 0;
};
// Row blocks of rowsPerPage in order, each printed over as many sheets as its
// levels need (levelsPerPage at most, spread evenly), so the sheets of one
// block lie side by side. An empty report still gets one page of headings.
QList<ClassReportPage> PaginateClassReport(int rows, int levels, int rowsPerPage,
                                           int levelsPerPage);

// The report as CSV: UTF-8 with a byte order mark, CR LF line ends, a heading
// row, fields quoted where they hold a comma, a quote or a line end.
QByteArray ClassReportCsv(const ClassReport& report);

// Writes the CSV to path through a temporary file beside it, so a failed write
// leaves any earlier file whole and no half report behind.
std::optional<FileError> WriteClassReportCsv(const ClassReport& report, const QString& path);

} // namespace baisuu
