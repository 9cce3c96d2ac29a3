#include "records/log_bytes.h"
#include "records/results_log.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

TEST(ResultRecord, ReadsTheFieldsAtTheirOffsetsAndWritesTheSameBytes) {
    const QByteArray bytes =
        rawRecord({46000.0, 0.5, 4321, 35, 99999, "12345", "     ", "0    ", "ab\x01\xff "});
    const ResultRecord r = ResultRecord::fromBytes(bytes);
    EXPECT_EQ(r.runDate, 46000.0);
    EXPECT_EQ(r.runClock, 0.5);
    EXPECT_EQ(r.pupilNumber, 4321);
    EXPECT_EQ(r.level, 35);
    EXPECT_EQ(r.runTime, 99999);
    EXPECT_EQ(r.schoolCode, QByteArray("12345"));
    EXPECT_EQ(RecordTextValue(r.pointsText), QStringLiteral("0"));
    EXPECT_EQ(r.toBytes(), bytes);

    // Negative numbers keep their two's-complement bytes.
    const QByteArray negative = rawRecord({-1.0, 0, -7, -1, -5});
    EXPECT_EQ(ResultRecord::fromBytes(negative).pupilNumber, -7);
    EXPECT_EQ(ResultRecord::fromBytes(negative).toBytes(), negative);

    // A fresh record carries blanks and the points digit 0, never stray bytes.
    ResultRecord fresh;
    fresh.schoolCode = RecordText(QStringLiteral("123456789"));
    EXPECT_EQ(fresh.toBytes().mid(24), QByteArray("12345     0         "));
}

TEST(ResultRecord, TextFieldsAreSingleByteCp932PaddedAndCut) {
    EXPECT_EQ(RecordText(QString()), QByteArray("     "));
    EXPECT_EQ(RecordText(QStringLiteral("ｱｲ")), sjis(QStringLiteral("ｱｲ")) + "   ");
    // A two-byte character ends the field rather than being split.
    EXPECT_EQ(RecordText(QStringLiteral("12本校")), QByteArray("12   "));
    EXPECT_EQ(RecordTextValue(sjis(QStringLiteral("ｱ")) + "    "), QStringLiteral("ｱ"));
}

TEST(ResultRecord, ReaderTakesEveryWholeRecordAndIgnoresATornTail) {
    QTemporaryDir dir;
    QList<ResultRecord> records;
    ASSERT_FALSE(ReadResultRecords(dir.filePath(QStringLiteral("none.dat")), &records));
    EXPECT_TRUE(records.isEmpty());

    QByteArray bytes;
    for (int i = 1; i <= 3; ++i)
        bytes += rawRecord({46000.0 + i, 0.25, qint16(i), 2, 30 + i});
    bytes += rawRecord({1, 1, 1, 1, 1}).left(17);
    const QString path = writeFile(dir, QStringLiteral("log.dat"), bytes);
    ASSERT_FALSE(ReadResultRecords(path, &records));
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[2].pupilNumber, 3);
    EXPECT_EQ(records[2].runTime, 33);
}

} // namespace baisuu
