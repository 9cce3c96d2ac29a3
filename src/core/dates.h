#pragma once
// Dates as the results log and the screens write them: OLE day counts (days
// since 1899-12-30, a double), date text yyyy/MM/dd, time text H:mm:ss, and the
// Japanese-era date of the splash screen.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace baisuu {

double OleDate(QDate date);         // whole days since 1899-12-30
QDate DateFromOle(double dayCount); // the calendar date of a day count (fraction dropped)
double OleTime(QTime time);         // time of day as a fraction of a day
QTime TimeFromOle(double fraction); // rounded to the second
double OleDateTime(const QDateTime& dt);

QString DateText(QDate date); // "2026/12/08"
QString TimeText(QTime time); // "9:05:03"

// "ggge年 m月 dd日（aaa）" in the Japanese calendar, e.g. "令和8年 12月 08日（火）".
QString EraDateText(QDate date);

// Whole seconds since midnight, rounded (the clock reading of the drill and sign-in).
int SecondsSinceMidnight(QTime time);

// Whole minutes from a sign-in at signInSeconds (since midnight, rounded) to
// now. A reading a fraction of a second before the rounded sign-in is still
// minute 0; a sign-in before midnight counts on into the next day.
int MinutesSinceSignIn(QTime now, int signInSeconds);

} // namespace baisuu
