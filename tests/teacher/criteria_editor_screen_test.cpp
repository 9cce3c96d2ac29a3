// The criteria editor's screen, clicked and typed at through the stage.

#include "records/criteria_files.h"
#include "records/log_bytes.h"
#include "selection/selection_fixture.h"
#include "stage_input.h"
#include "teacher/criteria_editor.h"
#include "teacher/criteria_editor_screen.h"
#include "test_support.h"
#include "text_fit.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

// On a stage of its own, clicked and typed at through the window; hand-overs recorded.
struct EditorScreenTest : ::testing::Test {
    SelectionFixture school;
    QString path;
    // The questions put to the teacher, answered No unless the test queues a Yes.
    QList<std::pair<QString, QString>>& asked = school.navigator.asked;
    std::unique_ptr<StageHost> host;
    FrmTimeData* screen = nullptr;

    void SetUp() override {
        school.writeSchool();
        path = school.ctx->hensuu1.paths.criteriaFile();
        writeFile(school.dir, QStringLiteral("data/倍数判定/タイム回数データ.txt"),
                  sjis(kThreeLevels));
        writeFile(school.dir, QStringLiteral("data/倍数判定/成績累積データ.dat"),
                  rawRecord({.pupil = 3, .level = 1, .runTime = 25}) +
                      rawRecord({.pupil = 3, .level = 2, .runTime = 45}));
        school.ctx->hensuu1.catalog.levelCount = 3;
        showScreen(1.0);
    }
    // The screen made anew in a window of the stage's size times scale.
    void showScreen(double scale) {
        host.reset(new StageHost([this](Screen) { return new FrmTimeData(*school.ctx); }, scale));
        host->stage.show(Screen::CriteriaEditor);
        screen = static_cast<FrmTimeData*>(host->stage.current());
    }
    QTableWidgetItem* item(int r, int c) { return screen->MSFlexGrid1->item(r, c); }
    bool yellow(int r, int c) { return item(r, c)->background().color() == QColor(255, 255, 0); }
    void clickCell(int r, int c) {
        clickOnStage(host->stage, screen->MSFlexGrid1->viewport(),
                     screen->MSFlexGrid1->visualItemRect(item(r, c)).center());
    }
    void type(Qt::Key key, Qt::KeyboardModifiers with = {}) { typeOnStage(host->stage, key, with); }
    // Space clears the cell under the editor (セルクリア); the keys fill it anew.
    void retype(const char* keys) {
        type(Qt::Key_Space);
        for (; *keys; ++keys)
            typeOnStage(host->stage, *keys);
    }
};

} // namespace

TEST_F(EditorScreenTest, OpensOnLevelOneWithItsHelpAndChartsAndEveryTextFits) {
    showScreen(1.5); // a window half as large again as the stage
    ASSERT_EQ(screen->MSFlexGrid1->rowCount(), 4);
    EXPECT_EQ(screen->Gridinputtext->text(), QStringLiteral("20"));
    EXPECT_TRUE(screen->Label3->text().startsWith(QStringLiteral("合格基準タイム\n")))
        << screen->Label3->text().toStdString();
    EXPECT_EQ(screen->List3->item(0)->text(), QStringLiteral("レベル1 今まで1回  （★=1）"));
    EXPECT_EQ(screen->List3->count(), 102);
    EXPECT_EQ(screen->List4->item(0)->text(), QStringLiteral("レベル1 （★=1）"));
    expectTextsFit(*screen);
    // The headings and the values fit their cells.
    const QFontMetrics fm(screen->MSFlexGrid1->font());
    for (int r = 0; r < screen->MSFlexGrid1->rowCount(); ++r)
        for (int c = 0; c < kEditorColumns; ++c)
            EXPECT_LE(fm.horizontalAdvance(item(r, c)->text()) + 6,
                      screen->MSFlexGrid1->columnWidth(c))
                << item(r, c)->text().toStdString();

    // A click on another level's cell moves the editor there and changes the charts.
    clickCell(2, 9);
    EXPECT_EQ(screen->Gridinputtext->text(), QStringLiteral("2"));
    EXPECT_EQ(screen->List3->item(0)->text(), QStringLiteral("レベル2 今まで1回  （★=1）"));
    EXPECT_EQ(screen->Gridinputtext->geometry().topLeft(),
              screen->MSFlexGrid1->viewport()->mapTo(
                  screen, screen->MSFlexGrid1->visualItemRect(item(2, 9)).topLeft()));
}

