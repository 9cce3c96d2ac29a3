#pragma once
// The school's roster (新名簿.txt in the data root), read only: one record of
// eight items per pupil, and the tables every reader fills from it.

#include "core/file_error.h"
#include "core/table_sizes.h"

#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace baisuu {

constexpr int kRosterCapacity = 5000; // listed entries, positions 1..5000
constexpr int kRosterTextWidth = 20;  // name and the two extra texts

struct StudentEntry {
    qint16 number = 0;
    qint16 gradeBaseYear = 0;
    qint16 extraValue1 = 0;
    qint16 extraValue2 = 0;
    QString name; // cut or blank-padded to 20 characters
    qint16 status = 0;
    QString extraText1;
    QString extraText2;
};

// The roster tables. A load overwrites the entries it touches and clears
// nothing else, so a number missing from the file keeps what an earlier load
// put there.
struct StudentRoster {
    // Listed entries in file order at positions 1..rosterCount (slot 0 unused).
    std::vector<StudentEntry> entries = std::vector<StudentEntry>(kRosterCapacity + 1);
    int rosterCount = 0;
    std::vector<qint16> rosterNumbers = std::vector<qint16>(kRosterCapacity + 2);

    // By roster number 0..5000, for every record read, listed or not.
    std::vector<QString> pupilNames = std::vector<QString>(kPupilSlots); // padded, not trimmed
    std::vector<qint16> pupilBaseYears = std::vector<qint16>(kPupilSlots);
    std::vector<QString> pupilGradeLabels = std::vector<QString>(kPupilSlots); // GradeLabelFull

    // What the last load could not take: records with a number outside 0..5000,
    // listed records beyond the 5000th, and records with missing or bad items.
    int skippedRecords = 0;
    QList<FileError> problems;

    const StudentEntry& at(int position) const { return entries[size_t(position)]; }
};

// Text cut or padded with blanks to width characters.
QString FixedWidthText(const QString& text, int width);

// One readable record of the roster file, with the line it stands on.
struct RosterRecord {
    StudentEntry entry;
    int line = 0;
    QString text; // the line as written, without its line end
};

// The readable records of a roster's text in file order; the faulty lines are
// told in *problems (with their line) and left out.
QList<RosterRecord> RosterRecords(const QString& text, const QString& path,
                                  QList<FileError>* problems);

// Reads the roster file into the tables. Records of status 0 are listed, and
// those of status 2 as well when includeStatusTwo is 1; the per-number tables
// take every record. Faulty records are skipped and told in roster.problems
// (with their line); a missing or unreadable file gives a FileError and leaves
// the tables as they were.
std::optional<FileError> LoadRoster(StudentRoster& roster, const QString& path,
                                    int currentSchoolYear, int includeStatusTwo);

// Why a new or changed record may not name pupil: a number no record of the
// roster carries, listed or left (a roster loaded once into fresh tables). A
// record keeps its own pupil, keptPupil, who may have left the roster since.
// nullopt when the record may name the pupil.
std::optional<QString> PupilRefusal(const StudentRoster& roster, int pupil, int keptPupil = -1);

} // namespace baisuu
