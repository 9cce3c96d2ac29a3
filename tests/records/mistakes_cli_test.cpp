// baisuu-cli mistakes and check over answers files the test writes, against
// the plain tally of the same answers; and the refusals.

#include "cli_school.h"
#include "core/level_catalog.h"
#include "records/mistakes_reference.h"
#include "reports/weak_numbers.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

const QDate kNow(2026, 12, 9);

class MistakesCli : public ::testing::Test, protected CliDemoSchool {
  protected:
    MistakesCli() : CliDemoSchool(QStringLiteral("2026-12-09T15:30:00")) {
        // School year 2026: 小３, 中１, 小１, and a pupil off the lists (status 1).
        const QString roster = QStringLiteral(
            "1,2017,0,0,\"山田　花子\",0,\"\",\"\"\r\n2,2013,0,0,\"佐藤　健\",0,\"\",\"\"\r\n"
            "3,2019,0,0,\"鈴木　一郎\",0,\"\",\"\"\r\n4,2019,0,0,\"休会中\",1,\"\",\"\"\r\n");
        writeFile(dir, QStringLiteral("school/data/新名簿.txt"), sjis(roster));
        // The demo's own answers give way to the ones written here.
        QDir(AnswersFolder(root() + QStringLiteral("/data/倍数判定/"))).removeRecursively();
        for (int p = 1; p <= 4; ++p) {
            answers[p] = randomAnswers(600, p, kNow);
            EXPECT_FALSE(AppendAnswers(path(p), answers[p]));
        }
    }
    QString path(int pupil) const {
        return AnswersFilePath(root() + QStringLiteral("/data/倍数判定/"), pupil);
    }
    QString expected(std::initializer_list<int> pupils, const MistakesFilter& f) const {
        QList<Answer> all;
        for (int p : pupils)
            all += answers[p];
        return QString::fromLatin1(MistakesJson(reference(all, f)));
    }
    QString mistakes(const QStringList& args) const {
        const ProcessResult r = cli(QStringList{QStringLiteral("mistakes")} + args);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        return r.out.trimmed();
    }

    QList<Answer> answers[5];
};

} // namespace

TEST_F(MistakesCli, OnePupilAndGroupsAgreeWithThePlainTally) {
    const MistakesFilter all;
    EXPECT_EQ(mistakes({"--pupil", "2"}), expected({2}, all));
    EXPECT_EQ(mistakes({"--pupil", "3", "--level", "11", "--days", "5"}),
              expected({3}, {11, 5, kNow}));
    // The whole school counts the pupils on the roster now, not pupil 4.
    EXPECT_EQ(mistakes({}), expected({1, 2, 3}, all));
    EXPECT_EQ(mistakes({"--group", "全学年", "--days", "1"}), expected({1, 2, 3}, {0, 1, kNow}));
    EXPECT_EQ(mistakes({"--group", "小１", "--level", "4"}), expected({3}, {4, 0, kNow}));
    // A pupil without a file has no answers.
    EXPECT_EQ(mistakes({"--pupil", "9"}),
              "{\"answers\": 0, \"wrong\": 0, \"levels\": [], \"practice\": 0}");
}

TEST_F(MistakesCli, CheckTellsTheUnreadableLinesAndMistakesSkipsThem) {
    QFile f(path(2));
    ASSERT_TRUE(f.open(QIODevice::Append));
    // Practice lines (in every file, and line 602 here) are answers; a ninth item 0 is not.
    f.write("not an answer\r\n2026/12/09,10:00:00,3,3,12,1,1,800,1\r\n"
            "2026/12/09,10:00:01,3,3,12,1,1,800,0\r\n2026/12/09,10:00");
    f.close();
    const ProcessResult r = cli({QStringLiteral("check")});
    EXPECT_EQ(r.code, 1);
    for (const int line : {601, 603, 604})
        EXPECT_TRUE(r.out.contains(QStringLiteral("0002.txt (%1行目)").arg(line)))
            << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("0002.txt (602行目)"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("0001.txt"))) << r.out.toStdString();
    answers[2].append({kNow, 36000, 3, 3, 12, 1, true, 800, true});
    EXPECT_EQ(mistakes({"--pupil", "2"}), expected({2}, {}));
}

TEST_F(MistakesCli, BadArgumentsAreRefused) {
    const struct {
        QStringList args;
        const char* told;
    } cases[] = {
        {{"--pupil", "1", "--group", "全学年"}, "どちらか一つだけ"},
        {{"--pupil", "5001"}, "--pupil には 0 から 5000 までの整数"},
        {{"--pupil", "x"}, "--pupil は半角の数字"},
        {{"--pupil"}, "--pupil には"},
        {{"--group", "高１"}, "--group には次のどれか"},
        {{"--pupil", "1", "--level", "0"}, "--level には 1 から"},
        {{"--pupil", "1", "--level", "99"}, "--level には 1 から"},
        {{"--pupil", "1", "--days", "0"}, "--days には 1 から"},
        {{"--group", "小１", "--days", "ten"}, "--days は半角の数字で入れてください"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = cli(QStringList{QStringLiteral("mistakes")} + c.args);
        EXPECT_EQ(r.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.told))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(MistakesCli, MistakesChartWritesEachPupilsPagesAsTheViewBuildsThem) {
    const QString out = dir.filePath(QStringLiteral("苦手.pdf"));
    const ProcessResult r =
        cli({QStringLiteral("mistakes-chart"), QStringLiteral("--pupil"), QStringLiteral("1,3"),
             QStringLiteral("--levels"), QStringLiteral("1,7,11"), QStringLiteral("--out"), out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString second = dir.filePath(QStringLiteral("苦手-2.pdf"));
    EXPECT_EQ(r.out, out + QStringLiteral("\n") + second + QStringLiteral("\n"));
    LevelCatalog catalog;
    BuildLevelCatalog(catalog);
    WeakNumbersRequest request;
    request.today = kNow;
    request.levels = {1, 7, 11};
    // The teacher's pages, with the weak numbers' lists.
    CriteriaTable criteria;
    ASSERT_FALSE(
        LoadCriteria(criteria, root() + QStringLiteral("/data/倍数判定/タイム回数データ.txt")));
    request.fluentMs = FluentTimes(criteria);
    request.forTeacher = true;
    for (const auto& [pupil, file] : {std::pair(1, out), std::pair(3, second)}) {
        const WeakNumbersDocument doc =
            BuildWeakNumbersDocument(request, answers[pupil], catalog, MultiplesProblemSource{});
        EXPECT_GE(doc.pages.size(), 5); // level 11's ten grids take five pages
        EXPECT_EQ(pdfPages(file), doc.pages.size()) << file.toStdString();
    }

    const struct {
        QStringList args;
        const char* told;
    } refused[] = {
        {{"--pupil", "1", "--levels", "1"}, "--out に"},
        {{"--out", out, "--levels", "1"}, "--pupil に"},
        {{"--out", out, "--pupil", "1", "--levels", "0"}, "--levels の値は 1〜11"},
        {{"--out", out, "--pupil", "1", "--levels", "3,12"}, "--levels の値は 1〜11"},
        {{"--out", out, "--pupil", "1", "--levels", "3", "--days", "0"}, "--days には 1 から"},
    };
    for (const auto& c : refused) {
        const ProcessResult bad = cli(QStringList{QStringLiteral("mistakes-chart")} + c.args);
        EXPECT_EQ(bad.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(bad.err.contains(QString::fromUtf8(c.told))) << bad.err.toStdString();
    }
}

} // namespace baisuu
