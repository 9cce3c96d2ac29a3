#pragma once
// A pupil's answers file, "解答記録/NNNN.txt" in the data folder: one line per
// answered problem of every recorded run, so the numbers a pupil gets wrong
// can be told. Only this program writes or reads it; older programs of the
// family never look at the folder.
//
// A line: yyyy/MM/dd,HH:mm:ss,level,divisor,number,key,correct,ms CR LF,
// and for an answer of a practice run a ninth item ,1 before the line end.
// An ordinary answer has no ninth item, so its line stays as it always was;
// a ninth item other than 1 makes the line a bad one, so that every answer
// has one spelling and a line reads back to the bytes it was written as.
// A file an editor saved with LF alone reads the same.

#include "core/file_error.h"
#include "records/results_log.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace baisuu {

struct Answer {
    QDate date;      // the day of the answer, by the program's clock
    int seconds = 0; // its time of day in seconds since midnight
    int level = 0;
    int divisor = 0;   // 1 and 2: odd and even; 3..10: multiples
    qint32 number = 0; // the number shown
    int key = 0;       // 1 or 3, the key the answer stands for
    bool correct = false;
    qint32 ms = 0;         // from the number being shown to the answer
    bool practice = false; // asked by a practice run, which the results log never sees
    bool operator==(const Answer&) const = default;
};

QString AnswersFolder(const QString& dataFolder);
QString AnswersFilePath(const QString& dataFolder, int pupil);

// One line, CR LF included.
QByteArray AnswerLine(const Answer& answer);
// One line without its CR LF; nullopt when it does not parse.
std::optional<Answer> ParseAnswerLine(QByteArrayView line);

// Appends the lines of one run in a single write under the file's whole-file
// lock, creating the folder and the file when missing. A busy lock is waited
// for with wait.
std::optional<FileError> AppendAnswers(const QString& path, const QList<Answer>& answers,
                                       const LockWait& wait = {});

// Reads the file a piece at a time, in file order: take gets each answer with
// its line number, skip each line left out (one that does not parse, or a
// last line without its line end, which an append cut short leaves) with its
// number and why. Memory does not grow with the file, however damaged: a line
// far longer than an answer's is not kept while it is read. A missing file
// reads as empty; an unreadable one is an error.
using AnswerTaker = std::function<void(const Answer& answer, int line)>;
using LineSkipper = std::function<void(int line, const QString& why)>;
std::optional<FileError> ScanAnswers(const QString& path, const AnswerTaker& take,
                                     const LineSkipper& skip);

// How many of a file's bad lines are told one by one; the rest are counted.
constexpr int kToldLines = 20;

// What a file held: its answers in file order, a FileError with the line for
// each of the first kToldLines lines left out, and how many were left out.
struct AnswersRead {
    QList<Answer> answers;
    QList<FileError> skipped;
    int skippedLines = 0;
};
std::optional<FileError> ReadAnswers(const QString& path, AnswersRead* out);

} // namespace baisuu
