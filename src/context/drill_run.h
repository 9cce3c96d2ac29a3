#pragma once
// The state of one timed run, shared by StartRun, the drill screen, FinishRun
// and the finish screen (it lives in the AppContext for the program's life).

#include "records/answers_file.h"
#include "records/results.h"
#include "records/weak_set.h"

#include <QtGlobal>

#include <optional>

namespace baisuu {

// A finished run that the results log did not take (no right to write, a full
// disk): kept with its answers, so the finish screen can record it once the
// trouble is mended.
struct UnrecordedRun {
    RunToRecord record;
    QList<Answer> answers;
};

// A 苦手練習 run: its problems come from the weak set it started with, and
// its finish compares that set with the one its answers leave.
struct PracticeRun {
    WeakSet before;
    QList<FieldRange> field;
    QList<Answer> earlier; // the pupil's answers before the run
    QList<Answer> answers; // the run's own, once it is finished
};

struct DrillRun {
    qint16 problemCount = 20; // net correct answers needed
    qint32 correctCount = 0;  // never below 0
    qint16 judgeResult = 0;   // 0 none pending, 1 right, 2 wrong
    qint16 keyLock = 0;       // 1 from an answer until the next problem is shown
    qint16 timeUp = 0;        // 1 once the time limit was reached
    qint16 stopped = 0;       // 1 once the last needed correct answer was given
    qint16 finishing = 0;     // 1 once FinishRun has begun
    // Monotonic milliseconds at スタート, moved 10 000 earlier per wrong answer.
    // Wall-clock seconds since midnight would jump at midnight or a clock change.
    qint64 startMs = 0;
    qint32 elapsedSeconds = 0;
    qint32 timeLimit = 0;    // 5 × passTime
    double barScale = 0;     // time-bar pixels per second
    qint32 recordedTime = 0; // elapsedSeconds, or 99999 after a time-out
    std::optional<UnrecordedRun> unrecorded; // set while the finished run is not in the log
    std::optional<PracticeRun> practice;     // set for a 苦手練習 run, which the log never sees
};

} // namespace baisuu
