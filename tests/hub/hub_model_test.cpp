// What the hub shows, without a window: level opening, layout, column texts,
// rankings, keys, and the whole view over a log written byte by byte.

#include "hub/hub_model.h"
#include "hub/result_lists.h"
#include "records/log_bytes.h"
#include "records/results_backup.h"
#include "test_support.h"

#include <QDir>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

Value number(double v) {
    return Value{Value::Kind::Number, v, {}};
}

struct HubModelTest : ::testing::Test {
    HubModelTest() {
        BuildLevelCatalog(catalog);
        for (int level = 1; level <= 11; ++level) {
            LevelCriteria& c = criteria.levels[level];
            c.targetTime = 30;
            c.passTime = 60;
            c.clearPoints = 20;
            c.clearCount = 3;
            c.pointFactor = 1;
            c.judgeDays = number(7);
            c.overdoDays = number(1);
            c.overdoCount = number(5);
        }
        // Pupils 1..4 listed in this order: 3 and 4 are in the sixth grade, 1 and 2 in the first.
        const int pupils[] = {1, 2, 3, 4};
        const int baseYears[] = {2019, 2019, 2014, 2014};
        const char16_t* names[] = {u"青木　さくら", u"石井　はると", u"上田　ゆい",
                                   u"江口　そうた"};
        for (int k = 0; k < 4; ++k) {
            roster.rosterNumbers[size_t(k) + 1] = qint16(pupils[k]);
            roster.pupilNames[size_t(pupils[k])] =
                QString::fromUtf16(names[k]) + QStringLiteral("    ");
            roster.pupilBaseYears[size_t(pupils[k])] = qint16(baseYears[k]);
        }
        roster.rosterCount = 4;
    }

    // Runs of pupil 1 at level written into a log, then tallied as of now.
    void tally(const QList<RawRecord>& runs, const QDateTime& now) {
        QByteArray bytes;
        for (const RawRecord& r : runs)
            bytes += rawRecord(r);
        const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), bytes);
        ASSERT_FALSE(ComputeLevelStats(*results, criteria, path, now));
    }

    QTemporaryDir dir;
    LevelCatalog catalog;
    CriteriaTable criteria;
    StudentRoster roster;
    std::unique_ptr<ResultsState> results = std::make_unique<ResultsState>();
};

const QDateTime kNow(QDate(2026, 12, 8), QTime(16, 0));
const double kToday = double(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 8)));

} // namespace

TEST_F(HubModelTest, OverdoneLevelsAreBlockedUntilTheNextDayOrTheGoalAndTheLastNeverIs) {
    QList<RawRecord> runs;
    for (int i = 0; i < 4; ++i)
        runs.append({kToday, 0.5, 1, 3, 40});
    for (int i = 0; i < 9; ++i) // time-outs count for nothing
        runs.append({kToday, 0.5, 1, 4, 99999});
    for (int i = 0; i < 7; ++i) // the last level, however often (too slow to clear it)
        runs.append({kToday, 0.5, 1, 11, 700});
    tally(runs, kNow);
    LevelOpening open = OpenLevels(catalog, criteria, *results, 1);
    for (int level = 1; level <= 11; ++level) {
        EXPECT_TRUE(open.enabled[level]) << level;
        EXPECT_FALSE(open.blocked[level]) << level;
    }

    runs.append({kToday, 0.5, 1, 3, 40}); // the fifth counted run of today
    tally(runs, kNow);
    open = OpenLevels(catalog, criteria, *results, 1);
    EXPECT_FALSE(open.enabled[3]);
    EXPECT_TRUE(open.blocked[3]);
    EXPECT_TRUE(open.enabled[4]);
    EXPECT_TRUE(open.enabled[11]);
    EXPECT_EQ(OpenLevels(catalog, criteria, *results, 2).blocked[3], false); // another pupil

    tally(runs, kNow.addDays(1)); // the runs leave the one-day period
    EXPECT_TRUE(OpenLevels(catalog, criteria, *results, 1).enabled[3]);

    // The goal level cleared within its judgement period lifts every limit.
    tally(runs, kNow);
    criteria.levels[11].clearCount = 7;
    criteria.levels[11].clearPoints = 0;
    open = OpenLevels(catalog, criteria, *results, 1);
    EXPECT_EQ(open.finalLevelCleared, 1);
    EXPECT_TRUE(open.enabled[3]);
    EXPECT_FALSE(open.blocked[3]);

    // Points within the period block too; no limits at all, never.
    criteria.levels[11].clearCount = 99;
    criteria.levels[3].overdoCount = number(0);
    criteria.levels[3].overdoPoints = number(20); // five runs of 4 points
    EXPECT_TRUE(OpenLevels(catalog, criteria, *results, 1).blocked[3]);
    criteria.levels[3].overdoPoints = Value{};
    EXPECT_FALSE(OpenLevels(catalog, criteria, *results, 1).blocked[3]);
}

