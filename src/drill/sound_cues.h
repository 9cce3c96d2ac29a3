#pragma once
// Playing the sound events. Each call returns at once; `done` runs once the
// sound has ended (or failed), so a caller that must wait for the end of a
// sound — the drill shows its next problem only then — continues there and
// the screen stays responsive meanwhile.

#include "core/app_context.h"

#include <functional>

using CueDone = std::function<void()>;

// The answer cues count failures in a row: three pass silently, a success
// starts the count again, and the fourth tells the pupil to call the teacher
// and ends the program (done is then never called).
void PlayCorrectCue(AppContext& ctx, CueDone done = {});
void PlayWrongCue(AppContext& ctx, CueDone done = {});

// The outcome cues ignore failures.
void PlayPersonalBestCue(AppContext& ctx, CueDone done = {});
void PlayPassTimeCue(AppContext& ctx, CueDone done = {});
void PlaySchoolBestCue(AppContext& ctx, CueDone done = {});  // 最高1.wav
void PlayGoalClearedCue(AppContext& ctx, CueDone done = {}); // 合格.wav

// The box that precedes the end of the program after the fourth failure.
QString SoundErrorTitle();
QString SoundErrorText(const QString& playerError);
