#pragma once
// What the results hub (seisekitime1) shows, computed without widgets: the
// level columns with their captions, tallies, criteria and result lists, the
// lines around them, which start buttons are open, the column layout and the
// keyboard. The hub screen and `baisuu-cli hub` both show BuildHubView's answer.

#include "core/hensuu1.h"
#include "records/criteria_table.h"
#include "records/results.h"
#include "roster/roster.h"

#include <QDateTime>
#include <QStringList>
#include <array>

namespace baisuu {

// --- Level opening (Command9_Click) -----------------------------------------

struct LevelOpening {
    qint16 finalLevelCleared = 0;            // the goal level cleared within its judgement period
    std::array<bool, kLevelSlots> enabled{}; // Command4(i)
    std::array<bool, kLevelSlots> blocked{}; // Text1(i) "やりすぎ禁止" shown
};
// Every level is open except those the pupil has overdone within their overdo
// period, below the last level, until the goal level is cleared.
LevelOpening OpenLevels(const LevelCatalog& catalog, const CriteriaTable& criteria,
                        const ResultsState& results, int pupil);

// Practice levels (name with "練") among the offered ones run with limits of 600 s.
void ApplyPracticeLimits(CriteriaTable& criteria, const LevelCatalog& catalog);

// --- Column layout and scrolling ---------------------------------------------

constexpr int kTwipsPerPixel = 15;

struct ColumnLayout {
    int width = 0;          // twips: 14592 / N for N <= 4, else 3456
    bool scrollBar = false; // HScroll1, for N >= 5
    int scrollMaximum = 0;  // N - 3 with the scroll bar, else 0
};
ColumnLayout HubColumnLayout(int levelCount);
// firstColumn as the hub takes it: 1 when 0 or beyond the scroll maximum.
int ClampFirstColumn(int firstColumn, const ColumnLayout& layout);
// Left edge of column i in twips from the column area, or -1 when the column
// lies left of firstColumn (it goes to the template's place, out of view).
int ColumnLeft(int level, int firstColumn, const ColumnLayout& layout);

// --- Texts of a column -----------------------------------------------------

struct LevelCaption {
    QString caption; // Label3(i)
    QString tooltip;
    bool small = false; // font size 11 (a caption built from a numbered name)
};
LevelCaption LevelCaptionOf(const QString& levelName, int level, const StudentRoster& roster);
QString StartCaption(int level);                                         // "ｽﾀｰﾄ(&i)"
QString TodayTallyText(const PupilLevelStats& s);                        // "N回/P点" or "-----"
QString AllTimeTallyText(const PupilLevelStats& s);                      // "N回/P点" or "------"
QString JudgeLineText(const LevelCriteria& c, const PupilLevelStats& s); // "最近7日=2回 / 13点"
QString CriteriaLineText(const LevelCriteria& c, bool timed); // "目標=30秒 3回/20点(×1.5)"

// --- Rankings ---------------------------------------------------------------

enum class ListMode { Time = 1, Points = 2 };

struct RankingRequest {
    int level = 1;
    ListMode mode = ListMode::Points;
    int order = 1; // points: 1 by all-time points, 2 by today's points
    QString group = QStringLiteral("全学年");
    int pupil = 0;       // the pupil who looks: marked "●"
    int schoolYear = 0;  // for the grades of the group filter and the marks
    bool lookup = false; // "---" instead of "--" for pupils without a run (rank look-ups)
};
struct Ranking {
    QStringList lines;
    int ownLine = -1; // the first line of the looking pupil, or -1
    // The looking pupil's whole rank, listed or not: the group chooses the
    // lines, not the numbering. 0 for a pupil without a run in time mode.
    int ownRank = 0;
};
// The ranking of one level over the roster's listed pupils (Command3_Click):
// a stable sort, shared ranks, pupils outside the group numbered but not listed.
Ranking RankLevel(const RankingRequest& request, const StudentRoster& roster,
                  const ResultsState& results, const LevelCatalog& catalog);

// --- The option buttons ------------------------------------------------------

// Option2 chooses the mode, Option1 the view (result_lists.h).
enum class ListView;
// The view the lists show when view is chosen in mode: in point mode the first
// two views both show the points ranking, by all-time points (rankingOrder 1)
// or today's (2), in the order chosen last; every other view is as chosen.
ListView ViewShown(ListMode mode, ListView view, int rankingOrder);

// When the captions of Option1(1..3) change: as the hub is built, as it is
// activated (point mode, its two ranking orders) and on a click of the time or
// the point mode.
enum class ViewCaptions { Built, Activated, TimeMode, PointMode };
// The captions of Option1(1..3); an empty one leaves the button's caption as it is.
std::array<QString, 3> ViewButtonCaptions(ViewCaptions when);

// --- The whole hub -----------------------------------------------------------

struct HubColumn {
    int level = 0;
    QString number; // Label1
    LevelCaption caption;
    QString start; // Command4 caption
    bool enabled = false;
    bool blocked = false;
    bool practice = false;
    QString today;    // Label14
    QString allTime;  // Label15
    QString judge;    // Label8 (empty for a point level)
    QString criteria; // Label7
    QStringList list; // List5
    int ownLine = -1; // the line of the pupil in list, to scroll into view
};

// --- The teacher's notice ------------------------------------------------------

// What may be wrong at the school beyond what the hub itself can mend.
struct SchoolTrouble {
    bool logExists = false;        // without a results log there is nothing to copy
    QDate newestCopy;              // the newest copy of the log not dated after today; null: none
    int answersUnwrittenToday = 0; // answers files this machine could not write today
    QString chainSyncFailure;      // why this machine's sync into the head office's database failed
};
// The copies beside the log at logPath, as their names date them.
SchoolTrouble FindSchoolTrouble(const QString& logPath, QDate today, int answersUnwrittenToday);
// The teacher's notice line: what is wrong and what to do; empty when nothing
// is. The newest copy may be yesterday's, as the day's copy is made when the
// program first starts that day. A failed sync's reason comes last, so that
// a screen that must shorten the line shortens the reason alone.
QString TeacherNoticeText(const SchoolTrouble& trouble, QDate today);

struct HubView {
    QString contentName;         // Label11
    int contentNamePoints = 24;  // Label11's size: 20 for a name longer than 9 characters
    QString pupilLine;           // Label12: trimmed name, " ", grade
    QString numberAndSite;       // Label13: "number:siteName"
    QString minutesSinceStart;   // Label17: "起動後m分"
    QString todayRunCount;       // Label18: "本日総回数＝T回"
    bool teacherMode = false;  // a name with "先生" or "★"
    QString notice;            // the teacher's notice line; empty: hidden
    qint16 finalLevelCleared = 0;
    ColumnLayout layout;
    int firstColumn = 1;
    QList<HubColumn> columns; // levels 1..N
};

// What the hub shows for the signed-in pupil of state, as of now, from tallies
// already computed and the practice limits already applied. The lists show the
// ranking by all-time points over group; a teacher sees the notice of trouble.
HubView BuildHubView(const Hensuu1& state, const CriteriaTable& criteria,
                     const ResultsState& results, const StudentRoster& roster, const QString& group,
                     const QDateTime& now, const SchoolTrouble& trouble = {});

// The keyboard of the hub: the level a typed character starts ("1".."9",
// "a".."d" within N), 0 for "0" (back), or -1 for any other character.
int LevelOfHubKey(const QString& text, int levelCount);

// --- The teacher's data change (Picture7) ---------------------------------------

// The typed text opens the teacher's screens only when it is the configured
// password exactly, case and width included (an empty one when none is configured).
bool PasswordOpens(const QString& typed, const QString& teacherPassword);
inline const QString kPasswordRefused = QStringLiteral("パスワードを入力して下さい");

} // namespace baisuu
