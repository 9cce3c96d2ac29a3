#include "roster/grades.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

TEST(Grades, SchoolYearTurnsInTheStartMonth) {
    EXPECT_EQ(CurrentSchoolYear(QDate(2005, 3, 31), 4), 2004);
    EXPECT_EQ(CurrentSchoolYear(QDate(2005, 4, 1), 4), 2005);
    EXPECT_EQ(CurrentSchoolYear(QDate(2005, 1, 1), 1), 2005);
    EXPECT_EQ(CurrentSchoolYear(QDate(2005, 12, 31), 13), 2004);
    // Start months outside 1..12 are read as written: never or always the year before.
    EXPECT_EQ(CurrentSchoolYear(QDate(2005, 1, 1), 0), 2005);
    EXPECT_EQ(CurrentSchoolYear(QDate(2005, 1, 1), -1), 2005);
    EXPECT_EQ(CurrentSchoolYear(QDate(2005, 12, 31), 99), 2004);

    // A pupil born for the 1997 base year is 小１ in March 2005 and 小２ from April.
    const int march = GradeIndex(1997, CurrentSchoolYear(QDate(2005, 3, 15), 4));
    const int april = GradeIndex(1997, CurrentSchoolYear(QDate(2005, 4, 1), 4));
    EXPECT_EQ(march, 1);
    EXPECT_EQ(GradeLabelFull(march), QStringLiteral("小１"));
    EXPECT_EQ(GradeLabelShort(march), QStringLiteral("小1"));
    EXPECT_EQ(april, 2);
}

TEST(Grades, LabelsAtTheEdgesOfBothTables) {
    struct Case {
        int index;
        const char16_t* full;
        const char16_t* shortLabel;
    };
    const Case cases[] = {
        {-5, u"", u"幼-"},    {-3, u"", u"幼-"},     {-2, u"", u"幼1"},    {-1, u"", u"幼2"},
        {0, u"幼３", u"幼3"}, {1, u"小１", u"小1"},  {6, u"小６", u"小6"}, {7, u"中１", u"中1"},
        {9, u"中３", u"中3"}, {10, u"高１", u"高1"}, {11, u"", u"高2"},    {12, u"", u"高3"},
        {13, u"", u"大+"},    {40, u"", u"大+"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GradeLabelFull(c.index), QString::fromUtf16(c.full)) << c.index;
        EXPECT_EQ(GradeLabelShort(c.index), QString::fromUtf16(c.shortLabel)) << c.index;
    }
    EXPECT_TRUE(IsKindergartenIndex(0));
    EXPECT_TRUE(IsKindergartenIndex(-7));
    EXPECT_FALSE(IsKindergartenIndex(1));
}

TEST(Grades, GroupsAdmitTheirGradesAndTheListIgnoresFamily) {
    auto admitted = [](const QString& group) {
        QList<int> indexes;
        for (int i = -4; i <= 14; ++i)
            if (IsInGradeGroup(group, i)) indexes.append(i);
        return indexes;
    };
    EXPECT_EQ(admitted(QStringLiteral("小学生全体")), (QList<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(admitted(QStringLiteral("中学生全体")), (QList<int>{7, 8, 9}));
    EXPECT_EQ(admitted(QStringLiteral("小３")), QList<int>{3});
    EXPECT_EQ(admitted(QStringLiteral("中２")), QList<int>{8});
    EXPECT_EQ(admitted(QStringLiteral("全学年")).size(), 19);
    EXPECT_EQ(admitted(QStringLiteral("家族")).size(), 19);
    EXPECT_TRUE(admitted(QStringLiteral("小3")).isEmpty()); // half-width digit: no group
    EXPECT_TRUE(admitted(QStringLiteral("高１")).isEmpty());

    EXPECT_TRUE(RosterListAdmits(QStringLiteral("全学年"), -5));
    EXPECT_TRUE(RosterListAdmits(QStringLiteral("全学年"), 13));
    EXPECT_TRUE(RosterListAdmits(QStringLiteral("中１"), 7));
    EXPECT_FALSE(RosterListAdmits(QStringLiteral("家族"), 3));
    EXPECT_FALSE(RosterListAdmits(QString(), 3));

    // Every text the selection screen offers is a group the list knows.
    EXPECT_EQ(SelectionGroupTexts().size(), 12);
    for (const QString& group : SelectionGroupTexts()) {
        bool any = false;
        for (int i = 0; i <= 9; ++i)
            any = any || RosterListAdmits(group, i);
        EXPECT_TRUE(any) << group.toStdString();
    }
}

} // namespace baisuu
