#include "drill/practice_run.h"

#include "drill/drill_engine.h"
#include "drill/practice_source.h"

#include <QHash>

#include <algorithm>

namespace baisuu {

namespace {

const QString kTitle = QStringLiteral("苦手練習");

QString levelNameOf(const AppContext& ctx, int level) {
    return level >= 1 && level < kLevelSlots ? ctx.hensuu1.catalog.levelNames[level]
                                             : QString::number(level);
}

bool holds(const WeakSet& weak, qint64 key) {
    return std::any_of(weak.numbers.begin(), weak.numbers.end(), [key](const WeakNumber& w) {
        return NumberKey(w.tally.divisor, w.tally.number) == key;
    });
}

} // namespace

WeakSet LevelWeakSet(const QList<Answer>& answers, const ProblemSource& problems, int level,
                     qint32 targetSeconds) {
    return ComputeWeakSet(answers, level, FieldOf(problems, level), FluentMs(targetSeconds));
}

bool StartPractice(AppContext& ctx, int level) {
    const MultiplesProblemSource problems;
    const QString refusal = RunRefusal(ctx, problems, level);
    if (!refusal.isEmpty()) {
        ctx.navigator.message(kTitle, refusal);
        return false;
    }
    PracticeRun practice;
    AnswersRead read;
    const QString path = AnswersFilePath(ctx.hensuu1.paths.dataFolder, ctx.hensuu1.currentPupil);
    if (const auto error = ReadAnswers(path, &read)) {
        ctx.navigator.message(kTitle, QStringLiteral("解答記録が読めないため練習できません。"
                                                     "先生を呼んでください。\r\n") +
                                          error->text());
        return false;
    }
    practice.earlier = std::move(read.answers);
    practice.field = FieldOf(problems, level);
    practice.before = LevelWeakSet(practice.earlier, problems, level,
                                   ctx.criteria.levels[level].targetTime);
    if (practice.before.numbers.isEmpty()) {
        ctx.navigator.message(kTitle, QStringLiteral("レベル「%1」には苦手な数がありません。"
                                                     "ふつうの練習をしましょう。")
                                          .arg(levelNameOf(ctx, level)));
        return false;
    }
    ctx.hensuu1.currentLevel = level;
    return StartRun(ctx, problems, std::move(practice));
}

PracticeFinishReport PreparePracticeFinish(const AppContext& ctx) {
    PracticeFinishReport r;
    const int level = ctx.hensuu1.currentLevel;
    r.levelName = levelNameOf(ctx, level);
    r.pupilName = ctx.hensuu1.pupilName.trimmed();
    r.timeText = ctx.drill.timeUp ? QStringLiteral("時間切れ")
                                  : QStringLiteral("練習タイム：%1秒").arg(ctx.drill.recordedTime);
    if (!ctx.drill.practice) return r;
    const PracticeRun& run = *ctx.drill.practice;
    const WeakSet after =
        ComputeWeakSet(run.earlier + run.answers, level, run.field, run.before.fluentMs);
    const MultiplesProblemSource problems;
    const QList<NumberGrid> grids = problems.gridsOf(level);
    QHash<qint64, qsizetype> row;
    for (const Answer& a : run.answers) {
        const qint64 key = NumberKey(a.divisor, a.number);
        const bool before = holds(run.before, key), now = holds(after, key);
        if (!before && !now) continue;
        if (!row.contains(key)) {
            row.insert(key, r.numbers.size());
            PracticedNumber n{a.divisor, a.number,       QString::number(a.number),
                              {},        before && !now, now};
            if (grids.size() > 1)
                for (const NumberGrid& g : grids)
                    if (g.divisor == a.divisor) n.name += QStringLiteral("（%1）").arg(g.name);
            r.numbers.append(n);
        }
        r.numbers[row.value(key)].answers.append(RecentAnswer{a.correct, a.ms});
    }
    for (const WeakNumber& w : run.before.numbers)
        if (!holds(after, NumberKey(w.tally.divisor, w.tally.number))) ++r.graduated;
    r.remaining = int(after.numbers.size());
    r.graduatedText = QStringLiteral("卒業 %1個").arg(r.graduated);
    r.remainingText = r.remaining ? QStringLiteral("苦手な数 のこり %1個").arg(r.remaining)
                                  : QStringLiteral("苦手な数はもうありません");
    return r;
}

QString PracticeAnswerText(const RecentAnswer& answer) {
    return (answer.correct ? QStringLiteral("○") : QStringLiteral("×")) + SecondsText(answer.ms);
}

} // namespace baisuu
