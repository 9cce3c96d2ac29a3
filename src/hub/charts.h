#pragma once
// A pupil's history, computed without widgets: the own-runs lists per level,
// the chart page's bands with their points and figures, where the bands go on
// the pages, the other-pupils list and the teacher's password rule. The hub's
// panels and `baisuu-cli own-runs` / `chart` all show these answers.

#include "core/level_catalog.h"
#include "hub/list_lines.h"
#include "records/criteria_table.h"
#include "records/result_record.h"
#include "records/results.h"
#include "roster/roster.h"

#include <QDate>
#include <QList>
#include <QStringList>
#include <optional>
#include <vector>

namespace baisuu {

// The own-runs view reads only the last 20 000 records of the log.
constexpr int kOwnRunsRecords = 20000;
// Both views look back ten years.
constexpr int kHistoryDays = 3650;
// Runs this slow or slower are shown and plotted but left out of counts and averages.
constexpr qint32 kChartCountedBelow = 1800;

// Whose history, seen through which grade group, as of which day.
struct HistoryRequest {
    int pupil = 0;
    QString group = QStringLiteral("全学年"); // the group chosen in Combo1
    QDate today;
    int schoolYear = 0; // the grades the group filter admits
    int levelCount = 0; // N
};

// --- Own runs (Command16_Click) ---------------------------------------------

// The pupil's runs per level, index = level 1..N (index 0 stays empty): the
// date, the time of day and the run time, in file order; runs that ran out of
// time show date and time of day only and come after all the others. Of
// records, only the last kOwnRunsRecords count.
std::vector<QStringList> OwnRunLines(const QList<RecordNumbers>& records,
                                     const HistoryRequest& request, const StudentRoster& roster);

// --- The chart page (Command21_Click, Command23_Click, Command19_Click) -------

struct ChartRun {
    double date = 0; // days since 1899-12-30
    qint32 time = 0;
    bool best = false;     // beat every earlier run of the pupil in the band: drawn red
    bool counted = false;  // under 1800 s: in the pupil's count and average
    bool timedOut = false; // no time at all
};

// The pupil's standing in the level's rankings (Command23_Click): whole ranks,
// also for a pupil outside the group, whom the rankings number without
// listing; the school's points are those of the group's lines.
struct ChartRanks {
    int timeRank = 0;             // by best time; 0 without a run
    int pointRank = 0;            // by all-time points; 0 for a pupil the roster does not rank
    std::optional<qint64> points; // the pupil's all-time points, when ranked
    int pupilsWithPoints = 0;
    qint64 schoolPoints = 0;
};
ChartRanks LookUpChartRanks(int level, const HistoryRequest& request, const StudentRoster& roster,
                            const ResultsState& results, const LevelCatalog& catalog);

struct ChartBand {
    int level = 0;
    QString title;     // " " followed by the content's name
    QString levelName; // the level's name
    bool timed = true; // a point level's target is a number of points, not a time
    qint32 targetTime = 0;
    qint32 passTime = 0;
    QList<ChartRun> runs; // the pupil's runs of the level, in file order
    int count = 0;        // the pupil's runs under 1800 s
    qint64 sum = 0;
    std::optional<qint32> best; // the last of the pupil's bests
    std::optional<qint32> schoolBest;
    int schoolCount = 0; // everybody's runs under 1800 s, the pupil's too
    qint64 schoolSum = 0;
    ChartRanks ranks;
    double top = 0; // where the band starts, as a share of the page height

    // The pupil's average is rounded down to the whole second; the school's
    // averages are the nearest whole number.
    std::optional<int> average() const;
    std::optional<int> schoolAverage() const;
    std::optional<int> schoolAveragePoints() const;
};

// The figures block beside the plot, one row each.
QStringList ChartFigureLines(const ChartBand& band);

// The bands go 0.3 of the page high at 0.05, 0.35 and 0.65 of its height; a
// band that would start below 0.9 starts a new page (on screen: the picture is
// cleared) at the top.
constexpr double kBandHeight = 0.3;
constexpr double kFirstBandTop = 0.05;
struct BandPlace {
    int page = 0;
    double top = 0;
};
QList<BandPlace> PlaceBands(int bandCount);

struct ChartPage {
    QList<ChartBand> bands;
};

struct ChartRequest : HistoryRequest {
    QList<int> levels; // the selected items of List3, in list order
    QString contentName;
};

// Whose pages: the roster's name (trimmed) and the pupil's grade label in
// the school year; empty for a number outside the roster.
struct PupilHeading {
    QString name;
    QString grade;
};
PupilHeading HeadingOf(const StudentRoster& roster, int pupil, int schoolYear);

// One pupil's chart pages: a document of its own when printed.
struct ChartDocument {
    int pupil = 0;
    QString pupilName; // trimmed
    QString grade;     // the grade label of the pupil
    QDate today;
    QList<ChartPage> pages;
};

// records are the whole log; the bands take its runs of the last ten years,
// the ranks come from the tallies already computed in results. Levels outside
// 1..N keep their place on the page but draw nothing.
ChartDocument BuildChartDocument(const ChartRequest& request, const QList<RecordNumbers>& records,
                                 const ResultsState& results, const StudentRoster& roster,
                                 const CriteriaTable& criteria, const LevelCatalog& catalog);

// Where document index (0, 1, 2 …) of one printing goes when printing writes
// PDF files: the first to path itself, the next ones with "-2", "-3" … before
// the extension ("charts.pdf", "charts-2.pdf").
QString NumberedPdfPath(const QString& path, int index);

// --- Other pupils (List2) -----------------------------------------------------

// One line per listed roster entry of status 0, in file order:
// grade label, " /  ", the name, "/", the roster number. The grade is the one
// the selection screen shows for the school year. A roster read with its
// status-2 entries lists them as status 0: read it without them for this.
QStringList OtherPupilLines(const StudentRoster& roster, int schoolYear);
// The roster number a line of OtherPupilLines names (after its last "/"), or -1.
int PupilOfLine(const QString& line);

// --- The teacher's data change (Picture7) ---------------------------------------

// The typed text opens the teacher's screens only when it is the configured
// password exactly, case and width included (an empty one when none is configured).
bool PasswordOpens(const QString& typed, const QString& teacherPassword);
inline const QString kPasswordRefused = QStringLiteral("パスワードを入力して下さい");

} // namespace baisuu
