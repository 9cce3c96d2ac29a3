// The tally of wrong answers against a plain reference computed here from the
// same answers: orders, the lower median, and the day and level filters.

#include "records/mistakes.h"
#include "records/mistakes_reference.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

const QDate kToday(2026, 12, 9);

Mistakes tally(const QList<Answer>& answers, const MistakesFilter& f) {
    MistakesTally t(f);
    t.add(answers);
    return t.result();
}

} // namespace

TEST(Mistakes, LowerMedianTakesTheSmallerMiddle) {
    const std::vector<std::vector<qint32>> cases = {
        {}, {5}, {9, 1}, {3, 1, 2}, {4, 1, 3, 2}, {7, 7, 1, 1}, {10, 20, 30, 40, 50, 60}};
    const qint32 expected[] = {0, 5, 1, 2, 2, 1, 30};
    for (size_t i = 0; i < cases.size(); ++i) {
        std::vector<qint32> v = cases[i];
        EXPECT_EQ(LowerMedian(v), expected[i]) << i;
    }
}

TEST(Mistakes, SmallCaseGivesExactJson) {
    const QList<Answer> answers = {
        {kToday, 0, 3, 3, 12, 1, true, 900}, {kToday, 0, 3, 3, 13, 1, false, 1500},
        {kToday, 0, 3, 3, 13, 3, true, 700}, {kToday, 0, 3, 3, 12, 1, true, 1100},
        {kToday, 0, 1, 1, 4, 3, false, 400}, {kToday, 0, 3, 3, 14, 1, false, 800, true},
    };
    EXPECT_EQ(MistakesJson(tally(answers, {})),
              "{\"answers\": 6, \"wrong\": 3, \"levels\": ["
              "{\"level\": 1, \"answers\": 1, \"wrong\": 1, \"medianMs\": 400, \"numbers\": ["
              "{\"divisor\": 1, \"number\": 4, \"shown\": 1, \"wrong\": 1, \"medianMs\": 400}], "
              "\"practice\": 0}, "
              "{\"level\": 3, \"answers\": 5, \"wrong\": 2, \"medianMs\": 900, \"numbers\": ["
              "{\"divisor\": 3, \"number\": 14, \"shown\": 1, \"wrong\": 1, \"medianMs\": 800}, "
              "{\"divisor\": 3, \"number\": 13, \"shown\": 2, \"wrong\": 1, \"medianMs\": 700}, "
              "{\"divisor\": 3, \"number\": 12, \"shown\": 2, \"wrong\": 0, \"medianMs\": 900}], "
              "\"practice\": 1}], \"practice\": 1}");
    EXPECT_EQ(MistakesJson(tally({}, {})),
              "{\"answers\": 0, \"wrong\": 0, \"levels\": [], \"practice\": 0}");
}

TEST(Mistakes, AgreesWithAReferenceUnderEveryFilter) {
    const QList<Answer> answers = randomAnswers(4000, 19, kToday);
    const MistakesFilter filters[] = {
        {}, {0, 1, kToday}, {0, 7, kToday}, {11, 0, kToday}, {3, 3, kToday}, {12, 0, kToday}};
    for (const MistakesFilter& f : filters)
        EXPECT_EQ(MistakesJson(tally(answers, f)), MistakesJson(reference(answers, f)))
            << "level " << f.level << " days " << f.days;
}

} // namespace baisuu
