#include "records/log_bytes.h"
#include "records/results.h"
#include "test_support.h"

#include <QFile>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

// Day counts computed here from the calendar, not through the program's date helpers.
double day(int y, int m, int d) {
    return double(QDate(1899, 12, 30).daysTo(QDate(y, m, d)));
}

const double kToday = day(2026, 12, 8);

CriteriaTable criteria() {
    CriteriaTable t;
    LevelCriteria& two = t.levels[2];
    two.targetTime = 20;
    two.pointFactor = 1;
    two.clearCount = 3;
    two.clearPoints = 20;
    two.judgeDays = Value{Value::Kind::Number, 7, {}};
    two.overdoDays = Value{Value::Kind::Number, 1, {}};
    LevelCriteria& three = t.levels[3];
    three.targetTime = 30;
    three.pointFactor = 1.5f;
    // judgeDays left empty: no record lies in a period of no days
    three.overdoDays = Value{Value::Kind::Text, 0, QStringLiteral("2日")};
    return t;
}

QString writeLog(const QTemporaryDir& dir, const QList<RawRecord>& records,
                 const QByteArray& tail = {}) {
    QByteArray bytes;
    for (const RawRecord& r : records)
        bytes += rawRecord(r);
    return writeFile(dir, QStringLiteral("成績累積データ.dat"), bytes + tail);
}

} // namespace

TEST(Points, TargetTimeRuleWithFactorAndItsEdges) {
    LevelCriteria c;
    c.targetTime = 20;
    c.pointFactor = 1;
    const std::pair<qint32, int> cases[] = {
        {0, 55},  {10, 11}, {20, 5},    {21, 4},    {39, 4},    {40, 1},
        {199, 1}, {200, 0}, {99997, 0}, {99998, 0}, {99999, 0},
    };
    for (const auto& [t, points] : cases) {
        EXPECT_EQ(PointsOfRun(c, t).base, points) << t;
        EXPECT_EQ(RecordPoints(c, t), points) << t;
    }
    c.pointFactor = 1.5f;
    EXPECT_EQ(PointsOfRun(c, 20).base, 5);
    EXPECT_EQ(PointsOfRun(c, 20).total, 7);
    EXPECT_EQ(RecordPoints(c, 40), 1);
    // The single-precision factor 0.7 is a little below 0.7; the product is rounded down.
    c.targetTime = 100;
    c.pointFactor = 0.7f;
    EXPECT_EQ(PointsOfRun(c, 52).base, 10);
    EXPECT_EQ(PointsOfRun(c, 52).total, 6);

    // No target: no points and no division by zero.
    for (const qint32 target : {0, -5}) {
        c.targetTime = target;
        EXPECT_EQ(PointsOfRun(c, 0).total, 0);
        EXPECT_EQ(RecordPoints(c, 10), 0);
    }
}

TEST(Points, TalliesUseTheFirstThreeDigitsOfTheTime) {
    EXPECT_EQ(ThreeCharacterTime(5), 5);
    EXPECT_EQ(ThreeCharacterTime(999), 999);
    EXPECT_EQ(ThreeCharacterTime(1234), 123);
    EXPECT_EQ(ThreeCharacterTime(99999), 999);
    EXPECT_EQ(ThreeCharacterTime(-5), -5);
    EXPECT_EQ(ThreeCharacterTime(-1234), -12);
    LevelCriteria c;
    c.targetTime = 2000;
    c.pointFactor = 1;
    EXPECT_EQ(PointsOfRun(c, 1234).base, 7); // the run time itself
    EXPECT_EQ(RecordPoints(c, 1234), 46);    // 123 on the curve
}

TEST(Results, MissingLogGivesEmptyTablesAndIsNotCreated) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("成績累積データ.dat"));
    auto state = std::make_unique<ResultsState>();
    state->at(3, 4).points = 77;
    state->at(3, 4).averageTime = 12;
    ASSERT_FALSE(
        ComputeLevelStats(*state, criteria(), path, QDateTime(QDate(2026, 12, 8), QTime(9, 0))));
    EXPECT_FALSE(QFile::exists(path)); // a reader never writes
    EXPECT_TRUE(state->results.isEmpty());
    EXPECT_EQ(state->at(3, 4).points, 0);
    EXPECT_EQ(state->at(3, 4).averageTime, 0);
    EXPECT_TRUE(std::all_of(state->bestTime.begin(), state->bestTime.end(),
                            [](qint32 t) { return t == kNoTime; }));
    EXPECT_EQ(state->levelBestTime[5], kNoTime);
}

