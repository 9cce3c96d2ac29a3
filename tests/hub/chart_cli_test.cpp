// baisuu-cli own-runs and chart: a pupil's own runs per level and the printed
// chart pages, over the demo school with a log written byte by byte.

#include "cli_school.h"
#include "records/log_bytes.h"
#include "test_support.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr double k20261208 = 46364; // days since 1899-12-30

struct DemoSchool : CliDemoSchool {
    DemoSchool() : CliDemoSchool(QStringLiteral("2026-12-08T19:00:00")) {
        QByteArray log;
        log += rawRecord({k20261208 - 1, 0.5, 5, 2, 99999});
        log += rawRecord({k20261208, 0.4, 5, 2, 25});
        log += rawRecord({k20261208, 0.4, 6, 2, 20});
        log += rawRecord({k20261208, 0.75, 5, 2, 31});
        log += rawRecord({k20261208, 0.75, 5, 4, 850});
        writeLog(log);
    }
};

} // namespace

TEST(ChartCli, OwnRunsPrintsEveryLevelsRunsUnderItsHeading) {
    DemoSchool school;
    const ProcessResult r =
        school.cli({QStringLiteral("own-runs"), QStringLiteral("--pupil"), QStringLiteral("5")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QStringList expected{QStringLiteral("# level 1"),
                         QStringLiteral("# level 2"),
                         QStringLiteral("2026/12/08 9:36:00  25秒"),
                         QStringLiteral("2026/12/08 18:00:00  31秒"),
                         QStringLiteral("2026/12/07 12:00:00"),
                         QStringLiteral("# level 3"),
                         QStringLiteral("# level 4"),
                         QStringLiteral("2026/12/08 18:00:00 850秒")};
    for (int level = 5; level <= 11; ++level)
        expected << QStringLiteral("# level %1").arg(level);
    EXPECT_EQ(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);

    // A first-grader is not among the junior-high pupils.
    const ProcessResult other =
        school.cli({QStringLiteral("own-runs"), QStringLiteral("--pupil"), QStringLiteral("5"),
                    QStringLiteral("--group"), QStringLiteral("中学生全体")});
    ASSERT_EQ(other.code, 0) << other.err.toStdString();
    EXPECT_FALSE(other.out.contains(QStringLiteral("秒")));
    EXPECT_EQ(school
                  .cli({QStringLiteral("own-runs"), QStringLiteral("--pupil"), QStringLiteral("5"),
                        QStringLiteral("--group"), QStringLiteral("高１")})
                  .code,
              2);
}

TEST(ChartCli, ChartWritesOneDocumentPerPupil) {
    DemoSchool school;
    const QString out = school.dir.filePath(QStringLiteral("グラフ.pdf"));
    const ProcessResult r = school.cli({QStringLiteral("chart"), QStringLiteral("--pupil"),
                                        QStringLiteral("5,6,7"), QStringLiteral("--levels"),
                                        QStringLiteral("2,4,1,3"), QStringLiteral("--out"), out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList files = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(files, QStringList({out, school.dir.filePath(QStringLiteral("グラフ-2.pdf")),
                                  school.dir.filePath(QStringLiteral("グラフ-3.pdf"))}));
    for (const QString& file : files)
        EXPECT_EQ(pdfPages(file), 2) << file.toStdString(); // three bands a page

    EXPECT_EQ(
        school
            .cli({QStringLiteral("chart"), QStringLiteral("--pupil"), QStringLiteral("5"),
                  QStringLiteral("--levels"), QStringLiteral("12"), QStringLiteral("--out"), out})
            .code,
        2);
    EXPECT_EQ(school
                  .cli({QStringLiteral("chart"), QStringLiteral("--pupil"), QStringLiteral("5"),
                        QStringLiteral("--levels"), QStringLiteral("1")})
                  .code,
              2);
}

} // namespace baisuu
