// The 苦手な数 view in the chart panel, clicked through the stage: whose
// pages it shows to a pupil and to a teacher, the period switch, printing,
// and the panel's captions fitting their buttons.

#include "drill/drill_fixture.h"
#include "hub/chart_panel_screen.h"
#include "records/answers_file.h"
#include "roster/grades.h"
#include "shown_panel.h"
#include "text_fit.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(16, 0));

class WeakNumbersPanel : public ::testing::Test, public DrillFixture {
  protected:
    WeakNumbersPanel() {
        clock.setNow(kNow);
        Hensuu1& h = ctx->hensuu1;
        h.schoolYearStartMonth = 4;
        writeFile(dir, QStringLiteral("新名簿.txt"),
                  sjis(QStringLiteral("3,2014,0,0,\"上田　ゆい\",0,\"\",\"\"\r\n"
                                      "7,2017,0,0,\"山田　花子\",0,\"\",\"\"\r\n")));
        EXPECT_FALSE(
            LoadRoster(ctx->roster, h.paths.rosterFile(), CurrentSchoolYear(kNow.date(), 4), 0));
        // Pupil 7 (signed in) misses 91 today and 51 long ago; pupil 3 misses 57.
        answers(7, {{kNow.date(), 3, 9, true},
                    {kNow.date(), 7, 91, false},
                    {kNow.date().addDays(-60), 3, 51, false}});
        answers(3, {{kNow.date(), 3, 57, false}});
    }

    struct Given {
        QDate date;
        int level;
        qint32 number;
        bool correct;
    };
    void answers(int pupil, const QList<Given>& given) {
        QList<Answer> list;
        for (const Given& g : given)
            list.append({g.date, 15 * 3600, g.level, g.level, g.number, g.correct ? 1 : 3,
                         g.correct, 1200});
        ASSERT_FALSE(AppendAnswers(AnswersFilePath(ctx->hensuu1.paths.dataFolder, pupil), list));
    }

    // The panel after the hub's "グラフ", levels 3 and 7 chosen.
    void open(ShownPanel<ChartPanel>& panel) {
        panel->Command16_Click(QStringLiteral("全学年"));
        panel->Command17_Click();
        for (int row = panel->List3->count() - 1; row >= 0; --row)
            if (row != 2 && row != 6) panel.clickLine(panel->List3, row);
    }

    // Whether the shown page marks number in a cell of level's grid as missed.
    static bool missed(const WeakNumbersDocument& doc, int level, qint32 number) {
        for (const WeakPage& page : doc.pages)
            for (const WeakSection& s : page.sections)
                for (const WeakCell& c : s.cells)
                    if (s.level == level && c.number == number) return c.wrong > 0;
        return false;
    }
};

} // namespace

