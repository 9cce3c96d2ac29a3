#include "app/tour_steps.h"

#include "app/startup.h"
#include "app/tour.h"
#include "drill/drill_engine.h"
#include "drill/drill_screen.h"
#include "drill/practice_run.h"
#include "hub/chart_panel.h"
#include "hub/chart_panel_screen.h"
#include "hub/data_change_panel_screen.h"
#include "hub/hub_model.h"
#include "hub/hub_screen.h"
#include "selection/name_selection_screen.h"
#include "teacher/criteria_editor_screen.h"
#include "teacher/records_manager_screen.h"
#include "ui/stage.h"
#include "ui/startup_screens.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace baisuu {

void TourState::shot(const QString& name) const {
    SaveScreenshot(stage, dir, name);
}

namespace {

// --- What the screens are asked -------------------------------------------

bool onScreen(Stage& stage, Screen screen) {
    return stage.currentScreen() == screen;
}

MainFrm* drillScreen(Stage& stage) {
    return onScreen(stage, Screen::Drill) ? dynamic_cast<MainFrm*>(stage.current()) : nullptr;
}

seisekitime1* hubScreen(Stage& stage) {
    return onScreen(stage, Screen::Hub) ? dynamic_cast<seisekitime1*>(stage.current()) : nullptr;
}

// Answers the current problem right (or wrong) with its key.
void answer(Stage& stage, bool right) {
    DrillEngine& engine = drillScreen(stage)->engine();
    engine.Form_KeyPress((engine.problem().correctKey == 1) == right ? '1' : '3');
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

// --- When a step may act ----------------------------------------------------

bool always(TourState&) {
    return true;
}

// The drill shows a problem and waits for a key (its last answer's sound has ended).
bool drillWaitsForKey(TourState& t) {
    MainFrm* drill = drillScreen(t.stage);
    return drill && drill->engine().run().keyLock == 0 &&
           !drill->engine().problem().firstAnswer.isEmpty();
}

bool finishShown(TourState& t) {
    return onScreen(t.stage, Screen::Finish);
}

bool practiceFinishShown(TourState& t) {
    return onScreen(t.stage, Screen::PracticeFinish);
}

bool hubReady(TourState& t) {
    seisekitime1* hub = hubScreen(t.stage);
    return hub && hub->hubReady();
}

bool selectionReady(TourState& t) {
    auto* selection =
        onScreen(t.stage, Screen::Selection) ? dynamic_cast<namesel*>(t.stage.current()) : nullptr;
    return selection && selection->loaded();
}

bool criteriaEditorShown(TourState& t) {
    return onScreen(t.stage, Screen::CriteriaEditor);
}

bool recordsManagerShown(TourState& t) {
    return onScreen(t.stage, Screen::RecordsManager);
}

// --- The drill and the finish screen ------------------------------------------

bool versionBoxThenFirstRun(TourState& t) {
    frmver box(t.ctx.hensuu1.contentName);
    box.show();
    box.grab().save(t.dir + QStringLiteral("/02_version.png"));
    startLevel(t.ctx, 1, 3);
    return true;
}

bool drillStartThenWrongAnswer(TourState& t) {
    t.shot(QStringLiteral("03_drill_start"));
    answer(t.stage, false);
    return true;
}

bool wrongAnswerThenTimeOut(TourState& t) {
    t.shot(QStringLiteral("04_drill_wrong_answer"));
    MainFrm* drill = drillScreen(t.stage);
    t.clock.shift(qint64(drill->engine().run().timeLimit + 1) * 1000);
    drill->engine().sTimer1_Timer();
    // The overlay stands only while the run is recorded: take it from the
    // drill screen itself, which lives on until the event loop deletes it.
    drill->grab().save(t.dir + QStringLiteral("/05_drill_time_out.png"));
    return true;
}

// Answers right until the run ends; the clock moves on before the last answer.
bool answerToTheEnd(TourState& t) {
    const DrillRun& run = drillScreen(t.stage)->engine().run();
    const bool last = run.problemCount - run.correctCount == 1;
    if (last) t.clock.shift(t.lastShiftMs);
    answer(t.stage, true);
    return last;
}

bool timeOutThenPersonalBestRun(TourState& t) {
    t.shot(QStringLiteral("06_finish_time_out"));
    // A personal best that the school's best still beats, when one can be found.
    AppContext& ctx = t.ctx;
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
    t.lastShiftMs = qint64(time) * 1000;
    startLevel(ctx, pupil, level);
    return true;
}

bool personalBestThenGoalRun(TourState& t) {
    t.shot(QStringLiteral("07_finish_personal_best"));
    // The goal level cleared for the first time: four fast runs this
    // week, and the fifth clears it.
    AppContext& ctx = t.ctx;
    const int goal = ctx.hensuu1.catalog.goalLevel;
    const int pupil = 3;
    for (int i = 0; i < 4; ++i)
        AppendResult(ctx.hensuu1.paths.resultsLogFile(),
                     {qint16(pupil), qint16(goal), 8, ctx.hensuu1.schoolCode, ctx.clock.now()});
    t.lastShiftMs = 7000;
    startLevel(ctx, pupil, goal);
    return true;
}

bool goalBannerThenHub(TourState& t) {
    t.shot(QStringLiteral("08_finish_goal_banner"));
    t.stage.show(Screen::Hub);
    return true;
}

// --- The hub and the selection screen -------------------------------------------

bool hubThenSelection(TourState& t) {
    t.shot(QStringLiteral("09_hub"));
    t.stage.show(Screen::Selection);
    return true;
}

bool selectionModesThenSignIn(TourState& t) {
    auto* selection = dynamic_cast<namesel*>(t.stage.current());
    selection->Option1_Click(0);
    t.shot(QStringLiteral("10_selection_mode0"));
    selection->Option1_Click(3);
    t.shot(QStringLiteral("11_selection_mode3"));
    // A pupil signs in by a double click on the first name.
    selection->List1_DblClick(1);
    return true;
}

bool pupilHubThenLastColumns(TourState& t) {
    t.shot(QStringLiteral("12_hub_pupil"));
    t.ctx.hensuu1.firstColumn = HubColumnLayout(t.ctx.hensuu1.catalog.levelCount).scrollMaximum;
    t.stage.show(Screen::Hub);
    return true;
}

bool scrolledThenPractisedTooMuch(TourState& t) {
    t.shot(QStringLiteral("13_hub_scrolled"));
    // Practised too much today: as many runs of level 2 as its limit.
    AppContext& ctx = t.ctx;
    ctx.hensuu1.firstColumn = 1;
    const int level = 2;
    const int limit = int(ctx.criteria.levels[level].overdoCount.toNumber());
    for (int i = 0; i < std::max(limit, 1); ++i)
        AppendResult(ctx.hensuu1.paths.resultsLogFile(), {ctx.hensuu1.currentPupil, qint16(level),
                                                          ctx.criteria.levels[level].targetTime,
                                                          ctx.hensuu1.schoolCode, ctx.clock.now()});
    t.stage.show(Screen::Hub);
    return true;
}

bool blockedThenTeacher(TourState& t) {
    t.shot(QStringLiteral("14_hub_blocked"));
    const StudentRoster& roster = t.ctx.roster;
    for (int k = 1; k <= roster.rosterCount; ++k) {
        const int p = roster.rosterNumbers[size_t(k)];
        if (roster.pupilNames[size_t(p)].contains(QStringLiteral("先生"))) {
            SignIn(t.ctx, p);
            break;
        }
    }
    t.stage.show(Screen::Hub);
    return true;
}

bool teacherHub(TourState& t) {
    t.shot(QStringLiteral("15_hub_teacher"));
    return true;
}

// Every list view of one mode: the mode's button, then its three views.
void listViews(TourState& t, const char* mode, const QStringList& names) {
    clickOption(t.stage, mode);
    const char* views[] = {"Option1_1", "Option1_2", "Option1_3"};
    for (int v = 0; v < 3; ++v) {
        clickOption(t.stage, views[v]);
        t.shot(names[v]);
    }
}

bool timeLists(TourState& t) {
    listViews(t, "Option2_0",
              {QStringLiteral("16_hub_time_best"), QStringLiteral("17_hub_time_today"),
               QStringLiteral("18_hub_time_all")});
    return true;
}

bool pointsLists(TourState& t) {
    listViews(t, "Option2_1",
              {QStringLiteral("19_hub_points_total"), QStringLiteral("20_hub_points_today"),
               QStringLiteral("21_hub_points_all")});
    return true;
}

bool ownRunsThenChart(TourState& t) {
    // The teacher's runs are of the last levels: the strip scrolls to them.
    if (auto* scroll = hubScreen(t.stage)->findChild<QScrollBar*>(QStringLiteral("HScroll1")))
        scroll->setValue(scroll->maximum());
    clickOption(t.stage, "Option2_2");
    t.shot(QStringLiteral("22_hub_own_runs"));
    // The chart page of the last three levels the teacher has runs of.
    seisekitime1* hub = hubScreen(t.stage);
    ChartPanel* panel = hub->chartPanel();
    int chosen = 0;
    for (int level = hub->columnCount(); level >= 1 && chosen < 3; --level)
        if (hub->column(level).List5->count() > 0 && level <= panel->List3->count()) {
            panel->List3->item(level - 1)->setSelected(true);
            ++chosen;
        }
    panel->Command24_Click(0);
    t.shot(QStringLiteral("23_hub_chart_three_levels"));
    return true;
}

bool otherPupilOnTheChart(TourState& t) {
    // Another pupil of the list, on the same levels.
    ChartPanel* panel = hubScreen(t.stage)->chartPanel();
    panel->Command25_Click();
    for (int row = panel->List2->count() - 1; row >= 0; --row)
        if (PupilOfLine(panel->List2->item(row)->text()) == 30) {
            panel->List2->item(row)->setSelected(true);
            panel->List2->scrollToItem(panel->List2->item(row));
            break;
        }
    panel->List2_Click();
    t.shot(QStringLiteral("24_hub_other_pupils"));
    // The same pupil's weak numbers, which only a teacher sees of another pupil.
    panel->showWeakNumbers(true);
    t.shot(QStringLiteral("25_hub_weak_numbers"));
    panel->showWeakNumbers(false);
    panel->Command18_Click();
    return true;
}

// --- The teacher's screens behind the password ------------------------------------

bool passwordPanelThenCriteriaEditor(TourState& t) {
    seisekitime1* hub = hubScreen(t.stage);
    hub->Command8_Click();
    t.shot(QStringLiteral("26_hub_password_panel"));
    DataChangePanel* panel = hub->dataChangePanel();
    panel->Text3->setText(t.ctx.hensuu1.teacherPassword);
    panel->Command10_Click(1);
    return true;
}

bool criteriaCellChanged(TourState& t) {
    // A level with runs, its target time typed anew: the cell turns yellow.
    auto* editor = dynamic_cast<FrmTimeData*>(t.stage.current());
    editor->MSFlexGrid1_Click(2, 1);
    editor->Gridinputtext->setText(editor->model().cell(2, 1) + QStringLiteral("5"));
    editor->MSFlexGrid1_Click(2, 2); // the editor moves on and shows the mark
    t.shot(QStringLiteral("27_criteria_editor_changed"));
    editor->Command2_Click(); // the tour changes no file
    editor->Command4_Click();
    return true;
}

bool openRecordsManager(TourState& t) {
    seisekitime1* hub = hubScreen(t.stage);
    hub->Command8_Click();
    hub->dataChangePanel()->Text3->setText(t.ctx.hensuu1.teacherPassword);
    hub->dataChangePanel()->Command10_Click(0);
    return true;
}

bool recordEditorThenHub(TourState& t) {
    auto* manager = dynamic_cast<FrmData*>(t.stage.current());
    manager->Command22_Click();
    const int row = std::max(0, manager->List1->count() - 3);
    manager->List1->setCurrentRow(row);
    manager->List1_DblClick(row);
    t.shot(QStringLiteral("28_records_manager_editor"));
    manager->Command4_Click();
    return true;
}

// --- 苦手練習 ---------------------------------------------------------------------

// A pupil whose answers file has weak numbers on level 3.
bool practiceRun(TourState& t) {
    SignIn(t.ctx, 1);
    StartPractice(t.ctx, 3);
    return true;
}

// Answers at a pupil's pace, the third answer wrong, until the run ends.
bool answerPracticeToTheEnd(TourState& t) {
    const DrillEngine& engine = drillScreen(t.stage)->engine();
    const qsizetype asked = engine.answers().size();
    const bool right = asked != 2;
    const bool last = right && engine.run().problemCount - engine.run().correctCount == 1;
    t.clock.shift(600 + 170 * (asked % 4));
    answer(t.stage, right);
    return last;
}

bool practiceFinishThenQuit(TourState& t) {
    t.shot(QStringLiteral("29_practice_finish"));
    t.stage.quit(0);
    return true;
}

// The finish screen's buttons appear after 500 ms; its banner hides again at 500 ms.
constexpr int kFinishSettled = 800;
constexpr int kBannerStillUp = 150;

const TourStep kSteps[] = {
    // {when ready, then ms more, act}
    {always, 0, versionBoxThenFirstRun},
    {drillWaitsForKey, 0, drillStartThenWrongAnswer},
    {drillWaitsForKey, 0, wrongAnswerThenTimeOut},
    {finishShown, kFinishSettled, timeOutThenPersonalBestRun},
    {drillWaitsForKey, 0, answerToTheEnd},
    {finishShown, kFinishSettled, personalBestThenGoalRun},
    {drillWaitsForKey, 0, answerToTheEnd},
    {finishShown, kBannerStillUp, goalBannerThenHub},
    {hubReady, 100, hubThenSelection},
    {selectionReady, 100, selectionModesThenSignIn},
    {hubReady, 100, pupilHubThenLastColumns},
    {hubReady, 100, scrolledThenPractisedTooMuch},
    {hubReady, 100, blockedThenTeacher},
    {hubReady, 100, teacherHub},
    {hubReady, 0, timeLists},
    {hubReady, 0, pointsLists},
    {hubReady, 0, ownRunsThenChart},
    {hubReady, 0, otherPupilOnTheChart},
    {hubReady, 0, passwordPanelThenCriteriaEditor},
    {criteriaEditorShown, 100, criteriaCellChanged},
    {hubReady, 0, openRecordsManager},
    {recordsManagerShown, 100, recordEditorThenHub},
    {hubReady, 0, practiceRun},
    {drillWaitsForKey, 0, answerPracticeToTheEnd},
    {practiceFinishShown, 100, practiceFinishThenQuit},
};

} // namespace

std::span<const TourStep> TourSteps() {
    return kSteps;
}

} // namespace baisuu
