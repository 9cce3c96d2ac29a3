// The hub's result lists without a window: the line parts, the rankings of
// every view, today's runs and a period's runs over logs written byte by byte,
// the colour of a time list, and the rank look-ups.

#include "core/dates.h"
#include "hub/list_lines.h"
#include "hub/result_lists.h"
#include "records/log_bytes.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

const QDate kTuesday(2026, 12, 8);
const double kToday = 46364; // 2026-12-08, days since 1899-12-30
constexpr double kNineFive = (9 * 3600 + 5 * 60 + 3) / 86400.0;

struct ResultListsTest : ::testing::Test {
    ResultListsTest() {
        BuildLevelCatalog(catalog);
        for (int level = 1; level <= 11; ++level) {
            LevelCriteria& c = criteria.levels[level];
            c.targetTime = 30;
            c.passTime = 45;
            c.clearPoints = 20;
            c.clearCount = 3;
            c.pointFactor = 1.5f; // the run lists show the points before it
        }
        // In roster order: 1 and 2 in the first grade, 3 and 4 in the sixth (school year 2026).
        const int baseYears[] = {2019, 2019, 2014, 2014};
        const char16_t* names[] = {u"青木　さくら", u"石井　はると", u"上田　ゆい",
                                   u"江口　そうた"};
        for (int p = 1; p <= 4; ++p) {
            roster.rosterNumbers[size_t(p)] = qint16(p);
            roster.pupilNames[size_t(p)] = QString::fromUtf16(names[p - 1]) + QStringLiteral("  ");
            roster.pupilBaseYears[size_t(p)] = qint16(baseYears[p - 1]);
        }
        roster.rosterCount = 4;
        request.pupil = 2;
        request.today = kTuesday;
        request.schoolYear = 2026;
    }

    QString writeLog(const QList<RawRecord>& runs, const QByteArray& tail = {}) {
        QByteArray bytes;
        for (const RawRecord& r : runs)
            bytes += rawRecord(r);
        return writeFile(dir, QStringLiteral("成績累積データ.dat"), bytes + tail);
    }

    // The lists of the view over the log as the hub reads it at now.
    ListsView viewOf(const QList<RawRecord>& runs, const QDateTime& now) {
        const QString path = writeLog(runs);
        EXPECT_FALSE(ComputeLevelStats(*results, criteria, path, now));
        QList<RecordNumbers> records;
        EXPECT_FALSE(ReadLastRecords(path, RecordsForView(request), &records));
        request.today = now.date();
        return BuildListsView(request, catalog, criteria, roster, *results, records);
    }

    QTemporaryDir dir;
    LevelCatalog catalog;
    CriteriaTable criteria;
    StudentRoster roster;
    std::unique_ptr<ResultsState> results = std::make_unique<ResultsState>();
    ListRequest request;
};

} // namespace

TEST(ListLines, PiecesKeepTheirWidths) {
    EXPECT_EQ(Rank2(7), QStringLiteral(" 7"));
    EXPECT_EQ(Rank2(123), QStringLiteral("23"));
    EXPECT_EQ(Name5(QStringLiteral("青木　さくら  ")), QStringLiteral("青木　さく"));
    EXPECT_EQ(Name5(QStringLiteral("Li  ")), QStringLiteral("Li　　　"));
    EXPECT_EQ(Time5(5), QStringLiteral("   5秒"));
    EXPECT_EQ(Time5(1234), QStringLiteral("1234秒"));
    EXPECT_EQ(Time5(12345), QStringLiteral("2345秒"));

    // The clock and the date as cut from the time and date texts.
    for (double clock : {0.0, kNineFive, 0.5, 0.99999, 23.0 / 24 + 59.0 / 1440})
        EXPECT_EQ(Clock5(clock),
                  (QStringLiteral("00") + TimeText(TimeFromOle(clock))).right(8).left(5))
            << clock;
    EXPECT_EQ(Clock5(kNineFive), QStringLiteral("09:05"));
    EXPECT_EQ(Clock5(std::nan("")), QStringLiteral("00"));
    for (double day : {kToday, kToday + 0.7, 2.0, 45000.0})
        EXPECT_EQ(Date5(day), DateText(DateFromOle(day)).right(5)) << day;
}

