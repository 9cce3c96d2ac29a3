// Commands a school sets itself up with: init-school writes a new, empty
// school (or installs beside the family's other programs), settings reads and
// changes the items of 共通データ.txt, roster-import and roster-export carry
// the roster to and from a spreadsheet.

#include "cli/cli.h"
#include "cli/school_files.h"

#include "core/backup_copies.h"
#include "core/configuration.h"
#include "core/configuration_edit.h"
#include "core/durable_file.h"
#include "core/item_reader.h"
#include "core/text_file.h"
#include "roster/grades.h"
#include "roster/roster_csv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace baisuu {

namespace {

// --name, --code, --password and --start-month, where given (each with its
// value: the arguments were checked against the usage). False (told) when the
// month is no number or a setting cannot be kept.
bool settingsOptions(CliEnv& env, SchoolSettings* s) {
    const QStringList names = {QStringLiteral("--name"), QStringLiteral("--code"),
                               QStringLiteral("--password"), QStringLiteral("--start-month")};
    for (const QString& name : names) {
        const qsizetype i = env.args.indexOf(name);
        if (i < 0) continue;
        const QString value = env.args[i + 1];
        if (name == names[0]) s->name = value;
        if (name == names[1]) s->code = value;
        if (name == names[2]) s->password = value;
        if (name == names[3]) {
            bool ok = false;
            s->startMonth = value.toInt(&ok);
            if (!ok) {
                BadOption(env,
                          QStringLiteral("年度の始まりの月は 1 から 12 の数で指定してください。"));
                return false;
            }
        }
    }
    if (const QString problem = SettingsProblem(*s); !problem.isEmpty()) {
        BadOption(env, problem);
        return false;
    }
    return true;
}

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The data root a パスデータ.txt names, as a clean absolute folder; empty when unreadable.
QString pathDataRoot(const QString& pathDataFile) {
    const auto text = ReadTextFile(pathDataFile, nullptr);
    if (!text) return {};
    const QString root = NormalizedFolder(ItemReader(*text).next().text.trimmed());
    if (root.isEmpty()) return {};
    const QString base = QFileInfo(pathDataFile).absolutePath() + QLatin1Char('/');
    return NormalizedFolder(QDir::cleanPath(QDir::isRelativePath(root) ? base + root : root));
}

// What shows that the school at base is in use, in the data root its
// パスデータ.txt names and in the one init-school writes: --force overwrites
// only an empty school, never a school's results, pupils and code.
QString schoolInUse(const QString& base) {
    QString inUse = FileOfSchoolInUse(base + QStringLiteral("/data"));
    if (const QString named = pathDataRoot(base + QStringLiteral("/パスデータ.txt"));
        inUse.isEmpty() && !named.isEmpty())
        inUse = FileOfSchoolInUse(named);
    return inUse;
}

using Step = bool (*)(CliEnv&, const SchoolFolders&);

bool runSteps(CliEnv& env, const SchoolFolders& f, std::initializer_list<Step> steps) {
    for (const Step step : steps)
        if (!step(env, f)) return false;
    return true;
}

// Beside the family's other programs: only what is missing is created.
int installBeside(CliEnv& env, const QString& base, const SchoolSettings& settings) {
    const QString dataRoot = QDir(env.option(QStringLiteral("--data-root"))).absolutePath();
    if (!QFileInfo(dataRoot).isDir())
        return BadOption(
            env, QStringLiteral("データのフォルダ %1 がありません。").arg(nativePath(dataRoot)));
    SchoolFolders f = SchoolFoldersAt(base, dataRoot);
    f.keepExisting = true;
    const QString pathData = f.base + QStringLiteral("パスデータ.txt");
    if (QFile::exists(pathData) &&
        pathDataRoot(pathData) != NormalizedFolder(QDir::cleanPath(dataRoot)))
        return BadOption(
            env, QStringLiteral("%1 は別のデータのフォルダを指しています。変えずに残しました。")
                     .arg(nativePath(pathData)));
    const bool haveCommon = QFile::exists(f.data + QStringLiteral("共通データ.txt"));
    if (!haveCommon && (!settings.name || !settings.code || !settings.password))
        return BadOption(env, QStringLiteral("データのフォルダに 共通データ.txt がありません。"
                                             "--name、--code、--password を付けると作ります。"));
    const bool written = runSteps(env, f,
                                  {MakeSchoolFolders, WritePathData, WriteEmptyRoster, WriteSounds,
                                   WriteCriteria}) &&
                         (haveCommon || WriteCommonData(env, f, settings));
    if (!written) return 1;
    env.out << QStringLiteral("%1 のデータのフォルダに入れました。プログラムフォルダ: %2")
                   .arg(nativePath(f.data), nativePath(f.base + f.content))
            << Qt::endl;
    return 0;
}

} // namespace