TEST(Results, TalliesCountPeriodsTodayPointsAndAverages) {
    QTemporaryDir dir;
    const QList<RawRecord> records = {
        {kToday, 0.4, 7, 2, 20},
        {kToday, 0.5, 7, 2, 99999}, // timed out: no points, not counted, 999 in the sums
        {kToday - 1, 0.5, 7, 2, 10},
        {kToday - 6, 0.5, 7, 2, 40},
        {kToday - 7, 0.5, 7, 2, 21},    // just outside seven days
        {kToday - 30, 0.5, 7, 2, 6000}, // stays in the log, not counted
        {kToday, 0.5, 7, 3, 30},
        {kToday - 1, 0.5, 7, 3, 30},
        {kToday - 2, 0.5, 7, 3, 30},
        {kToday, 0.5, 9, 2, 25},
    };
    const QString path = writeLog(dir, records);
    auto state = std::make_unique<ResultsState>();
    for (const QTime time : {QTime(15, 30), QTime(0, 0)}) {
        SCOPED_TRACE(time.toString().toStdString());
        ASSERT_FALSE(
            ComputeLevelStats(*state, criteria(), path, QDateTime(QDate(2026, 12, 8), time)));
        EXPECT_EQ(state->results.size(), records.size());
        const PupilLevelStats& s = state->at(7, 2);
        EXPECT_EQ(s.attempts, 4);
        EXPECT_EQ(s.points, 5 + 0 + 11 + 1 + 4 + 0);
        EXPECT_EQ(s.timeSum, 20 + 999 + 10 + 40 + 21 + 600);
        EXPECT_EQ(s.averageTime, 423); // 1690 / 4 = 422.5, rounded half up
        EXPECT_EQ(s.judgeAttempts, 3);
        EXPECT_EQ(s.judgePoints, 5 + 0 + 11 + 1);
        EXPECT_EQ(s.overdoAttempts, 1); // one day: today only
        EXPECT_EQ(s.overdoPeriodPoints, 5);
        EXPECT_EQ(s.todayAttempts, 1);
        EXPECT_EQ(s.todayTimeSum, 20 + 999);
        EXPECT_EQ(s.todayPoints, 5);
        EXPECT_EQ(s.todayAverageTime, 1019);

        const PupilLevelStats& three = state->at(7, 3);
        EXPECT_EQ(three.points, 3 * 7);     // floor(5 × 1.5) each
        EXPECT_EQ(three.judgeAttempts, 0);  // empty period: nothing
        EXPECT_EQ(three.overdoAttempts, 2); // "2日" reads as two days: today and yesterday
        EXPECT_EQ(three.overdoPeriodPoints, 14);
        EXPECT_EQ(state->at(9, 2).todayPoints, 4);
        EXPECT_EQ(state->at(9, 2).averageTime, 25);
        EXPECT_EQ(state->at(8, 2).attempts, 0);
    }
}

TEST(Results, KeepsOnlyUsableRecordsAndSkipsOutOfRangeOnes) {
    QTemporaryDir dir;
    const QString path =
        writeLog(dir,
                 {
                     {kToday, 0.5, 8, 2, 3, "99999"}, // best time even from another school
                     {-1, 0.5, 8, 2, 2},     // no date: not kept, but its time is a best time
                     {kToday, 0.5, 0, 2, 1}, // pupil 0: not kept
                     {kToday, 0.5, 8, 0, 1}, // level 0: not kept
                     {kToday, 0.5, 5001, 2, 1},
                     {kToday, 0.5, -1, 2, 1},
                     {kToday, 0.5, 8, 36, 1},
                     {kToday, 0.5, 1001, 2, 1}, // not a school best: above 1000
                     {kToday, 0.5, 1000, 4, 50},
                     {kToday, 0.5, 8, 4, 60},
                 },
                 QByteArray("torn tail bytes"));
    auto state = std::make_unique<ResultsState>();
    ASSERT_FALSE(LoadResults(*state, path));
    EXPECT_EQ(state->results.size(), 4); // 8/2, 1001/2, 1000/4, 8/4
    EXPECT_EQ(state->skippedRecords, 3);
    EXPECT_EQ(state->results[1].pupilNumber, 1001);
    EXPECT_EQ(state->best(8, 2), 2);
    EXPECT_EQ(state->best(0, 2), 1);
    EXPECT_EQ(state->best(1001, 2), 1);
    EXPECT_EQ(state->levelBestTime[2], 2);
    EXPECT_EQ(state->levelBestTime[4], 50);
    EXPECT_EQ(state->levelBestTime[3], kNoTime);

    // Garbage of every kind loads without harm and keeps the good records around it.
    QByteArray garbage = rawRecord({kToday, 0.5, 8, 2, 30});
    for (int i = 0; i < 44 * 50; ++i)
        garbage.append(char((i * 7919 + 13) % 251));
    garbage += rawRecord({kToday, 0.5, 9, 3, 40});
    const QString bad = writeFile(dir, QStringLiteral("bad/成績累積データ.dat"), garbage);
    ASSERT_FALSE(
        ComputeLevelStats(*state, criteria(), bad, QDateTime(QDate(2026, 12, 8), QTime(12, 0))));
    EXPECT_EQ(state->best(8, 2), 30);
    EXPECT_EQ(state->best(9, 3), 40);
    EXPECT_GT(state->skippedRecords, 0);
}

