// Commands over the roster and the records as the teacher sees them: the
// selection screen's pupil list, the records manager's list, the CSV export
// and the roster's part of `check`.

#include "cli/cli.h"

#include "core/durable_file.h"
#include "records/results.h"
#include "roster/grades.h"
#include "roster/record_lines.h"
#include "roster/roster_lines.h"


#include <cstdio>
#include <memory>

namespace baisuu {

namespace {

// The roster with its tables for the records lines; a missing roster leaves
// names and grades empty and is told on stderr.
void loadRosterForRecords(CliEnv& env, const Hensuu1& state, StudentRoster& roster) {
    const int schoolYear = CurrentSchoolYear(env.clock->now().date(), state.schoolYearStartMonth);
    if (auto error =
            LoadRoster(roster, state.paths.rosterFile(), schoolYear, state.includeStatusTwo))
        env.err << error->text() << Qt::endl;
}

bool readRecords(CliEnv& env, const Hensuu1& state, QList<ResultRecord>& records) {
    if (auto error = ReadResultRecords(state.paths.resultsLogFile(), &records)) {
        env.err << error->text() << Qt::endl;
        return false;
    }
    return true;
}

} // namespace

int CmdRoster(CliEnv& env) {
    RosterListSettings settings;
    bool ok = true;
    settings.displayMode = env.option(QStringLiteral("--mode"), QStringLiteral("1")).toInt(&ok);
    if (!ok) {
        env.err << QStringLiteral("--mode には表示の種類を数で指定してください（0～3）。")
                << Qt::endl;
        return 2;
    }
    settings.group = env.option(QStringLiteral("--group"), QStringLiteral("全学年"));

    Hensuu1 state;
    CriteriaTable criteria;
    if (!LoadCliInstallation(env, state, &criteria)) return 1;
    const QDateTime now = env.clock->now();
    settings.schoolYearStartMonth = state.schoolYearStartMonth;
    settings.includeStatusTwo = state.includeStatusTwo;
    settings.today = now.date();

    auto tallies = std::make_unique<ResultsState>();
    if (auto error = ComputeLevelStats(*tallies, criteria, state.paths.resultsLogFile(), now)) {
        env.err << error->text() << Qt::endl;
        return 1;
    }
    StudentRoster roster;
    RosterList list;
    if (auto error = BuildRosterList(roster, state.paths.rosterFile(), settings, *tallies, list)) {
        env.err << error->text() << Qt::endl;
        return 1;
    }
    for (const QString& line : list.visible)
        env.out << line << '\n';
    return 0;
}

int CmdRecords(CliEnv& env) {
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    StudentRoster roster;
    loadRosterForRecords(env, state, roster);
    QList<ResultRecord> records;
    if (!readRecords(env, state, records)) return 1;
    const RecordList list = RecordListLines(records, roster, {state.schoolCode, state.siteName});
    for (const QString& line : list.lines)
        env.out << line << '\n';
    return 0;
}

int CmdExportCsv(CliEnv& env) {
    Hensuu1 state;
    CriteriaTable criteria;
    if (!LoadCliInstallation(env, state, &criteria)) return 1;
    StudentRoster roster;
    loadRosterForRecords(env, state, roster);
    QList<ResultRecord> records;
    if (!readRecords(env, state, records)) return 1;
    const QByteArray csv = RecordsCsv(records, roster, criteria, state.catalog);

    const QString outPath = env.option(QStringLiteral("--out"));
    if (outPath.isEmpty()) {
        env.out.flush();
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        std::fflush(stdout);
        return 0;
    }
    if (Failed(env, WriteFileDurably(outPath, csv))) return 1;
    env.out << QStringLiteral("%1 件の記録を書き出しました: %2")
                   .arg(records.size())
                   .arg(QDir::toNativeSeparators(outPath))
            << Qt::endl;
    return 0;
}

void CheckRoster(const Hensuu1& state, QList<FileError>& problems) {
    StudentRoster roster;
    const int schoolYear = CurrentSchoolYear(QDate::currentDate(), state.schoolYearStartMonth);
    if (auto error =
            LoadRoster(roster, state.paths.rosterFile(), schoolYear, state.includeStatusTwo)) {
        problems.append(*error);
        return;
    }
    problems.append(roster.problems);
    if (roster.rosterCount == 0)
        problems.append({state.paths.rosterFile(), 0,
                         QStringLiteral("名簿に生徒がいません。名前を選ぶ画面に誰も出ません。"
                                        "名簿を入れ直してください。")});
}

} // namespace baisuu
