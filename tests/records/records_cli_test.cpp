// baisuu-cli's results commands over a school whose criteria and log are
// written byte by byte: stats, points, append, replace, delete, check, and the
// demo history of init-demo.

#include "records/log_bytes.h"
#include "test_support.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr double k20261208 = 46364; // days since 1899-12-30

using Result = ProcessResult;

class RecordsCliTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString root, log;

    Result cli(const QStringList& args,
               const QString& now = QStringLiteral("2026-12-08T15:30:00")) {
        QStringList all = {QStringLiteral("--now"), now};
        if (args.value(0) != QStringLiteral("init-demo"))
            all += {QStringLiteral("--program-dir"), root + QStringLiteral("/倍数判定")};
        return runProgram(QStringLiteral(BAISUU_CLI), all + args);
    }

    QByteArray logBytes() const {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void SetUp() override {
        root = dir.filePath(QStringLiteral("school"));
        ASSERT_EQ(cli({QStringLiteral("init-demo"), root}).code, 0);
        writeFile(dir, QStringLiteral("school/data/倍数判定/タイム回数データ.txt"),
                  sjis(QStringLiteral(
                      "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
                      "20,30,10,2,1,5,0,7,1,,,\r\n"
                      "30,45,10,2,0.7,5,0,,2,,,\r\n")));
        log = writeFile(dir, QStringLiteral("school/data/倍数判定/成績累積データ.dat"),
                        rawRecord({k20261208, 0.25, 3, 1, 20}) +
                            rawRecord({k20261208 - 3, 0.25, 3, 1, 10}) +
                            rawRecord({k20261208 - 9, 0.25, 3, 1, 99999}) +
                            rawRecord({k20261208, 0.5, 3, 2, 30, "54321"}) +
                            rawRecord({-5, 0.5, 4, 2, 12}) +           // not kept, yet a best time
                            rawRecord({k20261208, 0.5, 7000, 2, 12})); // skipped
    }
};

QJsonObject json(const Result& r) {
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

} // namespace

