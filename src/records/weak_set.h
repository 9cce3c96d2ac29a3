#pragma once
// A pupil's weak numbers on one level: the numbers not yet answered right and
// fast, kept until their last three answers are. The 苦手な数 view, the
// practice draw and `baisuu-cli practice-plan` all take them from here.

#include "records/mistakes.h"

#include <QList>

namespace baisuu {

// The numbers one divisor of a level can show, first to last. The level's
// grids are the whole field: answers outside it are not looked at.
struct FieldRange {
    int divisor = 0;
    qint32 first = 0;
    qint32 last = 0;
};

// The per-answer time a fluent pupil keeps: the level's target time (seconds
// for the whole run of 20) over its 20 answers, in milliseconds.
qint32 FluentMs(qint32 targetSeconds);

// The 苦手な数 view's slow mark: a median among the slowest fifth of the
// level's answer times, and above the level's middle (every time alike would
// otherwise mark every number).
bool IsSlowNumber(const LevelTally& level, qint32 medianMs);

struct RecentAnswer {
    bool correct = false;
    qint32 ms = 0;
};

enum WeakReason : unsigned { kWrongLately = 1, kSlow = 2, kNotFluent = 4 };

struct WeakNumber {
    NumberTally tally;        // shown, wrong and median over every answer
    unsigned reasons = 0;     // WeakReason bits
    QList<RecentAnswer> last; // the last three answers, oldest first
};

struct WeakSet {
    int level = 0;
    qint32 fluentMs = 0;
    // Every shown number of the field, in the view's most-missed order.
    LevelTally tally;
    // The weak ones, in the same order.
    QList<WeakNumber> numbers;
};

// "2.4秒": whole milliseconds in seconds to one decimal.
QString SecondsText(qint32 ms);

// The weak set from the pupil's whole answers file (practice answers too).
WeakSet ComputeWeakSet(const QList<Answer>& answers, int level, const QList<FieldRange>& field,
                       qint32 fluentMs);

} // namespace baisuu
