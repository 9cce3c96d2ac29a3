// The class report: rows and their order, the cells against the hub's tallies
// and clearing rule, the target-time marks, the CSV bytes, the pages, and
// `baisuu-cli class-report` over the demo school with a log written byte by byte.

#include "cli_school.h"
#include "hub/hub_model.h"
#include "records/log_bytes.h"
#include "reports/class_report.h"
#include "reports/class_report_page.h"
#include "roster/grades.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <memory>

namespace baisuu {

namespace {

// February: before the school year's April start, when grades are easiest to get wrong.
const QDateTime kNow(QDate(2027, 2, 10), QTime(16, 0));
const double kToday = double(QDate(1899, 12, 30).daysTo(kNow.date()));

// The page sizes a PDF declares, "842x595" each.
QStringList pdfMediaBoxes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression box(
        QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)\\s*\\]"));
    QStringList sizes;
    auto it = box.globalMatch(QString::fromLatin1(f.readAll()));
    while (it.hasNext()) {
        const auto m = it.next();
        sizes << QStringLiteral("%1x%2")
                     .arg(qRound(m.captured(1).toDouble()))
                     .arg(qRound(m.captured(2).toDouble()));
    }
    return sizes;
}

class ClassReports : public ::testing::Test {
  protected:
    ClassReports() {
        BuildLevelCatalog(catalog);
        for (int level = 1; level <= 11; ++level) {
            LevelCriteria& c = criteria.levels[size_t(level)];
            c.targetTime = 30;
            c.passTime = 60;
            c.clearPoints = 5;
            c.clearCount = 1;
            c.pointFactor = 1;
            c.judgeDays = Value{Value::Kind::Number, 7, {}};
            c.overdoDays = Value{Value::Kind::Number, 7, {}};
        }
        // Names in kana, so the Japanese order within a year is plain to see.
        rosterPath =
            writeFile(dir, QStringLiteral("新名簿.txt"),
                      sjis(QStringLiteral("9,2019,0,0,\"かとう　れん\",0,\"\",\"\"\r\n"
                                          "1,2019,0,0,\"あおき　さくら\",0,\"\",\"\"\r\n"
                                          "2,2019,0,0,\"いしい　はると\",2,\"\",\"\"\r\n"
                                          "8,2019,0,0,\"あべ　みお\",1,\"\",\"\"\r\n"
                                          "3,2014,0,0,\"うえだ　ゆい\",0,\"\",\"\"\r\n"
                                          "12,2013,0,0,\"えぐち　そうた\",0,\"\",\"\"\r\n"
                                          "7,2017,0,0,\"やまだ　はなこ\",0,\"\",\"\"\r\n"
                                          "10,2011,0,0,\"ささき　じん\",0,\"\",\"\"\r\n"
                                          "11,2022,0,0,\"ちいさな　こ\",0,\"\",\"\"\r\n")));
    }

    void log(const QList<RawRecord>& runs) {
        QByteArray bytes;
        for (const RawRecord& r : runs)
            bytes += rawRecord(r);
        const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), bytes);
        ASSERT_FALSE(ComputeLevelStats(*results, criteria, path, kNow));
    }

    ClassReport report(const QString& group, QList<int> levels = {}, int includeStatusTwo = 0) {
        RosterListSettings settings;
        settings.group = group;
        settings.includeStatusTwo = includeStatusTwo;
        settings.today = kNow.date();
        RosterList list;
        EXPECT_FALSE(BuildRosterList(roster, rosterPath, settings, *results, list));
        ClassReportRequest request;
        request.group = group;
        request.levels = std::move(levels);
        request.today = kNow.date();
        request.schoolYear = CurrentSchoolYear(kNow.date(), 4);
        request.schoolName = QStringLiteral("本町教室");
        return BuildClassReport(request, ListedPupils(list), roster, *results, criteria, catalog);
    }

    static QStringList names(const ClassReport& r) {
        QStringList out;
        for (const ClassReportRow& row : r.rows)
            out << row.grade + QLatin1Char(' ') + row.name;
        return out;
    }

    const ClassReportCell& cell(const ClassReport& r, int pupil, int level) const {
        for (const ClassReportRow& row : r.rows)
            if (row.pupil == pupil)
                for (qsizetype k = 0; k < r.levels.size(); ++k)
                    if (r.levels[k].level == level) return row.cells[k];
        ADD_FAILURE() << "no cell for pupil " << pupil << " level " << level;
        static const ClassReportCell none;
        return none;
    }

    QTemporaryDir dir;
    QString rosterPath;
    LevelCatalog catalog;
    CriteriaTable criteria;
    StudentRoster roster;
    std::unique_ptr<ResultsState> results = std::make_unique<ResultsState>();
};

} // namespace

