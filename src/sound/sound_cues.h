#pragma once
// Playing the sound events. Each call returns at once; `done` runs once the
// sound has ended (or failed), so a caller that must wait for the end of a
// sound — the drill shows its next problem only then — continues there and
// the screen stays responsive meanwhile.

#include "core/navigator.h"
#include "core/services.h"
#include "sound/sound_cue_table.h"

#include <functional>

namespace baisuu {

using CueDone = std::function<void()>;

// What playing a cue uses: the player, the cue list (which also counts the
// answer cues' failures in a row), the folder of the sound files, the draw
// among a cue's files, and the navigator that tells of the fourth failure.
// Every member outlives the cue: they all belong to the program's context.
struct CueDevices {
    SoundPlayer& player;
    SoundCueTable& table;
    const QString& folder;
    Random& random;
    Navigator& navigator;
};

// The answer cues count failures in a row: three pass silently, a success
// starts the count again, and the fourth tells the pupil to call the teacher
// and ends the program (done is then never called).
void PlayCorrectCue(const CueDevices& cues, CueDone done = {});
void PlayWrongCue(const CueDevices& cues, CueDone done = {});

// The outcome cues ignore failures.
void PlayPersonalBestCue(const CueDevices& cues, CueDone done = {});
void PlayPassTimeCue(const CueDevices& cues, CueDone done = {});
void PlaySchoolBestCue(const CueDevices& cues, CueDone done = {});  // 最高1.wav
void PlayGoalClearedCue(const CueDevices& cues, CueDone done = {}); // 合格.wav

// The box that precedes the end of the program after the fourth failure.
QString SoundErrorTitle();
QString SoundErrorText(const QString& playerError);

} // namespace baisuu
