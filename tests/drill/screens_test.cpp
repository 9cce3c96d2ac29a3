#include "drill/drill_fixture.h"

#include "drill/drill_screen.h"
#include "drill/finish_screen.h"
#include "ui/look.h"
#include "ui/stage.h"

#include "stage_input.h"
#include "test_support.h"
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace baisuu {

namespace {

class ScreensTest : public ::testing::Test, public DrillFixture {
  protected:
    template <typename T = QLabel> T* child(QWidget& screen, const char* name) {
        T* w = screen.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // The screen on a stage of its own, at the stage's size times scale; keys
    // and clicks go through the window, hand-overs to the recording navigator.
    template <typename T> T& onStage(std::function<T*()> make, double scale = 1.0) {
        host = std::make_unique<StageHost>([make](Screen) { return make(); }, scale);
        host->stage.show(Screen::Drill);
        return *static_cast<T*>(host->stage.current());
    }
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        typeOnStage(host->stage, key, modifiers);
    }
    void click(const QWidget* control) { clickOnStage(host->stage, control); }
    std::unique_ptr<StageHost> host;

    // Pictures of the screens for a person to look at, when asked for.
    static void snapshot(QWidget& screen, const QString& name) {
        const QString folder = qEnvironmentVariable("DRILL_SCREEN_PNG_DIR");
        if (!folder.isEmpty())
            screen.grab().save(folder + QStringLiteral("/") + name + QStringLiteral(".png"));
    }
};

} // namespace

TEST_F(ScreensTest, DrillScreenAnswersByKeyWhateverHasTheFocusAndByMouse) {
    ctx->hensuu1.currentLevel = 3; // draws of 0.3 always ask 33: key "3"
    ASSERT_TRUE(StartRun(*ctx));
    // A window half as large again as the stage.
    auto& screen = onStage<MainFrm>([this] { return new MainFrm(*ctx, nullptr, defer()); }, 1.5);
    EXPECT_EQ(child(screen, "Label1")->text(), QStringLiteral("33"));
    EXPECT_EQ(child(screen, "Label2")->text(), QStringLiteral("3の倍数か"));
    auto* first = child<QPushButton>(screen, "Command2_1");
    auto* second = child<QPushButton>(screen, "Command2_2");
    EXPECT_EQ(first->text(), QStringLiteral("違う(1をおせ)"));
    EXPECT_EQ(second->text(), QStringLiteral("3の倍数(3をおせ)"));
    EXPECT_EQ(child(screen, "sLabel9")->text(), QStringLiteral("20"));
    snapshot(screen, QStringLiteral("drill_start"));

    // No click leaves the focus on a button; should the program ever put it
    // there, the keys typed in the window still go to the drill.
    first->setFocus();
    type(Qt::Key_3);
    EXPECT_EQ(child(screen, "sLabel9")->text(), QStringLiteral("19"));
    screen.setFocus();
    type(Qt::Key_A);
    second->setFocus();
    type(Qt::Key_2);
    EXPECT_EQ(ctx->drill.correctCount, 1);
    click(second);
    EXPECT_EQ(child(screen, "sLabel9")->text(), QStringLiteral("18"));
    click(first);
    EXPECT_EQ(child(screen, "sLabel9")->text(), QStringLiteral("19"));
    screen.engine().sTimer1_Timer();
    EXPECT_EQ(child(screen, "sLabel10")->text(), QStringLiteral("10"));
    snapshot(screen, QStringLiteral("drill_after_wrong"));
}

TEST_F(ScreensTest, DrillScreenShowsTheTimeOutOverlay) {
    setCriteria(3, 1, 2);
    ctx->hensuu1.currentLevel = 3;
    ASSERT_TRUE(StartRun(*ctx));
    auto& screen = onStage<MainFrm>([this] { return new MainFrm(*ctx, nullptr, defer()); });
    EXPECT_FALSE(child<QWidget>(screen, "sPicture2")->isVisible());
    clock.advanceMs(10000);
    screen.engine().sTimer1_Timer();
    EXPECT_TRUE(child<QWidget>(screen, "sPicture2")->isVisible());
    EXPECT_TRUE(child(screen, "lblsss2")->isVisible());
    EXPECT_FALSE(child(screen, "lblsss1")->isVisible());
    EXPECT_EQ(child<QWidget>(screen, "sShape2")->width(), kTimeBarWidth);
    snapshot(screen, QStringLiteral("drill_time_out"));
    type(Qt::Key_3);
    EXPECT_EQ(ctx->drill.correctCount, 0);
    EXPECT_EQ(logSize(), 44);
}

TEST_F(ScreensTest, FinishScreenBannerButtonsAndHandOver) {
    ctx->hensuu1.currentLevel = 11;
    ctx->drill.recordedTime = 30;
    RunToRecord run{7, 11, 30, QStringLiteral("12345"), clock.now()};
    ASSERT_FALSE(AppendResult(ctx->hensuu1.paths.resultsLogFile(), run));
    ctx->results.newPersonalBest = 1;

    auto& screen = onStage<FrmSyuuryou>([this] { return new FrmSyuuryou(*ctx); });
    EXPECT_EQ(child(screen, "Label18")->text(), QStringLiteral("今の成績：30秒"));
    EXPECT_EQ(child(screen, "Label19")->text(), QStringLiteral("獲得ポイント：5点×1→5点"));
    EXPECT_EQ(child(screen, "Label20")->text(), QStringLiteral("新記録おめでとう"));
    EXPECT_TRUE(child(screen, "Label2")->isVisible());
    EXPECT_TRUE(child<QWidget>(screen, "Picture1")->isVisible());
    auto* menu = child<QPushButton>(screen, "Command4");
    auto* again = child<QPushButton>(screen, "Command5");
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(again->isVisible());
    EXPECT_TRUE(sound.played.contains(QStringLiteral("合格.wav")));
    snapshot(screen, QStringLiteral("finish_goal"));

    screen.Timer1_Timer();
    EXPECT_FALSE(child<QWidget>(screen, "Picture1")->isVisible());
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(again->isVisible());
    snapshot(screen, QStringLiteral("finish_buttons"));

    click(again);
    click(again);
    EXPECT_FALSE(menu->isEnabled());
    EXPECT_EQ(navigator.shown, (QList<Screen>{Screen::Wait, Screen::Drill}));
}

TEST_F(ScreensTest, FinishScreenMenuButtonGoesToTheHub) {
    ctx->drill.recordedTime = kNoTime;
    ctx->drill.timeUp = 1;
    auto& screen = onStage<FrmSyuuryou>([this] { return new FrmSyuuryou(*ctx); });
    EXPECT_EQ(child(screen, "Label18")->text(), QStringLiteral("記録なし"));
    EXPECT_EQ(child(screen, "Label20")->text(), QStringLiteral("時間切れ"));
    screen.Timer1_Timer();
    snapshot(screen, QStringLiteral("finish_time_out"));
    click(child<QPushButton>(screen, "Command4"));
    EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Hub});
}

