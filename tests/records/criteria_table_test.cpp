#include "records/criteria_table.h"
#include "test_support.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

namespace baisuu {

namespace {
const QString kHeading =
    QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n");
}

TEST(Criteria, LoadsEachLineIntoItsLevelAndKeepsLooseColumnsAsRead) {
    QTemporaryDir dir;
    const QString path = writeFile(
        dir, QStringLiteral("c.txt"),
        sjis(kHeading +
             QStringLiteral(
                 "20,30,100,5,1.5,20,,7,1,x,,\r\n 40 , 60,200,3,1,\"9\",abc,0,2,,,\r\n")));
    CriteriaTable t;
    t.levels[5].targetTime = 77; // a level the file does not reach keeps its value
    QList<FileError> warnings;
    ASSERT_FALSE(LoadCriteria(t, path, &warnings));
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(t.headingCells.value(0), QStringLiteral("目標Time"));
    EXPECT_EQ(t.levels[1].targetTime, 20);
    EXPECT_EQ(t.levels[1].passTime, 30);
    EXPECT_EQ(t.levels[1].clearPoints, 100);
    EXPECT_EQ(t.levels[1].clearCount, 5);
    EXPECT_FLOAT_EQ(t.levels[1].pointFactor, 1.5f);
    EXPECT_EQ(t.levels[1].overdoCount.kind, Value::Kind::Number);
    EXPECT_EQ(t.levels[1].overdoPoints.kind, Value::Kind::Empty);
    EXPECT_EQ(t.levels[1].extra1.text, QStringLiteral("x"));
    EXPECT_EQ(t.levels[2].targetTime, 40);
    EXPECT_EQ(t.levels[2].overdoCount.kind, Value::Kind::Text); // quoted stays text
    EXPECT_EQ(t.levels[2].overdoCount.toNumber(), 9);
    EXPECT_EQ(t.levels[2].judgeDays.toNumber(), 0);
    EXPECT_EQ(t.levels[5].targetTime, 77);
}

TEST(Criteria, OnlyAHeadingChangesNothingAndBadLinesAreToldNotFatal) {
    QTemporaryDir dir;
    CriteriaTable t;
    t.levels[1].passTime = 33;
    ASSERT_FALSE(LoadCriteria(t, writeFile(dir, QStringLiteral("h.txt"), sjis(kHeading))));
    EXPECT_EQ(t.levels[1].passTime, 33);

    QString text = kHeading + QStringLiteral("abc,30,1,1,x,,,,,,,\r\n");
    for (int level = 2; level <= 37; ++level)
        text += QStringLiteral("%1,1,1,1,1,,,,,,,\r\n").arg(level);
    QList<FileError> warnings;
    ASSERT_FALSE(
        LoadCriteria(t, writeFile(dir, QStringLiteral("long.txt"), sjis(text)), &warnings));
    EXPECT_EQ(t.levels[1].targetTime, 0); // non-numeric reads as 0
    EXPECT_EQ(t.levels[1].passTime, 30);
    EXPECT_EQ(t.levels[35].targetTime, 35);
    ASSERT_EQ(warnings.size(), 4); // two non-numbers, lines 36 and 37
    EXPECT_EQ(warnings[0].line, 2);
    EXPECT_EQ(warnings[3].line, 38);

    const auto missing = LoadCriteria(t, dir.filePath(QStringLiteral("none.txt")));
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->file.endsWith(QStringLiteral("none.txt")));
}

TEST(Criteria, SaveWritesTheEditorsBytesAndLoadsBackEveryCell) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("タイム回数データ.txt"));
    CriteriaTable t;
    t.levels[1] = {20,
                   30,
                   100,
                   5,
                   1.5f,
                   Value{Value::Kind::Number, 20, {}},
                   {},
                   Value{Value::Kind::Number, 7, {}},
                   Value{Value::Kind::Number, 1, {}},
                   {},
                   {},
                   {}};
    t.levels[2] = {45,   60,
                   80,   3,
                   0.1f, Value{Value::Kind::Text, 0, QStringLiteral("a,b")},
                   {},   {},
                   {},   Value{Value::Kind::Text, 0, QStringLiteral("メモ")},
                   {},   {}};
    ASSERT_FALSE(SaveCriteria(path, CriteriaRows(t, 2)));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), sjis(kHeading + QStringLiteral("20,30,100,5,1.5,20,,7,1,,,\r\n") +
                                QStringLiteral("45,60,80,3,0.1,\"a,b\",,,,メモ,,\r\n")));

    CriteriaTable back;
    ASSERT_FALSE(LoadCriteria(back, path));
    EXPECT_EQ(CriteriaRows(back, 2), CriteriaRows(t, 2));
    EXPECT_EQ(back.levels[2].pointFactor, 0.1f);
    EXPECT_EQ(back.levels[2].overdoCount.text, QStringLiteral("a,b"));
}