int CmdInitSchool(CliEnv& env) {
    SchoolSettings settings;
    if (!settingsOptions(env, &settings)) return 2;
    const QDir root(QDir(env.positionals.first()).absolutePath());
    if (env.flag(QStringLiteral("--data-root"))) return installBeside(env, root.path(), settings);
    if (!settings.name || !settings.code || !settings.password)
        return BadOption(env, QStringLiteral("--name、--code、--password を指定してください。"));
    if (root.exists() && !root.isEmpty() && !env.flag(QStringLiteral("--force")))
        return BadOption(
            env,
            QStringLiteral("%1 は空ではありません。上書きするときは --force を付けてください。")
                .arg(nativePath(root.path())));
    if (const QString inUse = schoolInUse(root.path()); !inUse.isEmpty())
        return BadOption(env, QStringLiteral("%1 は使っている塾です（%2 があります）。--force "
                                             "でも上書きしません。新しい塾は空のフォルダに"
                                             "作ってください。")
                                  .arg(nativePath(root.path()), nativePath(inUse)));
    if (!settings.startMonth) settings.startMonth = 4;

    const SchoolFolders f = SchoolFoldersAt(root.path(), root.path() + QStringLiteral("/data/"));
    if (!runSteps(
            env, f,
            {MakeSchoolFolders, WritePathData, WriteEmptyRoster, WriteSounds, WriteCriteria}) ||
        !WriteCommonData(env, f, settings))
        return 1;
    env.out << QStringLiteral("塾を作りました: %1").arg(nativePath(f.base)) << Qt::endl;
    env.out << QStringLiteral("プログラムフォルダ: %1").arg(nativePath(f.base + f.content))
            << Qt::endl;
    return 0;
}

int CmdSettings(CliEnv& env) {
    SchoolSettings change;
    if (!settingsOptions(env, &change)) return 2;
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    if (!change.startMonth && !change.code && !change.name && !change.password) {
        PrintJson(env, QJsonObject{{"startMonth", state.schoolYearStartMonth},
                                   {"schoolCode", state.schoolCode},
                                   {"schoolName", state.siteName},
                                   {"password", state.teacherPassword}});
        return 0;
    }
    // Under the file's lock, so that a change made at the same moment on
    // another machine or by another command is read here and kept.
    const QString path = state.paths.commonDataFile();
    bool refused = false;
    const auto error =
        EditFileLocked(path, [&](const QByteArray* current, QByteArray* replacement) {
            if (!current)
                return std::optional(FileError{path, 0, QStringLiteral("ファイルがありません。")});
            QString problem;
            const auto edited = EditCommonData(*current, change, &problem);
            refused = !edited;
            if (refused) return std::optional(FileError{path, 0, problem});
            *replacement = *edited;
            return std::optional<FileError>();
        });
    if (error && refused) return BadOption(env, error->text());
    if (Failed(env, error)) return 1;
    env.out << QStringLiteral("設定を変えました: %1").arg(nativePath(path)) << Qt::endl;
    return 0;
}

