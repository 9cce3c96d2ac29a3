#pragma once
// 苦手練習 around the drill: a run on the pupil's weak numbers of one level,
// started from the 苦手な数 page or the hub. Nothing of it reaches the results
// log (no points, no clearing, no overdo count); its answers go to the
// pupil's answers file marked as practice, and its finish screen tells which
// numbers left the weak set.

#include "context/app_context.h"
#include "drill/problem_source.h"

namespace baisuu {

// The pupil's weak set on level from the pupil's whole answers file, as the
// practice run, its finish and `practice-plan` take it.
WeakSet LevelWeakSet(const QList<Answer>& answers, const ProblemSource& problems, int level,
                     qint32 targetSeconds);

// Reads the current pupil's answers and starts a practice run of level. A
// level that cannot be run, an unreadable answers file or a level without
// weak numbers is told in a box and nothing starts. Returns whether it started.
bool StartPractice(AppContext& ctx, int level);

// One number the run asked that was weak before it or is weak after it.
struct PracticedNumber {
    int divisor = 0;
    qint32 number = 0;
    QString name;               // "24", or "24（8の倍数）" on a level of several grids
    QList<RecentAnswer> answers; // this run's answers to it, in order
    bool graduated = false;     // weak before the run, not after it
    bool weakNow = false;
};

struct PracticeFinishReport {
    QString levelName;
    QString pupilName;
    QString timeText;      // "練習タイム：35秒", or "時間切れ"
    QList<PracticedNumber> numbers; // in the order first asked
    int graduated = 0;
    int remaining = 0;     // the weak set's size after the run
    QString graduatedText; // "卒業 3個"
    QString remainingText; // "苦手な数 のこり 5個", or that none are left
};

// The finished practice run in ctx.drill.practice, its answers included.
PracticeFinishReport PreparePracticeFinish(const AppContext& ctx);

// "○ 0.8秒" / "× 1.4秒": one answer on the finish screen.
QString PracticeAnswerText(const RecentAnswer& answer);

} // namespace baisuu