TEST(Results, RecordingARunSetsTheOutcomeFlagsAndAppendsTheRecord) {
    QTemporaryDir dir;
    const QString path = writeLog(dir,
                                  {{kToday - 1, 0.5, 7, 2, 10},
                                   {kToday - 1, 0.5, 7, 2, 12},
                                   {kToday - 2, 0.5, 7, 2, 12},
                                   {kToday - 1, 0.5, 8, 2, 8}},
                                  QByteArray(20, 'x'));
    const CriteriaTable table = criteria();
    const QDateTime now(QDate(2026, 12, 8), QTime(14, 5, 9, 600));
    auto state = std::make_unique<ResultsState>();
    ASSERT_FALSE(ComputeLevelStats(*state, table, path, now));

    // Pupil 7 has 3 runs and 11 + 8 + 8 = 27 points: cleared before this run.
    ASSERT_FALSE(Seisekikiroku(*state, table, path, {7, 2, 9, QStringLiteral("12345"), now}));
    EXPECT_EQ(state->wasCleared, 1);
    EXPECT_EQ(state->newPersonalBest, 1);
    EXPECT_EQ(state->newSchoolBest, 0); // pupil 8 holds 8
    EXPECT_EQ(state->best(7, 2), 9);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 5 * 44); // the torn tail was overwritten
    const QByteArray expected = rawRecord(
        {kToday, (14 * 3600 + 5 * 60 + 9) / 86400.0, 7, 2, 9, "12345", "     ", "0    ", "     "});
    EXPECT_EQ(bytes.mid(4 * 44), expected);

    // Any pupil sets the school's best, a guest numbered above 1000 too; the
    // tallies' school best still counts pupils 1..1000 only.
    state->newPersonalBest = 0;
    ASSERT_FALSE(Seisekikiroku(*state, table, path, {1500, 2, 7, QString(), now}));
    EXPECT_EQ(state->newPersonalBest, 1);
    EXPECT_EQ(state->newSchoolBest, 1);
    EXPECT_EQ(state->levelBestTime[2], 7);
    EXPECT_EQ(state->wasCleared, 0);
    ASSERT_FALSE(ComputeLevelStats(*state, table, path, now));
    EXPECT_EQ(state->levelBestTime[2], 8);
    state->newSchoolBest = 0;
    ASSERT_FALSE(Seisekikiroku(*state, table, path, {5, 2, 7, QString(), now}));
    EXPECT_EQ(state->newSchoolBest, 1);
    EXPECT_EQ(state->levelBestTime[2], 7);

    EXPECT_TRUE(Seisekikiroku(*state, table, path, {5, 36, 7, QString(), now}).has_value());
}

TEST(Results, FiguresThatCannotBeHeldStopAtTheirLimitsInsteadOfWrapping) {
    QTemporaryDir dir;
    CriteriaTable table = criteria();
    table.levels[2].pointFactor = 100000000.0f; // 55 points become 5.5e9
    table.levels[3].pointFactor = float(1e39);  // read into single precision: infinity
    EXPECT_EQ(PointsOfRun(table.levels[2], 0).total, 2147483647);
    EXPECT_EQ(PointsOfRun(table.levels[3], 0).total, 0);
    EXPECT_EQ(PointsOfRun(table.levels[3], 99999).total, 0); // 0 x infinity is no number
    EXPECT_EQ(RecordPoints(table.levels[3], 5), 0);
    EXPECT_EQ(CountedPointFactor(table.levels[3].pointFactor), 0.0f);

    const QString path =
        writeLog(dir, {{kToday, 0.4, 7, 2, 0}, {kToday, 0.5, 7, 2, 1}, {kToday, 0.6, 7, 3, 0}});
    auto state = std::make_unique<ResultsState>();
    ASSERT_FALSE(
        ComputeLevelStats(*state, table, path, QDateTime(QDate(2026, 12, 8), QTime(15, 0))));
    const PupilLevelStats& s = state->at(7, 2);
    EXPECT_EQ(s.points, 2147483647);
    EXPECT_EQ(s.judgePoints, 2147483647);
    EXPECT_EQ(s.overdoPeriodPoints, 2147483647);
    EXPECT_EQ(s.todayPoints, 2147483647);
    EXPECT_EQ(state->at(7, 3).points, 0);
}

TEST(Results, AFactorIsShownInItsShortestDecimalForm) {
    EXPECT_EQ(FactorText(0.8f), QStringLiteral("0.8"));
    EXPECT_EQ(FactorText(1.1f), QStringLiteral("1.1"));
    EXPECT_EQ(FactorText(2.0f), QStringLiteral("2"));
}

} // namespace baisuu
