#include "app/tour.h"

#include "app/startup.h"
#include "core/configuration.h"
#include "core/stage.h"
#include "core/startup_screens.h"
#include "core/text_file.h"
#include "drill/drill_engine.h"
#include "drill/drill_screen.h"
#include "hub/charts.h"
#include "hub/hub_model.h"
#include "hub/hub_panels.h"
#include "hub/hub_screen.h"
#include "records/criteria_editor_screen.h"
#include "records/records_manager_screen.h"
#include "roster/name_selection_screen.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>
#include <memory>

ShiftableClock::ShiftableClock(const QDateTime& start)
    : base_(start.isValid() ? SystemClock(start) : SystemClock()) {}

QDateTime ShiftableClock::now() const {
    return base_.now().addMSecs(offsetMs_);
}

qint64 ShiftableClock::monotonicMs() const {
    return base_.monotonicMs() + offsetMs_;
}

namespace {

bool copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(file, target)) return false;
    }
    return true;
}

bool onScreen(Stage& stage, Screen screen) {
    return stage.currentScreen() == screen;
}

MainFrm* drillScreen(Stage& stage) {
    return onScreen(stage, Screen::Drill) ? dynamic_cast<MainFrm*>(stage.current()) : nullptr;
}

// The drill shows a problem and waits for a key (its last answer's sound has ended).
bool readyForKey(Stage& stage) {
    MainFrm* drill = drillScreen(stage);
    return drill && drill->engine().run().keyLock == 0 &&
           !drill->engine().problem().firstAnswer.isEmpty();
}

// Answers the current problem right (or wrong) with its key.
void answer(Stage& stage, bool right) {
    DrillEngine& engine = drillScreen(stage)->engine();
    engine.Form_KeyPress((engine.problem().correctKey == 1) == right ? '1' : '3');
}

seisekitime1* hubScreen(Stage& stage) {
    return onScreen(stage, Screen::Hub) ? dynamic_cast<seisekitime1*>(stage.current()) : nullptr;
}

// Clicks an option button of the hub, as the pupil would, so its mark moves too.
void clickOption(Stage& stage, const char* name) {
    if (auto* option = hubScreen(stage)->findChild<QRadioButton*>(QLatin1String(name)))
        option->click();
}

void startLevel(AppContext& ctx, int pupil, int level) {
    SignIn(ctx, pupil);
    ctx.hensuu1.currentLevel = qint16(level);
    StartRun(ctx);
}

// One state of the tour: once ready() holds and delayMs more have passed, act().
// An act that returns false is done again at the next readiness (for the run
// of answers that makes up one step).
struct Step {
    std::function<bool()> ready;
    int delayMs;
    std::function<bool()> act;
};

void runSteps(std::shared_ptr<QList<Step>> steps, qsizetype i, int triesLeft) {
    if (i >= steps->size()) return;
    const Step& step = (*steps)[i];
    if (!step.ready()) {
        // A state that never comes (15 s) ends the tour as a failure instead of hanging it.
        if (triesLeft <= 0) {
            std::fprintf(stderr, "screenshot tour: step %lld never became ready\n", qint64(i + 1));
            QCoreApplication::exit(1);
            return;
        }
        QTimer::singleShot(20, [steps, i, triesLeft] { runSteps(steps, i, triesLeft - 1); });
        return;
    }
    QTimer::singleShot(step.delayMs, [steps, i] {
        const bool done = (*steps)[i].act();
        runSteps(steps, done ? i + 1 : i, 750);
    });
}

} // namespace

QString prepareTourCopy(const QString& programDir, const QString& tempRoot, QString* error) {
    Hensuu1 real;
    real.developmentLayout = qint16(DevelopmentLayoutFor(programDir));
    if (auto failure = LoadConfiguration(real, programDir)) {
        *error = failure->text();
        return {};
    }
    const QString data = tempRoot + QStringLiteral("/data/");
    const QString program = tempRoot + QLatin1Char('/') + real.paths.contentFolder;
    QDir().mkpath(program);
    if (!copyTree(real.paths.dataRoot, data)) {
        *error = real.paths.dataRoot;
        return {};
    }
    FileError failure;
    if (!writeTextFile(tempRoot + QStringLiteral("/パスデータ.txt"),
                       QStringLiteral("\"%1\",0,0,0,0,0,0,0,0,0\r\n").arg(data), &failure)) {
        *error = failure.text();
        return {};
    }
    return program;
}

