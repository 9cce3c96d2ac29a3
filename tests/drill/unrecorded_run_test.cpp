// A run the results log does not take (a data folder without write access)
// is kept on the finish screen and recorded from there once the fault is mended.

#include "drill/drill_fixture.h"
#include "drill/finish_report.h"
#include "drill/finish_screen.h"

#include "stage_input.h"
#include "text_fit.h"
#include "write_faults.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

class UnrecordedRunTest : public ::testing::Test, public DrillFixture {
  protected:
    // The data folder refuses every write until mended.
    bool refuseWrites() {
        const QString folder = ctx->hensuu1.paths.dataFolder;
        if (RunningAsRoot()) return mount.readOnly(folder);
        QFile::setPermissions(ctx->hensuu1.paths.resultsLogFile(), QFile::ReadOwner);
        return QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    }
    void mend() {
        mount.undo();
        QFile::setPermissions(ctx->hensuu1.paths.dataFolder,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(ctx->hensuu1.paths.resultsLogFile(),
                              QFile::ReadOwner | QFile::WriteOwner);
    }
    // A run of level 3 whose last answer comes after seconds.
    void finishARun(int seconds = 0) {
        ctx->hensuu1.currentLevel = 3;
        ASSERT_TRUE(StartRun(*ctx, problems));
        DrillEngine engine(*ctx, problems, view, defer());
        engine.Form_Activate();
        for (int i = 0; i < 20; ++i) {
            if (i == 19) clock.advanceMs(seconds * 1000);
            engine.Form_KeyPress(engine.problem().correctKey == 1 ? '1' : '3');
        }
    }
    template <typename T = QLabel> T* child(QWidget& screen, const char* name) {
        T* w = screen.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    MountOver mount;
    MultiplesProblemSource problems;
    RecordingView view;
};

} // namespace

TEST_F(UnrecordedRunTest, TheFinishScreenKeepsTheRunAndRecordsItOnceTheFolderTakesIt) {
    if (!refuseWrites()) GTEST_SKIP() << "no read-only folder can be made here";
    const QString log = ctx->hensuu1.paths.resultsLogFile();
    finishARun();
    ASSERT_EQ(navigator.titles, QStringList{QStringLiteral("成績記録エラー")});
    EXPECT_TRUE(
        navigator.texts[0].contains(QStringLiteral("「もう一度記録する」を押してください")));
    EXPECT_EQ(navigator.shown.last(), Screen::Finish);
    ASSERT_TRUE(ctx->drill.unrecorded);
    EXPECT_EQ(ctx->drill.unrecorded->answers.size(), 20);
    EXPECT_FALSE(ctx->results.newPersonalBest || ctx->results.newSchoolBest);
    EXPECT_FALSE(QFile::exists(log));

    // The finish screen, in a window 1.37 times the stage, says what is wrong
    // and offers the teacher the retry; no cue cheers a run that is not kept.
    sound.played.clear();
    auto shown =
        showOnStage<FrmSyuuryou>([this] { return new FrmSyuuryou(*ctx); }, Screen::Finish, 1.37);
    FrmSyuuryou& screen = *shown;
    EXPECT_EQ(child(screen, "Label20")->text(), QStringLiteral("成績はまだ記録されていません"));
    EXPECT_EQ(child(screen, "Label13")->text(), QString());
    EXPECT_TRUE(sound.played.isEmpty());
    screen.Timer1_Timer();
    auto* again = child<QPushButton>(screen, "RecordAgain");
    auto* menu = child<QPushButton>(screen, "Command4");
    EXPECT_TRUE(reachableOnStage(*shown.stage, again));
    EXPECT_TRUE(reachableOnStage(*shown.stage, menu));
    EXPECT_FALSE(child<QPushButton>(screen, "Command5")->isVisible());
    expectTextsFit(screen);
    const QString pictures = qEnvironmentVariable("DRILL_SCREEN_PNG_DIR");
    if (!pictures.isEmpty()) shown.stage->grab().save(pictures + "/finish_unrecorded.png");

    // Still refused: told again, kept. The menu asks before it lets the run go.
    clickOnStage(*shown.stage, again);
    EXPECT_EQ(navigator.titles.size(), 2);
    EXPECT_TRUE(ctx->drill.unrecorded);
    EXPECT_TRUE(again->isEnabled());
    const qsizetype screensShown = navigator.shown.size();
    clickOnStage(*shown.stage, menu);
    EXPECT_EQ(navigator.asked.size(), 1);
    EXPECT_EQ(navigator.shown.size(), screensShown);
    EXPECT_TRUE(ctx->drill.unrecorded);

    // Mended: the run and its answers are kept, and the finish screen is the usual one.
    mend();
    clickOnStage(*shown.stage, again);
    EXPECT_EQ(navigator.titles.size(), 2);
    EXPECT_FALSE(ctx->drill.unrecorded);
    EXPECT_EQ(QFileInfo(log).size(), 44);
    AnswersRead kept;
    ASSERT_FALSE(ReadAnswers(AnswersFilePath(ctx->hensuu1.paths.dataFolder, 7), &kept));
    EXPECT_EQ(kept.answers.size(), 20);
    EXPECT_EQ(navigator.shown.last(), Screen::Finish);
    auto after = showOnStage<FrmSyuuryou>([this] { return new FrmSyuuryou(*ctx); }, Screen::Finish);
    EXPECT_EQ(child(*after, "Label20")->text(), QStringLiteral("！！！最高新記録！！！"));
    EXPECT_EQ(child(*after, "Label13")->text(), QStringLiteral(" (このレベル　1回目)"));
}

// A refused run (faster than every time in the log) is no record; the next
// run is announced by its own record alone, and so is its cue.
TEST_F(UnrecordedRunTest, ARefusedRunAnnouncesNothingOfTheNextRun) {
    const QString log = ctx->hensuu1.paths.resultsLogFile();
    ASSERT_FALSE(AppendResult(log, {7, 3, 30, QStringLiteral("12345"), clock.now()}));
    ASSERT_FALSE(AppendResult(log, {8, 3, 10, QStringLiteral("12345"), clock.now()}));
    const struct {
        int seconds;
        QString outcome;
        FinishCue cue;
    } nextRuns[] = {{40, {}, FinishCue::PassTime},
                    {20, QStringLiteral("新記録おめでとう"), FinishCue::PersonalBest}};
    for (const auto& next : nextRuns) {
        if (!refuseWrites()) GTEST_SKIP() << "no read-only folder can be made here";
        finishARun();
        ASSERT_TRUE(ctx->drill.unrecorded);
        ctx->drill.unrecorded.reset(); // メニューへ: the run is let go
        mend();
        finishARun(next.seconds);
        const FinishReport report = PrepareFinish(*ctx);
        EXPECT_EQ(report.outcomeText, next.outcome);
        EXPECT_EQ(report.cue, next.cue);
    }
}

// An answers file this machine cannot write is kept for the teacher's hub
// until a later run writes it.
TEST_F(UnrecordedRunTest, AnAnswersFileThatCannotBeWrittenIsKeptUntilItIsWritten) {
    const QString answers = AnswersFilePath(ctx->hensuu1.paths.dataFolder, 7);
    const QDate today = clock.now().date();
    ASSERT_TRUE(QDir().mkpath(answers)); // a folder where the file should be
    finishARun();
    EXPECT_EQ(logSize(), 44);
    EXPECT_EQ(ctx->answersUnwrittenOn(today), 1);
    ASSERT_TRUE(QDir(answers).removeRecursively());
    finishARun();
    EXPECT_EQ(ctx->answersUnwrittenOn(today), 0);
}

} // namespace baisuu
