#pragma once
// The results log as the teacher reads it: the records manager's list lines
// and the CSV export, each record with its pupil's name and grade from the roster.

#include "core/level_catalog.h"
#include "records/criteria_table.h"
#include "records/result_record.h"
#include "roster/roster.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace baisuu {

// Whose records these are: a record is the school's own when its school code
// field holds the school's code as a record would store it.
struct OwnSchool {
    QString schoolCode;
    QString siteName;
};

// The list of the records manager: every record whose level is not 0, with the
// record number of each line (a line's position and its record number part
// once the log holds a record of level 0). The line of record k (1-based):
// number, date, time of day, level, run time, pupil number, name, grade label,
// and the site name or "他塾". Numbers wider than their column are shown whole.
struct RecordList {
    QStringList lines;
    QList<int> recordNumbers;
};
RecordList RecordListLines(const QList<ResultRecord>& records, const StudentRoster& roster,
                           const OwnSchool& school);

// A CSV field as RFC 4180 writes it: quoted, its quotes doubled, when it holds
// a comma, a quote or a line end; as it stands otherwise.
QString CsvField(const QString& text);

// Every record as CSV for a spreadsheet: UTF-8 with a byte order mark, CR LF
// line ends, fields quoted where they hold a comma, a quote or a line end.
// Points follow the tallies' rule for the record's level; a record whose
// level lies outside 1..35 has no points and no level name.
QByteArray RecordsCsv(const QList<ResultRecord>& records, const StudentRoster& roster,
                      const CriteriaTable& criteria, const LevelCatalog& catalog);

} // namespace baisuu
