// baisuu-cli's roster, records, export-csv and check over a school whose roster
// and log are written byte by byte.

#include "records/log_bytes.h"
#include "test_support.h"

#include <QDir>
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

    Result cli(const QStringList& args,
               const QString& now = QStringLiteral("2027-02-10T10:00:00")) {
        return runProgram(
            QStringLiteral(BAISUU_CLI),
            QStringList{QStringLiteral("--program-dir"), program, QStringLiteral("--now"), now} +
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

// Every kind of CSV a school hands the import, each over the same roster:
// what the roster becomes (nullopt: byte for byte as it was) and what is said.
TEST_F(RosterCliTest, ImportKeepsWhatTheCsvDoesNotSayAndRefusesWhatItCannotRead) {
    const QString rosterPath = dir.filePath(data + QStringLiteral("新名簿.txt"));
    QFile rosterFile(rosterPath);
    ASSERT_TRUE(rosterFile.open(QIODevice::ReadOnly));
    const QByteArray before = rosterFile.readAll();
    rosterFile.close();
    const QString february = QStringLiteral("2027-02-10T10:00:00"); // school year 2026
    const QString april = QStringLiteral("2027-04-02T10:00:00");    // school year 2027
    const QString exported = dir.filePath(QStringLiteral("exported.csv"));
    ASSERT_EQ(cli({QStringLiteral("roster-export"), QStringLiteral("--out"), exported},
                  QStringLiteral("2027-03-20T10:00:00"))
                  .code,
              0);
    QFile exportedFile(exported);
    ASSERT_TRUE(exportedFile.open(QIODevice::ReadOnly));
    const QString heading = QStringLiteral("番号,名前,学年,状態\r\n");
    auto utf8 = [&](const QString& rows) { return (heading + rows).toUtf8(); };
    const QString one = QStringLiteral("1,2019,0,0,\"一年生\",0,\"\",\"\"\r\n");
    const QString two = QStringLiteral("2,2012,0,0,\"中二\",0,\"\",\"\"\r\n");
    const QString outOfRange = QStringLiteral("6001,2012,0,0,\"範囲外\",0,\"\",\"\"\r\n");
    struct Case {
        const char* what;
        QByteArray csv;
        QStringList more;
        QString now;
        int code;
        std::optional<QString> roster;
        QStringList says;
    };
    const Case cases[] = {
        {"a partial CSV adds and keeps the others",
         utf8(QStringLiteral("3,三年生,小３,0\r\n")),
         {},
         february,
         0,
         one + two + outOfRange + QStringLiteral("3,2017,0,0,\"三年生\",0,\"\",\"\"\r\n"),
         {QStringLiteral("今の年度（2026 年度）"), QStringLiteral("追加: 3 三年生（小３）"),
          QStringLiteral("前の名簿を残しました: "),
          QStringLiteral("（追加 1 人、変更 0 人、削除 0 人。名簿は 3 人です）")}},
        {"--remove-missing",
         utf8(QStringLiteral("2,中二,中３,1\r\n")),
         {QStringLiteral("--remove-missing")},
         february,
         0,
         QStringLiteral("2,2011,0,0,\"中二\",1,\"\",\"\"\r\n") + outOfRange,
         {QStringLiteral("変更: 2 中二（学年 中２ → 中３、状態 0 → 1）"),
          QStringLiteral("削除: 1 一年生（小１）"),
          QStringLiteral("（追加 0 人、変更 1 人、削除 1 人。名簿は 1 人です）")}},
        {"the heading alone",
         utf8({}),
         {},
         february,
         2,
         std::nullopt,
         {QStringLiteral("生徒の行が 1 行もありません"), QStringLiteral("名簿は変えていません")}},
        {"an empty file", {}, {}, february, 2, std::nullopt, {QStringLiteral("生徒の行が")}},
        {"Shift-JIS as Excel saves it",
         sjis(heading + QStringLiteral("1,一年生,小２,0\r\n")),
         {},
         february,
         0,
         QStringLiteral("1,2018,0,0,\"一年生\",0,\"\",\"\"\r\n") + two + outOfRange,
         {QStringLiteral("変更: 1 一年生（学年 小１ → 小２）")}},
        {"neither UTF-8 nor Shift-JIS",
         QByteArray("\xFF\xFE\x95\x00\xF0\x00", 6),
         {},
         february,
         2,
         std::nullopt,
         {QStringLiteral("UTF-8 としても Shift-JIS としても読めません")}},
        {"the end-of-file mark in a name",
         utf8(QStringLiteral("1,一年生,小１,0\r\n2,中\x1A二,中２,0\r\n")),
         {},
         february,
         2,
         std::nullopt,
         {QStringLiteral("(3行目)"), QStringLiteral("制御文字 U+001A")}},
        {"a tab in a name",
         utf8(QStringLiteral("1,一年\t生,小１,0\r\n")),
         {},
         february,
         2,
         std::nullopt,
         {QStringLiteral("(2行目)"), QStringLiteral("U+0009")}},
        {"exported in March, imported in April",
         exportedFile.readAll(),
         {},
         april,
         0,
         std::nullopt,
         {QStringLiteral("CSV の年度（2026 年度）"), QStringLiteral("名簿は変わりません")}},
        {"no year line in April",
         utf8(QStringLiteral("1,一年生,小１,0\r\n")),
         {},
         april,
         0,
         QStringLiteral("1,2020,0,0,\"一年生\",0,\"\",\"\"\r\n") + two + outOfRange,
         {QStringLiteral("今の年度（2027 年度）"),
          QStringLiteral("変更: 1 一年生（学年 小２ → 小１）")}},
        {"an unknown option",
         utf8(QStringLiteral("3,三年生,小３,0\r\n")),
         {QStringLiteral("--remove-mising")},
         february,
         2,
         std::nullopt,
         {QStringLiteral("--remove-mising というオプションはありません。")}},
    };
    for (const Case& c : cases) {
        writeFile(dir, data + QStringLiteral("新名簿.txt"), before);
        const QString csv = writeFile(dir, QStringLiteral("pupils.csv"), c.csv);
        const Result r = cli(QStringList{QStringLiteral("roster-import"), csv} + c.more, c.now);
        EXPECT_EQ(r.code, c.code) << c.what << "\n" << r.err.toStdString();
        for (const QString& said : c.says)
            EXPECT_TRUE((r.out + r.err).contains(said))
                << c.what << ": " << said.toStdString() << "\n"
                << (r.out + r.err).toStdString();
        ASSERT_TRUE(rosterFile.open(QIODevice::ReadOnly));
        EXPECT_EQ(rosterFile.readAll(), c.roster ? sjis(*c.roster) : before) << c.what;
        rosterFile.close();
        // A changed roster was kept as it was first, where the import said.
        static const QRegularExpression copyLine(QStringLiteral("前の名簿を残しました: (.*)\n"));
        const QRegularExpressionMatch copy = copyLine.match(r.out);
        EXPECT_EQ(copy.hasMatch(), c.roster.has_value()) << c.what;
        QFile copyFile(QDir::fromNativeSeparators(copy.captured(1)));
        if (copy.hasMatch()) {
            ASSERT_TRUE(copyFile.open(QIODevice::ReadOnly)) << c.what;
            EXPECT_EQ(copyFile.readAll(), before) << c.what;
        }
    }
}

} // namespace baisuu