TEST_F(ClassReports, RowsAreTheSelectionListOfTheGroupInItsOrder) {
    log({});
    // Oldest base year first, Japanese order within a year; status 1 never,
    // status 2 only when the configuration lists it.
    EXPECT_EQ(
        names(report(QStringLiteral("全学年"))),
        QStringList({QStringLiteral("中３ ささき　じん"), QStringLiteral("中１ えぐち　そうた"),
                     QStringLiteral("小６ うえだ　ゆい"), QStringLiteral("小３ やまだ　はなこ"),
                     QStringLiteral("小１ あおき　さくら"), QStringLiteral("小１ かとう　れん"),
                     QStringLiteral("幼1 ちいさな　こ")}));
    EXPECT_EQ(
        names(report(QStringLiteral("小学生全体"), {}, 1)),
        QStringList({QStringLiteral("小６ うえだ　ゆい"), QStringLiteral("小３ やまだ　はなこ"),
                     QStringLiteral("小１ あおき　さくら"), QStringLiteral("小１ いしい　はると"),
                     QStringLiteral("小１ かとう　れん")}));
    EXPECT_TRUE(report(QStringLiteral("中２")).rows.isEmpty());

    const ClassReport all = report(QStringLiteral("全学年"));
    ASSERT_EQ(all.levels.size(), 11);
    EXPECT_EQ(LevelHeading(all.levels[0]), QStringLiteral("1 偶数奇数"));

    // The levels asked for, in the order asked; none beyond the offered ones.
    const ClassReport some = report(QStringLiteral("全学年"), {4, 2, 12});
    ASSERT_EQ(some.levels.size(), 2);
    EXPECT_EQ(some.levels[0].level, 4);
    EXPECT_EQ(some.levels[1].level, 2);
    EXPECT_EQ(some.rows[0].cells.size(), 2);
}

TEST_F(ClassReports, CellsShowTheHubsTalliesAndItsClearingRule) {
    log({
        {kToday, 0.5, 1, 2, 25},      // 5 points, within the target
        {kToday - 1, 0.5, 1, 2, 40},  // 4 points
        {kToday, 0.6, 1, 2, 99999},   // timed out: no run, no points
        {kToday - 30, 0.5, 9, 2, 10}, // 19 points, but long before the judgement period
        {kToday, 0.5, 9, 3, 31},      // a second over the target: 4 points, not enough
        {kToday, 0.5, 9, 4, 30},      // the target itself: 5 points, cleared
        {kToday, 0.5, 3, 2, 99999},   // nothing but a time-out
        {kToday, 0.5, 7, 11, 20},     // the goal level
    });
    const ClassReport r = report(QStringLiteral("全学年"));

    const ClassReportCell& a = cell(r, 1, 2);
    EXPECT_EQ(a.runs, 2);
    EXPECT_EQ(BestTimeText(a), QStringLiteral("25"));
    EXPECT_EQ(a.points, 9);
    EXPECT_EQ(ClearedText(a), QStringLiteral("◎"));
    EXPECT_TRUE(a.withinTarget);

    const ClassReportCell& longAgo = cell(r, 9, 2);
    EXPECT_EQ(longAgo.points, 19);
    EXPECT_TRUE(longAgo.withinTarget);
    EXPECT_FALSE(longAgo.cleared) << "cleared a month ago is not cleared within the period";

    EXPECT_FALSE(cell(r, 9, 3).cleared);
    EXPECT_FALSE(cell(r, 9, 3).withinTarget);
    EXPECT_TRUE(cell(r, 9, 4).cleared);
    EXPECT_TRUE(cell(r, 9, 4).withinTarget);

    const ClassReportCell& timedOut = cell(r, 3, 2);
    EXPECT_EQ(RunsText(timedOut), QStringLiteral("0"));
    EXPECT_EQ(BestTimeText(timedOut), QStringLiteral("-"));
    EXPECT_EQ(PointsText(timedOut), QStringLiteral("0"));
    EXPECT_FALSE(timedOut.withinTarget);
    EXPECT_EQ(ClearedText(timedOut), QString());

    // Every cell as the hub shows the pupil's column, and the goal level as
    // the hub opens the levels.
    for (const ClassReportRow& row : r.rows)
        for (qsizetype k = 0; k < r.levels.size(); ++k) {
            const int level = r.levels[k].level;
            const ClassReportCell& c = row.cells[k];
            const PupilLevelStats& s = results->at(row.pupil, level);
            const QString hub = AllTimeTallyText(s);
            EXPECT_EQ(hub, c.runs == 0 ? QStringLiteral("------")
                                       : QStringLiteral("%1回/%2点").arg(c.runs).arg(c.points))
                << row.pupil << " " << level;
            EXPECT_EQ(c.best, results->best(row.pupil, level));
        }
    for (int pupil : {1, 3, 7, 9}) {
        const bool goal = OpenLevels(catalog, criteria, *results, pupil).finalLevelCleared;
        EXPECT_EQ(cell(r, pupil, 11).cleared, goal) << pupil;
    }
    EXPECT_TRUE(cell(r, 7, 11).cleared);
}

