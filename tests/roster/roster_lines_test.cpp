#include "roster/roster_lines.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace baisuu {

namespace {

QString record(int number, int baseYear, const QString& name, int status = 0) {
    return QStringLiteral("%1,%2,0,0,\"%3\",%4,\"\",\"\"\r\n")
        .arg(number)
        .arg(baseYear)
        .arg(name)
        .arg(status);
}

StudentEntry entry(int number, int baseYear, const QString& name) {
    StudentEntry e;
    e.number = qint16(number);
    e.gradeBaseYear = qint16(baseYear);
    e.name = FixedWidthText(name, kRosterTextWidth);
    return e;
}

const QString kSpace3000(QChar(0x3000));

} // namespace

TEST(RosterLines, FiguresKeepTheirWidthAndTheirLastDigits) {
    EXPECT_EQ(TodayRunsText(0), QStringLiteral("     "));
    EXPECT_EQ(TodayRunsText(7), QStringLiteral("  7回"));
    EXPECT_EQ(TodayRunsText(1234), QStringLiteral("234回"));
    EXPECT_EQ(TodayPointsText(0), QStringLiteral("  ") + kSpace3000);
    EXPECT_EQ(TodayPointsText(55), QStringLiteral("  55"));
    EXPECT_EQ(TodayPointsText(12345), QStringLiteral("2345"));
    EXPECT_EQ(AllRunsText(0), QStringLiteral("     ") + kSpace3000);
    EXPECT_EQ(AllRunsText(321), QStringLiteral("  321回"));
    EXPECT_EQ(AllPointsText(0), QStringLiteral("       "));
    EXPECT_EQ(AllPointsText(98765), QStringLiteral("  98765"));
}

TEST(RosterLines, ModesChooseFiguresAndKindergartenNamesAreWiderExceptInModeOne) {
    const PupilFigures f{1234, 40, 300, 5000};
    const StudentEntry small = entry(12, 2005, QStringLiteral(" 青木 "));
    // 幼3 pupil (index 0): the name column is 11 wide, so 6 fill spaces after "幼3 青木".
    EXPECT_EQ(RosterLine(small, 0, 0, f), QStringLiteral("2005幼3 青木") +
                                              QString(6, QChar(0x3000)) +
                                              QStringLiteral("234回/  300回*12"));
    EXPECT_EQ(RosterLine(small, 0, 1, f), QStringLiteral("2005幼3 青木") +
                                              QString(4, QChar(0x3000)) +
                                              QStringLiteral("  40/   5000*12"));
    EXPECT_EQ(RosterLine(small, 0, 2, f), QStringLiteral("2005幼3 青木") +
                                              QString(6, QChar(0x3000)) +
                                              QStringLiteral("  40/234回*12"));
    EXPECT_EQ(RosterLine(small, 0, 3, f), QStringLiteral("2005幼3 青木") +
                                              QString(6, QChar(0x3000)) +
                                              QStringLiteral("   5000/  300回*12"));
    EXPECT_FALSE(RosterLine(small, 0, 4, f));
    EXPECT_FALSE(RosterLine(small, 0, -1, f));

    // Other pupils are 9 wide in every mode; a long name gets no fill and is kept whole.
    const StudentEntry big = entry(3, 1995, QStringLiteral("中村"));
    EXPECT_EQ(RosterLine(big, 8, 0, {}),
              QStringLiteral("1995中2 中村") + QString(4, QChar(0x3000)) +
                  QStringLiteral("     /     ") + kSpace3000 + QStringLiteral("*3"));
    const StudentEntry longName = entry(4, 1995, QStringLiteral("寿限無寿限無五劫の"));
    EXPECT_EQ(RosterLine(longName, 8, 1, {}), QStringLiteral("1995中2 寿限無寿限無五劫の  ") +
                                                  kSpace3000 + QStringLiteral("/       *4"));
}

class RosterListTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::unique_ptr<ResultsState> tallies = std::make_unique<ResultsState>();
    StudentRoster roster;
    RosterListSettings settings;

    void SetUp() override { settings.today = QDate(2010, 3, 10); } // school year 2009

    QString path(const QString& text) {
        return writeFile(dir, QStringLiteral("新名簿.txt"), sjis(text));
    }
    RosterList build(const QString& rosterPath) {
        RosterList list;
        EXPECT_FALSE(BuildRosterList(roster, rosterPath, settings, *tallies, list));
        return list;
    }
};

