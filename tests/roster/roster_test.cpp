#include "roster/roster.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

QString record(int number, int baseYear, const QString& name, int status) {
    return QStringLiteral("%1,%2,0,0,\"%3\",%4,\"\",\"\"\r\n")
        .arg(number)
        .arg(baseYear)
        .arg(name)
        .arg(status);
}

} // namespace

TEST(Roster, ReadsRecordsWrittenByteByByte) {
    QTemporaryDir dir;
    // 7,2000,1,2,"山田花子",0,"abc","x,y" in code page 932, with blanks around items.
    const QByteArray bytes = QByteArray(" 7 , 2000,1,2,\"") + "\x8e\x52\x93\x63\x89\xd4\x8e\x71" +
                             "\",0,\"abc\",\"x,y\"\r\n";
    const QString path = writeFile(dir, QStringLiteral("新名簿.txt"), bytes);
    StudentRoster r;
    ASSERT_FALSE(LoadRoster(r, path, 2010, 0));
    ASSERT_EQ(r.rosterCount, 1);
    const StudentEntry& e = r.at(1);
    EXPECT_EQ(e.number, 7);
    EXPECT_EQ(e.gradeBaseYear, 2000);
    EXPECT_EQ(e.extraValue1, 1);
    EXPECT_EQ(e.extraValue2, 2);
    EXPECT_EQ(e.name, QStringLiteral("山田花子").leftJustified(20, QLatin1Char(' ')));
    EXPECT_EQ(e.extraText1.size(), 20);
    EXPECT_EQ(e.extraText2.trimmed(), QStringLiteral("x,y"));
    EXPECT_EQ(r.rosterNumbers[1], 7);
    EXPECT_EQ(r.pupilNames[7], e.name);
    EXPECT_EQ(r.pupilBaseYears[7], 2000);
    EXPECT_EQ(r.pupilGradeLabels[7], QStringLiteral("小４")); // 2010 − 2000 − 6
    EXPECT_TRUE(r.problems.isEmpty());
}

