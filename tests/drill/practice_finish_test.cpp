// A 苦手練習 run as a pupil plays it, through the window at two scales: the
// results log and every family file stay byte for byte, the answers file
// gains the run's lines marked as practice, and the finish screen tells what
// PreparePracticeFinish computed and hands over to the hub or a new run.

#include "drill/drill_fixture.h"
#include "drill/drill_screen.h"
#include "drill/practice_finish_screen.h"
#include "drill/practice_source.h"
#include "records/answers_file.h"

#include "stage_input.h"
#include "test_support.h"
#include "text_fit.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr int kLevel = 3;
const QList<qint32> kWeak = {12, 14, 21, 25, 33, 40, 51, 58, 63, 70}; // last answer wrong
const QList<qint32> kFluent = {5, 6, 7, 8, 9};                        // three fast right ones

Answer answerOf(qint32 number, bool correct, qint32 ms) {
    return {QDate(2026, 5, 1), 36000, kLevel, 3, number, number % 3 ? 1 : 3, correct, ms};
}

// The drill's fixture with the screens handed over through a real stage.
struct PracticeOnStage : DrillFixture {
    explicit PracticeOnStage(double scale) {
        app.reset(new AppContext{ctx->hensuu1, ctx->criteria, {}, clock, random, sound, launcher,
                                 stage, {}, ctx->sounds, 0});
        stage.resize(qRound(kStageWidth * scale), qRound(kStageHeight * scale));
        stage.show();
        QList<double> draws; // spread over [0, 1) and the same every time
        for (int i = 0; i < 2000; ++i)
            draws << (i * 0.137 - int(i * 0.137));
        random.script(draws);
    }
    QString answersPath(int pupil) const {
        return AnswersFilePath(app->hensuu1.paths.dataFolder, pupil);
    }
    MainFrm* drill() { return dynamic_cast<MainFrm*>(stage.current()); }
    // Right answers by key, 0.4 s each, until the run ends or `count` are given.
    void answerRight(int count = 1000) {
        for (int i = 0; i < count && drill() && !app->drill.finishing; ++i) {
            clock.advanceMs(400);
            typeOnStage(stage, drill()->engine().problem().correctKey == 1 ? '1' : '3');
        }
    }
    QWidget* control(const char* name) {
        return stage.current()->findChild<QWidget*>(QLatin1String(name));
    }
    QString text(const char* name) { return textOf(*control(name)); }

    Stage stage{[this](Screen s) -> QWidget* {
        if (s == Screen::Drill) return new MainFrm(*app, nullptr, defer());
        if (s == Screen::PracticeFinish) return new PracticeFinishScreen(*app);
        return new QWidget; // the hub and the wait screen: only where the road goes
    }};
    std::unique_ptr<AppContext> app;
};

} // namespace

