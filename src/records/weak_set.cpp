#include "records/weak_set.h"

#include <QHash>

#include <algorithm>

namespace baisuu {

namespace {

constexpr int kRecentAnswers = 3;

bool inField(const QList<FieldRange>& field, const Answer& a) {
    return std::any_of(field.begin(), field.end(), [&a](const FieldRange& r) {
        return r.divisor == a.divisor && a.number >= r.first && a.number <= r.last;
    });
}

// What the tally does not keep: the last answers, whether one right answer
// ever came within the fluent time, and whether the number is in the set as
// its answers came (with the reasons it went in with).
struct Recent {
    RecentAnswer ring[kRecentAnswers];
    int count = 0;
    bool fluentOnce = false;
    bool weak = false;
    unsigned cameIn = 0;
    // The last three answers right and each within fluentMs.
    bool settled(qint32 fluentMs) const {
        if (count < kRecentAnswers) return false;
        return std::all_of(std::begin(ring), std::end(ring), [fluentMs](const RecentAnswer& a) {
            return a.correct && a.ms <= fluentMs;
        });
    }
    // A number goes in with a wrong answer among its last three or while no
    // right answer has come within the fluent time, and stays in until its
    // last three answers are right and fluent, whatever came between.
    void take(RecentAnswer a, qint32 fluentMs) {
        ring[count++ % kRecentAnswers] = a;
        if (a.correct && a.ms <= fluentMs) fluentOnce = true;
        if (settled(fluentMs)) {
            weak = false;
            return;
        }
        unsigned now = fluentOnce ? 0u : unsigned(kNotFluent);
        for (int i = 0; i < std::min(count, kRecentAnswers); ++i)
            if (!ring[i].correct) now |= kWrongLately;
        if (now && !weak) {
            weak = true;
            cameIn = now;
        }
    }
    QList<RecentAnswer> inOrder() const {
        QList<RecentAnswer> out;
        for (int i = std::max(0, count - kRecentAnswers); i < count; ++i)
            out.append(ring[i % kRecentAnswers]);
        return out;
    }
};

// The reasons that hold now; a number kept in only because its last three
// answers are not yet right and fluent keeps the reasons it went in with.
unsigned reasonsOf(const LevelTally& level, const NumberTally& n, const Recent& r,
                   qint32 fluentMs) {
    // Three right and fluent answers in a row let a number go, slow median or not.
    if (r.settled(fluentMs)) return 0;
    unsigned reasons = 0;
    for (int i = 0; i < std::min(r.count, kRecentAnswers); ++i)
        if (!r.ring[i].correct) reasons |= kWrongLately;
    if (IsSlowNumber(level, n.medianMs)) reasons |= kSlow;
    if (!r.fluentOnce) reasons |= kNotFluent;
    return reasons ? reasons : r.weak ? r.cameIn : 0;
}

} // namespace

qint32 FluentMs(qint32 targetSeconds) {
    return qint32(qint64(targetSeconds) * 1000 / 20);
}

bool IsSlowNumber(const LevelTally& level, qint32 medianMs) {
    return medianMs >= level.slowFromMs && medianMs > level.medianMs;
}

WeakSet ComputeWeakSet(const QList<Answer>& answers, int level, const QList<FieldRange>& field,
                       qint32 fluentMs) {
    WeakSet set;
    set.level = level;
    set.fluentMs = fluentMs;
    MistakesFilter filter;
    filter.level = level;
    MistakesTally tally(filter);
    QHash<qint64, Recent> recent;
    for (const Answer& a : answers) {
        if (a.level != level || !inField(field, a)) continue;
        tally.add(a);
        recent[NumberKey(a.divisor, a.number)].take(RecentAnswer{a.correct, a.ms}, fluentMs);
    }
    const Mistakes result = tally.result();
    if (result.levels.isEmpty()) return set;
    set.tally = result.levels.first();
    for (const NumberTally& n : set.tally.numbers) {
        const Recent& r = recent[NumberKey(n.divisor, n.number)];
        if (const unsigned reasons = reasonsOf(set.tally, n, r, fluentMs))
            set.numbers.append(WeakNumber{n, reasons, r.inOrder()});
    }
    return set;
}

QString SecondsText(qint32 ms) {
    return QString::number(double(ms) / 1000.0, 'f', 1) + QStringLiteral("秒");
}

} // namespace baisuu
