#pragma once
// What the finish screen tells about a recorded run: time, points, counts,
// the outcome (time-out, school best, personal best) with its sound, the
// level and goal clearing, and which buttons the pupil gets afterwards; or,
// for a run the log did not take, that it is not recorded yet.

#include "context/app_context.h"

#include <functional>
#include <optional>

namespace baisuu {

enum class FinishCue { None, SchoolBest, PersonalBest, PassTime };

struct FinishReport {
    QString contentName;       // Label15
    QString levelName;         // Label16
    QString pupilName;         // Label17
    QString timeText;          // Label18
    QString pointsText;        // Label19
    QString levelCountText;    // Label13
    QString dayCountText;      // Label14
    QString outcomeText;       // Label20; empty: stays hidden
    bool levelCleared = false; // Label2 "このレベルクリア" shown
    bool goalBanner = false;   // Picture1 shown until the buttons appear
    FinishCue cue = FinishCue::None;
    bool goalClearedCue = false;
    std::optional<FileError> error; // the tallies could not be read
};

// Form_Activate's decisions: recomputes the tallies (so they include this run),
// reads the outcome flags of the recorded run and clears them at once, so a
// new run started while a cue still plays begins with clear flags.
FinishReport PrepareFinish(AppContext& ctx);

// What the finish screen tells about a finished run the results log did not
// take (ctx.drill.unrecorded): its time and points, and that it is not
// recorded; no counts, no outcome, no cue.
FinishReport UnrecordedFinish(const AppContext& ctx);

// The points line: "獲得ポイント：" base "点×" factor "→" total "点".
QString PointsLine(const LevelCriteria& criteria, qint32 recordedTime);

// Plays the outcome cue and then, at the goal level cleared for the first
// time, the goal cue; `done` runs after the last one.
void PlayFinishCues(AppContext& ctx, const FinishReport& report, std::function<void()> done = {});

// What Timer1 does with the buttons, half a second after the screen opened.
struct FinishButtons {
    bool retryShown = true; // Command5 "もう一度"
    bool recordAgainShown = false; // "もう一度記録する", while the run is not recorded
    enum class Label2 { Keep, EmptyAndHide, MoveOn } label2 = Label2::Keep;
};
FinishButtons Timer1Buttons(const AppContext& ctx, const FinishReport& report);
QString MoveOnText(); // "次のレベルへ進みましょう"
QString RecordAgainText(); // "もう一度記録する"

} // namespace baisuu