// Enter clicks the button that has the focus, which a ring shows: メニューへ
// when the buttons come, もう一度 once the focus is on it.
TEST_F(ScreensTest, FinishScreenTakesEnterOnTheFocusedButtonAndShowsTheFocus) {
    const struct {
        bool moveFocus;
        const char* focused;
        const char* other;
        QList<Screen> shown;
    } rows[] = {{false, "Command4", "Command5", {Screen::Hub}},
                {true, "Command5", "Command4", {Screen::Wait, Screen::Drill}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.focused);
        navigator.shown.clear();
        ctx->drill = {};
        ctx->drill.recordedTime = 25;
        auto& screen = onStage<FrmSyuuryou>([this] { return new FrmSyuuryou(*ctx); }, 1.171875);
        screen.Timer1_Timer();
        if (row.moveFocus) child<QPushButton>(screen, row.focused)->setFocus();
        QApplication::processEvents();
        const QImage shot = host->stage.viewport()->grab().toImage();
        auto ringAt = [&](const char* name) { // the ring runs 2 to 4 px inside the edge
            const auto* button = child<QPushButton>(screen, name);
            const QPoint p = viewportPointOf(host->stage, button, QPoint(button->width() / 2, 2));
            return QColor(shot.pixel(p)) == kFocusRing;
        };
        EXPECT_TRUE(ringAt(row.focused));
        EXPECT_FALSE(ringAt(row.other));
        type(Qt::Key_Return);
        EXPECT_EQ(navigator.shown, row.shown);
    }
}