TEST_F(RecordsCliTest, StatsListTheTalliesOfEveryPupilAndLevel) {
    const Result r = cli({QStringLiteral("stats")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject o = json(r);
    EXPECT_EQ(o[QStringLiteral("resultCount")].toInt(), 4);
    const QJsonArray best = o[QStringLiteral("levelBestTime")].toArray();
    ASSERT_EQ(best.size(), 36);
    EXPECT_EQ(best[0].toInt(), 99999);
    EXPECT_EQ(best[1].toInt(), 10);
    EXPECT_EQ(best[2].toInt(), 12);
    const QJsonArray rows = o[QStringLiteral("rows")].toArray();
    ASSERT_EQ(rows.size(), 3); // 3/1, 3/2 and 4/2 (a best time without a kept record)
    const QJsonObject a = rows[0].toObject();
    EXPECT_EQ(a[QStringLiteral("pupil")].toInt(), 3);
    EXPECT_EQ(a[QStringLiteral("level")].toInt(), 1);
    EXPECT_EQ(a[QStringLiteral("attempts")].toInt(), 2);
    EXPECT_EQ(a[QStringLiteral("points")].toInt(), 5 + 11);
    EXPECT_EQ(a[QStringLiteral("timeSum")].toInt(), 20 + 10 + 999);
    EXPECT_EQ(a[QStringLiteral("averageTime")].toDouble(), 515); // 1029 / 2 rounded
    EXPECT_EQ(a[QStringLiteral("judgeAttempts")].toInt(), 2);
    EXPECT_EQ(a[QStringLiteral("judgePoints")].toInt(), 16);
    EXPECT_EQ(a[QStringLiteral("overdoAttempts")].toInt(), 1);
    EXPECT_EQ(a[QStringLiteral("overdoPeriodPoints")].toInt(), 5);
    EXPECT_EQ(a[QStringLiteral("todayAttempts")].toDouble(), 1);
    EXPECT_EQ(a[QStringLiteral("todayTimeSum")].toDouble(), 20);
    EXPECT_EQ(a[QStringLiteral("todayPoints")].toInt(), 5);
    EXPECT_EQ(a[QStringLiteral("todayAverageTime")].toDouble(), 20);
    EXPECT_EQ(a[QStringLiteral("bestTime")].toInt(), 10);
    const QJsonObject b = rows[1].toObject();
    EXPECT_EQ(b[QStringLiteral("level")].toInt(), 2);
    EXPECT_EQ(b[QStringLiteral("points")].toInt(), 3);        // floor(5 × 0.7f)
    EXPECT_EQ(b[QStringLiteral("judgeAttempts")].toInt(), 0); // empty period
    EXPECT_EQ(rows[2].toObject()[QStringLiteral("pupil")].toInt(), 4);
    EXPECT_EQ(rows[2].toObject()[QStringLiteral("attempts")].toInt(), 0);

    const Result one =
        cli({QStringLiteral("stats"), QStringLiteral("--pupil"), QStringLiteral("4")});
    EXPECT_EQ(json(one)[QStringLiteral("rows")].toArray().size(), 1);
    // Tomorrow the same log has no runs of today.
    const Result later = cli({QStringLiteral("stats")}, QStringLiteral("2026-12-09T08:00:00"));
    EXPECT_EQ(json(later)[QStringLiteral("rows")]
                  .toArray()[0]
                  .toObject()[QStringLiteral("todayAttempts")]
                  .toDouble(),
              0);
}

TEST_F(RecordsCliTest, PointsFollowTheFinishScreensRule) {
    const Result r = cli({QStringLiteral("points"), QStringLiteral("--level"), QStringLiteral("2"),
                          QStringLiteral("--time"), QStringLiteral("15")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject o = json(r);
    EXPECT_EQ(o[QStringLiteral("base")].toInt(), 11); // (1/2)³ × 50 + 5
    EXPECT_EQ(o[QStringLiteral("factor")].toDouble(), 0.7);
    EXPECT_EQ(o[QStringLiteral("total")].toInt(), 7);
    EXPECT_EQ(cli({QStringLiteral("points"), QStringLiteral("--level"), QStringLiteral("36"),
                   QStringLiteral("--time"), QStringLiteral("15")})
                  .code,
              2);
}

TEST_F(RecordsCliTest, AppendReplaceAndDeleteWriteTheLog) {
    const QByteArray before = logBytes();
    ASSERT_EQ(cli({QStringLiteral("append"), QStringLiteral("--pupil"), QStringLiteral("9"),
                   QStringLiteral("--level"), QStringLiteral("2"), QStringLiteral("--time"),
                   QStringLiteral("99999")})
                  .code,
              0);
    const QByteArray appended = rawRecord({k20261208, 15.5 / 24, 9, 2, 99999, "12345"});
    EXPECT_EQ(logBytes(), before + appended);

    ASSERT_EQ(cli({QStringLiteral("replace"), QStringLiteral("7"), QStringLiteral("--pupil"),
                   QStringLiteral("11")})
                  .code,
              0);
    EXPECT_EQ(logBytes(), before + rawRecord({k20261208, 15.5 / 24, 11, 2, 99999, "12345"}));
    ASSERT_EQ(cli({QStringLiteral("replace"), QStringLiteral("4"), QStringLiteral("--time"),
                   QStringLiteral("44")})
                  .code,
              0);
    EXPECT_EQ(logBytes().mid(3 * 44, 44), rawRecord({k20261208, 0.5, 3, 2, 44, "54321"}));

    ASSERT_EQ(cli({QStringLiteral("delete"), QStringLiteral("1")}).code, 0);
    EXPECT_EQ(logBytes().size(), 6 * 44);
    EXPECT_EQ(logBytes().left(44), before.mid(44, 44));
    const Result missing = cli({QStringLiteral("delete"), QStringLiteral("7")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("7 番のレコードはありません")));
    EXPECT_EQ(logBytes().size(), 6 * 44);
}

TEST_F(RecordsCliTest, CheckTellsTornOutOfRangeAndLeftoverCopy) {
    writeFile(dir, QStringLiteral("school/data/倍数判定/成績累積データ.dat"), logBytes() + "torn");
    writeFile(dir, QStringLiteral("school/data/倍数判定/成績累積データtemp.dat"), logBytes());
    const Result r = cli({QStringLiteral("check")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("途中で切れています（4 バイト）")))
        << r.out.toStdString();
    // The record dated 1899 is no record any program wrote, as the pupil 7000 is not.
    EXPECT_TRUE(r.out.contains(QStringLiteral("レコードが 2 件あります（最初は 5 番: 日付（-5）")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("成績累積データtemp.dat")));
}

TEST(RecordsCliDemo, InitDemoWritesMonthsOfRunsIncludingTodayAndTimeOuts) {
    QTemporaryDir dir;
    QProcess p;
    p.start(QStringLiteral(BAISUU_CLI),
            {QStringLiteral("--now"), QStringLiteral("2026-12-08T17:00:00"),
             QStringLiteral("init-demo"), dir.filePath(QStringLiteral("s"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0);
    QFile f(dir.filePath(QStringLiteral("s/data/倍数判定/成績累積データ.dat")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size() % 44, 0);
    const qsizetype n = bytes.size() / 44;
    EXPECT_GT(n, 2000);
    EXPECT_LT(n, 10000);
    int today = 0, timedOut = 0;
    double previous = 0, earliest = 1e9;
    for (qsizetype i = 0; i < n; ++i) {
        const char* r = bytes.constData() + i * 44;
        double date, clock;
        std::memcpy(&date, r, 8);
        std::memcpy(&clock, r + 8, 8);
        const qint16 pupil = qFromLittleEndian<qint16>(r + 16);
        const qint16 level = qFromLittleEndian<qint16>(r + 18);
        const qint32 time = qFromLittleEndian<qint32>(r + 20);
        ASSERT_TRUE(pupil >= 1 && pupil <= 40 && level >= 1 && level <= 11);
        ASSERT_GE(date + clock, previous); // in the order the runs were recorded
        ASSERT_LE(date + clock, k20261208 + 17.0 / 24);
        previous = date + clock;
        earliest = std::min(earliest, date);
        today += date == k20261208;
        timedOut += time == 99999;
    }
    EXPECT_GT(today, 10);
    EXPECT_GT(timedOut, 10);
    EXPECT_LT(earliest, k20261208 - 60);
}

TEST_F(RecordsCliTest, HalfWayThroughAnotherProgramsDeletionReadersReadTheCopyAndWriteNothing) {
    // Another program deleting record 1 of [1..6] has written the new log as far as [2,3].
    const QByteArray whole = logBytes();
    const QString copy =
        writeFile(dir, QStringLiteral("school/data/倍数判定/成績累積データtemp.dat"), whole);
    writeFile(dir, QStringLiteral("school/data/倍数判定/成績累積データ.dat"), whole.mid(44, 88));
    const Result stats =
        cli({QStringLiteral("stats"), QStringLiteral("--pupil"), QStringLiteral("3")});
    ASSERT_EQ(stats.code, 0) << stats.err.toStdString();
    EXPECT_EQ(json(stats)[QStringLiteral("resultCount")].toInt(), 4); // the copy's usable records
    const Result check = cli({QStringLiteral("check")});
    EXPECT_EQ(check.code, 1);
    EXPECT_TRUE(check.out.contains(QStringLiteral("控え（削除を始める前の記録）を読みました")))
        << check.out.toStdString();
    EXPECT_EQ(logBytes(), whole.mid(44, 88));
    QFile copyFile(copy);
    ASSERT_TRUE(copyFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(copyFile.readAll(), whole);
}

} // namespace baisuu
