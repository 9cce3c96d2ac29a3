// The rules of typed values on the teacher's two screens, typed through the
// stage at a scale that is no whole number, from the tables baisuu-cli's tests use.

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

constexpr double k20260512 = 46154; // days since 1899-12-30

struct TeacherScreens : ::testing::Test {
    SelectionFixture school;
    std::unique_ptr<StageHost> host;
    QString criteria = school.ctx->hensuu1.paths.criteriaFile();
    void SetUp() override {
        writeFile(school.dir, QStringLiteral("data/新名簿.txt"), sjis(kRulesRoster));
        writeFile(school.dir, QStringLiteral("data/倍数判定/タイム回数データ.txt"),
                  sjis(kThreeLevels));
        school.ctx->hensuu1.catalog.levelCount = 3;
    }
    template <typename T> T* show(Screen which) {
        host = std::make_unique<StageHost>([this](Screen) { return new T(*school.ctx); }, 1.3);
        host->stage.show(which);
        return static_cast<T*>(host->stage.current());
    }
    void click(QWidget* control, QPoint at = {-1, -1}) { clickOnStage(host->stage, control, at); }
    // As a person enters it: keys, full-width characters through the input
    // method, a text with a line end pasted.
    void enter(const QString& text) {
        if (text.contains(QLatin1Char('\n'))) {
            QGuiApplication::clipboard()->setText(text);
            return typeOnStage(host->stage, Qt::Key_V, Qt::ControlModifier);
        }
        for (const QChar c : text) {
            QInputMethodEvent committed;
            committed.setCommitString(c);
            if (c.unicode() < 128)
                typeOnStage(host->stage, c.toLatin1());
            else
                QApplication::sendEvent(&host->stage, &committed);
        }
    }
    // The refusal told since `told` messages, never in exponent form; nothing when taken.
    void expectTold(qsizetype told, const QString& refusal) const {
        const QString said = school.navigator.texts.mid(told).join(' ');
        EXPECT_TRUE(refusal.isEmpty() ? said.isEmpty()
                                      : said.contains(refusal) && !said.contains("e+"))
            << said.toStdString();
    }
};

} // namespace

TEST_F(TeacherScreens, TheRecordsManagerTakesRunTimesAndPupilsByTheSharedRules) {
    const QString log = school.ctx->hensuu1.paths.resultsLogFile();
    writeFile(school.dir, QStringLiteral("data/倍数判定/成績累積データ.dat"),
              rawRecord({k20260512, 0.5, 1, 3, 40}) +
                  rawRecord({k20260512, 0.5, kGonePupil, 3, 41}));
    auto* screen = show<FrmData>(Screen::RecordsManager);
    click(screen->Command22);
    // Types into the field of record `line` and writes it.
    auto change = [&](int line, QWidget* field, const QString& text, const QString& refusal) {
        SCOPED_TRACE(text.toStdString());
        const QByteArray before = readBytes(log);
        const qsizetype told = school.navigator.texts.size();
        QListWidget* list = screen->List1;
        doubleClickOnStage(host->stage, list->viewport(),
                           list->visualItemRect(list->item(line)).center());
        click(field);
        typeOnStage(host->stage, Qt::Key_A, Qt::ControlModifier);
        enter(text);
        click(screen->Command2);
        expectTold(told, refusal);
        EXPECT_EQ(readBytes(log) == before, !refusal.isEmpty());
    };
    for (const ValueCase& c : kRunTimeCases)
        change(0, screen->Text1, c.text, c.refusal);
    EXPECT_EQ(readBytes(log).left(44), rawRecord({k20260512, 0.5, 1, 3, 99999}));
    for (const auto& [pupil, refusal] : kPupilCases)
        change(0, screen->Combo1, QString::number(pupil), refusal);
    EXPECT_EQ(readBytes(log).left(44), rawRecord({k20260512, 0.5, 4, 3, 99999}));
    // A record of a pupil on no roster keeps its pupil when its time is mended.
    change(1, screen->Text1, QStringLiteral("50"), {});
    EXPECT_EQ(readBytes(log).mid(44), rawRecord({k20260512, 0.5, kGonePupil, 3, 50}));
}

TEST_F(TeacherScreens, TheCriteriaEditorTakesEachColumnByItsRuleAndTellsWhatToType) {
    auto* screen = show<FrmTimeData>(Screen::CriteriaEditor);
    QTableWidget* grid = screen->MSFlexGrid1;
    for (const auto& [heading, text, refusal] : kCriteriaCases) {
        SCOPED_TRACE((heading + QLatin1Char('=') + text).toStdString());
        const qsizetype told = school.navigator.texts.size();
        const int column = int(CriteriaHeadings().indexOf(heading)) + 1;
        click(grid->viewport(), grid->visualItemRect(grid->item(1, column)).center());
        typeOnStage(host->stage, Qt::Key_Space); // セルクリア
        enter(text);
        click(screen->Command3);
        expectTold(told, refusal);
        // Level 1's line is plain ASCII.
        const QStringList cells =
            QString::fromLatin1(readBytes(criteria).split('\n').value(1)).split(',');
        EXPECT_EQ(cells.value(column - 1) == text, refusal.isEmpty());
        writeFile(school.dir, QStringLiteral("data/倍数判定/タイム回数データ.txt"),
                  sjis(kThreeLevels));
        click(screen->Command2); // 元に戻す
    }
}

TEST_F(TeacherScreens, ClosingTheCriteriaEditorWithChangesAsksWithYesAsTheDefault) {
    auto* screen = show<FrmTimeData>(Screen::CriteriaEditor);
    typeOnStage(host->stage, '5'); // level 1's 目標Time: 205
    school.navigator.answers = {true};
    click(screen->Command4);
    ASSERT_EQ(school.navigator.askedKinds, QList<Question>{Question::SaveYesNo});
    EXPECT_TRUE(YesIsDefault(Question::SaveYesNo) && !YesIsDefault(Question::YesNo));
    EXPECT_EQ(school.ctx->criteria.levels[1].targetTime, 205);

    // Closing the window asks the same: Yes with a refused cell keeps it open, No closes it.
    show<FrmTimeData>(Screen::CriteriaEditor);
    typeOnStage(host->stage, Qt::Key_Space);
    school.navigator.answers = {true};
    EXPECT_FALSE(host->stage.close());
    EXPECT_EQ(school.navigator.asked.value(1).second,
              QStringLiteral("データが変更されています。記録しますか？"));
    EXPECT_TRUE(school.navigator.texts.last().contains(QStringLiteral("1 から 99999")));
    const QByteArray saved = readBytes(criteria);
    EXPECT_TRUE(host->stage.close());
    EXPECT_EQ(school.navigator.askedKinds.size(), 3);
    EXPECT_EQ(readBytes(criteria), saved);
}

} // namespace baisuu
