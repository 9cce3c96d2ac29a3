#pragma once
// School grades derived from the roster's base year and the school year in
// force, their labels, and the grade groups of the group selectors.

#include <QDate>
#include <QString>
#include <QStringList>

namespace baisuu {

// The school year in force on a day: the calendar year, less one in the months
// before the school year's start month (January to March for an April start).
int CurrentSchoolYear(QDate today, int schoolYearStartMonth);

// The grade index of a pupil: 1..6 elementary, 7..9 junior high, 0 and below
// kindergarten. Every screen and tool derives grades through this one rule.
int GradeIndex(int gradeBaseYear, int currentSchoolYear);

// "幼３", "小１".."小６", "中１".."中３", "高１" for indexes 0..10; empty otherwise.
QString GradeLabelFull(int gradeIndex);

// The half-width label inside the pupil list lines: "幼-", "幼1".."幼3",
// "小1".."小6", "中1".."中3", "高1".."高3", "大+".
QString GradeLabelShort(int gradeIndex);

// The kindergarten labels ("幼-", "幼1".."幼3") get a wider name column.
bool IsKindergartenIndex(int gradeIndex);

// 1 when the group text admits the grade index, otherwise 0. "家族" admits
// every pupil; a text outside the group table admits nobody.
int IsInGradeGroup(const QString& group, int gradeIndex);

// The pupil list's own filter: as IsInGradeGroup, except that "家族" is not a
// group there (it admits nobody).
bool RosterListAdmits(const QString& group, int gradeIndex);

// The group texts the selection screen offers, in the order it offers them.
const QStringList& SelectionGroupTexts();

} // namespace baisuu
