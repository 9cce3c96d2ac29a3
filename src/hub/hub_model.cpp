#include "hub/hub_model.h"

#include "core/configuration.h"
#include "core/dates.h"
#include "core/item_reader.h"
#include "hub/list_lines.h"
#include "hub/result_lists.h"
#include "records/results_backup.h"
#include "roster/grades.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace baisuu {

namespace {

int offeredLevels(const LevelCatalog& catalog) {
    return std::clamp(int(catalog.levelCount), 0, kLevelSlots - 1);
}

QString number(qint64 n) {
    return QString::number(n);
}

} // namespace

// --- Level opening -------------------------------------------------------------

LevelOpening OpenLevels(const LevelCatalog& catalog, const CriteriaTable& criteria,
                        const ResultsState& results, int pupil) {
    LevelOpening open;
    const int n = offeredLevels(catalog);
    const int goal = std::clamp(catalog.goalLevel, 0, kLevelSlots - 1);
    open.finalLevelCleared = LevelCleared(criteria.levels[goal], results.at(pupil, goal)) ? 1 : 0;
    open.enabled[1] = true;
    for (int i = 1; i <= n; ++i) {
        const bool practice = IsPracticeLevel(catalog, i);
        if (practice) open.enabled[i] = true;
        // The last level is never held back: there is nothing left to move on to.
        if (i >= n) break;
        open.enabled[i + 1] = true;
        open.blocked[i + 1] = false;
        const LevelCriteria& c = criteria.levels[i];
        const PupilLevelStats& s = results.at(pupil, i);
        const double count = c.overdoCount.toNumber();
        const double points = c.overdoPoints.toNumber();
        const bool overdone = open.finalLevelCleared == 0 && !practice &&
                              ((count != 0 && s.overdoAttempts >= count) ||
                               (points != 0 && s.overdoPeriodPoints >= points));
        open.enabled[i] = open.enabled[i] && !overdone;
        open.blocked[i] = overdone;
    }
    return open;
}

void ApplyPracticeLimits(CriteriaTable& criteria, const LevelCatalog& catalog) {
    for (int i = 1; i <= offeredLevels(catalog); ++i)
        if (IsPracticeLevel(catalog, i)) {
            criteria.levels[i].targetTime = 600;
            criteria.levels[i].passTime = 600;
        }
}

// --- Layout ----------------------------------------------------------------------

ColumnLayout HubColumnLayout(int levelCount) {
    ColumnLayout layout;
    if (levelCount <= 4) {
        layout.width = 14592 / std::max(levelCount, 1);
        return layout;
    }
    layout.width = 13824 / 4; // four columns in view
    layout.scrollBar = true;
    layout.scrollMaximum = levelCount - 3;
    return layout;
}

int ClampFirstColumn(int firstColumn, const ColumnLayout& layout) {
    return firstColumn <= 0 || firstColumn > std::max(layout.scrollMaximum, 1) ? 1 : firstColumn;
}

int ColumnLeft(int level, int firstColumn, const ColumnLayout& layout) {
    return level < firstColumn ? -1 : (level - firstColumn) * layout.width;
}

// --- Column texts ----------------------------------------------------------------

LevelCaption LevelCaptionOf(const QString& levelName, int level, const StudentRoster& roster) {
    // A name that begins with a pupil's number is that pupil's own level: its
    // caption is the middle of the name, marked _1 or _2 by the column.
    const double owner = LeadingValue(levelName.left(4));
    if (owner == 0) return {levelName, levelName, false};
    LevelCaption c;
    c.caption = levelName.mid(4, std::max<qsizetype>(levelName.size() - 8, 0)) +
                QStringLiteral("_") + (level % 2 == 1 ? QStringLiteral("1") : QStringLiteral("2"));
    const int pupil = int(owner);
    const QString name =
        pupil >= 0 && pupil < kPupilSlots ? roster.pupilNames[size_t(pupil)].trimmed() : QString();
    c.tooltip = name + levelName.mid(4);
    c.small = true;
    return c;
}

QString StartCaption(int level) {
    return QStringLiteral("ｽﾀｰﾄ(&%1)").arg(level);
}

QString TodayTallyText(const PupilLevelStats& s) {
    if (s.todayAttempts == 0) return QStringLiteral("-----");
    return QStringLiteral("%1回/%2点").arg(NumberText(s.todayAttempts)).arg(s.todayPoints);
}

