#include "records/criteria_files.h"
#include "records/log_bytes.h"
#include "selection/selection_fixture.h"
#include "stage_input.h"
#include "teacher/criteria_editor.h"
#include "teacher/criteria_editor_screen.h"
#include "test_support.h"
#include "text_fit.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

struct EditorFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path;
    CriteriaEditor editor;
    void SetUp() override {
        path = writeFile(dir, QStringLiteral("タイム回数データ.txt"), sjis(kThreeLevels));
        ASSERT_FALSE(editor.load(path));
    }
};

LevelHistograms histogramsOf(const QTemporaryDir& dir, const QList<RawRecord>& runs) {
    QByteArray bytes;
    for (const RawRecord& r : runs)
        bytes += rawRecord(r);
    LevelHistograms h;
    EXPECT_FALSE(ReadHistograms(writeFile(dir, QStringLiteral("log.dat"), bytes), &h));
    return h;
}

} // namespace

// Editing: what marks a cell and the table, and where the cursor may go.

TEST_F(EditorFixture, GridHoldsHeadingAndOneRowPerLevelLine) {
    ASSERT_EQ(editor.lastRow(), 3);
    EXPECT_EQ(editor.cell(0, 0), QStringLiteral("レベル"));
    EXPECT_EQ(editor.cell(0, 9), QStringLiteral("禁期間"));
    EXPECT_EQ(editor.cell(0, 10), QString());
    EXPECT_EQ(editor.cell(2, 0), QStringLiteral("2"));
    EXPECT_EQ(editor.cell(1, 5), QStringLiteral("1.5"));
    EXPECT_EQ(editor.cell(2, 7), QStringLiteral("8"));
    EXPECT_EQ(editor.cell(1, 10), QStringLiteral("x"));
    EXPECT_EQ(editor.row(), 1);
    EXPECT_EQ(editor.column(), 1);
}

TEST_F(EditorFixture, TypingTheSameTextMarksNothingAndADifferentTextMarksOnlyThatCell) {
    editor.typeText(QStringLiteral("20"));
    EXPECT_FALSE(editor.changed());
    EXPECT_FALSE(editor.marked(1, 1));

    editor.typeText(QStringLiteral("25"));
    EXPECT_TRUE(editor.changed());
    EXPECT_TRUE(editor.marked(1, 1));
    EXPECT_FALSE(editor.marked(1, 2));
    EXPECT_EQ(editor.cell(1, 1), QStringLiteral("25"));
    editor.typeText(QString()); // the blank key clears the cell
    EXPECT_EQ(editor.cell(1, 1), QString());
}

TEST_F(EditorFixture, KeysStayWithinLevelRowsAndColumnsOneToTwelve) {
    editor.press(EditorKey::Up);
    editor.press(EditorKey::Left);
    EXPECT_EQ(editor.row(), 1);
    EXPECT_EQ(editor.column(), 1);
    for (int i = 0; i < 20; ++i) {
        editor.press(EditorKey::Down);
        editor.press(EditorKey::Right);
    }
    EXPECT_EQ(editor.row(), 3);
    EXPECT_EQ(editor.column(), 12);
    EXPECT_EQ(editor.chartLevel(), 3);
    EXPECT_FALSE(editor.press(EditorKey::Esc));
    EXPECT_FALSE(editor.moveTo(0, 1)); // the heading row is not edited
    EXPECT_FALSE(editor.moveTo(2, 0));
    EXPECT_FALSE(editor.changed());
}

TEST_F(EditorFixture, ShiftDownCopiesTheCellDownAndMarksWhatItChanged) {
    ASSERT_TRUE(editor.moveTo(1, 4));
    editor.press(EditorKey::ShiftDown);
    EXPECT_EQ(editor.cell(2, 4), QStringLiteral("5"));
    EXPECT_TRUE(editor.marked(2, 4));
    EXPECT_FALSE(editor.marked(1, 4));
    EXPECT_TRUE(editor.changed());
    editor.press(EditorKey::ShiftDown);
    editor.press(EditorKey::ShiftDown); // already at the last row
    EXPECT_EQ(editor.cell(3, 4), QStringLiteral("5"));
    EXPECT_EQ(editor.row(), 1);
}

TEST_F(EditorFixture, ReloadDropsEditsAndMarks) {
    editor.typeText(QStringLiteral("99"));
    ASSERT_FALSE(editor.load(path));
    EXPECT_EQ(editor.cell(1, 1), QStringLiteral("20"));
    EXPECT_FALSE(editor.marked(1, 1));
}

