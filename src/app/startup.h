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
// on a thread of its own so that the selection screen does not wait for it. A
// failure is told on standard error and the program goes on without the copy;
// the teacher's hub tells of a copy missing or older than yesterday's, as the
// folder of copies shows it to every machine.
std::future<void> StartDailyBackup(const QString& logPath, QDate today);

} // namespace baisuu
