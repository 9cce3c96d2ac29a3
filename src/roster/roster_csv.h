#pragma once
// The roster as a spreadsheet sees it: four columns 番号,名前,学年,状態 under
// the school year the grades mean, read into the roster and written out of it.

#include "core/file_error.h"
#include "roster/roster.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <variant>

namespace baisuu {

// One row of the CSV, checked.
struct CsvPupil {
    int line = 0; // the line the row begins on (the heading is line 1)
    qint16 number = 0;
    QString name;
    qint16 gradeBaseYear = 0;
    qint16 status = 0;
};

// The pupils of a CSV, and the school year its grade labels were read in.
struct RosterCsvRows {
    QList<CsvPupil> pupils; // never empty
    int schoolYear = 0;     // the year of the file's 年度 line, else the import's own
    bool yearFromFile = false;
};

// The base year of a grade cell: a grade label as the grade rules name it in
// the school year schoolYear ("小１", "中3", "幼２", ..., full- or half-width
// digits), or a four-digit year. nullopt for anything else.
std::optional<int> BaseYearOfGrade(const QString& cell, int schoolYear);

// The rows of a CSV (UTF-8 with or without a byte order mark, or else
// Shift-JIS as Excel saves it; CR LF or LF; quoted fields as spreadsheets
// write them): an optional first line 年度,YYYY naming the school year the
// grade labels mean (without it they mean currentSchoolYear), the heading
// 番号,名前,学年,状態, then at least one pupil. Else the first fault: its line
// and, in Japanese, why.
std::variant<RosterCsvRows, FileError> ReadRosterCsv(const QByteArray& bytes, const QString& path,
                                                     int currentSchoolYear);

// What an import does to the roster.
struct RosterImport {
    QString text; // the roster's new text, CR LF lines
    QList<StudentEntry> added;
    QList<std::pair<StudentEntry, StudentEntry>> changed; // as it was, as it is now
    QList<StudentEntry> removed;
    int pupils = 0; // readable records in the new text
};

// The roster's text after importing pupils. The roster keeps its order and
// every line the CSV does not change, byte for byte (lines no reader takes
// too); a pupil already in it keeps the items the CSV does not carry; new
// pupils come at the end in the CSV's order. Pupils missing from the CSV stay
// unless removeMissing.
RosterImport ImportRoster(const QString& rosterText, const QList<CsvPupil>& pupils,
                          bool removeMissing);

// One Japanese line per pupil added, changed (what changed, old → new) and
// removed, by number and name, grades as labels of currentSchoolYear.
QStringList ImportReport(const RosterImport& import, int currentSchoolYear);

// The CSV of a roster's records in file order: UTF-8 with a byte order mark,
// CR LF, the line 年度,YYYY of currentSchoolYear, the heading, then the
// pupils; the grade as its label where it has one, else the base year, so
// that importing it again, in any later school year, gives the same roster.
QByteArray RosterCsv(const QList<RosterRecord>& roster, int currentSchoolYear);

} // namespace baisuu
