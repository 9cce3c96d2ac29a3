// Commands that keep the results log safe: backup and restore, and the part of
// `check` that proves the shared folder holds the log's lock.

#include "cli/cli.h"

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
    const QString log = state.paths.resultsLogFile();
    const QDate today = env.clock->now().date();
    if (Failed(env, BackUpResultsLog(log, today, int(keep)))) return 1;
    env.out << QDir::toNativeSeparators(BackupPath(log, today)) << Qt::endl;
    return 0;
}

int CmdRestore(CliEnv& env) {
    if (env.args.size() != 1 || env.args.first().startsWith(QStringLiteral("--")))
        return BadOption(env, QStringLiteral("戻すバックアップのファイルを一つ指定してください"
                                             "（baisuu-cli restore FILE）。"));
    QByteArray records;
    if (Failed(env, ReadRestoreFile(env.args.first(), &records))) return 2;
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    const QString log = state.paths.resultsLogFile();
    const QDate today = env.clock->now().date();
    const bool hadLog = QFile::exists(log);
    if (Failed(env, RestoreResultsLog(log, records, today))) return 1;
    env.out << QStringLiteral("%1 件の記録を戻しました。").arg(records.size() / kRecordSize);
    if (hadLog)
        env.out << QStringLiteral("戻す前の成績ファイルは %1 にあります。")
                       .arg(QDir::toNativeSeparators(BackupPath(log, today)));
    env.out << Qt::endl;
    return 0;
}

void CheckLogLock(const Hensuu1& state, QList<FileError>& problems) {
    const QString log = state.paths.resultsLogFile();
    if (!QDir(state.paths.dataFolder).exists()) return; // told by the other checks
    // Without a log, a file of its own beside it stands in for it.
    const bool probeFile = !QFile::exists(log);
    const QString path =
        probeFile ? state.paths.dataFolder + QStringLiteral("ロック確認.tmp") : log;
    if (probeFile) {
        QFile create(path);
        if (!create.open(QIODevice::WriteOnly))
            return; // a folder we cannot write is told elsewhere
    }
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
