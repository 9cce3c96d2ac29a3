// The rules of typed values on the teacher's two screens, typed through the
// stage at a scale that is no whole number: the same tables as baisuu-cli's.

#include "records/criteria_files.h"
#include "records/log_bytes.h"
#include "selection/selection_fixture.h"
#include "stage_input.h"
#include "teacher/criteria_editor_screen.h"
#include "teacher/records_manager_screen.h"
#include "test_support.h"
#include "value_rules_cases.h"

#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr double kScale = 1.3;
constexpr double k20260512 = 46154; // days since 1899-12-30

// Text as a person enters it into the focused field: plain keys, full-width
// characters through the input method, a text with a line end pasted.
void enterOnStage(Stage& stage, const QString& text) {
    if (text.contains(QLatin1Char('\n'))) {
        QGuiApplication::clipboard()->setText(text);
        typeOnStage(stage, Qt::Key_V, Qt::ControlModifier);
        return;
    }
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            typeOnStage(stage, c.toLatin1());
            continue;
        }
        QInputMethodEvent committed;
        committed.setCommitString(c);
        QApplication::sendEvent(&stage, &committed);
    }
}

// The message the last refusal told, or nothing when none was told since `told` messages.
QString toldSince(const SelectionFixture& school, qsizetype told) {
    return school.navigator.texts.size() > told ? school.navigator.texts.last() : QString();
}

struct TeacherScreens : ::testing::Test {
    SelectionFixture school;
    std::unique_ptr<StageHost> host;
    void SetUp() override {
        school.writeSchool();
        writeFile(school.dir, QStringLiteral("data/新名簿.txt"), sjis(kRulesRoster));
        writeFile(school.dir, QStringLiteral("data/倍数判定/タイム回数データ.txt"),
                  sjis(kThreeLevels));
        school.ctx->hensuu1.catalog.levelCount = 3;
    }
    template <typename T> T* show(Screen which) {
        host = std::make_unique<StageHost>([this](Screen) { return new T(*school.ctx); }, kScale);
        host->stage.show(which);
        return static_cast<T*>(host->stage.current());
    }
    void click(QWidget* control) { clickOnStage(host->stage, control); }
    void retype(QWidget* field, const QString& text) {
        click(field);
        typeOnStage(host->stage, Qt::Key_A, Qt::ControlModifier);
        enterOnStage(host->stage, text);
    }
};

} // namespace

TEST_F(TeacherScreens, TheRecordsManagerTakesRunTimesAndPupilsByTheSharedRules) {
    const QString log = school.ctx->hensuu1.paths.resultsLogFile();
    writeFile(school.dir, QStringLiteral("data/倍数判定/成績累積データ.dat"),
              rawRecord({k20260512, 0.5, 1, 3, 40}) + rawRecord({k20260512, 0.5, kGonePupil, 3, 41}));
    auto* screen = show<FrmData>(Screen::RecordsManager);
    click(screen->Command22);
    // Changes the first record and tells what was written and said.
    auto change = [&](QWidget* field, const QString& text, const QString& refusal) {
        SCOPED_TRACE(text.toStdString());
        const QByteArray before = readBytes(log);
        const qsizetype told = school.navigator.texts.size();
        doubleClickOnStage(host->stage, screen->List1->viewport(),
                           screen->List1->visualItemRect(screen->List1->item(0)).center());
        retype(field, text);
        click(screen->Command2);
        const QString message = toldSince(school, told);
        EXPECT_EQ(readBytes(log) == before, !refusal.isEmpty());
        EXPECT_TRUE(refusal.isEmpty() ? message.isEmpty() : message.contains(refusal))
            << message.toStdString();
    };
    for (const ValueCase& c : kRunTimeCases) {
        change(screen->Text1, c.text, c.refusal);
        if (c.refusal.isEmpty())
            EXPECT_EQ(readBytes(log).left(44), rawRecord({k20260512, 0.5, 1, 3, c.text.toInt()}));
    }
    for (const PupilCase& c : kPupilCases) {
        change(screen->Combo1, QString::number(c.pupil), c.refusal);
        if (c.refusal.isEmpty())
            EXPECT_EQ(readBytes(log).left(44), rawRecord({k20260512, 0.5, c.pupil, 3, 99999}));
    }
    // The record of a pupil on no roster keeps its pupil when its time is mended.
    doubleClickOnStage(host->stage, screen->List1->viewport(),
                       screen->List1->visualItemRect(screen->List1->item(1)).center());
    retype(screen->Text1, QStringLiteral("50"));
    click(screen->Command2);
    EXPECT_EQ(readBytes(log).mid(44), rawRecord({k20260512, 0.5, kGonePupil, 3, 50}));
}

