// The answers file: its lines, what a reader leaves out, and the append of a
// run as one write under the lock while another process holds it.

#include "records/answers_file.h"
#include "records/file_lock.h"
#include "records/sibling_programs.h"
#include "test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace baisuu {

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

Answer answer(int day, int seconds, int level, int divisor, int number, int key, bool correct,
              int ms, bool practice = false) {
    return Answer{
        QDate(2026, 12, day), seconds, level, divisor, number, key, correct, ms, practice};
}

} // namespace

TEST(AnswersFile, LinesAreWrittenAndReadBack) {
    const Answer a = answer(9, 9 * 3600 + 5 * 60 + 7, 11, 7, 91, 3, false, 2417);
    // An ordinary answer keeps its eight items; a practice answer alone has a ninth.
    EXPECT_EQ(AnswerLine(a), "2026/12/09,09:05:07,11,7,91,3,0,2417\r\n");
    EXPECT_EQ(AnswerLine(answer(9, 9 * 3600 + 5 * 60 + 7, 11, 7, 91, 3, false, 2417, true)),
              "2026/12/09,09:05:07,11,7,91,3,0,2417,1\r\n");
    const Answer cases[] = {a,
                            answer(1, 0, 1, 1, 0, 1, true, 0),
                            answer(31, 86399, 2, 2, 99, 3, true, 600000),
                            answer(5, 3600, 10, 10, 110, 1, false, 15),
                            answer(5, 3600, 10, 10, 110, 1, false, 15, true),
                            answer(31, 86399, 99, 99, 0x7fffffff, 3, true, 0x7fffffff, true)};
    for (const Answer& c : cases) {
        const QByteArray line = AnswerLine(c);
        ASSERT_TRUE(line.endsWith("\r\n"));
        EXPECT_EQ(ParseAnswerLine(line.chopped(2)), c) << line.constData();
        EXPECT_EQ(AnswerLine(*ParseAnswerLine(line.chopped(2))), line); // byte for byte
    }
    EXPECT_EQ(AnswersFilePath("/d/倍数判定/", 42), "/d/倍数判定/解答記録/0042.txt");
}

TEST(AnswersFile, LinesThatDoNotParseAreRefused) {
    const char* bad[] = {
        "",
        "2026/12/09,09:05:07,11,7,91,3,0",          // a field missing
        "2026/12/09,09:05:07,11,7,91,3,0,2417,0",   // a practice mark other than 1
        "2026/12/09,09:05:07,11,7,91,3,0,2417,2",   //
        "2026/12/09,09:05:07,11,7,91,3,0,2417,",    //   or empty
        "2026/12/09,09:05:07,11,7,91,3,0,2417,1,1", // ten items
        "2026/12/09,09:05:07,11,7,91,2,0,2417",     // key 2
        "2026/12/09,09:05:07,11,7,91,3,2,2417",     // correct 2
        "2026/13/09,09:05:07,11,7,91,3,0,2417",     // month 13
        "2026/12/9,09:05:07,11,7,91,3,0,2417",      // one-digit day
        "2026/12/09,24:05:07,11,7,91,3,0,2417",     // hour 24
        "2026/12/09,09:05:07,11,7,-91,3,0,2417",    // a sign
        "2026/12/09,09:05:07,11,7,91,3,0,2417 ",    // trailing space
        "2026/12/09 09:05:07,11,7,91,3,0,2417",     // wrong separator
    };
    for (const char* line : bad)
        EXPECT_FALSE(ParseAnswerLine(QByteArrayView(line))) << line;
}

