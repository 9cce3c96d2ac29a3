#pragma once
// The tally of wrong answers done the plain way, to check the real one against.

#include "records/mistakes.h"

#include <QRandomGenerator>

#include <algorithm>
#include <map>
#include <tuple>

namespace baisuu {

// Sorts a copy fully and takes element (n − 1) / 2.
inline qint32 referenceMedian(std::vector<qint32> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[(v.size() - 1) / 2];
}

inline Mistakes reference(const QList<Answer>& answers, const MistakesFilter& f) {
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
                lt.practice += a->practice ? 1 : 0;
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
        m.practice += lt.practice;
        m.levels.append(lt);
    }
    return m;
}

// Answers over the twelve days up to today (and a few the day after), with few
// numbers, so ties in wrong and median are common.
inline QList<Answer> randomAnswers(int count, quint32 seed, QDate today) {
    QRandomGenerator r(seed);
    QList<Answer> out;
    for (int i = 0; i < count; ++i) {
        Answer a;
        a.date = today.addDays(-r.bounded(0, 12) + (r.bounded(20) == 0 ? 1 : 0));
        a.seconds = r.bounded(86400);
        a.level = r.bounded(1, 12);
        a.divisor = a.level == 11 ? r.bounded(1, 11) : a.level;
        // Numbers the drill asks, few enough to repeat: odd or even takes one
        // digit at divisor 1 and two at divisor 2.
        a.number = a.divisor == 1 ? r.bounded(0, 10) : r.bounded(a.divisor == 2 ? 10 : 1, 24);
        a.key = r.bounded(2) ? 1 : 3;
        a.correct = r.bounded(4) != 0;
        a.ms = 100 * r.bounded(1, 8);
        a.practice = a.seconds % 5 == 0; // no draw of its own: the other fields stay as they were
        out.append(a);
    }
    return out;
}

} // namespace baisuu
