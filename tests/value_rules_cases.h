#pragma once
// The values a teacher types, good and bad, with a piece of what the refusal
// says: one table per rule, typed into the screens and given to baisuu-cli
// alike, since both follow the same rule.

#include <QList>
#include <QString>

namespace baisuu {

// A typed value and a piece of its refusal; an empty refusal: the value is taken.
struct ValueCase {
    QString text;
    QString refusal;
};

// The 秒 of a record: the records manager's box, append --time, replace --time.
inline const QList<ValueCase> kRunTimeCases = {
    {QStringLiteral("1"), {}},
    {QStringLiteral("99999"), {}},
    {QStringLiteral("0"), QStringLiteral("1 から 99999 までの整数")},
    {QStringLiteral("2000000"), QStringLiteral("1 から 99999 までの整数")},
    {QStringLiteral("2.5"), QStringLiteral("1 から 99999 までの整数")},
    {QStringLiteral("99999999999999999999"), QStringLiteral("1 から 99999 までの整数")},
    {QStringLiteral("１２３"), QStringLiteral("半角の数字で入れてください")},
    {QStringLiteral("30\n"), QStringLiteral("見えない改行があります")},
};

// The roster of both schools: pupils 1 to 3 listed, pupil 4 has left (status 1).
inline const QString kRulesRoster = QStringLiteral("1,2017,0,0,\"山田　花子\",0,\"\",\"\"\r\n"
                                                   "2,2013,0,0,\"佐藤　健\",0,\"\",\"\"\r\n"
                                                   "3,2019,0,0,\"鈴木　一郎\",0,\"\",\"\"\r\n"
                                                   "4,2012,0,0,\"休会中\",1,\"\",\"\"\r\n");
// A pupil a record of the tests names who is on no roster: the record may keep them.
constexpr int kGonePupil = 7;

// The pupil a record is given: a new record, or a record changed to that pupil.
struct PupilCase {
    int pupil;
    QString refusal;
};
inline const QList<PupilCase> kPupilCases = {
    {2, {}},
    {4, {}}, // has left, but was on the roster
    {4999, QStringLiteral("生徒番号 4999 は名簿にありません")},
    {kGonePupil, QStringLiteral("生徒番号 7 は名簿にありません")},
};

// A criteria cell of level 1 (a level every school of the tests offers), by its heading.
struct CriteriaCase {
    QString column;
    QString text;
    QString refusal;
};
inline const QList<CriteriaCase> kCriteriaCases = {
    {QStringLiteral("最低Time"), QStringLiteral("60"), {}},
    {QStringLiteral("最低Time"), QStringLiteral("858993460"), QStringLiteral("1 から 19999 までの整数")},
    {QStringLiteral("最低Time"), QStringLiteral("2147483647"), QStringLiteral("1 から 19999 までの整数")},
    {QStringLiteral("目標Time"), QStringLiteral("0"), QStringLiteral("1 から 99999 までの整数")},
    {QStringLiteral("目標Time"), QStringLiteral("１２３"), QStringLiteral("半角の数字で入れてください")},
    {QStringLiteral("目標Time"), QStringLiteral("30\n"), QStringLiteral("見えない改行があります")},
    {QStringLiteral("ｸﾘｱﾎﾟｲﾝﾄ"), QStringLiteral("-3"), QStringLiteral("0 から 2147483647 までの整数")},
    {QStringLiteral("ｸﾘｱ回数"), QStringLiteral("-1"), QStringLiteral("0 から 32767 までの整数")},
    {QStringLiteral("ﾎﾟｲﾝﾄ倍率"), QStringLiteral("2.5"), {}},
    {QStringLiteral("ﾎﾟｲﾝﾄ倍率"), QStringLiteral("0"), QStringLiteral("0 より大きく 100 以下の数")},
    {QStringLiteral("禁回"), QStringLiteral("0"), {}},
    {QStringLiteral("禁回"), QStringLiteral("-1"), QStringLiteral("0 から 2147483647 までの数")},
    {QStringLiteral("禁回"), QStringLiteral("99999999999999999999"),
     QStringLiteral("0 から 2147483647 までの数")},
    {QStringLiteral("判期間"), QStringLiteral("-3"), QStringLiteral("0 から 99999 までの整数")},
    {QStringLiteral("判期間"), QStringLiteral("2.5"), QStringLiteral("0 から 99999 までの整数")},
    {QStringLiteral("禁期間"), QStringLiteral("30"), {}},
};

} // namespace baisuu
