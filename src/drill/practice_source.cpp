#include "drill/practice_source.h"

#include <algorithm>

namespace baisuu {

namespace {

// A level's own rule may keep landing on a number not allowed just now (the
// one just asked, one asked enough): this many tries, then it is taken.
constexpr int kRedraws = 50;

// The weak numbers, then the slowest shown numbers beside too few of them.
QList<WeakNumber> poolOf(const WeakSet& weak) {
    QList<WeakNumber> pool = weak.numbers;
    if (pool.size() >= kLeastPool) return pool;
    QList<NumberTally> others;
    for (const NumberTally& n : weak.tally.numbers)
        if (std::none_of(pool.begin(), pool.end(), [&n](const WeakNumber& w) {
                return w.tally.divisor == n.divisor && w.tally.number == n.number;
            }))
            others.append(n);
    std::stable_sort(others.begin(), others.end(),
                     [](const auto& a, const auto& b) { return a.medianMs > b.medianMs; });
    for (const NumberTally& n : others) {
        if (pool.size() >= kLeastPool) break;
        pool.append(WeakNumber{n, 0, {}});
    }
    return pool;
}

} // namespace

QList<FieldRange> FieldOf(const ProblemSource& problems, int level) {
    QList<FieldRange> field;
    for (const NumberGrid& g : problems.gridsOf(level))
        field.append(FieldRange{g.divisor, g.first, g.last});
    return field;
}

double DrawWeight(const WeakNumber& weak, qint32 fluentMs) {
    double w = 1 + std::min(weak.tally.wrong, 6) / 2.0;
    for (qsizetype i = 0; i < weak.last.size(); ++i)
        if (!weak.last[i].correct) w += double(i + 1 + (3 - weak.last.size()));
    if (fluentMs > 0) w += std::min(double(weak.tally.medianMs) / fluentMs, 3.0);
    return w;
}

PracticeProblemSource::PracticeProblemSource(const ProblemSource& base, const WeakSet& weak)
    : base_(base), pool_(poolOf(weak)) {
    for (const WeakNumber& n : pool_)
        weights_.append(DrawWeight(n, weak.fluentMs));
}

bool PracticeProblemSource::allowed(qint64 key) const {
    return key != lastKey_ && asked_.value(key) < kMostPerRun;
}

const WeakNumber* PracticeProblemSource::pickFromPool(Random& random) const {
    double total = 0;
    for (qsizetype i = 0; i < pool_.size(); ++i)
        if (allowed(NumberKey(pool_[i].tally.divisor, pool_[i].tally.number))) total += weights_[i];
    if (total <= 0) return nullptr;
    double at = random.next() * total;
    const WeakNumber* picked = nullptr;
    for (qsizetype i = 0; i < pool_.size(); ++i) {
        if (!allowed(NumberKey(pool_[i].tally.divisor, pool_[i].tally.number))) continue;
        picked = &pool_[i];
        if ((at -= weights_[i]) < 0) break;
    }
    return picked;
}

Problem PracticeProblemSource::make(int level, Random& random) const {
    Problem p;
    const WeakNumber* weak = random.next() < kWeakShare ? pickFromPool(random) : nullptr;
    if (weak) {
        p = base_.problemFor(weak->tally.divisor, weak->tally.number);
        ++poolDraws_;
    } else {
        for (int i = 0; i < kRedraws; ++i) {
            p = base_.make(level, random);
            if (allowed(NumberKey(p.divisor, p.number))) break;
        }
    }
    lastKey_ = NumberKey(p.divisor, p.number);
    ++asked_[lastKey_];
    return p;
}

QList<Problem> PracticePlan(const ProblemSource& base, const WeakSet& weak, Random& random,
                            int count) {
    const PracticeProblemSource source(base, weak);
    QList<Problem> plan;
    for (int i = 0; i < count; ++i) {
        if (i % kRunRights == 0) source.newRun();
        plan.append(source.make(weak.level, random));
    }
    return plan;
}

} // namespace baisuu
