// The head office's commands: `sync` copies this school into the chain's
// PostgreSQL database.
#include "chain/school_sync.h"
#include "cli/cli.h"

namespace baisuu {

namespace {

// Written by hand so the keys keep the order a reader expects.
QString countsJson(bool dryRun, const SyncCounts& c) {
    return QStringLiteral("{\"dryRun\": %1, \"sent\": {\"schools\": %2, \"pupils\": %3, "
                          "\"criteria\": %4, \"runs\": %5, \"run_points\": %6, \"answers\": %7}, "
                          "\"removed\": {\"runs\": %8, \"answers\": %9}, "
                          "\"unreadableAnswerLines\": %10}")
        .arg(dryRun ? QStringLiteral("true") : QStringLiteral("false"))
        .arg(c.schools)
        .arg(c.pupils)
        .arg(c.criteria)
        .arg(c.runs)
        .arg(c.runPoints)
        .arg(c.answers)
        .arg(c.runsRemoved)
        .arg(c.answersRemoved)
        .arg(c.unreadableAnswerLines);
}

} // namespace

int CmdSync(CliEnv& env) {
    const QString conninfo = env.option(QStringLiteral("--database"));
    if (const auto refusal = ConninfoRefusal(conninfo)) {
        env.err << *refusal << Qt::endl;
        return 2;
    }
    Hensuu1 state;
    CriteriaTable criteria;
    if (!LoadCliInstallation(env, state, &criteria)) return 1;
    SyncOptions options;
    options.dryRun = env.flag(QStringLiteral("--dry-run"));
    options.today = env.clock->now().date();
    SyncCounts counts;
    if (const auto error = SyncSchool(conninfo, state, criteria, options, &counts)) {
        env.err << *error << Qt::endl;
        return 1;
    }
    env.out << countsJson(options.dryRun, counts) << Qt::endl;
    return 0;
}

} // namespace baisuu
