// The hub's result lists as a pupil sees them, from the same model the hub
// screen shows: `ranking` (one level's ranking), `today` and `period` (every
// level's runs).

#include "cli/cli.h"

#include "hub/result_lists.h"
#include "roster/grades.h"

#include <memory>

namespace baisuu {

namespace {

// The options every list command shares: --group and --pupil, and --mode
// where the command has one. Returns 0 when they are good.
int commonOptions(CliEnv& env, ListRequest& request, bool withMode) {
    if (!GroupOption(env, &request.group)) return 2;
    if (env.args.contains(QStringLiteral("--pupil"))) {
        qint64 pupil = 0;
        if (!IntOption(env, QStringLiteral("--pupil"), 0, kHighestPupil, &pupil)) return 2;
        request.pupil = int(pupil);
    }
    if (withMode) {
        const QString mode = env.option(QStringLiteral("--mode"), QStringLiteral("time"));
        if (mode == QStringLiteral("time"))
            request.mode = ListMode::Time;
        else if (mode == QStringLiteral("points"))
            request.mode = ListMode::Points;
        else
            return BadOption(
                env, QStringLiteral("--mode には time か points を指定してください: %1").arg(mode));
    }
    return 0;
}

// The lists of the view over the installation as of --now: the tallies and the
// records the view reads, the practice limits applied as the hub applies them.
struct LoadedLists {
    Hensuu1 state;
    ListsView view;
};
int loadLists(CliEnv& env, ListRequest& request, LoadedLists& loaded) {
    HubSchool school;
    if (const int code = LoadHubSchool(env, school)) return code;
    request.today = school.now.date();
    request.schoolYear = school.schoolYear;
    QList<RecordNumbers> records;
    if (const qint64 count = RecordsForView(request))
        if (Failed(env, ReadLastRecords(school.state.paths.resultsLogFile(), count, &records)))
            return 1;
    loaded.state = school.state;
    loaded.view = BuildListsView(request, school.state.catalog, school.criteria, *school.roster,
                                 *school.results, records);
    return 0;
}

void printLines(CliEnv& env, const QStringList& lines) {
    for (const QString& line : lines)
        env.out << line << '\n';
}

// Every level's lines, each level under "# level L".
int printEveryLevel(CliEnv& env, ListRequest& request) {
    LoadedLists loaded;
    if (const int code = loadLists(env, request, loaded)) return code;
    for (size_t level = 1; level < loaded.view.levels.size(); ++level) {
        env.out << "# level " << level << '\n';
        printLines(env, loaded.view.levels[level].lines);
    }
    return 0;
}

} // namespace

int CmdRanking(CliEnv& env) {
    ListRequest request;
    if (const int code = commonOptions(env, request, true)) return code;
    qint64 order = 1;
    if (env.args.contains(QStringLiteral("--order")) &&
        !IntOption(env, QStringLiteral("--order"), 1, 2, &order))
        return 2;
    // The time ranking has one order; the point rankings are views 1 and 2.
    request.view =
        request.mode == ListMode::Points && order == 2 ? ListView::Today : ListView::Ranking;
    LevelCatalog catalog;
    BuildLevelCatalog(catalog);
    qint64 level = 0;
    if (!IntOption(env, QStringLiteral("--level"), 1, catalog.levelCount, &level)) return 2;

    LoadedLists loaded;
    if (const int code = loadLists(env, request, loaded)) return code;
    printLines(env, loaded.view.levels[size_t(level)].lines);
    return 0;
}

int CmdToday(CliEnv& env) {
    ListRequest request;
    if (const int code = commonOptions(env, request, false)) return code;
    request.mode = ListMode::Time;
    request.view = ListView::Today;
    return printEveryLevel(env, request);
}

int CmdPeriod(CliEnv& env) {
    ListRequest request;
    if (const int code = commonOptions(env, request, true)) return code;
    qint64 period = 0;
    if (!IntOption(env, QStringLiteral("--days"), 1, 5, &period)) return 2;
    request.view = ListView::Period;
    request.period = int(period);
    return printEveryLevel(env, request);
}

} // namespace baisuu
