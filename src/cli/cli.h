#pragma once
// The headless tool's shared pieces: options, output streams and loading the
// installation exactly as the program does.

#include "core/hensuu1.h"
#include "core/services.h"
#include "records/criteria_table.h"
#include "records/results.h"
#include "roster/roster.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <span>

namespace baisuu {

struct CliEnv {
    QString programDir;
    QStringList args;        // the command's own arguments, after the command name
    QStringList positionals; // those of args that are neither options nor their values
    std::unique_ptr<Clock> clock;
    QTextStream& out;
    QTextStream& err;

    // The value after "--name" in args, or fallback.
    QString option(const QString& name, const QString& fallback = {}) const;
    bool flag(const QString& name) const { return args.contains(name); }
    // Every value of an option that may be given more than once ("--set A --set B").
    QStringList values(const QString& name) const;
};

// The configuration and criteria as the program loads them at start-up;
// false (with the message on stderr) when they cannot be loaded.
bool LoadCliInstallation(CliEnv& env, Hensuu1& state, CriteriaTable* criteria = nullptr);

// A check of one more file of the installation (roster, results log, sound
// list), appending what it finds wrong. `check` runs them all in order.
using CheckFunction = void (*)(const Hensuu1& state, QList<FileError>& problems);
QList<CheckFunction> InstallationChecks();
// What check tells without failing: a line of its own beginning 「注意:」.
FileError CheckWarning(const QString& text);
bool IsCheckWarning(const FileError& problem);

// One JSON document on stdout.
void PrintJson(CliEnv& env, const QJsonDocument& doc);
inline void PrintJson(CliEnv& env, const QJsonObject& o) {
    PrintJson(env, QJsonDocument(o));
}
// The whole number after --name; tells and fails when it is missing or not a
// number in [low, high].
bool IntOption(CliEnv& env, const QString& name, qint64 low, qint64 high, qint64* value);
// The numbers of a comma-separated option ("3,7,12"), each within [low, high];
// tells and fails when one is missing or out of range.
bool NumberList(CliEnv& env, const QString& name, int low, int high, QList<int>* out);
// Tells the error on stderr; true when there was one.
bool Failed(CliEnv& env, const std::optional<FileError>& error);

// What is wrong with a command's arguments against its usage line (after
// "baisuu-cli"): an option it does not take or takes once, a value missing or
// not of the kind the usage names, an argument too many or missing. Empty
// when they are good; nothing is read or written before this is asked. The
// arguments that are not options nor their values go to positionals, in order.
QString ArgumentsProblem(const QString& command, const QString& usage, const QStringList& args,
                         QStringList* positionals);

// Tells a bad option in Japanese; returns the exit code of a bad option (2).
int BadOption(CliEnv& env, const QString& text);
// --group of the hub's commands: one of the selection screen's twelve groups,
// "全学年" when not given. False (told) for any other text.
bool GroupOption(CliEnv& env, QString* group);

// The installation as the hub sees it at --now: configuration, criteria with
// the practice limits, the roster, the tallies. 0, or the exit code (told).
struct HubSchool {
    Hensuu1 state;
    CriteriaTable criteria;
    std::unique_ptr<StudentRoster> roster = std::make_unique<StudentRoster>();
    std::unique_ptr<ResultsState> results = std::make_unique<ResultsState>();
    QDateTime now;
    int schoolYear = 0;
};
int LoadHubSchool(CliEnv& env, HubSchool& school);

// Every command: returns the process exit code.
int CmdInitDemo(CliEnv& env);
int CmdInitSchool(CliEnv& env);
int CmdSettings(CliEnv& env);
int CmdRosterImport(CliEnv& env);
int CmdRosterExport(CliEnv& env);
int CmdConfig(CliEnv& env);
int CmdCriteria(CliEnv& env);
int CmdCheck(CliEnv& env);
int CmdRoster(CliEnv& env);
int CmdRecords(CliEnv& env);
int CmdExportCsv(CliEnv& env);
int CmdStats(CliEnv& env);
int CmdPoints(CliEnv& env);
int CmdAppend(CliEnv& env);
int CmdReplace(CliEnv& env);
int CmdDelete(CliEnv& env);
int CmdHub(CliEnv& env);
int CmdRanking(CliEnv& env);
int CmdToday(CliEnv& env);
int CmdPeriod(CliEnv& env);
int CmdOwnRuns(CliEnv& env);
int CmdChart(CliEnv& env);
int CmdCriteriaChart(CliEnv& env);
int CmdClassReport(CliEnv& env);
int CmdBackup(CliEnv& env);
int CmdRestore(CliEnv& env);
int CmdMistakes(CliEnv& env);
int CmdMistakesChart(CliEnv& env);
int CmdPracticePlan(CliEnv& env);
int CmdSync(CliEnv& env);
int CmdChainReport(CliEnv& env);
int CmdChainRanking(CliEnv& env);
// The application object of the tool: one that can draw for `chart`.
std::unique_ptr<QCoreApplication> MakeCliApplication(int& argc, char** argv);

// The results log's torn tail, out-of-range records and a deletion's leftover copy.
void CheckResultsLog(const Hensuu1& state, QList<FileError>& problems);

// Writes a few months of runs of demo pupils 1..pupilCount (levels 1..targets.size()-1,
// times around targets[level]) into a new log, dated back from the clock.
bool WriteDemoHistory(CliEnv& env, const QString& logPath, std::span<const int> targets,
                      int pupilCount, const QString& schoolCode);

// The answers of every demo run, played with the drill's problem rule, into
// the answers files of the data folder (emptied first).
bool WriteDemoAnswers(CliEnv& env, const QString& dataFolder, const QList<ResultRecord>& runs);

// Whether the data folder holds the log's lock against a second process.
void CheckLogLock(const Hensuu1& state, QList<FileError>& problems);

// That the data root and the data folder take new files (a probe file made
// and removed in each) and that the log opens for writing; a missing folder
// is told as MissingDataFolder.
void CheckWritable(const Hensuu1& state, QList<FileError>& problems);
// A folder of the data root that is not there, most often a share that is not
// connected: told without a file, as "…: PATH".
FileError MissingDataFolder(const QString& folder);

// The roster's records that cannot be read or are left out (numbers outside
// 0..5000, listed entries beyond the 5000th, missing or bad items), and a
// roster without a pupil to choose.
void CheckRoster(const Hensuu1& state, QList<FileError>& problems);
// The sound list, the files it names and the two fixed sounds, each decoded
// as the player decodes it; and a warning when no sound server answers.
void CheckSoundList(const Hensuu1& state, QList<FileError>& problems);
// The answers files' lines that cannot be read or cannot have been asked, with
// file and line: the first kToldLines of a file, then how many more.
void CheckAnswersFiles(const Hensuu1& state, QList<FileError>& problems);
// A notice when no print server answers, it has no queue, or the queue the
// print dialog offers first (the default) is stopped or refuses jobs.
void CheckPrinting(const Hensuu1& state, QList<FileError>& problems);

} // namespace baisuu
