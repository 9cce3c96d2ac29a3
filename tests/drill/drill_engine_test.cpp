#include "drill/drill_fixture.h"

#include "drill/drill_engine.h"

#include "test_support.h"

#include "records/answers_file.h"
#include "records/file_lock.h"

#include <QFile>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace baisuu {

namespace {

class DrillEngineTest : public ::testing::Test, public DrillFixture {
  protected:
    DrillEngineTest() {
        // One file per answer cue, so the order of sounds can be read back.
        ctx->sounds.soundTable[1][int(SoundCue::Correct2)] = QStringLiteral("pinpon");
        ctx->sounds.soundTable[21][int(SoundCue::Correct2)] = QStringLiteral("1");
        ctx->sounds.soundTable[1][int(SoundCue::Wrong2)] = QStringLiteral("buu");
        ctx->sounds.soundTable[21][int(SoundCue::Wrong2)] = QStringLiteral("1");
    }

    void start(int level) {
        ctx->hensuu1.currentLevel = level;
        ASSERT_TRUE(StartRun(*ctx, problems));
        engine = std::make_unique<DrillEngine>(*ctx, problems, view, defer());
        engine->Form_Activate();
    }
    void answer(bool right) {
        const bool first = (engine->problem().correctKey == 1) == right;
        engine->Form_KeyPress(first ? '1' : '3');
    }
    void answers(int count, bool right) {
        for (int i = 0; i < count; ++i)
            answer(right);
    }
    // Moves the clock to ms after スタート (penalties aside) and lets the run clock tick.
    void tickAt(qint64 ms) {
        clock.advanceMs(ms - clock.monotonicMs());
        engine->sTimer1_Timer();
    }
    const DrillRun& run() const { return ctx->drill; }

    MultiplesProblemSource problems;
    RecordingView view;
    std::unique_ptr<DrillEngine> engine;
};

} // namespace

TEST_F(DrillEngineTest, TwentyNetCorrectAnswersEndTheRunAndRecordOneResult) {
    start(3);
    // The pupil's better time, recorded on another machine after the tallies were read.
    RunToRecord earlier{7, 3, 20, QStringLiteral("12345"), clock.now()};
    ASSERT_FALSE(AppendResult(ctx->hensuu1.paths.resultsLogFile(), earlier));
    EXPECT_EQ(engine->remainingText(), QStringLiteral("20"));
    EXPECT_TRUE(view.clockOn);
    answers(19, true);
    EXPECT_EQ(run().correctCount, 19);
    EXPECT_EQ(engine->remainingText(), QStringLiteral("1"));
    EXPECT_EQ(run().stopped, 0);
    EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Drill});

    clock.advanceMs(42400);
    answer(true);
    EXPECT_EQ(run().stopped, 1);
    EXPECT_EQ(run().finishing, 1);
    EXPECT_FALSE(view.clockOn);
    EXPECT_EQ(engine->overlayText(), QStringLiteral("成績記録中"));
    EXPECT_EQ(view.overlays, 1);
    // Timed at the finish, not at the last tick of the run clock.
    EXPECT_EQ(run().recordedTime, 42);
    EXPECT_EQ(logSize(), 88);
    EXPECT_EQ(ctx->results.newPersonalBest, 0);
    EXPECT_EQ(ctx->results.newSchoolBest, 0);
    EXPECT_EQ(navigator.shown, (QList<Screen>{Screen::Drill, Screen::Wait}));
    EXPECT_EQ(deferredMs, QList<int>{1000});
    runDeferred();
    EXPECT_EQ(navigator.shown.last(), Screen::Finish);

    // Nothing after the end: another FinishRun, keys, clicks, ticks.
    engine->FinishRun();
    const qsizetype sounds = sound.played.size();
    engine->Form_KeyPress('3');
    engine->Command2_Click(2);
    tickAt(50000);
    EXPECT_EQ(sound.played.size(), sounds);
    EXPECT_EQ(run().correctCount, 20);
    EXPECT_EQ(logSize(), 88);
    EXPECT_EQ(view.overlays, 1);
}