void saveScreenshot(Stage& stage, const QString& dir, const QString& name) {
    QDir().mkpath(dir);
    if (QWidget* screen = stage.current())
        screen->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void runTour(AppContext& ctx, Stage& stage, ShiftableClock& clock, const QString& dir) {
    auto shot = [&stage, dir](const QString& name) {
        saveScreenshot(stage, dir, name);
        return true;
    };
    auto always = [] { return true; };
    auto finishShown = [&stage] { return onScreen(stage, Screen::Finish); };
    auto ready = [&stage] { return readyForKey(stage); };
    auto hubReady = [&stage] {
        seisekitime1* hub = hubScreen(stage);
        return hub && hub->hubReady();
    };
    // Every list view of one mode: the mode's button, then its three views.
    auto listViews = [&stage, shot](const char* mode, const QStringList& names) {
        return [&stage, shot, mode, names] {
            clickOption(stage, mode);
            const char* views[] = {"Option1_1", "Option1_2", "Option1_3"};
            for (int v = 0; v < 3; ++v) {
                clickOption(stage, views[v]);
                shot(names[v]);
            }
            return true;
        };
    };
    auto selectionReady = [&stage] {
        auto* selection =
            onScreen(stage, Screen::Selection) ? dynamic_cast<namesel*>(stage.current()) : nullptr;
        return selection && selection->loaded();
    };
    // Answers right until the run ends; before the last answer the clock moves
    // on by *lastShiftMs, so the run's time can be chosen.
    auto lastShiftMs = std::make_shared<qint64>(0);
    auto answerToTheEnd = [&stage, &clock, lastShiftMs] {
        const DrillRun& run = drillScreen(stage)->engine().run();
        const bool last = run.problemCount - run.correctCount == 1;
        if (last) clock.shift(*lastShiftMs);
        answer(stage, true);
        return last;
    };
    auto steps = std::make_shared<QList<Step>>(QList<Step>{
        {always, 0,
         [&ctx, dir] {
             frmver box(ctx.hensuu1.contentName);
             box.show();
             box.grab().save(dir + QStringLiteral("/02_version.png"));
             startLevel(ctx, 1, 3);
             return true;
         }},
        {ready, 0,
         [&stage, shot] {
             shot(QStringLiteral("03_drill_start"));
             answer(stage, false);
             return true;
         }},
        {ready, 0,
         [&stage, &clock, shot, dir] {
             shot(QStringLiteral("04_drill_wrong_answer"));
             MainFrm* drill = drillScreen(stage);
             clock.shift(qint64(drill->engine().run().timeLimit + 1) * 1000);
             drill->engine().sTimer1_Timer();
             // The overlay stands only while the run is recorded: take it from the
             // drill screen itself, which lives on until the event loop deletes it.
             drill->grab().save(dir + QStringLiteral("/05_drill_time_out.png"));
             return true;
         }},
        // 800 ms: the finish screen's buttons appear after 500 ms.
        {finishShown, 800,
         [&ctx, shot, lastShiftMs] {
             shot(QStringLiteral("06_finish_time_out"));
             // A personal best that the school's best still beats, when one can be found.
             const int level = 4;
             ComputeLevelStats(ctx.results, ctx.criteria, ctx.hensuu1.paths.resultsLogFile(),
                               ctx.clock.now());
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
             *lastShiftMs = qint64(time) * 1000;
             startLevel(ctx, pupil, level);
             return true;
         }},
        {ready, 0, answerToTheEnd},
        {finishShown, 800,
         [&ctx, shot, lastShiftMs] {
             shot(QStringLiteral("07_finish_personal_best"));
             // The goal level cleared for the first time: four fast runs this
             // week, and the fifth clears it.
             const int goal = ctx.hensuu1.catalog.goalLevel;
             const int pupil = 3;
             for (int i = 0; i < 4; ++i)
                 AppendResult(
                     ctx.hensuu1.paths.resultsLogFile(),
                     {qint16(pupil), qint16(goal), 8, ctx.hensuu1.schoolCode, ctx.clock.now()});
             *lastShiftMs = 7000;
             startLevel(ctx, pupil, goal);
             return true;
         }},
        {ready, 0, answerToTheEnd},
        // Before the finish screen's 500 ms timer hides the banner again.
        {finishShown, 150,
         [&stage, shot] {
             shot(QStringLiteral("08_finish_goal_banner"));
             stage.show(Screen::Hub);
             return true;
         }},
        {hubReady, 100,
         [&stage, shot] {
             shot(QStringLiteral("09_hub"));
             stage.show(Screen::Selection);
             return true;
         }},
        {selectionReady, 100,
         [&stage, shot] {
             auto* selection = dynamic_cast<namesel*>(stage.current());
             selection->Option1_Click(0);
             shot(QStringLiteral("10_selection_mode0"));
             selection->Option1_Click(3);
             shot(QStringLiteral("11_selection_mode3"));
             // A pupil signs in by a double click on the first name.
             selection->List1_DblClick(1);
             return true;
         }},
        {hubReady, 100,
         [&ctx, &stage, shot] {
             shot(QStringLiteral("12_hub_pupil"));
             ctx.hensuu1.firstColumn =
                 HubColumnLayout(ctx.hensuu1.catalog.levelCount).scrollMaximum;
             stage.show(Screen::Hub);
             return true;
         }},
        {hubReady, 100,
         [&ctx, &stage, shot] {
             shot(QStringLiteral("13_hub_scrolled"));
             // Practised too much today: as many runs of level 2 as its limit.
             ctx.hensuu1.firstColumn = 1;
             const int level = 2;
             const int limit = int(ctx.criteria.levels[level].overdoCount.toNumber());
             for (int i = 0; i < std::max(limit, 1); ++i)
                 AppendResult(ctx.hensuu1.paths.resultsLogFile(),
                              {ctx.hensuu1.currentPupil, qint16(level),
                               ctx.criteria.levels[level].targetTime, ctx.hensuu1.schoolCode,
                               ctx.clock.now()});
             stage.show(Screen::Hub);
             return true;
         }},
        {hubReady, 100,
         [&ctx, &stage, shot] {
             shot(QStringLiteral("14_hub_blocked"));
             for (int k = 1; k <= ctx.roster.rosterCount; ++k) {
                 const int p = ctx.roster.rosterNumbers[size_t(k)];
                 if (ctx.roster.pupilNames[size_t(p)].contains(QStringLiteral("先生"))) {
                     SignIn(ctx, p);
                     break;
                 }
             }
             stage.show(Screen::Hub);
             return true;
         }},
        {hubReady, 100,
         [shot] {
             shot(QStringLiteral("15_hub_teacher"));
             return true;
         }},
        {hubReady, 0,
         listViews("Option2_0",
                   {QStringLiteral("16_hub_time_best"), QStringLiteral("17_hub_time_today"),
                    QStringLiteral("18_hub_time_all")})},
        {hubReady, 0,
         listViews("Option2_1",
                   {QStringLiteral("19_hub_points_total"), QStringLiteral("20_hub_points_today"),
                    QStringLiteral("21_hub_points_all")})},
        {hubReady, 0,
         [&stage, shot] {
             // The teacher's runs are of the last levels: the strip scrolls to them.
             if (auto* scroll =
                     hubScreen(stage)->findChild<QScrollBar*>(QStringLiteral("HScroll1")))
                 scroll->setValue(scroll->maximum());
             clickOption(stage, "Option2_2");
             shot(QStringLiteral("22_hub_own_runs"));
             // The chart page of the last three levels the teacher has runs of.
             seisekitime1* hub = hubScreen(stage);
             ChartPanel* panel = hub->chartPanel();
             int chosen = 0;
             for (int level = hub->columnCount(); level >= 1 && chosen < 3; --level)
                 if (hub->column(level).List5->count() > 0 && level <= panel->List3->count()) {
                     panel->List3->item(level - 1)->setSelected(true);
                     ++chosen;
                 }
             panel->Command24_Click(0);
             shot(QStringLiteral("23_hub_chart_three_levels"));
             return true;
         }},
        {hubReady, 0,
         [&stage, shot] {
             // Another pupil of the list, on the same levels.
             ChartPanel* panel = hubScreen(stage)->chartPanel();
             panel->Command25_Click();
             for (int row = panel->List2->count() - 1; row >= 0; --row)
                 if (PupilOfLine(panel->List2->item(row)->text()) == 30) {
                     panel->List2->item(row)->setSelected(true);
                     panel->List2->scrollToItem(panel->List2->item(row));
                     break;
                 }
             panel->List2_Click();
             shot(QStringLiteral("24_hub_other_pupils"));
             panel->Command18_Click();
             return true;
         }},
        {hubReady, 0,
         [&ctx, &stage, shot] {
             seisekitime1* hub = hubScreen(stage);
             hub->Command8_Click();
             shot(QStringLiteral("25_hub_password_panel"));
             DataChangePanel* panel = hub->dataChangePanel();
             panel->Text3->setText(ctx.hensuu1.teacherPassword);
             panel->Command10_Click(1);
             return true;
         }},
        {[&stage] { return onScreen(stage, Screen::CriteriaEditor); }, 100,
         [&stage, shot] {
             // A level with runs, its target time typed anew: the cell turns yellow.
             auto* editor = dynamic_cast<FrmTimeData*>(stage.current());
             editor->MSFlexGrid1_Click(2, 1);
             editor->Gridinputtext->setText(editor->model().cell(2, 1) + QStringLiteral("5"));
             editor->MSFlexGrid1_Click(2, 2); // the editor moves on and shows the mark
             shot(QStringLiteral("26_criteria_editor_changed"));
             editor->Command2_Click(); // the tour changes no file
             editor->Command4_Click();
             return true;
         }},
        {hubReady, 0,
         [&ctx, &stage] {
             seisekitime1* hub = hubScreen(stage);
             hub->Command8_Click();
             hub->dataChangePanel()->Text3->setText(ctx.hensuu1.teacherPassword);
             hub->dataChangePanel()->Command10_Click(0);
             return true;
         }},
        {[&stage] { return onScreen(stage, Screen::RecordsManager); }, 100,
         [&stage, shot] {
             auto* manager = dynamic_cast<FrmData*>(stage.current());
             manager->Command22_Click();
             const int row = std::max(0, manager->List1->count() - 3);
             manager->List1->setCurrentRow(row);
             manager->List1_DblClick(row);
             shot(QStringLiteral("27_records_manager_editor"));
             manager->Command4_Click();
             stage.quit(0);
             return true;
         }},
    });
    runSteps(steps, 0, 750);
}
