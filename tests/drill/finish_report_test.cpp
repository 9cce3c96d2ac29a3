#include "drill/drill_fixture.h"

#include "drill/finish_report.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

class FinishReportTest : public ::testing::Test, public DrillFixture {
  protected:
    FinishReportTest() { ctx->hensuu1.currentLevel = 3; }

    void logRun(int level, qint32 time, int pupil = 7) {
        RunToRecord run;
        run.pupil = qint16(pupil);
        run.level = qint16(level);
        run.runTime = time;
        run.schoolCode = QStringLiteral("12345");
        run.when = clock.now();
        ASSERT_FALSE(AppendResult(ctx->hensuu1.paths.resultsLogFile(), run));
    }
    // The run that FinishRun has just recorded.
    void finished(int level, qint32 time, bool timeUp = false) {
        ctx->hensuu1.currentLevel = qint16(level);
        ctx->drill.recordedTime = time;
        ctx->drill.timeUp = timeUp;
        logRun(level, time);
    }
    QStringList cuesOf(const FinishReport& report) {
        sound.played.clear();
        bool done = false;
        PlayFinishCues(*ctx, report, [&] { done = true; });
        EXPECT_TRUE(done);
        return sound.played;
    }
};

} // namespace

TEST(FinishPoints, PointsLineWithTheFactorInShortestForm) {
    LevelCriteria c;
    c.targetTime = 30;
    c.pointFactor = 1;
    EXPECT_EQ(PointsLine(c, 30), QStringLiteral("獲得ポイント：5点×1→5点"));
    EXPECT_EQ(PointsLine(c, 60), QStringLiteral("獲得ポイント：1点×1→1点"));
    EXPECT_EQ(PointsLine(c, 300), QStringLiteral("獲得ポイント：0点×1→0点"));
    EXPECT_EQ(PointsLine(c, kNoTime), QStringLiteral("獲得ポイント：0点×1→0点"));
    c.pointFactor = 1.5f;
    EXPECT_EQ(PointsLine(c, 0), QStringLiteral("獲得ポイント：55点×1.5→82点"));
}

TEST_F(FinishReportTest, ATimeOutShowsNoRecordAndPlaysNoCue) {
    finished(3, kNoTime, true);
    const FinishReport r = PrepareFinish(*ctx);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.timeText, QStringLiteral("記録なし"));
    EXPECT_EQ(r.outcomeText, QStringLiteral("時間切れ"));
    EXPECT_EQ(r.pointsText, QStringLiteral("獲得ポイント：0点×1→0点"));
    EXPECT_EQ(r.cue, FinishCue::None);
    EXPECT_TRUE(cuesOf(r).isEmpty());
    EXPECT_EQ(r.levelCountText, QStringLiteral(" (このレベル　0回目)"));
}

TEST_F(FinishReportTest, OutcomesInTheirOrder) {
    finished(3, 25);
    ctx->results.newSchoolBest = 1;
    ctx->results.newPersonalBest = 1;
    FinishReport r = PrepareFinish(*ctx);
    EXPECT_EQ(r.outcomeText, QStringLiteral("！！！最高新記録！！！"));
    EXPECT_EQ(r.cue, FinishCue::SchoolBest);
    EXPECT_EQ(cuesOf(r), QStringList{QStringLiteral("最高1.wav")});
    EXPECT_EQ(r.timeText, QStringLiteral("今の成績：25秒"));
    // The flags are spent once shown.
    EXPECT_EQ(ctx->results.newSchoolBest, 0);
    EXPECT_EQ(ctx->results.newPersonalBest, 0);

    ctx->sounds.soundTable[1][int(SoundCue::PersonalBest2)] = QStringLiteral("yatta");
    ctx->sounds.soundTable[1][int(SoundCue::PassTime1)] = QStringLiteral("goukaku");
    ctx->results.newPersonalBest = 1;
    r = PrepareFinish(*ctx);
    EXPECT_EQ(r.outcomeText, QStringLiteral("新記録おめでとう"));
    EXPECT_EQ(cuesOf(r), QStringList{QStringLiteral("yatta.wav")});

    r = PrepareFinish(*ctx); // within the lowest passing time, no record
    EXPECT_TRUE(r.outcomeText.isEmpty());
    EXPECT_EQ(cuesOf(r), QStringList{QStringLiteral("goukaku.wav")});

    ctx->drill.recordedTime = 61; // slower than the lowest passing time
    r = PrepareFinish(*ctx);
    EXPECT_EQ(r.cue, FinishCue::None);
    EXPECT_TRUE(cuesOf(r).isEmpty());
}

