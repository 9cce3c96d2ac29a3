// The program's daily task: the day's copy of the log, then the school's sync
// into the database the settings name, its failure handed back (and soon:
// the program's end waits for it).

#include "app/startup.h"
#include "chain_school.h"
#include "records/results_backup.h"

#include <QElapsedTimer>

namespace baisuu {

TEST(DailySync, CopiesTheLogThenSyncsTheSchoolOrSaysWhyNot) {
    PgServer server;
    ASSERT_EQ(server.problem(), QString());
    ASSERT_TRUE(server.createDatabase(QStringLiteral("daily"))) << server.lastError().toStdString();
    const QString good = server.conninfo(QStringLiteral("daily"));
    ChainSchool school(QStringLiteral("23456"));
    school.writeLog(school.record(3, 2, 25) + school.record(7, 3, 40) + school.record(3, 2, 25));
    const QDate today(2026, 12, 3);
    const struct {
        const char* what;
        QString database;
        bool stopServer;
        QString says;  // a piece of the failure; empty: none
        int runsAfter; // the school's rows in chain_runs afterwards; -1: not asked
    } cases[] = {
        {"no database named", {}, false, {}, -1},
        {"synced", good, false, {}, 3},
        {"a password in the setting", good + QStringLiteral(" password=x"), false,
         QStringLiteral("~/.pgpass"), 3},
        {"the server stopped", good, true, QStringLiteral("データベースにつながりません"), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.stopServer) server.stop();
        QElapsedTimer took;
        took.start();
        const QString failure =
            DailyBackupAndSync(c.database, school.state, school.criteria, today);
        EXPECT_LT(took.elapsed(), 5000);
        EXPECT_TRUE(QFile::exists(BackupPath(school.log(), today)));
        EXPECT_EQ(failure.isEmpty(), c.says.isEmpty()) << failure.toStdString();
        EXPECT_TRUE(failure.contains(c.says)) << failure.toStdString();
        if (c.runsAfter < 0) continue;
        QString runs;
        EXPECT_TRUE(server.sql(
            QStringLiteral("SELECT count(*) FROM chain_runs WHERE school_code = '23456'"), &runs,
            QStringLiteral("daily")))
            << server.lastError().toStdString();
        EXPECT_EQ(runs.trimmed().toInt(), c.runsAfter);
    }
}

} // namespace baisuu
