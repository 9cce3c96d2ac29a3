// The records manager over logs written byte by byte: which record a line
// opens, what a change or a deletion writes, where the selection goes after it,
// and that a log changed by another machine meanwhile is never overwritten;
// then the screen FrmData on those records.

#include "records/log_bytes.h"
#include "records/results_log.h"
#include "selection/selection_fixture.h"
#include "stage_input.h"
#include "teacher/records_manager.h"
#include "teacher/records_manager_screen.h"
#include "test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr double k20100215 = 40224;           // days since 1899-12-30
constexpr double k090503 = 32703.0 / 86400.0; // 9:05:03

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class RecordsManagerTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString logPath = dir.path() + QStringLiteral("/成績累積データ.dat");

    void SetUp() override {
        // 15 February 2010, school year from April: base year 2002 is 小１ as on
        // the selection screen (the school year in force is 2009).
        writeFile(dir, QStringLiteral("新名簿.txt"),
                  sjis(QStringLiteral("12,2002,0,0,\"青木\",0,\"\",\"\"\r\n"
                                      "13,1999,0,0,\"  石井 \",0,\"\",\"\"\r\n"
                                      "14,1996,0,0,\"上田\",1,\"\",\"\"\r\n")));
    }
    void writeLog(const QByteArray& bytes) {
        writeFile(dir, QStringLiteral("成績累積データ.dat"), bytes);
    }
    // A log of n runs of pupil 12 at level 3, of 40, 41, … seconds.
    QByteArray writeRuns(int n) {
        QByteArray log;
        for (int i = 0; i < n; ++i)
            log += rawRecord({k20100215, k090503, 12, 3, 40 + i});
        writeLog(log);
        return log;
    }
    RecordsManager manager(LockWait wait = [] {}) {
        return RecordsManager({logPath,
                               dir.path() + QStringLiteral("/新名簿.txt"),
                               {QStringLiteral("12345"), QStringLiteral("本校")},
                               QDate(2010, 2, 15),
                               4,
                               std::move(wait)});
    }
};

} // namespace

// --- the list ----------------------------------------------------------------

TEST_F(RecordsManagerTest, EmptyLogListsNothingAndCountsZeroWithoutCreatingTheLog) {
    RecordsManager m = manager();
    EXPECT_FALSE(m.rebuild());
    EXPECT_TRUE(m.lines().isEmpty());
    EXPECT_EQ(m.countText(), QStringLiteral("総レコード数:0"));
    EXPECT_FALSE(QFileInfo::exists(logPath)); // the list only reads
    EXPECT_FALSE(m.open(0));

    writeLog({});
    EXPECT_FALSE(m.rebuild());
    EXPECT_TRUE(m.lines().isEmpty());
    EXPECT_EQ(m.countText(), QStringLiteral("総レコード数:0"));
}

TEST_F(RecordsManagerTest, CountIsTheWholeRecordsAndLevelZeroIsNotListed) {
    writeLog(rawRecord({k20100215, k090503, 12, 3, 42}) +
             rawRecord({k20100215, k090503, 12, 0, 9}) +
             rawRecord({k20100215, k090503, 13, 5, 50}) + QByteArray(30, 'x'));
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());
    EXPECT_EQ(m.countText(), QStringLiteral("総レコード数:3"));
    ASSERT_EQ(m.lines().size(), 2);
    EXPECT_TRUE(m.lines()[1].startsWith(QStringLiteral("   3 ")));
    EXPECT_EQ(m.recordNumberOfLine(1), 3);
    EXPECT_EQ(m.recordNumberOfLine(2), 0);
    const QList<QStringList> sheet = m.printSheets(QDate(2026, 12, 9), 60);
    ASSERT_EQ(sheet.size(), 1);
    EXPECT_EQ(sheet[0], QStringList{QStringLiteral("総レコード数:3　　2026/12/09　　1 / 1")} +
                            m.lines());
}

