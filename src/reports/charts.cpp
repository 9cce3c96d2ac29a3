#include "reports/charts.h"

#include "core/dates.h"
#include "roster/grades.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace baisuu {

namespace {

// A figure right-aligned in width characters; a longer one keeps every digit.
QString rightAligned(const QString& text, int width) {
    return text.rightJustified(width, QLatin1Char(' '));
}

// Which pupils the group admits, by roster number, so a scan of the log asks once per pupil.
std::vector<char> admittedPupils(const HistoryRequest& request, const StudentRoster& roster) {
    std::vector<char> admitted(kPupilSlots);
    for (int p = 0; p < kPupilSlots; ++p)
        admitted[size_t(p)] = char(IsInGradeGroup(
            request.group, GradeIndex(roster.pupilBaseYears[size_t(p)], request.schoolYear)));
    return admitted;
}

bool inPupilRange(int pupil) {
    return pupil >= 0 && pupil < kPupilSlots;
}

int levelsOffered(const HistoryRequest& request) {
    return std::clamp(request.levelCount, 0, kLevelSlots - 1);
}

QString figureText(const std::optional<qint64>& value, int width) {
    return rightAligned(value ? QString::number(*value) : QStringLiteral("---"), width);
}

QString rankText(int rank, int width) {
    return figureText(rank > 0 ? std::optional<qint64>(rank) : std::nullopt, width);
}

// The school's averages, of time and of points: the quotient shown as a
// whole number, the nearest one, halves up.
int roundedQuotient(qint64 sum, qint64 count) {
    return int(std::llround(double(sum) / double(count)));
}

} // namespace

// --- Bands ------------------------------------------------------------------------------

std::optional<int> ChartBand::average() const {
    if (count == 0) return std::nullopt;
    // The pupil's own average is the whole seconds reached, never more: 29.85
    // reads 29, so the figure never flatters the pupil. Sums and counts are
    // never negative, so the quotient truncates down.
    return int(sum / count);
}

std::optional<int> ChartBand::schoolAverage() const {
    if (schoolCount == 0) return std::nullopt;
    return roundedQuotient(schoolSum, schoolCount);
}

std::optional<int> ChartBand::schoolAveragePoints() const {
    if (ranks.pupilsWithPoints == 0) return std::nullopt;
    return roundedQuotient(ranks.schoolPoints, ranks.pupilsWithPoints);
}

QStringList ChartFigureLines(const ChartBand& band) {
    auto optional64 = [](const std::optional<qint32>& v) {
        return v ? std::optional<qint64>(*v) : std::nullopt;
    };
    auto optionalInt = [](const std::optional<int>& v) {
        return v ? std::optional<qint64>(*v) : std::nullopt;
    };
    QStringList rows;
    rows << QStringLiteral("回数　　　　　　　") + rightAligned(QString::number(band.count), 3) +
                QStringLiteral("回");
    rows << QStringLiteral("タイム  　　 　    本人 / 塾全体");
    rows << QStringLiteral("　　順位　　　　") + rankText(band.ranks.timeRank, 5) +
                QStringLiteral("位");
    rows << QStringLiteral("　　最高　　　　") + figureText(optional64(band.best), 6) +
                QStringLiteral("秒 /") + figureText(optional64(band.schoolBest), 6) +
                QStringLiteral("秒");
    // Without a run under 1800 s the pupil has no average to show.
    if (band.count != 0)
        rows << QStringLiteral("　　平均　　　　") + figureText(optionalInt(band.average()), 5) +
                    QStringLiteral("秒 /") + figureText(optionalInt(band.schoolAverage()), 5) +
                    QStringLiteral("秒");
    rows << QStringLiteral("ポイント  　　　");
    rows << QStringLiteral("　　順位　　　　") + rankText(band.ranks.pointRank, 3) +
                QStringLiteral("位");
    rows << QStringLiteral("　　獲得ポイント") + figureText(band.ranks.points, 5) +
                QStringLiteral("点");
    rows << QStringLiteral("　　　　　　　　　　　　/") +
                figureText(optionalInt(band.schoolAveragePoints()), 5) +
                QStringLiteral(" (塾平均)");
    return rows;
}

