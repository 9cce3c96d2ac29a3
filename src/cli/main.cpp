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
    return {CheckWritable,  CheckRoster,       CheckResultsLog, CheckLogLock,
            CheckSoundList, CheckAnswersFiles, CheckPrinting};
}

namespace {

using Command = int (*)(CliEnv&);

// One row per command, in the order --help lists them: its name, what it does,
// what runs it, and its usage after "baisuu-cli", which `baisuu-cli COMMAND
// --help` prints and against which the command's arguments are checked.
struct CommandRow {
    const char* name;
    const char* what; // one line in Japanese: what the command does
    Command run;
    const char* usage;
};

const std::vector<CommandRow>& commands() {
    static const std::vector<CommandRow> table = {
        {"append", "成績ファイルに一回分の成績を書き足します（--now の日時で）。", CmdAppend,
         "append --pupil N --level L --time T"},
        {"backup", "成績ファイルをバックアップフォルダにコピーし、古いコピーを N 個まで残します。",
         CmdBackup, "backup [--keep N]"},
        {"chain-report",
         "本部の PostgreSQL から全教室のレベルごとの成績と順位を PDF か CSV に書きます。",
         CmdChainReport,
         "chain-report --database CONNINFO --out FILE.pdf|FILE.csv [--levels L[,L...]] [--days D]"},
        {"chain-ranking",
         "本部のデータベースから、レベル L のチェーン全体の順位表を教室名付きで表示します。",
         CmdChainRanking, "chain-ranking --database CONNINFO --level L [--group GROUP]"},
        {"chart", "生徒ごとのグラフのページを PDF に書きます。", CmdChart,
         "chart --out FILE.pdf --pupil N[,N...] --levels L[,L...] [--group GROUP]"},
        {"check", "インストールのすべてのファイルを読み、問題を一行ずつ表示します。", CmdCheck,
         "check"},
        {"class-report", "クラスの成績表を PDF か CSV に書きます。", CmdClassReport,
         "class-report --out FILE.pdf|FILE.csv [--group GROUP] [--levels L[,L...]]"},
        {"config", "フォルダ、設定、レベルの一覧を JSON で表示します。", CmdConfig, "config"},
        {"criteria",
         "基準の表を JSON で表示します。--set で値を変えます（列は 目標Time 最低Time ｸﾘｱﾎﾟｲﾝﾄ "
         "ｸﾘｱ回数 ﾎﾟｲﾝﾄ倍率 禁回 禁点 判期間 禁期間）。",
         CmdCriteria, "criteria [--set LEVEL:COLUMN=VALUE ...]"},
        {"criteria-chart", "基準エディタの二つの度数グラフを表示します。", CmdCriteriaChart,
         "criteria-chart --level L"},
        {"delete", "K 番目の記録を消します。", CmdDelete, "delete K"},
        {"export-csv", "すべての記録を CSV に書きます。", CmdExportCsv,
         "export-csv [--out FILE.csv]"},
        {"hub", "生徒 N がログインしたときの成績画面を JSON で表示します。", CmdHub,
         "hub --pupil N [--group GROUP]"},
        {"init-demo", "DIR に見本の塾を作ります。", CmdInitDemo, "init-demo DIR [--force]"},
        {"init-school", "DIR に新しい空の塾を作ります。", CmdInitSchool,
         "init-school DIR --name NAME --code NNNNN --password P [--start-month M] [--force]\n"
         "       baisuu-cli init-school DIR --data-root ROOT [--name NAME --code NNNNN --password "
         "P]"},
        {"mistakes", "まちがえやすい数を解答記録から JSON で表示します。", CmdMistakes,
         "mistakes (--pupil N | --group GROUP) [--level L] [--days D]"},
        {"mistakes-chart", "苦手な数のページを PDF に書きます。", CmdMistakesChart,
         "mistakes-chart --out FILE.pdf --pupil N[,N...] --levels L[,L...] [--days D]"},
        {"own-runs", "生徒の自分の成績をレベルごとに表示します。", CmdOwnRuns,
         "own-runs --pupil N [--group GROUP]"},
        {"period", "期間の成績を表示します（1 今週、2 先週から、3 30日、4 365日、5 3650日）。",
         CmdPeriod, "period --days 1-5 [--mode time|points] [--group GROUP] [--pupil N]"},
        {"points", "レベル L を T 秒で終えたときのポイントを JSON で表示します。", CmdPoints,
         "points --level L --time T"},
        {"practice-plan", "生徒の苦手な数と苦手練習で出る問題の順を JSON で表示します。",
         CmdPracticePlan, "practice-plan --pupil N --level L [--seed S] [--count K]"},
        {"ranking", "レベル L の順位表を表示します。", CmdRanking,
         "ranking --level L [--mode time|points] [--order 1|2] [--group GROUP] [--pupil N]"},
        {"records", "記録の一覧を一行に一件表示します。", CmdRecords, "records"},
        {"replace", "K 番目の記録のタイムか生徒を直します。", CmdReplace,
         "replace K [--time T] [--pupil N]"},
        {"restore", "バックアップのコピーを成績ファイルに戻します。", CmdRestore,
         "restore FILE [--drop-newer]\n"
         "戻す順番:\n"
         "  1. すべての機械でドリルを終えてから戻します。\n"
         "  2. FILE には <データフォルダ>/バックアップ/ の、まちがいが起きる前の一番新しいコピー\n"
         "     (成績累積データ-YYYYMMDD[-HHMMSS].dat) を選びます。\n"
         "  3. コピーより新しい記録は残ります。--drop-newer を付けると外します。\n"
         "  4. 戻す前の成績ファイルは バックアップ/成績累積データ-YYYYMMDD-HHMMSS-戻す前.dat に\n"
         "     残ります。元に戻すには、そのファイルを restore します。\n"
         "  ほかの塾のコピーや成績ファイルでないファイルは戻しません。"},
        {"roster", "名前選択画面の生徒の一覧を表示します。", CmdRoster,
         "roster [--mode 0-3] [--group GROUP]"},
        {"roster-export", "名簿を CSV に書きます。", CmdRosterExport,
         "roster-export --out FILE.csv"},
        {"roster-import", "CSV の生徒を名簿に入れます。", CmdRosterImport,
         "roster-import FILE.csv [--remove-missing]"},
        {"settings", "塾の設定を JSON で表示します。オプションを付けるとその項目を変えます。",
         CmdSettings, "settings [--password P] [--name NAME] [--code NNNNN] [--start-month M]"},
        {"stats", "生徒とレベルごとの集計を JSON で表示します。", CmdStats, "stats [--pupil N]"},
        {"sync",
         "この塾の名簿、成績と解答記録を本部の PostgreSQL に送ります（--dry-run: 数えるだけ）。",
         CmdSync, "sync --database CONNINFO [--dry-run]"},
        {"today", "今日の成績をレベルごとに表示します。", CmdToday,
         "today [--group GROUP] [--pupil N]"},
    };
    return table;
}

const CommandRow* findCommand(const QString& name) {
    for (const CommandRow& row : commands())
        if (name == QLatin1String(row.name)) return &row;
    return nullptr;
}

// Commands that write a school instead of reading one, and those that read
// only the head office's database: they run without a program folder.
bool needsProgramFolder(const QString& command) {
    return command != QStringLiteral("init-demo") && command != QStringLiteral("init-school") &&
           command != QStringLiteral("chain-ranking") && command != QStringLiteral("chain-report");
}

const char* const kUsageHead =
    "使い方: baisuu-cli [--program-dir DIR] [--now YYYY-MM-DDTHH:MM:SS] ";

void printUsage(QTextStream& s) {
    s << kUsageHead << "COMMAND ...\n"
      << "        baisuu-cli --help | --version\n"
         "コマンド:";
    for (const CommandRow& row : commands())
        s << ' ' << row.name;
    s << '\n';
    for (const CommandRow& row : commands())
        s << "  " << QString::fromUtf8(row.name).leftJustified(15) << ' ' << row.what << '\n';
    s << "--program-dir がないときのプログラムフォルダは、実行ファイルの隣に ../パスデータ.txt "
         "があればそのフォルダ、なければ設定 "
      << kProgramFolderKey << " (" << UserSettingsFileForHelp() << " はこの利用者、"
      << SystemSettingsFile() << " はこの機械のすべての利用者) です。\n"
      << "baisuu-cli COMMAND --help でコマンドごとの使い方を表示します。" << Qt::endl;
}

int usage(QTextStream& err, const QString& problem = {}) {
    if (!problem.isEmpty()) err << problem << '\n';
    printUsage(err);
    return 2;
}

// --program-dir and --now, wherever they stand: taken out of args into env and
// start. 0, or the exit code of a bad value (told).
int takeGlobalOptions(QStringList& args, CliEnv& env, QDateTime& start) {
    for (qsizetype i = 0; i < args.size();) {
        const QString name = args[i];
        if (name != QStringLiteral("--program-dir") && name != QStringLiteral("--now")) {
            ++i;
            continue;
        }
        if (i + 1 >= args.size() || args[i + 1].startsWith(QStringLiteral("--")))
            return usage(env.err, QStringLiteral("%1 には値を指定してください。").arg(name));
        const QString value = args.takeAt(i + 1);
        args.removeAt(i);
        if (name == QStringLiteral("--program-dir")) {
            env.programDir = QDir(value).absolutePath();
            continue;
        }
        start = QDateTime::fromString(value, Qt::ISODate);
        if (!start.isValid()) {
            env.err << "--now: 日時は YYYY-MM-DDTHH:MM:SS の形で指定してください: " << value
                    << Qt::endl;
            return 2;
        }
    }
    return 0;
}

} // namespace

} // namespace baisuu