TEST_F(RecordsManagerTest, PrintedSheetsCarryTheCountTheDateAndTheirNumberAndHoldEveryLineOnce) {
    writeRuns(125);
    RecordsManager m = manager();
    EXPECT_EQ(m.printSheets(QDate(2026, 12, 9), 60).value(0).value(0),
              QStringLiteral("総レコード数:0　　2026/12/09　　1 / 1")); // not read yet
    EXPECT_FALSE(m.built());
    ASSERT_FALSE(m.rebuild());
    EXPECT_TRUE(m.built());
    const QList<QStringList> sheets = m.printSheets(QDate(2026, 12, 9), 60);
    ASSERT_EQ(sheets.size(), 3);
    QStringList all;
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(sheets[n][0],
                  QStringLiteral("総レコード数:125　　2026/12/09　　%1 / 3").arg(n + 1));
        all += sheets[n].mid(1);
    }
    EXPECT_EQ(sheets[2].size(), 1 + 5);
    EXPECT_EQ(all, m.lines());
}

TEST_F(RecordsManagerTest, AnotherSchoolsRecordEndsWithTheOtherSchoolMark) {
    writeLog(rawRecord({k20100215, k090503, 12, 3, 42}) +
             rawRecord({k20100215, k090503, 12, 3, 42, "99999"}));
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());
    ASSERT_EQ(m.lines().size(), 2);
    EXPECT_TRUE(m.lines()[0].endsWith(QStringLiteral("++本校"))) << m.lines()[0].toStdString();
    EXPECT_TRUE(m.lines()[1].endsWith(QStringLiteral("++他塾"))) << m.lines()[1].toStdString();
}

// --- the editor --------------------------------------------------------------

TEST_F(RecordsManagerTest, EditorShowsTheRecordWithGradesAsTheSelectionScreen) {
    writeLog(rawRecord({k20100215, k090503, 12, 7, 42}) +
             rawRecord({k20100215, k090503, 4000, 2, 77}));
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());
    ASSERT_EQ(m.pupilChoices().size(), 3); // every roster entry, whatever its status
    EXPECT_EQ(m.pupilChoices()[1].item, QStringLiteral("13 /  石井"));

    ASSERT_TRUE(m.open(0));
    const RecordEditorValues& v = *m.editor();
    EXPECT_EQ(v.numberText, QStringLiteral("1"));
    EXPECT_EQ(v.levelText, QStringLiteral("7ﾚﾍﾞﾙ"));
    EXPECT_EQ(v.dateText, QStringLiteral("2010/02/15"));
    EXPECT_EQ(v.gradeText, QStringLiteral("小１"));
    EXPECT_EQ(v.runTime, 42);
    EXPECT_EQ(v.pupilChoice, 0);
    EXPECT_EQ(v.pupilText, QStringLiteral("12 /  青木"));
    EXPECT_EQ(m.gradeOfPupilText(QStringLiteral("13 /  石井")), QStringLiteral("小４"));

    // A pupil no longer on the roster: no item, no grade, the number kept.
    ASSERT_TRUE(m.open(1));
    EXPECT_EQ(m.editor()->pupilChoice, -1);
    EXPECT_EQ(m.editor()->gradeText, QString());
    EXPECT_TRUE(m.editor()->pupilText.startsWith(QStringLiteral("4000 /")));
}

TEST_F(RecordsManagerTest, LeadingNumberReadsTypedTextAsTheProgramDoes) {
    EXPECT_EQ(LeadingNumber(QStringLiteral(" 12秒")), 12);
    EXPECT_EQ(LeadingNumber(QStringLiteral("12.6")), 13);
    EXPECT_EQ(LeadingNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("-3")), -3);
    EXPECT_EQ(LeadingNumber(QStringLiteral("99999999999999999999")), qint64(1e12));
}

// --- writing back ------------------------------------------------------------

TEST_F(RecordsManagerTest, ChangingOnlyThePupilKeepsEveryOtherField) {
    const RawRecord before{k20100215 + 3, k090503, 12, 9, 42, "12345", "ab   ", "7    ", "zz   "};
    writeLog(rawRecord(before));
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());
    ASSERT_TRUE(m.open(0));
    const RecordsWrite w = m.change(QStringLiteral("42"), m.pupilChoices()[1].item);
    EXPECT_EQ(w.outcome, RecordsWrite::Outcome::Written) << w.message.toStdString();
    EXPECT_EQ(w.selectLine, 0);
    RawRecord after = before;
    after.pupil = 13;
    EXPECT_EQ(fileBytes(logPath), rawRecord(after));
    EXPECT_FALSE(m.editor()); // the list was rebuilt
}

