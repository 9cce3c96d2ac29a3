#include "hub/result_lists.h"

#include "core/dates.h"
#include "core/item_reader.h"
#include "hub/list_lines.h"
#include "roster/grades.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace baisuu {

namespace {

int offeredLevels(const LevelCatalog& catalog) {
    return std::clamp(int(catalog.levelCount), 0, kLevelSlots - 1);
}

const QString kCrossLine = QStringLiteral("　　× ");

// What the lines of a run list need of each pupil, worked out on the pupil's
// first run: thousands of runs share a few hundred pupils.
class PupilParts {
  public:
    PupilParts(const ListRequest& request, const StudentRoster& roster)
        : request_(request), roster_(roster), admitted_(size_t(kPupilSlots), -1),
          marked_(size_t(kPupilSlots)) {}

    bool admitted(int pupil) {
        qint8& a = admitted_[size_t(pupil)];
        if (a < 0) {
            const int grade =
                GradeIndex(roster_.pupilBaseYears[size_t(pupil)], request_.schoolYear);
            a = IsInGradeGroup(request_.group, grade) ? 1 : 0;
            if (a) {
                // The name between the pupil's two marks.
                const QString mark = ListMark(pupil == request_.pupil, grade);
                marked_[size_t(pupil)] = mark + Name5(roster_.pupilNames[size_t(pupil)]) + mark;
            }
        }
        return a == 1;
    }
    const QString& markedName(int pupil) const { return marked_[size_t(pupil)]; }

  private:
    const ListRequest& request_;
    const StudentRoster& roster_;
    std::vector<qint8> admitted_;
    std::vector<QString> marked_;
};

// The runs of the records that fall on the lists of the view, in file order:
// today's (with their clock) or the period's (with their date).
void listRuns(const ListRequest& request, const LevelCatalog& catalog,
              const CriteriaTable& criteria, const StudentRoster& roster,
              const QList<RecordNumbers>& records, std::vector<LevelList>& levels) {
    const int n = offeredLevels(catalog);
    const bool today = request.view == ListView::Today;
    const bool pointForm = !today && request.mode == ListMode::Points;
    const double todayOle = OleDate(request.today);
    const double after = todayOle - PeriodDays(request.period, request.today);
    PupilParts parts(request, roster);
    double lastDay = std::numeric_limits<double>::quiet_NaN();
    QString lastDate5;
    for (const RecordNumbers& r : records) {
        if (r.level < 1 || r.level > n || !levels[size_t(r.level)].shown) continue;
        if (r.pupilNumber < 0 || r.pupilNumber >= kPupilSlots) continue;
        if (today ? !(r.runDate >= todayOle && r.runDate < todayOle + 1) : !(r.runDate > after))
            continue;
        if (!parts.admitted(r.pupilNumber)) continue;

        QString when;
        if (today) {
            when = Clock5(r.runClock);
        } else {
            // Runs come day by day: the date text of the last run is mostly this one's.
            const double day = std::floor(r.runDate);
            if (day != lastDay) {
                lastDay = day;
                lastDate5 = Date5(r.runDate);
            }
            when = lastDate5;
        }
        const QString& name = parts.markedName(r.pupilNumber);
        QString line;
        line.reserve(32);
        if (r.runTime >= kTimedOutFrom) {
            line += kCrossLine;
            line += when;
            line += name;
        } else {
            const int points = RecordBasePoints(criteria.levels[r.level], r.runTime);
            if (pointForm) {
                line += LastOf(u"      ", QString::number(points), 5);
            } else {
                line += Time5(r.runTime);
            }
            line += QLatin1Char(' ');
            line += when;
            line += name;
            if (pointForm) {
                line += QString::number(r.runTime);
                line += QStringLiteral("秒");
            } else {
                line += QString::number(points);
            }
        }
        levels[size_t(r.level)].lines.append(line);
    }
}

} // namespace