TEST_F(ScreensTest, DrillScreenAnswersOnlyToClicksAndTheTwoKeys) {
    ctx->hensuu1.currentLevel = 3; // always 33: the second button, key "3"
    ASSERT_TRUE(StartRun(*ctx));
    auto& screen = onStage<MainFrm>([this] { return new MainFrm(*ctx, nullptr, defer()); });
    auto* first = child<QPushButton>(screen, "Command2_1");
    auto* second = child<QPushButton>(screen, "Command2_2");
    click(second);
    ASSERT_EQ(ctx->drill.correctCount, 1);
    const qint64 startMs = ctx->drill.startMs;
    auto nothingAnswered = [&] {
        EXPECT_EQ(ctx->drill.correctCount, 1);
        EXPECT_EQ(ctx->drill.startMs, startMs); // no ten-second penalty
        EXPECT_EQ(sound.played.size(), 1);
    };
    // A click leaves no focus behind for Space or Enter to press the button again;
    // were the focus put on either button, the keys would still press nothing.
    for (QWidget* focus : {static_cast<QWidget*>(nullptr), static_cast<QWidget*>(first),
                           static_cast<QWidget*>(second)}) {
        if (focus) focus->setFocus();
        for (const Qt::Key key :
             {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_A, Qt::Key_2})
            type(key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    }
    nothingAnswered();
    // Tab finds no button to move to either.
    for (int i = 0; i < 3; ++i) {
        type(Qt::Key_Tab);
        type(Qt::Key_Space);
    }
    nothingAnswered();
    type(Qt::Key_3);
    EXPECT_EQ(ctx->drill.correctCount, 2);
}

TEST_F(ScreensTest, DrillScreenOnTheStageTakesOnlyTheTwoKeys) {
    // The program shows its screens scaled on the stage; the keys must still arrive.
    Stage stage([this](Screen screen) -> QWidget* {
        return screen == Screen::Drill ? new MainFrm(*ctx, nullptr, defer()) : nullptr;
    });
    stage.resize(1280, 960);
    stage.show();
    ctx->hensuu1.currentLevel = 3;
    stage.show(Screen::Drill);
    typeOnStage(stage, Qt::Key_3);
    EXPECT_EQ(ctx->drill.correctCount, 1);
    typeOnStage(stage, Qt::Key_1);
    EXPECT_EQ(ctx->drill.correctCount, 0);
    EXPECT_EQ(sound.played.size(), 2);

    clickOnStage(stage, stage.current()->findChild<QPushButton*>(QStringLiteral("Command2_2")));
    EXPECT_EQ(ctx->drill.correctCount, 1);
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Space,
                              Qt::Key_Tab, Qt::Key_Return, Qt::Key_Backtab, Qt::Key_Space})
        typeOnStage(stage, key);
    EXPECT_EQ(ctx->drill.correctCount, 1);
    EXPECT_EQ(sound.played.size(), 3);

    // The stage's own key still works over the drill.
    typeOnStage(stage, Qt::Key_F11);
    EXPECT_TRUE(stage.windowState() & Qt::WindowFullScreen);
    typeOnStage(stage, Qt::Key_F11);
    EXPECT_FALSE(stage.windowState() & Qt::WindowFullScreen);
    EXPECT_EQ(ctx->drill.correctCount, 1);
}

TEST_F(ScreensTest, WindowTitleIsTheCaptionOfTheScreenOnTheStage) {
    Stage stage([this](Screen screen) -> QWidget* {
        switch (screen) {
        case Screen::Drill:
            return new MainFrm(*ctx, nullptr, defer());
        case Screen::Finish:
            return new FrmSyuuryou(*ctx);
        default:
            return new QWidget; // a screen without a caption
        }
    });
    stage.show();
    EXPECT_EQ(stage.windowTitle(), QStringLiteral("倍数判定"));
    stage.show(Screen::Drill);
    EXPECT_EQ(stage.windowTitle(), QStringLiteral("Tallmer"));
    ctx->drill.recordedTime = 30;
    stage.show(Screen::Finish);
    EXPECT_EQ(stage.windowTitle(), QStringLiteral("終了"));
    stage.show(Screen::Wait);
    EXPECT_EQ(stage.windowTitle(), QStringLiteral("倍数判定"));
}

} // namespace baisuu
