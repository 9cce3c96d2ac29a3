#pragma once
// A pupil's chart pages, computed without widgets: the bands with their
// points and figures, and where the bands go on the pages. The hub's chart
// panel and `baisuu-cli chart` both show these answers; the ranks on a band
// come from whoever keeps the rankings (the hub, hub/chart_panel.h).

#include "core/level_catalog.h"
#include "records/criteria_table.h"
#include "records/result_record.h"
#include "roster/roster.h"

#include <QDate>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

namespace baisuu {

// The own runs and the chart look back ten years.
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
// The ranks of the charted pupil in a level.
using ChartRanksOf = std::function<ChartRanks(int level)>;

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
// the ranks come from ranksOf. Levels outside 1..N keep their place on the
// page but draw nothing.
ChartDocument BuildChartDocument(const ChartRequest& request, const QList<RecordNumbers>& records,
                                 const ChartRanksOf& ranksOf, const StudentRoster& roster,
                                 const CriteriaTable& criteria, const LevelCatalog& catalog);

// Where document index (0, 1, 2 …) of one printing goes when printing writes
// PDF files: the first to path itself, the next ones with "-2", "-3" … before
// the extension ("charts.pdf", "charts-2.pdf").
QString NumberedPdfPath(const QString& path, int index);

} // namespace baisuu
