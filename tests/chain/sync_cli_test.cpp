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

// `chain-ranking` reads the office's database alone: no program folder, the
// demo school's best times of a level with the school's name on each line.
TEST(SyncCli, ChainRankingPrintsTheChainsLinesOfALevel) {
    PgServer server;
    ASSERT_EQ(server.problem(), QString());
    ASSERT_TRUE(server.createDatabase(QStringLiteral("chain")));
    CliDemoSchool school(QStringLiteral("2026-12-10T09:00:00"));
    const QString db = server.conninfo(QStringLiteral("chain"));
    ASSERT_EQ(school.cli({QStringLiteral("sync"), QStringLiteral("--database"), db}).code, 0);
    QString name, best;
    ASSERT_TRUE(server.sql(QStringLiteral("SELECT school_name FROM baisuu.schools"), &name,
                           QStringLiteral("chain")));
    ASSERT_TRUE(server.sql(QStringLiteral("SELECT min(seconds) FROM chain_runs WHERE level = 1"
                                          " AND NOT timed_out"),
                           &best, QStringLiteral("chain")));
    const auto ranking = [&](QStringList more) {
        return runProgram(QStringLiteral(BAISUU_CLI),
                          QStringList{QStringLiteral("chain-ranking"), QStringLiteral("--database"),
                                      db, QStringLiteral("--level")} +
                              more);
    };
    const ProcessResult all = ranking({QStringLiteral("1")});
    ASSERT_EQ(all.code, 0) << all.err.toStdString();
    const QStringList lines = all.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_LE(lines.size(), 20);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral(" 1") + (best + u'秒').rightJustified(5)))
        << lines[0].toStdString();
    for (const QString& line : lines)
        EXPECT_TRUE(line.endsWith(u' ' + name)) << line.toStdString();
    const ProcessResult group =
        ranking({QStringLiteral("1"), QStringLiteral("--group"), QStringLiteral("中３")});
    EXPECT_EQ(group.code, 0);
    EXPECT_LE(group.out.count(u'\n'), lines.size());

    struct Refused {
        QStringList args;
        int code;
        const char* says;
    };
    for (const Refused& r : QList<Refused>{
             {{QStringLiteral("99")}, 2, "--level"},
             {{QStringLiteral("1"), QStringLiteral("--group"), QStringLiteral("家族")},
              2,
              "--group"},
         }) {
        const ProcessResult refused = ranking(r.args);
        EXPECT_EQ(refused.code, r.code);
        EXPECT_TRUE(refused.err.contains(QString::fromUtf8(r.says))) << refused.err.toStdString();
    }
    const ProcessResult password = runProgram(
        QStringLiteral(BAISUU_CLI),
        {QStringLiteral("chain-ranking"), QStringLiteral("--database"),
         db + QStringLiteral(" password=secret"), QStringLiteral("--level"), QStringLiteral("1")});
    EXPECT_EQ(password.code, 2);
    server.stop();
    const ProcessResult down = ranking({QStringLiteral("1")});
    EXPECT_EQ(down.code, 1);
    EXPECT_TRUE(down.err.startsWith(QStringLiteral("データベースにつながりません")))
        << down.err.toStdString();
}

} // namespace baisuu