namespace {

// The roster's readable records; a missing roster has none. False (told) when
// the roster is there but cannot be read.
bool rosterRecords(CliEnv& env, const Hensuu1& state, QList<RosterRecord>* records) {
    const QString path = state.paths.rosterFile();
    if (!QFile::exists(path)) return true;
    FileError error;
    const auto text = ReadTextFile(path, &error);
    if (!text) {
        env.err << error.text() << Qt::endl;
        return false;
    }
    *records = RosterRecords(*text, path, nullptr);
    return true;
}

int currentSchoolYear(CliEnv& env, const Hensuu1& state) {
    return CurrentSchoolYear(env.clock->now().date(), state.schoolYearStartMonth);
}

// What one import did, for its report.
struct ImportDone {
    RosterImport import;
    QString copy;           // the roster as it was, kept before the change
    bool unchanged = false; // the CSV changes nothing: nothing was written
};

// The roster's change by an import, made under the roster's lock: the roster
// as it was is kept as a copy first, so no import loses a pupil for good.
FileEdit importEdit(CliEnv& env, const Hensuu1& state, const QList<CsvPupil>& pupils,
                    ImportDone* done) {
    return [&env, &state, &pupils, done](const QByteArray* current, QByteArray* replacement) {
        const QString path = state.paths.rosterFile();
        FileError error;
        const auto old = DecodeTextFile(path, current ? *current : QByteArray(), &error);
        if (!old) return std::optional(error);
        done->import = ImportRoster(*old, pupils, env.flag(QStringLiteral("--remove-missing")));
        const auto bytes = EncodeTextFile(path, done->import.text, &error);
        if (!bytes) return std::optional(error);
        done->unchanged = current && *bytes == *current;
        if (done->unchanged) return std::optional(FileError{}); // leaves the file alone
        if (current && !current->isEmpty())
            if (auto kept = KeepCopy(state.paths.dataFolder + QStringLiteral("バックアップ"),
                                     QStringLiteral("新名簿"), QStringLiteral(".txt"), *current,
                                     env.clock->now(), {}, &done->copy))
                return kept;
        *replacement = *bytes;
        return std::optional<FileError>();
    };
}

} // namespace

int CmdRosterImport(CliEnv& env) {
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    const QString csvPath = env.positionals.first();
    QFile csv(csvPath);
    if (!csv.open(QIODevice::ReadOnly)) {
        env.err << FileError{csvPath, 0, QStringLiteral("ファイルを開けません。")}.text()
                << Qt::endl;
        return 1;
    }
    const int schoolYear = currentSchoolYear(env, state);
    const auto read = ReadRosterCsv(csv.readAll(), csvPath, schoolYear);
    if (const FileError* refusal = std::get_if<FileError>(&read))
        return BadOption(env, refusal->text() + QStringLiteral("　名簿は変えていません。"));
    const RosterCsvRows& rows = std::get<RosterCsvRows>(read);
    if (!rows.yearFromFile)
        env.out << QStringLiteral("CSV に「年度,」の行がないので、学年は今の年度（%1 年度）の"
                                  "ものとして読みました。")
                       .arg(schoolYear)
                << Qt::endl;
    else if (rows.schoolYear != schoolYear)
        env.out << QStringLiteral("学年は CSV の年度（%1 年度）のものとして読みました。")
                       .arg(rows.schoolYear)
                << Qt::endl;

    const QString rosterPath = nativePath(state.paths.rosterFile());
    ImportDone done;
    const auto error =
        EditFileLocked(state.paths.rosterFile(), importEdit(env, state, rows.pupils, &done));
    if (done.unchanged) {
        env.out << QStringLiteral("名簿は変わりません（CSV の %1 人はみな名簿のとおりです）: %2")
                       .arg(rows.pupils.size())
                       .arg(rosterPath)
                << Qt::endl;
        return 0;
    }
    if (Failed(env, error)) return 1;
    for (const QString& line : ImportReport(done.import, schoolYear))
        env.out << line << Qt::endl;
    if (!done.copy.isEmpty())
        env.out << QStringLiteral("前の名簿を残しました: %1").arg(nativePath(done.copy))
                << Qt::endl;
    env.out << QStringLiteral("名簿を書きました（追加 %1 人、変更 %2 人、削除 %3 人。名簿は %4 "
                              "人です）: %5")
                   .arg(done.import.added.size())
                   .arg(done.import.changed.size())
                   .arg(done.import.removed.size())
                   .arg(done.import.pupils)
                   .arg(rosterPath)
            << Qt::endl;
    return 0;
}

int CmdRosterExport(CliEnv& env) {
    const QString out = env.option(QStringLiteral("--out"));
    if (out.isEmpty())
        return BadOption(env,
                         QStringLiteral("--out FILE.csv で書き出すファイルを指定してください。"));
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    QList<RosterRecord> roster;
    if (!rosterRecords(env, state, &roster)) return 1;
    const int schoolYear = currentSchoolYear(env, state);
    FileError error;
    if (!WriteBytesFile(out, RosterCsv(roster, schoolYear), &error)) {
        env.err << error.text() << Qt::endl;
        return 1;
    }
    env.out << QStringLiteral("%1 人を書き出しました（学年は %2 年度のもの）: %3")
                   .arg(roster.size())
                   .arg(schoolYear)
                   .arg(nativePath(out))
            << Qt::endl;
    return 0;
}

} // namespace baisuu