TEST_F(HubModelTest, ColumnsScrollFromFiveLevelsOn) {
    const ColumnLayout four = HubColumnLayout(4);
    EXPECT_EQ(four.width, 3648);
    EXPECT_FALSE(four.scrollBar);
    EXPECT_EQ(four.scrollMaximum, 0);
    const ColumnLayout five = HubColumnLayout(5);
    EXPECT_EQ(five.width, 3456);
    EXPECT_TRUE(five.scrollBar);
    EXPECT_EQ(five.scrollMaximum, 2);
    EXPECT_EQ(HubColumnLayout(35).scrollMaximum, 32);
    EXPECT_EQ(HubColumnLayout(1).width, 14592);

    const ColumnLayout eleven = HubColumnLayout(11);
    EXPECT_EQ(ClampFirstColumn(0, eleven), 1);
    EXPECT_EQ(ClampFirstColumn(8, eleven), 8);
    EXPECT_EQ(ClampFirstColumn(9, eleven), 1);
    EXPECT_EQ(ClampFirstColumn(3, four), 1);
    EXPECT_EQ(ColumnLeft(3, 3, eleven), 0);
    EXPECT_EQ(ColumnLeft(5, 3, eleven), 2 * 3456);
    EXPECT_EQ(ColumnLeft(2, 3, eleven), -1);
}

TEST_F(HubModelTest, ColumnTexts) {
    EXPECT_EQ(StartCaption(11), QStringLiteral("ｽﾀｰﾄ(&11)"));
    const LevelCaption plain = LevelCaptionOf(QStringLiteral("１０の倍数"), 10, roster);
    EXPECT_EQ(plain.caption, QStringLiteral("１０の倍数"));
    EXPECT_EQ(plain.tooltip, QStringLiteral("１０の倍数"));
    EXPECT_FALSE(plain.small);
    // A sibling's level named after pupil 3: the middle of the name, _1 or _2 by the column.
    const LevelCaption own = LevelCaptionOf(QStringLiteral("0003九九の練習表"), 5, roster);
    EXPECT_EQ(own.caption, QStringLiteral("九九_1"));
    EXPECT_EQ(own.tooltip, QStringLiteral("上田　ゆい九九の練習表"));
    EXPECT_TRUE(own.small);
    EXPECT_EQ(LevelCaptionOf(QStringLiteral("0003九九の練習表"), 6, roster).caption,
              QStringLiteral("九九_2"));

    PupilLevelStats s;
    EXPECT_EQ(TodayTallyText(s), QStringLiteral("-----"));
    EXPECT_EQ(AllTimeTallyText(s), QStringLiteral("------"));
    s.todayAttempts = 2;
    s.todayPoints = 13;
    s.attempts = 12;
    s.points = 1234;
    s.judgeAttempts = 3;
    s.judgePoints = 20;
    EXPECT_EQ(TodayTallyText(s), QStringLiteral("2回/13点"));
    EXPECT_EQ(AllTimeTallyText(s), QStringLiteral("12回/1234点"));
    LevelCriteria c = criteria.levels[1];
    EXPECT_EQ(JudgeLineText(c, s), QStringLiteral("最近7日=3回 / 20点"));
    c.pointFactor = 1.5f;
    EXPECT_EQ(CriteriaLineText(c, true), QStringLiteral("目標=30秒 3回/20点(×1.5)"));
    c.pointFactor = 2;
    EXPECT_EQ(CriteriaLineText(c, true), QStringLiteral("目標=30秒 3回/20点(×2)"));
    c.clearPoints = 9999;
    EXPECT_EQ(CriteriaLineText(c, true), QStringLiteral("目標=30秒 --------"));
    EXPECT_EQ(CriteriaLineText(c, false), QStringLiteral("◎=30点以上"));
}

