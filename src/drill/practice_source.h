#pragma once
// 苦手練習's problems: most drawn from the pupil's weak numbers on the level,
// the rest by the level's own rule so the pupil still has to judge. The
// engine takes it as any other problem source; `practice-plan` prints what it
// draws.

#include "drill/problem_source.h"
#include "records/weak_set.h"

#include <QHash>
#include <QList>

#include <random>

namespace baisuu {

// The share of problems drawn from the weak numbers.
constexpr double kWeakShare = 0.7;
// No weak number is asked more often than this in one run.
constexpr int kMostPerRun = 3;
// A level with fewer weak numbers than this mixes in its slowest numbers:
// at most kMostPerRun draws each, the share of a run's 20-odd problems needs
// six numbers to draw from.
constexpr int kLeastPool = 6;
// The right answers of a run, when every answer is right: a plan's run length.
constexpr int kRunRights = 20;

// The level's field as the weak set takes it.
QList<FieldRange> FieldOf(const ProblemSource& problems, int level);

// A weak number's pull: more for more wrong answers, for wrong answers among
// the last three (the latest most) and for a median beyond the fluent time.
double DrawWeight(const WeakNumber& weak, qint32 fluentMs);

// The same draws again for the same seed.
class SeededRandom final : public Random {
  public:
    explicit SeededRandom(quint64 seed) : engine_(seed) {}
    double next() override { return std::uniform_real_distribution<double>(0, 1)(engine_); }

  private:
    std::mt19937_64 engine_;
};

class PracticeProblemSource final : public ProblemSource {
  public:
    PracticeProblemSource(const ProblemSource& base, const WeakSet& weak);
    bool hasRule(int level) const override { return base_.hasRule(level); }
    // Never the number just asked; no number of the pool past kMostPerRun in a run.
    Problem make(int level, Random& random) const override;
    QList<NumberGrid> gridsOf(int level) const override { return base_.gridsOf(level); }
    Problem problemFor(int divisor, qint32 number) const override {
        return base_.problemFor(divisor, number);
    }
    // A new run: the counts per number start again.
    void newRun() const { asked_.clear(); }
    // The weak numbers, and the slowest numbers mixed in beside too few of them.
    const QList<WeakNumber>& pool() const { return pool_; }
    // How many problems came from the pool so far.
    int poolDraws() const { return poolDraws_; }

  private:
    bool allowed(qint64 key) const;
    const WeakNumber* pickFromPool(Random& random) const;
    const ProblemSource& base_;
    QList<WeakNumber> pool_;
    QList<double> weights_;
    // The state of the run being drawn; the engine's source is const.
    mutable QHash<qint64, int> asked_;
    mutable qint64 lastKey_ = -1;
    mutable int poolDraws_ = 0;
};

// The first count problems a practice run would draw, runs of kRunRights
// following one another.
QList<Problem> PracticePlan(const ProblemSource& base, const WeakSet& weak, Random& random,
                            int count);

} // namespace baisuu