TEST_F(TeacherScreens, TheCriteriaEditorTakesEachColumnByItsRuleAndTellsWhatToType) {
    const QString path = school.ctx->hensuu1.paths.criteriaFile();
    auto* screen = show<FrmTimeData>(Screen::CriteriaEditor);
    for (const CriteriaCase& c : kCriteriaCases) {
        SCOPED_TRACE((c.column + QLatin1Char('=') + c.text).toStdString());
        const qsizetype told = school.navigator.texts.size();
        const int column = int(CriteriaHeadings().indexOf(c.column)) + 1;
        QTableWidget* grid = screen->MSFlexGrid1;
        clickOnStage(host->stage, grid->viewport(), grid->visualItemRect(grid->item(1, column)).center());
        typeOnStage(host->stage, Qt::Key_Space); // セルクリア
        enterOnStage(host->stage, c.text);
        click(screen->Command3);
        const QString message = toldSince(school, told);
        // Level 1's line: plain ASCII, unlike the heading line.
        const QStringList cells =
            QString::fromLatin1(readBytes(path).split('\n').value(1)).split(QLatin1Char(','));
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(message, QString());
            EXPECT_EQ(cells.value(column - 1), c.text);
        } else {
            EXPECT_TRUE(message.contains(c.refusal)) << message.toStdString();
            EXPECT_FALSE(message.contains(QStringLiteral("e+"))) << message.toStdString();
            EXPECT_EQ(readBytes(path), sjis(kThreeLevels));
        }
        writeFile(school.dir, QStringLiteral("data/倍数判定/タイム回数データ.txt"), sjis(kThreeLevels));
        click(screen->Command2); // 元に戻す
    }
}

TEST_F(TeacherScreens, ClosingTheCriteriaEditorWithChangesAsksWithYesAsTheDefault) {
    const QString path = school.ctx->hensuu1.paths.criteriaFile();
    auto* screen = show<FrmTimeData>(Screen::CriteriaEditor);
    typeOnStage(host->stage, '5'); // level 1's 目標Time: 205
    school.navigator.answers = {true};
    click(screen->Command4);
    ASSERT_EQ(school.navigator.askedKinds, QList<Question>{Question::SaveYesNo});
    EXPECT_TRUE(YesIsDefault(Question::SaveYesNo));
    EXPECT_FALSE(YesIsDefault(Question::YesNo) || YesIsDefault(Question::OkCancel));
    EXPECT_EQ(school.ctx->criteria.levels[1].targetTime, 205);

    // Closing the window asks the same; Yes with a refused cell keeps the window open.
    screen = show<FrmTimeData>(Screen::CriteriaEditor);
    typeOnStage(host->stage, Qt::Key_Space);
    typeOnStage(host->stage, '0');
    school.navigator.answers = {true};
    EXPECT_FALSE(host->stage.close());
    EXPECT_EQ(school.navigator.askedKinds.size(), 2);
    EXPECT_EQ(school.navigator.asked.last().second,
              QStringLiteral("データが変更されています。記録しますか？"));
    EXPECT_TRUE(school.navigator.texts.last().contains(QStringLiteral("1 から 99999")));
    // No closes it, writing nothing.
    const QByteArray saved = readBytes(path);
    EXPECT_TRUE(host->stage.close());
    EXPECT_EQ(school.navigator.askedKinds.size(), 3);
    EXPECT_EQ(readBytes(path), saved);
}

} // namespace baisuu
