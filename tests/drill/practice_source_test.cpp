// The 苦手練習 draw with a fixed seed: its share of weak numbers, its limits
// per run, and the slowest numbers mixed in beside too few weak ones.

#include "drill/practice_source.h"

#include <QSet>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr int kLevel = 7;

// Numbers 1..shown of the level answered, each slower than the one before;
// the first `weak` of them weak, the first weak one wrong most often.
WeakSet weakSetOf(int weak, int shown) {
    WeakSet set;
    set.level = kLevel;
    set.fluentMs = 1000;
    for (qint32 n = 1; n <= shown; ++n) {
        const NumberTally t{kLevel, n, 5, n <= weak ? (n == 1 ? 5 : 1) : 0, 500 + 10 * n};
        set.tally.numbers.append(t);
        if (n <= weak) set.numbers.append(WeakNumber{t, kWrongLately, {{false, 900}}});
    }
    return set;
}

} // namespace

TEST(PracticeSource, DrawsAboutSeventyPercentWeakWithinTheRunLimits) {
    struct Case {
        int weak;
        int shown;
        QList<qint32> pool; // the numbers drawn from as weak
    };
    const QList<Case> cases = {
        {12, 40, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        // Too few weak numbers: the slowest of the others beside them.
        {1, 40, {1, 40, 39, 38, 37, 36}},
        {4, 40, {1, 2, 3, 4, 40, 39}},
        {0, 40, {40, 39, 38, 37, 36, 35}},
        {2, 2, {1, 2}},
    };
    const MultiplesProblemSource rule;
    for (const Case& c : cases) {
        const WeakSet set = weakSetOf(c.weak, c.shown);
        const PracticeProblemSource source(rule, set);
        QList<qint32> pool;
        for (const WeakNumber& w : source.pool())
            pool.append(w.tally.number);
        EXPECT_EQ(pool, c.pool) << c.weak << " weak";

        SeededRandom random(27);
        constexpr int kRuns = 500;
        qint64 lastKey = -1;
        QHash<qint32, int> perNumber;
        for (int run = 0; run < kRuns; ++run) {
            source.newRun();
            QHash<qint32, int> inRun;
            for (int i = 0; i < kRunRights; ++i) {
                const Problem p = source.make(kLevel, random);
                ASSERT_EQ(p.divisor, kLevel);
                const qint64 key = p.number;
                EXPECT_NE(key, lastKey) << "the same number twice in a row";
                lastKey = key;
                if (c.pool.contains(p.number)) {
                    EXPECT_LE(++inRun[p.number], kMostPerRun);
                }
                ++perNumber[p.number];
            }
        }
        if (c.shown < kLeastPool) continue;
        const double share = double(source.poolDraws()) / (kRuns * kRunRights);
        EXPECT_GE(share, 0.65);
        EXPECT_LE(share, 0.75);
        // The number wrong most often is drawn more than one wrong once.
        if (c.weak >= 2) {
            EXPECT_GT(perNumber[1], perNumber[2]);
        }
    }
}

TEST(PracticeSource, ThePlanIsTheSameForTheSameSeed) {
    const MultiplesProblemSource rule;
    const WeakSet set = weakSetOf(5, 30);
    SeededRandom a(3), b(3), c(4);
    const auto numbers = [](const QList<Problem>& plan) {
        QList<qint32> out;
        for (const Problem& p : plan)
            out.append(p.number);
        return out;
    };
    const QList<qint32> plan = numbers(PracticePlan(rule, set, a, 40));
    EXPECT_EQ(plan.size(), 40);
    EXPECT_EQ(plan, numbers(PracticePlan(rule, set, b, 40)));
    EXPECT_NE(plan, numbers(PracticePlan(rule, set, c, 40)));
}

} // namespace baisuu
