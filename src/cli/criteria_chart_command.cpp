// criteria-chart: the criteria editor's two frequency lists of one level.

#include "cli.h"
#include "teacher/criteria_editor.h"

namespace baisuu {

int CmdCriteriaChart(CliEnv& env) {
    qint64 level = 0;
    if (!IntOption(env, QStringLiteral("--level"), 1, kLevelSlots - 1, &level)) return 2;
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    LevelHistograms histograms;
    if (Failed(env, ReadHistograms(state.paths.resultsLogFile(), &histograms))) return 1;
    for (const QString& line : AllRunsChart(histograms, int(level)))
        env.out << line << '\n';
    env.out << "#\n";
    for (const QString& line : BestTimesChart(histograms, int(level)))
        env.out << line << '\n';
    env.out.flush();
    return 0;
}

} // namespace baisuu
