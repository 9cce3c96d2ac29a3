#pragma once
// What this drill asks: the problem rule of each level. The engine, the screen
// and the finish screen know nothing of numbers and divisors beyond this, so a
// sibling drill swaps this module and keeps the rest.

#include "core/services.h"

#include <QList>
#include <QString>

namespace baisuu {

struct Problem {
    qint32 number = 0;     // problemNumber, shown in very large type
    int divisor = 0;       // n: 1 or 2 for odd/even, 3..10 for multiples
    qint16 correctKey = 0; // 1: the first button / key "1"; 2: the second / key "3"
    QString question;      // Label2
    QString firstAnswer;   // Command2(1)
    QString secondAnswer;  // Command2(2)
};

// The numbers one divisor of a level asks, first to last: the weak-numbers
// view draws one grid of them per divisor.
struct NumberGrid {
    int divisor = 0;
    qint32 first = 0;
    qint32 last = 0;
    QString name; // what is asked, as a heading: "７の倍数"
};

class ProblemSource {
  public:
    virtual ~ProblemSource() = default;
    // Levels without a rule cannot be run.
    virtual bool hasRule(int level) const = 0;
    // A new problem for level (which must have a rule), drawing from random.
    virtual Problem make(int level, Random& random) const = 0;
    // Every number level can ask, one grid per divisor; none without a rule.
    virtual QList<NumberGrid> gridsOf(int level) const = 0;
    // The problem that shows number with divisor, asked again as it was.
    virtual Problem problemFor(int divisor, qint32 number) const = 0;
};

// 倍数判定: odd or even at levels 1 and 2, multiples of 3..10 at levels 3..10,
// and a new n from 1 to 10 for every problem at level 11.
class MultiplesProblemSource final : public ProblemSource {
  public:
    bool hasRule(int level) const override { return level >= 1 && level <= 11; }
    Problem make(int level, Random& random) const override;
    QList<NumberGrid> gridsOf(int level) const override;
    Problem problemFor(int divisor, qint32 number) const override;
};

} // namespace baisuu
