#include "reports/class_report.h"

#include "core/durable_file.h"
#include "core/table_sizes.h"
#include "roster/grades.h"
#include "roster/record_lines.h"

#include <algorithm>

namespace baisuu {

namespace {

int offeredLevels(const LevelCatalog& catalog) {
    return std::clamp(int(catalog.levelCount), 0, kLevelSlots - 1);
}

// The grade as the hub's name line shows it; grades beyond its labels (before
// kindergarten's last year, after the first year of high school) as the
// pupil list shows them, so no row goes without one.
QString gradeText(int gradeIndex) {
    const QString full = GradeLabelFull(gradeIndex);
    return full.isEmpty() ? GradeLabelShort(gradeIndex) : full;
}

} // namespace

QList<int> ListedPupils(const RosterList& list) {
    QList<int> pupils;
    pupils.reserve(list.numbers.size());
    for (const QString& line : list.numbers) {
        const int pupil = NumberOfListLine(line);
        if (pupil >= 0 && pupil < kPupilSlots) pupils.append(pupil);
    }
    return pupils;
}

ClassReport BuildClassReport(const ClassReportRequest& request, const QList<int>& pupils,
                             const StudentRoster& roster, const ResultsState& results,
                             const CriteriaTable& criteria, const LevelCatalog& catalog) {
    ClassReport report;
    report.schoolName = request.schoolName;
    report.contentName = request.contentName;
    report.group = request.group;
    report.today = request.today;

    const int offered = offeredLevels(catalog);
    QList<int> levels = request.levels;
    if (levels.isEmpty())
        for (int level = 1; level <= offered; ++level)
            levels.append(level);
    for (int level : levels) {
        if (level < 1 || level > offered) continue;
        report.levels.append(
            {level, catalog.levelNames[size_t(level)], criteria.levels[size_t(level)].targetTime});
    }

    report.rows.reserve(pupils.size());
    for (int pupil : pupils) {
        if (pupil < 0 || pupil >= kPupilSlots) continue;
        ClassReportRow row;
        row.pupil = pupil;
        row.grade = gradeText(GradeIndex(roster.pupilBaseYears[size_t(pupil)], request.schoolYear));
        row.name = roster.pupilNames[size_t(pupil)].trimmed();
        row.cells.reserve(report.levels.size());
        for (const ClassReportLevel& level : report.levels) {
            const PupilLevelStats& s = results.at(pupil, level.level);
            ClassReportCell cell;
            cell.runs = s.attempts;
            cell.best = results.best(pupil, level.level);
            cell.points = s.points;
            cell.cleared = LevelCleared(criteria.levels[size_t(level.level)], s);
            cell.withinTarget = cell.best >= 0 && cell.best < kNoTime - 1 && level.targetTime > 0 &&
                                cell.best <= level.targetTime;
            row.cells.append(cell);
        }
        report.rows.append(std::move(row));
    }
    return report;
}

QString RunsText(const ClassReportCell& cell) {
    return QString::number(cell.runs);
}

QString BestTimeText(const ClassReportCell& cell) {
    if (cell.best == kNoTime) return QString::fromUtf16(kNoBestTime);
    // The one time siblings record for a failed run; the hub's lists call it so too.
    if (cell.best == kNoTime - 1) return QStringLiteral("失敗");
    return QString::number(cell.best);
}

QString PointsText(const ClassReportCell& cell) {
    return QString::number(cell.points);
}

QString ClearedText(const ClassReportCell& cell) {
    return cell.cleared ? QString::fromUtf16(kClearedMark) : QString();
}

const QStringList& LevelColumnHeadings() {
    static const QStringList headings = {QStringLiteral("回数"), QStringLiteral("最高"),
                                         QStringLiteral("点数"), QStringLiteral("クリア")};
    return headings;
}

QString LevelHeading(const ClassReportLevel& level) {
    return QStringLiteral("%1 %2").arg(level.level).arg(level.name);
}

QList<ClassReportPage> PaginateClassReport(int rows, int levels, int rowsPerPage,
                                           int levelsPerPage) {
    rowsPerPage = std::max(rowsPerPage, 1);
    levelsPerPage = std::max(levelsPerPage, 1);
    // The levels are shared evenly across the sheets: 13 levels at 6 a sheet
    // go 5 + 4 + 4, not 6 + 6 + 1.
    const int across = std::max((levels + levelsPerPage - 1) / levelsPerPage, 1);
    const int perSheet = (levels + across - 1) / across;
    QList<ClassReportPage> pages;
    for (int first = 0; first < std::max(rows, 1); first += rowsPerPage)
        for (int sheet = 0; sheet < across; ++sheet) {
            ClassReportPage page;
            page.firstRow = first;
            page.rowCount = std::clamp(rows - first, 0, rowsPerPage);
            page.firstLevel = std::min(sheet * perSheet, levels);
            page.levelCount = std::clamp(levels - page.firstLevel, 0, perSheet);
            pages.append(page);
        }
    return pages;
}

QByteArray ClassReportCsv(const ClassReport& report) {
    const QString crlf = QStringLiteral("\r\n");
    QStringList heading = {QStringLiteral("学年"), QStringLiteral("名前")};
    for (const ClassReportLevel& level : report.levels)
        for (const QString& column : LevelColumnHeadings())
            heading.append(LevelHeading(level) + QLatin1Char(' ') + column);
    QString text;
    const auto line = [&](const QStringList& fields) {
        QStringList quoted;
        quoted.reserve(fields.size());
        for (const QString& f : fields)
            quoted.append(CsvField(f));
        text += quoted.join(QLatin1Char(',')) + crlf;
    };
    line(heading);
    for (const ClassReportRow& row : report.rows) {
        QStringList fields = {row.grade, row.name};
        for (const ClassReportCell& cell : row.cells)
            fields << RunsText(cell) << BestTimeText(cell) << PointsText(cell) << ClearedText(cell);
        line(fields);
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

std::optional<FileError> WriteClassReportCsv(const ClassReport& report, const QString& path) {
    return WriteFileDurably(path, ClassReportCsv(report));
}

} // namespace baisuu