QList<BandPlace> PlaceBands(int bandCount) {
    QList<BandPlace> places;
    int page = 0;
    double y = kFirstBandTop - kBandHeight;
    for (int k = 0; k < bandCount; ++k) {
        y += kBandHeight;
        if (y > 0.9) { // a fourth band would run off the page
            ++page;
            y = kFirstBandTop;
        }
        places.append({page, y});
    }
    return places;
}

namespace {

ChartBand buildBand(int level, const ChartRequest& request, const QList<RecordNumbers>& records,
                    const std::vector<char>& admitted, const CriteriaTable& criteria,
                    const LevelCatalog& catalog) {
    ChartBand band;
    band.level = level;
    band.title = QLatin1Char(' ') + request.contentName;
    band.levelName = catalog.levelNames[size_t(level)];
    band.timed = catalog.levelTimed[size_t(level)] == 1;
    band.targetTime = criteria.levels[size_t(level)].targetTime;
    band.passTime = criteria.levels[size_t(level)].passTime;
    const double since = OleDate(request.today) - kHistoryDays;
    for (const RecordNumbers& r : records) {
        if (r.level != level || !inPupilRange(r.pupilNumber) || !(r.runDate > since)) continue;
        // The school's figures are the group's; the charted pupil's runs are
        // shown even when the pupil, chosen from the other-pupils list, is
        // outside the group.
        const bool inGroup = admitted[size_t(r.pupilNumber)];
        const bool own = r.pupilNumber == request.pupil;
        if (!inGroup && !own) continue;
        const bool counted = r.runTime < kChartCountedBelow;
        const bool timedOut = r.runTime >= kTimedOutFrom;
        if (inGroup && !timedOut && (!band.schoolBest || r.runTime < *band.schoolBest))
            band.schoolBest = r.runTime;
        if (inGroup && counted) {
            ++band.schoolCount;
            band.schoolSum += r.runTime;
        }
        if (!own) continue;
        ChartRun run{r.runDate, r.runTime, false, counted, timedOut};
        // A run that ran out of time has no time to beat anything with.
        if (!timedOut && (!band.best || r.runTime < *band.best)) {
            run.best = true;
            band.best = r.runTime;
        }
        if (counted) {
            ++band.count;
            band.sum += r.runTime;
        }
        band.runs.append(run);
    }
    return band;
}

} // namespace

PupilHeading HeadingOf(const StudentRoster& roster, int pupil, int schoolYear) {
    if (!inPupilRange(pupil)) return {};
    return {roster.pupilNames[size_t(pupil)].trimmed(),
            GradeLabelFull(GradeIndex(roster.pupilBaseYears[size_t(pupil)], schoolYear))};
}

ChartDocument BuildChartDocument(const ChartRequest& request, const QList<RecordNumbers>& records,
                                 const ChartRanksOf& ranksOf, const StudentRoster& roster,
                                 const CriteriaTable& criteria, const LevelCatalog& catalog) {
    ChartDocument doc;
    doc.pupil = request.pupil;
    doc.today = request.today;
    const PupilHeading heading = HeadingOf(roster, request.pupil, request.schoolYear);
    doc.pupilName = heading.name;
    doc.grade = heading.grade;
    const std::vector<char> admitted = admittedPupils(request, roster);
    const QList<BandPlace> places = PlaceBands(int(request.levels.size()));
    for (qsizetype k = 0; k < request.levels.size(); ++k) {
        while (doc.pages.size() <= places[k].page)
            doc.pages.append(ChartPage{});
        const int level = request.levels[k];
        if (level < 1 || level > levelsOffered(request)) continue;
        ChartBand band = buildBand(level, request, records, admitted, criteria, catalog);
        band.ranks = ranksOf(level);
        band.top = places[k].top;
        doc.pages.last().bands.append(band);
    }
    return doc;
}

QString NumberedPdfPath(const QString& path, int index) {
    if (index <= 0) return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    return stem + QStringLiteral("-%1").arg(index + 1) +
           (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

} // namespace baisuu
