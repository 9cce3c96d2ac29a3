// A pupil's history: the own-runs lists, the chart bands and their figures,
// the pages, the panels on screen, printing to PDF, the password and the
// other-pupils list, over a roster file and a log written byte by byte.

#include "drill/drill_fixture.h"
#include "hub/chart_panel.h"
#include "hub/chart_panel_screen.h"
#include "hub/data_change_panel_screen.h"
#include "hub/hub_model.h"
#include "records/log_bytes.h"
#include "reports/chart_page.h"
#include "roster/grades.h"
#include "shown_panel.h"
#include "stage_input.h"
#include "text_fit.h"

#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

// February: before the school year's April start, when grades are easiest to get wrong.
const QDateTime kNow(QDate(2027, 2, 10), QTime(16, 0));
const double kToday = double(QDate(1899, 12, 30).daysTo(kNow.date()));
const double kNineFiveThree = (9 * 3600 + 5 * 60 + 3) / 86400.0;

// Pictures of the panels for a person to look at, when asked for.
void snapshot(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("CHART_PNG_DIR");
    if (!folder.isEmpty())
        widget.grab().save(folder + QStringLiteral("/") + name + QStringLiteral(".png"));
}

class Charts : public ::testing::Test, public DrillFixture {
  protected:
    Charts() {
        clock.setNow(kNow);
        Hensuu1& h = ctx->hensuu1;
        h.schoolYearStartMonth = 4;
        h.includeStatusTwo = 1; // listed on the selection screen, still not in List2
        writeFile(dir, QStringLiteral("新名簿.txt"),
                  sjis(QStringLiteral("1,2019,0,0,\"青木　さくら\",0,\"\",\"\"\r\n"
                                      "2,2019,0,0,\"石井　はると\",2,\"\",\"\"\r\n"
                                      "3,2014,0,0,\"上田　ゆい\",0,\"\",\"\"\r\n"
                                      "12,2013,0,0,\"江口　そうた\",0,\"\",\"\"\r\n"
                                      "7,2017,0,0,\"山田　花子\",0,\"\",\"\"\r\n")));
        h.paths.dataRoot = dir.path() + QStringLiteral("/");
        EXPECT_FALSE(LoadRoster(ctx->roster, h.paths.rosterFile(), schoolYear(), 1));
    }

    int schoolYear() const { return CurrentSchoolYear(kNow.date(), 4); }

    // Writes the log, tallies it as the hub does, and reads its records back.
    QList<RecordNumbers> log(const QList<RawRecord>& runs) {
        QByteArray bytes;
        for (const RawRecord& r : runs)
            bytes += rawRecord(r);
        const QString path = writeFile(dir, QStringLiteral("倍数判定/成績累積データ.dat"), bytes);
        EXPECT_FALSE(ComputeLevelStats(ctx->results, ctx->criteria, path, kNow));
        QList<RecordNumbers> records;
        for (qsizetype k = 0; k + kRecordSize <= bytes.size(); k += kRecordSize)
            records.append(RecordNumbersOf(bytes.constData() + k));
        return records;
    }

    ChartRequest request(int pupil, QList<int> levels,
                         const QString& group = QStringLiteral("小学生全体")) const {
        ChartRequest r;
        r.pupil = pupil;
        r.group = group;
        r.today = kNow.date();
        r.schoolYear = schoolYear();
        r.levelCount = 11;
        r.levels = std::move(levels);
        r.contentName = QStringLiteral("倍数判定");
        return r;
    }

    ChartDocument chart(int pupil, QList<int> levels, const QList<RecordNumbers>& records) {
        return BuildChartDocument(request(pupil, std::move(levels)), records, ctx->results,
                                  ctx->roster, ctx->criteria, ctx->hensuu1.catalog);
    }
};

} // namespace

