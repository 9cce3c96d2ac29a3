// The tests' own PostgreSQL server: it runs, is reached only through its
// socket, lets an ordinary role in, and keeps its data over a restart.

#include "chain/pg_server.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

namespace baisuu {

TEST(PgServerTest, RunsOnItsSocketOnlyLetsAnOrdinaryRoleInAndKeepsItsDataOverARestart) {
    PgServer server;
    ASSERT_TRUE(server.problem().isEmpty()) << server.problem().toStdString();

    PGconn* conn = PQconnectdb(server.conninfo().toUtf8().constData());
    EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    PQfinish(conn);

    // No TCP port: the setting is empty and nothing answers on the port.
    QString out;
    ASSERT_TRUE(server.sql(QStringLiteral("SHOW listen_addresses"), &out))
        << server.lastError().toStdString();
    EXPECT_EQ(out, QString());
    const QByteArray tcp =
        QStringLiteral("host=127.0.0.1 port=%1 connect_timeout=2").arg(server.port()).toUtf8();
    EXPECT_EQ(PQping(tcp.constData()), PQPING_NO_RESPONSE);

    // A role without superuser connects to a database of its own.
    ASSERT_TRUE(server.createDatabase(QStringLiteral("chain"))) << server.lastError().toStdString();
    ASSERT_TRUE(
        server.sql(QStringLiteral("CREATE ROLE school LOGIN; GRANT ALL ON SCHEMA public TO school"),
                   nullptr, QStringLiteral("chain")))
        << server.lastError().toStdString();
    ASSERT_TRUE(
        server.sql(QStringLiteral("CREATE TABLE runs(pupil int); INSERT INTO runs VALUES (3), (1);"
                                  "SELECT rolsuper FROM pg_roles WHERE rolname = current_user"),
                   &out, QStringLiteral("chain"), QStringLiteral("school")))
        << server.lastError().toStdString();
    EXPECT_EQ(out, QStringLiteral("f"));

    // A failing statement among several is reported with the server's words.
    EXPECT_FALSE(server.sql(QStringLiteral("SELECT 1; SELECT * FROM missing"), &out,
                            QStringLiteral("chain")));
    EXPECT_TRUE(server.lastError().contains(QStringLiteral("missing")))
        << server.lastError().toStdString();

    // Stopped, it is not reached and says so; started again, the rows are there.
    server.stop();
    EXPECT_FALSE(server.sql(QStringLiteral("SELECT 1"), &out));
    EXPECT_FALSE(server.lastError().isEmpty());
    server.start();
    ASSERT_TRUE(server.problem().isEmpty()) << server.problem().toStdString();
    ASSERT_TRUE(server.sql(QStringLiteral("SELECT pupil FROM runs ORDER BY pupil"), &out,
                           QStringLiteral("chain"), QStringLiteral("school")))
        << server.lastError().toStdString();
    EXPECT_EQ(out, QStringLiteral("1\n3"));
}

} // namespace baisuu