using namespace baisuu;

int main(int argc, char** argv) {
    const auto app = MakeCliApplication(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliEnv env{{}, {}, {}, nullptr, out, err};

    QStringList args = QCoreApplication::arguments().mid(1);
    QDateTime start;
    if (const int code = takeGlobalOptions(args, env, start)) return code;
    if (args.value(0) == QStringLiteral("--help")) {
        printUsage(out);
        return 0;
    }
    if (args.value(0) == QStringLiteral("--version")) {
        out << "baisuu-cli " << BAISUU_VERSION_MAJOR << '.' << BAISUU_VERSION_MINOR << '.'
            << BAISUU_VERSION_PATCH << Qt::endl;
        return 0;
    }
    if (args.isEmpty()) return usage(err);
    const QString command = args.takeFirst();
    const CommandRow* found = findCommand(command);
    if (!found)
        return usage(err,
                     command.startsWith(QStringLiteral("--"))
                         ? QStringLiteral("%1: そのようなオプションはありません。").arg(command)
                         : QStringLiteral("%1: そのようなコマンドはありません。").arg(command));
    const QString commandUsage = QString::fromUtf8(kUsageHead) + QString::fromUtf8(found->usage);
    if (args.contains(QStringLiteral("--help"))) {
        out << commandUsage << '\n' << found->what << Qt::endl;
        return 0;
    }
    if (const QString problem =
            ArgumentsProblem(command, QString::fromUtf8(found->usage), args, &env.positionals);
        !problem.isEmpty()) {
        err << problem << '\n' << commandUsage << Qt::endl;
        return 2;
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
