#pragma once
// What the splash hands over to: reading the installation into the context.

#include "context/app_context.h"

#include <optional>

namespace baisuu {

// The configuration, the criteria and the sound list, in the order the program
// needs them. A FileError when the program cannot go on.
std::optional<FileError> LoadInstallation(AppContext& ctx, const QString& programDir);

// Signs a pupil in directly (as the selection screen will): number, name from
// the roster, the sign-in time, the level catalogue and the tallies.
void SignIn(AppContext& ctx, int pupil);

} // namespace baisuu