TEST_F(Charts, OwnRunsListDateClockAndTimeAndPutTimedOutRunsLast) {
    const QList<RecordNumbers> records = log({
        {kToday - 3650, 0.5, 7, 2, 60}, // eleven years back: out of the view
        {kToday - 3649, 0.5, 7, 2, 55},
        {kToday - 1, kNineFiveThree, 7, 2, 23},
        {kToday, 0.5, 7, 2, 99999},
        {kToday, 0.5, 3, 2, 20},  // another pupil
        {kToday, 0.5, 7, 12, 20}, // beyond the offered levels
        {kToday, 2.0 / 3, 7, 2, 41},
    });
    HistoryRequest r = request(7, {});
    std::vector<QStringList> lines = OwnRunLines(records, r, ctx->roster);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[2], QStringList({QStringLiteral("2017/02/13 12:00:00  55秒"),
                                     QStringLiteral("2027/02/09 9:05:03  23秒"),
                                     QStringLiteral("2027/02/10 16:00:00  41秒"),
                                     QStringLiteral("2027/02/10 12:00:00")}));
    for (size_t level = 0; level < lines.size(); ++level)
        if (level != 2) {
            EXPECT_TRUE(lines[level].isEmpty()) << level;
        }

    r.group = QStringLiteral("中学生全体"); // the third-grader is not in it
    EXPECT_TRUE(OwnRunLines(records, r, ctx->roster)[2].isEmpty());

    QList<RecordNumbers> many(kOwnRunsRecords + 1, records[2]);
    many.first().runTime = 77; // the one record before the last 20 000
    r.group = QStringLiteral("全学年");
    lines = OwnRunLines(many, r, ctx->roster);
    EXPECT_EQ(lines[2].size(), kOwnRunsRecords);
    EXPECT_FALSE(lines[2].join(QString()).contains(QStringLiteral("77秒")));
}

TEST_F(Charts, BandsMarkNewBestsCountRunsUnder1800AndCompareWithTheGroup) {
    const QList<RecordNumbers> records = log({
        {kToday - 5, 0.5, 7, 3, 40},
        {kToday - 4, 0.5, 7, 3, 45},
        {kToday - 4, 0.6, 3, 3, 25},
        {kToday - 3, 0.5, 7, 3, 35},
        {kToday - 3, 0.6, 12, 3, 10},  // a first-year of junior high: outside the group
        {kToday - 2, 0.5, 7, 3, 1900}, // plotted, never counted
        {kToday - 2, 0.6, 3, 3, 2000},
        {kToday - 1, 0.5, 7, 3, 99999},
        {kToday - 1, 0.6, 7, 3, 30},
        {kToday, 0.5, 7, 3, 30}, // as fast: no new best
        {kToday, 0.5, 1, 4, 1800},
        {kToday, 0.6, 1, 4, 99999},
    });
    const ChartDocument doc = chart(7, {3}, records);
    EXPECT_EQ(doc.pupilName, QStringLiteral("山田　花子"));
    EXPECT_EQ(doc.grade, QStringLiteral("小３"));
    ASSERT_EQ(doc.pages.size(), 1);
    ASSERT_EQ(doc.pages[0].bands.size(), 1);
    const ChartBand& band = doc.pages[0].bands[0];
    EXPECT_EQ(band.title, QStringLiteral(" 倍数判定"));
    QList<bool> bests, counted;
    for (const ChartRun& run : band.runs) {
        bests << run.best;
        counted << run.counted;
    }
    EXPECT_EQ(bests, QList<bool>({true, false, true, false, false, true, false}));
    EXPECT_EQ(counted, QList<bool>({true, true, true, false, false, true, true}));
    // Points: 4 for each run slower than the target of 30 s and under twice
    // it, 5 for each run at 30 s; pupil 12's 19 points rank but are not listed.
    EXPECT_EQ(
        ChartFigureLines(band),
        QStringList({QStringLiteral("回数　　　　　　　  5回"),
                     QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                     QStringLiteral("　　順位　　　　    3位"),
                     QStringLiteral("　　最高　　　　    30秒 /    25秒"),
                     QStringLiteral("　　平均　　　　   36秒 /   34秒"),
                     QStringLiteral("ポイント  　　　"), QStringLiteral("　　順位　　　　  1位"),
                     QStringLiteral("　　獲得ポイント   22点"),
                     QStringLiteral("　　　　　　　　　　　　/   14 (塾平均)")}));

    // Without a run under 1800 s there is no average to show.
    const ChartBand slow = chart(1, {4}, records).pages[0].bands[0];
    EXPECT_EQ(slow.runs.size(), 2);
    EXPECT_TRUE(slow.runs[0].best);
    EXPECT_FALSE(slow.runs[1].best);
    const QStringList rows = ChartFigureLines(slow);
    EXPECT_EQ(rows[0], QStringLiteral("回数　　　　　　　  0回"));
    EXPECT_EQ(rows[3], QStringLiteral("　　最高　　　　  1800秒 /  1800秒"));
    for (const QString& row : rows)
        EXPECT_FALSE(row.startsWith(QStringLiteral("　　平均"))) << row.toStdString();
}

