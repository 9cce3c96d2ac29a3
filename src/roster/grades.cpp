#include "roster/grades.h"

#include <optional>
#include <utility>

namespace baisuu {

int CurrentSchoolYear(QDate today, int schoolYearStartMonth) {
    return today.month() < schoolYearStartMonth ? today.year() - 1 : today.year();
}

int GradeIndex(int gradeBaseYear, int currentSchoolYear) {
    return currentSchoolYear - gradeBaseYear - 6;
}

QString GradeLabelFull(int gradeIndex) {
    static const char16_t* const labels[] = {u"幼３", u"小１", u"小２", u"小３", u"小４", u"小５",
                                             u"小６", u"中１", u"中２", u"中３", u"高１"};
    if (gradeIndex < 0 || gradeIndex > 10) return {};
    return QString::fromUtf16(labels[gradeIndex]);
}

QString GradeLabelShort(int gradeIndex) {
    if (gradeIndex <= -3) return QStringLiteral("幼-");
    if (gradeIndex <= 0) return QStringLiteral("幼%1").arg(gradeIndex + 3);
    if (gradeIndex <= 6) return QStringLiteral("小%1").arg(gradeIndex);
    if (gradeIndex <= 9) return QStringLiteral("中%1").arg(gradeIndex - 6);
    if (gradeIndex <= 12) return QStringLiteral("高%1").arg(gradeIndex - 9);
    return QStringLiteral("大+");
}

bool IsKindergartenIndex(int gradeIndex) {
    return gradeIndex <= 0;
}

namespace {

// The grade indexes a group text stands for; nullopt for a text that is no group.
// "全学年" (and "家族") admit every index.
std::optional<std::pair<int, int>> groupRange(const QString& group, bool familyIsGroup) {
    constexpr int kAll = 1 << 20;
    struct Group {
        const char16_t* text;
        int first, last;
    };
    static const Group groups[] = {
        {u"全学年", -kAll, kAll}, {u"小学生全体", 1, 6}, {u"小１", 1, 1}, {u"小２", 2, 2},
        {u"小３", 3, 3},          {u"小４", 4, 4},       {u"小５", 5, 5}, {u"小６", 6, 6},
        {u"中学生全体", 7, 9},    {u"中１", 7, 7},       {u"中２", 8, 8}, {u"中３", 9, 9},
    };
    for (const Group& g : groups)
        if (group == QStringView(g.text)) return std::pair{g.first, g.last};
    if (familyIsGroup && group == QStringLiteral("家族")) return std::pair{-kAll, kAll};
    return std::nullopt;
}

bool admits(const QString& group, int gradeIndex, bool familyIsGroup) {
    const auto range = groupRange(group, familyIsGroup);
    return range && gradeIndex >= range->first && gradeIndex <= range->second;
}

} // namespace

int IsInGradeGroup(const QString& group, int gradeIndex) {
    return admits(group, gradeIndex, true) ? 1 : 0;
}

bool RosterListAdmits(const QString& group, int gradeIndex) {
    return admits(group, gradeIndex, false);
}

const QStringList& SelectionGroupTexts() {
    static const QStringList texts = {
        QStringLiteral("全学年"), QStringLiteral("中学生全体"), QStringLiteral("小学生全体"),
        QStringLiteral("中３"),   QStringLiteral("中２"),       QStringLiteral("中１"),
        QStringLiteral("小６"),   QStringLiteral("小５"),       QStringLiteral("小４"),
        QStringLiteral("小３"),   QStringLiteral("小２"),       QStringLiteral("小１")};
    return texts;
}

} // namespace baisuu
