#pragma once
// The selection screen's pupil list as text: one line per listed pupil with two
// figures from the tallies, sorted and filtered by grade group. No widgets here;
// the screen shows the lines as they come.

#include "core/file_error.h"
#include "records/results.h"
#include "roster/roster.h"

#include <QDate>
#include <QStringList>
#include <optional>

namespace baisuu {

// The four tallies a line can show, each summed over levels 1..35.
struct PupilFigures {
    qint64 todayRuns = 0;
    qint64 todayPoints = 0;
    qint64 allRuns = 0;
    qint64 allPoints = 0;
};
PupilFigures FiguresOf(const ResultsState& tallies, int pupil);

// The figure texts, fixed width (a sum too long for its width keeps its last digits).
QString TodayRunsText(qint64 sum);
QString TodayPointsText(qint64 sum);
QString AllRunsText(qint64 sum);
QString AllPointsText(qint64 sum);

// The work-list line of one pupil: base year, short grade label, " ", the
// trimmed name, ideographic-space fill, "first/second", "*", the number.
// Display modes 0..3 choose the figures; any other mode builds no line.
std::optional<QString> RosterLine(const StudentEntry& entry, int gradeIndex, int displayMode,
                                  const PupilFigures& figures);

constexpr char16_t kRosterListHeader[] = u"－－－－－－";

struct RosterListSettings {
    int displayMode = 1;
    QString group = QStringLiteral("全学年");
    int schoolYearStartMonth = 4;
    int includeStatusTwo = 0;
    QDate today;
};

struct RosterList {
    QStringList visible; // the header line, then one line per pupil shown
    QStringList numbers; // per pupil line (visible index − 1): the line from its grade on, "*" and
                         // the number
};

// Reloads the roster into its tables and builds the pupil list for the group
// and display mode from the tallies the caller has computed. The pupils run
// from the oldest base year to the youngest, by Japanese collation of the line
// within a year. On a missing or unreadable roster the list holds the header
// alone and the error is returned.
std::optional<FileError> BuildRosterList(StudentRoster& roster, const QString& rosterPath,
                                         const RosterListSettings& settings,
                                         const ResultsState& tallies, RosterList& list);

// The roster number at the end of a number-list line (the text after its last
// "*"), or -1 when there is none.
int NumberOfListLine(const QString& numberLine);

} // namespace baisuu
