#pragma once
// The teacher's records manager without its screen: the list of the log's
// records, the editor of one record, and the writes that change or delete it.
// Every write compares the chosen record, read again under the lock, with the
// one the list showed, so a log that another machine changed meanwhile is
// never written from a stale list.

#include "core/file_error.h"
#include "records/result_record.h"
#include "records/results_log.h"
#include "roster/record_lines.h"
#include "roster/roster.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace baisuu {

// Where the records manager finds its files and how it names the school.
struct RecordsManagerSettings {
    QString logPath;
    QString rosterPath;
    OwnSchool school;
    QDate today;
    int schoolYearStartMonth = 4;
    LockWait wait;
};

// One pupil the editor offers: "number /  name".
struct PupilChoice {
    int number = 0;
    QString item;
};

// What the editor shows of the record it has open.
struct RecordEditorValues {
    int recordNumber = 0;
    QString numberText; // Label1
    QString levelText;  // "3ﾚﾍﾞﾙ"
    QString dateText;
    QString gradeText; // the pupil's grade, trimmed
    qint32 runTime = 0;
    int pupilChoice = -1; // index into pupilChoices(); -1 when the pupil is not on the roster
    QString pupilText;    // the combo's text
};

// What a change or a deletion came to.
struct RecordsWrite {
    enum class Outcome {
        Written,    // the log holds the change; the list is rebuilt
        Refused,    // the values were not acceptable; nothing was written
        LogChanged, // the record differs from the one shown; the list is rebuilt, nothing written
        Failed,     // a file error
    };
    Outcome outcome = Outcome::Refused;
    QString message;     // for the teacher, empty when written
    int selectLine = -1; // the line to select in the rebuilt list, -1 for none
};

class RecordsManager {
  public:
    explicit RecordsManager(RecordsManagerSettings settings);

    // Reads the roster and the log again and builds the list; closes the editor.
    std::optional<FileError> rebuild();

    const QStringList& lines() const { return list_.lines; }
    QString countText() const;
    // The record a line stands for: the number at its start, 0 for no line.
    int recordNumberOfLine(int line) const;
    // The line that shows record k, -1 when none does.
    int lineOfRecord(int k) const;

    const QList<PupilChoice>& pupilChoices() const { return choices_; }
    // The grade the editor shows for a combo text: the pupil is the number
    // before its first "/".
    QString gradeOfPupilText(const QString& pupilText) const;

    // Opens the record of the line in the editor; false for no line.
    bool open(int line);
    const std::optional<RecordEditorValues>& editor() const { return editor_; }
    void close() { editor_.reset(); }

    // Writes the open record back with the run time of timeText (kRunTimeRule)
    // and the pupil of pupilText, who must be on the roster unless the record
    // names that pupil already; every other field stays as it was read.
    RecordsWrite change(const QString& timeText, const QString& pupilText);
    // Deletes the open record.
    RecordsWrite remove();

    // The page text of 印刷: every line of the list, cut into sheets of
    // linesPerSheet lines, each sheet headed by the count, the date and
    // "n / N". The cut is made here, not by the device, so paper and PDF
    // paginate alike.
    QList<QStringList> printSheets(const QDate& today, int linesPerSheet) const;
    // True once the list has been read from the log.
    bool built() const { return built_; }

  private:
    // Nothing was written: the open record no longer stands in the log as the
    // list showed it. The list is rebuilt.
    RecordsWrite logChanged();
    RecordsWrite failure(const FileError& error);

    RecordsManagerSettings settings_;
    std::unique_ptr<StudentRoster> roster_;
    QList<ResultRecord> records_;
    RecordList list_;
    QList<PupilChoice> choices_;
    std::optional<RecordEditorValues> editor_;
    int editorLine_ = -1;
    bool built_ = false;
};

// The leading number of a text as the program reads typed numbers ("12秒" is
// 12, "abc" is 0), rounded to a whole number.
qint64 LeadingNumber(const QString& text);

} // namespace baisuu
