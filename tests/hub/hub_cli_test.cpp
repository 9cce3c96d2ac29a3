// baisuu-cli hub: what the hub shows a pupil, over the demo school with
// criteria and a log written byte by byte.

#include "records/log_bytes.h"
#include "test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr double k20261208 = 46364; // days since 1899-12-30

} // namespace

TEST(HubCli, ShowsWhatTheHubShowsForAPupil) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    ASSERT_EQ(runProgram(QStringLiteral(BAISUU_CLI), {QStringLiteral("init-demo"), root}).code, 0);
    QString criteria =
        QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
                       "20,30,9999,2,1,3,0,7,1,,,\r\n");
    for (int level = 2; level <= 11; ++level)
        criteria += QStringLiteral("30,45,10,2,1.5,3,0,7,1,,,\r\n");
    writeFile(dir, QStringLiteral("school/data/倍数判定/タイム回数データ.txt"), sjis(criteria));
    QByteArray log;
    for (int i = 0; i < 3; ++i) // the third run today blocks level 2
        log += rawRecord({k20261208, 0.4, 5, 2, 25});
    log += rawRecord({k20261208 - 1, 0.4, 5, 3, 99999});
    log += rawRecord({k20261208, 0.4, 6, 2, 20});
    writeFile(dir, QStringLiteral("school/data/倍数判定/成績累積データ.dat"), log);

    const ProcessResult r =
        runProgram(QStringLiteral(BAISUU_CLI),
                   {QStringLiteral("--program-dir"), root + QStringLiteral("/倍数判定"),
                    QStringLiteral("--now"), QStringLiteral("2026-12-08T15:30:00"),
                    QStringLiteral("hub"), QStringLiteral("--pupil"), QStringLiteral("5")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject hub = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(hub[QStringLiteral("label11")].toString(), QStringLiteral("倍数判定"));
    EXPECT_TRUE(hub[QStringLiteral("label12")].toString().startsWith(QStringLiteral("大野")));
    EXPECT_TRUE(hub[QStringLiteral("label13")].toString().startsWith(QStringLiteral("5:")));
    EXPECT_EQ(hub[QStringLiteral("label18")].toString(), QStringLiteral("本日総回数＝3回"));
    EXPECT_EQ(hub[QStringLiteral("finalLevelCleared")].toInt(), 0);
    EXPECT_EQ(hub[QStringLiteral("scrollMaximum")].toInt(), 8);
    EXPECT_EQ(hub[QStringLiteral("columnWidth")].toInt(), 3456);
    const QJsonArray columns = hub[QStringLiteral("columns")].toArray();
    ASSERT_EQ(columns.size(), 11);
    const QJsonObject one = columns[0].toObject();
    EXPECT_EQ(one[QStringLiteral("caption")].toString(), QStringLiteral("偶数奇数"));
    EXPECT_EQ(one[QStringLiteral("start")].toString(), QStringLiteral("ｽﾀｰﾄ(&1)"));
    EXPECT_EQ(one[QStringLiteral("criteria")].toString(), QStringLiteral("目標=20秒 --------"));
    EXPECT_EQ(one[QStringLiteral("today")].toString(), QStringLiteral("-----"));
    EXPECT_EQ(one[QStringLiteral("allTime")].toString(), QStringLiteral("------"));
    EXPECT_TRUE(one[QStringLiteral("enabled")].toBool());
    const QJsonObject two = columns[1].toObject();
    EXPECT_FALSE(two[QStringLiteral("enabled")].toBool());
    EXPECT_TRUE(two[QStringLiteral("blocked")].toBool());
    EXPECT_EQ(two[QStringLiteral("today")].toString(), QStringLiteral("3回/21点"));
    EXPECT_EQ(two[QStringLiteral("judge")].toString(), QStringLiteral("最近7日=3回 / 21点"));
    EXPECT_EQ(two[QStringLiteral("criteria")].toString(),
              QStringLiteral("目標=30秒 2回/10点(×1.5)"));
    const QJsonArray list = two[QStringLiteral("list")].toArray();
    ASSERT_GE(list.size(), 2);
    EXPECT_TRUE(list[0].toString().startsWith(QStringLiteral(" 1")))
        << list[0].toString().toStdString();
    EXPECT_TRUE(list[0].toString().endsWith(QStringLiteral(" 21/   21")));
    EXPECT_EQ(list[0].toString().mid(2, 1), QStringLiteral("●"));
    const QJsonObject three = columns[2].toObject(); // a time-out counts for nothing
    EXPECT_TRUE(three[QStringLiteral("enabled")].toBool());
    EXPECT_EQ(three[QStringLiteral("allTime")].toString(), QStringLiteral("------"));
    EXPECT_TRUE(columns[10].toObject()[QStringLiteral("enabled")].toBool());

    const ProcessResult bad =
        runProgram(QStringLiteral(BAISUU_CLI),
                   {QStringLiteral("--program-dir"), root + QStringLiteral("/倍数判定"),
                    QStringLiteral("hub"), QStringLiteral("--pupil"), QStringLiteral("5"),
                    QStringLiteral("--group"), QStringLiteral("高１")});
    EXPECT_EQ(bad.code, 2);
}

} // namespace baisuu
