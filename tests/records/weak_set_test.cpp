// The weak-set rule over a level where most numbers are answered right and
// fast, so the slow mark falls where the cases put it.

#include "records/weak_set.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr int kLevel = 3;
constexpr qint32 kFluentMs = 1000;

struct Case {
    qint32 number;
    QList<RecentAnswer> answers; // oldest first
    unsigned reasons;            // 0: not weak
};

void answer(QList<Answer>& out, int level, qint32 number, RecentAnswer a) {
    Answer x;
    x.level = level;
    x.divisor = 3;
    x.number = number;
    x.correct = a.correct;
    x.ms = a.ms;
    out.append(x);
}

} // namespace

TEST(WeakSet, WrongSlowAndNeverFluentAreWeakUntilThreeRightAndFluent) {
    const QList<Case> cases = {
        {10, {{true, 500}, {false, 500}, {true, 500}}, kWrongLately},
        // Wrong long ago, then three right and fluent: gone.
        {11, {{false, 500}, {true, 500}, {true, 500}, {true, 500}}, 0},
        {12, {{true, 3000}, {true, 900}, {true, 3000}}, kSlow},
        // Right at last but never within the fluent time; fast wrong answers keep the median low.
        {14,
         {{false, 300}, {false, 300}, {false, 300}, {true, 1100}, {true, 1100}, {true, 1100}},
         kNotFluent},
        {15, {{true, 1500}, {false, 2000}, {true, 1200}}, kWrongLately | kSlow | kNotFluent},
        // Wrong, then right but once too slow: still in, for the wrong answer it went in with.
        {17, {{true, 500}, {false, 500}, {true, 1500}, {true, 900}, {true, 900}}, kWrongLately},
        // Slow over all, but its last three were right and fluent: gone.
        {16,
         {{true, 3000},
          {true, 3000},
          {true, 3000},
          {true, 3000},
          {true, 900},
          {true, 900},
          {true, 900}},
         0},
    };
    QList<Answer> answers;
    // The level's middle at 400 ms and its slowest fifth from 950 ms: numbers
    // answered right and fluent, slow ones too, are never weak.
    for (qint32 n = 30; n < 70; ++n)
        for (int i = 0; i < 3; ++i)
            answer(answers, kLevel, n, {true, 400});
    for (qint32 n = 70; n < 85; ++n)
        for (int i = 0; i < 3; ++i)
            answer(answers, kLevel, n, {true, 950});
    for (const Case& c : cases)
        for (const RecentAnswer& a : c.answers)
            answer(answers, kLevel, c.number, a);
    // Wrong answers on another level and outside the field are not looked at;
    // 13 was never shown.
    answer(answers, 4, 11, {false, 500});
    answer(answers, kLevel, 111, {false, 500});

    const WeakSet set = ComputeWeakSet(answers, kLevel, {{3, 1, 110}}, kFluentMs);
    EXPECT_EQ(set.tally.slowFromMs, 950);
    EXPECT_EQ(set.tally.medianMs, 400);
    QList<qint32> weakNumbers;
    for (const WeakNumber& w : set.numbers)
        weakNumbers.append(w.tally.number);
    // The 苦手な数 view's order: most wrong, then slowest.
    EXPECT_EQ(weakNumbers, (QList<qint32>{14, 15, 17, 10, 12}));
    for (const Case& c : cases) {
        const auto it =
            std::find_if(set.numbers.begin(), set.numbers.end(),
                         [&c](const WeakNumber& w) { return w.tally.number == c.number; });
        const unsigned got = it == set.numbers.end() ? 0 : it->reasons;
        EXPECT_EQ(got, c.reasons) << "number " << c.number;
        if (it == set.numbers.end()) continue;
        // The last three answers, oldest first.
        ASSERT_EQ(it->last.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const RecentAnswer& want = c.answers[c.answers.size() - 3 + i];
            EXPECT_EQ(it->last[i].correct, want.correct);
            EXPECT_EQ(it->last[i].ms, want.ms);
        }
    }
    EXPECT_EQ(FluentMs(20), 1000);
    EXPECT_TRUE(ComputeWeakSet({}, kLevel, {{3, 1, 110}}, kFluentMs).numbers.isEmpty());
}

} // namespace baisuu
