#include "records/mistakes.h"

#include <algorithm>

namespace baisuu {

bool MistakesFilter::takes(const Answer& answer) const {
    if (level != 0 && answer.level != level) return false;
    if (days == 0) return true;
    const qint64 back = answer.date.daysTo(today);
    return back >= 0 && back < days;
}

qint32 LowerMedian(std::vector<qint32>& times) {
    if (times.empty()) return 0;
    const auto middle = times.begin() + (times.size() - 1) / 2;
    std::nth_element(times.begin(), middle, times.end());
    return *middle;
}

void MistakesTally::add(const Answer& answer) {
    if (!filter_.takes(answer)) return;
    Times& t = levels_[answer.level][NumberKey(answer.divisor, answer.number)];
    t.ms.push_back(answer.ms);
    if (!answer.correct) ++t.wrong;
    if (answer.practice) ++practice_[answer.level];
}

Mistakes MistakesTally::result() const {
    Mistakes out;
    for (const auto& [level, numbers] : levels_) {
        LevelTally lt;
        lt.level = level;
        std::vector<qint32> all;
        for (auto it = numbers.cbegin(); it != numbers.cend(); ++it) {
            std::vector<qint32> ms = it->ms;
            all.insert(all.end(), ms.begin(), ms.end());
            lt.answers += int(ms.size());
            lt.wrong += it->wrong;
            lt.numbers.append(NumberTally{int(it.key() >> 32), qint32(quint32(it.key())),
                                          int(ms.size()), it->wrong, LowerMedian(ms)});
        }
        lt.medianMs = LowerMedian(all);
        if (!all.empty()) {
            const auto slow = all.end() - qsizetype((all.size() + 4) / 5);
            std::nth_element(all.begin(), slow, all.end());
            lt.slowFromMs = *slow;
        }
        std::sort(lt.numbers.begin(), lt.numbers.end(), [](const auto& a, const auto& b) {
            if (a.wrong != b.wrong) return a.wrong > b.wrong;
            if (a.medianMs != b.medianMs) return a.medianMs > b.medianMs;
            if (a.divisor != b.divisor) return a.divisor < b.divisor;
            return a.number < b.number;
        });
        const auto practice = practice_.find(level);
        lt.practice = practice == practice_.end() ? 0 : practice->second;
        out.answers += lt.answers;
        out.wrong += lt.wrong;
        out.practice += lt.practice;
        out.levels.append(lt);
    }
    return out;
}

QByteArray MistakesJson(const Mistakes& m) {
    // Written by hand so the keys keep the order a reader expects.
    const auto num = [](qint64 v) { return QByteArray::number(v); };
    QByteArray out =
        "{\"answers\": " + num(m.answers) + ", \"wrong\": " + num(m.wrong) + ", \"levels\": [";
    for (qsizetype i = 0; i < m.levels.size(); ++i) {
        const LevelTally& lt = m.levels[i];
        out += (i ? ", " : "") + QByteArray("{\"level\": ") + num(lt.level) +
               ", \"answers\": " + num(lt.answers) + ", \"wrong\": " + num(lt.wrong) +
               ", \"medianMs\": " + num(lt.medianMs) + ", \"numbers\": [";
        for (qsizetype j = 0; j < lt.numbers.size(); ++j) {
            const NumberTally& n = lt.numbers[j];
            out += (j ? ", " : "") + QByteArray("{\"divisor\": ") + num(n.divisor) +
                   ", \"number\": " + num(n.number) + ", \"shown\": " + num(n.shown) +
                   ", \"wrong\": " + num(n.wrong) + ", \"medianMs\": " + num(n.medianMs) + "}";
        }
        out += "], \"practice\": " + num(lt.practice) + "}";
    }
    return out + "], \"practice\": " + num(m.practice) + "}";
}

} // namespace baisuu