QString AllTimeTallyText(const PupilLevelStats& s) {
    if (s.attempts == 0) return QStringLiteral("------");
    return QStringLiteral("%1回/%2点").arg(s.attempts).arg(s.points);
}

QString JudgeLineText(const LevelCriteria& c, const PupilLevelStats& s) {
    return QStringLiteral("最近%1日=%2回 / %3点")
        .arg(c.judgeDays.toText())
        .arg(s.judgeAttempts)
        .arg(s.judgePoints);
}

QString CriteriaLineText(const LevelCriteria& c, bool timed) {
    if (!timed) return QStringLiteral("◎=%1点以上").arg(c.targetTime);
    // 9999 points: the level has no points target.
    if (c.clearPoints == 9999) return QStringLiteral("目標=%1秒 --------").arg(c.targetTime);
    return QStringLiteral("目標=%1秒 %2回/%3点(×%4)")
        .arg(c.targetTime)
        .arg(c.clearCount)
        .arg(c.clearPoints)
        .arg(FactorText(CountedPointFactor(c.pointFactor)));
}

// --- Rankings --------------------------------------------------------------------

namespace {

// What one ranking orders by, worked out once from its request.
struct RankingTerms {
    int level = 0;
    bool timeMode = false;
    bool timed = false; // a timed level; a point level ranks its figure downwards
    int order = 1;      // points: 1 by all-time points, 2 by today's points
};

RankingTerms termsOf(const RankingRequest& request, const LevelCatalog& catalog) {
    RankingTerms t;
    t.level = std::clamp(request.level, 0, kLevelSlots - 1);
    t.timeMode = request.mode == ListMode::Time;
    t.timed = catalog.levelTimed[t.level] == 1;
    t.order = request.order == 2 ? 2 : 1;
    return t;
}

struct Position {
    int pupil = 0;
    qint64 key = 0; // wider than the points: a saturated sum must not wrap the order
};

qint64 sortKey(const RankingTerms& t, const ResultsState& results, int pupil) {
    const PupilLevelStats& s = results.at(pupil, t.level);
    if (t.timeMode) {
        const qint64 key = results.best(pupil, t.level);
        // A point level ranks its figure downwards, no run last.
        return t.timed ? key : 10000 - (key == kNoTime ? -kNoTime : key);
    }
    if (t.order == 1) return 1000000 - 1000 * qint64(s.points) - s.todayPoints;
    return 1000000 - 1000 * qint64(s.todayPoints) - s.points;
}

// The roster's listed pupils in ranking order; equal keys keep the roster's order.
std::vector<Position> rankedPositions(const RankingTerms& t, const StudentRoster& roster,
                                      const ResultsState& results) {
    std::vector<Position> positions;
    positions.reserve(size_t(std::max(roster.rosterCount, 0)));
    for (int k = 1; k <= roster.rosterCount; ++k) {
        const int p = roster.rosterNumbers[size_t(k)];
        if (p < 0 || p >= kPupilSlots) continue;
        positions.push_back({p, sortKey(t, results, p)});
    }
    std::stable_sort(positions.begin(), positions.end(),
                     [](const Position& a, const Position& b) { return a.key < b.key; });
    return positions;
}

// Whether a grade belongs to the group, worked out once per grade rather
// than once per pupil: a school's grades are few, its pupils many.
class GradeGroupCache {
  public:
    explicit GradeGroupCache(const QString& group) : group_(group) { admits_.fill(-1); }
    bool admits(int grade) {
        const int slot = grade - kLowestCachedGrade;
        if (slot < 0 || slot >= int(admits_.size())) return IsInGradeGroup(group_, grade) != 0;
        if (admits_[size_t(slot)] < 0) admits_[size_t(slot)] = qint8(IsInGradeGroup(group_, grade));
        return admits_[size_t(slot)] == 1;
    }

  private:
    static constexpr int kLowestCachedGrade = -16;
    const QString& group_;
    std::array<qint8, 64> admits_;
};

// One list line: rank, mark, name, then the time or today's/all-time points.
QString rankLine(const RankingTerms& t, const RankingRequest& request, int rank, qint64 key,
                 bool own, int grade, const QString& name, const PupilLevelStats& s) {
    QString line;
    line.reserve(24);
    if (t.timeMode && key == kNoTime)
        line += request.lookup ? QStringLiteral("---") : QStringLiteral("--");
    else
        line += Rank2(rank);
    line += ListMark(own, grade);
    line += Name5(name);
    if (t.timeMode) {
        if (key == 99998)
            line += QStringLiteral("*失敗*");
        else if (key == kNoTime)
            line += QStringLiteral("------");
        else
            line += LastOf(u"    ", number(key), 6);
        line += QLatin1Char(' ');
        line += EndMark(own);
    } else {
        line += LastOf(u"    ", number(s.todayPoints), 3);
        line += QLatin1Char('/');
        line += LastOf(u"    ", number(s.points), 5);
    }
    return line;
}

} // namespace

