#pragma once
// The roster as a spreadsheet sees it: four columns 番号,名前,学年,状態 in
// UTF-8 CSV, read into the roster's own records and written out of them.

#include "core/file_error.h"
#include "roster/roster.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
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

// The base year of a grade cell: a grade label as the grade rules name it in
// this school year ("小１", "中3", "幼２", ..., full- or half-width digits), or
// a four-digit year. nullopt for anything else.
std::optional<int> BaseYearOfGrade(const QString& cell, int currentSchoolYear);

// The rows of a CSV (UTF-8, with or without a byte order mark, CR LF or LF,
// quoted fields as spreadsheets write them) under the heading 番号,名前,学年,状態,
// or the first bad row: its line and, in Japanese, why.
std::variant<QList<CsvPupil>, FileError> ReadRosterCsv(const QByteArray& bytes, const QString& path,
                                                       int currentSchoolYear);

// The roster's text after an import (CR LF lines, in the CSV's order): a pupil
// already in the roster keeps the fields the CSV does not carry, and its line
// as written when the CSV changes nothing of it; pupils not in the CSV leave.
QString ImportedRosterText(const QList<RosterRecord>& roster, const QList<CsvPupil>& pupils);

// The CSV of a roster's records in file order: UTF-8 with a byte order mark,
// CR LF, the heading first; the grade as its label where it has one, else the
// base year, so that importing it again gives the same roster.
QByteArray RosterCsv(const QList<RosterRecord>& roster, int currentSchoolYear);

} // namespace baisuu
