// One school's sync against a real PostgreSQL: the database holds the log's
// records as a multiset after every kind of change, sends only what changed,
// takes answers from where it stopped, and a sync killed at any step leaves
// the database as it was.

#include "chain_school.h"
#include "records/results.h"
#include "records/results_backup.h"
#include "records/sibling_programs.h"

#include "chain/chain_queries.h"
#include "chain/chain_schema.h"

#include <QDateTime>
#include <QThread>

#include <atomic>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace baisuu {

namespace {

class ChainSync : public ChainDatabaseTest {
  protected:
    QStringList stored(const ChainSchool& s) const {
        return StoredRecords(*server, db, s.state.schoolCode);
    }
};

// The rows of the pupils' figures the sync keeps that differ from the same
// figures worked out from the runs afresh, either way.
const QString kSummaryDifference = QStringLiteral(
    "WITH kept AS (SELECT school_code, level, pupil, runs, best, points, attempts"
    " FROM baisuu.pupil_levels), fresh AS (SELECT r.school_code, r.level, r.pupil, count(*),"
    " min(r.seconds) FILTER (WHERE NOT r.timed_out), sum(p.points),"
    " count(*) FILTER (WHERE r.seconds < 6000) FROM baisuu.runs r JOIN baisuu.run_points p"
    " USING (school_code, level, seconds) GROUP BY r.school_code, r.level, r.pupil)"
    " SELECT count(*) FROM ((TABLE kept EXCEPT ALL TABLE fresh)"
    " UNION ALL (TABLE fresh EXCEPT ALL TABLE kept)) d");

} // namespace

TEST_F(ChainSync, TheDatabaseHoldsTheLogAsAMultisetWhateverHappenedToIt) {
    ChainSchool school(QStringLiteral("12345"));
    const QString log = school.log();
    const QByteArray a = school.record(3, 2, 25), b = school.record(7, 3, 40);
    struct Step {
        const char* what;
        std::function<void()> change;
        qint64 sent, removed;
    };
    QByteArray keep; // the log at the first sync, to be put back
    const QList<Step> steps = {
        {"first sync, a record twice",
         [&] { school.writeLog(a + b + a + school.record(3, 4, 99999)); }, 4, 0},
        {"nothing new", [] {}, 0, 0},
        {"our append and a sibling's",
         [&] {
             keep = fileBytes(log);
             ASSERT_FALSE(AppendRecord(log, ResultRecord::fromBytes(school.record(7, 2, 31))));
             siblingAppend(log, school.record(3, 2, 22, 2));
         },
         2, 0},
        {"a correction in place",
         [&] {
             ASSERT_FALSE(ReplaceResult(log, 2, ResultRecord::fromBytes(school.record(7, 3, 38))));
         },
         1, 1},
        {"our deletion at the start: every record moves",
         [&] { ASSERT_FALSE(DeleteResult(log, 1)); }, 0, 1},
        {"a sibling's deletion",
         [&] {
             SiblingDeletion sibling(log, 2);
             while (!sibling.done())
                 sibling.next();
         },
         0, 1},
        {"the criteria changed: every pupil's points",
         [&] { school.criteria.levels[2].targetTime = 40; }, 0, 0},
        {"a restore of the first log",
         [&] {
             ASSERT_FALSE(
                 RestoreResultsLog(log, keep, QDateTime(QDate(2026, 12, 10), QTime(9, 0)), false));
         },
         3, 0}, // the records appended since stay
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.change();
        const SyncCounts counts = school.sync(conninfo());
        EXPECT_EQ(counts.runs, s.sent);
        EXPECT_EQ(counts.runsRemoved, s.removed);
        EXPECT_EQ(stored(school), school.logRecords());
        EXPECT_EQ(one(kSummaryDifference), QStringLiteral("0"));
    }
    // The view gives every run of the log once, with its points by the school's
    // criteria and a time-out told apart.
    EXPECT_EQ(one(QStringLiteral("SELECT count(*) FROM chain_runs WHERE school_name = '本町教室'")),
              QString::number(school.logRecords().size()));
    EXPECT_EQ(one(QStringLiteral("SELECT DISTINCT concat_ws(' ', points, timed_out) FROM chain_runs"
                                 " WHERE level = 2 AND seconds = 25")),
              QStringLiteral("%1 f").arg(RecordPoints(school.criteria.levels[2], 25)));
    EXPECT_EQ(one(QStringLiteral("SELECT DISTINCT concat_ws(' ', points, timed_out) FROM chain_runs"
                                 " WHERE seconds = 99999")),
              QStringLiteral("0 t"));
}

