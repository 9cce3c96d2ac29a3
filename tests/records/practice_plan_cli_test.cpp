// baisuu-cli practice-plan over an answers file the test writes, held against
// the weak set and the draw the drill uses.

#include "cli_school.h"
#include "core/hensuu1.h"
#include "drill/practice_source.h"
#include "records/criteria_table.h"
#include "records/mistakes_reference.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace baisuu {

TEST(PracticePlanCli, PrintsTheWeakSetAndTheSeededPlanTheDrillDraws) {
    CliDemoSchool school(QStringLiteral("2026-12-09T15:30:00"));
    const QString data = school.root() + QStringLiteral("/data/倍数判定/");
    const QList<Answer> answers = randomAnswers(3000, 11, QDate(2026, 12, 9));
    ASSERT_FALSE(AppendAnswers(AnswersFilePath(data, 5), answers));
    const QStringList args = {"practice-plan", "--pupil", "5", "--level", "7", "--seed", "42"};
    const ProcessResult r = school.cli(args + QStringList{"--count", "25"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // The same seed gives the same plan; without --count, 40 problems.
    EXPECT_EQ(school.cli(args + QStringList{"--count", "25"}).out, r.out);
    const QJsonObject got = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(got.keys(), (QStringList{"fluentMs", "level", "plan", "pupil", "weak"}));
    EXPECT_EQ(QJsonDocument::fromJson(school.cli(args).out.toUtf8())["plan"].toArray().size(), 40);

    CriteriaTable criteria;
    ASSERT_FALSE(LoadCriteria(criteria, data + QStringLiteral("タイム回数データ.txt")));
    const MultiplesProblemSource rule;
    const WeakSet weak =
        ComputeWeakSet(answers, 7, FieldOf(rule, 7), FluentMs(criteria.levels[7].targetTime));
    ASSERT_FALSE(weak.numbers.isEmpty());
    EXPECT_EQ(got["pupil"].toInt(), 5);
    EXPECT_EQ(got["level"].toInt(), 7);
    EXPECT_EQ(got["fluentMs"].toInt(), weak.fluentMs);
    const QJsonArray weakJson = got["weak"].toArray();
    ASSERT_EQ(weakJson.size(), weak.numbers.size());
    for (qsizetype i = 0; i < weakJson.size(); ++i) {
        const QJsonObject w = weakJson[i].toObject();
        const WeakNumber& want = weak.numbers[i];
        EXPECT_EQ(w["number"].toInt(), want.tally.number);
        EXPECT_EQ(w["divisor"].toInt(), 7);
        EXPECT_EQ(w["why"].toArray().contains("wrong"), bool(want.reasons & kWrongLately));
        EXPECT_EQ(w["why"].toArray().contains("slow"), bool(want.reasons & kSlow));
        EXPECT_EQ(w["why"].toArray().contains("notFluent"), bool(want.reasons & kNotFluent));
        const QJsonArray last = w["last"].toArray();
        ASSERT_EQ(last.size(), want.last.size());
        EXPECT_EQ(last.last()["ms"].toInt(), want.last.last().ms);
        EXPECT_EQ(last.last()["correct"].toInt(), want.last.last().correct ? 1 : 0);
    }
    SeededRandom random(42);
    const QList<Problem> plan = PracticePlan(rule, weak, random, 25);
    const QJsonArray planJson = got["plan"].toArray();
    ASSERT_EQ(planJson.size(), plan.size());
    for (qsizetype i = 0; i < plan.size(); ++i)
        EXPECT_EQ(planJson[i]["number"].toInt(), plan[i].number) << i;

    // A level outside the list is refused before anything is read.
    EXPECT_EQ(school.cli({"practice-plan", "--pupil", "5", "--level", "99"}).code, 2);
}

} // namespace baisuu