TEST_F(HubModelTest, RankingsShareRanksAndNumberPupilsOutsideTheGroup) {
    // Points at level 2: pupils 3 and 1 tie at 40; 2 has 20, 4 none.
    results->at(1, 2).points = 40;
    results->at(3, 2).points = 40;
    results->at(3, 2).todayPoints = 5;
    results->at(2, 2).points = 20;
    results->at(2, 2).todayPoints = 20;
    RankingRequest r;
    r.level = 2;
    r.pupil = 2;
    r.schoolYear = 2026; // base year 2019: 小１; 2014: 小６
    Ranking all = RankLevel(r, roster, *results, catalog);
    ASSERT_EQ(all.lines.size(), 4);
    EXPECT_EQ(all.lines[0],
              QStringLiteral(" 1⑥上田　ゆい  5/   40")); // today's points break the tie
    EXPECT_EQ(all.lines[1], QStringLiteral(" 1①青木　さく  0/   40"));
    EXPECT_EQ(all.lines[2], QStringLiteral(" 3●石井　はる 20/   20"));
    EXPECT_EQ(all.lines[3], QStringLiteral(" 4⑥江口　そう  0/    0"));
    EXPECT_EQ(all.ownLine, 2);

    r.group = QStringLiteral("小１"); // the sixth-graders are numbered, not listed
    all = RankLevel(r, roster, *results, catalog);
    EXPECT_EQ(all.lines, (QStringList{QStringLiteral(" 1①青木　さく  0/   40"),
                                      QStringLiteral(" 3●石井　はる 20/   20")}));

    r.group = QStringLiteral("全学年");
    r.order = 2; // by today's points; no points today, no line
    all = RankLevel(r, roster, *results, catalog);
    EXPECT_EQ(all.lines, (QStringList{QStringLiteral(" 1●石井　はる 20/   20"),
                                      QStringLiteral(" 2⑥上田　ゆい  5/   40")}));

    // Best times: a shared time shares the rank, no run gives "--" and "------".
    r.mode = ListMode::Time;
    results->best(1, 2) = 23;
    results->best(2, 2) = 23;
    results->best(3, 2) = 99998;
    all = RankLevel(r, roster, *results, catalog);
    EXPECT_EQ(all.lines, (QStringList{QStringLiteral(" 1①青木　さく    23 　"),
                                      QStringLiteral(" 1●石井　はる    23 ●"),
                                      QStringLiteral(" 3⑥上田　ゆい*失敗* 　"),
                                      QStringLiteral("--⑥江口　そう------ 　")}));
    r.lookup = true;
    EXPECT_EQ(RankLevel(r, roster, *results, catalog).lines[3],
              QStringLiteral("---⑥江口　そう------ 　"));
}

TEST_F(HubModelTest, TimeRankingsOfAPointLevelAndTheLookersOwnRank) {
    // At a point level the highest figure leads; the looker's rank counts
    // outside the group too, and a looker without a run at a timed level has none.
    catalog.levelTimed[2] = 0;
    results->best(1, 2) = 25;
    results->best(2, 2) = 40;
    results->best(3, 2) = 40;
    RankingRequest r;
    r.level = 2;
    r.mode = ListMode::Time;
    r.pupil = 3;
    r.schoolYear = 2026;
    r.group = QStringLiteral("小１");
    const Ranking points = RankLevel(r, roster, *results, catalog);
    EXPECT_EQ(points.lines, (QStringList{QStringLiteral(" 1①石井　はる    40 　"),
                                         QStringLiteral(" 3①青木　さく    25 　")}));
    EXPECT_EQ(points.ownRank, 1);
    EXPECT_EQ(points.ownLine, -1);

    catalog.levelTimed[2] = 1;
    r.pupil = 4;
    r.group = QStringLiteral("全学年");
    const Ranking times = RankLevel(r, roster, *results, catalog);
    EXPECT_EQ(times.ownRank, 0);
    EXPECT_EQ(times.ownLine, 3);
    EXPECT_EQ(times.lines[3], QStringLiteral("--●江口　そう------ ●"));
}

