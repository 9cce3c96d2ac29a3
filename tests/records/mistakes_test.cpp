// The tally of wrong answers against a plain reference computed here from the
// same answers: orders, the lower median, and the day and level filters.

#include "records/mistakes.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <algorithm>
#include <map>

namespace baisuu {

namespace {

const QDate kToday(2026, 12, 9);

// Sorts a copy fully and takes element (n − 1) / 2.
qint32 referenceMedian(std::vector<qint32> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[(v.size() - 1) / 2];
}

Mistakes reference(const QList<Answer>& answers, const MistakesFilter& f) {
    std::map<int, std::map<std::pair<int, int>, std::vector<const Answer*>>> byLevel;
    for (const Answer& a : answers) {
        if (f.level && a.level != f.level) continue;
        if (f.days && (a.date > f.today || a.date <= f.today.addDays(-f.days))) continue;
        byLevel[a.level][{a.divisor, a.number}].push_back(&a);
    }
    Mistakes m;
    for (const auto& [level, numbers] : byLevel) {
        LevelTally lt;
        lt.level = level;
        std::vector<qint32> all;
        for (const auto& [key, list] : numbers) {
            std::vector<qint32> ms;
            int wrong = 0;
            for (const Answer* a : list) {
                ms.push_back(a->ms);
                wrong += a->correct ? 0 : 1;
            }
            all.insert(all.end(), ms.begin(), ms.end());
            lt.numbers.append({key.first, key.second, int(ms.size()), wrong, referenceMedian(ms)});
            lt.answers += int(ms.size());
            lt.wrong += wrong;
        }
        lt.medianMs = referenceMedian(all);
        std::stable_sort(lt.numbers.begin(), lt.numbers.end(), [](auto& a, auto& b) {
            return std::tuple(-a.wrong, -a.medianMs) < std::tuple(-b.wrong, -b.medianMs);
        });
        m.answers += lt.answers;
        m.wrong += lt.wrong;
        m.levels.append(lt);
    }
    return m;
}

QList<Answer> randomAnswers(int count, quint32 seed) {
    QRandomGenerator r(seed);
    QList<Answer> out;
    for (int i = 0; i < count; ++i) {
        Answer a;
        a.date = kToday.addDays(-r.bounded(0, 12) + (r.bounded(20) == 0 ? 1 : 0));
        a.seconds = r.bounded(86400);
        a.level = r.bounded(1, 12);
        a.divisor = a.level == 11 ? r.bounded(1, 11) : a.level;
        a.number = r.bounded(1, 15); // few numbers, so ties in wrong and median are common
        a.key = r.bounded(2) ? 1 : 3;
        a.correct = r.bounded(4) != 0;
        a.ms = 100 * r.bounded(1, 8);
        out.append(a);
    }
    return out;
}

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
        {kToday, 0, 1, 1, 4, 3, false, 400},
    };
    EXPECT_EQ(
        MistakesJson(tally(answers, {})),
        "{\"answers\": 5, \"wrong\": 2, \"levels\": ["
        "{\"level\": 1, \"answers\": 1, \"wrong\": 1, \"medianMs\": 400, \"numbers\": ["
        "{\"divisor\": 1, \"number\": 4, \"shown\": 1, \"wrong\": 1, \"medianMs\": 400}]}, "
        "{\"level\": 3, \"answers\": 4, \"wrong\": 1, \"medianMs\": 900, \"numbers\": ["
        "{\"divisor\": 3, \"number\": 13, \"shown\": 2, \"wrong\": 1, \"medianMs\": 700}, "
        "{\"divisor\": 3, \"number\": 12, \"shown\": 2, \"wrong\": 0, \"medianMs\": 900}]}]}");
    EXPECT_EQ(MistakesJson(tally({}, {})), "{\"answers\": 0, \"wrong\": 0, \"levels\": []}");
}

TEST(Mistakes, AgreesWithAReferenceUnderEveryFilter) {
    const QList<Answer> answers = randomAnswers(4000, 19);
    const MistakesFilter filters[] = {
        {}, {0, 1, kToday}, {0, 7, kToday}, {11, 0, kToday}, {3, 3, kToday}, {12, 0, kToday}};
    for (const MistakesFilter& f : filters)
        EXPECT_EQ(MistakesJson(tally(answers, f)), MistakesJson(reference(answers, f)))
            << "level " << f.level << " days " << f.days;
}

} // namespace baisuu
