#include "drill/problem_source.h"

#include <cmath>

namespace baisuu {

namespace {

// Int() of the drill's rule: the largest whole number not above x.
qint32 wholePart(double x) {
    return qint32(std::floor(x));
}

// Rounding half to even, as the rule for the multiple's factor requires.
qint32 roundHalfEven(double x) {
    return qint32(std::nearbyint(x));
}

} // namespace

Problem MultiplesProblemSource::make(int level, Random& random) const {
    const int n = level <= 10 ? level : wholePart(10 * random.next() + 1);
    if (n <= 2)
        return problemFor(n, n == 1 ? wholePart(10 * random.next())
                                    : wholePart(90 * random.next() + 10));
    qint32 number = 0;
    if (random.next() < 0.5) {
        const qint32 k = roundHalfEven(100 * random.next()) / n;
        number = n * (k + 1);
    } else {
        do
            number = wholePart(100 * random.next()) + 1;
        while (number % n == 0);
    }
    return problemFor(n, number);
}

Problem MultiplesProblemSource::problemFor(int divisor, qint32 number) const {
    Problem p;
    p.divisor = divisor;
    p.number = number;
    const int n = divisor;
    if (n <= 2) {
        p.question = QStringLiteral("偶数か奇数か");
        p.firstAnswer = QStringLiteral("奇数(1をおせ)");
        p.secondAnswer = QStringLiteral("偶数(3をおせ)");
        p.correctKey = p.number % 2 == 0 ? 2 : 1; // zero counts as even
        return p;
    }
    p.question = QString::number(n) + QStringLiteral("の倍数か");
    p.firstAnswer = QStringLiteral("違う(1をおせ)");
    p.secondAnswer = QString::number(n) + QStringLiteral("の倍数(3をおせ)");
    p.correctKey = p.number % n == 0 ? 2 : 1;
    return p;
}

QList<NumberGrid> MultiplesProblemSource::gridsOf(int level) const {
    const auto grid = [](int n) {
        // Odd or even: one digit for n = 1, two for n = 2. A multiple of n is
        // n·(k + 1) with k up to 100 / n, so at most 110; any other number 1..100.
        if (n == 1) return NumberGrid{n, 0, 9, QStringLiteral("偶数か奇数か（1けた）")};
        if (n == 2) return NumberGrid{n, 10, 99, QStringLiteral("偶数か奇数か（2けた）")};
        return NumberGrid{n, 1, 110, QString::number(n) + QStringLiteral("の倍数か")};
    };
    QList<NumberGrid> grids;
    if (level >= 1 && level <= 10) grids.append(grid(level));
    if (level == 11)
        for (int n = 1; n <= 10; ++n)
            grids.append(grid(n));
    return grids;
}

} // namespace baisuu