TEST_F(RecordsManagerTest, EditingARecordAfterALevelZeroRecordChangesThatRecord) {
    const QByteArray first = rawRecord({k20100215, k090503, 12, 3, 42});
    const QByteArray zero = rawRecord({k20100215, k090503, 12, 0, 30});
    writeLog(first + zero + rawRecord({k20100215, k090503, 13, 5, 50}));
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());
    ASSERT_TRUE(m.open(1));
    EXPECT_EQ(m.editor()->recordNumber, 3);
    const RecordsWrite w = m.change(QStringLiteral("61"), m.editor()->pupilText);
    ASSERT_EQ(w.outcome, RecordsWrite::Outcome::Written) << w.message.toStdString();
    EXPECT_EQ(w.selectLine, 1);
    EXPECT_EQ(fileBytes(logPath), first + zero + rawRecord({k20100215, k090503, 13, 5, 61}));

    ASSERT_TRUE(m.open(1));
    ASSERT_EQ(m.remove().outcome, RecordsWrite::Outcome::Written);
    EXPECT_EQ(fileBytes(logPath), first + zero);
}

TEST_F(RecordsManagerTest, UnacceptableValuesWriteNothing) {
    const QByteArray log = rawRecord({k20100215, k090503, 12, 3, 42});
    writeLog(log);
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());
    ASSERT_TRUE(m.open(0));
    for (const auto& [time, pupil] :
         {std::pair{QStringLiteral("-1"), QStringLiteral("12 /  青木")},
          std::pair{QStringLiteral("100000"), QStringLiteral("12 /  青木")},
          std::pair{QStringLiteral("40"), QStringLiteral("0 /  ")},
          std::pair{QStringLiteral("40"), QStringLiteral("5001 /  ")}}) {
        const RecordsWrite w = m.change(time, pupil);
        EXPECT_EQ(w.outcome, RecordsWrite::Outcome::Refused)
            << time.toStdString() << pupil.toStdString();
        EXPECT_FALSE(w.message.isEmpty());
    }
    EXPECT_EQ(fileBytes(logPath), log);
    EXPECT_TRUE(m.editor()); // the teacher may correct the values
}

// A run of 0 seconds would become the pupil's and the school's best and earn
// 55 points: the 秒 box takes only whole seconds from 1 to 99999 (timed out).
TEST_F(RecordsManagerTest, TheSecondsBoxTakesOnlyAWholeNumberFromOneTo99999) {
    const QByteArray log = rawRecord({k20100215, k090503, 12, 3, 42});
    writeLog(log);
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());
    for (const QString time : {"", " ", "abc", "0", "00", "12.6", "0.4", "４２", "1e3", "+5",
                               "42秒", "-0", "100000", "99999999999"}) {
        ASSERT_TRUE(m.open(0));
        const RecordsWrite w = m.change(time, QStringLiteral("12 /  青木"));
        EXPECT_EQ(w.outcome, RecordsWrite::Outcome::Refused) << time.toStdString();
        EXPECT_TRUE(w.message.contains(QStringLiteral("「秒」"))) << w.message.toStdString();
        EXPECT_EQ(fileBytes(logPath), log);
    }
    for (const auto& [time, seconds] :
         {std::pair{QStringLiteral("1"), 1}, std::pair{QStringLiteral("99999"), 99999},
          std::pair{QStringLiteral(" 061 "), 61}}) {
        ASSERT_TRUE(m.open(0));
        const RecordsWrite w = m.change(time, QStringLiteral("12 /  青木"));
        ASSERT_EQ(w.outcome, RecordsWrite::Outcome::Written) << time.toStdString();
        EXPECT_EQ(fileBytes(logPath), rawRecord({k20100215, k090503, 12, 3, seconds}));
    }
}

// --- deleting ----------------------------------------------------------------