TEST_F(Charts, ThreeBandsFillAPageAndTheFourthStartsTheNext) {
    const QList<BandPlace> places = PlaceBands(7);
    const double tops[] = {0.05, 0.35, 0.65, 0.05, 0.35, 0.65, 0.05};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(places[k].page, k / 3) << k;
        EXPECT_NEAR(places[k].top, tops[k], 1e-9) << k;
    }

    const QList<RecordNumbers> records = log({{kToday, 0.5, 7, 4, 33}});
    const ChartDocument doc = chart(7, {2, 1, 3, 4}, records);
    ASSERT_EQ(doc.pages.size(), 2);
    EXPECT_EQ(doc.pages[0].bands.size(), 3);
    EXPECT_EQ(doc.pages[0].bands[0].level, 2); // in the order of the list's selection
    ASSERT_EQ(doc.pages[1].bands.size(), 1);
    EXPECT_EQ(doc.pages[1].bands[0].level, 4);

    // On screen the picture is cleared for the fourth band, which stands at the top.
    ShownPanel<ChartPanel> panel(*ctx, 1.5); // a window half as large again as the stage
    panel->Command16_Click(QStringLiteral("全学年"));
    panel->Command17_Click(); // every level selected
    for (int row = panel->List3->count() - 1; row >= 4; --row)
        panel.clickLine(panel->List3, row); // a click takes the level off
    panel.click(panel->Command24[0]);
    EXPECT_TRUE(panel->isVisible());
    ASSERT_EQ(panel->Picture12->pageCount(), 2);
    EXPECT_EQ(panel->Picture12->page(), 1);
    const QImage shown = panel->Picture12->grab().toImage();
    const QRect secondBand(20, int(shown.height() * 0.4), shown.width() - 40,
                           int(shown.height() * 0.5));
    bool blank = true;
    for (int y = secondBand.top(); y < secondBand.bottom() && blank; y += 3)
        for (int x = secondBand.left(); x < secondBand.right() && blank; x += 3)
            blank = shown.pixelColor(x, y) == Qt::white;
    EXPECT_TRUE(blank) << "the bands of the first page are still on the picture";
    panel.click(panel->previousPage);
    EXPECT_EQ(panel->Picture12->page(), 0);
    snapshot(*panel, QStringLiteral("chart_panel"));
}

TEST_F(Charts, PagesShowRedBestsAndBlueOthersOnAnyDevice) {
    const QList<RecordNumbers> records =
        log({{kToday - 2, 0.5, 7, 5, 50}, {kToday - 1, 0.5, 7, 5, 55}, {kToday, 0.5, 7, 5, 40}});
    const ChartDocument doc = chart(7, {5}, records);
    QImage image(700, 630, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        DrawChartPage(p, QRectF(image.rect()), doc, 0);
    }
    int red = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            red += image.pixelColor(x, y) == QColor(255, 0, 0);
            blue += image.pixelColor(x, y) == QColor(0, 0, 255);
        }
    EXPECT_GT(red, 10);
    EXPECT_GT(blue, 5);
}