TEST_F(EditorScreenTest, KeysTypeClearCopyAndMoveAndLeavingAsksOnlyAfterAChange) {
    QLineEdit* box = screen->Gridinputtext;
    typeOnStage(host->stage, '5');
    EXPECT_EQ(item(1, 1)->text(), QStringLiteral("205"));
    EXPECT_TRUE(yellow(1, 1));
    type(Qt::Key_Space); // セルクリア
    EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(item(1, 1)->text(), QString());

    type(Qt::Key_Down);
    EXPECT_EQ(box->text(), QStringLiteral("40"));
    type(Qt::Key_Down, Qt::ShiftModifier); // copies 40 into level 3
    EXPECT_EQ(item(3, 1)->text(), QStringLiteral("40"));
    EXPECT_TRUE(yellow(3, 1));
    EXPECT_FALSE(yellow(2, 1));
    type(Qt::Key_Escape);
    type(Qt::Key_Right);
    EXPECT_EQ(box->text(), QStringLiteral("60"));

    clickOnStage(host->stage, screen->Command4); // No: nothing written, back to the hub
    EXPECT_EQ(asked, (QList<std::pair<QString, QString>>{
                         {QStringLiteral("注意"),
                          QStringLiteral("データが変更されています。記録しますか？")}}));
    EXPECT_EQ(school.navigator.askedKinds, QList<Question>{Question::SaveYesNo});
    EXPECT_EQ(readBytes(path), sjis(kThreeLevels));
    EXPECT_EQ(school.navigator.shown, QList<Screen>{Screen::Hub});

    // That screen gave way to the hub; on a new one, 元に戻す drops the edits and
    // their marks, and the table still counts as changed, so leaving asks again.
    showScreen(1.0);
    type(Qt::Key_Down);
    type(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_TRUE(yellow(3, 1));
    clickOnStage(host->stage, screen->Command2);
    EXPECT_EQ(item(3, 1)->text(), QStringLiteral("50"));
    EXPECT_FALSE(yellow(3, 1));
    clickOnStage(host->stage, screen->Command4);
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(readBytes(path), sjis(kThreeLevels));
}

TEST_F(EditorScreenTest, LeavingWithoutAChangeAsksNothing) {
    type(Qt::Key_Down);
    type(Qt::Key_Right);
    clickCell(3, 4);
    clickOnStage(host->stage, screen->Command4);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(school.navigator.shown, QList<Screen>{Screen::Hub});
}

TEST_F(EditorScreenTest, SavingLoadsTheCriteriaAndARefusalKeepsTheTeacherHere) {
    clickCell(2, 1);
    retype("35");
    clickOnStage(host->stage, screen->Command3);
    EXPECT_TRUE(school.navigator.texts.isEmpty());
    EXPECT_EQ(school.ctx->criteria.levels[2].targetTime, 35);
    EXPECT_FALSE(screen->model().changed());
    EXPECT_TRUE(yellow(2, 1)); // what was changed stays marked until the grid is read again
    EXPECT_TRUE(screen->Picture6->isHidden());

    const QByteArray saved = readBytes(path);
    retype("abc");
    ASSERT_EQ(screen->Gridinputtext->text(), QStringLiteral("abc"));
    school.navigator.answers.push_back(true);
    clickOnStage(host->stage, screen->Command4); // Yes, but the save is refused: stay and say why
    EXPECT_EQ(school.navigator.texts.size(), 1);
    EXPECT_TRUE(school.navigator.shown.isEmpty());
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_EQ(school.ctx->criteria.levels[2].targetTime, 35);
}

TEST_F(EditorScreenTest, OnTheStageTheKeysGoStraightToTheCellEditor) {
    type(Qt::Key_Down);
    typeOnStage(host->stage, '5');
    EXPECT_EQ(screen->model().cell(2, 1), QStringLiteral("405"));
}

} // namespace baisuu
