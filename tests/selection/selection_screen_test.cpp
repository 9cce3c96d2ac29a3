#include "ui/stage.h"
#include "roster/grades.h"
#include "selection/name_selection_screen.h"
#include "selection/selection_fixture.h"
#include "stage_input.h"
#include "text_fit.h"
#include "ui/startup_screens.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

// The screen on a stage of its own, shown and loaded, clicked and typed at
// through the window; hand-overs go to the fixture's recording navigator.
OnStage<namesel> loadedScreen(SelectionFixture& f, double scale = 1.0) {
    auto shown = showOnStage<namesel>([&f] { return new namesel(*f.ctx); }, Screen::Selection, scale);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown->loaded(); }));
    return shown;
}

int rowOf(const QListWidget* list, const QString& name) {
    for (int row = 1; row < list->count(); ++row)
        if (list->item(row)->text().contains(name)) return row;
    return -1;
}

QPoint centreOf(const QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The version box over the stage's window, closed by its own button.
void openAndCloseVersionBox(Stage& stage, namesel& screen) {
    QWidget* host = &stage;
    clickOnStage(stage, screen.Label4);
    auto* box = host->findChild<frmver*>();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(box->isModal());
    QPushButton* ok = box->findChild<QPushButton*>();
    ASSERT_TRUE(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(SelectionScreen, DoubleClickSignsInOnTheStageAndOpensTheHub) {
    SelectionFixture f;
    f.writeSchool();
    Stage stage([&](Screen screen) -> QWidget* {
        if (screen == Screen::Selection) return MakeSelectionScreen(*f.ctx);
        return new QWidget;
    });
    f.useNavigator(stage);
    stage.show();
    stage.show(Screen::Selection);
    auto* screen = dynamic_cast<namesel*>(stage.current());
    ASSERT_TRUE(screen);
    EXPECT_EQ(stage.windowTitle(), QStringLiteral("tallmer"));
    // The wait cover stands until the list has been built.
    EXPECT_TRUE(screen->Picture5->isVisible());
    const QColor autumn(0xC0, 0x40, 0x00);
    EXPECT_EQ(screen->grab().toImage().pixelColor(5, 5), autumn);
    EXPECT_EQ(screen->Picture5->Label19->text(), QStringLiteral("Just a moment, please."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen->loaded(); }));
    EXPECT_FALSE(screen->Picture5->isVisible());
    EXPECT_EQ(screen->grab().toImage().pixelColor(5, 5), autumn); // the screen's own background

    // The version box sits over the stage's window, not over the embedded screen.
    openAndCloseVersionBox(stage, *screen);
    EXPECT_EQ(screen->Combo1->count(), 12);

    const int row = rowOf(screen->List1, QStringLiteral("山田"));
    ASSERT_GT(row, 0);
    // A double click reaches the list as press and release, then the double click.
    doubleClickOnStage(stage, screen->List1->viewport(), centreOf(screen->List1, row));
    EXPECT_EQ(stage.currentScreen(), Screen::Hub);
    const Hensuu1& h = f.ctx->hensuu1;
    EXPECT_EQ(h.currentPupil, 1);
    EXPECT_EQ(h.pupilName.trimmed(), QStringLiteral("山田　花子"));
    EXPECT_EQ(h.pupilGrade, QStringLiteral("小３"));
    EXPECT_EQ(h.catalog.levelCount, 11);
}

TEST(SelectionScreen, NoNameRefusedByCueThenKeysConfirm) {
    SelectionFixture f;
    f.writeSchool();
    auto screen = loadedScreen(f);

    // The header line is chosen: "1", Enter and blank only play the cue.
    clickOnStage(*screen.stage, screen->List1->viewport(), centreOf(screen->List1, 0));
    typeOnStage(*screen.stage, '1');
    typeOnStage(*screen.stage, Qt::Key_Return);
    typeOnStage(*screen.stage, Qt::Key_Space);
    clickOnStage(*screen.stage, screen->Command14);
    EXPECT_EQ(f.sound.played, QStringList(4, QStringLiteral("ブー.wav")));
    EXPECT_TRUE(f.navigator.shown.isEmpty());
    EXPECT_EQ(f.ctx->hensuu1.currentPupil, 0);
    EXPECT_EQ(f.ctx->hensuu1.pupilStartTime, 0);
    EXPECT_EQ(f.ctx->hensuu1.catalog.levelCount, 0);
    EXPECT_EQ(screen->Label1->text(), QString::fromUtf16(kChooseNamePrompt));

    // A click chooses; "1" is the screen's even while the group selector has the focus.
    const int row = rowOf(screen->List1, QStringLiteral("鈴木"));
    clickOnStage(*screen.stage, screen->List1->viewport(), centreOf(screen->List1, row));
    EXPECT_EQ(screen->Label1->text(), QStringLiteral("小1 鈴木　一郎"));
    EXPECT_EQ(screen->Label2->text(), QStringLiteral("3"));
    screen->Combo1->setFocus();
    typeOnStage(*screen.stage, '1');
    EXPECT_EQ(f.navigator.shown, QList<Screen>{Screen::Hub});
    EXPECT_EQ(f.ctx->hensuu1.currentPupil, 3);
    EXPECT_TRUE(screen->Command14->isHidden());
    EXPECT_EQ(f.sound.played.size(), 4);
}

TEST(SelectionScreen, EveryActivationRefillsTheGroupsAndTurnsBackToModeOne) {
    SelectionFixture f;
    f.writeSchool();
    f.addRun(2, 1, 40, f.clock.now());
    auto screen = loadedScreen(f);
    EXPECT_EQ(itemsOf(screen->Combo1), SelectionGroupTexts());
    EXPECT_EQ(screen->Combo1->toolTip(), QStringLiteral("表示する学年を選びなさい"));
    clickOnStage(*screen.stage, screen->Option1[3]);
    EXPECT_EQ(screen->displayMode(), 3);
    const int sato = rowOf(screen->List1, QStringLiteral("佐藤"));
    EXPECT_TRUE(screen->List1->item(sato)->text().endsWith(QStringLiteral("1回")));
    for (int i = 0; i < 3; ++i)
        openAndCloseVersionBox(*screen.stage, *screen);
    EXPECT_EQ(itemsOf(screen->Combo1), SelectionGroupTexts());
    EXPECT_EQ(screen->displayMode(), 1);
    EXPECT_TRUE(screen->Option1[1]->isChecked());
    // The list is mode 1's again: points of today / all time, no "回".
    EXPECT_FALSE(screen->List1->item(sato)->text().contains(QStringLiteral("回")));
}

TEST(SelectionScreen, ModeChangeKeepsTheGroup) {
    SelectionFixture f;
    f.writeSchool();
    f.addRun(2, 1, 40, f.clock.now().addDays(-2));
    f.addRun(2, 2, 40, f.clock.now().addDays(-1));
    auto screen = loadedScreen(f);
    EXPECT_EQ(screen->List1->count(), 4);

    screen->Combo1->setFocus();
    typeOnStage(*screen.stage, Qt::Key_Down); // 中学生全体
    ASSERT_EQ(screen->Combo1->currentText(), QStringLiteral("中学生全体"));
    ASSERT_EQ(screen->List1->count(), 2);
    EXPECT_TRUE(screen->List1->item(1)->text().startsWith(QStringLiteral("中1 佐藤")));
    EXPECT_FALSE(screen->List1->item(1)->text().contains(QStringLiteral("回")));

    clickOnStage(*screen.stage, screen->Option1[3]);
    ASSERT_EQ(screen->List1->count(), 2);
    EXPECT_TRUE(screen->List1->item(1)->text().endsWith(QStringLiteral("/    2回")));
    EXPECT_EQ(screen->Combo1->currentText(), QStringLiteral("中学生全体"));
}

TEST(SelectionScreen, ZeroLeavesForTheProgramMenu) {
    SelectionFixture f;
    f.writeSchool();
    writeFile(f.dir, QStringLiteral("school/起動/プログラムメニューc.exe"), "MZ");
    auto screen = loadedScreen(f);
    EXPECT_TRUE(screen->Picture8->isHidden());
    typeOnStage(*screen.stage, '0');
    clickOnStage(*screen.stage, screen->Command7); // a second leave does nothing
    EXPECT_EQ(f.launcher.programs, QStringList{f.menuProgram()});
    EXPECT_EQ(f.launcher.argumentLists, QList<QStringList>{{QStringLiteral("001")}});
    EXPECT_EQ(f.navigator.quits, QList<int>{0});
    EXPECT_TRUE(f.navigator.texts.isEmpty());
}

TEST(SelectionScreen, DevelopmentLayoutIsMarkedAndStartsTheOtherMenu) {
    SelectionFixture f;
    f.writeSchool();
    f.ctx->hensuu1.developmentLayout = 1;
    auto screen = loadedScreen(f);
    EXPECT_FALSE(screen->Picture8->isHidden());
    EXPECT_EQ(screen->Label8->text(), QStringLiteral("開発中"));
    clickOnStage(*screen.stage, screen->Command7);
    ASSERT_EQ(f.navigator.texts.size(), 1); // not installed here
    EXPECT_TRUE(f.navigator.texts[0].contains(QStringLiteral("プログラムメニュー.exe")));
    EXPECT_TRUE(f.launcher.programs.isEmpty());
    EXPECT_EQ(f.navigator.quits, QList<int>{0});
}

TEST(SelectionScreen, MissingRosterIsToldOnceAndTheScreenStillLeaves) {
    SelectionFixture f;
    auto screen = loadedScreen(f);
    EXPECT_EQ(screen->List1->count(), 1);
    EXPECT_EQ(screen->List1->item(0)->text(), QStringLiteral("－－－－－－"));
    clickOnStage(*screen.stage, screen->Option1[0]);
    ASSERT_EQ(f.navigator.texts.size(), 1);
    EXPECT_EQ(f.navigator.titles[0], QString::fromUtf16(kSelectionProblemTitle));
    EXPECT_TRUE(f.navigator.texts[0].contains(QStringLiteral("新名簿.txt")));
    typeOnStage(*screen.stage, '1');
    EXPECT_EQ(f.sound.played.size(), 1);
    typeOnStage(*screen.stage, '0');
    EXPECT_EQ(f.navigator.quits, QList<int>{0});
}

TEST(SelectionScreen, TextsFitTheirControls) {
    SelectionFixture f;
    f.writeRoster({SelectionFixture::record(1, 2020, QStringLiteral("長い名前の幼稚園児さんです")),
                   SelectionFixture::record(
                       2, 2010, QStringLiteral("一二三四五六七八九十一二三四五六七八九十"))});
    f.addRun(2, 1, 40, f.clock.now());
    f.ctx->hensuu1.developmentLayout = 1;
    auto screen = loadedScreen(f);
    expectTextsFit(*screen);
    // The twenty-character name is not cut: the list scrolls sideways to its end.
    const QString longest =
        screen->List1->item(rowOf(screen->List1, QStringLiteral("一二三四五六七八九十一二")))
            ->text();
    QCoreApplication::processEvents(); // the list lays its items out when it next paints
    EXPECT_GE(screen->List1->horizontalScrollBar()->maximum() + screen->List1->viewport()->width(),
              QFontMetrics(screen->List1->font()).horizontalAdvance(longest));
    // The longest names a click or a double click can put into Label1, in every mode.
    QStringList chosen;
    for (int mode = 0; mode < 4; ++mode) {
        const RosterList list = BuildSelectionList(*f.ctx, mode, QStringLiteral("全学年")).lines;
        for (int row = 1; row < list.visible.size(); ++row)
            chosen << ClickedName(list, row).nameLine << DoubleClickedName(list, row).nameLine;
    }
    ASSERT_EQ(chosen.size(), 16);
    expectTextsFit(*screen->Label1, chosen);
}

TEST(SelectionScreen, FiguresLineUpInEveryMode) {
    SelectionFixture f;
    f.writeRoster({SelectionFixture::record(1, 2017, QStringLiteral("山田　花子")),
                   SelectionFixture::record(2, 2013, QStringLiteral("林")),
                   SelectionFixture::record(3, 2009, QStringLiteral("大木　みどり")),
                   SelectionFixture::record(4, 2019, QStringLiteral("鈴木　一郎"))});
    const QDateTime now = f.clock.now();
    for (int i = 0; i < 12; ++i)
        f.addRun(1, 1 + i % 11, 20 + i, now.addDays(-(i % 3)));
    f.addRun(2, 5, 45, now);
    auto screen = loadedScreen(f);
    // Kindergarten lines are wider by rule; every other line's columns must meet.
    const QFontMetrics metrics(screen->List1->font());
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        clickOnStage(*screen.stage, screen->Option1[mode]);
        ASSERT_EQ(screen->List1->count(), 5);
        QList<int> slash, end;
        for (int row = 1; row < screen->List1->count(); ++row) {
            const QString line = screen->List1->item(row)->text();
            slash << metrics.horizontalAdvance(line.left(line.indexOf(QLatin1Char('/'))));
            end << metrics.horizontalAdvance(line);
        }
        EXPECT_EQ(slash.count(slash[0]), slash.size()) << slash[0] << " " << slash[1];
        EXPECT_EQ(end.count(end[0]), end.size());
    }
}

TEST(SelectionScreen, APupilSignsInWithTheKeyboardAloneEveryTime) {
    SelectionFixture f;
    f.writeSchool();
    for (int visit = 0; visit < 2; ++visit) { // the first start, and a return from the hub
        SCOPED_TRACE(visit);
        f.navigator.shown.clear();
        auto screen = loadedScreen(f, 1.5);
        // Nobody has clicked: the arrows and Enter reach the list.
        typeOnStage(*screen.stage, Qt::Key_Down);
        EXPECT_EQ(screen->List1->currentRow(), 1);
        EXPECT_FALSE(screen->Label2->text().isEmpty());
        typeOnStage(*screen.stage, Qt::Key_Return);
        EXPECT_EQ(f.navigator.shown, QList<Screen>{Screen::Hub});
        EXPECT_EQ(QString::number(f.ctx->hensuu1.currentPupil), screen->Label2->text());
    }
    EXPECT_TRUE(f.sound.played.isEmpty());
}

TEST(SelectionScreen, ADoubleClickOnTheHeaderIsAClick) {
    SelectionFixture f;
    f.writeSchool();
    auto screen = loadedScreen(f);
    clickOnStage(*screen.stage, screen->List1->viewport(), centreOf(screen->List1, 1));
    doubleClickOnStage(*screen.stage, screen->List1->viewport(), centreOf(screen->List1, 0));
    EXPECT_TRUE(f.sound.played.isEmpty()); // no wrong-answer cue
    EXPECT_TRUE(f.navigator.shown.isEmpty());
    EXPECT_EQ(screen->Label1->text(), QString::fromUtf16(kChooseNamePrompt));
    // On a pupil's line it confirms, Label1 showing the line up to its first "/".
    const int row = rowOf(screen->List1, QStringLiteral("山田"));
    doubleClickOnStage(*screen.stage, screen->List1->viewport(), centreOf(screen->List1, row));
    EXPECT_EQ(f.navigator.shown, QList<Screen>{Screen::Hub});
    EXPECT_EQ(screen->Label1->text(),
              screen->List1->item(row)->text().section('/', 0, 0).trimmed());
}

TEST(SelectionScreen, UnreadableRosterLinesAreToldOncePerStart) {
    SelectionFixture f;
    f.writeRoster({SelectionFixture::record(1, 2017, QStringLiteral("山田　花子")),
                   QStringLiteral("x,\"")});
    for (int visit = 0; visit < 3; ++visit) // the start, then two returns from the hub
        loadedScreen(f);
    ASSERT_EQ(f.navigator.texts.size(), 1);
    EXPECT_EQ(f.navigator.titles[0], QString::fromUtf16(kSelectionProblemTitle));
}

} // namespace baisuu