TEST_F(DrillEngineTest, TheRecordedTimeIsTheTimeOfTheLastAnswerPenaltiesIncluded) {
    sound.hold = true;
    start(3);
    for (int i = 0; i < 19; ++i) {
        answer(true);
        sound.release();
    }
    tickAt(11000);
    answer(false); // a penalty near the end counts
    sound.release();
    answer(true);
    sound.release();
    tickAt(12000);
    EXPECT_EQ(engine->elapsedText(), QStringLiteral("22"));
    clock.advanceMs(700);
    answer(true); // judged at 22.7 s
    EXPECT_FALSE(view.clockOn);
    EXPECT_EQ(engine->elapsedText(), QStringLiteral("23"));
    clock.advanceMs(1800); // the praise for the last answer is no part of the run
    sound.release();
    EXPECT_EQ(run().recordedTime, 23);
    EXPECT_EQ(engine->elapsedText(), QStringLiteral("23"));
    EXPECT_EQ(logSize(), 44);
}

#ifdef Q_OS_UNIX
TEST_F(DrillEngineTest, ARunWaitsForAnotherMachineHoldingTheLogAndIsNeverDropped) {
    const QString log = ctx->hensuu1.paths.resultsLogFile();
    QFile(log).open(QIODevice::WriteOnly);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) { // another machine appending for a long while
        QFile file(log);
        PlatformFileLock lock;
        QString error;
        if (!file.open(QIODevice::ReadWrite) ||
            lock.tryLockWhole(file, &error) != FileLock::Outcome::Locked)
            ::_exit(1);
        ::write(ready[1], "x", 1);
        ::usleep(1500 * 1000);
        ::_exit(0);
    }
    ctx->waitWhileBusy = [] { ::usleep(100 * 1000); }; // a tenth of the program's second
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    start(3);
    answers(20, true);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(navigator.titles.isEmpty());
    EXPECT_EQ(logSize(), 44);
    EXPECT_EQ(engine->overlayText(), QStringLiteral("成績記録中"));
    EXPECT_EQ(engine->overlayNoteText(),
              QStringLiteral("ほかの機械が成績を書いています。終わるまで待っています。"));
    EXPECT_GE(view.overlays, 2);
    EXPECT_EQ(navigator.shown.last(), Screen::Wait);
}
#endif

TEST_F(DrillEngineTest, WrongAnswersCostTenSecondsAndOneCorrectAnswerNeverBelowZero) {
    start(3);
    answer(false);
    EXPECT_EQ(run().correctCount, 0);
    EXPECT_EQ(engine->remainingText(), QStringLiteral("20"));
    tickAt(0);
    EXPECT_EQ(run().elapsedSeconds, 10);
    EXPECT_EQ(engine->elapsedText(), QStringLiteral("10"));
    answer(true);
    answer(false);
    EXPECT_EQ(run().correctCount, 0);
    tickAt(1000);
    EXPECT_EQ(run().elapsedSeconds, 21);
    EXPECT_EQ(sound.played, (QStringList{"buu.wav", "pinpon.wav", "buu.wav"}));
}

TEST_F(DrillEngineTest, ThreeWrongAnswersRaiseTheRightAnswersNeededTo23) {
    start(3);
    answers(5, true);
    answers(3, false);
    EXPECT_EQ(run().correctCount, 2);
    EXPECT_EQ(engine->remainingText(), QStringLiteral("18"));
    answers(17, true);
    EXPECT_EQ(run().stopped, 0);
    answer(true);
    EXPECT_EQ(run().stopped, 1);
    EXPECT_EQ(sound.played.count(QStringLiteral("pinpon.wav")), 23);
}