TEST_F(RecordsManagerTest, DeletingKeepsThePositionOrSelectsTheNewLastLine) {
    const QByteArray log = writeRuns(4);
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());

    ASSERT_TRUE(m.open(1));
    RecordsWrite w = m.remove();
    ASSERT_EQ(w.outcome, RecordsWrite::Outcome::Written) << w.message.toStdString();
    EXPECT_EQ(w.selectLine, 1);
    EXPECT_EQ(fileBytes(logPath), log.left(44) + log.mid(88));

    ASSERT_TRUE(m.open(2));
    w = m.remove();
    ASSERT_EQ(w.outcome, RecordsWrite::Outcome::Written);
    EXPECT_EQ(w.selectLine, 1);
    EXPECT_EQ(m.lines().size(), 2);

    ASSERT_TRUE(m.open(0));
    ASSERT_EQ(m.remove().outcome, RecordsWrite::Outcome::Written);
    ASSERT_TRUE(m.open(0));
    w = m.remove();
    EXPECT_EQ(w.selectLine, -1); // nothing left to select
    EXPECT_EQ(m.countText(), QStringLiteral("総レコード数:0"));
}

// --- a log changed meanwhile -------------------------------------------------

TEST_F(RecordsManagerTest, ALogChangedByAnotherMachineMeanwhileWritesNothing) {
    const QByteArray a = rawRecord({k20100215, k090503, 12, 3, 42});
    const QByteArray b = rawRecord({k20100215, k090503, 13, 5, 50});
    writeLog(a + b);
    RecordsManager m = manager();
    ASSERT_FALSE(m.rebuild());

    // Another machine deletes record 1 while record 2 stands open: record 2 is gone.
    ASSERT_TRUE(m.open(1));
    ASSERT_FALSE(DeleteResult(logPath, 1));
    RecordsWrite w = m.change(QStringLiteral("10"), m.editor()->pupilText);
    EXPECT_EQ(w.outcome, RecordsWrite::Outcome::LogChanged);
    EXPECT_FALSE(w.message.isEmpty());
    EXPECT_EQ(fileBytes(logPath), b);
    EXPECT_EQ(m.lines().size(), 1); // rebuilt from the log as it is now
    EXPECT_FALSE(m.editor());

    // Another machine corrects the open record: a deletion would lose its correction.
    ASSERT_TRUE(m.open(0));
    const QByteArray corrected = rawRecord({k20100215, k090503, 13, 5, 55});
    ASSERT_FALSE(ReplaceResult(logPath, 1, ResultRecord::fromBytes(corrected)));
    w = m.remove();
    EXPECT_EQ(w.outcome, RecordsWrite::Outcome::LogChanged);
    EXPECT_EQ(fileBytes(logPath), corrected);

    // An append elsewhere leaves the open record where it was: the write goes ahead.
    ASSERT_TRUE(m.open(0));
    ASSERT_FALSE(AppendRecord(logPath, ResultRecord::fromBytes(a)));
    w = m.change(QStringLiteral("56"), m.editor()->pupilText);
    EXPECT_EQ(w.outcome, RecordsWrite::Outcome::Written) << w.message.toStdString();
    EXPECT_EQ(fileBytes(logPath), rawRecord({k20100215, k090503, 13, 5, 56}) + a);
}

TEST_F(RecordsManagerTest, ASiblingDeletionUnderWayWhenTheWriteBeginsIsWaitedForAndSeen) {
    const QByteArray a = rawRecord({k20100215, k090503, 12, 3, 42});
    const QByteArray b = rawRecord({k20100215, k090503, 13, 5, 50});
    writeLog(a + b);
    // An older program deletes record 1 without the lock: its copy is on disk
    // when our change begins, and it rewrites the log while we wait.
    int waits = 0;
    RecordsManager m = manager([&] {
        if (++waits == 2) {
            writeLog(b);
            QFile::remove(DeletionCopyPath(logPath));
        }
    });
    ASSERT_FALSE(m.rebuild());
    ASSERT_TRUE(m.open(1));
    writeFile(dir, QFileInfo(DeletionCopyPath(logPath)).fileName(), a + b);
    const RecordsWrite w = m.change(QStringLiteral("10"), m.editor()->pupilText);
    EXPECT_GE(waits, 2);
    EXPECT_EQ(w.outcome, RecordsWrite::Outcome::LogChanged) << w.message.toStdString();
    EXPECT_EQ(fileBytes(logPath), b);
    EXPECT_EQ(m.lines().size(), 1);
}

// --- the screen --------------------------------------------------------------