TEST(PracticeFinish, ARunThroughTheWindowKeepsOnlyItsAnswersAndShowsTheirFinish) {
    const struct {
        double scale;
        bool timeOut;
    } rows[] = {{1.0, false}, {1.375, false}, {1.375, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.scale << (row.timeOut ? " time-out" : ""));
        PracticeOnStage t(row.scale);
        QList<Answer> earlier;
        for (const qint32 n : kWeak)
            earlier << answerOf(n, true, 800) << answerOf(n, false, 900);
        for (const qint32 n : kFluent)
            for (int i = 0; i < 3; ++i)
                earlier << answerOf(n, true, 500);
        ASSERT_FALSE(AppendAnswers(t.answersPath(7), earlier));
        ASSERT_FALSE(AppendAnswers(t.answersPath(8), earlier.mid(0, 4)));
        ASSERT_FALSE(AppendResult(t.app->hensuu1.paths.resultsLogFile(),
                                  {7, kLevel, 25, QStringLiteral("12345"), t.clock.now()}));
        writeFile(t.dir, QStringLiteral("新名簿.txt"),
                  sjis(QStringLiteral("7,2017,0,0,\"山田　花子\",0,\"\",\"\"\r\n")));
        const auto before = FilesBelow(t.dir.path());
        const QString answersKey = QDir(t.dir.path()).relativeFilePath(t.answersPath(7));

        QList<Answer> played;
        for (int run = 0; run < 2; ++run) {
            ASSERT_TRUE(run > 0 || StartPractice(*t.app, kLevel));
            ASSERT_EQ(t.stage.currentScreen(), Screen::Drill);
            if (row.timeOut) {
                t.answerRight(2);
                t.clock.advanceMs(qint64(t.app->drill.timeLimit + 1) * 1000);
                t.drill()->engine().sTimer1_Timer();
            } else {
                t.answerRight();
            }
            EXPECT_EQ(t.stage.currentScreen(), Screen::Wait);
            EXPECT_EQ(t.deferredMs.last(), 1000);
            t.runDeferred();
            ASSERT_EQ(t.stage.currentScreen(), Screen::PracticeFinish);
            played += t.app->drill.practice->answers;
            EXPECT_EQ(t.app->drill.practice->answers.size(), row.timeOut ? 2 : 20);

            const PracticeFinishReport report = PreparePracticeFinish(*t.app);
            EXPECT_EQ(t.text("TimeText"), row.timeOut ? QStringLiteral("時間切れ")
                                                      : QStringLiteral("練習タイム：8秒"));
            EXPECT_EQ(t.text("Graduated"), report.graduatedText);
            EXPECT_EQ(t.text("Remaining"), report.remainingText);
            ASSERT_FALSE(report.numbers.isEmpty());
            EXPECT_EQ(t.text("RowName_0"), report.numbers[0].name);
            EXPECT_EQ(t.text("RowState_0"), report.numbers[0].graduated ? QStringLiteral("卒業")
                                                                        : QStringLiteral("苦手"));
            if (!row.timeOut && run == 0) {
                EXPECT_GT(report.graduated, 0);
            }
            expectTextsFit(*t.stage.current());
            if (const QString dir = qEnvironmentVariable("DRILL_SCREEN_PNG_DIR"); !dir.isEmpty())
                t.stage.viewport()->grab().save(
                    QStringLiteral("%1/practice_finish_%2%3_%4.png")
                        .arg(dir, QString::number(row.scale), row.timeOut ? "_time_out" : "")
                        .arg(run));
            if (run == 0 && !row.timeOut) {
                clickOnStage(t.stage, t.control("PracticeAgain"));
                EXPECT_TRUE(t.app->drill.practice->answers.isEmpty()); // a new run
            } else {
                if (row.timeOut)
                    typeOnStage(t.stage, Qt::Key_Escape);
                else
                    clickOnStage(t.stage, t.control("Menu"));
                EXPECT_EQ(t.stage.currentScreen(), Screen::Hub);
                break;
            }
        }

        // Nothing but the pupil's answers file changed, and that only by the runs' lines.
        auto after = FilesBelow(t.dir.path());
        const QByteArray answers = after.take(answersKey);
        auto unchanged = before;
        const QByteArray old = unchanged.take(answersKey);
        EXPECT_EQ(after, unchanged);
        ASSERT_TRUE(answers.startsWith(old));
        const QList<QByteArray> added = answers.mid(old.size()).split('\n').mid(0, played.size());
        EXPECT_EQ(answers.mid(old.size()).count('\n'), played.size());
        for (qsizetype i = 0; i < added.size(); ++i) {
            EXPECT_TRUE(added[i].endsWith(",1\r")) << added[i].toStdString();
            EXPECT_EQ(ParseAnswerLine(added[i].chopped(1)), played[i]);
        }
    }
}

// What the finish tells of a run, from a hand-made one: a weak number answered
// right three times fast leaves the set, one answered once stays, a number
// that was never weak is left out unless it became weak; lines in first-asked order.
TEST(PracticeFinish, ReportListsThePractisedNumbersAndWhichLeftTheWeakSet) {
    DrillFixture f;
    AppContext& ctx = *f.ctx;
    ctx.hensuu1.currentLevel = kLevel;
    const MultiplesProblemSource problems;
    PracticeRun run;
    for (const qint32 n : {12, 14, 21})
        run.earlier << answerOf(n, true, 800) << answerOf(n, false, 900);
    for (const qint32 n : {5, 6})
        run.earlier << answerOf(n, true, 500) << answerOf(n, true, 500) << answerOf(n, true, 500);
    run.field = FieldOf(problems, kLevel);
    run.before = LevelWeakSet(run.earlier, problems, kLevel, 30);
    ASSERT_EQ(run.before.numbers.size(), 3);
    run.answers = {answerOf(14, true, 400), answerOf(12, true, 400), answerOf(5, true, 400),
                   answerOf(12, true, 300), answerOf(6, false, 2000), answerOf(12, true, 500)};
    ctx.drill.practice = run;
    ctx.drill.recordedTime = 35;

    const struct {
        QString name;
        QStringList answers;
        bool graduated, weakNow;
    } expected[] = {{"14", {"○0.4秒"}, false, true},
                    {"12", {"○0.4秒", "○0.3秒", "○0.5秒"}, true, false},
                    {"6", {"×2.0秒"}, false, true}};
    const PracticeFinishReport r = PreparePracticeFinish(ctx);
    ASSERT_EQ(r.numbers.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const PracticedNumber& n = r.numbers[qsizetype(i)];
        QStringList answers;
        for (const RecentAnswer& a : n.answers)
            answers << PracticeAnswerText(a);
        EXPECT_EQ(n.name, expected[i].name);
        EXPECT_EQ(answers, expected[i].answers) << i;
        EXPECT_EQ(n.graduated, expected[i].graduated) << i;
        EXPECT_EQ(n.weakNow, expected[i].weakNow) << i;
    }
    EXPECT_EQ(r.timeText, QStringLiteral("練習タイム：35秒"));
    EXPECT_EQ(r.graduatedText, QStringLiteral("卒業 1個"));
    EXPECT_EQ(r.remaining, 3); // 14, 21 and the new 6
    EXPECT_EQ(r.remainingText, QStringLiteral("苦手な数 のこり 3個"));
    ctx.drill.timeUp = 1;
    EXPECT_EQ(PreparePracticeFinish(ctx).timeText, QStringLiteral("時間切れ"));
}

} // namespace baisuu