// Saving: what is written, what is refused, and the criteria read back.

TEST_F(EditorFixture, SavingWritesEveryRowOfTwelveFieldsAndRoundTripsEveryCell) {
    ASSERT_TRUE(editor.moveTo(2, 5));
    editor.typeText(QStringLiteral("2.5"));
    ASSERT_TRUE(editor.moveTo(3, 11));
    editor.typeText(QStringLiteral("メモ"));
    CriteriaTable criteria;
    ASSERT_EQ(editor.save(path, criteria, 3), std::nullopt);
    EXPECT_FALSE(editor.changed());
    EXPECT_FLOAT_EQ(criteria.levels[2].pointFactor, 2.5f);
    EXPECT_EQ(criteria.levels[3].extra2.text, QStringLiteral("メモ"));

    const QByteArray bytes = readBytes(path);
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    ASSERT_EQ(lines.size(), editor.lastRow() + 1);
    for (const QByteArray& line : lines)
        EXPECT_EQ(line.count(','), 11) << line.constData();
    EXPECT_TRUE(lines[0].startsWith(sjis(QStringLiteral("目標Time,"))));
    EXPECT_TRUE(lines[0].endsWith(",,,\r"));

    CriteriaEditor again;
    ASSERT_FALSE(again.load(path));
    ASSERT_EQ(again.lastRow(), editor.lastRow());
    for (int r = 0; r <= editor.lastRow(); ++r)
        for (int c = 0; c < kEditorColumns; ++c)
            EXPECT_EQ(again.cell(r, c), editor.cell(r, c)) << r << "," << c;
}

TEST_F(EditorFixture, ARefusedSaveNamesLevelAndColumnAndLeavesTheFileAsItWas) {
    const QByteArray before = readBytes(path);
    CriteriaTable criteria;
    criteria.levels[2].clearPoints = 7;

    ASSERT_TRUE(editor.moveTo(2, 3));
    editor.typeText(QStringLiteral("１００")); // full-width digits are not a number
    auto why = editor.save(path, criteria, 3);
    ASSERT_TRUE(why);
    EXPECT_TRUE(why->contains(QStringLiteral("レベル2")));
    EXPECT_TRUE(why->contains(QStringLiteral("ｸﾘｱﾎﾟｲﾝﾄ")));
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(criteria.levels[2].clearPoints, 7);
    EXPECT_TRUE(editor.changed());

    editor.typeText(QString()); // an empty cell is allowed
    ASSERT_TRUE(editor.moveTo(3, 2));
    editor.typeText(QStringLiteral("0"));
    why = editor.save(path, criteria, 3);
    ASSERT_TRUE(why);
    EXPECT_TRUE(why->contains(QStringLiteral("レベル3")));
    EXPECT_TRUE(why->contains(QStringLiteral("最低Time")));
    EXPECT_EQ(readBytes(path), before);

    // A level the hub does not offer may keep a time of 0.
    EXPECT_EQ(editor.save(path, criteria, 2), std::nullopt);
    EXPECT_EQ(criteria.levels[3].passTime, 0);
}

TEST_F(EditorFixture, TextTheFileCannotHoldIsRefusedWithoutWriting) {
    const QByteArray before = readBytes(path);
    ASSERT_TRUE(editor.moveTo(1, 12));
    editor.typeText(QStringLiteral("😀"));
    CriteriaTable criteria;
    EXPECT_TRUE(editor.save(path, criteria, 3));
    EXPECT_EQ(readBytes(path), before);
    EXPECT_TRUE(editor.changed());
}