namespace {

constexpr double k20260512 = 46154; // days since 1899-12-30

// FrmData on a stage of its own, clicked and typed at through the window;
// hand-overs and messages still go to the school's recording navigator.
struct RecordsScreenTest : ::testing::Test {
    SelectionFixture school;
    QString logPath;
    // The questions put to the teacher, answered Cancel unless the test queues an OK.
    QList<std::pair<QString, QString>>& asked = school.navigator.asked;
    std::unique_ptr<StageHost> host;
    FrmData* screen = nullptr;

    void SetUp() override {
        school.writeSchool();
        school.ctx->hensuu1.schoolCode = QStringLiteral("12345");
        school.ctx->hensuu1.siteName = QStringLiteral("本校");
        logPath = school.ctx->hensuu1.paths.resultsLogFile();
        QByteArray log;
        for (int i = 0; i < 3; ++i)
            log += rawRecord({k20260512, 0.5, 1, 3, 40 + i});
        writeFile(school.dir, QStringLiteral("data/倍数判定/成績累積データ.dat"), log);
        showScreen(1.0);
    }
    // The screen made anew in a window of the stage's size times scale, its list built.
    void showScreen(double scale) {
        host =
            std::make_unique<StageHost>([this](Screen) { return new FrmData(*school.ctx); }, scale);
        host->stage.show(Screen::RecordsManager);
        screen = static_cast<FrmData*>(host->stage.current());
        ASSERT_EQ(screen->Label3->text(), QString()); // nothing read yet
        clickOnStage(host->stage, screen->Command22);
        ASSERT_EQ(screen->List1->count(), 3);
    }
    void clickOn(QWidget* control) { clickOnStage(host->stage, control); }
    void clickLine(int row) {
        clickOnStage(host->stage, screen->List1->viewport(),
                     screen->List1->visualItemRect(screen->List1->item(row)).center());
    }
    void doubleClickLine(int row) {
        doubleClickOnStage(host->stage, screen->List1->viewport(),
                           screen->List1->visualItemRect(screen->List1->item(row)).center());
    }
    void TearDown() override { QApplication::setDoubleClickInterval(400); }
};

// A point on the arrow at the top of the scroll bar, the one pointing up.
QPoint upArrowOf(const QScrollBar* bar) {
    return {bar->width() / 2, 3};
}

} // namespace

TEST_F(RecordsScreenTest, DoubleClickOpensTheEditorAndASingleClickClosesIt) {
    showScreen(1.5); // a window half as large again as the stage
    EXPECT_EQ(screen->Label3->text(), QStringLiteral("総レコード数:3"));
    EXPECT_TRUE(screen->Picture6->isHidden()); // the wait cover is gone
    EXPECT_TRUE(screen->Picture3->isHidden());
    doubleClickLine(1);
    ASSERT_TRUE(screen->Picture3->isVisible());
    EXPECT_EQ(screen->Label1->text(), QStringLiteral("2"));
    EXPECT_EQ(screen->Label2[0]->text(), QStringLiteral("3ﾚﾍﾞﾙ"));
    EXPECT_EQ(screen->Label2[2]->text(), QStringLiteral("2026/05/12"));
    EXPECT_EQ(screen->Label2[3]->text(), QStringLiteral("小３"));
    EXPECT_EQ(screen->Text1->text(), QStringLiteral("41"));
    EXPECT_EQ(screen->VScroll1->value(), 41);
    EXPECT_EQ(screen->Combo1->currentText(), QStringLiteral("1 /  山田　花子"));

    // The scroll bar and the text box move together; the arrow pointing up raises the time.
    for (int i = 0; i < 9; ++i)
        clickOnStage(host->stage, screen->VScroll1, upArrowOf(screen->VScroll1));
    EXPECT_EQ(screen->VScroll1->value(), 50);
    EXPECT_EQ(screen->Text1->text(), QStringLiteral("50"));
    retypeOnStage(host->stage, screen->Text1, QStringLiteral("57"));
    EXPECT_EQ(screen->VScroll1->value(), 57);
    // The next pupil of the list, chosen by its key in the pupil box.
    clickOn(screen->Combo1);
    typeOnStage(host->stage, Qt::Key_Down);
    ASSERT_EQ(screen->Combo1->currentIndex(), 1);
    EXPECT_EQ(screen->Label2[3]->text(), QStringLiteral("中１"));

    clickLine(1); // a click straight after the double click
    EXPECT_TRUE(screen->Picture3->isVisible());
    QApplication::setDoubleClickInterval(0);
    clickLine(1);
    EXPECT_TRUE(screen->Picture3->isHidden());
}