TEST_F(Charts, ThreeSelectedPupilsPrintThreeDocuments) {
    EXPECT_EQ(NumberedPdfPath(QStringLiteral("/out/charts.pdf"), 0),
              QStringLiteral("/out/charts.pdf"));
    EXPECT_EQ(NumberedPdfPath(QStringLiteral("/out/charts.pdf"), 2),
              QStringLiteral("/out/charts-3.pdf"));
    EXPECT_EQ(NumberedPdfPath(QStringLiteral("/out.d/charts"), 1),
              QStringLiteral("/out.d/charts-2"));

    log({{kToday, 0.5, 7, 1, 33}, {kToday, 0.5, 3, 1, 28}, {kToday, 0.5, 1, 2, 40}});
    ShownPanel<ChartPanel> panel(*ctx);
    const QString pdf = dir.filePath(QStringLiteral("印刷/charts.pdf"));
    QDir().mkpath(dir.filePath(QStringLiteral("印刷")));
    panel->setPrintToPdf(pdf);
    panel->setTeacherMode(true); // the print button is the teacher's
    panel->Command16_Click(QStringLiteral("全学年"));
    panel->Command17_Click(); // every level selected
    for (int row = panel->List3->count() - 1; row >= 4; --row)
        panel.clickLine(panel->List3, row);
    panel.click(panel->Command25);
    for (int row : {0, 1, 3})
        panel.clickLine(panel->List2, row);
    panel.click(panel->Command24[1]);
    EXPECT_TRUE(navigator.texts.isEmpty())
        << navigator.texts.join(QStringLiteral("\n")).toStdString();
    ASSERT_EQ(panel->printedFiles(),
              QStringList({pdf, NumberedPdfPath(pdf, 1), NumberedPdfPath(pdf, 2)}));
    for (const QString& file : panel->printedFiles())
        EXPECT_EQ(pdfPages(file), 2) << file.toStdString(); // four levels: two pages each
    EXPECT_EQ(panel->chartedPupil(), 7);

    // Unattended and without a file there is nobody to choose a printer: it is told.
    panel->setPrintToPdf({});
    panel.click(panel->Command24[1]);
    EXPECT_EQ(navigator.texts.size(), 1);
}

TEST_F(Charts, PrintingToTheDialogsFileKeepsEveryPupilsDocument) {
    const QList<RecordNumbers> records =
        log({{kToday, 0.5, 7, 1, 33}, {kToday, 0.5, 3, 1, 28}, {kToday, 0.5, 1, 1, 40}});
    QList<PagedDocument> docs;
    for (int pupil : {7, 3, 1})
        docs.append(PagedChart(chart(pupil, {1}, records)));
    ShownPanel<ChartPanel> panel(*ctx);
    // What the print dialog gives when it sends the print to a file.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = dir.filePath(QStringLiteral("dialog.pdf"));
    printer.setOutputFileName(file);
    panel->printOn(printer, docs);
    EXPECT_TRUE(navigator.texts.isEmpty());
    ASSERT_EQ(panel->printedFiles(),
              QStringList({file, NumberedPdfPath(file, 1), NumberedPdfPath(file, 2)}));
    for (const QString& written : panel->printedFiles())
        EXPECT_EQ(pdfPages(written), 1) << written.toStdString();
}

TEST_F(Charts, WithoutALevelNothingIsPrintedAndItIsTold) {
    log({{kToday, 0.5, 7, 1, 33}});
    ShownPanel<ChartPanel> panel(*ctx);
    const QString pdf = dir.filePath(QStringLiteral("none.pdf"));
    panel->setPrintToPdf(pdf);
    panel->setTeacherMode(true);
    panel->Command16_Click(QStringLiteral("全学年"));
    panel->Command17_Click(); // every level selected: each click takes one off
    for (int row = panel->List3->count() - 1; row >= 0; --row)
        panel.clickLine(panel->List3, row);
    panel.click(panel->Command24[1]);
    ASSERT_EQ(navigator.texts.size(), 1);
    EXPECT_TRUE(navigator.texts[0].contains(QStringLiteral("レベルが選ばれていない")));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(panel->printedFiles().isEmpty());
}

