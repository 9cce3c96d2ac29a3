#pragma once
// The screenshot tour's steps: what each state waits for and what it does.

#include "context/app_context.h"

#include <span>

namespace baisuu {

class ShiftableClock;
class Stage;

// What the steps of one tour share; it lives as long as the tour's timers.
struct TourState {
    AppContext& ctx;
    Stage& stage;
    ShiftableClock& clock;
    QString dir;
    // A run answered to its end moves the clock on by this much before its
    // last answer, so the run's time can be chosen.
    qint64 lastShiftMs = 0;

    void shot(const QString& name) const;
};

// One state of the tour: once ready() holds and delayMs more have passed, act().
// An act that returns false is done again at the next readiness (for the run
// of answers that makes up one step).
struct TourStep {
    bool (*ready)(TourState&);
    int delayMs;
    bool (*act)(TourState&);
};

std::span<const TourStep> TourSteps();

} // namespace baisuu
