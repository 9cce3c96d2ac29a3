// 苦手練習 against ordinary runs, with simulated pupils. Each pupil has, per
// number of the level's field, a hidden chance of a wrong answer and a hidden
// speed; a right answer lowers the chance by a fixed step and speeds a slow
// number up a little. After a history of ordinary runs, the same pupil does 10
// practice runs or 10 ordinary runs; the bench counts how many of the starting
// weak numbers left the weak set, as medians over 100 pupils, and the share of
// practice problems drawn from the weak pool. Fixed seeds: the same table each
// time.

#include "drill/practice_source.h"

#include <QDate>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace baisuu {
namespace {

constexpr int kPupils = 100;
constexpr int kHistoryRuns = 10;
constexpr int kRuns = 10;
constexpr qint32 kTargetSeconds = 40;

// The hidden pupil: most numbers easy, some hard, and practice helps.
constexpr double kHardShare = 0.15;
constexpr double kEasyWrong = 0.02;
constexpr double kHardWrongLow = 0.30, kHardWrongHigh = 0.50;
constexpr double kEasyMs = 1200;
constexpr double kHardMsLow = 2500, kHardMsHigh = 4000;
constexpr double kWrongStep = 0.05;  // a right answer lowers the wrong chance by this
constexpr double kWrongFloor = 0.02; // a slip stays possible
constexpr double kSpeedUp = 0.90;    // a right answer of a slow number: its speed times this
constexpr double kNoiseLow = 0.80, kNoiseHigh = 1.25; // one answer's ms: speed times this

struct Hidden {
    double wrong = 0;
    double ms = 0;
};

struct Pupil {
    QHash<qint64, Hidden> hidden;
    QList<Answer> answers;
    int runs = 0; // one run a day, so the answers' dates go up
};

double uniform(std::mt19937_64& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}

Pupil makePupil(const QList<FieldRange>& field, quint64 seed) {
    std::mt19937_64 rng(seed);
    Pupil p;
    for (const FieldRange& r : field)
        for (qint32 x = r.first; x <= r.last; ++x) {
            Hidden h{kEasyWrong, kEasyMs};
            if (uniform(rng, 0, 1) < kHardShare)
                h = {uniform(rng, kHardWrongLow, kHardWrongHigh),
                     uniform(rng, kHardMsLow, kHardMsHigh)};
            p.hidden.insert(NumberKey(r.divisor, x), h);
        }
    return p;
}

// One run as the drill counts it: problems until kRunRights net right answers,
// a wrong answer taking one right back (never below none). Returns the problems.
int doRun(Pupil& p, const ProblemSource& source, int level, Random& draw, std::mt19937_64& behave,
          bool practice) {
    const QDate day = QDate(2026, 4, 1).addDays(p.runs++);
    int second = 16 * 3600;
    int net = 0, problems = 0;
    while (net < kRunRights) {
        const Problem q = source.make(level, draw);
        Hidden& h = p.hidden[NumberKey(q.divisor, q.number)];
        const bool correct = uniform(behave, 0, 1) >= h.wrong;
        const qint32 ms = qint32(h.ms * uniform(behave, kNoiseLow, kNoiseHigh));
        const int rightKey = q.correctKey == 1 ? 1 : 3;
        p.answers.append(Answer{day, second, level, q.divisor, q.number,
                                correct ? rightKey : 4 - rightKey, correct, ms, practice});
        second += ms / 1000 + 1;
        ++problems;
        if (correct) {
            ++net;
            h.wrong = std::max(kWrongFloor, h.wrong - kWrongStep);
            if (h.ms > kEasyMs) h.ms = std::max(kEasyMs, h.ms * kSpeedUp);
        } else {
            net = std::max(0, net - 1);
        }
    }
    return problems;
}

QSet<qint64> weakKeys(const WeakSet& weak) {
    QSet<qint64> keys;
    for (const WeakNumber& n : weak.numbers)
        keys.insert(NumberKey(n.tally.divisor, n.tally.number));
    return keys;
}

int leftOf(const QSet<qint64>& start, const WeakSet& now) {
    const QSet<qint64> still = weakKeys(now);
    return int(std::count_if(start.begin(), start.end(),
                             [&still](qint64 k) { return !still.contains(k); }));
}

struct Arm {
    std::vector<int> leftAfter;          // per run, cumulative
    std::vector<double> poolSize, share; // per practice run
    int problems = 0;
    int poolDraws = 0;
};

// kRuns runs from the pupil's state (a copy), practice or ordinary, with the
// same seeds for both so they differ only in what is drawn.
Arm runArm(Pupil p, const QSet<qint64>& start, int level, const QList<FieldRange>& field,
           bool practice, quint64 seed) {
    const MultiplesProblemSource rule;
    const qint32 fluent = FluentMs(kTargetSeconds);
    SeededRandom draw(seed);
    std::mt19937_64 behave(seed ^ 0x9e3779b97f4a7c15ULL);
    Arm arm;
    WeakSet weak = ComputeWeakSet(p.answers, level, field, fluent);
    for (int run = 0; run < kRuns; ++run) {
        if (practice) {
            const PracticeProblemSource source(rule, weak);
            source.newRun();
            const int problems = doRun(p, source, level, draw, behave, true);
            arm.problems += problems;
            arm.poolDraws += source.poolDraws();
            arm.poolSize.push_back(double(source.pool().size()));
            arm.share.push_back(100.0 * source.poolDraws() / problems);
        } else {
            arm.problems += doRun(p, rule, level, draw, behave, false);
        }
        weak = ComputeWeakSet(p.answers, level, field, fluent);
        arm.leftAfter.push_back(leftOf(start, weak));
    }
    return arm;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct LevelResult {
    std::vector<double> startWeak, practiceLeft[kRuns], ordinaryLeft[kRuns], share;
    std::vector<double> poolSize[kRuns], runShare[kRuns];
};

LevelResult simulateLevel(int level) {
    const MultiplesProblemSource rule;
    const QList<FieldRange> field = FieldOf(rule, level);
    LevelResult out;
    for (int i = 0; i < kPupils; ++i) {
        const quint64 seed = quint64(level) * 100000 + quint64(i) * 10;
        Pupil pupil = makePupil(field, seed + 1);
        SeededRandom draw(seed + 2);
        std::mt19937_64 behave(seed + 3);
        for (int run = 0; run < kHistoryRuns; ++run)
            doRun(pupil, rule, level, draw, behave, false);
        const QSet<qint64> start =
            weakKeys(ComputeWeakSet(pupil.answers, level, field, FluentMs(kTargetSeconds)));
        out.startWeak.push_back(double(start.size()));
        const Arm practice = runArm(pupil, start, level, field, true, seed + 4);
        const Arm ordinary = runArm(pupil, start, level, field, false, seed + 4);
        for (int r = 0; r < kRuns; ++r) {
            out.practiceLeft[r].push_back(practice.leftAfter[size_t(r)]);
            out.ordinaryLeft[r].push_back(ordinary.leftAfter[size_t(r)]);
            out.poolSize[r].push_back(practice.poolSize[size_t(r)]);
            out.runShare[r].push_back(practice.share[size_t(r)]);
        }
        out.share.push_back(100.0 * practice.poolDraws / practice.problems);
    }
    return out;
}

void printLevel(int level, const char* name, const LevelResult& r) {
    const MultiplesProblemSource rule;
    int fieldSize = 0;
    for (const FieldRange& f : FieldOf(rule, level))
        fieldSize += f.last - f.first + 1;
    std::printf("\nlevel %d (%s), field %d numbers, fluent %d ms\n", level, name, fieldSize,
                FluentMs(kTargetSeconds));
    std::printf("  starting weak numbers (median): %.1f\n", median(r.startWeak));
    std::printf("%-40s", "  left the weak set, median after run");
    for (int k = 1; k <= kRuns; ++k)
        std::printf("%5d", k);
    std::printf("\n    苦手練習%28s", "");
    for (int k = 0; k < kRuns; ++k)
        std::printf("%5.1f", median(r.practiceLeft[k]));
    std::printf("\n%-40s", "    ordinary runs");
    for (int k = 0; k < kRuns; ++k)
        std::printf("%5.1f", median(r.ordinaryLeft[k]));
    std::printf("\n%-40s", "  practice pool size at the run's start");
    for (int k = 0; k < kRuns; ++k)
        std::printf("%5.1f", median(r.poolSize[k]));
    std::printf("\n%-40s", "  % of the run's problems from the pool");
    for (int k = 0; k < kRuns; ++k)
        std::printf("%5.0f", median(r.runShare[k]));
    const double p = median(r.practiceLeft[kRuns - 1]), o = median(r.ordinaryLeft[kRuns - 1]);
    std::printf("\n  after %d runs: practice %.1f, ordinary %.1f, ratio ", kRuns, p, o);
    if (o > 0)
        std::printf("%.2f", p / o);
    else
        std::printf("n/a");
    const char* verdict = o > 0 ? (p / o >= 3 ? "met" : "MISSED") : p > 0 ? "met" : "n/a";
    std::printf(" (goal >= 3) %s\n", verdict);
    const double s = median(r.share);
    std::printf("  practice problems from the pool (median): %.1f %% (goal 65-75 %%) %s\n", s,
                s >= 65 && s <= 75 ? "met" : "MISSED");
    if (median(r.startWeak) < kLeastPool)
        std::printf(
            "  (few weak numbers to start with: the history already drilled this small field)\n");
}

} // namespace
} // namespace baisuu