TEST(AnswersFile, ReaderTakesEitherLineEndAndTellsTheFirstBadLinesAndCountsTheRest) {
    const QByteArray good1 = AnswerLine(answer(9, 100, 3, 3, 12, 1, true, 800));
    const QByteArray good2 = AnswerLine(answer(9, 101, 3, 3, 13, 3, true, 900));
    const QByteArray practice = AnswerLine(answer(9, 102, 3, 3, 14, 1, false, 1900, true));
    const auto lf = [](QByteArray line) { return line.replace("\r\n", "\n"); };
    const QByteArray longLine(300000, '7'); // across pieces read
    const struct {
        const char* name;
        QByteArray bytes;
        int answers;
        int firstTold, lastTold; // the lines told one by one (0: none)
        int skipped;             // every line left out
    } cases[] = {
        {"CR LF, a bad line, a torn last line", good1 + "bad\r\n" + good2 + "2026/12", 2, 2, 4, 2},
        {"LF alone, as a Linux editor saves it", lf(good1 + good2 + good1), 3, 0, 0, 0},
        {"LF and CR LF mixed", good1 + lf(good2) + good1.chopped(2) + "\n", 3, 0, 0, 0},
        {"practice lines among ordinary ones", good1 + practice + lf(practice) + good2, 4, 0, 0, 0},
        {"a stray CR inside a line", good1.chopped(2) + "\r\r\n" + good2, 1, 1, 1, 1},
        {"long lines, the last unended", good1 + longLine + "\n" + good2 + longLine, 2, 2, 4, 2},
        {"thousands of bad lines", good1 + QByteArray("x\r\n").repeated(5000) + good2, 2, 2,
         1 + kToldLines, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = writeFile(dir, "解答記録/0001.txt", c.bytes);
        AnswersRead read;
        ASSERT_FALSE(ReadAnswers(path, &read));
        EXPECT_EQ(read.answers.size(), c.answers);
        EXPECT_EQ(read.skipped.value(0).line, c.firstTold);
        EXPECT_EQ(read.skipped.isEmpty() ? 0 : read.skipped.last().line, c.lastTold);
        EXPECT_EQ(read.skipped.value(0).file, c.firstTold ? path : QString());
        EXPECT_EQ(read.skippedLines, c.skipped);
    }
    QTemporaryDir dir;
    AnswersRead none;
    EXPECT_FALSE(ReadAnswers(dir.filePath("解答記録/0002.txt"), &none));
    EXPECT_TRUE(none.answers.isEmpty() && none.skipped.isEmpty());
}

TEST(AnswersFile, AppendCreatesTheFolderAndKeepsATornLineApart) {
    QTemporaryDir dir;
    const QString path = AnswersFilePath(dir.path() + "/", 7);
    const QList<Answer> run = {answer(9, 100, 3, 3, 12, 1, true, 800),
                               answer(9, 102, 3, 3, 14, 1, false, 1200)};
    ASSERT_FALSE(AppendAnswers(path, run));
    EXPECT_EQ(bytesOf(path), AnswerLine(run[0]) + AnswerLine(run[1]));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("2026/12/09,00:0"); // an append cut short
    f.close();
    ASSERT_FALSE(AppendAnswers(path, run));
    AnswersRead read;
    ASSERT_FALSE(ReadAnswers(path, &read));
    EXPECT_EQ(read.answers, run + run);
    ASSERT_EQ(read.skipped.size(), 1);
    EXPECT_EQ(read.skipped[0].line, 3);

    // A file an editor saved with LF: the run goes on after its last line, no empty line between.
    const QString edited = AnswersFilePath(dir.path() + "/", 8);
    writeFile(dir, "解答記録/0008.txt", AnswerLine(run[0]).replace("\r\n", "\n"));
    ASSERT_FALSE(AppendAnswers(edited, run));
    AnswersRead after;
    ASSERT_FALSE(ReadAnswers(edited, &after));
    EXPECT_EQ(after.answers, QList<Answer>{run[0]} + run);
    EXPECT_EQ(after.skippedLines, 0);
}

TEST(AnswersFile, AppendWaitsForAnotherProcessHoldingTheLock) {
    QTemporaryDir dir;
    const QString path = AnswersFilePath(dir.path() + "/", 3);
    const QList<Answer> first = {answer(9, 100, 3, 3, 12, 1, true, 800)};
    ASSERT_FALSE(AppendAnswers(path, first));
    const pid_t holder = forkLockHolder(path, [&](QFile& f) {
        // Written while holding the lock: it must come before the run's lines.
        if (f.seek(f.size())) f.write(AnswerLine(first[0]));
        f.flush();
    });
    ASSERT_GT(holder, 0);
    QList<Answer> run;
    for (int i = 0; i < 25; ++i)
        run.append(answer(9, 200 + i, 5, 5, 10 + i, i % 2 ? 1 : 3, i % 3 != 0, 700 + i));
    int waits = 0;
    EXPECT_FALSE(AppendAnswers(path, run, [&] {
        ++waits;
        ::usleep(20 * 1000);
    }));
    int status = 0;
    ::waitpid(holder, &status, 0);
    EXPECT_GE(waits, 3);
    AnswersRead read;
    ASSERT_FALSE(ReadAnswers(path, &read));
    EXPECT_EQ(read.answers, first + first + run);
    EXPECT_TRUE(read.skipped.isEmpty());
}

} // namespace baisuu
