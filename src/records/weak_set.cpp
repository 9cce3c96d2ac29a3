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

// What the tally does not keep: the last answers and whether one right answer
// ever came within the fluent time.
struct Recent {
    RecentAnswer ring[kRecentAnswers];
    int count = 0;
    bool fluentOnce = false;
    QList<RecentAnswer> inOrder() const {
        QList<RecentAnswer> out;
        for (int i = std::max(0, count - kRecentAnswers); i < count; ++i)
            out.append(ring[i % kRecentAnswers]);
        return out;
    }
};

unsigned reasonsOf(const LevelTally& level, const NumberTally& n, const Recent& r,
                   qint32 fluentMs) {
    const QList<RecentAnswer> last = r.inOrder();
    const auto fluent = [fluentMs](const RecentAnswer& a) { return a.correct && a.ms <= fluentMs; };
    // Three right and fluent answers in a row let a number go, slow median or not.
    if (last.size() == kRecentAnswers && std::all_of(last.begin(), last.end(), fluent)) return 0;
    unsigned reasons = 0;
    if (std::any_of(last.begin(), last.end(), [](const RecentAnswer& a) { return !a.correct; }))
        reasons |= kWrongLately;
    if (IsSlowNumber(level, n.medianMs)) reasons |= kSlow;
    if (!r.fluentOnce) reasons |= kNotFluent;
    return reasons;
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
        Recent& r = recent[NumberKey(a.divisor, a.number)];
        r.ring[r.count++ % kRecentAnswers] = RecentAnswer{a.correct, a.ms};
        if (a.correct && a.ms <= fluentMs) r.fluentOnce = true;
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
