#include "roster/roster_lines.h"

#include "roster/grades.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <string>

namespace baisuu {

namespace {

const QChar kIdeographicSpace(0x3000);

// The last width characters of blanks followed by the number.
QString lastCharacters(qint64 sum, int blanks, int width) {
    return (QString(blanks, QLatin1Char(' ')) + QString::number(sum)).right(width);
}

// The name column: 9 characters, 11 for kindergarten pupils except in mode 1.
int nameWidth(int gradeIndex, int displayMode) {
    return displayMode != 1 && IsKindergartenIndex(gradeIndex) ? 11 : 9;
}

struct WorkLine {
    int baseYear = 0;
    int yearLength = 0; // characters of the base year at the start of the line
    std::string collationKey;
    QString line;
};

std::unique_ptr<icu::Collator> japaneseCollator() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(
        icu::Collator::createInstance(icu::Locale::getJapanese(), status));
    if (U_FAILURE(status)) return nullptr;
    return collator;
}

std::string collationKey(const icu::Collator* collator, QStringView text) {
    if (!collator) return {};
    const icu::UnicodeString u(false, reinterpret_cast<const UChar*>(text.utf16()),
                               int32_t(text.size()));
    std::string key(64, '\0');
    int32_t size =
        collator->getSortKey(u, reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
    if (size > int32_t(key.size())) {
        key.resize(size_t(size));
        size = collator->getSortKey(u, reinterpret_cast<uint8_t*>(key.data()), size);
    }
    key.resize(size_t(std::max(0, size)));
    return key;
}

} // namespace

PupilFigures FiguresOf(const ResultsState& tallies, int pupil) {
    PupilFigures f;
    double todayRuns = 0;
    for (int level = 1; level < kLevelSlots; ++level) {
        const PupilLevelStats& s = tallies.at(pupil, level);
        todayRuns += s.todayAttempts;
        f.todayPoints += s.todayPoints;
        f.allRuns += s.attempts;
        f.allPoints += s.points;
    }
    f.todayRuns = qint64(todayRuns);
    return f;
}

QString TodayRunsText(qint64 sum) {
    return sum != 0 ? lastCharacters(sum, 2, 3) + QStringLiteral("回")
                    : QString(5, QLatin1Char(' '));
}

QString TodayPointsText(qint64 sum) {
    return sum != 0 ? lastCharacters(sum, 3, 4) : QStringLiteral("  ") + kIdeographicSpace;
}

QString AllRunsText(qint64 sum) {
    return sum != 0 ? lastCharacters(sum, 6, 5) + QStringLiteral("回")
                    : QString(5, QLatin1Char(' ')) + kIdeographicSpace;
}

QString AllPointsText(qint64 sum) {
    return sum != 0 ? lastCharacters(sum, 6, 7) : QString(7, QLatin1Char(' '));
}

std::optional<QString> RosterLine(const StudentEntry& entry, int gradeIndex, int displayMode,
                                  const PupilFigures& figures) {
    QString first, second;
    switch (displayMode) {
    case 0:
        first = TodayRunsText(figures.todayRuns);
        second = AllRunsText(figures.allRuns);
        break;
    case 1:
        first = TodayPointsText(figures.todayPoints);
        second = AllPointsText(figures.allPoints);
        break;
    case 2:
        first = TodayPointsText(figures.todayPoints);
        second = TodayRunsText(figures.todayRuns);
        break;
    case 3:
        first = AllPointsText(figures.allPoints);
        second = AllRunsText(figures.allRuns);
        break;
    default:
        return std::nullopt;
    }
    const QString gradeAndName =
        GradeLabelShort(gradeIndex) + QLatin1Char(' ') + entry.name.trimmed();
    const int fill = nameWidth(gradeIndex, displayMode) - int(gradeAndName.size());
    QString line = QString::number(entry.gradeBaseYear) + gradeAndName;
    if (fill > 0) line += QString(fill, kIdeographicSpace);
    line += first + QLatin1Char('/') + second + QLatin1Char('*') + QString::number(entry.number);
    return line;
}

std::optional<FileError> BuildRosterList(StudentRoster& roster, const QString& rosterPath,
                                         const RosterListSettings& settings,
                                         const ResultsState& tallies, RosterList& list) {
    list.visible = {QString::fromUtf16(kRosterListHeader)};
    list.numbers.clear();
    const int schoolYear = CurrentSchoolYear(settings.today, settings.schoolYearStartMonth);
    if (auto error = LoadRoster(roster, rosterPath, schoolYear, settings.includeStatusTwo))
        return error;

    const auto collator = japaneseCollator();
    std::vector<WorkLine> work;
    work.reserve(size_t(roster.rosterCount));
    for (int position = 1; position <= roster.rosterCount; ++position) {
        const StudentEntry& entry = roster.at(position);
        const int gradeIndex = GradeIndex(entry.gradeBaseYear, schoolYear);
        auto line =
            RosterLine(entry, gradeIndex, settings.displayMode, FiguresOf(tallies, entry.number));
        if (!line) continue;
        WorkLine w;
        w.baseYear = entry.gradeBaseYear;
        w.yearLength = int(QString::number(entry.gradeBaseYear).size());
        w.collationKey = collationKey(collator.get(), QStringView(*line).mid(w.yearLength));
        w.line = std::move(*line);
        work.push_back(std::move(w));
    }
    // Oldest base year first; Japanese order within a year; the line's own
    // characters decide what the collation holds equal, so the order never
    // depends on the order of the file.
    std::sort(work.begin(), work.end(), [](const WorkLine& a, const WorkLine& b) {
        if (a.baseYear != b.baseYear) return a.baseYear < b.baseYear;
        if (a.collationKey != b.collationKey) return a.collationKey < b.collationKey;
        return a.line < b.line;
    });

    for (const WorkLine& w : work) {
        if (!RosterListAdmits(settings.group, GradeIndex(w.baseYear, schoolYear))) continue;
        // The hidden number follows the last "*": a "*" inside a name cannot cut it off.
        const qsizetype star = w.line.lastIndexOf(QLatin1Char('*'));
        list.visible.append(w.line.mid(w.yearLength, star - w.yearLength));
        list.numbers.append(w.line.mid(w.yearLength));
    }
    return std::nullopt;
}

int NumberOfListLine(const QString& numberLine) {
    const qsizetype star = numberLine.lastIndexOf(QLatin1Char('*'));
    if (star < 0) return -1;
    bool ok = false;
    const int number = numberLine.mid(star + 1).toInt(&ok);
    return ok ? number : -1;
}

} // namespace baisuu