TEST_F(Charts, OnlyTheExactPasswordOpensTheTeacherScreens) {
    EXPECT_TRUE(PasswordOpens(QStringLiteral("Juku7"), QStringLiteral("Juku7")));
    for (const char16_t* typed : {u"", u"juku7", u"Ｊｕｋｕ７", u"Juku7 "})
        EXPECT_FALSE(PasswordOpens(QString::fromUtf16(typed), QStringLiteral("Juku7")));

    ShownPanel<DataChangePanel> panel(*ctx);
    panel->Command8_Click();
    EXPECT_TRUE(panel->shown());
    ctx->hensuu1.teacherPassword = QStringLiteral("Juku7");
    for (const QString& typed : {QString(), QStringLiteral("juku7")}) {
        retypeOnStage(panel.host.stage, panel->Text3, typed);
        panel.click(panel->Command10[0]);
    }
    EXPECT_EQ(navigator.texts, QStringList({QStringLiteral("パスワードを入力して下さい"),
                                            QStringLiteral("パスワードを入力して下さい")}));
    EXPECT_TRUE(navigator.shown.isEmpty());
    EXPECT_TRUE(panel->shown());
    retypeOnStage(panel.host.stage, panel->Text3, QStringLiteral("Juku7"));
    panel.click(panel->Command10[1]);
    EXPECT_EQ(navigator.shown, QList<Screen>({Screen::CriteriaEditor}));

    ctx->hensuu1.teacherPassword.clear();
    retypeOnStage(panel.host.stage, panel->Text3, QString());
    ASSERT_EQ(panel->Text3->text(), QString());
    panel.click(panel->Command10[0]);
    EXPECT_EQ(navigator.shown, QList<Screen>({Screen::CriteriaEditor, Screen::RecordsManager}));
    EXPECT_EQ(navigator.texts.size(), 2);
    expectTextsFit(*panel);
    snapshot(*panel, QStringLiteral("password_panel"));
    panel.click(panel->Command12);
    EXPECT_FALSE(panel->shown());
}

