// The rules of typed values in baisuu-cli append, replace and criteria --set,
// from the tables of the teacher's screens' tests: a refused value exits 2
// with a Japanese line saying what to type, and writes nothing.

#include "cli_school.h"
#include "records/criteria_files.h"
#include "records/criteria_table.h"
#include "records/log_bytes.h"
#include "value_rules_cases.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

constexpr double k20261208 = 46364; // days since 1899-12-30

struct ValueRulesCli : ::testing::Test {
    CliDemoSchool school{QStringLiteral("2026-12-08T15:30:00")};
    QString log = school.writeData(QStringLiteral("成績累積データ.dat"),
                                   rawRecord({k20261208, 0.25, 1, 1, 40}) +
                                       rawRecord({k20261208, 0.25, kGonePupil, 1, 41}));
    QString criteria = school.writeData(QStringLiteral("タイム回数データ.txt"), sjis(kThreeLevels));
    void SetUp() override {
        writeFile(school.dir, QStringLiteral("school/data/新名簿.txt"), sjis(kRulesRoster));
    }
    void expect(const QStringList& args, const QString& file, const QString& refusal) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const QByteArray before = readBytes(file);
        const ProcessResult r = school.cli(args);
        EXPECT_EQ(r.code, refusal.isEmpty() ? 0 : 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(refusal) && !r.err.contains(QStringLiteral("e+")))
            << r.err.toStdString();
        EXPECT_EQ(readBytes(file) == before, !refusal.isEmpty());
    }
};

} // namespace

TEST_F(ValueRulesCli, AppendAndReplaceTakeRunTimesAndPupilsAsTheRecordsManagerDoes) {
    for (const ValueCase& c : kRunTimeCases) {
        expect({"append", "--pupil", "1", "--level", "1", "--time", c.text}, log, c.refusal);
        expect({"replace", "1", "--time", c.text}, log, c.refusal);
    }
    for (const auto& [pupil, refusal] : kPupilCases) {
        const QString number = QString::number(pupil);
        expect({"append", "--pupil", number, "--level", "1", "--time", "30"}, log, refusal);
        expect({"replace", "1", "--pupil", number}, log, refusal);
    }
    // Record 2 keeps its pupil, on no roster, whatever else changes.
    expect({"replace", "2", "--pupil", QString::number(kGonePupil), "--time", "50"}, log, {});
    EXPECT_EQ(readBytes(log).mid(44, 44), rawRecord({k20261208, 0.25, kGonePupil, 1, 50}));
}

TEST_F(ValueRulesCli, CriteriaSetTakesEachColumnByTheEditorsRuleAndChecksAllBeforeWriting) {
    for (const auto& [heading, text, refusal] : kCriteriaCases) {
        expect({"criteria", "--set", "1:" + heading + "=" + text}, criteria, refusal);
        const QList<QByteArray> cells = readBytes(criteria).split('\n').value(1).split(',');
        EXPECT_EQ(cells.value(CriteriaHeadings().indexOf(heading)) == text.toUtf8(),
                  refusal.isEmpty());
        school.writeData(QStringLiteral("タイム回数データ.txt"), sjis(kThreeLevels));
    }
    // One bad value of several writes nothing, and the line names it.
    expect({"criteria", "--set", "1:最低Time=45", "--set", "2:禁回=-1"}, criteria,
           "レベル2の「禁回」");
    expect({"criteria", "--set", "1:最低タイム=45"}, criteria, "1:最低タイム=45");
    expect({"criteria", "--set", "9:禁回=1"}, criteria, "9:禁回=1");
    expect({"criteria", "--set", "1:最低Time=45", "--set", "3:禁期間=4"}, criteria, {});
    EXPECT_TRUE(readBytes(criteria).contains("\r\n20,45,100,5,1.5,20,,7,1,x,,\r\n"));
    EXPECT_TRUE(readBytes(criteria).endsWith("\r\n50,70,300,4,2,,,,4,,,\r\n"));
}

} // namespace baisuu
