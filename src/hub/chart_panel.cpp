#include "hub/chart_panel.h"

#include "core/dates.h"
#include "core/item_reader.h"
#include "hub/list_lines.h"
#include "hub/result_lists.h"
#include "roster/grades.h"

#include <algorithm>

namespace baisuu {

namespace {

bool inPupilRange(int pupil) {
    return pupil >= 0 && pupil < kPupilSlots;
}

int levelsOffered(const HistoryRequest& request) {
    return std::clamp(request.levelCount, 0, kLevelSlots - 1);
}

} // namespace

// --- Own runs ---------------------------------------------------------------------

std::vector<QStringList> OwnRunLines(const QList<RecordNumbers>& records,
                                     const HistoryRequest& request, const StudentRoster& roster) {
    const int n = levelsOffered(request);
    std::vector<QStringList> lines(size_t(n) + 1);
    if (!inPupilRange(request.pupil)) return lines;
    const int grade = GradeIndex(roster.pupilBaseYears[size_t(request.pupil)], request.schoolYear);
    if (!IsInGradeGroup(request.group, grade)) return lines;
    std::vector<QStringList> timedOut(size_t(n) + 1);
    const double since = OleDate(request.today) - kHistoryDays;
    for (qsizetype k = std::max<qsizetype>(0, records.size() - kOwnRunsRecords); k < records.size();
         ++k) {
        const RecordNumbers& r = records[k];
        if (r.level < 1 || r.level > n || r.pupilNumber != request.pupil || !(r.runDate > since))
            continue;
        const QString when = DateText(DateFromOle(r.runDate)).right(10) + QLatin1Char(' ') +
                             TimeText(TimeFromOle(r.runClock)).right(10);
        if (r.runTime >= kTimedOutFrom)
            timedOut[size_t(r.level)].append(when);
        else
            lines[size_t(r.level)].append(when + Time5(r.runTime));
    }
    for (int level = 1; level <= n; ++level)
        lines[size_t(level)] += timedOut[size_t(level)];
    return lines;
}

// --- Rank look-ups ------------------------------------------------------------------

ChartRanks LookUpChartRanks(int level, const HistoryRequest& request, const StudentRoster& roster,
                            const ResultsState& results, const LevelCatalog& catalog) {
    // The charted pupil is the one looked up: the ranking knows that pupil's
    // own place, where a search for the name would miss names longer than the
    // list shows and find another pupil whose name begins alike, and where the
    // lines keep only the last two digits of a rank.
    ChartRanks found;
    const RankLookup points =
        LookupRanking(level, ListMode::Points, 1, request.pupil, request.group, request.schoolYear,
                      roster, results, catalog);
    for (const QString& line : points.lines) {
        const double p = LeadingValue(line.right(5));
        if (p > 0) {
            ++found.pupilsWithPoints;
            found.schoolPoints += qint64(p);
        }
    }
    found.pointRank = points.rank;
    if (points.rank > 0) found.points = results.at(request.pupil, level).points;
    found.timeRank = LookupRanking(level, ListMode::Time, 1, request.pupil, request.group,
                                   request.schoolYear, roster, results, catalog)
                         .rank;
    return found;
}

ChartDocument BuildChartDocument(const ChartRequest& request, const QList<RecordNumbers>& records,
                                 const ResultsState& results, const StudentRoster& roster,
                                 const CriteriaTable& criteria, const LevelCatalog& catalog) {
    return BuildChartDocument(
        request, records,
        [&](int level) { return LookUpChartRanks(level, request, roster, results, catalog); },
        roster, criteria, catalog);
}

// --- Other pupils -------------------------------------------------------------------------

QStringList OtherPupilLines(const StudentRoster& roster, int schoolYear) {
    QStringList lines;
    for (int k = 1; k <= roster.rosterCount; ++k) {
        const StudentEntry& e = roster.at(k);
        if (e.status != 0) continue;
        lines.append(GradeLabelFull(GradeIndex(e.gradeBaseYear, schoolYear)) +
                     QStringLiteral(" /  ") + e.name + QLatin1Char('/') +
                     QString::number(e.number));
    }
    return lines;
}

int PupilOfLine(const QString& line) {
    const qsizetype slash = line.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return -1;
    bool ok = false;
    const int pupil = line.mid(slash + 1).trimmed().toInt(&ok);
    return ok && inPupilRange(pupil) ? pupil : -1;
}

} // namespace baisuu
