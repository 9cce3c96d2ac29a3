// `practice-plan`: a pupil's weak numbers on a level and the problems a
// 苦手練習 run would draw with a given seed, from the same functions the drill uses.

#include "cli/cli.h"

#include "drill/practice_run.h"
#include "drill/practice_source.h"
#include "records/weak_set.h"

namespace baisuu {

namespace {

constexpr int kDefaultPlan = 40;
constexpr int kLongestPlan = 10000;

// Written by hand so the keys keep the order a reader expects.
QByteArray planJson(int pupil, const WeakSet& weak, const QList<Problem>& plan) {
    const auto num = [](qint64 v) { return QByteArray::number(v); };
    const auto problem = [&num](int divisor, qint32 number) {
        return "{\"divisor\": " + num(divisor) + ", \"number\": " + num(number);
    };
    QByteArray out = "{\"pupil\": " + num(pupil) + ", \"level\": " + num(weak.level) +
                     ", \"fluentMs\": " + num(weak.fluentMs) + ", \"weak\": [";
    for (qsizetype i = 0; i < weak.numbers.size(); ++i) {
        const WeakNumber& w = weak.numbers[i];
        QByteArrayList why;
        if (w.reasons & kWrongLately) why.append("\"wrong\"");
        if (w.reasons & kSlow) why.append("\"slow\"");
        if (w.reasons & kNotFluent) why.append("\"notFluent\"");
        QByteArrayList last;
        for (const RecentAnswer& a : w.last)
            last.append("{\"correct\": " + num(a.correct ? 1 : 0) + ", \"ms\": " + num(a.ms) + "}");
        out += (i ? ", " : "") + problem(w.tally.divisor, w.tally.number) + ", \"why\": [" +
               why.join(", ") + "], \"last\": [" + last.join(", ") + "]}";
    }
    out += "], \"plan\": [";
    for (qsizetype i = 0; i < plan.size(); ++i)
        out += (i ? ", " : "") + problem(plan[i].divisor, plan[i].number) + "}";
    return out + "]}";
}

} // namespace

int CmdPracticePlan(CliEnv& env) {
    Hensuu1 state;
    CriteriaTable criteria;
    if (!LoadCliInstallation(env, state, &criteria)) return 1;
    qint64 pupil = 0, level = 0, count = kDefaultPlan, seed = 0;
    if (!IntOption(env, QStringLiteral("--pupil"), 0, kHighestPupil, &pupil) ||
        !IntOption(env, QStringLiteral("--level"), 1, state.catalog.levelCount, &level))
        return 2;
    if (env.flag(QStringLiteral("--count")) &&
        !IntOption(env, QStringLiteral("--count"), 0, kLongestPlan, &count))
        return 2;
    const bool seeded = env.flag(QStringLiteral("--seed"));
    if (seeded && !IntOption(env, QStringLiteral("--seed"), 0, INT64_MAX, &seed)) return 2;
    const MultiplesProblemSource problems;
    const qint32 target = criteria.levels[level].targetTime;
    if (!problems.hasRule(int(level)) || target <= 0) {
        env.err << QStringLiteral("レベル%1は問題の決まりか目標タイムがないため練習できません。"
                                  "先生に基準を確かめてもらってください。")
                       .arg(level)
                << Qt::endl;
        return 1;
    }
    AnswersRead read;
    if (Failed(env, ReadAnswers(AnswersFilePath(state.paths.dataFolder, int(pupil)), &read)))
        return 1;
    const WeakSet weak = LevelWeakSet(read.answers, problems, int(level), target);
    // Without --seed the plan is drawn as a run would be: differently each time.
    SeededRandom seededRandom{quint64(seed)};
    SystemRandom systemRandom;
    Random& random = seeded ? static_cast<Random&>(seededRandom) : systemRandom;
    const QList<Problem> plan = PracticePlan(problems, weak, random, int(count));
    env.out << QString::fromLatin1(planJson(int(pupil), weak, plan)) << Qt::endl;
    return 0;
}

} // namespace baisuu
