// Every control that takes a click takes it in the window, through the stage:
// each button and clickable label of every screen is clicked at its place in
// the window, at the stage's own size and at one and a half times it, and
// must act; a push button with the focus must act on Enter as well. A control
// the scene does not hand the click to fails here, as it would fail a pupil.

#include "drill/drill_fixture.h"
#include "drill/drill_screen.h"
#include "drill/finish_screen.h"
#include "hub/chart_panel_screen.h"
#include "hub/data_change_panel_screen.h"
#include "hub/hub_screen.h"
#include "selection/name_selection_screen.h"
#include "stage_input.h"
#include "teacher/criteria_editor_screen.h"
#include "teacher/records_manager_screen.h"
#include "ui/screen_parts.h"
#include "ui/startup_screens.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

class StageClicks : public ::testing::TestWithParam<double>, public DrillFixture {
  protected:
    StageClicks() {
        Hensuu1& h = ctx->hensuu1;
        h.pupilName = QStringLiteral("佐藤先生　"); // a teacher sees every button of the hub
        h.pupilGrade = QStringLiteral("小３");
        h.seasonColor = 0xE0F4FF;
        h.teacherPassword = QStringLiteral("2468");
        writeFile(dir, QStringLiteral("新名簿.txt"),
                  sjis(QStringLiteral("7,2017,0,0,\"佐藤先生\",0,\"\",\"\"\r\n"
                                      "8,2017,0,0,\"山田　花子\",0,\"\",\"\"\r\n")));
        QString criteria = QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,"
                                          "判期間,禁期間,,,\r\n");
        for (int level = 1; level <= 11; ++level)
            criteria += QStringLiteral("30,60,20,3,1,0,0,7,7,,,\r\n");
        writeFile(dir, QStringLiteral("倍数判定/タイム回数データ.txt"), sjis(criteria));
        for (int pupil : {7, 8})
            EXPECT_FALSE(AppendResult(h.paths.resultsLogFile(),
                                      {qint16(pupil), 1, 25, h.schoolCode, clock.now()}));
        ctx->roster.rosterCount = 2;
        ctx->roster.rosterNumbers[1] = 7;
        ctx->roster.rosterNumbers[2] = 8;
        ctx->roster.pupilNames[7] = QStringLiteral("佐藤先生");
        ctx->roster.pupilNames[8] = QStringLiteral("山田　花子");
    }

    using Make = std::function<QWidget*()>;
    // Brings the screen to the state to walk (a panel opened, a list built).
    using Prepare = std::function<void(Stage&, QWidget*)>;

    std::unique_ptr<Stage> onStage(const Make& make, const Prepare& prepare) {
        auto stage = std::make_unique<Stage>([make](Screen) { return make(); });
        stage->resize(qRound(kStageWidth * GetParam()), qRound(kStageHeight * GetParam()));
        stage->show();
        stage->show(Screen::Wait);
        settle();
        if (prepare) prepare(*stage, stage->current());
        settle();
        return stage;
    }

    static void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    // The buttons and clickable labels of the screen a person can click.
    static QList<QWidget*> clickables(Stage& stage) {
        QList<QWidget*> found;
        for (QWidget* w : stage.current()->findChildren<QWidget*>()) {
            const bool button = qobject_cast<QAbstractButton*>(w) != nullptr;
            if ((button || qobject_cast<ClickableLabel*>(w)) && w->isEnabled() &&
                reachableOnStage(stage, w))
                found << w;
        }
        return found;
    }

    // Clicks each reachable control on a screen of its own, made anew, since a
    // click may hand over or change the screen. Returns how many were clicked.
    int walk(const Make& make, const Prepare& prepare = {}) {
        QStringList names;
        {
            auto stage = onStage(make, prepare);
            for (QWidget* w : clickables(*stage))
                names << w->objectName() + QLatin1Char('|') +
                             QString::number(stage->current()->findChildren<QWidget*>().indexOf(w));
        }
        for (const QString& name : names) {
            SCOPED_TRACE(name.toStdString());
            auto stage = onStage(make, prepare);
            const int index = name.section(QLatin1Char('|'), 1).toInt();
            QWidget* control = stage->current()->findChildren<QWidget*>().value(index);
            if (!control) {
                ADD_FAILURE() << "the screen made anew has other controls";
                continue;
            }
            const char* signal = qobject_cast<ClickableLabel*>(control)
                                     ? SIGNAL(clicked())
                                     : SIGNAL(clicked(bool));
            QSignalSpy spy(control, signal);
            clickOnStage(*stage, control);
            settle();
            EXPECT_EQ(spy.count(), 1) << "a click through the stage did not reach it";
            if (qobject_cast<QPushButton*>(control)) enter(make, prepare, index);
        }
        return int(names.size());
    }

    // A push button that can take the focus takes Enter too, on a screen made
    // anew, typed through the window.
    void enter(const Make& make, const Prepare& prepare, int index) {
        auto stage = onStage(make, prepare);
        QWidget* control = stage->current()->findChildren<QWidget*>().value(index);
        if (!control || !(control->focusPolicy() & Qt::TabFocus)) return;
        control->setFocus();
        QSignalSpy spy(control, SIGNAL(clicked(bool)));
        typeOnStage(*stage, Qt::Key_Return);
        settle();
        EXPECT_EQ(spy.count(), 1) << "Enter on the focused button did not click it";
    }
};

} // namespace