TEST_F(HubModelTest, KeysStartOfferedLevelsOnly) {
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("1"), 11), 1);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("9"), 11), 9);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("a"), 11), 10);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("b"), 11), 11);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("b"), 10), -1);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("c"), 11), -1);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("d"), 13), 13);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("5"), 4), -1);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("A"), 11), -1);
    EXPECT_EQ(LevelOfHubKey(QStringLiteral("0"), 11), 0);
    EXPECT_EQ(LevelOfHubKey(QString(), 11), -1);
}

TEST_F(HubModelTest, TheViewOfAPupilAndOfATeacher) {
    Hensuu1 state;
    state.catalog = catalog;
    state.contentName = QStringLiteral("倍数判定");
    state.currentPupil = 1;
    state.pupilName = roster.pupilNames[1];
    state.pupilGrade = QStringLiteral("小１");
    state.siteName = QStringLiteral("本町教室");
    state.pupilStartTime = 15 * 3600 + 30 * 60;
    state.firstColumn = 20;
    tally({{kToday, 0.5, 1, 1, 30}, {kToday, 0.6, 1, 2, 40}, {kToday - 3, 0.5, 1, 1, 25}}, kNow);
    HubView view = BuildHubView(state, criteria, *results, roster, QStringLiteral("全学年"), kNow);
    EXPECT_EQ(view.pupilLine, QStringLiteral("青木　さくら 小１"));
    EXPECT_EQ(view.numberAndSite, QStringLiteral("1:本町教室"));
    EXPECT_EQ(view.minutesSinceStart, QStringLiteral("起動後30分"));
    EXPECT_EQ(view.todayRunCount, QStringLiteral("本日総回数＝2回"));
    EXPECT_EQ(view.contentNamePoints, 24);
    EXPECT_FALSE(view.teacherMode);
    EXPECT_EQ(view.firstColumn, 1);
    ASSERT_EQ(view.columns.size(), 11);
    const HubColumn& one = view.columns[0];
    EXPECT_EQ(one.caption.caption, QStringLiteral("偶数奇数"));
    EXPECT_EQ(one.today, QStringLiteral("1回/5点"));
    EXPECT_EQ(one.allTime, QStringLiteral("2回/10点"));
    EXPECT_EQ(one.judge, QStringLiteral("最近7日=2回 / 10点"));
    EXPECT_EQ(one.list.value(0), QStringLiteral(" 1●青木　さく  5/   10"));
    EXPECT_EQ(one.ownLine, 0);

    state.pupilName = QStringLiteral("山田先生");
    EXPECT_TRUE(BuildHubView(state, criteria, *results, roster, QStringLiteral("全学年"), kNow)
                    .teacherMode);
    state.pupilName = QStringLiteral("★見学");
    EXPECT_TRUE(BuildHubView(state, criteria, *results, roster, QStringLiteral("全学年"), kNow)
                    .teacherMode);
}

