#include "records/log_bytes.h"
#include "records/results_log.h"
#include "roster/grades.h"
#include "roster/record_lines.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr double k20100215 = 40224;           // days since 1899-12-30
constexpr double k090503 = 32703.0 / 86400.0; // 9:05:03
constexpr double k235959 = 86399.0 / 86400.0; // 23:59:59

class RecordLinesTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    StudentRoster roster;
    QList<ResultRecord> records;

    void SetUp() override {
        // February 2010, school year from April: the school year is 2009, so base
        // year 2002 is 小１ here as on the selection screen.
        const QString text = QStringLiteral("12,2002,0,0,\"青木\",0,\"\",\"\"\r\n"
                                            "13,1996,0,0,\"長い名前の生徒さん\",1,\"\",\"\"\r\n"
                                            "14,2000,0,0,\"山田,太郎\",0,\"\",\"\"\r\n"
                                            "15,2000,0,0,鈴\"木,0,\"\",\"\"\r\n");
        ASSERT_FALSE(LoadRoster(roster, writeFile(dir, QStringLiteral("新名簿.txt"), sjis(text)),
                                CurrentSchoolYear(QDate(2010, 2, 15), 4), 0));
        QByteArray log;
        log += rawRecord({k20100215, k090503, 12, 3, 42});
        log += rawRecord({k20100215, k235959, 13, 11, 99999, "99999"});
        log += rawRecord({k20100215, k090503, 12, 0, 30}); // level 0: not listed
        log += rawRecord({k20100215 + 1, 0.5, 6000, 3, 123456, "     "});
        log += rawRecord({k20100215, k090503, 14, 3, 20});
        log += rawRecord({k20100215, k090503, 15, 40, 20});
        log += QByteArray(20, 'x'); // a torn last record
        ASSERT_FALSE(
            ReadResultRecords(writeFile(dir, QStringLiteral("成績累積データ.dat"), log), &records));
        ASSERT_EQ(records.size(), 6);
    }
};

} // namespace

TEST_F(RecordLinesTest, ListLinesShowEveryFieldInItsColumn) {
    const QString b(QChar(0x3000));
    const RecordList list =
        RecordListLines(records, roster, {QStringLiteral("12345"), QStringLiteral("本校")});
    ASSERT_EQ(list.lines.size(), 5);
    EXPECT_EQ(list.recordNumbers, (QList<int>{1, 2, 4, 5, 6}));
    EXPECT_EQ(list.lines[0], QStringLiteral("   1 2010/02/15") + b +
                                 QStringLiteral("  9:05:03ﾚﾍﾞﾙ3") + b + QStringLiteral("   42秒 ") +
                                 b + QStringLiteral("  12 青木") + b + b + b + b +
                                 QStringLiteral(" 小１++本校"));
    EXPECT_EQ(list.lines[1],
              QStringLiteral("   2 2010/02/15") + b + QStringLiteral(" 23:59:59ﾚﾍﾞﾙ11") + b +
                  QStringLiteral("99999秒 ") + b + QStringLiteral("  13 長い名前の生 中１++他塾"));
    // A pupil outside the roster's numbers and a time too wide for its column.
    EXPECT_EQ(list.lines[2], QStringLiteral("   4 2010/02/16") + b +
                                 QStringLiteral(" 12:00:00ﾚﾍﾞﾙ3") + b +
                                 QStringLiteral("123456秒 ") + b + QStringLiteral("6000 ") +
                                 QString(6, QChar(0x3000)) + QStringLiteral(" ++他塾"));

    // A school without a code knows its own records by their blank code field.
    const RecordList blank = RecordListLines(records, roster, {QString(), QStringLiteral("本校")});
    EXPECT_TRUE(blank.lines[0].endsWith(QStringLiteral("他塾")));
    EXPECT_TRUE(blank.lines[2].endsWith(QStringLiteral("++本校")));
}

TEST_F(RecordLinesTest, CsvHoldsEveryRecordQuotedForSpreadsheets) {
    CriteriaTable criteria;
    criteria.levels[3].targetTime = 40;
    criteria.levels[3].pointFactor = 1.5f;
    criteria.levels[11].targetTime = 25;
    criteria.levels[11].pointFactor = 1;
    LevelCatalog catalog;
    BuildLevelCatalog(catalog);

    const QByteArray csv = RecordsCsv(records, roster, criteria, catalog);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 8); // header, six records, the empty text after the last line end
    EXPECT_EQ(lines[0],
              QStringLiteral(
                  "record,date,time,pupil,name,grade,level,level_name,run_time,points,school"));
    // 42 s against a target of 40: 4 points, times the factor 1.5.
    EXPECT_EQ(lines[1], QStringLiteral("1,2010/02/15,9:05:03,12,青木,小１,3,３の倍数,42,6,12345"));
    EXPECT_EQ(lines[2],
              QStringLiteral(
                  "2,2010/02/15,23:59:59,13,長い名前の生徒さん,中１,11,レベル４－1,99999,0,99999"));
    EXPECT_EQ(lines[3], QStringLiteral("3,2010/02/15,9:05:03,12,青木,小１,0,,30,,12345"));
    EXPECT_EQ(lines[4], QStringLiteral("4,2010/02/16,12:00:00,6000,,,3,３の倍数,123456,0,"));
    // 20 s: floor(((40 − 20) / 40)³ × 50 + 5) = 11, times 1.5 = 16.
    EXPECT_EQ(lines[5],
              QStringLiteral("5,2010/02/15,9:05:03,14,\"山田,太郎\",小３,3,３の倍数,20,16,12345"));
    EXPECT_EQ(lines[6], QStringLiteral("6,2010/02/15,9:05:03,15,\"鈴\"\"木\",小３,40,,20,,12345"));
    EXPECT_EQ(lines[7], QString());
}

} // namespace baisuu