TEST_F(RecordsScreenTest, ChangeWritesAndSelectsTheChangedLine) {
    doubleClickLine(2);
    retypeOnStage(host->stage, screen->Text1, QStringLiteral("33"));
    clickOn(screen->Command2);
    EXPECT_TRUE(school.navigator.texts.isEmpty()) << school.navigator.texts.join(' ').toStdString();
    EXPECT_EQ(fileBytes(logPath).mid(88), rawRecord({k20260512, 0.5, 1, 3, 33}));
    EXPECT_EQ(screen->List1->currentRow(), 2);
    EXPECT_TRUE(screen->Picture3->isHidden());
}

TEST_F(RecordsScreenTest, AnEmptySecondsBoxIsRefusedWithTheModelsMessage) {
    const QByteArray before = fileBytes(logPath);
    doubleClickLine(2);
    retypeOnStage(host->stage, screen->Text1, QString());
    ASSERT_EQ(screen->Text1->text(), QString());
    clickOn(screen->Command2);
    ASSERT_EQ(school.navigator.texts.size(), 1);
    EXPECT_TRUE(school.navigator.texts[0].contains(QStringLiteral("「秒」")));
    EXPECT_EQ(fileBytes(logPath), before);
    EXPECT_TRUE(screen->Picture3->isVisible()); // still open to be mended
}

TEST_F(RecordsScreenTest, DeletionAsksFirstAndCancelWritesNothing) {
    const QByteArray before = fileBytes(logPath);
    doubleClickLine(2);
    clickOn(screen->Command3);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], (std::pair{QStringLiteral("注意"), QStringLiteral("本当に消去しますか")}));
    EXPECT_EQ(school.navigator.askedKinds, QList<Question>{Question::OkCancel});
    EXPECT_EQ(fileBytes(logPath), before);

    school.navigator.answers.push_back(true);
    clickOn(screen->Command3);
    EXPECT_EQ(fileBytes(logPath), before.left(88));
    EXPECT_EQ(screen->List1->count(), 2);
    EXPECT_EQ(screen->List1->currentRow(), 1); // the new last line
}

TEST_F(RecordsScreenTest, ALogChangedMeanwhileIsToldAndTheListRebuilt) {
    doubleClickLine(0);
    ASSERT_FALSE(DeleteResult(logPath, 1));
    const QByteArray after = fileBytes(logPath);
    clickOn(screen->Command2);
    EXPECT_EQ(school.navigator.texts.size(), 1);
    EXPECT_EQ(fileBytes(logPath), after);
    EXPECT_EQ(screen->List1->count(), 2);
    EXPECT_EQ(screen->Label3->text(), QStringLiteral("総レコード数:2"));
}

TEST_F(RecordsScreenTest, BackGoesToTheHubAndPrintingWritesThePdf) {
    clickOn(screen->Command17); // offscreen without a PDF file: told, never a dialog
    EXPECT_EQ(school.navigator.texts.size(), 1);

    // Printed before 一覧表示, the list is the log's, read for it.
    school.ctx->printToPdf = school.dir.path() + QStringLiteral("/list.pdf");
    clickOn(screen->Command17);
    const QByteArray pdf = fileBytes(school.ctx->printToPdf);
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(school.navigator.texts.size(), 1);
    EXPECT_GT(screen->List1->count(), 0);
    EXPECT_NE(screen->Label3->text(), QStringLiteral("総レコード数:0"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                  pdf.count("/Type /Page "),
              1); // one sheet for the few records of this school

    clickOn(screen->Command4);
    EXPECT_EQ(school.navigator.shown, QList<Screen>{Screen::Hub});
}

TEST(RecordsManagerQuestion, OffscreenAnswersCancel) {
    Stage stage([](Screen) { return new QWidget; });
    EXPECT_FALSE(stage.ask(QStringLiteral("注意"), QStringLiteral("本当に消去しますか"),
                           Question::OkCancel));
}

} // namespace baisuu
