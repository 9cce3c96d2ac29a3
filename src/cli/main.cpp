// baisuu-cli: the headless tool over one installation, for tests, teachers and scripts.

#include "cli/cli.h"

#include "core/configuration.h"
#include "core/program_folder.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <map>

namespace baisuu {

QString CliEnv::option(const QString& name, const QString& fallback) const {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
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
    return {CheckRoster, CheckResultsLog, CheckLogLock, CheckSoundList};
}

namespace {

using Command = int (*)(CliEnv&);

const std::map<QString, Command>& commands() {
    static const std::map<QString, Command> table = {
        {QStringLiteral("init-demo"), CmdInitDemo},
        {QStringLiteral("init-school"), CmdInitSchool},
        {QStringLiteral("settings"), CmdSettings},
        {QStringLiteral("roster-import"), CmdRosterImport},
        {QStringLiteral("roster-export"), CmdRosterExport},
        {QStringLiteral("config"), CmdConfig},
        {QStringLiteral("criteria"), CmdCriteria},
        {QStringLiteral("check"), CmdCheck},
        {QStringLiteral("roster"), CmdRoster},
        {QStringLiteral("records"), CmdRecords},
        {QStringLiteral("export-csv"), CmdExportCsv},
        {QStringLiteral("stats"), CmdStats},
        {QStringLiteral("points"), CmdPoints},
        {QStringLiteral("append"), CmdAppend},
        {QStringLiteral("replace"), CmdReplace},
        {QStringLiteral("delete"), CmdDelete},
        {QStringLiteral("hub"), CmdHub},
        {QStringLiteral("ranking"), CmdRanking},
        {QStringLiteral("today"), CmdToday},
        {QStringLiteral("period"), CmdPeriod},
        {QStringLiteral("own-runs"), CmdOwnRuns},
        {QStringLiteral("chart"), CmdChart},
        {QStringLiteral("criteria-chart"), CmdCriteriaChart},
        {QStringLiteral("class-report"), CmdClassReport},
        {QStringLiteral("backup"), CmdBackup},
        {QStringLiteral("restore"), CmdRestore},
    };
    return table;
}

// Commands that write a school instead of reading one: they run without a program folder.
bool needsProgramFolder(const QString& command) {
    return command != QStringLiteral("init-demo") && command != QStringLiteral("init-school");
}

void printUsage(QTextStream& s) {
    s << "usage: baisuu-cli [--program-dir DIR] [--now YYYY-MM-DDTHH:MM:SS] COMMAND ...\n"
         "       baisuu-cli --help | --version\n"
         "commands:";
    for (const auto& [name, command] : commands())
        s << ' ' << name;
    s << "\nWithout --program-dir the program folder is the executable's own folder when "
         "../パスデータ.txt is beside it, else the setting "
      << kProgramFolderKey << " in " << UserSettingsFile() << " (one user) or "
      << SystemSettingsFile() << " (every user)." << Qt::endl;
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
    const auto found = commands().find(command);
    if (found == commands().end()) return usage(err);
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
    const int code = found->second(env);
    out.flush();
    err.flush();
    return code;
}
