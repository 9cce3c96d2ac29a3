// The head office's commands: `sync` copies this school into the chain's
// PostgreSQL database; `chain-ranking` prints a level's chain-wide ranking,
// `chain-report` writes the chain's report.
#include "chain/chain_queries.h"
#include "chain/school_sync.h"
#include "cli/cli.h"
#include "core/level_catalog.h"
#include "hub/list_lines.h"
#include "reports/chain_report_page.h"

#include <QDir>
#include <QFileInfo>

namespace baisuu {

namespace {

// A connection string with a password is told and refused before anything is read.
bool refused(CliEnv& env, const QString& conninfo) {
    const auto refusal = ConninfoRefusal(conninfo);
    if (refusal) env.err << *refusal << Qt::endl;
    return refusal.has_value();
}

// Written by hand so the keys keep the order a reader expects.
QString countsJson(bool dryRun, const SyncCounts& c) {
    return QStringLiteral(
               "{\"dryRun\": %1, \"sent\": {\"schools\": %2, \"pupils\": %3, "
               "\"criteria\": %4, \"runs\": %5, \"run_points\": %6, \"pupil_levels\": %11, "
               "\"answers\": %7}, "
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
        .arg(c.unreadableAnswerLines)
        .arg(c.pupilLevels);
}

// A ranking line as the hub's, with the school after it:
// " 1  23秒 上田　ゆい　小３ 本町教室".
QString chainRankLine(const ChainRankLine& line) {
    return Rank2(line.rank) + Time5(line.seconds) + QLatin1Char(' ') + Name5(line.pupilName) +
           line.grade.leftJustified(2, QChar(0x3000)) + QLatin1Char(' ') + line.schoolName;
}

} // namespace

int CmdSync(CliEnv& env) {
    const QString conninfo = env.option(QStringLiteral("--database"));
    if (refused(env, conninfo)) return 2;
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

int CmdChainRanking(CliEnv& env) {
    const QString conninfo = env.option(QStringLiteral("--database"));
    if (refused(env, conninfo)) return 2;
    LevelCatalog catalog;
    BuildLevelCatalog(catalog);
    qint64 level = 0;
    QString group;
    if (!IntOption(env, QStringLiteral("--level"), 1, catalog.levelCount, &level) ||
        !GroupOption(env, &group))
        return 2;
    PgConnection db;
    ChainRanking ranking;
    std::optional<QString> error = db.open(conninfo);
    if (!error) error = QueryChainRanking(db, int(level), group, &ranking);
    if (error) {
        env.err << *error << Qt::endl;
        return 1;
    }
    for (const ChainRankLine& line : std::as_const(ranking.lines))
        env.out << chainRankLine(line) << '\n';
    return 0;
}

// The head office's report of every school, from the database alone: it
// needs no school's program folder.
int CmdChainReport(CliEnv& env) {
    const QString conninfo = env.option(QStringLiteral("--database"));
    if (refused(env, conninfo)) return 2;
    const QString out = env.option(QStringLiteral("--out"));
    const QString type = QFileInfo(out).suffix().toLower();
    if (type != QStringLiteral("pdf") && type != QStringLiteral("csv"))
        return BadOption(env, QStringLiteral("--out のファイルは .pdf か .csv で終わる名前に"
                                             "してください: %1")
                                  .arg(out));
    Hensuu1 content;
    SetUpContent(content);
    BuildLevelCatalog(content.catalog);
    const LevelCatalog& catalog = content.catalog;
    ChainReportRequest request;
    request.today = env.clock->now().date();
    qint64 days = 0;
    if (env.flag(QStringLiteral("--days")) &&
        !IntOption(env, QStringLiteral("--days"), 1, 36500, &days))
        return 2;
    request.days = int(days);
    if (env.flag(QStringLiteral("--levels"))) {
        QList<int> levels;
        if (!NumberList(env, QStringLiteral("--levels"), 1, catalog.levelCount, &levels)) return 2;
        for (int level : levels)
            if (!request.levels.contains(level)) request.levels.append(level);
    }
    PgConnection db;
    ChainReport report;
    std::optional<QString> error = db.open(conninfo);
    if (!error) error = QueryChainReport(db, request, &report);
    if (error) {
        env.err << *error << Qt::endl;
        return 1;
    }
    if (Failed(env, WriteChainReport(report, out, content.contentName))) return 1;
    env.out << QDir::toNativeSeparators(out) << '\n';
    return 0;
}

} // namespace baisuu
