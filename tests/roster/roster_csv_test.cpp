#include "roster/roster_csv.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr int kSchoolYear = 2026; // 小１ is base year 2019

QByteArray csv(const QString& rows, bool bom = true) {
    const QByteArray body = (QStringLiteral("番号,名前,学年,状態\r\n") + rows).toUtf8();
    return bom ? QByteArray("\xEF\xBB\xBF") + body : body;
}

RosterCsvRows rowsOf(const QByteArray& bytes, int schoolYear = kSchoolYear) {
    auto read = ReadRosterCsv(bytes, QStringLiteral("a.csv"), schoolYear);
    if (const FileError* e = std::get_if<FileError>(&read)) {
        ADD_FAILURE() << e->text().toStdString();
        return {};
    }
    return std::get<RosterCsvRows>(read);
}

QList<CsvPupil> pupilsOf(const QByteArray& bytes) {
    return rowsOf(bytes).pupils;
}

QList<RosterRecord> records(const QString& text) {
    QList<FileError> problems;
    const auto r = RosterRecords(text, QStringLiteral("新名簿.txt"), &problems);
    EXPECT_TRUE(problems.isEmpty());
    return r;
}

} // namespace

TEST(RosterCsv, GradeCellsNameTheBaseYearOfThisSchoolYear) {
    const std::pair<const char16_t*, std::optional<int>> cases[] = {
        {u"小１", 2019},        {u"小1", 2019},
        {u" 中３ ", 2011},      {u"中3", 2011},
        {u"幼３", 2020},        {u"幼1", 2022},
        {u"高１", 2010},        {u"高3", 2008},
        {u"2015", 2015},        {u"２０１５", 2015},
        {u"幼-", std::nullopt}, {u"大+", std::nullopt},
        {u"小7", std::nullopt}, {u"", std::nullopt},
        {u"201", std::nullopt}, {u"中学1年", std::nullopt},
    };
    for (const auto& [cell, year] : cases)
        EXPECT_EQ(BaseYearOfGrade(QString::fromUtf16(cell), kSchoolYear), year)
            << QString::fromUtf16(cell).toStdString();
}

TEST(RosterCsv, ReadsSpreadsheetCsvWithOrWithoutBomAndInEitherLineEnd) {
    const QString rows = QStringLiteral("1,\"山田, 太郎\",小１,\r\n2,\"ｶﾅ\",2015,2\r\n\r\n"
                                        "3,佐藤先生,中3,1\r\n");
    for (const QByteArray& bytes :
         {csv(rows), csv(rows, false),
          csv(QString(rows).replace(QStringLiteral("\r\n"), QStringLiteral("\n")))}) {
        const QList<CsvPupil> p = pupilsOf(bytes);
        ASSERT_EQ(p.size(), 3);
        EXPECT_EQ(p[0].name, QStringLiteral("山田, 太郎"));
        EXPECT_EQ(p[0].gradeBaseYear, 2019);
        EXPECT_EQ(p[0].status, 0);
        EXPECT_EQ(p[1].status, 2);
        EXPECT_EQ(p[2].number, 3);
        EXPECT_EQ(p[2].line, 5);
    }
}

TEST(RosterCsv, RefusesABadRowWithItsLineAndReason) {
    struct Case {
        QString rows;
        int line;
        const char* reasonHas;
    };
    const Case cases[] = {
        {QStringLiteral("0,a,小１,0\r\n"), 2, "1 から 5000"},
        {QStringLiteral("1,a,小１,0\r\n5001,b,小１,0\r\n"), 3, "1 から 5000"},
        {QStringLiteral("x,a,小１,0\r\n"), 2, "1 から 5000"},
        {QStringLiteral("1,a,小１,0\r\n2,b,小２,0\r\n1,c,小３,0\r\n"), 4, "2 行目にも"},
        {QStringLiteral("1,  ,小１,0\r\n"), 2, "名前が空"},
        {QStringLiteral("1,\"a\r\nb\",小１,0\r\n2,\"x\"\"y\",小１,0\r\n"), 2, "改行"},
        {QStringLiteral("1,\"a\r\nb c\r\n\",小１,0\r\n2,\"x\"\"y\",小１,0\r\n"), 2, "改行"},
        {QStringLiteral("1,ok,小１,0\r\n2,\"x\r\n\r\n\",小１,0\r\n"), 3, "改行"},
        {QStringLiteral("1,\"ok\",小１,0\r\n2,\"x\"\"y\",小１,0\r\n"), 3, "「\"」"},
        {QStringLiteral("1,한국,小１,0\r\n"), 2, "Shift-JIS"},
        {QStringLiteral("1,あいうえおかきくけこさしすせそたちつてとな,小１,0\r\n"), 2, "20 文字"},
        {QStringLiteral("1,a,小学1年,0\r\n"), 2, "学年"},
        {QStringLiteral("1,a,小１,3\r\n"), 2, "状態"},
        {QStringLiteral("1,a,小１,-1\r\n"), 2, "状態"},
        {QStringLiteral("1,a,小１\r\n"), 2, "列が 3 つ"},
    };
    for (const Case& c : cases) {
        auto read = ReadRosterCsv(csv(c.rows), QStringLiteral("a.csv"), kSchoolYear);
        const FileError* e = std::get_if<FileError>(&read);
        ASSERT_TRUE(e) << c.rows.toStdString();
        EXPECT_EQ(e->line, c.line) << c.rows.toStdString();
        EXPECT_TRUE(e->message.contains(QString::fromUtf8(c.reasonHas)))
            << c.rows.toStdString() << " / " << e->message.toStdString();
    }
    auto heading = ReadRosterCsv(QByteArray("No,Name,Grade,State\r\n1,a,1,0\r\n"), {}, kSchoolYear);
    ASSERT_TRUE(std::holds_alternative<FileError>(heading));
    EXPECT_EQ(std::get<FileError>(heading).line, 1);
}

