#include "app/startup.h"
#include "drill/drill_screen.h"
#include "drill/finish_screen.h"
#include "hub/hub_screen.h"
#include "records/result_record.h"
#include "stage_input.h"
#include "test_support.h"
#include "ui/stage.h"
#include "ui/startup_screens.h"

#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace baisuu {

// A pupil on the demo school runs every offered level to the finish screen and
// back to the hub, in a window half as large again as the stage: the level by a
// click on its start button (the column strip scrolled to it by clicks on its
// arrow), the answers by keys, the way back by a click on "メニューへ"; the hub
// comes back scrolled where it was. Every run lands in the log.
TEST(EveryLevel, RunsToTheFinishAndBackAndIsRecorded) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    ASSERT_EQ(QProcess::execute(QStringLiteral(BAISUU_CLI), {QStringLiteral("init-demo"), root}),
              0);
    const QString program = root + QStringLiteral("/倍数判定");

    SystemClock clock;
    SystemRandom random;
    SilentSoundPlayer sound;
    ProcessLauncher launcher;
    AppContext* context = nullptr;
    Stage stage([&](Screen screen) -> QWidget* {
        switch (screen) {
        case Screen::Drill:
            return MakeDrillScreen(*context);
        case Screen::Finish:
            return MakeFinishScreen(*context);
        case Screen::Wait:
            return new BASEFRM;
        default:
            return MakeHubScreen(*context);
        }
    });
    QStringList messages;
    stage.messageHook = [&](const QString& title, const QString& text) {
        messages << title + QStringLiteral(": ") + text;
    };
    AppContext ctx{{}, {}, {}, clock, random, sound, launcher, stage, {}, {}, 0};
    context = &ctx;
    ASSERT_FALSE(LoadInstallation(ctx, program));
    SignIn(ctx, 5);
    const QString log = ctx.hensuu1.paths.resultsLogFile();
    QList<ResultRecord> before;
    ASSERT_FALSE(ReadResultRecords(log, &before));

    stage.resize(qRound(kStageWidth * 1.5), qRound(kStageHeight * 1.5));
    stage.show();
    stage.show(Screen::Hub);
    for (int level = 1; level <= ctx.hensuu1.catalog.levelCount; ++level) {
        SCOPED_TRACE(level);
        auto* hub = dynamic_cast<seisekitime1*>(stage.current());
        ASSERT_TRUE(hub);
        ASSERT_TRUE(hub->hubReady());
        // Four columns are in view; the strip is scrolled to bring the level into it.
        auto* scroll = hub->findChild<QScrollBar*>(QStringLiteral("HScroll1"));
        ASSERT_TRUE(scroll);
        while (level > scroll->value() + 3) {
            const int before = scroll->value();
            clickOnStage(stage, scroll, {scroll->width() - 3, scroll->height() / 2});
            ASSERT_EQ(scroll->value(), before + 1) << "the arrow at the right end moves one column";
        }
        QPushButton* start = hub->column(level).Command4;
        ASSERT_GE(hub->column(level).place->x(), 0);
        ASSERT_TRUE(start->isEnabled());
        EXPECT_EQ(start->text(), QStringLiteral("ｽﾀｰﾄ(&%1)").arg(level));
        ASSERT_TRUE(reachableOnStage(stage, start));
        clickOnStage(stage, start); // the hub is handed over and deleted
        ASSERT_EQ(stage.currentScreen(), Screen::Drill) << messages.join('\n').toStdString();

        int answers = 0;
        while (stage.currentScreen() == Screen::Drill && answers < 40) {
            auto* drill = dynamic_cast<MainFrm*>(stage.current());
            ASSERT_TRUE(QTest::qWaitFor([&] {
                return drill->engine().run().keyLock == 0 || drill->engine().run().stopped;
            }));
            if (drill->engine().run().stopped) break;
            // The pupil types the answer in the window; the drill takes it.
            typeOnStage(stage, drill->engine().problem().correctKey == 1 ? '1' : '3');
            ++answers;
        }
        EXPECT_EQ(answers, 20);
        ASSERT_TRUE(QTest::qWaitFor([&] { return stage.currentScreen() == Screen::Finish; }, 5000));
        QPushButton* menu = nullptr;
        for (QPushButton* b : stage.current()->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("メニューへ")) menu = b;
        ASSERT_TRUE(menu);
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 3000));
        clickOnStage(stage, menu);
        ASSERT_TRUE(QTest::qWaitFor([&] { return stage.currentScreen() == Screen::Hub; }, 3000));
        EXPECT_EQ(ctx.hensuu1.firstColumn, std::max(1, level - 3));
    }

    QList<ResultRecord> after;
    ASSERT_FALSE(ReadResultRecords(log, &after));
    ASSERT_EQ(after.size(), before.size() + ctx.hensuu1.catalog.levelCount);
    for (int level = 1; level <= ctx.hensuu1.catalog.levelCount; ++level) {
        const ResultRecord& r = after[before.size() + level - 1];
        EXPECT_EQ(r.pupilNumber, 5);
        EXPECT_EQ(r.level, level);
        EXPECT_LT(r.runTime, 60);
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

} // namespace baisuu