TEST(ClassReportCsv, IsUtf8WithBomCrLfAndQuotesAsRfc4180) {
    ClassReport r;
    r.levels = {{2, QStringLiteral("偶数奇数２"), 25}};
    ClassReportCell cleared;
    cleared.runs = 3;
    cleared.best = 21;
    cleared.points = 42;
    cleared.cleared = true;
    r.rows = {{5, QStringLiteral("小１"), QStringLiteral("森,ゆう"), {cleared}},
              {6, QStringLiteral("小２"), QStringLiteral("森\"ゆう"), {ClassReportCell{}}}};
    const QByteArray expected =
        QByteArray("\xEF\xBB\xBF") +
        QStringLiteral("学年,名前,2 偶数奇数２ 回数,2 偶数奇数２ 最高,2 偶数奇数２ 点数,"
                       "2 偶数奇数２ クリア\r\n"
                       "小１,\"森,ゆう\",3,21,42,◎\r\n"
                       "小２,\"森\"\"ゆう\",0,-,0,\r\n")
            .toUtf8();
    EXPECT_EQ(ClassReportCsv(r), expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("成績.csv"));
    ASSERT_FALSE(WriteClassReportCsv(r, path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("成績.csv")}))
        << "no temporary file left beside the report";
}

TEST(ClassReportPages, RowBlocksGoOverEvenlySharedSheets) {
    auto shape = [](const QList<ClassReportPage>& pages) {
        QStringList out;
        for (const ClassReportPage& p : pages)
            out << QStringLiteral("%1+%2:%3+%4")
                       .arg(p.firstRow)
                       .arg(p.rowCount)
                       .arg(p.firstLevel)
                       .arg(p.levelCount);
        return out.join(QLatin1Char(' '));
    };
    EXPECT_EQ(shape(PaginateClassReport(60, 11, 28, 6)),
              QStringLiteral("0+28:0+6 0+28:6+5 28+28:0+6 28+28:6+5 56+4:0+6 56+4:6+5"));
    EXPECT_EQ(shape(PaginateClassReport(28, 13, 28, 6)),
              QStringLiteral("0+28:0+5 0+28:5+5 0+28:10+3"));
    EXPECT_EQ(shape(PaginateClassReport(3, 4, 28, 6)), QStringLiteral("0+3:0+4"));
    // No pupil in the group: one sheet of headings still says so.
    EXPECT_EQ(shape(PaginateClassReport(0, 11, 28, 6)), QStringLiteral("0+0:0+6 0+0:6+5"));
}

TEST(ClassReportPages, PdfIsA4LandscapeWithEverySheet) {
    ClassReport r;
    r.schoolName = QStringLiteral("本町教室");
    r.group = QStringLiteral("全学年");
    r.today = kNow.date();
    for (int level = 1; level <= 11; ++level)
        r.levels.append({level, QStringLiteral("レベル%1").arg(level), 30});
    ClassReportCell c;
    c.best = 30;
    c.withinTarget = true;
    c.cleared = true;
    for (int i = 0; i < 60; ++i)
        r.rows.append({i + 1, QStringLiteral("小３"),
                       i == 0 ? QStringLiteral("とてもながいなまえのせいとさんです") // 17 wide
                              : QStringLiteral("生徒%1").arg(i + 1),
                       QList<ClassReportCell>(11, c)});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("成績.pdf"));
    ASSERT_FALSE(WriteClassReportPdf(r, path));
    EXPECT_EQ(pdfPages(path), 6);
    EXPECT_EQ(pdfMediaBoxes(path), QStringList(6, QStringLiteral("842x595")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("成績.pdf")}));
}

// --- baisuu-cli class-report --------------------------------------------------