TEST_F(ChainSync, ASyncReadsTheLogOnceADeletionsCopyIsGone) {
    ChainSchool school(QStringLiteral("12345"));
    school.writeLog(school.record(3, 2, 25) + school.record(7, 2, 26) + school.record(3, 3, 27));
    SiblingDeletion sibling(school.log(), 1);
    sibling.next(); // the copy is on disk; the log is about to go
    SyncOptions options;
    // The sibling goes on while the sync waits, and is done before the reader
    // would take its copy for the log.
    options.wait = [&sibling] {
        sibling.next();
        sibling.next();
    };
    const SyncCounts counts = school.sync(conninfo(), options);
    EXPECT_TRUE(sibling.done());
    EXPECT_EQ(counts.runs, 2);
    EXPECT_EQ(stored(school), school.logRecords());
}

TEST_F(ChainSync, AnswersAreSentFromWhereTheLastSyncEnded) {
    ChainSchool school(QStringLiteral("12345"));
    const QDate day(2026, 12, 10);
    school.answers(3, {{day, 36000, 3, 3, 9, 3, true, 700}, {day, 36001, 3, 3, 10, 1, true, 800}});
    EXPECT_EQ(school.sync(conninfo()).answers, 2);
    // An answer appended, and a line still being written, which waits.
    school.answers(3, {{day, 36002, 3, 3, 12, 1, false, 900, true}});
    const QString file = AnswersFilePath(school.state.paths.dataFolder, 3);
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("2026/12/10,10:00:03,3,3,");
    }
    SyncCounts counts = school.sync(conninfo());
    EXPECT_EQ(counts.answers, 1);
    EXPECT_EQ(
        one(QStringLiteral("SELECT string_agg(concat_ws(' ', pupil, answered_at, number, "
                           "correct, ms, practice), ',' ORDER BY answered_at) FROM chain_answers")),
        QStringLiteral("3 2026-12-10 10:00:00 9 t 700 f,3 2026-12-10 10:00:01 10 t 800 f,"
                       "3 2026-12-10 10:00:02 12 f 900 t"));
    // The file put in place anew (shorter): its answers are sent again, the old ones go.
    ASSERT_TRUE(QFile::remove(file));
    school.answers(3, {{day, 36010, 3, 3, 15, 3, true, 600}});
    counts = school.sync(conninfo());
    EXPECT_EQ(counts.answers, 1);
    EXPECT_EQ(counts.answersRemoved, 3);
    EXPECT_EQ(one(QStringLiteral("SELECT count(*) FROM chain_answers")), QStringLiteral("1"));
    counts = school.sync(conninfo());
    EXPECT_EQ(counts.answers + counts.answersRemoved + counts.runs + counts.pupils, 0);
}