TEST_F(WeakNumbersPanel, APupilSeesTheirOwnAndSwitchesThePeriod) {
    ShownPanel<ChartPanel> panel(*ctx, 1.3); // a window a third as large again as the stage
    open(panel);
    EXPECT_FALSE(panel->allDaysButton->isVisible()); // the period is the view's own
    panel.click(panel->Command25); // the other pupils, as anybody may see their charts
    panel.clickLine(panel->List2, 0);
    EXPECT_EQ(panel->Picture12->document().pupil, 3);

    panel.click(panel->weakButton);
    EXPECT_TRUE(panel->showsWeakNumbers());
    EXPECT_TRUE(panel->weakButton->isChecked());
    EXPECT_FALSE(panel->chartButton->isChecked());
    // Another pupil's weak spots are the teacher's to see: the list goes away
    // and the pupil's own pages show, whatever was chosen in it.
    EXPECT_FALSE(panel->List2->isVisible());
    EXPECT_FALSE(panel->Command25->isVisible());
    const WeakNumbersDocument& doc = panel->Picture12->weakNumbers();
    EXPECT_EQ(doc.pupil, 7);
    EXPECT_EQ(doc.pupilName, QStringLiteral("山田　花子"));
    EXPECT_EQ(doc.period, QStringLiteral("全期間"));
    EXPECT_TRUE(missed(doc, 7, 91));
    EXPECT_TRUE(missed(doc, 3, 51));
    EXPECT_EQ(panel->Picture12->pageCount(), 1);

    ASSERT_TRUE(panel->recentDaysButton->isVisible());
    panel.click(panel->recentDaysButton);
    EXPECT_TRUE(panel->recentDaysButton->isChecked());
    const WeakNumbersDocument& recent = panel->Picture12->weakNumbers();
    EXPECT_TRUE(recent.period.startsWith(QStringLiteral("最近30日")))
        << recent.period.toStdString();
    EXPECT_TRUE(missed(recent, 7, 91));
    EXPECT_FALSE(missed(recent, 3, 51));

    // Back to the charts: the list of other pupils is back as it was.
    panel.click(panel->chartButton);
    EXPECT_FALSE(panel->showsWeakNumbers());
    EXPECT_TRUE(panel->List2->isVisible());
    EXPECT_FALSE(panel->recentDaysButton->isVisible());
    EXPECT_EQ(panel->Picture12->document().pupil, 3);
    EXPECT_TRUE(navigator.texts.isEmpty()) << navigator.texts.join(u'\n').toStdString();

    for (const QPushButton* b :
         {panel->chartButton, panel->weakButton, panel->allDaysButton, panel->recentDaysButton})
        EXPECT_EQ(textFitProblem(*b, b->text()), QString()) << b->text().toStdString();
}

TEST_F(WeakNumbersPanel, ATeacherSeesAndPrintsAnyPupils) {
    const QString pdf = dir.filePath(QStringLiteral("印刷/weak.pdf"));
    QDir().mkpath(dir.filePath(QStringLiteral("印刷")));
    ShownPanel<ChartPanel> panel(*ctx); // the stage at its own size
    panel->setPrintToPdf(pdf);
    panel->setTeacherMode(true);
    open(panel);
    panel.click(panel->weakButton);
    EXPECT_EQ(panel->Picture12->weakNumbers().pupil, 7);
    ASSERT_TRUE(panel->Command25->isVisible());
    panel.click(panel->Command25);
    panel.clickLine(panel->List2, 0); // 上田　ゆい
    const WeakNumbersDocument& doc = panel->Picture12->weakNumbers();
    EXPECT_EQ(doc.pupil, 3);
    EXPECT_TRUE(missed(doc, 3, 57));
    EXPECT_FALSE(missed(doc, 7, 91));

    panel.clickLine(panel->List2, 1); // both pupils: one document each
    panel.click(panel->Command24[1]);
    EXPECT_TRUE(navigator.texts.isEmpty()) << navigator.texts.join(u'\n').toStdString();
    ASSERT_EQ(panel->printedFiles(), QStringList({pdf, NumberedPdfPath(pdf, 1)}));
    for (const QString& file : panel->printedFiles())
        EXPECT_EQ(pdfPages(file), 1) << file.toStdString();
}

TEST_F(WeakNumbersPanel, ADamagedAnswersFileIsToldAndWhatCanBeReadIsShown) {
    QFile file(AnswersFilePath(ctx->hensuu1.paths.dataFolder, 7));
    ASSERT_TRUE(file.open(QIODevice::Append));
    // Two lines nobody can read, and one an editor saved with LF alone.
    file.write("garbage\r\n\x81\x40\r\n2026/12/09,15:00:00,7,7,35,3,0,1500\n");
    file.close();
    ShownPanel<ChartPanel> panel(*ctx, 1.3);
    open(panel);
    panel.click(panel->weakButton);
    const WeakNumbersDocument& doc = panel->Picture12->weakNumbers();
    EXPECT_EQ(doc.notice, QStringLiteral("解答記録の一部が読めません（2行）"));
    EXPECT_TRUE(missed(doc, 7, 91));
    EXPECT_TRUE(missed(doc, 7, 35));
    EXPECT_TRUE(navigator.texts.isEmpty()) << navigator.texts.join(u'\n').toStdString();
}

} // namespace baisuu
