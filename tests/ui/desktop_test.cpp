// The window among the desktop's others: its size on the screen, and Qt's own
// texts in Japanese.

#include "ui/look.h"
#include "ui/stage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLibraryInfo>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace baisuu {

TEST(Desktop, TheWindowIsTheLargestFourByThreeThatFitsWithItsFrame) {
    const struct {
        QSize available;
        QMargins frame;
        QSize window;
    } cases[] = {
        // A laptop with a panel: the height decides, frame included.
        {{1366, 738}, {1, 29, 1, 1}, {944, 708}},
        {{1920, 1080}, {}, {1440, 1080}},
        {{1920, 1050}, {4, 30, 4, 4}, {1352, 1014}},
        // A tall screen: the width decides.
        {{768, 1366}, {0, 30, 0, 0}, {768, 576}},
        {{1024, 768}, {}, {1024, 768}},
        // Never nothing at all, however small the screen.
        {{2, 2}, {}, {4, 3}},
    };
    for (const auto& c : cases) {
        const QSize window = StageWindowSize(c.available, c.frame);
        EXPECT_EQ(window, c.window) << c.available.width() << "x" << c.available.height();
        EXPECT_EQ(window.width() * 3, window.height() * 4);
    }
}

TEST(Desktop, TheStageOpensWithinTheScreenOrFullScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    Stage windowed([](Screen) { return new QLabel; });
    windowed.showOnDesktop(false);
    EXPECT_FALSE(windowed.isFullScreen());
    EXPECT_LE(windowed.frameGeometry().height(), area.height());
    EXPECT_LE(windowed.frameGeometry().width(), area.width());
    EXPECT_EQ(windowed.width() * 3, windowed.height() * 4);
    EXPECT_TRUE(area.contains(windowed.frameGeometry())) << windowed.x() << "," << windowed.y();

    Stage full([](Screen) { return new QLabel; });
    full.showOnDesktop(true);
    EXPECT_TRUE(full.isFullScreen());
}

// Back from a box or a dialog (the window is activated again), a window whose
// frame has come to lie outside the screen's available area is fitted to it
// again; one the person left within the area stays as it is.
TEST(Desktop, TheWindowComesBackWithinTheScreenWhenActivatedAgain) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        QRect placed;
        bool staysPut;
    } rows[] = {
        {QRect(area.topLeft() + QPoint(0, 200), area.size()), false},    // bottom below the screen
        {QRect(area.topLeft() - QPoint(0, 30), area.size()), false},     // title bar above it
        {QRect(area.topLeft() + QPoint(300, 0), area.size()), false},    // right edge off it
        {QRect(area.topLeft() + QPoint(20, 20), QSize(400, 300)), true}, // within: left alone
    };
    for (const auto& row : rows) {
        Stage stage([](Screen) { return new QLabel; });
        stage.showOnDesktop(false);
        stage.setGeometry(row.placed);
        QEvent activated(QEvent::WindowActivate);
        QApplication::sendEvent(&stage, &activated);
        QApplication::processEvents();
        EXPECT_TRUE(area.contains(stage.frameGeometry())) << row.placed.y();
        EXPECT_EQ(stage.geometry() == row.placed, row.staysPut) << row.placed.y();
    }
}

// A box is as wide as its title needs in a desktop's title bar (13 pt bold)
// beside the window manager's icon and three buttons, however short its text.
TEST(Desktop, EveryBoxIsWideEnoughForItsWholeTitle) {
    const QFontMetrics titleFont(FontOf(13, true));
    for (const QString& title :
         {QStringLiteral("データ変更パスワード"), QStringLiteral("起動エラー"),
          QStringLiteral("成績の記録"), QStringLiteral("データが変更されています（記録の確認）")}) {
        QMessageBox box(QMessageBox::Information, title, QStringLiteral("はい"), QMessageBox::Ok);
        WidenForTitle(box);
        box.show();
        QApplication::processEvents();
        EXPECT_GE(box.width(), titleFont.horizontalAdvance(title) + 160) << title.toStdString();
    }
}

TEST(Desktop, QtsOwnButtonsReadInJapanese) {
    const QString file =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm");
    if (!QFileInfo::exists(file)) GTEST_SKIP() << "Qt's Japanese translations are not installed";
    ASSERT_TRUE(LoadQtJapanese());
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), QStringLiteral("消しますか"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')).left(2),
              QStringLiteral("はい"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')).left(3),
              QStringLiteral("いいえ"));
}

} // namespace baisuu
