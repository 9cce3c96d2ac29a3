#pragma once
// What the splash hands over to: reading the installation into the context.

#include "context/app_context.h"

#include <QDate>

#include <future>
#include <optional>

namespace baisuu {

// The configuration, the criteria and the sound list, in the order the program
// needs them. A FileError when the program cannot go on.
std::optional<FileError> LoadInstallation(AppContext& ctx, const QString& programDir);

// Signs a pupil in directly (as the selection screen will): number, name from
// the roster, the sign-in time, the level catalogue and the tallies.
void SignIn(AppContext& ctx, int pupil);

// Makes the day's copy of the results log, when no machine has made it yet,
// then, when database names the head office's database, syncs the school of
// state into it. Returns why the sync failed (empty when it succeeded or
// there is none). Both failures are told on standard error; the program goes
// on without the copy and the sync, and the teacher's hub tells of a copy
// missing or older than yesterday's (the folder of copies shows it to every
// machine) and of the failed sync (ctx.chainSyncFailure).
QString DailyBackupAndSync(const QString& database, const Hensuu1& state,
                           const CriteriaTable& criteria, QDate today);

// Runs DailyBackupAndSync for ctx with the database the settings name, on a
// thread of its own with copies of the state and criteria, so that neither
// the selection screen nor a drill waits for the disk or the network. Every
// start syncs, as the school's machines add runs between starts.
std::future<void> StartDailyBackup(const AppContext& ctx, const QString& database);

} // namespace baisuu