int main() {
    using namespace baisuu;
    std::printf(
        "苦手練習 simulation: %d pupils, %d ordinary runs of history, then %d runs each way\n",
        kPupils, kHistoryRuns, kRuns);
    std::printf("run = problems until %d net right answers (a wrong answer takes one back)\n",
                kRunRights);
    std::printf("hidden: %.0f %% of numbers hard (wrong %.0f-%.0f %%, %.0f-%.0f ms), the rest "
                "wrong %.0f %%, %.0f ms;\n",
                kHardShare * 100, kHardWrongLow * 100, kHardWrongHigh * 100, kHardMsLow,
                kHardMsHigh, kEasyWrong * 100, kEasyMs);
    std::printf(
        "        a right answer: wrong chance -%.2f (not below %.2f), a slow number %.0f %% "
        "faster (not below %.0f ms);\n",
        kWrongStep, kWrongFloor, (1 - kSpeedUp) * 100, kEasyMs);
    std::printf("        one answer's ms = speed x uniform %.2f-%.2f; target time %d s\n",
                kNoiseLow, kNoiseHigh, kTargetSeconds);
    std::printf("pool = the weak set, with the slowest shown numbers beside fewer than %d\n",
                kLeastPool);
    printLevel(8, "8の倍数", simulateLevel(8));
    printLevel(1, "偶数奇数 1けた", simulateLevel(1));
    return 0;
}