TEST_F(DrillEngineTest, TheNextProblemAppearsOnlyAfterTheAnswerSoundHasEnded) {
    sound.hold = true;
    start(3);
    EXPECT_EQ(view.problems, 1);
    answer(true);
    EXPECT_EQ(run().keyLock, 1);
    EXPECT_EQ(run().correctCount, 0);
    // A second key or a click while the sound plays is not judged.
    answer(true);
    engine->Command2_Click(engine->problem().correctKey);
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_EQ(view.problems, 1);
    sound.release();
    EXPECT_EQ(run().correctCount, 1);
    EXPECT_EQ(run().keyLock, 0);
    EXPECT_EQ(view.problems, 2);
    // A click answers like a key.
    engine->Command2_Click(engine->problem().correctKey == 1 ? 2 : 1);
    sound.release();
    EXPECT_EQ(run().correctCount, 0);
    EXPECT_EQ(sound.played, (QStringList{"pinpon.wav", "buu.wav"}));
}

TEST_F(DrillEngineTest, ATimeOutDuringAKeyJudgementIsTakenAtTheNextTick) {
    setCriteria(3, 1, 2); // limit 10 s
    sound.hold = true;
    start(3);
    tickAt(9000);
    answer(true);
    tickAt(10000);
    EXPECT_EQ(run().elapsedSeconds, 10);
    EXPECT_EQ(engine->timeBar().elapsed, kTimeBarWidth);
    EXPECT_EQ(run().timeUp, 0);
    EXPECT_EQ(run().finishing, 0);
    sound.release();
    EXPECT_EQ(run().correctCount, 1);
    EXPECT_EQ(view.problems, 2);
    tickAt(11000);
    EXPECT_EQ(run().timeUp, 1);
    EXPECT_FALSE(view.clockOn);
    EXPECT_EQ(engine->overlayText(), QStringLiteral("時間切れ"));
    EXPECT_EQ(run().recordedTime, kNoTime);
    EXPECT_EQ(logSize(), 44);
    EXPECT_EQ(navigator.shown, (QList<Screen>{Screen::Drill, Screen::Wait}));
    // Keys after the end do nothing.
    answer(true);
    engine->Command2_Click(1);
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_EQ(run().keyLock, 0);
}

TEST_F(DrillEngineTest, OtherKeysDoNothing) {
    start(3);
    for (int key : {'0', '2', '4', '9', 'a', ' ', '\r'})
        engine->Form_KeyPress(key);
    EXPECT_TRUE(sound.played.isEmpty());
    EXPECT_EQ(run().keyLock, 0);
    EXPECT_EQ(view.problems, 1);
}

// A hand-edited lowest time whose five-fold limit would overflow the counter
// ends a run at the longest run time instead of after a few seconds.
TEST_F(DrillEngineTest, AHugeLowestTimeStillGivesALongLimit) {
    for (const qint32 pass : {858993460, 2147483647}) {
        setCriteria(3, 20, pass);
        start(3);
        EXPECT_EQ(run().timeLimit, 99995) << pass;
    }
}

TEST_F(DrillEngineTest, TimeBarLampsAndHalfToEvenSeconds) {
    setCriteria(3, 20, 40); // limit 200 s: 3 pixels a second
    start(3);
    EXPECT_EQ(run().timeLimit, 200);
    EXPECT_DOUBLE_EQ(run().barScale, 3.0);
    EXPECT_EQ(engine->timeBar().target, 60);
    EXPECT_EQ(engine->timeBar().pass, 120);
    EXPECT_EQ(engine->timeBar().frame, kTimeBarWidth);

    tickAt(2500);
    EXPECT_EQ(run().elapsedSeconds, 2);
    tickAt(3500);
    EXPECT_EQ(run().elapsedSeconds, 4);
    tickAt(10000);
    for (int lamp = kFirstLamp; lamp <= kLastLamp; ++lamp)
        EXPECT_TRUE(engine->lampVisible(lamp)) << lamp;
    tickAt(11000); // nine seconds before the target: lamp 30 goes out
    EXPECT_FALSE(engine->lampVisible(30));
    EXPECT_TRUE(engine->lampVisible(31));
    EXPECT_EQ(engine->timeBar().elapsed, 33);
    answer(false); // the penalty jumps past the target's last ten seconds
    tickAt(12000);
    EXPECT_EQ(run().elapsedSeconds, 22);
    EXPECT_TRUE(engine->lampVisible(31));
    tickAt(25000); // 35 s: five seconds before the lowest passing time
    EXPECT_FALSE(engine->lampVisible(34));
    EXPECT_TRUE(engine->lampVisible(33));
    EXPECT_TRUE(engine->lampVisible(35));
    for (int lamp = kFirstLamp; lamp < 30; ++lamp)
        EXPECT_TRUE(engine->lampVisible(lamp)) << lamp;
    tickAt(190000);
    EXPECT_EQ(engine->timeBar().elapsed, kTimeBarWidth);
    EXPECT_EQ(run().timeUp, 1);
}

