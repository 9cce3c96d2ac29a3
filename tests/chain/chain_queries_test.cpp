// The head office's report computed in a real PostgreSQL from two schools
// synced as the schools sync them: the rows of each school and level, the
// cleared share at the edge of the criteria, the chain's most-missed numbers
// and the chain-wide rankings.

#include "chain_school.h"

#include "chain/chain_queries.h"
#include "records/results.h"

namespace baisuu {

namespace {

class ChainQueries : public ChainDatabaseTest {
  protected:
    // Two schools, level 2 and 3 runs in December 2026, answers on days 1 and 10.
    // 本町 (11111): pupil 3 (小３) 24 s on day 1 and 31 s on day 9; pupil 7
    // (小５) 65 s on day 2, 30 s and a time-out on day 10; pupil 9 (小４) only
    // a time-out; pupil 3 at level 3 50 s. 駅前 (22222): pupil 3 (中１) 20 s on
    // day 10, pupil 5 (小３) 24 s on day 3.
    void SetUp() override {
        ChainDatabaseTest::SetUp();
        a.roster(QStringLiteral("3,2017,0,0,\"上田　ゆい\",0,\"\",\"\"\r\n"
                                "7,2015,0,0,\"山田　花子\",0,\"\",\"\"\r\n"
                                "9,2016,0,0,\"佐藤　一郎\",0,\"\",\"\"\r\n"));
        b.roster(QStringLiteral("3,2013,0,0,\"田中　陽\",0,\"\",\"\"\r\n"
                                "5,2017,0,0,\"木村　空\",0,\"\",\"\"\r\n"));
        a.writeLog(a.record(3, 2, 24, 1) + a.record(3, 2, 31, 9) + a.record(7, 2, 65, 2) +
                   a.record(7, 2, 30, 10) + a.record(7, 2, 99999, 10) + a.record(9, 2, 99999, 10) +
                   a.record(3, 3, 50, 5));
        b.writeLog(b.record(3, 2, 20, 10) + b.record(5, 2, 24, 3));
        // Wrong at level 2: 12 and 18 three times, 7 and 44 twice (44 on day 1
        // only), 5 and 30 once; 99 always right.
        const auto answer = [](int day, qint32 number, bool correct) {
            return Answer{QDate(2026, 12, day), 36000, 2, 3, number, 1, correct, 900, false};
        };
        a.answers(3, {answer(10, 12, false), answer(10, 12, false), answer(10, 18, false),
                      answer(1, 44, false), answer(1, 44, false), answer(10, 99, true),
                      answer(10, 99, true), answer(10, 99, true), answer(10, 99, true)});
        b.answers(3, {answer(10, 12, false), answer(10, 18, false), answer(10, 18, false),
                      answer(10, 7, false), answer(10, 7, false), answer(10, 30, false),
                      answer(10, 5, false)});
        sync();
    }
    void sync() {
        SyncOptions options;
        options.today = kToday;
        a.sync(server->conninfo(db), options);
        b.sync(server->conninfo(db), options);
    }
    ChainReport report(int days, QList<int> levels = {}) {
        PgConnection c;
        EXPECT_FALSE(c.open(server->conninfo(db)));
        ChainReport out;
        const auto error = QueryChainReport(c, {levels, days, kToday}, &out);
        EXPECT_FALSE(error) << error.value_or(QString()).toStdString();
        return out;
    }

