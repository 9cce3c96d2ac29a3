#pragma once
// What the hub's chart panel lists, computed without widgets: the own-runs
// lists per level, the other-pupils list, and the ranks the hub's rankings
// give the chart pages (reports/charts.h). The panel and `baisuu-cli
// own-runs` / `chart` all show these answers.

#include "records/results.h"
#include "reports/charts.h"

#include <QList>
#include <QStringList>
#include <vector>

namespace baisuu {

// The own-runs view reads only the last 20 000 records of the log.
constexpr int kOwnRunsRecords = 20000;

// --- Own runs (Command16_Click) ---------------------------------------------

// The pupil's runs per level, index = level 1..N (index 0 stays empty): the
// date, the time of day and the run time, in file order; runs that ran out of
// time show date and time of day only and come after all the others. Of
// records, only the last kOwnRunsRecords count.
std::vector<QStringList> OwnRunLines(const QList<RecordNumbers>& records,
                                     const HistoryRequest& request, const StudentRoster& roster);

// --- The chart's ranks (Command23_Click) ------------------------------------

// The charted pupil's ranks in level, from the rankings the hub's lists show.
ChartRanks LookUpChartRanks(int level, const HistoryRequest& request, const StudentRoster& roster,
                            const ResultsState& results, const LevelCatalog& catalog);

// The chart pages with the ranks from the tallies already computed in results.
ChartDocument BuildChartDocument(const ChartRequest& request, const QList<RecordNumbers>& records,
                                 const ResultsState& results, const StudentRoster& roster,
                                 const CriteriaTable& criteria, const LevelCatalog& catalog);

// --- Other pupils (List2) -----------------------------------------------------

// One line per listed roster entry of status 0, in file order:
// grade label, " /  ", the name, "/", the roster number. The grade is the one
// the selection screen shows for the school year. A roster read with its
// status-2 entries lists them as status 0: read it without them for this.
QStringList OtherPupilLines(const StudentRoster& roster, int schoolYear);
// The roster number a line of OtherPupilLines names (after its last "/"), or -1.
int PupilOfLine(const QString& line);

} // namespace baisuu
