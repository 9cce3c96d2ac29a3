// baisuu-cli ranking, today and period: the hub's lists as a pupil sees them,
// over the demo school with criteria and a log written byte by byte.

#include "cli_school.h"
#include "records/log_bytes.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr double k20261208 = 46364; // a Tuesday, in days since 1899-12-30

class ListCli : public ::testing::Test, protected CliDemoSchool {
  protected:
    ListCli() : CliDemoSchool(QStringLiteral("2026-12-08T15:30:00")) {
        QString criteria = QStringLiteral(
            "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n");
        for (int level = 1; level <= 11; ++level)
            criteria += QStringLiteral("30,45,10,2,2,0,0,7,1,,,\r\n");
        writeData(QStringLiteral("タイム回数データ.txt"), sjis(criteria));
        QByteArray log;
        log += rawRecord({k20261208 - 8, 0.25, 6, 2, 20}); // last week
        log += rawRecord({k20261208, 0.375, 5, 2, 25});
        log += rawRecord({k20261208, 0.5, 6, 2, 99999});
        log += rawRecord({k20261208, 0.5, 5, 3, 50});
        writeLog(log);
    }

    // The lines under "# level L" of a per-level listing.
    static QStringList levelLines(const QString& out, int level) {
        const QStringList lines = out.split(QLatin1Char('\n'));
        const qsizetype from = lines.indexOf(QStringLiteral("# level %1").arg(level));
        QStringList found;
        for (qsizetype i = from + 1; from >= 0 && i < lines.size(); ++i) {
            if (lines[i].startsWith(QStringLiteral("# level")) || lines[i].isEmpty()) break;
            found << lines[i];
        }
        return found;
    }
};

} // namespace

TEST_F(ListCli, RankingsAsThePupilSeesThem) {
    ProcessResult r = cli({QStringLiteral("ranking"), QStringLiteral("--level"),
                           QStringLiteral("2"), QStringLiteral("--mode"), QStringLiteral("time"),
                           QStringLiteral("--pupil"), QStringLiteral("5")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral(" 1"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("    20 　")));
    EXPECT_EQ(lines[1].mid(2, 1), QStringLiteral("●"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral(" 2"))) << lines[1].toStdString();
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("--")));

    // Today's points: only the pupils with points today.
    r = cli({QStringLiteral("ranking"), QStringLiteral("--level"), QStringLiteral("2"),
             QStringLiteral("--mode"), QStringLiteral("points"), QStringLiteral("--order"),
             QStringLiteral("2"), QStringLiteral("--pupil"), QStringLiteral("5")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral(" 1●")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" 10/   10"))) << lines[0].toStdString();
}

TEST_F(ListCli, TodaysAndAPeriodsRunsPerLevel) {
    ProcessResult r =
        cli({QStringLiteral("today"), QStringLiteral("--pupil"), QStringLiteral("5")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("# level 1\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("# level 11\n")));
    const QStringList two = levelLines(r.out, 2);
    ASSERT_EQ(two.size(), 2);
    EXPECT_TRUE(two[0].startsWith(QStringLiteral("  25秒 09:00●"))) << two[0].toStdString();
    EXPECT_TRUE(two[0].endsWith(QStringLiteral("●5"))); // the points before the factor 2
    EXPECT_TRUE(two[1].startsWith(QStringLiteral("　　× 12:00"))) << two[1].toStdString();
    EXPECT_EQ(levelLines(r.out, 3).size(), 1);

    // This week (from Monday), in the point form; since last week's Monday, in the time form.
    r = cli({QStringLiteral("period"), QStringLiteral("--days"), QStringLiteral("1"),
             QStringLiteral("--mode"), QStringLiteral("points")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList week = levelLines(r.out, 2);
    ASSERT_EQ(week.size(), 2);
    EXPECT_TRUE(week[0].startsWith(QStringLiteral("    5 12/08①"))) << week[0].toStdString();
    EXPECT_TRUE(week[0].endsWith(QStringLiteral("①25秒")));
    r = cli({QStringLiteral("period"), QStringLiteral("--days"), QStringLiteral("2")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList twoWeeks = levelLines(r.out, 2);
    ASSERT_EQ(twoWeeks.size(), 3);
    EXPECT_TRUE(twoWeeks[0].startsWith(QStringLiteral("  20秒 11/30")))
        << twoWeeks[0].toStdString();
}

TEST_F(ListCli, BadOptionsAreToldInJapanese) {
    const QList<QStringList> bad = {
        {QStringLiteral("ranking")},
        {QStringLiteral("ranking"), QStringLiteral("--level"), QStringLiteral("12")},
        {QStringLiteral("ranking"), QStringLiteral("--level"), QStringLiteral("1"),
         QStringLiteral("--mode"), QStringLiteral("best")},
        {QStringLiteral("ranking"), QStringLiteral("--level"), QStringLiteral("1"),
         QStringLiteral("--order"), QStringLiteral("3")},
        {QStringLiteral("today"), QStringLiteral("--group"), QStringLiteral("高１")},
        {QStringLiteral("today"), QStringLiteral("--pupil"), QStringLiteral("5001")},
        {QStringLiteral("period"), QStringLiteral("--days"), QStringLiteral("6")},
        {QStringLiteral("period"), QStringLiteral("--days"), QStringLiteral("1"),
         QStringLiteral("--level"), QStringLiteral("1")},
    };
    for (const QStringList& args : bad) {
        const ProcessResult r = cli(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("指定"))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

} // namespace baisuu
