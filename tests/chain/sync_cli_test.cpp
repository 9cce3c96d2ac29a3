// `baisuu-cli sync` on the demo school, as the head office's scripts run it.

#include "chain/pg_server.h"
#include "cli_school.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace baisuu {

TEST(SyncCli, SendsTheSchoolOnceCountsADryRunAndRefusesAPassword) {
    PgServer server;
    ASSERT_EQ(server.problem(), QString());
    ASSERT_TRUE(server.createDatabase(QStringLiteral("chain")));
    CliDemoSchool school(QStringLiteral("2026-12-10T09:00:00"));
    const QString db = server.conninfo(QStringLiteral("chain"));
    const auto sync = [&](QStringList more) {
        const ProcessResult r = school.cli(
            QStringList{QStringLiteral("sync"), QStringLiteral("--database"), db} + more);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    };
    const qint64 records =
        QFileInfo(school.root() + QStringLiteral("/data/倍数判定/成績累積データ.dat")).size() / 44;

    const QJsonObject dry = sync({QStringLiteral("--dry-run")});
    EXPECT_TRUE(dry[QStringLiteral("dryRun")].toBool());
    EXPECT_EQ(dry[QStringLiteral("sent")][QStringLiteral("runs")].toInteger(), records);
    QString tables;
    ASSERT_TRUE(
        server.sql(QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = 'baisuu'"),
                   &tables, QStringLiteral("chain")));
    EXPECT_EQ(tables, QStringLiteral("0")); // a dry run makes nothing

    const QJsonObject first = sync({});
    EXPECT_EQ(first[QStringLiteral("sent")], dry[QStringLiteral("sent")]);
    QString runs;
    ASSERT_TRUE(server.sql(QStringLiteral("SELECT count(*) FROM chain_runs"), &runs,
                           QStringLiteral("chain")));
    EXPECT_EQ(runs.toLongLong(), records);
    const QJsonObject again = sync({});
    EXPECT_EQ(again[QStringLiteral("sent")][QStringLiteral("runs")].toInteger(), 0);
    EXPECT_EQ(again[QStringLiteral("sent")][QStringLiteral("answers")].toInteger(), 0);

    // A password in the connection string is refused before anything is read;
    // a server that does not answer is told in Japanese with exit 1.
    const ProcessResult password = school.cli({QStringLiteral("sync"), QStringLiteral("--database"),
                                               db + QStringLiteral(" password=secret")});
    EXPECT_EQ(password.code, 2);
    EXPECT_TRUE(password.err.contains(QStringLiteral("~/.pgpass"))) << password.err.toStdString();
    server.stop();
    const ProcessResult down =
        school.cli({QStringLiteral("sync"), QStringLiteral("--database"), db});
    EXPECT_EQ(down.code, 1);
    EXPECT_TRUE(down.err.startsWith(QStringLiteral("データベースにつながりません")))
        << down.err.toStdString();
}

} // namespace baisuu