TEST_F(RosterListTest, SortsByBaseYearThenJapaneseOrderAndHidesYearAndNumber) {
    // School year 2009: base year 2000 is 小3, 2002 is 小1, 1996 is 中1, 2004 is 幼2.
    const QString text =
        record(5, 2002, QStringLiteral("うえだ")) + record(6, 2002, QStringLiteral("イトウ")) +
        record(7, 2002, QStringLiteral("あおき")) + record(8, 1996, QStringLiteral("中学")) +
        record(9, 2004, QStringLiteral("幼児")) + record(10, 2000, QStringLiteral("休み"), 1);
    tallies->at(5, 1).todayPoints = 30;
    tallies->at(5, 2).todayPoints = 12;
    tallies->at(5, 3).points = 700;
    tallies->at(5, 3).todayAttempts = 2; // today's runs are not shown in mode 1
    const RosterList list = build(path(text));
    const QString sp(QChar(0x3000));
    const QStringList expected = {
        QStringLiteral("－－－－－－"),
        QStringLiteral("中1 中学") + sp + sp + sp + sp + QStringLiteral("  ") + sp +
            QStringLiteral("/       "),
        QStringLiteral("小1 あおき") + sp + sp + sp + QStringLiteral("  ") + sp +
            QStringLiteral("/       "),
        QStringLiteral("小1 イトウ") + sp + sp + sp + QStringLiteral("  ") + sp +
            QStringLiteral("/       "),
        QStringLiteral("小1 うえだ") + sp + sp + sp + QStringLiteral("  42/    700"),
        QStringLiteral("幼2 幼児") + sp + sp + sp + sp + QStringLiteral("  ") + sp +
            QStringLiteral("/       "),
    };
    EXPECT_EQ(list.visible, expected);
    ASSERT_EQ(list.numbers.size(), 5);
    EXPECT_EQ(list.numbers[0], expected[1] + QStringLiteral("*8"));
    EXPECT_EQ(NumberOfListLine(list.numbers[3]), 5);
    EXPECT_EQ(roster.rosterCount, 5);
    EXPECT_EQ(roster.pupilNames[10].trimmed(), QStringLiteral("休み"));

    // The order does not depend on the order of the file.
    QString reversed;
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        reversed.prepend(line + QStringLiteral("\r\n"));
    EXPECT_EQ(build(path(reversed)).visible, expected);
}

TEST_F(RosterListTest, GroupsAndModesFilterAndRebuild) {
    // School year 2009: 2003 → 幼3 (0), 2002 → 小1, 1997 → 小6, 1996 → 中1, 1990 → 大+ (13).
    const QString rosterPath =
        path(record(1, 2003, QStringLiteral("幼")) + record(2, 2002, QStringLiteral("一年")) +
             record(3, 1997, QStringLiteral("六年")) + record(4, 1996, QStringLiteral("中一")) +
             record(5, 1990, QStringLiteral("大人")));
    auto numbers = [&](const QString& group) {
        settings.group = group;
        QList<int> result;
        for (const QString& line : build(rosterPath).numbers)
            result.append(NumberOfListLine(line));
        return result;
    };
    EXPECT_EQ(numbers(QStringLiteral("全学年")), (QList<int>{5, 4, 3, 2, 1}));
    EXPECT_EQ(numbers(QStringLiteral("小学生全体")), (QList<int>{3, 2}));
    EXPECT_EQ(numbers(QStringLiteral("中学生全体")), QList<int>{4});
    EXPECT_EQ(numbers(QStringLiteral("小６")), QList<int>{3});
    EXPECT_TRUE(numbers(QStringLiteral("家族")).isEmpty());
    EXPECT_TRUE(numbers(QStringLiteral("なし")).isEmpty());

    // April: everyone moves up one grade.
    settings.today = QDate(2010, 4, 1);
    EXPECT_EQ(numbers(QStringLiteral("中学生全体")), (QList<int>{4, 3}));

    settings.today = QDate(2010, 3, 10);
    settings.group = QStringLiteral("全学年");
    settings.displayMode = 7;
    EXPECT_EQ(build(rosterPath).visible, QStringList{QStringLiteral("－－－－－－")});
    settings.displayMode = 3;
    tallies->at(1, 35).attempts = 3;
    tallies->at(1, 35).points = 15;
    tallies->at(1, 0).points = 999; // level 0 is no level: not summed
    EXPECT_EQ(build(rosterPath).visible.last(), QStringLiteral("幼3 幼") +
                                                    QString(7, QChar(0x3000)) +
                                                    QStringLiteral("     15/    3回"));
}

TEST_F(RosterListTest, AStarInANameDoesNotHideTheNumber) {
    const RosterList list = build(path(record(42, 2000, QStringLiteral("星*印"))));
    ASSERT_EQ(list.visible.size(), 2);
    EXPECT_TRUE(list.visible[1].startsWith(QStringLiteral("小3 星*印")));
    EXPECT_EQ(NumberOfListLine(list.numbers[0]), 42);
}

TEST_F(RosterListTest, AMissingRosterLeavesTheHeaderAlone) {
    RosterList list;
    list.visible = QStringList{QStringLiteral("古い行")};
    const auto error = BuildRosterList(roster, dir.filePath(QStringLiteral("新名簿.txt")), settings,
                                       *tallies, list);
    ASSERT_TRUE(error);
    EXPECT_EQ(list.visible, QStringList{QStringLiteral("－－－－－－")});
    EXPECT_TRUE(list.numbers.isEmpty());
}

} // namespace baisuu