TEST_F(DrillEngineTest, StatusTexts) {
    ctx->results.at(7, 3).todayAttempts = 2;
    ctx->results.at(7, 1).todayAttempts = 1;
    ctx->results.at(7, 16).todayAttempts = 5; // beyond level 15: not counted
    start(3);
    EXPECT_EQ(engine->todayLevelText(), QStringLiteral("3"));
    EXPECT_EQ(engine->todayTotalText(), QStringLiteral("4"));
    EXPECT_EQ(engine->minutesText(), QStringLiteral("30"));
    EXPECT_EQ(engine->pupilNameText(), QStringLiteral("山田　花子"));
    EXPECT_EQ(engine->levelNameText(), QStringLiteral("３の倍数"));
    EXPECT_EQ(engine->siteNameText(), QStringLiteral("本町教室"));
    EXPECT_EQ(engine->contentNameText(), QStringLiteral("倍数判定"));
    EXPECT_DOUBLE_EQ(engine->contentNamePointSize(), 16.8);
    EXPECT_EQ(engine->elapsedText(), QStringLiteral("0"));
    // Signed in before midnight, still drilling after it.
    ctx->hensuu1.pupilStartTime = 23 * 3600 + 50 * 60;
    clock.setNow(QDateTime(QDate(2026, 5, 13), QTime(0, 5, 30)));
    engine->sTimer2_Timer();
    EXPECT_EQ(engine->minutesText(), QStringLiteral("15"));
    // A sign-in rounded up to the next second is minute 0, not a day ago.
    ctx->hensuu1.pupilStartTime = 10 * 3600 + 1;
    clock.setNow(QDateTime(QDate(2026, 5, 13), QTime(10, 0, 0, 600)));
    engine->sTimer2_Timer();
    EXPECT_EQ(engine->minutesText(), QStringLiteral("0"));
}

TEST_F(DrillEngineTest, PracticeLevelsRecordNothing) {
    ctx->hensuu1.catalog.levelNames[3] = QStringLiteral("３の倍数練習");
    start(3);
    EXPECT_EQ(engine->todayLevelText(), QStringLiteral("－"));
    EXPECT_EQ(engine->todayTotalText(), QStringLiteral("－"));
    answers(20, true);
    EXPECT_EQ(run().finishing, 1);
    EXPECT_EQ(logSize(), 0);
    EXPECT_EQ(navigator.shown, (QList<Screen>{Screen::Drill, Screen::Wait, Screen::Hub}));
    EXPECT_TRUE(deferred.empty());
}

TEST_F(DrillEngineTest, LevelsWithoutTimesOrProblemsAreNotStarted) {
    setCriteria(4, 0, 60);
    setCriteria(5, 30, 0);
    for (int level : {4, 5, 12}) {
        SCOPED_TRACE(level);
        navigator.shown.clear();
        ctx->hensuu1.currentLevel = qint16(level);
        EXPECT_FALSE(StartRun(*ctx, problems));
        EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Hub});
        ASSERT_FALSE(navigator.texts.isEmpty());
        EXPECT_TRUE(navigator.texts.last().contains(QStringLiteral("先生を呼んでください")));
    }
    // A screen made without StartRun refuses too, before anything divides by the limit.
    ctx->hensuu1.currentLevel = 4;
    DrillEngine direct(*ctx, problems, view, defer());
    direct.Form_Activate();
    EXPECT_FALSE(view.clockOn);
    EXPECT_EQ(view.problems, 0);
    EXPECT_EQ(navigator.titles.size(), 4);
}