TEST_F(ResultListsTest, RankingsShareRanksKeepPositionsAndListTheGroup) {
    // Best times at level 3: pupils 1 and 3 share 23 s, 2 failed, 4 never ran.
    const QDateTime now(kTuesday, QTime(16, 0));
    request.mode = ListMode::Time;
    request.view = ListView::Ranking;
    const QList<RawRecord> runs = {{kToday, 0.5, 3, 3, 23},        {kToday - 2, 0.5, 1, 3, 23},
                                   {kToday, 0.5, 1, 3, 30},        {kToday, 0.5, 2, 3, 99998},
                                   {kToday - 1, 0.5, 2, 3, 99999}, {kToday, 0.5, 2, 1, 40}};
    ListsView view = viewOf(runs, now);
    EXPECT_EQ(view.listsCaption, QStringLiteral("ベスト成績"));
    EXPECT_FALSE(view.periodChoice);
    ASSERT_EQ(view.levels.size(), 12u);
    EXPECT_EQ(view.levels[3].lines, (QStringList{QStringLiteral(" 1①青木　さく    23 　"),
                                                 QStringLiteral(" 1⑥上田　ゆい    23 　"),
                                                 QStringLiteral(" 3●石井　はる*失敗* ●"),
                                                 QStringLiteral("--⑥江口　そう------ 　")}));
    EXPECT_EQ(view.levels[3].ownLine, 2);
    EXPECT_EQ(view.levels[3].colour, ListColour::Unchanged); // rankings are not coloured

    // The first-graders alone keep the numbers they have among everyone.
    request.group = QStringLiteral("小１");
    view = viewOf(runs, now);
    EXPECT_EQ(view.levels[3].lines, (QStringList{QStringLiteral(" 1①青木　さく    23 　"),
                                                 QStringLiteral(" 3●石井　はる*失敗* ●")}));

    // Points: all-time order, then today's order without the pupils who have none today.
    request.group = QStringLiteral("全学年");
    request.mode = ListMode::Points;
    view = viewOf(runs, now);
    EXPECT_EQ(view.listsCaption, QStringLiteral("獲得ポイント（今まで順位）"));
    EXPECT_EQ(view.levels[3].lines, (QStringList{QStringLiteral(" 1①青木　さく  7/   14"),
                                                 QStringLiteral(" 2⑥上田　ゆい  7/    7"),
                                                 QStringLiteral(" 3●石井　はる  0/    0"),
                                                 QStringLiteral(" 3⑥江口　そう  0/    0")}));
    request.view = ListView::Today; // equal points today share the rank
    view = viewOf(runs, now);
    EXPECT_EQ(view.listsCaption, QStringLiteral("獲得ポイント（今日の順位）"));
    EXPECT_EQ(view.levels[3].lines, (QStringList{QStringLiteral(" 1①青木　さく  7/   14"),
                                                 QStringLiteral(" 1⑥上田　ゆい  7/    7")}));
    EXPECT_EQ(view.levels[1].lines, (QStringList{QStringLiteral(" 1●石井　はる  6/    6")}));
    EXPECT_EQ(view.levels[1].ownLine, 0);

    // A practice level's list stays hidden and empty in every view.
    catalog.levelNames[5] = QStringLiteral("レベル５練習");
    for (ListMode mode : {ListMode::Time, ListMode::Points})
        for (ListView v : {ListView::Ranking, ListView::Today, ListView::Period}) {
            request.mode = mode;
            request.view = v;
            view = viewOf(runs + QList<RawRecord>{{kToday, 0.5, 1, 5, 20}}, now);
            EXPECT_FALSE(view.levels[5].shown);
            EXPECT_TRUE(view.levels[5].lines.isEmpty());
            EXPECT_TRUE(view.levels[4].shown);
        }
}

