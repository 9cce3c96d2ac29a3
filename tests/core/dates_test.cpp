#include "core/dates.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

TEST(Dates, OleDayCountsMatchTheKnownEpoch) {
    EXPECT_EQ(OleDate(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(OleDate(QDate(1900, 1, 1)), 2);
    EXPECT_EQ(OleDate(QDate(2000, 1, 1)), 36526); // a well-known spreadsheet serial
    EXPECT_EQ(DateFromOle(36526.75), QDate(2000, 1, 1));
    EXPECT_EQ(OleTime(QTime(18, 0)), 0.75);
    EXPECT_EQ(TimeFromOle(0.75), QTime(18, 0));
    EXPECT_EQ(TimeFromOle(OleTime(QTime(9, 5, 3))), QTime(9, 5, 3));
    EXPECT_FALSE(DateFromOle(1e300).isValid()); // garbage in a log must not crash
    EXPECT_EQ(DateText(QDate(2026, 1, 5)), QStringLiteral("2026/01/05"));
    EXPECT_EQ(TimeText(QTime(9, 5, 3)), QStringLiteral("9:05:03"));
    EXPECT_EQ(SecondsSinceMidnight(QTime(0, 1, 1, 600)), 62);
}

TEST(Dates, EraDateTextUsesTheJapaneseCalendar) {
    EXPECT_EQ(EraDateText(QDate(2026, 12, 8)), QStringLiteral("令和8年 12月 08日（火）"));
    EXPECT_EQ(EraDateText(QDate(2019, 4, 30)), QStringLiteral("平成31年 4月 30日（火）"));
    EXPECT_EQ(EraDateText(QDate(2019, 5, 1)), QStringLiteral("令和1年 5月 01日（水）"));
}

} // namespace baisuu
