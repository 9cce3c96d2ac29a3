#pragma once
// What the hub's result lists (List5 of every level) show in each view,
// computed without widgets: the rankings by best time or by points, the runs
// of today, the runs of a period, and the colour a time list takes from its
// runs. The hub screen and `baisuu-cli ranking|today|period` both show
// BuildListsView's answer.

#include "hub/hub_model.h"

#include <QDate>
#include <QList>
#include <vector>

namespace baisuu {

// How many records from the end of the log the run lists read: today's runs
// are among the last thousand, a period's among the last twenty thousand.
constexpr qint64 kTodayRecords = 1000;
constexpr qint64 kPeriodRecords = 20000;

// The views of the option buttons: Option2 chooses the mode, Option1 the view.
enum class ListView {
    Ranking = 1, // time mode: best times; point mode: all-time points
    Today = 2,   // time mode: today's runs; point mode: today's points
    Period = 3,  // both modes: the runs of the period of Combo2
};

struct ListRequest {
    ListMode mode = ListMode::Points;
    ListView view = ListView::Ranking;
    int period = 3; // resultPeriod: the item of Combo2 (1 this week .. 5 all)
    QString group = QStringLiteral("全学年");
    int pupil = 0; // the pupil who looks: marked "●"
    QDate today;
    int schoolYear = 0; // the grades of the group filter and the marks
};

// The background a time list takes from its runs: the colour of Text4 for a
// time within the target, of Text5 within the passing time, silver otherwise;
// Unchanged when no run decides (the list keeps what it had).
enum class ListColour { Unchanged, WithinTarget, WithinPass, Silver };

struct LevelList {
    QStringList lines;
    int ownLine = -1;  // rankings: the first line of the pupil who looks, scrolled into view
    bool shown = true; // false for a practice level: its list stays hidden
    ListColour colour = ListColour::Unchanged;
};

struct ListsView {
    QString listsCaption; // Label5: what the lists show
    bool periodChoice = false;     // Combo2 is shown, so the period can be changed
    std::vector<LevelList> levels; // 1..N; 0 unused
};

// How many records of the end of the log the view lists (0: the view works
// on the tallies alone).
qint64 RecordsForView(const ListRequest& request);

// Every level's list for the view. records are the last RecordsForView records
// of the log; criteria give the points of a run and the colours.
ListsView BuildListsView(const ListRequest& request, const LevelCatalog& catalog,
                         const CriteriaTable& criteria, const StudentRoster& roster,
                         const ResultsState& results, const QList<RecordNumbers>& records);

// Days back from today that the period item covers: this week from Monday
// (7 on a Sunday), since last Monday a week earlier, 30, 365, 3650 days; 0 for
// an item that is no period. A run is in the period when its date is later
// than today minus these days.
int PeriodDays(int period, QDate today);

// The colour the lines of a time list give it (成績リスト色表示): the number in
// characters 2 to 5 of each line whose third character is not "×" is a time;
// the last such line decides.
ListColour ListColourOf(const QStringList& lines, const LevelCriteria& criteria);

// The ranking of one level for rank look-ups (Command22_Click): as the list
// shows it, but "---" in place of "--" for a pupil without a run, so the first
// three characters of a line always stand for the rank.
struct RankLookup {
    QStringList lines;
    int pupilLine = -1; // the line of the pupil looked up, or -1 when not listed
    // The pupil's whole rank, where the lines keep only its last two digits;
    // known for a pupil outside the group too. 0: no run to rank by.
    int rank = 0;
    // The first three characters of the pupil's line (" 3●", "12●", "---"), or empty.
    QString rankText() const;
};
RankLookup LookupRanking(int level, ListMode mode, int order, int pupil, const QString& group,
                         int schoolYear, const StudentRoster& roster, const ResultsState& results,
                         const LevelCatalog& catalog);

} // namespace baisuu