TEST_F(ResultListsTest, TodaysRunsWithTheirClockAndPointsBeforeTheFactor) {
    request.mode = ListMode::Time;
    request.view = ListView::Today;
    EXPECT_EQ(RecordsForView(request), kTodayRecords);
    QList<RawRecord> runs = {
        {kToday, 0.2, 3, 2, 50}, // before the last thousand records
    };
    for (int i = 0; i < 998; ++i)
        runs.append({kToday - 1, 0.5, 1, 2, 20}); // yesterday's
    runs += {
        {kToday, kNineFive, 1, 2, 12}, // 15 points before the factor 1.5
        {kToday, 0.6, 2, 2, 40},       // over the target: 4
        {kToday, 0.7, 3, 2, 90000},    // timed out (from 90000 s on)
        {kToday, 0.7, 1, 12, 20},      // a level the hub does not offer
        {kToday, 0.7, 0, 0, 20},       // no level
        {kToday + 1, 0.1, 1, 2, 20},   // tomorrow's (a clock set wrong)
    };
    ListsView view = viewOf(runs, QDateTime(kTuesday, QTime(16, 0)));
    EXPECT_EQ(view.listsCaption, QStringLiteral("本日の成績"));
    EXPECT_FALSE(view.periodChoice);
    const QStringList lines = view.levels[2].lines;
    ASSERT_EQ(lines, (QStringList{QStringLiteral("  12秒 09:05①青木　さく①15"),
                                  QStringLiteral("  40秒 14:24●石井　はる●4"),
                                  QStringLiteral("　　× 16:48⑥上田　ゆい⑥")}));
    EXPECT_EQ(lines[2].at(2), QChar(u'×'));
    // The time-out takes no part in the colour: the 40 s run decides (within 45 s).
    EXPECT_EQ(view.levels[2].colour, ListColour::WithinPass);
    EXPECT_EQ(view.levels[1].colour, ListColour::Unchanged);
    for (int level = 1; level <= 11; ++level)
        if (level != 2) {
            EXPECT_TRUE(view.levels[size_t(level)].lines.isEmpty()) << level;
        }

    // Only the group's pupils; in point mode the view ranks today's points instead.
    request.group = QStringLiteral("小６");
    view = viewOf(runs, QDateTime(kTuesday, QTime(16, 0)));
    EXPECT_EQ(view.levels[2].lines, QStringList{QStringLiteral("　　× 16:48⑥上田　ゆい⑥")});
    EXPECT_EQ(view.levels[2].colour, ListColour::Unchanged);
}

TEST_F(ResultListsTest, ThePeriodsOfTheWeekOnASundayAndOnAMonday) {
    const QDate sunday(2026, 12, 13), monday(2026, 12, 14);
    EXPECT_EQ(PeriodDays(1, sunday), 7);
    EXPECT_EQ(PeriodDays(2, sunday), 14);
    EXPECT_EQ(PeriodDays(1, monday), 1);
    EXPECT_EQ(PeriodDays(2, monday), 8);
    EXPECT_EQ(PeriodDays(1, kTuesday), 2);
    EXPECT_EQ(PeriodDays(3, monday), 30);
    EXPECT_EQ(PeriodDays(4, monday), 365);
    EXPECT_EQ(PeriodDays(5, monday), 3650);
    EXPECT_EQ(PeriodDays(0, monday), 0);

    // One run a day at level 1, from Sunday the 6th up to today.
    const auto runsUpTo = [](QDate today) {
        QList<RawRecord> runs;
        for (double day = kToday - 2; day <= OleDate(today); ++day)
            runs.append({day, 0.5, 1, 1, 20});
        return runs;
    };
    request.mode = ListMode::Time;
    request.view = ListView::Period;
    request.period = 1;
    const auto dates = [](const QStringList& lines) {
        QStringList out;
        for (const QString& line : lines)
            out << line.mid(6, 5);
        return out;
    };
    ListsView view = viewOf(runsUpTo(sunday), QDateTime(sunday, QTime(12, 0)));
    EXPECT_EQ(view.listsCaption, QString());
    EXPECT_TRUE(view.periodChoice);
    EXPECT_EQ(dates(view.levels[1].lines),
              (QStringList{"12/07", "12/08", "12/09", "12/10", "12/11", "12/12", "12/13"}));
    view = viewOf(runsUpTo(monday), QDateTime(monday, QTime(12, 0)));
    EXPECT_EQ(dates(view.levels[1].lines), QStringList{"12/14"});
    request.period = 2;
    view = viewOf(runsUpTo(monday), QDateTime(monday, QTime(12, 0)));
    EXPECT_EQ(dates(view.levels[1].lines).size(), 8); // from Monday the 7th
}