TEST_F(Charts, OtherPupilsListHasStatusZeroEntriesWithTheSelectionScreensGrades) {
    ShownPanel<ChartPanel> panel(*ctx);
    panel->setTeacherMode(true);
    log({{kToday, 0.5, 3, 1, 28}});
    ASSERT_TRUE(panel->Command16_Click(QStringLiteral("全学年")));
    QStringList lines;
    for (int row = 0; row < panel->List2->count(); ++row)
        lines << panel->List2->item(row)->text();
    // In February a pupil who came to school in 2019 is still in the first grade.
    auto line = [](const char16_t* grade, const char16_t* name, int number) {
        return QString::fromUtf16(grade) + QStringLiteral(" /  ") +
               FixedWidthText(QString::fromUtf16(name), kRosterTextWidth) +
               QStringLiteral("/%1").arg(number);
    };
    EXPECT_EQ(lines,
              QStringList({line(u"小１", u"青木　さくら", 1), line(u"小６", u"上田　ゆい", 3),
                           line(u"中１", u"江口　そうた", 12), line(u"小３", u"山田　花子", 7)}));
    EXPECT_EQ(PupilOfLine(lines[2]), 12);
    ASSERT_EQ(panel->List3->count(), 11);
    EXPECT_EQ(panel->List3->item(10)->text(), QStringLiteral("11"));

    panel->Command17_Click();
    EXPECT_TRUE(panel->List2->isHidden());
    panel.click(panel->Command25);
    EXPECT_TRUE(panel->Command25->isHidden());
    EXPECT_FALSE(panel->List2->isHidden());
    panel.clickLine(panel->List2, 1);
    ASSERT_TRUE(panel->List2->item(1)->isSelected());
    EXPECT_EQ(panel->chartedPupil(), 3);
    EXPECT_EQ(panel->Picture12->document().pupilName, QStringLiteral("上田　ゆい"));
    expectTextsFit(*panel);
    snapshot(*panel, QStringLiteral("other_pupils_panel"));
    panel.click(panel->Command18);
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(Charts, FiguresShowWholeRanksAndCountsAndTheAveragesRoundedEachItsWay) {
    // 104 pupils faster than pupil 7, who is 105th by time and, without points,
    // shares the 105th place by points with the pupils who have none.
    QString rosterText = QStringLiteral("7,2019,0,0,\"山田　花子\",0,\"\",\"\"\r\n");
    QList<RawRecord> runs{{kToday - 1, 0.5, 7, 3, 400}};
    for (int k = 0; k < 104; ++k) {
        rosterText += QStringLiteral("%1,2019,0,0,\"生徒%1\",0,\"\",\"\"\r\n").arg(100 + k);
        runs.append({kToday - 1, 0.5, qint16(100 + k), 3, 10 + k});
    }
    writeFile(dir, QStringLiteral("新名簿.txt"), sjis(rosterText));
    ASSERT_FALSE(LoadRoster(ctx->roster, ctx->hensuu1.paths.rosterFile(), schoolYear(), 1));
    const QStringList rows = ChartFigureLines(chart(7, {3}, log(runs)).pages[0].bands[0]);
    EXPECT_EQ(rows[2], QStringLiteral("　　順位　　　　  105位"));
    EXPECT_EQ(rows[6], QStringLiteral("　　順位　　　　105位"));

    // Counts keep every digit; small ones stand right-aligned as before.
    ChartBand band;
    band.best = 40;
    band.schoolBest = 30;
    band.schoolSum = 89;
    band.schoolCount = 2;
    band.sum = 89;
    const struct {
        int count;
        const char16_t* row;
    } counts[] = {{2, u"回数　　　　　　　  2回"},
                  {1200, u"回数　　　　　　　1200回"},
                  {20000, u"回数　　　　　　　20000回"}};
    for (const auto& c : counts) {
        band.count = c.count;
        EXPECT_EQ(ChartFigureLines(band)[0], QString::fromUtf16(c.row));
    }
    // The pupil's average is the whole seconds reached; the school's is the
    // nearest whole second, so equal sums over equal counts may read apart.
    const struct {
        qint64 sum;
        int count;
        const char16_t* row;
    } averages[] = {{597, 20, u"　　平均　　　　   29秒 /   30秒"}, // 29.85
                    {89, 2, u"　　平均　　　　   44秒 /   45秒"},   // 44.5
                    {601, 20, u"　　平均　　　　   30秒 /   30秒"}, // 30.05
                    {90, 2, u"　　平均　　　　   45秒 /   45秒"}};
    for (const auto& a : averages) {
        band.sum = band.schoolSum = a.sum;
        band.count = band.schoolCount = a.count;
        EXPECT_EQ(ChartFigureLines(band)[4], QString::fromUtf16(a.row)) << a.sum << "/" << a.count;
    }
}

TEST_F(Charts, APupilOutsideTheGroupIsChartedAgainstTheGroup) {
    // Pupil 12 is in junior high, charted from the other-pupils list while the
    // hub shows the primary school.
    const QList<RecordNumbers> records = log({
        {kToday - 2, 0.5, 12, 3, 50},
        {kToday - 1, 0.5, 12, 3, 40},
        {kToday - 1, 0.5, 7, 3, 30},
        {kToday - 1, 0.6, 3, 3, 45},
    });
    const ChartDocument doc = chart(12, {3}, records);
    ASSERT_EQ(doc.pages.size(), 1);
    const ChartBand& band = doc.pages[0].bands[0];
    EXPECT_EQ(band.runs.size(), 2);
    // Its own runs, the group's best and average (37.5 s), its place among
    // everyone the ranking numbers, its own points (4 + 4) against the
    // group's average of 4.5.
    EXPECT_EQ(
        ChartFigureLines(band),
        QStringList({QStringLiteral("回数　　　　　　　  2回"),
                     QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                     QStringLiteral("　　順位　　　　    2位"),
                     QStringLiteral("　　最高　　　　    40秒 /    30秒"),
                     QStringLiteral("　　平均　　　　   45秒 /   38秒"),
                     QStringLiteral("ポイント  　　　"), QStringLiteral("　　順位　　　　  1位"),
                     QStringLiteral("　　獲得ポイント    8点"),
                     QStringLiteral("　　　　　　　　　　　　/    5 (塾平均)")}));
}

} // namespace baisuu