    const QDate kToday{2026, 12, 10};
    ChainSchool a{QStringLiteral("11111"), QStringLiteral("本町教室")};
    ChainSchool b{QStringLiteral("22222"), QStringLiteral("駅前教室")};
};

// "school level active runs median" of a row, the median "-" when there is none.
QString rowText(const ChainSchoolLevel& r) {
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(r.schoolCode)
        .arg(r.level)
        .arg(r.activePupils)
        .arg(r.runs)
        .arg(r.medianBest ? QString::number(*r.medianBest) : QStringLiteral("-"));
}

// "rank seconds school pupil name grade" of each line.
QStringList lineTexts(const ChainRanking& ranking) {
    QStringList out;
    for (const ChainRankLine& l : ranking.lines)
        out << QStringLiteral("%1 %2 %3 %4 %5 %6")
                   .arg(l.rank)
                   .arg(l.seconds)
                   .arg(l.schoolCode)
                   .arg(l.pupil)
                   .arg(l.pupilName, l.grade);
    return out;
}

} // namespace

TEST_F(ChainQueries, RowsPerSchoolAndLevelOverThePeriodWithTheChainsMostMissed) {
    struct Case {
        int days;
        QList<int> levels;
        QString period;
        QStringList rows;
        QList<qint32> missed; // at level 2
    };
    const QList<Case> cases = {
        // Pupil 9 has only a time-out: active, but left out of the median.
        {0,
         {},
         QStringLiteral("全期間"),
         {QStringLiteral("11111 2 3 6 27"), QStringLiteral("22222 2 2 2 22"),
          QStringLiteral("11111 3 1 1 50")},
         {12, 18, 7, 44, 5}},
        {2,
         {},
         QStringLiteral("最近2日（2026/12/09〜2026/12/10）"),
         {QStringLiteral("11111 2 3 4 30.5"), QStringLiteral("22222 2 1 1 20")},
         {12, 18, 7, 5, 30}},
        {0, {3}, QStringLiteral("全期間"), {QStringLiteral("11111 3 1 1 50")}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.days);
        const ChainReport r = report(c.days, c.levels);
        EXPECT_EQ(r.period, c.period);
        QStringList rows;
        for (const ChainSchoolLevel& row : r.rows) {
            rows << rowText(row);
            EXPECT_EQ(row.schoolName,
                      row.schoolCode == a.state.schoolCode ? a.state.siteName : b.state.siteName);
            EXPECT_EQ(row.mostMissed, row.level == 2 ? c.missed : QList<qint32>());
        }
        EXPECT_EQ(rows, c.rows);
    }
}

TEST_F(ChainQueries, ClearedShareAtTheEdgeOfTheSchoolsCriteria) {
    LevelCriteria& criteria = a.criteria.levels[2];
    // Pupil 3's points over both runs; pupil 7's fall short of them.
    const int edge = RecordPoints(criteria, 24) + RecordPoints(criteria, 31);
    ASSERT_LT(RecordPoints(criteria, 30) + RecordPoints(criteria, 65) +
                  RecordPoints(criteria, 99999),
              edge);
    struct Case {
        int points, count, days;
        double share; // of 本町's three active pupils at level 2
    };
    const QList<Case> cases = {
        {edge, 2, 0, 1.0 / 3}, // pupil 3 exactly at both figures
        {edge + 1, 2, 0, 0},   // one point short
        {edge, 3, 0, 0},       // one attempt short: a time-out is no attempt
        {edge, 1, 2, 0},       // within two days only the 31 s run counts
        {0, 0, 0, 1},          // every active pupil, pupil 9 with only a time-out too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.points << ' ' << c.count << ' ' << c.days);
        criteria.clearPoints = c.points;
        criteria.clearCount = qint16(c.count);
        sync();
        const ChainReport r = report(c.days, {2});
        ASSERT_FALSE(r.rows.isEmpty());
        EXPECT_EQ(r.rows[0].schoolCode, a.state.schoolCode);
        EXPECT_DOUBLE_EQ(r.rows[0].clearedShare, c.share);
    }
}

TEST_F(ChainQueries, RankingSharesRanksKeepsEachPupilOnceAndTakesAGroup) {
    struct Case {
        int days;
        QString group; // empty: the report's own ranking
        QStringList lines;
    };
    const QList<Case> cases = {
        {0,
         {},
         {QStringLiteral("1 20 22222 3 田中　陽 中１"),
          QStringLiteral("2 24 11111 3 上田　ゆい 小３"),
          QStringLiteral("2 24 22222 5 木村　空 小３"),
          QStringLiteral("4 30 11111 7 山田　花子 小５")}},
        {2,
         {},
         {QStringLiteral("1 20 22222 3 田中　陽 中１"),
          QStringLiteral("2 30 11111 7 山田　花子 小５"),
          QStringLiteral("3 31 11111 3 上田　ゆい 小３")}},
        {0,
         QStringLiteral("全学年"),
         {QStringLiteral("1 20 22222 3 田中　陽 中１"),
          QStringLiteral("2 24 11111 3 上田　ゆい 小３"),
          QStringLiteral("2 24 22222 5 木村　空 小３"),
          QStringLiteral("4 30 11111 7 山田　花子 小５")}},
        {0,
         QStringLiteral("小３"),
         {QStringLiteral("1 24 11111 3 上田　ゆい 小３"),
          QStringLiteral("1 24 22222 5 木村　空 小３")}},
        {0, QStringLiteral("中２"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.days << ' ' << c.group.toStdString());
        ChainRanking ranking;
        if (c.group.isEmpty()) {
            const ChainReport r = report(c.days, {2});
            ASSERT_EQ(r.rankings.size(), 1);
            ranking = r.rankings[0];
        } else {
            PgConnection connection;
            ASSERT_FALSE(connection.open(server->conninfo(db)));
            ASSERT_FALSE(QueryChainRanking(connection, 2, c.group, &ranking));
        }
        EXPECT_EQ(ranking.level, 2);
        EXPECT_EQ(lineTexts(ranking), c.lines);
        for (const ChainRankLine& line : ranking.lines)
            EXPECT_EQ(line.schoolName,
                      line.schoolCode == a.state.schoolCode ? a.state.siteName : b.state.siteName);
    }
}

} // namespace baisuu