TEST_F(FinishReportTest, TodaysCountsIncludeThisRun) {
    logRun(3, 40);
    logRun(5, 40);
    logRun(3, kNoTime); // a time-out is not counted
    logRun(3, 40, 8);   // another pupil
    finished(3, 28);
    const FinishReport r = PrepareFinish(*ctx);
    EXPECT_EQ(r.levelCountText, QStringLiteral(" (このレベル　2回目)"));
    EXPECT_EQ(r.dayCountText, QStringLiteral("（3回目)"));
    EXPECT_EQ(r.pupilName, QStringLiteral("山田　花子"));
    EXPECT_EQ(r.levelName, QStringLiteral("３の倍数"));
    EXPECT_EQ(r.contentName, QStringLiteral("倍数判定"));
    EXPECT_TRUE(r.levelCleared);
    EXPECT_FALSE(r.goalBanner);
    EXPECT_FALSE(r.goalClearedCue);
}

TEST_F(FinishReportTest, TheGoalLevelClearedForTheFirstTime) {
    finished(11, 30);
    ctx->results.wasCleared = 0;
    FinishReport r = PrepareFinish(*ctx);
    EXPECT_TRUE(r.levelCleared);
    EXPECT_TRUE(r.goalBanner);
    EXPECT_TRUE(r.goalClearedCue);
    // The pass-time cue first, then the goal's.
    EXPECT_EQ(cuesOf(r), (QStringList{QStringLiteral(".wav"), QStringLiteral("合格.wav")}));

    ctx->results.wasCleared = 1; // cleared before: the banner, but no goal cue
    r = PrepareFinish(*ctx);
    EXPECT_TRUE(r.goalBanner);
    EXPECT_FALSE(r.goalClearedCue);

    ctx->criteria.levels[20].clearCount = 9999; // a level that never clears: no banner
    r = PrepareFinish(*ctx);
    EXPECT_FALSE(r.goalBanner);

    ctx->criteria.levels[11].clearCount = 2; // not cleared yet
    ctx->results.wasCleared = 0;
    r = PrepareFinish(*ctx);
    EXPECT_FALSE(r.levelCleared);
    EXPECT_FALSE(r.goalClearedCue);
}

TEST_F(FinishReportTest, ButtonsAtTheOverdoLimit) {
    finished(3, 30);
    FinishReport r = PrepareFinish(*ctx);
    FinishButtons b = Timer1Buttons(*ctx, r);
    EXPECT_TRUE(b.retryShown);
    EXPECT_EQ(b.label2, FinishButtons::Label2::Keep);

    // Cleared and practised enough below the goal, goal not yet cleared: move on.
    ctx->criteria.levels[3].overdoCount = number(1);
    b = Timer1Buttons(*ctx, r);
    EXPECT_FALSE(b.retryShown);
    EXPECT_EQ(b.label2, FinishButtons::Label2::MoveOn);
    EXPECT_EQ(MoveOnText(), QStringLiteral("次のレベルへ進みましょう"));

    ctx->finalLevelCleared = 1;
    b = Timer1Buttons(*ctx, r);
    EXPECT_TRUE(b.retryShown);
    EXPECT_EQ(b.label2, FinishButtons::Label2::Keep);
    ctx->finalLevelCleared = 0;

    // The points limit alone.
    ctx->criteria.levels[3].overdoCount = number(0);
    ctx->criteria.levels[3].overdoPoints = number(5);
    EXPECT_FALSE(Timer1Buttons(*ctx, r).retryShown);
    ctx->criteria.levels[3].overdoPoints = number(6);
    EXPECT_TRUE(Timer1Buttons(*ctx, r).retryShown);

    // At the limit but not cleared: the pupil may go again.
    ctx->criteria.levels[3].overdoPoints = number(5);
    ctx->criteria.levels[3].clearCount = 2;
    r = PrepareFinish(*ctx);
    EXPECT_TRUE(Timer1Buttons(*ctx, r).retryShown);

    // At the goal level the clear text goes and the button stays.
    finished(11, 30);
    ctx->criteria.levels[11].overdoCount = number(1);
    r = PrepareFinish(*ctx);
    b = Timer1Buttons(*ctx, r);
    EXPECT_TRUE(b.retryShown);
    EXPECT_EQ(b.label2, FinishButtons::Label2::EmptyAndHide);
}

} // namespace baisuu