// Every column against the type its readers take it as. What is accepted comes
// back from the file, through the criteria reader, as the very grid that was
// saved (an empty cell of columns 1 to 5 as 0, which is what every reader makes
// of it); what is refused names level and column and writes nothing.
TEST_F(EditorFixture, EachColumnTakesOnlyWhatItsReaderReadsBackTheSame) {
    struct Column {
        int column;
        QStringList accepted, refused;
    };
    const QList<Column> columns = {
        // Whole seconds, a run time; level 1 is offered, so its times must be positive.
        {1, {"25", "99999"}, {"100000", "25.0", "1e3", "+5", " 5", "５", "0x10", "-5"}},
        {2, {"1", "19999"}, {"0.4", "0", "20000"}}, // five times it is a run time
        {3, {"2147483647", ""}, {"1.5", "007", "-1"}},
        {4, {"32767", "0"}, {"40000", "-1", "3.5"}}, // int16
        // The factor: single precision, more than 0, up to 100.
        {5, {"100", "0.1", "2.25"}, {"0", "", "100.5", "-1", "1.23456789", "1e2", "1.50", "1e-7",
                                     "0.0000001"}},
        // Counts, 0 for no limit, and whole days.
        {6, {"20", "0.5", ""}, {"-3", "abc", "1e3", "+5", "05", "１", "0x10", " 5", "5 "}},
        {7, {"8"}, {"1.0"}},
        {8, {"7"}, {".5", "2.5", "-3"}},
        {9, {"365"}, {"1,5"}},
        // Spare text: nothing the reader takes for a quote, a delimiter or a line end.
        {10,
         {"memo", "メモ", "3x", "a b"},
         {"\"memo", "a,b", "a\"b", " memo", "memo ", "a\032b", "a\r\nb", "a\tb", "05", "😀"}},
        {11, {"ｶﾅ"}, {"\""}},
        {12, {"②"}, {","}},
    };
    const QByteArray original = readBytes(path);
    auto save = [&](int column, const QString& text) {
        writeFile(dir, QStringLiteral("タイム回数データ.txt"), original);
        EXPECT_FALSE(editor.load(path));
        EXPECT_TRUE(editor.moveTo(1, column));
        editor.typeText(text);
        CriteriaTable criteria;
        return editor.save(path, criteria, 3);
    };
    for (const Column& k : columns) {
        const QString name =
            k.column <= 9 ? editor.cell(0, k.column) : QStringLiteral("%1列目").arg(k.column);
        for (const QString& text : k.refused) {
            SCOPED_TRACE(QStringLiteral("column %1: [%2]").arg(k.column).arg(text).toStdString());
            const std::optional<QString> why = save(k.column, text);
            EXPECT_TRUE(why && why->startsWith(QStringLiteral("レベル1の「%1」").arg(name)))
                << why.value_or(QStringLiteral("(saved)")).toStdString();
            EXPECT_EQ(readBytes(path), original);
        }
        for (const QString& text : k.accepted) {
            SCOPED_TRACE(QStringLiteral("column %1: [%2]").arg(k.column).arg(text).toStdString());
            const std::optional<QString> why = save(k.column, text);
            EXPECT_EQ(why, std::nullopt) << why->toStdString();
            CriteriaEditor back;
            ASSERT_FALSE(back.load(path));
            ASSERT_EQ(back.lastRow(), editor.lastRow());
            for (int r = 0; r <= editor.lastRow(); ++r)
                for (int c = 0; c < kEditorColumns; ++c) {
                    const QString saved = editor.cell(r, c);
                    EXPECT_EQ(back.cell(r, c),
                              r > 0 && c <= 5 && saved.isEmpty() ? QStringLiteral("0") : saved)
                        << r << "," << c;
                }
        }
    }
}

// Charts: bins, scale and one best time per pupil.

TEST(CriteriaCharts, ALevelWithoutRunsShowsNoRunsScaleOneAndEmptyLines) {
    QTemporaryDir dir;
    const LevelHistograms h = histogramsOf(dir, {{.pupil = 1, .level = 2, .runTime = 30}});
    const QStringList all = AllRunsChart(h, 5);
    ASSERT_EQ(all.size(), 102);
    EXPECT_EQ(all[0], QStringLiteral("レベル5 今まで0回  （★=1）"));
    EXPECT_EQ(all[1], QStringLiteral("   0～"));
    EXPECT_EQ(all[101], QStringLiteral("1000～"));
    const QStringList best = BestTimesChart(h, 5);
    ASSERT_EQ(best.size(), 32);
    EXPECT_EQ(best[0], QStringLiteral("レベル5 （★=1）"));
    EXPECT_EQ(best[31], QStringLiteral(" 300～"));
}

