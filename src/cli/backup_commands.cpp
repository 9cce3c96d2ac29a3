// Commands that keep the results log safe: backup and restore, and the part of
// `check` that proves the shared folder holds the log's lock.

#include "cli/cli.h"

#include "core/durable_file.h"
#include "records/file_lock.h"
#include "records/results_backup.h"

#include <QDir>
#include <QFile>

namespace baisuu {

int CmdBackup(CliEnv& env) {
    qint64 keep = kKeptBackups;
    if (env.flag(QStringLiteral("--keep")) &&
        !IntOption(env, QStringLiteral("--keep"), 1, 100000, &keep))
        return 2;
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    QString copy;
    if (Failed(env, BackUpResultsLog(state.paths.resultsLogFile(), env.clock->now(), int(keep), {},
                                     &copy)))
        return 1;
    env.out << QDir::toNativeSeparators(copy) << Qt::endl;
    return 0;
}

int CmdRestore(CliEnv& env) {
    const QString file = env.positionals.first();
    const bool dropNewer = env.flag(QStringLiteral("--drop-newer"));
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    QByteArray records;
    if (Failed(env, ReadRestoreFile(file, state.schoolCode, &records))) {
        env.err << QStringLiteral("成績ファイルは変えていません。") << Qt::endl;
        return 2;
    }
    RestoreCounts counts;
    if (Failed(env, RestoreResultsLog(state.paths.resultsLogFile(), records, env.clock->now(),
                                      dropNewer, &counts)))
        return 1;
    env.out << QStringLiteral("バックアップの記録 %1 件を戻しました（いまの成績ファイルになかった"
                              "記録 %2 件を含みます）。")
                   .arg(counts.restored)
                   .arg(counts.returned)
            << Qt::endl
            << QStringLiteral("いまの成績ファイルの記録 %1 件を外しました").arg(counts.removed)
            << (dropNewer
                    ? QStringLiteral("（バックアップより新しい %1 件を含みます: --drop-newer）。")
                          .arg(counts.newer)
                    : QStringLiteral("。"))
            << Qt::endl
            << QStringLiteral("バックアップより新しい記録 %1 件を残しました。").arg(counts.kept)
            << Qt::endl;
    if (!counts.beforeCopy.isEmpty())
        env.out << QStringLiteral("戻す前の成績ファイルは %1 にあります（元に戻すときはこれを "
                                  "restore します）。")
                       .arg(QDir::toNativeSeparators(counts.beforeCopy))
                << Qt::endl;
    return 0;
}

void CheckLogLock(const Hensuu1& state, QList<FileError>& problems) {
    const QString log = state.paths.resultsLogFile();
    if (!QDir(state.paths.dataFolder).exists()) return; // told by the other checks
    // Without a log, a file of its own beside it stands in for it.
    const bool probeFile = !QFile::exists(log);
    const QString path =
        probeFile ? state.paths.dataFolder + QStringLiteral("ロック確認.tmp") : log;
    bool made = false; // or left by a check that was stopped: probed all the same
    if (probeFile && WriteNewFileDurably(path, {}, &made))
        return; // a folder we cannot write is told elsewhere
    PlatformFileLock lock;
    QString why;
    const LockProbe found = ProbeLock(path, lock, &why);
    if (probeFile) QFile::remove(path);
    const QString remedy = QStringLiteral(
        "共有フォルダがロックを保てないと、二台で同時に記録したときに記録が失われます。"
        "ネットワークのフォルダなら、NFS はロックを有効にして（nolock を付けずに）、SMB/CIFS は "
        "nobrl を付けずにマウントしてください。");
    if (found == LockProbe::Refused)
        problems.append(
            {path, 0,
             QStringLiteral("このフォルダではファイルをロックできません（%1）。").arg(why) +
                 remedy});
    else if (found == LockProbe::NotSeen)
        problems.append(
            {path, 0,
             QStringLiteral("このフォルダのロックはほかのプロセスに効きません。") + remedy});
}

} // namespace baisuu