TEST_F(DrillEngineTest, TheFourthFailedAnswerSoundInARowEndsTheProgram) {
    sound.failAll = true;
    start(3);
    answers(3, true);
    EXPECT_TRUE(navigator.titles.isEmpty());
    EXPECT_EQ(run().correctCount, 3);
    answer(true);
    EXPECT_EQ(navigator.titles, QStringList{QStringLiteral("音声エラー")});
    EXPECT_EQ(navigator.texts, QStringList{QStringLiteral(
                                   "音声がでません。先生を呼びなさい。\r\nデバイスがありません")});
    EXPECT_EQ(navigator.quits, QList<int>{1});
    EXPECT_EQ(run().correctCount, 3);
    EXPECT_EQ(run().keyLock, 1);
}

} // namespace baisuu

namespace baisuu {

namespace {

QList<Answer> answersFile(const AppContext& ctx) {
    AnswersRead read;
    EXPECT_FALSE(ReadAnswers(AnswersFilePath(ctx.hensuu1.paths.dataFolder, 7), &read));
    EXPECT_TRUE(read.skipped.isEmpty());
    return read.answers;
}

} // namespace

// Level 11 draws a divisor per problem; keys and clicks, right and wrong,
// each after its own thinking time, are kept exactly as played.
TEST_F(DrillEngineTest, TheAnswersFileHoldsEveryAnswerAsPlayed) {
    QList<double> draws;
    for (int i = 0; i < 400; ++i)
        draws << (i * 0.137 - int(i * 0.137));
    random.script(draws);
    start(11);
    QList<Answer> played;
    for (int i = 0; !run().finishing; ++i) {
        clock.advanceMs(300 + 37 * i);
        const Problem p = engine->problem();
        const bool right = i % 4 != 1;
        const int index = (p.correctKey == 1) == right ? 1 : 2;
        const QDateTime now = clock.now();
        played.append({now.date(), now.time().msecsSinceStartOfDay() / 1000, 11, p.divisor,
                       p.number, index == 1 ? 1 : 3, right, 300 + 37 * i});
        if (i % 3 == 0)
            engine->Command2_Click(index);
        else
            engine->Form_KeyPress(index == 1 ? '1' : '3');
    }
    EXPECT_EQ(logSize(), 44);
    EXPECT_EQ(engine->answers(), played);
    EXPECT_EQ(answersFile(*ctx), played);
    QSet<int> divisors;
    for (const Answer& a : played)
        divisors << a.divisor;
    EXPECT_GT(divisors.size(), 3);
}

TEST_F(DrillEngineTest, ATimedOutRunKeepsItsAnswersAndPracticeKeepsNone) {
    setCriteria(3, 1, 2); // limit 10 s
    start(3);
    answers(2, true);
    answer(false);
    tickAt(11000);
    ASSERT_EQ(run().timeUp, 1);
    answer(true); // after the end: not an answer
    const QList<Answer> kept = answersFile(*ctx);
    ASSERT_EQ(kept.size(), 3);
    EXPECT_EQ(kept[2].correct, false);
    EXPECT_EQ(kept, engine->answers());

    QFile::remove(AnswersFilePath(ctx->hensuu1.paths.dataFolder, 7));
    ctx->hensuu1.catalog.levelNames[4] = QStringLiteral("４の倍数練習");
    start(4);
    answers(20, true);
    EXPECT_EQ(run().finishing, 1);
    EXPECT_FALSE(QFile::exists(AnswersFilePath(ctx->hensuu1.paths.dataFolder, 7)));
}

TEST_F(DrillEngineTest, AnAnswersFileThatCannotBeWrittenCostsNothing) {
    // A file where the folder should be.
    QFile blocker(AnswersFolder(ctx->hensuu1.paths.dataFolder).chopped(1));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    start(3);
    answers(20, true);
    EXPECT_EQ(logSize(), 44);
    EXPECT_EQ(navigator.shown, (QList<Screen>{Screen::Drill, Screen::Wait}));
    EXPECT_TRUE(navigator.titles.isEmpty());
    runDeferred();
    EXPECT_EQ(navigator.shown.last(), Screen::Finish);
}

} // namespace baisuu
