#pragma once
// The values a teacher types, good and bad, with a piece of what the refusal
// says (none: taken): one table per rule, for the screens and baisuu-cli alike.

#include <QList>
#include <QString>
#include <array>
#include <utility>

namespace baisuu {

struct ValueCase {
    QString text, refusal;
};
// The 秒 of a record: the records manager's box, append --time, replace --time.
// clang-format off
inline const QList<ValueCase> kRunTimeCases = {
    {"1", ""}, {"99999", ""}, {"0", "1 から 99999 までの整数"}, {"2000000", "1 から 99999 までの整数"},
    {"2.5", "1 から 99999 までの整数"}, {"99999999999999999999", "1 から 99999 までの整数"},
    {"１２３", "半角の数字で入れてください"}, {"30\n", "見えない改行があります"}};
// clang-format on

// Both schools' roster: pupils 1 to 3 listed, 4 has left; kGonePupil is on none.
inline const QString kRulesRoster = QStringLiteral("1,2017,0,0,\"山田\",0,\"\",\"\"\r\n"
                                                   "2,2013,0,0,\"佐藤\",0,\"\",\"\"\r\n"
                                                   "3,2019,0,0,\"鈴木\",0,\"\",\"\"\r\n"
                                                   "4,2012,0,0,\"休会中\",1,\"\",\"\"\r\n");
constexpr int kGonePupil = 7;
// The pupil a new record, or a record of pupil 1 changed, names.
// clang-format off
inline const QList<std::pair<int, QString>> kPupilCases = {
    {2, ""}, {4, ""}, {4999, "生徒番号 4999 は名簿にありません"}, {kGonePupil, "生徒番号 7 は名簿"}};
// clang-format on

// A cell of level 1, offered by every school of the tests: heading, text, refusal.
// clang-format off
inline const QList<std::array<QString, 3>> kCriteriaCases = {
    {"最低Time", "60", ""}, {"最低Time", "858993460", "1 から 19999 までの整数"},
    {"最低Time", "2147483647", "1 から 19999 までの整数"}, {"目標Time", "0", "1 から 99999 までの整数"},
    {"目標Time", "１２３", "半角の数字で入れてください"}, {"目標Time", "30\n", "見えない改行があります"},
    {"ｸﾘｱﾎﾟｲﾝﾄ", "-3", "0 から 2147483647 までの整数"}, {"ｸﾘｱ回数", "-1", "0 から 32767 までの整数"},
    {"ﾎﾟｲﾝﾄ倍率", "2.5", ""}, {"ﾎﾟｲﾝﾄ倍率", "0", "0 より大きく 100 以下の数"},
    {"禁回", "0", ""}, {"禁回", "-1", "0 から 2147483647 までの数"},
    {"禁回", "99999999999999999999", "0 から 2147483647 までの数"},
    {"判期間", "-3", "0 から 99999 までの整数"}, {"判期間", "2.5", "0 から 99999 までの整数"},
    {"禁期間", "30", ""}};
// clang-format on

} // namespace baisuu
