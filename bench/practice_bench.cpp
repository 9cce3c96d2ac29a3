// 苦手練習's model for a pupil with 100 000 answers: the weak set of one level
// and a plan of 40 problems, with the answers spread over every level and
// with all of them on the mixed level 11.

#include "drill/practice_source.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace baisuu;

namespace {

constexpr int kAnswers = 100000;

QList<Answer> benchAnswers(bool oneLevel) {
    std::mt19937 draw{2026};
    const MultiplesProblemSource rule;
    QList<Answer> out;
    out.reserve(kAnswers);
    for (int i = 0; i < kAnswers; ++i) {
        const int level = oneLevel ? 11 : 1 + int(draw() % 11);
        const QList<NumberGrid> grids = rule.gridsOf(level);
        const NumberGrid& g = grids[qsizetype(draw() % grids.size())];
        const qint32 number = g.first + qint32(draw() % quint32(g.last - g.first + 1));
        out.append({QDate(2026, 12, 9), i % 86400, level, g.divisor, number, draw() % 2 ? 1 : 3,
                    draw() % 8 != 0, qint32(400 + draw() % 3000)});
    }
    return out;
}

void weakSetAndPlan(benchmark::State& state, bool oneLevel) {
    const QList<Answer> answers = benchAnswers(oneLevel);
    const MultiplesProblemSource rule;
    const QList<FieldRange> field = FieldOf(rule, 11);
    for (auto _ : state) {
        const WeakSet weak = ComputeWeakSet(answers, 11, field, FluentMs(30));
        SeededRandom random(1);
        benchmark::DoNotOptimize(PracticePlan(rule, weak, random, 40));
    }
}

void BM_WeakSetAndPlanSpread(benchmark::State& state) {
    weakSetAndPlan(state, false);
}
void BM_WeakSetAndPlanOneLevel(benchmark::State& state) {
    weakSetAndPlan(state, true);
}

} // namespace

BENCHMARK(BM_WeakSetAndPlanSpread)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(BM_WeakSetAndPlanOneLevel)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK_MAIN();
