#pragma once
// Copying one school into the head office's database: its code and name, its
// roster, its criteria, its results log and its pupils' answers files. The
// school's files are only read; the data root stays as it is.
//
// One sync is one transaction, under an advisory lock of the school's code:
// two syncs of one school wait for each other, syncs of different schools run
// side by side, and a sync that dies at any moment leaves the database as it
// was. Only what changed is sent: runs appended since the last sync alone; on
// any other change of the log, the runs the log no longer holds are removed
// and only the records the database lacks are sent. Answers files only grow,
// so each is sent from where the last sync ended.

#include "chain/pg_connection.h"
#include "core/hensuu1.h"
#include "records/criteria_table.h"
#include "records/results_log.h"

#include <QDate>

namespace baisuu {

// Where a sync stands; a test may stop the process after each.
enum class SyncStep {
    Locked,      // the transaction is open and the school's lock taken
    SchemaReady, // the tables exist (made now, on first use)
    SchoolSent,  // the school's row, its roster and its criteria
    RunsSent,    // the log's runs and their points
    AnswersSent, // the answers files
    Committed,
};
using SyncStepHook = std::function<void(SyncStep)>;

// Rows sent to (or, for a dry run, that would be sent to) each table, and
// runs and answers removed.
struct SyncCounts {
    qint64 schools = 0;
    qint64 pupils = 0;
    qint64 criteria = 0;
    qint64 runs = 0;
    qint64 runsRemoved = 0;
    qint64 runPoints = 0;
    qint64 pupilLevels = 0; // each pupil's figures at a level, worked out again
    qint64 answers = 0;
    qint64 answersRemoved = 0;
    qint64 unreadableAnswerLines = 0; // left out, as every reader of the files leaves them
};

struct SyncOptions {
    bool dryRun = false;                // read and count, write nothing
    QDate today = QDate::currentDate(); // the school year the pupils' grades are for
    LockWait wait;                      // while the log is busy
    SyncStepHook afterStep;
};

// Syncs the school of state into the database conninfo names.
std::optional<QString> SyncSchool(const QString& conninfo, const Hensuu1& state,
                                  const CriteriaTable& criteria, const SyncOptions& options,
                                  SyncCounts* counts);

} // namespace baisuu