TEST(Criteria, AnEndOfFileMarkAfterTheLastLevelIsNoLine) {
    QTemporaryDir dir;
    QString text = kHeading;
    for (int level = 1; level <= 11; ++level)
        text += QStringLiteral("%1,30,100,5,1,20,0,7,1,,,\r\n").arg(level);
    CriteriaTable t;
    t.levels[12].targetTime = 99;
    t.levels[12].judgeDays = Value{Value::Kind::Number, 7, {}};
    QList<FileError> warnings;
    ASSERT_FALSE(
        LoadCriteria(t, writeFile(dir, QStringLiteral("c.txt"), sjis(text) + "\x1A"), &warnings));
    EXPECT_TRUE(warnings.isEmpty()) << warnings.value(0).text().toStdString();
    EXPECT_EQ(t.levels[11].targetTime, 11);
    EXPECT_EQ(t.levels[12].targetTime, 99);
    EXPECT_EQ(t.levels[12].judgeDays.toNumber(), 7);
}

TEST(Criteria, QuotedNumbersInTheFirstFiveColumnsAreNumbers) {
    QTemporaryDir dir;
    const QString path =
        writeFile(dir, QStringLiteral("c.txt"),
                  sjis(kHeading + QStringLiteral("\"20\",\"30\",100,5,\"1.5\",20,0,7,1,,,\r\n"
                                                 "\" 40 \",\"四十\",1,1,1,\"9\",,,,,,\r\n")));
    CriteriaTable t;
    QList<FileError> warnings;
    ASSERT_FALSE(LoadCriteria(t, path, &warnings));
    EXPECT_EQ(t.levels[1].targetTime, 20);
    EXPECT_EQ(t.levels[1].passTime, 30);
    EXPECT_FLOAT_EQ(t.levels[1].pointFactor, 1.5f);
    EXPECT_EQ(t.levels[2].targetTime, 40);
    EXPECT_EQ(t.levels[2].passTime, 0);                         // text that is no number
    EXPECT_EQ(t.levels[2].overdoCount.kind, Value::Kind::Text); // from column 6 on, as read
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0].line, 3);
    EXPECT_TRUE(warnings[0].message.contains(QStringLiteral("レベル2の「最低Time」")));
}

TEST(Criteria, FactorsOutsideZeroToAHundredOrBeyondSinglePrecisionAreTold) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("c.txt"),
                                   sjis(kHeading + QStringLiteral("20,30,1,1,0,,,,,,,\r\n"
                                                                  "20,30,1,1,100,,,,,,,\r\n"
                                                                  "20,30,1,1,-0.5,,,,,,,\r\n"
                                                                  "20,30,1,1,100.5,,,,,,,\r\n"
                                                                  "20,30,1,1,1e39,,,,,,,\r\n")));
    CriteriaTable t;
    QList<FileError> warnings;
    ASSERT_FALSE(LoadCriteria(t, path, &warnings));
    ASSERT_EQ(warnings.size(), 3);
    EXPECT_EQ(warnings[0].line, 4);
    EXPECT_TRUE(warnings[0].message.contains(QStringLiteral("レベル3の「ﾎﾟｲﾝﾄ倍率」-0.5")));
    EXPECT_EQ(warnings[1].line, 5);
    EXPECT_TRUE(warnings[1].message.contains(QStringLiteral("レベル4")));
    EXPECT_EQ(warnings[2].line, 6);
    EXPECT_TRUE(warnings[2].message.contains(QStringLiteral("レベル5の「ﾎﾟｲﾝﾄ倍率」1e39")));
    EXPECT_TRUE(std::isinf(t.levels[5].pointFactor)); // kept as read; points count it as 0
}

} // namespace baisuu