TEST(RosterCsv, ImportKeepsWhatTheCsvDoesNotSay) {
    // Pupil 7 is written as a sibling would, with blanks and extra values; the
    // line after pupil 8 no reader takes.
    const QString roster = QStringLiteral("7, 2019 ,3,4,\"七\",0,\"メモ\",\"x\"\r\n"
                                          "8,2018,0,0,\"八\",0,\"\",\"\"\r\n"
                                          "壊れた行\r\n"
                                          "9,2017,5,6,\"九\",1,\"a\",\"b\"\r\n");
    const QList<CsvPupil> pupils =
        pupilsOf(csv(QStringLiteral("9,九さん,小４,0\r\n7,七,小１,0\r\n12,十二,2014,2\r\n")));
    const QString nine = QStringLiteral("9,2016,5,6,\"九さん\",0,\"a\",\"b\"\r\n");
    const QString twelve = QStringLiteral("12,2014,0,0,\"十二\",2,\"\",\"\"\r\n");

    const RosterImport kept = ImportRoster(roster, pupils, false);
    EXPECT_EQ(kept.text,
              QString(roster).replace(QStringLiteral("9,2017,5,6,\"九\",1,\"a\",\"b\"\r\n"), nine) +
                  twelve);
    EXPECT_EQ(kept.pupils, 4);
    EXPECT_EQ(ImportReport(kept, kSchoolYear),
              (QStringList{QStringLiteral("追加: 12 十二（小６）"),
                           QStringLiteral("変更: 9 九さん（名前 九 → 九さん、学年 小３ → 小４、"
                                          "状態 1 → 0）")}));

    const RosterImport removed = ImportRoster(roster, pupils, true);
    EXPECT_EQ(removed.text, QStringLiteral("7, 2019 ,3,4,\"七\",0,\"メモ\",\"x\"\r\n壊れた行\r\n") +
                                nine + twelve);
    EXPECT_EQ(removed.pupils, 3);
    EXPECT_EQ(ImportReport(removed, kSchoolYear).last(), QStringLiteral("削除: 8 八（小２）"));
}

TEST(RosterCsv, ExportThenImportGivesTheSameRosterInTheNextSchoolYearToo) {
    // Kindergarten and beyond high school have no label of one grade: they
    // travel as base years. A name with a comma travels quoted.
    const QString roster = QStringLiteral("1,2019,0,0,\"一年, 生\",0,\"\",\"\"\r\n"
                                          "3,2025,0,0,\"幼い\",2,\"\",\"\"\r\n"
                                          "2,2000,1,1,\"大人\",1,\"k\",\"\"\r\n"
                                          "4,2011,0,0,\"中三先生\",0,\"\",\"\"\r\n");
    const QByteArray exported = RosterCsv(records(roster), kSchoolYear);
    EXPECT_EQ(exported, QByteArray("\xEF\xBB\xBF") + "年度,2026\r\n" +
                            csv(QStringLiteral("1,\"一年, 生\",小１,0\r\n3,幼い,2025,2\r\n"
                                               "2,大人,2000,1\r\n4,中三先生,中３,0\r\n"),
                                false));
    // Read in March of that school year and in April of the next one alike.
    for (const int importYear : {kSchoolYear, kSchoolYear + 1}) {
        const RosterCsvRows rows = rowsOf(exported, importYear);
        EXPECT_TRUE(rows.yearFromFile);
        EXPECT_EQ(rows.schoolYear, kSchoolYear);
        const RosterImport again = ImportRoster(roster, rows.pupils, true);
        EXPECT_EQ(again.text, roster);
        EXPECT_TRUE(again.added.isEmpty() && again.changed.isEmpty() && again.removed.isEmpty());
    }
}

} // namespace baisuu