Ranking RankLevel(const RankingRequest& request, const StudentRoster& roster,
                  const ResultsState& results, const LevelCatalog& catalog) {
    const RankingTerms t = termsOf(request, catalog);
    const std::vector<Position> positions = rankedPositions(t, roster, results);
    GradeGroupCache group(request.group);
    Ranking ranking;
    ranking.lines.reserve(qsizetype(positions.size()));
    int rank = 0;
    qint64 previous = 0;
    for (size_t k = 1; k <= positions.size(); ++k) {
        const int p = positions[k - 1].pupil;
        qint64 key = positions[k - 1].key;
        if (t.timeMode && !t.timed) key = 10000 - key;
        const PupilLevelStats& s = results.at(p, t.level);
        const qint64 figure = t.timeMode ? key : t.order == 1 ? s.points : s.todayPoints;
        // Pupils outside the group still count in the numbering.
        rank = k == 1 || figure != previous ? int(k) : rank;
        previous = figure;
        const bool own = p == request.pupil;
        if (own && ranking.ownRank == 0 && !(t.timeMode && key == kNoTime)) ranking.ownRank = rank;

        const int grade = GradeIndex(roster.pupilBaseYears[size_t(p)], request.schoolYear);
        if (!group.admits(grade)) continue;
        if (!t.timeMode && t.order == 2 && s.todayPoints == 0) continue;
        if (own && ranking.ownLine < 0) ranking.ownLine = int(ranking.lines.size());
        ranking.lines.append(
            rankLine(t, request, rank, key, own, grade, roster.pupilNames[size_t(p)], s));
    }
    return ranking;
}

// --- The option buttons ----------------------------------------------------------

ListView ViewShown(ListMode mode, ListView view, int rankingOrder) {
    if (mode != ListMode::Points || view == ListView::Period) return view;
    return rankingOrder == 2 ? ListView::Today : ListView::Ranking;
}

std::array<QString, 3> ViewButtonCaptions(ViewCaptions when) {
    switch (when) {
    case ViewCaptions::Built: {
        std::array<QString, 3> built = ViewButtonCaptions(ViewCaptions::TimeMode);
        built[2] = QStringLiteral("オール表示");
        return built;
    }
    case ViewCaptions::Activated:
        return {QStringLiteral("累計順"), QStringLiteral("本日順"), {}};
    case ViewCaptions::TimeMode:
        return {QStringLiteral("BEST表示"), QStringLiteral("本日のみ"), {}};
    case ViewCaptions::PointMode:
        break;
    }
    return {QStringLiteral("合計累計"), QStringLiteral("合計本日"), QStringLiteral("すべて")};
}

// --- The teacher's notice ------------------------------------------------------

SchoolTrouble FindSchoolTrouble(const QString& logPath, QDate today, int answersUnwrittenToday) {
    SchoolTrouble trouble;
    trouble.logExists = QFile::exists(logPath);
    trouble.answersUnwrittenToday = answersUnwrittenToday;
    // A copy dated after today was made under a wrong clock: it says nothing of today.
    for (const CopyName& copy : BackupCopies(logPath)) {
        if (copy.date > today) continue;
        trouble.newestCopy = copy.date;
        break;
    }
    return trouble;
}