TEST(Roster, StatusDecidesListingButEveryRecordFillsTheNumberTables) {
    QTemporaryDir dir;
    const QString text =
        record(1, 2000, QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬ"), 0) +
        record(2, 1990, QStringLiteral("休会"), 1) + record(3, 2001, QStringLiteral("二番"), 2) +
        record(4, 2002, QStringLiteral("四番"), 0);
    const QString path = writeFile(dir, QStringLiteral("r.txt"), sjis(text));

    StudentRoster r;
    ASSERT_FALSE(LoadRoster(r, path, 2010, 0));
    EXPECT_EQ(r.rosterCount, 2);
    EXPECT_EQ(r.at(1).name,
              QStringLiteral("あいうえおかきくけこさしすせそたちつてと")); // cut to 20
    EXPECT_EQ(r.at(2).number, 4); // the skipped records give their position to the next
    EXPECT_EQ(r.rosterNumbers[2], 4);
    EXPECT_EQ(r.pupilNames[2].trimmed(), QStringLiteral("休会"));
    EXPECT_EQ(r.pupilNames[3].trimmed(), QStringLiteral("二番"));
    EXPECT_EQ(r.pupilGradeLabels[2], QString()); // index 14: no full label

    ASSERT_FALSE(LoadRoster(r, path, 2010, 1));
    EXPECT_EQ(r.rosterCount, 3);
    EXPECT_EQ(r.at(2).number, 3);
    EXPECT_EQ(r.at(2).status, 0);
    EXPECT_EQ(r.at(3).number, 4);

    // The number tables are not cleared: a number gone from the file keeps its name.
    ASSERT_FALSE(LoadRoster(r,
                            writeFile(dir, QStringLiteral("one.txt"),
                                      sjis(record(4, 2002, QStringLiteral("新四番"), 0))),
                            2010, 0));
    EXPECT_EQ(r.rosterCount, 1);
    EXPECT_EQ(r.pupilNames[4].trimmed(), QStringLiteral("新四番"));
    EXPECT_EQ(r.pupilNames[3].trimmed(), QStringLiteral("二番"));

    ASSERT_FALSE(LoadRoster(r, writeFile(dir, QStringLiteral("empty.txt"), {}), 2010, 0));
    EXPECT_EQ(r.rosterCount, 0);
}

TEST(Roster, CorruptRecordsAreSkippedAndToldWhileGoodOnesLoad) {
    QTemporaryDir dir;
    const QString text = record(5001, 2000, QStringLiteral("範囲外"), 0) +                 // line 1
                         record(-1, 2000, QStringLiteral("負"), 0) +                       // line 2
                         QStringLiteral("abc,2000,0,0,\"文字\",0,\"\",\"\"\r\n") +         // line 3
                         QStringLiteral("6,2000,0,0,\"短い\"\r\n") +                       // line 4
                         QStringLiteral("7,2000,0,0,\"閉じない,0,\"\",\"\"\r\n") +         // line 5
                         record(8, 2000, QStringLiteral("良い一"), 0) +                    // line 6
                         QStringLiteral("9,20x0,0,0,\"年が変\",0,\"\",\"\"\r\n") +         // line 7
                         QStringLiteral("10,2000,0,0,\"多い\",0,\"\",\"\",\"余分\"\r\n") + // line 8
                         QStringLiteral("\r\n") +                         // line 9: blank
                         QStringLiteral("11,2000,0,0,引用なし,0,,\r\n") + // line 10
                         QStringLiteral("12,99999,0,0,\"大きい\",0,\"\",\"\"\r\n") +   // line 11
                         QStringLiteral("13,2000,0,0,\"末尾\",0,\"\",\"\",\r\n") +     // line 12
                         QStringLiteral("40000,2000,0,0,\"大番号\",0,\"\",\"\"\r\n") + // line 13
                         QStringLiteral("\x1a");
    const QString path = writeFile(dir, QStringLiteral("bad.txt"), sjis(text));
    StudentRoster r;
    ASSERT_FALSE(LoadRoster(r, path, 2010, 0));
    ASSERT_EQ(r.rosterCount, 3);
    EXPECT_EQ(r.at(1).number, 8);
    EXPECT_EQ(r.at(2).number, 11);
    EXPECT_EQ(r.at(2).name.trimmed(), QStringLiteral("引用なし"));
    EXPECT_EQ(r.at(3).number, 13);
    EXPECT_EQ(r.skippedRecords, 9);
    QList<int> lines;
    for (const FileError& p : r.problems) {
        lines.append(p.line);
        EXPECT_EQ(p.file, path);
        EXPECT_TRUE(p.message.endsWith(QStringLiteral("この行は読み飛ばしました。")));
    }
    EXPECT_EQ(lines, (QList<int>{1, 2, 3, 4, 5, 7, 8, 11, 13}));
    EXPECT_TRUE(r.problems[0].message.contains(QStringLiteral("0～5000")));
    EXPECT_TRUE(r.pupilNames[5000].isEmpty());
}

TEST(Roster, KeepsAtMostFiveThousandListedEntries) {
    QTemporaryDir dir;
    QString text;
    for (int i = 0; i <= 5000; ++i)
        text += record(i, 2000, QStringLiteral("生徒%1").arg(i), 0);
    text += record(4999, 2001, QStringLiteral("休会"), 1); // off the lists: still read
    StudentRoster r;
    ASSERT_FALSE(LoadRoster(r, writeFile(dir, QStringLiteral("big.txt"), sjis(text)), 2010, 0));
    EXPECT_EQ(r.rosterCount, 5000);
    EXPECT_EQ(r.at(5000).number, 4999);
    EXPECT_EQ(r.skippedRecords, 1);
    ASSERT_EQ(r.problems.size(), 1);
    EXPECT_EQ(r.problems[0].line, 5001);
    EXPECT_TRUE(r.pupilNames[5000].isEmpty()); // the 5001st listed record is not stored
    EXPECT_EQ(r.pupilNames[4999].trimmed(), QStringLiteral("休会"));
}

TEST(Roster, AMissingRosterIsAClearErrorAndChangesNothing) {
    QTemporaryDir dir;
    StudentRoster r;
    r.rosterCount = 3;
    r.pupilNames[1] = QStringLiteral("前から");
    const auto error = LoadRoster(r, dir.filePath(QStringLiteral("新名簿.txt")), 2010, 0);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->file.endsWith(QStringLiteral("新名簿.txt")));
    EXPECT_TRUE(error->message.contains(QStringLiteral("名簿")));
    EXPECT_EQ(r.rosterCount, 3);
    EXPECT_EQ(r.pupilNames[1], QStringLiteral("前から"));

    // Bytes that are no code page 932 text: told with their line, not read as garbage.
    const QString bad =
        writeFile(dir, QStringLiteral("bad.txt"),
                  sjis(record(1, 2000, QStringLiteral("正"), 0)) + "2,2000,0,0,\"\x81\",0\r\n");
    const auto codec = LoadRoster(r, bad, 2010, 0);
    ASSERT_TRUE(codec);
    EXPECT_EQ(codec->line, 2);
}

} // namespace baisuu
