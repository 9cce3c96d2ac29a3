// Commands over the configuration and the criteria.

#include "cli/cli.h"

#include "core/configuration.h"
#include "core/durable_file.h"
#include "core/table_sizes.h"
#include "core/text_file.h"
#include "records/file_lock.h"
#include "records/results_log.h"
#include "sound/sound_cue_table.h"

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
    Hensuu1 state;
    CriteriaTable table;
    if (!LoadCliInstallation(env, state, &table)) return 1;
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
    const bool fine = std::all_of(problems.cbegin(), problems.cend(), IsCheckNotice);
    if (fine) env.out << QStringLiteral("問題はありません。") << Qt::endl;
    return fine ? 0 : 1;
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
        const QString probe =
            QDir(folder).filePath(QStringLiteral(".書き込み確認-%1.tmp").arg(QCoreApplication::applicationPid()));
        if (const int fault = ProbeWrite(probe))
            problems.append({folder, 0,
                             QStringLiteral("このフォルダに書き込めません。") +
                                 FileFaultText(fault) +
                                 QStringLiteral("成績や名簿を残せません。")});
    }
    if (auto fault = LogWriteFault(p.resultsLogFile())) problems.append(*fault);
}

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
        for (int row = 1; row <= n; ++row) {
            const QString file = table.soundTable[row][c] + QStringLiteral(".wav");
            if (!QFile::exists(folder + file))
                problems.append({folder + file, 0,
                                 QStringLiteral("「%1」に登録された音のファイルがありません。")
                                     .arg(table.soundTable[0][c])});
        }
    }
    for (const QString& fixed : {QStringLiteral("最高1.wav"), QStringLiteral("合格.wav")})
        if (!QFile::exists(folder + fixed))
            problems.append({folder + fixed, 0, QStringLiteral("音のファイルがありません。")});
}

} // namespace baisuu
