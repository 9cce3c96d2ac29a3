// baisuu-cli check over the configuration and criteria files of a demo school,
// rewritten byte by byte as older programs and teachers leave them.

#include "test_support.h"

#include <QFile>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

class CheckCliTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    ProcessResult check() {
        return runProgram(QStringLiteral(BAISUU_CLI),
                          {QStringLiteral("--program-dir"),
                           dir.filePath(QStringLiteral("s/倍数判定")), QStringLiteral("--now"),
                           QStringLiteral("2026-12-08T15:30:00"), QStringLiteral("check")});
    }
    void write(const QString& file, const QByteArray& bytes) {
        writeFile(dir, QStringLiteral("s/data/") + file, bytes);
    }
    void appendEndOfFileMark(const QString& file) {
        QFile f(dir.filePath(QStringLiteral("s/data/") + file));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("\x1A");
    }

    void SetUp() override {
        ASSERT_EQ(runProgram(QStringLiteral(BAISUU_CLI),
                             {QStringLiteral("--now"), QStringLiteral("2026-12-08T15:30:00"),
                              QStringLiteral("init-demo"), dir.filePath(QStringLiteral("s"))})
                      .code,
                  0);
    }
};

} // namespace

TEST_F(CheckCliTest, EndOfFileMarksOfOlderProgramsAreNothingToTell) {
    for (const char16_t* file : {u"共通データ.txt", u"新名簿.txt", u"音フォルダ/新音ファイル.txt",
                                 u"倍数判定/タイム回数データ.txt"})
        appendEndOfFileMark(QString::fromUtf16(file));
    const ProcessResult r = check();
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("問題はありません。\n")) << r.out.toStdString();
}

TEST_F(CheckCliTest, TellsAnOddStartMonthAndFactorsWithFileAndLine) {
    write(QStringLiteral("共通データ.txt"),
          sjis(QStringLiteral("13\r\n\"塾\"\r\n0\r\n0\r\n\"\"\r\n\"p\"\r\n0\r\n0\r\n0\r\n0\r\n")));
    write(QStringLiteral("倍数判定/タイム回数データ.txt"),
          sjis(QStringLiteral(
              "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
              "\"20\",\"30\",100,5,\"1.5\",20,0,7,1,,,\r\n"
              "20,30,100,5,-1,20,0,7,1,,,\r\n"
              "20,30,100,5,1e39,20,0,7,1,,,\r\n")));
    const ProcessResult r = check();
    EXPECT_EQ(r.code, 1);
    // Told, and the check goes on to the criteria.
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("共通データ.txt (1行目): 1項目めの年度の始まりの月「13」")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("前の年の年度として学年を計算します")));
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("タイム回数データ.txt (3行目): レベル2の「ﾎﾟｲﾝﾄ倍率」-1")));
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("タイム回数データ.txt (4行目): レベル3の「ﾎﾟｲﾝﾄ倍率」1e39")));
    // Quoted numbers are nothing to tell.
    EXPECT_FALSE(r.out.contains(QStringLiteral("レベル1"))) << r.out.toStdString();
}

} // namespace baisuu