TEST_F(ResultListsTest, APeriodsRunsInBothForms) {
    request.view = ListView::Period;
    request.period = 3; // 30 days
    EXPECT_EQ(RecordsForView(request), kPeriodRecords);
    const QList<RawRecord> runs = {
        {kToday - 30, 0.5, 1, 4, 25}, // just outside
        {kToday - 29, 0.5, 1, 4, 12},
        {kToday, 0.5, 2, 4, 99999},
        {kToday, 0.6, 4, 4, 100},
    };
    request.mode = ListMode::Time;
    ListsView view = viewOf(runs, QDateTime(kTuesday, QTime(16, 0)));
    EXPECT_EQ(view.levels[4].lines, (QStringList{QStringLiteral("  12秒 11/09①青木　さく①15"),
                                                 QStringLiteral("　　× 12/08●石井　はる●"),
                                                 QStringLiteral(" 100秒 12/08⑥江口　そう⑥1")}));
    EXPECT_EQ(view.levels[4].colour, ListColour::Silver); // 100 s is beyond 45

    request.mode = ListMode::Points;
    view = viewOf(runs, QDateTime(kTuesday, QTime(16, 0)));
    EXPECT_EQ(view.levels[4].lines, (QStringList{QStringLiteral("   15 11/09①青木　さく①12秒"),
                                                 QStringLiteral("　　× 12/08●石井　はる●"),
                                                 QStringLiteral("    1 12/08⑥江口　そう⑥100秒")}));
    EXPECT_EQ(view.levels[4].colour, ListColour::Unchanged); // point lists are not coloured
    EXPECT_TRUE(view.periodChoice);

    // Only the last twenty thousand records are read.
    QByteArray older = rawRecord({kToday, 0.5, 3, 4, 20});
    QByteArray recent;
    for (int i = 0; i < kPeriodRecords; ++i)
        recent += rawRecord({kToday - 400, 0.5, 1, 4, 20});
    const QString path = writeLog({}, older + recent + QByteArray("torn")); // a torn tail too
    QList<RecordNumbers> records;
    ASSERT_FALSE(ReadLastRecords(path, kPeriodRecords, &records));
    ASSERT_EQ(records.size(), kPeriodRecords);
    EXPECT_EQ(records.first().runDate, kToday - 400);
    EXPECT_TRUE(BuildListsView(request, catalog, criteria, roster, *results, records)
                    .levels[4]
                    .lines.isEmpty());
    ASSERT_FALSE(ReadLastRecords(dir.filePath(QStringLiteral("none.dat")), 10, &records));
    EXPECT_TRUE(records.isEmpty());
}

TEST_F(ResultListsTest, TheLastTimedLineColoursTheList) {
    const LevelCriteria& c = criteria.levels[1]; // 30 s target, 45 s to pass
    const QString within = QStringLiteral("  30秒 09:05①青木　さく①5");
    const QString passing = QStringLiteral("  45秒 09:05①青木　さく①1");
    const QString slow = QStringLiteral("  46秒 09:05①青木　さく①1");
    const QString cross = QStringLiteral("　　× 09:05①青木　さく①");
    EXPECT_EQ(ListColourOf({}, c), ListColour::Unchanged);
    EXPECT_EQ(ListColourOf({cross}, c), ListColour::Unchanged);
    EXPECT_EQ(ListColourOf({slow, within}, c), ListColour::WithinTarget);
    EXPECT_EQ(ListColourOf({within, passing, cross}, c), ListColour::WithinPass);
    EXPECT_EQ(ListColourOf({within, slow}, c), ListColour::Silver);
    // A time of four digits reads as its last three (characters 2 to 5 of the line).
    EXPECT_EQ(ListColourOf({Time5(1020) + QStringLiteral(" 09:05")}, c), ListColour::WithinTarget);
}

TEST_F(ResultListsTest, RankLookupsReadTheFirstThreeCharacters) {
    results->best(1, 6) = 20;
    results->best(3, 6) = 18;
    results->at(3, 6).points = 9;
    RankLookup time = LookupRanking(6, ListMode::Time, 1, 1, QStringLiteral("全学年"), 2026, roster,
                                    *results, catalog);
    EXPECT_EQ(time.rankText(), QStringLiteral(" 2●"));
    EXPECT_EQ(time.lines.value(3).left(3), QStringLiteral("---")); // no run
    EXPECT_EQ(LookupRanking(6, ListMode::Time, 1, 4, QStringLiteral("全学年"), 2026, roster,
                            *results, catalog)
                  .rankText(),
              QStringLiteral("---"));
    const RankLookup points = LookupRanking(6, ListMode::Points, 1, 3, QStringLiteral("全学年"),
                                            2026, roster, *results, catalog);
    EXPECT_EQ(points.rankText(), QStringLiteral(" 1●"));
    EXPECT_EQ(points.lines[points.pupilLine].right(5), QStringLiteral("    9"));
    // A pupil outside the group is not listed: no rank to read.
    EXPECT_EQ(LookupRanking(6, ListMode::Time, 1, 3, QStringLiteral("小１"), 2026, roster, *results,
                            catalog)
                  .rankText(),
              QString());
}

} // namespace baisuu
