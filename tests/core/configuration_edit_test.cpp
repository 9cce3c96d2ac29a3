#include "core/configuration_edit.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

// A file as a sibling may have written it: LF and CR LF mixed, an unquoted
// password, blanks around items, something after the tenth item and an
// end-of-file mark behind it all.
const QString kSibling = QStringLiteral("4\n\"12345ひまわり塾\" \r\n1,0\r\n\"\"\r\n  0  \r\n"
                                        "0,0,0,0\r\nおまけ\r\n\x1A\r\n");

QByteArray edited(const QString& before, const SchoolSettings& change) {
    QString problem;
    const auto out = EditCommonData(sjis(before), change, &problem);
    EXPECT_TRUE(out) << problem.toStdString();
    return out.value_or(QByteArray());
}

} // namespace

TEST(ConfigurationEdit, ChangesOnlyTheGivenItemsAndKeepsEveryOtherByte) {
    struct Case {
        const char* what;
        SchoolSettings change;
        QString after;
    };
    SchoolSettings password, month, name, code, all;
    password.password = QStringLiteral("新しい,鍵");
    month.startMonth = 3;
    name.name = QStringLiteral("さくら教室");
    code.code = QStringLiteral("54321");
    all = password;
    all.startMonth = 10;
    all.name = QStringLiteral("本校");
    const Case cases[] = {
        {"password is item 6", password,
         QStringLiteral("4\n\"12345ひまわり塾\" \r\n1,0\r\n\"\"\r\n  \"新しい,鍵\"  \r\n"
                        "0,0,0,0\r\nおまけ\r\n\x1A\r\n")},
        {"start month", month,
         QStringLiteral(
             "3\n\"12345ひまわり塾\" \r\n1,0\r\n\"\"\r\n  0  \r\n0,0,0,0\r\nおまけ\r\n\x1A\r\n")},
        {"name keeps the code", name,
         QStringLiteral(
             "4\n\"12345さくら教室\" \r\n1,0\r\n\"\"\r\n  0  \r\n0,0,0,0\r\nおまけ\r\n\x1A\r\n")},
        {"code keeps the name", code,
         QStringLiteral(
             "4\n\"54321ひまわり塾\" \r\n1,0\r\n\"\"\r\n  0  \r\n0,0,0,0\r\nおまけ\r\n\x1A\r\n")},
        {"three at once", all,
         QStringLiteral("10\n\"12345本校\" \r\n1,0\r\n\"\"\r\n  \"新しい,鍵\"  \r\n"
                        "0,0,0,0\r\nおまけ\r\n\x1A\r\n")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(edited(kSibling, c.change), sjis(c.after)) << c.what;
}

TEST(ConfigurationEdit, ASiteLineWithoutCodeTakesANameAloneButNotOneThatReadsAsACode) {
    const QString noCode =
        QStringLiteral("4\r\n\"ひまわり塾\"\r\n0\r\n0\r\n\"\"\r\n\"1\"\r\n0\r\n0\r\n0\r\n0\r\n");
    SchoolSettings name;
    name.name = QStringLiteral("さくら");
    EXPECT_EQ(edited(noCode, name), sjis(QString(noCode).replace(QStringLiteral("ひまわり塾"),
                                                                 QStringLiteral("さくら"))));
    name.name = QStringLiteral("2号館");
    QString problem;
    EXPECT_FALSE(EditCommonData(sjis(noCode), name, &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("塾コード")));
    // With a code given too, the same name is read back as the name.
    name.code = QStringLiteral("00042");
    EXPECT_EQ(edited(noCode, name), sjis(QString(noCode).replace(QStringLiteral("ひまわり塾"),
                                                                 QStringLiteral("000422号館"))));
}

TEST(ConfigurationEdit, AShortFileIsRefusedNotPadded) {
    SchoolSettings password;
    password.password = QStringLiteral("x");
    QString problem;
    EXPECT_FALSE(
        EditCommonData(sjis(QStringLiteral("4\r\n\"12345塾\"\r\n0\r\n")), password, &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("10項目")));
}

TEST(ConfigurationEdit, RefusesValuesTheFileCannotHoldOrReadBack) {
    struct Case {
        std::optional<int> month;
        std::optional<QString> code, name, password;
        const char* problemHas; // nullptr: accepted
    };
    const Case cases[] = {
        {4, QStringLiteral("12345"), QStringLiteral("塾"), QStringLiteral("p"), nullptr},
        {1, QStringLiteral("00001"), {}, {}, nullptr},
        {12, {}, {}, {}, nullptr},
        {0, {}, {}, {}, "1 から 12"},
        {13, {}, {}, {}, "1 から 12"},
        {{}, QStringLiteral("1234"), {}, {}, "5 桁"},
        {{}, QStringLiteral("123456"), {}, {}, "5 桁"},
        {{}, QStringLiteral("12a45"), {}, {}, "5 桁"},
        {{}, QStringLiteral("１２３４５"), {}, {}, "5 桁"},
        {{}, QStringLiteral("00000"), {}, {}, "00000"},
        {{}, {}, QStringLiteral("a\"b"), {}, "改行"},
        {{}, {}, QStringLiteral("a\nb"), {}, "改行"},
        {{}, {}, {}, QStringLiteral("p\r"), "改行"},
        {{}, {}, {}, QStringLiteral("p\""), "改行"},
        {{}, {}, {}, QString(), "空"},
        {{}, {}, QStringLiteral("塾\U0001F600"), {}, "Shift-JIS"},
        {{}, {}, QStringLiteral("駅前\x1A教室"), {}, "教室名の 3 文字目は制御文字 U+001A"},
        {{}, {}, QStringLiteral("a\0b"), {}, "U+0000"},
        {{}, {}, {}, QStringLiteral("p\tq"), "U+0009"},
        {{}, {}, {}, QStringLiteral("\x07"), "U+0007"},
        {{}, {}, {}, QStringLiteral("p\x7F"), "U+007F"},
    };
    for (const Case& c : cases) {
        const QString problem = SettingsProblem({c.month, c.code, c.name, c.password});
        if (!c.problemHas)
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        else
            EXPECT_TRUE(problem.contains(QString::fromUtf8(c.problemHas)))
                << c.problemHas << " / " << problem.toStdString();
    }
}

TEST(ConfigurationEdit, ANewSchoolHasThePasswordAsItemSix) {
    SchoolSettings s{5, QStringLiteral("24680"), QStringLiteral("駅前教室"), QStringLiteral("9,9")};
    EXPECT_EQ(NewCommonDataText(s),
              QStringLiteral(
                  "5\r\n\"24680駅前教室\"\r\n0\r\n0\r\n\"\"\r\n\"9,9\"\r\n0\r\n0\r\n0\r\n0\r\n"));
}

} // namespace baisuu