// A teacher's notice, from the copies beside the log, this machine's
// unwritten answers files and its failed sync; none for a pupil, none once
// the cause is gone. What to check follows the cause; a sync's reason comes last.
TEST_F(HubModelTest, ATeachersNoticeTellsOfAnOldOrMissingCopyUnwrittenAnswersAndAFailedSync) {
    const QString log = dir.filePath(QStringLiteral("成績累積データ.dat"));
    const QString none = QStringLiteral("成績のバックアップがありません。");
    const QString folder = QStringLiteral("IT担当の方にデータフォルダを確かめてもらってください。");
    const QString unsent = QStringLiteral("本部へ成績を送れませんでした。");
    const QString setting = QStringLiteral("baisuu.conf の [chain] database");
    const char16_t* const why = u"データベースにつながりません。\n（no such host）";
    const struct {
        const char16_t* name;
        bool log;
        int copyDaysAgo; // -1: only tomorrow's, a wrong clock's; 99: none
        int answersUnwritten;
        const char16_t* syncFailure;
        QString says; // empty: no notice
    } cases[] = {
        {u"山田先生", true, 1, 0, u"", {}},
        {u"★管理", true, 0, 0, u"", {}},
        {u"山田先生", false, 99, 0, u"", {}}, // nothing to copy yet
        {u"山田先生", true, 99, 0, u"", none + folder},
        {u"山田先生", true, -1, 0, u"", none},
        {u"山田先生", true, 2, 0, u"", QStringLiteral("成績のバックアップが2日前のままです。")},
        {u"山田先生", true, 0, 2, u"", QStringLiteral("今日2人分の解答記録を書けませんでした。")},
        {u"青木　さくら", true, 99, 1, u"", {}},
        {u"山田先生", true, 0, 0, why,
         unsent + QStringLiteral("IT担当の方に接続の設定（") + setting +
             QStringLiteral("）を確かめてもらってください。理由：データベースにつながりません。 "
                            "（no such host）")},
        {u"山田先生", true, 99, 0, why,
         none + unsent + QStringLiteral("IT担当の方にデータフォルダと baisuu.conf の [chain] を")},
        {u"青木　さくら", true, 0, 0, why, {}},
    };
    Hensuu1 state;
    state.catalog = catalog;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says.toStdString() + std::to_string(c.copyDaysAgo));
        QFile::remove(log);
        QDir(BackupFolder(log)).removeRecursively();
        if (c.log) writeFile(dir, QFileInfo(log).fileName(), "log");
        if (c.copyDaysAgo != 99)
            writeFile(dir,
                      QDir(dir.path())
                          .relativeFilePath(BackupPath(log, kNow.date().addDays(-c.copyDaysAgo))),
                      "copy");
        state.pupilName = QString::fromUtf16(c.name);
        SchoolTrouble trouble = FindSchoolTrouble(log, kNow.date(), c.answersUnwritten);
        trouble.chainSyncFailure = QString::fromUtf16(c.syncFailure);
        const QString notice =
            BuildHubView(state, criteria, *results, roster, {}, kNow, trouble).notice;
        EXPECT_EQ(notice.isEmpty(), c.says.isEmpty()) << notice.toStdString();
        EXPECT_TRUE(notice.contains(c.says));
    }
}

TEST(HubOptions, PointModeShowsTheRankingInTheOrderChosenLast) {
    const struct {
        ListMode mode;
        ListView view;
        int order;
        ListView shown;
    } cases[] = {
        {ListMode::Points, ListView::Ranking, 1, ListView::Ranking},
        {ListMode::Points, ListView::Ranking, 2, ListView::Today},
        {ListMode::Points, ListView::Today, 1, ListView::Ranking},
        {ListMode::Points, ListView::Today, 2, ListView::Today},
        {ListMode::Points, ListView::Period, 2, ListView::Period},
        {ListMode::Time, ListView::Ranking, 2, ListView::Ranking},
        {ListMode::Time, ListView::Today, 1, ListView::Today},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ViewShown(c.mode, c.view, c.order), c.shown)
            << int(c.mode) << " " << int(c.view) << " " << c.order;
}

TEST(HubOptions, TheTimeModeKeepsTheThirdCaptionItFinds) {
    using Captions = std::array<QString, 3>;
    EXPECT_EQ(ViewButtonCaptions(ViewCaptions::Built),
              (Captions{QStringLiteral("BEST表示"), QStringLiteral("本日のみ"),
                        QStringLiteral("オール表示")}));
    EXPECT_EQ(ViewButtonCaptions(ViewCaptions::TimeMode),
              (Captions{QStringLiteral("BEST表示"), QStringLiteral("本日のみ"), {}}));
    EXPECT_EQ(ViewButtonCaptions(ViewCaptions::Activated),
              (Captions{QStringLiteral("累計順"), QStringLiteral("本日順"), {}}));
    EXPECT_EQ(ViewButtonCaptions(ViewCaptions::PointMode),
              (Captions{QStringLiteral("合計累計"), QStringLiteral("合計本日"),
                        QStringLiteral("すべて")}));
}

} // namespace baisuu
