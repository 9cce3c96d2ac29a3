// The window among the desktop's others: its size on the screen, and Qt's own
// texts in Japanese.

#include "ui/stage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
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