TEST(CriteriaCharts, LongTimesFallIntoTheLastLineAndEachPupilCountsOnceForBest) {
    QTemporaryDir dir;
    const LevelHistograms h = histogramsOf(dir, {
                                                    {.pupil = 1, .level = 3, .runTime = 1000},
                                                    {.pupil = 1, .level = 3, .runTime = 99999},
                                                    {.pupil = 2, .level = 3, .runTime = 999},
                                                    {.pupil = 2, .level = 3, .runTime = 305},
                                                    {.pupil = 3, .level = 3, .runTime = 45},
                                                    {.pupil = 3, .level = 3, .runTime = 41},
                                                    {.pupil = 3, .level = 0, .runTime = 5},
                                                });
    const QStringList all = AllRunsChart(h, 3);
    EXPECT_EQ(all[0], QStringLiteral("レベル3 今まで6回  （★=1）"));
    EXPECT_EQ(all[101], QStringLiteral("1000～★★"));
    EXPECT_EQ(all[100], QStringLiteral(" 990～★"));
    EXPECT_EQ(all[5], QStringLiteral("  40～★★"));
    EXPECT_EQ(all[1], QStringLiteral("   0～")); // level 0 is not a level's run

    const QStringList best = BestTimesChart(h, 3);
    EXPECT_EQ(best[31], QStringLiteral(" 300～★★")); // pupils 1 (1000 s) and 2 (305 s)
    EXPECT_EQ(best[5], QStringLiteral("  40～★"));   // pupil 3 once, at 41 s
}

TEST(CriteriaCharts, TheScaleIsATenthOfTheFullestBinAndStarsRoundHalfUp) {
    QList<RecordNumbers> runs;
    auto add = [&](int count, qint16 pupilFrom, qint32 time) {
        for (int i = 0; i < count; ++i) {
            RecordNumbers r;
            r.pupilNumber = qint16(pupilFrom + i);
            r.level = 4;
            r.runTime = time;
            runs.append(r);
        }
    };
    add(35, 1, 120);  // fullest bin: scale 3
    add(4, 100, 200); // 4 / 3 → 1 star
    add(5, 200, 210); // 5 / 3 → 2 stars
    const LevelHistograms h = BuildHistograms(runs);
    const QStringList all = AllRunsChart(h, 4);
    EXPECT_EQ(all[0], QStringLiteral("レベル4 今まで44回  （★=3）"));
    EXPECT_EQ(all[13], QStringLiteral(" 120～") + QString(12, QChar(0x2605)));
    EXPECT_EQ(all[21], QStringLiteral(" 200～★"));
    EXPECT_EQ(all[22], QStringLiteral(" 210～★★"));
}

TEST(CriteriaCharts, AMissingLogIsEmpty) {
    QTemporaryDir dir;
    LevelHistograms h;
    h.runs[1] = 9;
    ASSERT_FALSE(ReadHistograms(dir.filePath(QStringLiteral("none.dat")), &h));
    EXPECT_EQ(AllRunsChart(h, 1)[0], QStringLiteral("レベル1 今まで0回  （★=1）"));
}

TEST(CriteriaHelp, ColumnsWithoutACriterionHaveNoHelp) {
    EXPECT_EQ(CriteriaColumnHelp(0), QString());
    EXPECT_EQ(CriteriaColumnHelp(10), QString());
    EXPECT_EQ(CriteriaColumnHelp(5).split(QLatin1Char('\n')).size(), 3);
    EXPECT_TRUE(CriteriaColumnHelp(2).startsWith(QStringLiteral("合格最低ラインタイム\n")));
}

// The tool prints the lists the editor shows, read from the school's own log.

TEST(CriteriaChartCommand, PrintsBothListsOfTheLevelSeparatedByAHash) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    ASSERT_EQ(runProgram(QStringLiteral(BAISUU_CLI), {QStringLiteral("init-demo"), root}).code, 0);
    const QString logPath =
        writeFile(dir, QStringLiteral("school/data/倍数判定/成績累積データ.dat"),
                  rawRecord({.pupil = 3, .level = 2, .runTime = 1200}) +
                      rawRecord({.pupil = 3, .level = 2, .runTime = 25}) +
                      rawRecord({.pupil = 4, .level = 1, .runTime = 25}));
    const QStringList args = {QStringLiteral("--program-dir"), root + QStringLiteral("/倍数判定"),
                              QStringLiteral("criteria-chart"), QStringLiteral("--level"),
                              QStringLiteral("2")};
    const ProcessResult r = runProgram(QStringLiteral(BAISUU_CLI), args);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();

    LevelHistograms h;
    ASSERT_FALSE(ReadHistograms(logPath, &h));
    const QStringList expected =
        AllRunsChart(h, 2) + QStringList{QStringLiteral("#")} + BestTimesChart(h, 2);
    EXPECT_EQ(r.out, expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("レベル2 今まで2回  （★=1）\n")));

    EXPECT_EQ(runProgram(QStringLiteral(BAISUU_CLI), args.mid(0, 4) + QStringList{"0"}).code, 2);
}

} // namespace baisuu
