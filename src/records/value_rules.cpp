#include "records/value_rules.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace baisuu {

namespace {

constexpr double kLargestInt32 = std::numeric_limits<qint32>::max();
constexpr double kLargestInt16 = std::numeric_limits<qint16>::max();
// Days reach back from today; far beyond any school's history, still a date.
constexpr double kLongestPeriod = 99999;

// Digits, letters and signs typed with the input method's full-width forms.
bool fullWidth(const QString& text) {
    for (QChar c : text)
        if ((c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E) || c.unicode() == 0x3000) return true;
    return false;
}

QString numberText(double v) {
    return QString::number(v, 'f', v == std::floor(v) ? 0 : 2);
}

} // namespace

NumberRule CriteriaColumnRule(int column, bool offered) {
    const double leastTime = offered ? 1 : 0;
    switch (column) {
    case 1: // 目標Time: a run time
        return {leastTime, kNoTime};
    case 2: // 最低Time: five times it is the run's time limit
        return {leastTime, kLongestPassTime};
    case 3: // ｸﾘｱﾎﾟｲﾝﾄ
        return {0, kLargestInt32};
    case 4: // ｸﾘｱ回数: read as a 16-bit number
        return {0, kLargestInt16};
    case 5: // ﾎﾟｲﾝﾄ倍率: a factor of 0 would give no run a point
        return {0, kMaxPointFactor, false, true};
    case 6: // 禁回 and 禁点: 0 is no limit
    case 7:
        return {0, kLargestInt32, false};
    default: // 判期間 and 禁期間: whole days
        return {0, kLongestPeriod};
    }
}

QString RangeText(const NumberRule& rule) {
    if (rule.aboveLow)
        return QStringLiteral("%1 より大きく %2 以下の数")
            .arg(numberText(rule.low), numberText(rule.high));
    return QStringLiteral("%1 から %2 までの%3")
        .arg(numberText(rule.low), numberText(rule.high),
             rule.whole ? QStringLiteral("整数") : QStringLiteral("数"));
}

std::optional<QString> NumberTextFault(const QString& name, const QString& text) {
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return name +
               QStringLiteral("に見えない改行があります。改行を消して、数字だけを入れてください。");
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    if (fullWidth(text) || !plain.match(text.trimmed()).hasMatch())
        return name + QStringLiteral("は半角の数字で入れてください: %1").arg(text);
    return std::nullopt;
}

std::optional<QString> NumberFault(const QString& name, const QString& text, const NumberRule& rule,
                                   double* value) {
    // A line end pasted with the number stays unseen in a one-line box.
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return name +
               QStringLiteral("に見えない改行があります。改行を消して、%1だけを入れてください。")
                   .arg(RangeText(rule));
    const QString t = text.trimmed();
    if (fullWidth(t))
        return name +
               QStringLiteral("は半角の数字で入れてください（%1）: %2").arg(RangeText(rule), text);
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    if (t.isEmpty()) return name + QStringLiteral("に %1を入れてください。").arg(RangeText(rule));
    if (!plain.match(t).hasMatch())
        return name +
               QStringLiteral("は %1を半角の数字で入れてください: %2").arg(RangeText(rule), text);
    const double v = t.toDouble();
    const bool below = rule.aboveLow ? v <= rule.low : v < rule.low;
    if (below || v > rule.high || (rule.whole && v != std::floor(v)))
        return name + QStringLiteral("は %1で入れてください: %2").arg(RangeText(rule), text);
    if (value) *value = v;
    return std::nullopt;
}

} // namespace baisuu
