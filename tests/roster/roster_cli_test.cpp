// baisuu-cli's roster, records, export-csv and check over a school whose roster
// and log are written byte by byte.

#include "records/log_bytes.h"
#include "test_support.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

using Result = ProcessResult;

constexpr double k20270210 = 46428; // days since 1899-12-30

class RosterCliTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString root, program, data;

    Result cli(const QStringList& args) {
        return runProgram(QStringLiteral(BAISUU_CLI),
                          QStringList{QStringLiteral("--program-dir"), program,
                                      QStringLiteral("--now"),
                                      QStringLiteral("2027-02-10T10:00:00")} +
                              args);
    }

    void SetUp() override {
        root = dir.filePath(QStringLiteral("school"));
        program = root + QStringLiteral("/倍数判定");
        data = QStringLiteral("school/data/");
        ASSERT_EQ(cli({QStringLiteral("init-demo"), root}).code, 0);
        // February 2027 with an April start: school year 2026. Base year 2019 is
        // 小１, 2012 is 中２; number 6001 cannot be stored.
        writeFile(dir, data + QStringLiteral("新名簿.txt"),
                  sjis(QStringLiteral("1,2019,0,0,\"一年生\",0,\"\",\"\"\r\n"
                                      "2,2012,0,0,\"中二\",0,\"\",\"\"\r\n"
                                      "6001,2012,0,0,\"範囲外\",0,\"\",\"\"\r\n")));
        writeFile(dir, data + QStringLiteral("倍数判定/成績累積データ.dat"),
                  rawRecord({k20270210, 0.25, 1, 1, 10}) +
                      rawRecord({k20270210 - 1, 0.25, 2, 2, 30, "54321"}));
    }
};

} // namespace

TEST_F(RosterCliTest, RosterListShowsTalliesOfTheLogByGroup) {
    const QString sp(QChar(0x3000));
    const Result all =
        cli({QStringLiteral("roster"), QStringLiteral("--mode"), QStringLiteral("0")});
    ASSERT_EQ(all.code, 0) << all.err.toStdString();
    EXPECT_EQ(all.out, QStringLiteral("－－－－－－\n") + QStringLiteral("中2 中二") +
                           QString(4, QChar(0x3000)) + QStringLiteral("     /    1回\n") +
                           QStringLiteral("小1 一年生") + QString(3, QChar(0x3000)) +
                           QStringLiteral("  1回/    1回\n"));

    const Result first =
        cli({QStringLiteral("roster"), QStringLiteral("--group"), QStringLiteral("小１")});
    ASSERT_EQ(first.code, 0);
    // Mode 1 by default: 10 s against the target of 20 earns 11 points today and in all.
    EXPECT_EQ(first.out, QStringLiteral("－－－－－－\n小1 一年生") + QString(3, QChar(0x3000)) +
                             QStringLiteral("  11/     11\n"));

    EXPECT_EQ(cli({QStringLiteral("roster"), QStringLiteral("--mode"), QStringLiteral("x")}).code,
              2);
}

TEST_F(RosterCliTest, RecordsAndCsvNameThePupilsWithTheOneGradeRule) {
    const Result records = cli({QStringLiteral("records")});
    ASSERT_EQ(records.code, 0) << records.err.toStdString();
    const QStringList lines = records.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("   1 2027/02/10")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" 小１++ブラムウェル塾　本校")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" 中２++他塾")));

    const QString out = dir.filePath(QStringLiteral("records.csv"));
    ASSERT_EQ(cli({QStringLiteral("export-csv"), QStringLiteral("--out"), out}).code, 0);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray csv = f.readAll();
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"
                               "record,date,time,pupil,"));
    EXPECT_TRUE(csv.contains(
        QStringLiteral("\r\n1,2027/02/10,6:00:00,1,一年生,小１,1,偶数奇数,10,11,12345\r\n")
            .toUtf8()));
    EXPECT_TRUE(csv.endsWith(
        QStringLiteral("2,2027/02/09,6:00:00,2,中二,中２,2,偶数奇数２,30,4,54321\r\n").toUtf8()));
}

TEST_F(RosterCliTest, CheckReportsTheRecordsTheRosterCannotHold) {
    const Result check = cli({QStringLiteral("check")});
    EXPECT_EQ(check.code, 1);
    EXPECT_TRUE(check.out.contains(QStringLiteral("新名簿.txt (3行目)")))
        << check.out.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("0～5000")));

    QFile::remove(dir.filePath(data + QStringLiteral("新名簿.txt")));
    const Result missing = cli({QStringLiteral("roster")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("名簿"))) << missing.err.toStdString();
}

} // namespace baisuu