// The process stopped after each step, as a kill stops it: until the commit
// the database is as before; then as after, and the next sync finds nothing new.
TEST_F(ChainSync, ASyncKilledAtAnyStepLeavesTheDatabaseAsBeforeOrAfter) {
    ChainSchool school(QStringLiteral("12345"));
    school.writeLog(school.record(3, 2, 25));
    school.sync(conninfo());
    const QStringList before = stored(school);
    ASSERT_FALSE(AppendRecord(school.log(), ResultRecord::fromBytes(school.record(7, 2, 30))));
    ASSERT_FALSE(DeleteResult(school.log(), 1));
    for (SyncStep stop : {SyncStep::Locked, SyncStep::SchemaReady, SyncStep::SchoolSent,
                          SyncStep::RunsSent, SyncStep::AnswersSent, SyncStep::Committed}) {
        SCOPED_TRACE(int(stop));
        const pid_t child = ::fork();
        if (child == 0) {
            SyncOptions options;
            options.afterStep = [stop](SyncStep s) {
                if (s == stop) ::_exit(0);
            };
            SyncCounts counts;
            SyncSchool(conninfo(), school.state, school.criteria, options, &counts);
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(stored(school), stop == SyncStep::Committed ? school.logRecords() : before);
    }
    const SyncCounts counts = school.sync(conninfo());
    EXPECT_EQ(counts.runs + counts.runsRemoved, 0);
}

// A school's lock held by another sync: a sync of that school waits for it,
// one of another school runs beside it.
TEST_F(ChainSync, SyncsOfOneSchoolWaitForEachOtherAndOthersRunBeside) {
    ChainSchool first(QStringLiteral("12345")),
        second(QStringLiteral("67890"), QStringLiteral("駅前教室"));
    first.writeLog(first.record(3, 2, 25));
    second.writeLog(second.record(7, 2, 28));
    first.sync(conninfo()); // the tables exist from here on
    PgConnection holder;
    ASSERT_FALSE(holder.open(conninfo()));
    ASSERT_FALSE(holder.exec(QStringLiteral("BEGIN")));
    ASSERT_FALSE(holder.exec(QStringLiteral(
        "SELECT pg_advisory_xact_lock(hashtextextended('baisuu school 12345', 0))")));
    ASSERT_FALSE(AppendRecord(first.log(), ResultRecord::fromBytes(first.record(7, 3, 33))));
    std::atomic<bool> firstDone = false;
    std::thread waiting([&] {
        first.sync(conninfo());
        firstDone = true;
    });
    second.sync(conninfo()); // not held up
    EXPECT_EQ(stored(second), second.logRecords());
    QThread::msleep(300);
    EXPECT_FALSE(firstDone);
    ASSERT_FALSE(holder.exec(QStringLiteral("COMMIT")));
    waiting.join();
    EXPECT_EQ(stored(first), first.logRecords());
    EXPECT_EQ(
        one(QStringLiteral("SELECT string_agg(school_code || ' ' || school_name, ',' ORDER BY "
                           "school_code) FROM baisuu.schools")),
        QStringLiteral("12345 本町教室,67890 駅前教室"));
}

TEST_F(ChainSync, ADryRunCountsAndWritesNothingAndANewerSchemaIsRefused) {
    ChainSchool school(QStringLiteral("12345"));
    school.writeLog(school.record(3, 2, 25) + school.record(7, 2, 26));
    school.answers(7, {{QDate(2026, 12, 10), 36000, 2, 2, 14, 1, true, 500}});
    SyncOptions dry;
    dry.dryRun = true;
    SyncCounts counts = school.sync(conninfo(), dry);
    EXPECT_EQ(counts.schools, 1);
    EXPECT_EQ(counts.pupils, 2);
    EXPECT_EQ(counts.runs, 2);
    EXPECT_EQ(counts.answers, 1);
    EXPECT_EQ(one(QStringLiteral("SELECT to_regclass('baisuu.runs') IS NULL")),
              QStringLiteral("t"));

    school.sync(conninfo());
    ASSERT_TRUE(
        server->sql(QStringLiteral("UPDATE baisuu.schema_version SET version = 2"), nullptr, db));
    school.writeLog(school.record(3, 2, 20));
    for (bool dryRun : {false, true}) {
        SyncOptions options;
        options.dryRun = dryRun;
        SyncCounts ignored;
        EXPECT_EQ(SyncSchool(conninfo(), school.state, school.criteria, options, &ignored),
                  NewerSchemaText(2));
    }
    EXPECT_EQ(stored(school).size(), 2);
}

// A school's role, as the README has the office make it: it syncs its own
// school, and nothing of another school's can it write or remove; the office's
// role writes nothing; both read every school.
TEST_F(ChainSync, ASchoolsRoleWritesOnlyItsOwnSchoolsRows) {
    ChainSchool first(QStringLiteral("12345")), second(QStringLiteral("67890"));
    first.writeLog(first.record(3, 2, 25));
    second.writeLog(second.record(7, 2, 28));
    ASSERT_TRUE(server->sql(QStringLiteral("CREATE ROLE school_b LOGIN; CREATE ROLE office LOGIN"),
                            nullptr, db));
    const QString asSchool = server->conninfo(db, QStringLiteral("school_b"));
    SyncCounts counts;
    // The tables are the office's to make: a school's role may not.
    const auto noTables = SyncSchool(asSchool, second.state, second.criteria, {}, &counts);
    ASSERT_TRUE(noTables);
    EXPECT_TRUE(noTables->startsWith(NoTablesText())) << noTables->toUtf8().constData();
    first.sync(conninfo()); // the owner makes the tables
    ASSERT_TRUE(
        server->sql(QStringLiteral("INSERT INTO baisuu.school_roles VALUES ('school_b', '67890')"),
                    nullptr, db));
    second.sync(asSchool);
    EXPECT_EQ(stored(second), second.logRecords());

    ASSERT_FALSE(AppendRecord(first.log(), ResultRecord::fromBytes(first.record(7, 3, 30))));
    const auto refused = SyncSchool(asSchool, first.state, first.criteria, {}, &counts);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->startsWith(
        QStringLiteral("この接続のロールには、塾コード 12345 の成績を書く権限がありません。")))
        << refused->toStdString();
    EXPECT_EQ(stored(first).size(), 1);
    const QString runsOfFirst =
        QStringLiteral("SELECT count(*) FROM baisuu.runs WHERE school_code = '12345'");
    for (const QString& role : {QStringLiteral("school_b"), QStringLiteral("office")}) {
        SCOPED_TRACE(role.toStdString());
        EXPECT_FALSE(server->sql(QStringLiteral("INSERT INTO baisuu.schools VALUES ('12346', 'x')"),
                                 nullptr, db, role));
        EXPECT_TRUE(
            server->sql(QStringLiteral("DELETE FROM baisuu.runs WHERE school_code = '12345'"),
                        nullptr, db, role));
        QString out;
        ASSERT_TRUE(server->sql(runsOfFirst, &out, db, role));
        EXPECT_EQ(out, QStringLiteral("1"));
        // The chain's report as this role computes it: both schools.
        PgConnection reader;
        ASSERT_FALSE(reader.open(server->conninfo(db, role)));
        ChainReport report;
        ASSERT_FALSE(QueryChainReport(reader, {{}, 0, QDate(2026, 12, 10)}, &report));
        QStringList schools;
        for (const ChainSchoolLevel& row : report.rows)
            schools << row.schoolCode;
        EXPECT_EQ(schools, (QStringList{QStringLiteral("12345"), QStringLiteral("67890")}));
    }
}

} // namespace baisuu
