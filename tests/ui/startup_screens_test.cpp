#include "ui/stage.h"
#include "ui/startup_screens.h"

#include "test_support.h"
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace baisuu {

TEST(StartupScreens, SplashShowsTheEraDateAndHandsOverOnce) {
    int handOvers = 0;
    Firstfrm splash(QDate(2026, 12, 8), [&] { ++handOvers; });
    EXPECT_EQ(splash.dateLabel->text(), QStringLiteral("令和8年 12月 08日（火）"));
    EXPECT_EQ(splash.Label5->text(), QStringLiteral("Bramwell７７"));
    EXPECT_EQ(splash.Timer1->interval(), 100);
    QSignalSpy fired(splash.Timer1, &QTimer::timeout);
    EXPECT_TRUE(fired.wait(1000));
    QTest::qWait(250);
    EXPECT_EQ(handOvers, 1);

    EXPECT_EQ(VersionText(1, 2, 3), QStringLiteral("Version1.2.3"));
    frmver box(QStringLiteral("倍数判定"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(box.Label1->text(), QStringLiteral("倍数判定"));
    EXPECT_TRUE(box.Label2->text().startsWith(QStringLiteral("Version")));
    EXPECT_EQ(box.Label4->text(), QStringLiteral("Bramwell77"));
}

TEST(StartupScreens, StageReplacesAndDestroysTheScreenBefore) {
    QList<Screen> made;
    Stage stage([&](Screen s) -> QWidget* {
        made.append(s);
        return new BASEFRM;
    });
    stage.show(Screen::Wait);
    QPointer<QWidget> first = stage.current();
    stage.show(Screen::Hub);
    EXPECT_EQ(stage.currentScreen(), Screen::Hub);
    EXPECT_NE(stage.current(), first.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(made, (QList<Screen>{Screen::Wait, Screen::Hub}));
}

TEST(StartupScreens, StageMessageUnattendedGoesToStandardErrorAndFailsTheExit) {
    Stage stage([](Screen) { return new BASEFRM; });
    stage.show(Screen::Wait);
    // A box would wait here for ever; a timer gives the verdict instead.
    QTimer verdict;
    verdict.setSingleShot(true);
    QObject::connect(&verdict, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    verdict.start(3000);
    testing::internal::CaptureStderr();
    QTimer::singleShot(0, &stage, [&stage] {
        stage.message(QStringLiteral("成績記録エラー"),
                      QStringLiteral("成績を記録できませんでした。"));
        stage.quit(0);
    });
    const int code = QApplication::exec();
    const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(err.contains(QStringLiteral("成績記録エラー: 成績を記録できませんでした。")))
        << err.toStdString();
    // The failure stays, whatever exit is asked for later.
    stage.quit(0);
    EXPECT_EQ(QApplication::exec(), 1);
}

TEST(StartupScreens, StageDrawsTheScreensAtTheWindowsScaleWithoutMargin) {
    Stage stage([](Screen) { return new BASEFRM; });
    stage.resize(kStageWidth, kStageHeight);
    stage.show();
    stage.show(Screen::Wait);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(stage.transform().m11(), 1.0); // not the 99.6 % of a margin
    stage.resize(2 * kStageWidth, kStageHeight);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(stage.transform().m11(), 1.0); // the height decides
    stage.resize(kStageWidth / 2, kStageHeight);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(stage.transform().m22(), 0.5);
}

} // namespace baisuu
