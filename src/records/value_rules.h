#pragma once
// The rule of every number a teacher types, wherever it is typed: the records
// manager's 秒 box and `baisuu-cli append/replace --time` take run times by
// kRunTimeRule; the criteria editor and `baisuu-cli criteria --set` take the
// criteria columns by CriteriaColumnRule. The limits live here only.

#include "records/results.h"

#include <QString>
#include <optional>

namespace baisuu {

struct NumberRule {
    double low = 0;
    double high = 0;
    bool whole = true;
    bool aboveLow = false; // low itself is refused: a number more than low
};

// A run's time in whole seconds; kNoTime stands for a timed-out run.
inline constexpr NumberRule kRunTimeRule{1, kNoTime};

// The lowest passing time whose five-fold time limit still ends a run within
// a run time (kNoTime): every time the drill records stays in kRunTimeRule.
inline constexpr qint32 kLongestPassTime = kNoTime / 5;

// The rule of criteria column 1..9 (目標Time .. 禁期間). offered: the level is
// one the hub offers, whose times must be at least 1 second.
NumberRule CriteriaColumnRule(int column, bool offered);

// What is wrong with text as a number of rule, said as what to type and
// headed by name ("「秒」", "レベル2の「禁回」", "--time"): a line end, full-width
// digits, no plain decimal number, or a number outside the range (told as the
// range). Blanks around the number are allowed; nullopt when the text is good,
// with the number in *value.
std::optional<QString> NumberFault(const QString& name, const QString& text, const NumberRule& rule,
                                   double* value = nullptr);

// What is wrong with text as a number at all, before any range: a line end,
// full-width digits or no plain decimal number, said as NumberFault says it.
std::optional<QString> NumberTextFault(const QString& name, const QString& text);

// The range of a rule as a message tells it: "1 から 99999 までの整数".
QString RangeText(const NumberRule& rule);

} // namespace baisuu