QString TeacherNoticeText(const SchoolTrouble& trouble, QDate today) {
    QString wrong;
    if (trouble.logExists && trouble.newestCopy.isNull())
        wrong = QStringLiteral("成績のバックアップがありません。");
    else if (trouble.logExists && trouble.newestCopy.daysTo(today) > 1)
        wrong = QStringLiteral("成績のバックアップが%1日前のままです。")
                    .arg(trouble.newestCopy.daysTo(today));
    if (trouble.answersUnwrittenToday > 0)
        wrong += QStringLiteral("今日%1人分の解答記録を書けませんでした。")
                     .arg(trouble.answersUnwrittenToday);
    // Both come from a data folder this machine cannot write (rights, a full
    // disk, the network); a failed sync from the connection the settings
    // name. The school's IT person mends either.
    const bool folder = !wrong.isEmpty();
    const bool sync = !trouble.chainSyncFailure.isEmpty();
    if (sync) wrong += QStringLiteral("本部へ成績を送れませんでした。");
    if (wrong.isEmpty()) return {};
    // Every trouble at once has to fit one line of the hub: the key's group alone.
    const QString check = !sync    ? QStringLiteral("データフォルダ")
                          : folder ? QStringLiteral("データフォルダと baisuu.conf の [chain] ")
                                   : QStringLiteral("接続の設定（baisuu.conf の [chain] database）");
    QString text = QStringLiteral("注意：") + wrong + QStringLiteral("IT担当の方に") + check +
                   QStringLiteral("を確かめてもらってください。");
    if (sync) text += QStringLiteral("理由：") + trouble.chainSyncFailure.simplified();
    return text;
}

// --- The hub ---------------------------------------------------------------------

HubView BuildHubView(const Hensuu1& state, const CriteriaTable& criteria,
                     const ResultsState& results, const StudentRoster& roster, const QString& group,
                     const QDateTime& now, const SchoolTrouble& trouble) {
    HubView view;
    const LevelCatalog& catalog = state.catalog;
    const int n = offeredLevels(catalog);
    const int pupil = std::clamp(int(state.currentPupil), 0, kPupilSlots - 1);

    view.contentName = state.contentName;
    view.contentNamePoints = state.contentName.size() > 9 ? 20 : 24;
    view.pupilLine = state.pupilName.trimmed() + QLatin1Char(' ') + state.pupilGrade;
    view.numberAndSite = number(state.currentPupil) + QLatin1Char(':') + state.siteName;
    view.minutesSinceStart =
        QStringLiteral("起動後%1分").arg(MinutesSinceSignIn(now.time(), state.pupilStartTime));
    float today = 0;
    for (int level = 1; level < kLevelSlots; ++level)
        today += results.at(pupil, level).todayAttempts;
    view.todayRunCount = QStringLiteral("本日総回数＝%1回").arg(qint16(std::nearbyint(today)));
    view.teacherMode = state.pupilName.contains(QStringLiteral("★")) ||
                       state.pupilName.contains(QStringLiteral("先生"));
    if (view.teacherMode) view.notice = TeacherNoticeText(trouble, now.date());

    const LevelOpening opening = OpenLevels(catalog, criteria, results, pupil);
    view.finalLevelCleared = opening.finalLevelCleared;
    view.layout = HubColumnLayout(n);
    view.firstColumn = ClampFirstColumn(state.firstColumn, view.layout);

    RankingRequest ranking;
    ranking.mode = ListMode::Points;
    ranking.order = 1;
    ranking.group = group;
    ranking.pupil = pupil;
    ranking.schoolYear = CurrentSchoolYear(now.date(), state.schoolYearStartMonth);
    for (int i = 1; i <= n; ++i) {
        const LevelCriteria& c = criteria.levels[i];
        const PupilLevelStats& s = results.at(pupil, i);
        const bool timed = catalog.levelTimed[i] == 1;
        HubColumn column;
        column.level = i;
        column.number = number(i);
        column.caption = LevelCaptionOf(catalog.levelNames[i], i, roster);
        column.start = StartCaption(i);
        column.enabled = opening.enabled[i];
        column.blocked = opening.blocked[i];
        column.practice = IsPracticeLevel(catalog, i);
        if (!column.practice) {
            column.today = TodayTallyText(s);
            column.allTime = AllTimeTallyText(s);
            if (timed) column.judge = JudgeLineText(c, s);
            column.criteria = CriteriaLineText(c, timed);
            ranking.level = i;
            const Ranking r = RankLevel(ranking, roster, results, catalog);
            column.list = r.lines;
            column.ownLine = r.ownLine;
        }
        view.columns.append(column);
    }
    return view;
}

int LevelOfHubKey(const QString& text, int levelCount) {
    if (text.size() != 1) return -1;
    const char16_t c = text.at(0).unicode();
    int level = -1;
    if (c == u'0') return 0;
    if (c >= u'1' && c <= u'9') level = c - u'0';
    if (c >= u'a' && c <= u'd') level = 10 + (c - u'a');
    return level >= 1 && level <= levelCount ? level : -1;
}

// --- Password -------------------------------------------------------------------------------

bool PasswordOpens(const QString& typed, const QString& teacherPassword) {
    return typed == teacherPassword;
}

} // namespace baisuu
