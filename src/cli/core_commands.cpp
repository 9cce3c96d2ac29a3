// Commands over the configuration and the criteria.

#include "cli/cli.h"

#include "core/configuration.h"
#include "core/durable_file.h"
#include "core/table_sizes.h"
#include "core/text_file.h"
#include "records/file_lock.h"
#include "records/results_log.h"
#include "sound/pulse_sound_player.h"
#include "sound/sound_cue_table.h"
#include "sound/wave_file.h"
#include "teacher/criteria_editor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace baisuu {

namespace {

QJsonValue valueJson(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Number:
        return v.number;
    case Value::Kind::Text:
        return v.toNumber();
    case Value::Kind::Empty:
        break;
    }
    return QJsonValue::Null;
}

// criteria --set LEVEL:COLUMN=VALUE …: every value typed into the criteria
// editor's grid, checked by its rules as a whole, then saved as it saves.
int setCriteria(CliEnv& env, const Hensuu1& state, const QStringList& sets) {
    CriteriaEditor editor;
    const QString path = state.paths.criteriaFile();
    if (Failed(env, editor.load(path))) return 1;
    for (const QString& set : sets) {
        const qsizetype colon = set.indexOf(QLatin1Char(':'));
        const qsizetype equals = set.indexOf(QLatin1Char('='), colon + 1);
        bool numeric = false;
        const int level = set.left(colon).toInt(&numeric);
        const int column = int(CriteriaHeadings().indexOf(set.mid(colon + 1, equals - colon - 1)));
        if (colon < 0 || equals < 0 || !numeric || column < 0 || !editor.moveTo(level, column + 1))
            return BadOption(env,
                             QStringLiteral("--set %1 は使えません。LEVEL:COLUMN=VALUE の形で、"
                                            "LEVEL は 1 から %2、COLUMN は %3 のどれかに"
                                            "してください。")
                                 .arg(set)
                                 .arg(editor.lastRow())
                                 .arg(CriteriaHeadings().join(QStringLiteral("、"))));
        editor.typeText(set.mid(equals + 1));
    }
    const int offered = state.catalog.levelCount;
    if (auto why = editor.refusal(offered))
        return BadOption(env, *why + QStringLiteral(" 何も書き換えていません。"));
    CriteriaTable saved;
    if (auto error = editor.save(path, saved, offered)) {
        env.err << *error << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace

int CmdConfig(CliEnv& env) {
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    const AppPaths& p = state.paths;
    QJsonArray names;
    for (int level = 0; level <= kHighestNamedLevel; ++level)
        names.append(state.catalog.levelNames[level]);
    QJsonObject o{
        {"appDir", p.appDir},
        {"dataRoot", p.dataRoot},
        {"contentFolder", p.contentFolder},
        {"dataFolder", p.dataFolder},
        {"soundFolder", p.soundFolder},
        {"schoolYearStartMonth", state.schoolYearStartMonth},
        {"siteName", state.siteName},
        {"schoolCode", state.schoolCode},
        {"includeStatusTwo", state.includeStatusTwo},
        {"teacherPasswordSet", !state.teacherPassword.isEmpty()},
        {"developmentLayout", state.developmentLayout},
        {"contentName", state.contentName},
        {"levelCount", state.catalog.levelCount},
        {"goalLevel", state.catalog.goalLevel},
        {"allLevelsOpen", state.allLevelsOpen},
        {"levelNames", names},
    };
    PrintJson(env, QJsonDocument(o));
    return 0;
}

int CmdCriteria(CliEnv& env) {
    const QStringList sets = env.values(QStringLiteral("--set"));
    Hensuu1 state;
    CriteriaTable table;
    if (!LoadCliInstallation(env, state, &table)) return 1;
    if (!sets.isEmpty()) return setCriteria(env, state, sets);
    QJsonArray levels;
    for (const LevelCriteria& c : table.levels) {
        levels.append(QJsonObject{
            {"targetTime", c.targetTime},
            {"passTime", c.passTime},
            {"clearPoints", c.clearPoints},
            {"clearCount", c.clearCount},
            {"pointFactor", double(c.pointFactor)},
            {"overdoCount", valueJson(c.overdoCount)},
            {"overdoPoints", valueJson(c.overdoPoints)},
            {"judgeDays", valueJson(c.judgeDays)},
            {"overdoDays", valueJson(c.overdoDays)},
        });
    }
    PrintJson(env, QJsonDocument(levels));
    return 0;
}

namespace {

// What stands in the way of reading a configuration file whose folder is not
// there: the folder, not the file.
FileError withMissingFolder(const FileError& error) {
    const QFileInfo file(error.file);
    if (error.file.isEmpty() || file.absoluteDir().exists()) return error;
    return MissingDataFolder(file.absolutePath());
}

// A criteria file edited by hand may hold what the criteria editor refuses (a
// lowest time whose time limit overflows, a negative count): the editor's
// own rules name the first such cell.
void checkCriteriaRules(Hensuu1& state, QList<FileError>& problems) {
    BuildLevelCatalog(state.catalog);
    CriteriaEditor editor;
    const QString path = state.paths.criteriaFile();
    if (editor.load(path)) return; // told by the reader already
    if (auto why = editor.refusal(state.catalog.levelCount))
        problems.append({path, 0,
                         *why + QStringLiteral(" 先生の「合格タイムデータ変更」の画面か baisuu-cli "
                                               "criteria --set で直してください。")});
}

} // namespace

FileError MissingDataFolder(const QString& folder) {
    return {QString(), 0,
            QStringLiteral("データのフォルダが見つかりません。共有フォルダがつながっているか"
                           "確かめてください: ") +
                QDir::toNativeSeparators(QDir::cleanPath(folder))};
}

int CmdCheck(CliEnv& env) {
    QList<FileError> problems;
    Hensuu1 state;
    state.developmentLayout = qint16(DevelopmentLayoutFor(env.programDir));
    if (auto error = LoadConfiguration(state, env.programDir, &problems)) {
        problems.append(withMissingFolder(*error));
    } else {
        CriteriaTable table;
        if (auto error = LoadCriteria(table, state.paths.criteriaFile(), &problems))
            problems.append(withMissingFolder(*error));
        else
            checkCriteriaRules(state, problems);
        for (const CheckFunction check : InstallationChecks())
            check(state, problems);
    }
    QStringList told; // a missing folder is found by more than one check
    for (const FileError& p : problems) {
        const QString line = p.file.isEmpty() ? p.message : p.text();
        if (told.contains(line)) continue;
        told << line;
        env.out << line << Qt::endl;
    }
    const bool failed = std::any_of(problems.cbegin(), problems.cend(),
                                    [](const FileError& p) { return !IsCheckWarning(p); });
    if (!failed) env.out << QStringLiteral("問題はありません。") << Qt::endl;
    return failed ? 1 : 0;
}

FileError CheckWarning(const QString& text) {
    return {QString(), 0, QStringLiteral("注意: ") + text};
}

bool IsCheckWarning(const FileError& problem) {
    return problem.file.isEmpty() && problem.message.startsWith(QStringLiteral("注意: "));
}

void CheckWritable(const Hensuu1& state, QList<FileError>& problems) {
    const AppPaths& p = state.paths;
    QStringList folders{p.dataRoot};
    if (QDir(p.dataFolder) != QDir(p.dataRoot)) folders << p.dataFolder;
    for (const QString& folder : folders) {
        if (!QFileInfo(folder).isDir()) {
            problems.append(MissingDataFolder(folder));
            continue;
        }
        const QString probe = QDir(folder).filePath(
            QStringLiteral(".書き込み確認-%1.tmp").arg(QCoreApplication::applicationPid()));
        if (const int fault = ProbeWrite(probe))
            problems.append({folder, 0,
                             QStringLiteral("このフォルダに書き込めません。") +
                                 FileFaultText(fault) +
                                 QStringLiteral("成績や名簿を残せません。")});
    }
    if (auto fault = LogWriteFault(p.resultsLogFile())) problems.append(*fault);
}

namespace {

// A sound file as the player takes it: there, and decoded by the player's own
// decoder, so that a file that would fail at every answer is found here.
void checkSoundFile(const QString& file, const QString& whose, QList<FileError>& problems) {
    if (!QFile::exists(file))
        problems.append({file, 0, whose + QStringLiteral("音のファイルがありません。")});
    else if (!ReadWaveFile(file))
        problems.append({file, 0,
                         whose + QStringLiteral("音のファイルを鳴らせません。壊れているか、WAVの"
                                                "ファイルではありません。WAV（PCM）で入れ直して"
                                                "ください。")});
}

} // namespace

void CheckSoundList(const Hensuu1& state, QList<FileError>& problems) {
    const QString folder = state.paths.soundFolder;
    SoundCueTable table;
    if (auto error = LoadSoundList(table, folder)) {
        problems.append(*error);
        return;
    }
    const QString list = folder + QStringLiteral("新音ファイル.txt");
    // The cues this drill plays; a silent one counts as a failed sound at every answer.
    const SoundCue played[] = {SoundCue::Correct2, SoundCue::Wrong2, SoundCue::PersonalBest2,
                               SoundCue::PassTime1};
    for (const SoundCue cue : played)
        if (int(LeadingValue(table.cell(21, cue))) <= 0)
            problems.append({list, 0,
                             QStringLiteral("「%1」の音のファイルが登録されていません。")
                                 .arg(table.cell(0, cue))});
    for (int c = 1; c < kSoundColumns; ++c) {
        const int n = std::min(int(LeadingValue(table.soundTable[21][c])), kFilesPerCue);
        for (int row = 1; row <= n; ++row)
            checkSoundFile(folder + table.soundTable[row][c] + QStringLiteral(".wav"),
                           QStringLiteral("「%1」に登録された").arg(table.soundTable[0][c]),
                           problems);
    }
    for (const QString& fixed : {QStringLiteral("最高1.wav"), QStringLiteral("合格.wav")})
        checkSoundFile(folder + fixed, QString(), problems);
    const QString server = SoundServerProblem();
    if (!server.isEmpty())
        problems.append(CheckWarning(
            QStringLiteral("サウンドサーバーが応答しません（%1）。このままではドリルの音が出ず、"
                           "4問目で止まります。パソコンの音の設定（PulseAudio または PipeWire）が"
                           "動いているか確かめてください。")
                .arg(server)));
}

} // namespace baisuu
