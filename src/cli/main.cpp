// baisuu-cli: the headless tool over one installation, for tests, teachers and scripts.

#include "cli/cli.h"

#include "core/configuration.h"
#include "core/program_folder.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <vector>

namespace baisuu {

QString CliEnv::option(const QString& name, const QString& fallback) const {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

QStringList CliEnv::values(const QString& name) const {
    QStringList found;
    for (qsizetype i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name) found << args[++i];
    return found;
}

bool LoadCliInstallation(CliEnv& env, Hensuu1& state, CriteriaTable* criteria) {
    state.developmentLayout = qint16(DevelopmentLayoutFor(env.programDir));
    if (auto error = LoadConfiguration(state, env.programDir)) {
        env.err << error->text() << Qt::endl;
        return false;
    }
    BuildLevelCatalog(state.catalog);
    if (criteria) {
        if (auto error = LoadCriteria(*criteria, state.paths.criteriaFile())) {
            env.err << error->text() << Qt::endl;
            return false;
        }
    }
    return true;
}

QList<CheckFunction> InstallationChecks() {
    return {CheckWritable,  CheckRoster,       CheckResultsLog,
            CheckLogLock,   CheckSoundList,    CheckAnswersFiles, CheckPrinting};
}

namespace {

using Command = int (*)(CliEnv&);

// One row per command, in the order --help lists them: its name, what runs
// it, and its usage after "baisuu-cli", which `baisuu-cli COMMAND --help` prints.
struct CommandRow {
    const char* name;
    Command run;
    const char* usage;
};

const std::vector<CommandRow>& commands() {
    static const std::vector<CommandRow> table = {
        {"append", CmdAppend, "append --pupil N --level L --time T"},
        {"backup", CmdBackup, "backup [--keep N]"},
        {"chart", CmdChart,
         "chart --out FILE.pdf --pupil N[,N...] --levels L[,L...] [--group GROUP]"},
        {"check", CmdCheck, "check"},
        {"class-report", CmdClassReport,
         "class-report --out FILE.pdf|FILE.csv [--group GROUP] [--levels L[,L...]]"},
        {"config", CmdConfig, "config"},
        {"criteria", CmdCriteria, "criteria [--set LEVEL:COLUMN=VALUE ...]"},
        {"criteria-chart", CmdCriteriaChart, "criteria-chart --level L"},
        {"delete", CmdDelete, "delete K"},
        {"export-csv", CmdExportCsv, "export-csv [--out FILE.csv]"},
        {"hub", CmdHub, "hub --pupil N [--group GROUP]"},
        {"init-demo", CmdInitDemo, "init-demo DIR [--force]"},
        {"init-school", CmdInitSchool,
         "init-school DIR --name NAME --code NNNNN --password P [--start-month M] [--force]\n"
         "       baisuu-cli init-school DIR --data-root ROOT [--name NAME --code NNNNN --password "
         "P]"},
        {"mistakes", CmdMistakes, "mistakes (--pupil N | --group GROUP) [--level L] [--days D]"},
        {"mistakes-chart", CmdMistakesChart,
         "mistakes-chart --out FILE.pdf --pupil N[,N...] --levels L[,L...] [--days D]"},
        {"own-runs", CmdOwnRuns, "own-runs --pupil N [--group GROUP]"},
        {"period", CmdPeriod, "period --days 1-5 [--mode time|points] [--group GROUP] [--pupil N]"},
        {"points", CmdPoints, "points --level L --time T"},
        {"ranking", CmdRanking,
         "ranking --level L [--mode time|points] [--order 1|2] [--group GROUP] [--pupil N]"},
        {"records", CmdRecords, "records"},
        {"replace", CmdReplace, "replace K [--time T] [--pupil N]"},
        {"restore", CmdRestore,
         "restore FILE [--drop-newer]\n"
         "戻す順番:\n"
         "  1. すべての機械でドリルを終えてから戻します。\n"
         "  2. FILE には <データフォルダ>/バックアップ/ の、まちがいが起きる前の一番新しいコピー\n"
         "     (成績累積データ-YYYYMMDD[-HHMMSS].dat) を選びます。\n"
         "  3. コピーより新しい記録は残ります。--drop-newer を付けると外します。\n"
         "  4. 戻す前の成績ファイルは バックアップ/成績累積データ-YYYYMMDD-HHMMSS-戻す前.dat に\n"
         "     残ります。元に戻すには、そのファイルを restore します。\n"
         "  ほかの塾のコピーや成績ファイルでないファイルは戻しません。"},
        {"roster", CmdRoster, "roster [--mode 0-3] [--group GROUP]"},
        {"roster-export", CmdRosterExport, "roster-export --out FILE.csv"},
        {"roster-import", CmdRosterImport, "roster-import FILE.csv [--remove-missing]"},
        {"settings", CmdSettings,
         "settings [--password P] [--name NAME] [--code NNNNN] [--start-month M]"},
        {"stats", CmdStats, "stats [--pupil N]"},
        {"today", CmdToday, "today [--group GROUP] [--pupil N]"},
    };
    return table;
}

const CommandRow* findCommand(const QString& name) {
    for (const CommandRow& row : commands())
        if (name == QLatin1String(row.name)) return &row;
    return nullptr;
}

// Commands that write a school instead of reading one: they run without a program folder.
bool needsProgramFolder(const QString& command) {
    return command != QStringLiteral("init-demo") && command != QStringLiteral("init-school");
}

void printUsage(QTextStream& s) {
    s << "usage: baisuu-cli [--program-dir DIR] [--now YYYY-MM-DDTHH:MM:SS] COMMAND ...\n"
         "       baisuu-cli --help | --version\n"
         "commands:";
    for (const CommandRow& row : commands())
        s << ' ' << row.name;
    s << "\nWithout --program-dir the program folder is the executable's own folder when "
         "../パスデータ.txt is beside it, else the setting "
      << kProgramFolderKey << " in " << UserSettingsFileForHelp() << " (one user) or "
      << SystemSettingsFile() << " (every user).\n"
      << "baisuu-cli COMMAND --help prints the usage of one command." << Qt::endl;
}

int usage(QTextStream& err) {
    printUsage(err);
    return 2;
}

} // namespace

} // namespace baisuu

using namespace baisuu;

int main(int argc, char** argv) {
    const auto app = MakeCliApplication(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliEnv env{{}, {}, nullptr, out, err};

    QStringList args = QCoreApplication::arguments().mid(1);
    QDateTime start;
    while (!args.isEmpty() && args.first().startsWith(QStringLiteral("--"))) {
        const QString name = args.takeFirst();
        if (name == QStringLiteral("--help")) {
            printUsage(out);
            return 0;
        }
        if (name == QStringLiteral("--version")) {
            out << "baisuu-cli " << BAISUU_VERSION_MAJOR << '.' << BAISUU_VERSION_MINOR << '.'
                << BAISUU_VERSION_PATCH << Qt::endl;
            return 0;
        }
        if (args.isEmpty()) return usage(err);
        const QString value = args.takeFirst();
        if (name == QStringLiteral("--program-dir")) {
            env.programDir = QDir(value).absolutePath();
        } else if (name == QStringLiteral("--now")) {
            start = QDateTime::fromString(value, Qt::ISODate);
            if (!start.isValid()) {
                err << "--now: 日時は YYYY-MM-DDTHH:MM:SS の形で指定してください: " << value
                    << Qt::endl;
                return 2;
            }
        } else {
            return usage(err);
        }
    }
    if (args.isEmpty()) return usage(err);
    const QString command = args.takeFirst();
    const CommandRow* found = findCommand(command);
    if (!found) return usage(err);
    if (args.contains(QStringLiteral("--help"))) {
        out << "usage: baisuu-cli [--program-dir DIR] [--now YYYY-MM-DDTHH:MM:SS] " << found->usage
            << Qt::endl;
        return 0;
    }
    const ProgramFolder folder =
        ResolveProgramFolder(env.programDir, QCoreApplication::applicationDirPath());
    if (needsProgramFolder(command) && (folder.folder.isEmpty() || !folder.problem.isEmpty())) {
        err << (folder.problem.isEmpty() ? NoProgramFolderText() : folder.problem) << Qt::endl;
        return 1;
    }
    env.programDir = folder.folder;
    env.clock =
        start.isValid() ? std::make_unique<SystemClock>(start) : std::make_unique<SystemClock>();
    env.args = args;
    const int code = found->run(env);
    out.flush();
    err.flush();
    return code;
}