namespace {

constexpr double k20261208 = 46364; // days since 1899-12-30

struct DemoSchool : CliDemoSchool {
    DemoSchool() : CliDemoSchool(QStringLiteral("2026-12-08T19:00:00")) {
        QByteArray log;
        // The demo clears a level with 100 points in 5 runs within 7 days: five
        // runs of 5 s at level 2 (target 25 s) make 150 points.
        for (int i = 0; i < 5; ++i) {
            log += rawRecord({k20261208, 0.4, 5, 2, 5});
            log += rawRecord({k20261208 - 30, 0.4, 4, 2, 5});
        }
        log += rawRecord({k20261208, 0.5, 5, 1, 99999});
        log += rawRecord({k20261208, 0.5, 3, 1, 21});
        writeLog(log);
    }
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ClassReportCli, CsvHasTheGroupInTheSelectionListsOrder) {
    DemoSchool school;
    const QString out = school.dir.filePath(QStringLiteral("小１.csv"));
    const ProcessResult r = school.cli({QStringLiteral("class-report"), QStringLiteral("--group"),
                                        QStringLiteral("小１"), QStringLiteral("--levels"),
                                        QStringLiteral("2,1,2"), QStringLiteral("--out"), out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), QDir::toNativeSeparators(out));

    const QByteArray bytes = readAll(out);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines =
        QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0], QStringLiteral("学年,名前,2 偶数奇数２ 回数,2 偶数奇数２ 最高,"
                                       "2 偶数奇数２ 点数,2 偶数奇数２ クリア,1 偶数奇数 回数,"
                                       "1 偶数奇数 最高,1 偶数奇数 点数,1 偶数奇数 クリア"));

    // The same pupils in the same order as the selection screen's list.
    const ProcessResult list =
        school.cli({QStringLiteral("roster"), QStringLiteral("--group"), QStringLiteral("小１")});
    ASSERT_EQ(list.code, 0) << list.err.toStdString();
    const QStringList listed = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
    ASSERT_EQ(lines.size() - 1, listed.size());
    for (qsizetype i = 0; i < listed.size(); ++i) {
        const QString name = lines[i + 1].section(QLatin1Char(','), 1, 1);
        EXPECT_TRUE(listed[i].mid(3).startsWith(name)) // after "小1 "
            << listed[i].toStdString() << " / " << name.toStdString();
    }

    EXPECT_TRUE(lines.contains(QStringLiteral("小１,大野　ひなた,5,5,150,◎,0,-,0,")));
    // The same runs a month ago: no mark.
    EXPECT_TRUE(lines.contains(QStringLiteral("小１,江口　そうた,5,5,150,,0,-,0,")));
    EXPECT_TRUE(lines.contains(QStringLiteral("小１,上田　ゆい,0,-,0,,1,21,4,")));
}

TEST(ClassReportCli, PdfIsA4LandscapeAndBadRequestsAreRefused) {
    DemoSchool school;
    const QString out = school.dir.filePath(QStringLiteral("全学年.PDF"));
    const ProcessResult r =
        school.cli({QStringLiteral("class-report"), QStringLiteral("--out"), out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // 38 listed pupils: two blocks of rows, each over two sheets of levels.
    EXPECT_EQ(pdfPages(out), 4);
    EXPECT_EQ(pdfMediaBoxes(out), QStringList(4, QStringLiteral("842x595")));

    const QByteArray before = readAll(out);
    const auto refused = [&](const QStringList& args, int code, const QString& told) {
        const ProcessResult bad = school.cli(QStringList{QStringLiteral("class-report")} + args);
        EXPECT_EQ(bad.code, code) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(bad.err.contains(told)) << bad.err.toStdString();
    };
    const QString levels = QStringLiteral("--levels");
    const QString to = QStringLiteral("--out");
    refused({levels, QStringLiteral("0"), to, out}, 2, QStringLiteral("1〜11 の数にしてください"));
    refused({levels, QStringLiteral("1,12"), to, out}, 2, QStringLiteral("1〜11"));
    refused({levels, QStringLiteral("x"), to, out}, 2,
            QStringLiteral("半角の数字をカンマで区切って"));
    refused({to, out, levels}, 2, QStringLiteral("--levels L[,L...] の形で"));
    refused({QStringLiteral("--group"), QStringLiteral("高１"), to, out}, 2,
            QStringLiteral("--group には"));
    refused({}, 2, QStringLiteral("--out に"));
    refused({to, school.dir.filePath(QStringLiteral("成績.txt"))}, 2,
            QStringLiteral(".pdf か .csv"));
    for (const QString& name : {QStringLiteral("無い/成績.pdf"), QStringLiteral("無い/成績.csv")})
        refused({to, school.dir.filePath(name)}, 1, QStringLiteral("フォルダがありません"));
    EXPECT_EQ(readAll(out), before) << "a refused request leaves the earlier report as it was";
    EXPECT_FALSE(QFile::exists(school.dir.filePath(QStringLiteral("成績.txt"))));
}

} // namespace baisuu
