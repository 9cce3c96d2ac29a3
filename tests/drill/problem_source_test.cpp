#include "drill/problem_source.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

Problem make(int level, QList<double> draws) {
    ScriptedRandom random(std::move(draws));
    return MultiplesProblemSource().make(level, random);
}

} // namespace

TEST(ProblemSource, OddEvenLevelsShowZeroAsEvenAndTheirRanges) {
    const Problem zero = make(1, {0.0});
    EXPECT_EQ(zero.number, 0);
    EXPECT_EQ(zero.divisor, 1);
    EXPECT_EQ(zero.correctKey, 2);
    EXPECT_EQ(zero.question, QStringLiteral("偶数か奇数か"));
    EXPECT_EQ(zero.firstAnswer, QStringLiteral("奇数(1をおせ)"));
    EXPECT_EQ(zero.secondAnswer, QStringLiteral("偶数(3をおせ)"));
    EXPECT_EQ(make(1, {0.999999}).number, 9);
    EXPECT_EQ(make(1, {0.75}).correctKey, 1); // 7 is odd

    EXPECT_EQ(make(2, {0.0}).number, 10);
    EXPECT_EQ(make(2, {0.999999}).number, 99);
    EXPECT_EQ(make(2, {0.5}).number, 55);
    EXPECT_EQ(make(2, {0.5}).correctKey, 1);
}

TEST(ProblemSource, MixedLevelDrawsNForEveryProblemAndAsksOddEvenForOneAndTwo) {
    // n = Int(10R + 1): 0.0 gives 1, so 0..9 and 0 is even.
    const Problem one = make(11, {0.0, 0.0});
    EXPECT_EQ(one.divisor, 1);
    EXPECT_EQ(one.number, 0);
    EXPECT_EQ(one.correctKey, 2);
    EXPECT_EQ(one.question, QStringLiteral("偶数か奇数か"));

    const Problem two = make(11, {0.15, 0.5});
    EXPECT_EQ(two.divisor, 2);
    EXPECT_EQ(two.number, 55);
    EXPECT_EQ(two.secondAnswer, QStringLiteral("偶数(3をおせ)"));

    const Problem ten = make(11, {0.95, 0.2, 0.0});
    EXPECT_EQ(ten.divisor, 10);
    EXPECT_EQ(ten.number, 10);
    EXPECT_EQ(ten.question, QStringLiteral("10の倍数か"));
    EXPECT_EQ(ten.firstAnswer, QStringLiteral("違う(1をおせ)"));
    EXPECT_EQ(ten.secondAnswer, QStringLiteral("10の倍数(3をおせ)"));
    EXPECT_EQ(ten.correctKey, 2);
}

TEST(ProblemSource, MultiplesLieBetweenNAndNTimesHundredOverNPlusOne) {
    for (int n = 3; n <= 10; ++n) {
        SCOPED_TRACE(n);
        const Problem low = make(n, {0.1, 0.0});
        EXPECT_EQ(low.number, n);
        EXPECT_EQ(low.correctKey, 2);
        const Problem high = make(n, {0.1, 0.999999});
        EXPECT_EQ(high.number, n * (100 / n + 1));
        EXPECT_EQ(high.number % n, 0);
    }
    EXPECT_EQ(make(3, {0.4, 0.999999}).number, 102);
    EXPECT_EQ(make(10, {0.4, 0.999999}).number, 110);
    // 62.5 rounds half to even (62), so 62 \ 7 = 8 gives 63, not 70.
    EXPECT_EQ(make(7, {0.0, 0.625}).number, 63);
    EXPECT_EQ(make(7, {0.0, 0.625}).question, QStringLiteral("7の倍数か"));
}

TEST(ProblemSource, NonMultiplesAreRedrawnUntilNotDivisible) {
    // 0.025 → 3 and 0.055 → 6 are multiples of 3; 0.065 → 7 is taken.
    const Problem p = make(3, {0.5, 0.025, 0.055, 0.065});
    EXPECT_EQ(p.number, 7);
    EXPECT_EQ(p.correctKey, 1);
    EXPECT_EQ(make(3, {0.5, 0.999999}).number, 100);
    EXPECT_EQ(make(10, {0.7, 0.0}).number, 1);
    EXPECT_FALSE(MultiplesProblemSource().hasRule(12));
    EXPECT_FALSE(MultiplesProblemSource().hasRule(0));
    EXPECT_TRUE(MultiplesProblemSource().hasRule(11));
}

} // namespace baisuu