TEST_P(StageClicks, SelectionScreen) {
    const int clicked = walk([this] { return MakeSelectionScreen(*ctx); },
                             [](Stage&, QWidget* screen) {
                                 auto* s = static_cast<namesel*>(screen);
                                 EXPECT_TRUE(QTest::qWaitFor([s] { return s->loaded(); }));
                             });
    EXPECT_GE(clicked, 7); // the title, four options, O.K., the program menu
}

TEST_P(StageClicks, HubWithItsPanels) {
    const Make hub = [this] { return MakeHubScreen(*ctx); };
    // Level names, start buttons, options, back, data processing.
    EXPECT_GE(walk(hub), 4 + 4 + 6 + 2);
    // The password panel, opened by "データ処理".
    EXPECT_GE(walk(hub,
                   [](Stage& stage, QWidget* screen) {
                       clickOnStage(stage, screen->findChild<QWidget*>(QStringLiteral("Command8")));
                   }),
              3);
    // The own-runs view with the chart panel over it.
    EXPECT_GE(walk(hub,
                   [](Stage& stage, QWidget* screen) {
                       clickOnStage(stage, screen->findChild<QWidget*>(QStringLiteral("Option2_2")));
                       clickOnStage(stage, screen->findChild<QWidget*>(QStringLiteral("Command17")));
                   }),
              3);
}

TEST_P(StageClicks, DrillAndFinishScreens) {
    ASSERT_TRUE(StartRun(*ctx));
    EXPECT_EQ(walk([this] { return new MainFrm(*ctx, nullptr, defer()); }), 2);
    ctx->drill.recordedTime = 25;
    EXPECT_EQ(walk([this] { return new FrmSyuuryou(*ctx); },
                   [](Stage&, QWidget* screen) { static_cast<FrmSyuuryou*>(screen)->Timer1_Timer(); }),
              2);
}

TEST_P(StageClicks, TeachersScreens) {
    EXPECT_GE(walk([this] { return MakeCriteriaEditorScreen(*ctx); }), 5);
    const Make manager = [this] { return MakeRecordsManagerScreen(*ctx); };
    EXPECT_GE(walk(manager), 3);
    // With the list built and a record open in the editor.
    EXPECT_GE(walk(manager,
                   [](Stage& stage, QWidget* screen) {
                       auto* manager = static_cast<FrmData*>(screen);
                       clickOnStage(stage, manager->Command22);
                       QListWidget* list = manager->List1;
                       doubleClickOnStage(stage, list->viewport(),
                                          list->visualItemRect(list->item(0)).center());
                   }),
              5);
}

INSTANTIATE_TEST_SUITE_P(AtTwoScales, StageClicks, ::testing::Values(1.0, 1.5));

// The keys' clock is the window system's: a key stamped t and delivered at once
// says it is t now; one delivered late (stamped earlier) does not turn it back.
TEST(StageKeyClock, FollowsTheKeysDeliveredSoonest) {
    Stage stage([](Screen) { return new QWidget; });
    stage.show();
    stage.show(Screen::Wait);
    EXPECT_EQ(stage.keyTimeNow(), -1);
    typeOnStageStamped(stage, '1', 100000);
    const qint64 first = stage.keyTimeNow();
    EXPECT_GE(first, 100000);
    EXPECT_LT(first, 100000 + 1000);
    typeOnStageStamped(stage, '3', 90000); // typed ten seconds ago, delivered now
    EXPECT_GE(stage.keyTimeNow(), first);
}

} // namespace baisuu