qint64 RecordsForView(const ListRequest& request) {
    switch (request.view) {
    case ListView::Ranking:
        return 0;
    case ListView::Today:
        return request.mode == ListMode::Time ? kTodayRecords : 0;
    case ListView::Period:
        return kPeriodRecords;
    }
    return 0;
}

int PeriodDays(int period, QDate today) {
    // dayOfWeek counts Monday 1 .. Sunday 7: the days of this week up to today.
    const int thisWeek = today.isValid() ? today.dayOfWeek() : 0;
    switch (period) {
    case 1:
        return thisWeek;
    case 2:
        return thisWeek + 7;
    case 3:
        return 30;
    case 4:
        return 365;
    case 5:
        return 3650;
    default:
        return 0;
    }
}

ListColour ListColourOf(const QStringList& lines, const LevelCriteria& criteria) {
    // The colour belongs to the whole list, so only the last timed line counts.
    for (qsizetype k = lines.size() - 1; k >= 0; --k) {
        const QString& line = lines[k];
        if (line.size() >= 3 && line.at(2) == QChar(u'×')) continue; // a timed-out run
        const double v = LeadingValue(line.mid(1, 4));
        if (v <= criteria.targetTime) return ListColour::WithinTarget;
        if (v <= criteria.passTime) return ListColour::WithinPass;
        return ListColour::Silver;
    }
    return ListColour::Unchanged;
}

ListsView BuildListsView(const ListRequest& request, const LevelCatalog& catalog,
                         const CriteriaTable& criteria, const StudentRoster& roster,
                         const ResultsState& results, const QList<RecordNumbers>& records) {
    ListsView view;
    const int n = offeredLevels(catalog);
    view.levels.resize(size_t(n) + 1);
    for (int i = 1; i <= n; ++i)
        view.levels[size_t(i)].shown = !IsPracticeLevel(catalog, i);

    const bool timeMode = request.mode == ListMode::Time;
    if (request.view == ListView::Ranking || (!timeMode && request.view == ListView::Today)) {
        RankingRequest ranking;
        ranking.mode = request.mode;
        ranking.order = request.view == ListView::Today ? 2 : 1;
        ranking.group = request.group;
        ranking.pupil = request.pupil;
        ranking.schoolYear = request.schoolYear;
        view.listsCaption = timeMode             ? QStringLiteral("ベスト成績")
                      : ranking.order == 1 ? QStringLiteral("獲得ポイント（今まで順位）")
                                           : QStringLiteral("獲得ポイント（今日の順位）");
        for (int i = 1; i <= n; ++i) {
            LevelList& list = view.levels[size_t(i)];
            if (!list.shown) continue;
            ranking.level = i;
            Ranking r = RankLevel(ranking, roster, results, catalog);
            list.lines = std::move(r.lines);
            list.ownLine = r.ownLine;
        }
        return view;
    }

    if (request.view == ListView::Today) view.listsCaption = QStringLiteral("本日の成績");
    view.periodChoice = request.view == ListView::Period;
    listRuns(request, catalog, criteria, roster, records, view.levels);
    if (timeMode)
        for (int i = 1; i <= n; ++i)
            if (catalog.levelTimed[i] == 1)
                view.levels[size_t(i)].colour =
                    ListColourOf(view.levels[size_t(i)].lines, criteria.levels[i]);
    return view;
}

QString RankLookup::rankText() const {
    return pupilLine >= 0 && pupilLine < lines.size() ? lines[pupilLine].left(3) : QString();
}

RankLookup LookupRanking(int level, ListMode mode, int order, int pupil, const QString& group,
                         int schoolYear, const StudentRoster& roster, const ResultsState& results,
                         const LevelCatalog& catalog) {
    RankingRequest request;
    request.level = level;
    request.mode = mode;
    request.order = order;
    request.group = group;
    request.pupil = pupil;
    request.schoolYear = schoolYear;
    request.lookup = true;
    Ranking r = RankLevel(request, roster, results, catalog);
    return {std::move(r.lines), r.ownLine, r.ownRank};
}

} // namespace baisuu
