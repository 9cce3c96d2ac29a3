#include "app/tour.h"

#include "core/configuration.h"
#include "core/stage.h"
#include "core/startup_screens.h"
#include "core/text_file.h"
#include "drill/drill_engine.h"
#include "drill/drill_screen.h"
#include "app/startup.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTimer>

#include <memory>

ShiftableClock::ShiftableClock(const QDateTime& start)
    : base_(start.isValid() ? SystemClock(start) : SystemClock())
{
}

QDateTime ShiftableClock::now() const { return base_.now().addMSecs(offsetMs_); }

qint64 ShiftableClock::monotonicMs() const { return base_.monotonicMs() + offsetMs_; }

namespace {

bool copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(file, target))
            return false;
    }
    return true;
}

// Calls then() once cond() holds, looking every 20 ms; gives up after 15 s.
void waitFor(std::function<bool()> cond, std::function<void()> then, int triesLeft = 750)
{
    if (cond() || triesLeft <= 0) {
        then();
        return;
    }
    QTimer::singleShot(20, [cond, then, triesLeft] { waitFor(cond, then, triesLeft - 1); });
}

void after(int ms, std::function<void()> then) { QTimer::singleShot(ms, then); }

MainFrm* drillScreen(Stage& stage)
{
    return stage.currentScreen() == Screen::Drill ? dynamic_cast<MainFrm*>(stage.current())
                                                   : nullptr;
}

bool readyForKey(Stage& stage)
{
    MainFrm* drill = drillScreen(stage);
    return drill && drill->engine().run().keyLock == 0 && !drill->engine().problem().firstAnswer.isEmpty();
}

// Answers the current problem right (or wrong) with its key.
void answer(Stage& stage, bool right)
{
    DrillEngine& engine = drillScreen(stage)->engine();
    const int key = (engine.problem().correctKey == 1) == right ? 49 : 51;
    engine.Form_KeyPress(key);
}

// Answers right until the run ends; before the last answer the clock moves on
// by lastShiftMs, so the run's time can be chosen.
void answerAll(Stage& stage, ShiftableClock& clock, qint64 lastShiftMs, std::function<void()> then)
{
    waitFor([&stage] { return readyForKey(stage) || stage.currentScreen() != Screen::Drill; },
            [&stage, &clock, lastShiftMs, then] {
                MainFrm* drill = drillScreen(stage);
                if (!drill || drill->engine().run().stopped) {
                    then();
                    return;
                }
                const DrillRun& run = drill->engine().run();
                if (run.problemCount - run.correctCount == 1)
                    clock.shift(lastShiftMs);
                answer(stage, true);
                answerAll(stage, clock, lastShiftMs, then);
            });
}

void startLevel(AppContext& ctx, int pupil, int level)
{
    SignIn(ctx, pupil);
    ComputeLevelStats(ctx.results, ctx.criteria, ctx.hensuu1.paths.resultsLogFile(), ctx.clock.now());
    ctx.hensuu1.currentLevel = qint16(level);
    StartRun(ctx);
}

} // namespace

QString prepareTourCopy(const QString& programDir, const QString& tempRoot)
{
    Hensuu1 real;
    real.developmentLayout = qint16(DevelopmentLayoutFor(programDir));
    if (LoadConfiguration(real, programDir))
        return {};
    const QString data = tempRoot + QStringLiteral("/data/");
    const QString program = tempRoot + QLatin1Char('/') + real.paths.contentFolder;
    QDir().mkpath(program);
    if (!copyTree(real.paths.dataRoot, data))
        return {};
    FileError error;
    if (!writeTextFile(tempRoot + QStringLiteral("/パスデータ.txt"),
                       QStringLiteral("\"%1\",0,0,0,0,0,0,0,0,0\r\n").arg(data), &error))
        return {};
    return program;
}

void saveScreenshot(Stage& stage, const QString& dir, const QString& name)
{
    QDir().mkpath(dir);
    if (QWidget* screen = stage.current())
        screen->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void runTour(AppContext& ctx, Stage& stage, ShiftableClock& clock, const QString& dir)
{
    auto shot = [&stage, dir](const QString& name) { saveScreenshot(stage, dir, name); };
    // The version box.
    {
        frmver box(ctx.hensuu1.contentName);
        box.show();
        box.grab().save(dir + QStringLiteral("/02_version.png"));
    }
    // Level 3: the start, a wrong answer, then the time limit.
    startLevel(ctx, 1, 3);
    waitFor([&stage] { return readyForKey(stage); }, [&, shot] {
        shot(QStringLiteral("03_drill_start"));
        answer(stage, false);
        waitFor([&stage] { return readyForKey(stage); }, [&, shot] {
            shot(QStringLiteral("04_drill_wrong_answer"));
            const DrillRun& run = drillScreen(stage)->engine().run();
            clock.shift(qint64(run.timeLimit + 1) * 1000);
            // The overlay stands only while the run is recorded: take it from the
            // drill screen itself, which lives on until the event loop deletes it.
            MainFrm* drill = drillScreen(stage);
            drill->engine().sTimer1_Timer();
            drill->grab().save(dir + QStringLiteral("/05_drill_time_out.png"));
            {
                waitFor([&stage] { return stage.currentScreen() == Screen::Finish; }, [&, shot] {
                    after(800, [&, shot] {
                        shot(QStringLiteral("06_finish_time_out"));
                        // A personal best that the school's best still beats, when it can be found.
                        const int level = 4;
                        ComputeLevelStats(ctx.results, ctx.criteria,
                                          ctx.hensuu1.paths.resultsLogFile(), ctx.clock.now());
                        const qint32 schoolBest = ctx.results.levelBestTime[level];
                        int pupil = 2;
                        qint32 time = ctx.criteria.levels[level].targetTime;
                        for (int p = 2; p <= 40; ++p) {
                            const qint32 own = ctx.results.best(p, level);
                            if (schoolBest < kNoTime && own > schoolBest + 4) {
                                pupil = p;
                                time = own >= kNoTime ? schoolBest + 5 : (own + schoolBest) / 2 + 1;
                                break;
                            }
                        }
                        startLevel(ctx, pupil, level);
                        answerAll(stage, clock, qint64(time) * 1000, [&, shot] {
                            waitFor([&stage] { return stage.currentScreen() == Screen::Finish; },
                                    [&, shot] {
                                after(800, [&, shot] {
                                    shot(QStringLiteral("07_finish_personal_best"));
                                    // The goal level cleared for the first time: four fast
                                    // runs this week, and this fifth one clears it.
                                    const int goal = ctx.hensuu1.catalog.goalLevel;
                                    const int goalPupil = 3;
                                    for (int i = 0; i < 4; ++i)
                                        AppendResult(ctx.hensuu1.paths.resultsLogFile(),
                                                     {qint16(goalPupil), qint16(goal), 8,
                                                      ctx.hensuu1.schoolCode, ctx.clock.now()});
                                    startLevel(ctx, goalPupil, goal);
                                    answerAll(stage, clock, 7000, [&, shot] {
                                        waitFor([&stage] { return stage.currentScreen() == Screen::Finish; },
                                                [&, shot] {
                                            after(150, [&, shot] {
                                                shot(QStringLiteral("08_finish_goal_banner"));
                                                stage.quit(0);
                                            });
                                        });
                                    });
                                });
                            });
                        });
                    });
                });
            }
        });
    });
}
