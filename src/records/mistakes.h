#pragma once
// Which numbers go wrong: answers tallied per level and per (divisor, number),
// with the count of wrong answers and the median answer time. Practice answers
// count like any other, and how many of them there were is told beside.

#include "records/answers_file.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>

#include <map>
#include <vector>

namespace baisuu {

struct NumberTally {
    int divisor = 0;
    qint32 number = 0;
    int shown = 0;
    int wrong = 0;
    qint32 medianMs = 0;
};

struct LevelTally {
    int level = 0;
    int answers = 0;
    int wrong = 0;
    qint32 medianMs = 0;
    // The fastest of the slowest fifth of the level's answer times (0 for none).
    qint32 slowFromMs = 0;
    // Most wrong first, then slowest first, then by divisor and number.
    QList<NumberTally> numbers;
    int practice = 0; // of answers, those of practice runs
};

struct Mistakes {
    int answers = 0;
    int wrong = 0;
    QList<LevelTally> levels; // in level order, only levels with answers
    int practice = 0;
};

// Which answers count: level 0 for every level; days 0 for every day, else the
// day `today` and the days − 1 before it.
struct MistakesFilter {
    int level = 0;
    int days = 0;
    QDate today;
    bool takes(const Answer& answer) const;
};

// One key for a (divisor, number) pair.
inline qint64 NumberKey(int divisor, qint32 number) {
    return (qint64(divisor) << 32) | quint32(number);
}

// The lower middle of the times (the smaller of the two middle ones for an
// even count); 0 for none. Reorders times.
qint32 LowerMedian(std::vector<qint32>& times);

class MistakesTally {
  public:
    explicit MistakesTally(MistakesFilter filter) : filter_(filter) {}
    void add(const Answer& answer);
    void add(const QList<Answer>& answers) {
        for (const Answer& a : answers)
            add(a);
    }
    Mistakes result() const;

  private:
    struct Times {
        int wrong = 0;
        std::vector<qint32> ms;
    };
    MistakesFilter filter_;
    // level → (divisor, number) → times
    std::map<int, QHash<qint64, Times>> levels_;
    std::map<int, int> practice_; // level → practice answers
};

// {"answers": A, "wrong": W, "levels": [{"level": L, …, "numbers": […], "practice": P}, …],
//  "practice": P}
QByteArray MistakesJson(const Mistakes& mistakes);

} // namespace baisuu
