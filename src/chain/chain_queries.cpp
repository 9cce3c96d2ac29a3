#include "chain/chain_queries.h"

#include "chain/chain_schema.h"

#include "records/results.h"
#include "reports/paged_document.h"
#include "roster/grades.h"

#include <QSet>

namespace baisuu {

namespace {

// The statements' parameters: $1 the levels (int[], null for every level),
// $2 and $3 the first and last day of the period (null for every day), and
// for the rankings $4 the grade indexes they admit (int[], null for all).
//
// Each pupil's figures at a level over the period, from their runs alone:
// runs, best time (a timed-out run has none), points, and attempts (runs
// under kCountedBelow seconds).
const char* const kPupilLevel =
    "WITH pupil_level AS MATERIALIZED (SELECT r.school_code, r.level, r.pupil,"
    " count(*) AS runs, min(r.seconds) FILTER (WHERE NOT r.timed_out) AS best,"
    " sum(coalesce(p.points, 0)) AS points, count(*) FILTER (WHERE r.seconds < %1) AS attempts"
    " FROM baisuu.runs r LEFT JOIN baisuu.run_points p ON p.school_code = r.school_code"
    " AND p.level = r.level AND p.seconds = r.seconds"
    " WHERE ($1::int[] IS NULL OR r.level = ANY ($1::int[]))"
    " AND ($2::date IS NULL OR r.run_date BETWEEN $2::date AND $3::date)"
    " GROUP BY r.school_code, r.level, r.pupil)";

// The same over every run, as the sync keeps them (baisuu.pupil_levels): a
// few rows a pupil instead of every run. The period's parameters are null
// here, and the attempts' bound (%1) is the sync's.
const char* const kPupilLevelKept =
    "WITH pupil_level AS MATERIALIZED (SELECT school_code, level, pupil, runs, best, points,"
    " attempts FROM baisuu.pupil_levels WHERE ($1::int[] IS NULL OR level = ANY ($1::int[]))"
    " AND $2::date IS NULL AND $3::date IS NULL AND %1 > 0)";

// Each pupil's figures of the period, from the kept ones when it is every run.
const char* pupilLevel(int days) {
    return days > 0 ? kPupilLevel : kPupilLevelKept;
}

// One row per school and level. A pupil has cleared the level as the program
// judges it, with the report's period as the judgement period: the points of
// their runs reach the school's clear_points and their attempts its
// clear_count (judgePoints >= clearPoints and judgeAttempts >= clearCount).
// percentile_cont leaves out the pupils without a best time.
const char* const kSchoolRows =
    " SELECT pl.level, pl.school_code, s.school_name, count(*), sum(pl.runs),"
    " percentile_cont(0.5) WITHIN GROUP (ORDER BY pl.best),"
    " count(*) FILTER (WHERE pl.points >= c.clear_points AND pl.attempts >= c.clear_count)"
    " FROM pupil_level pl JOIN baisuu.schools s ON s.school_code = pl.school_code"
    " LEFT JOIN baisuu.criteria c ON c.school_code = pl.school_code AND c.level = pl.level"
    " GROUP BY pl.level, pl.school_code, s.school_name ORDER BY pl.level, pl.school_code";

// The best lines of each level chain-wide: every pupil once with their best
// time, equal times sharing a rank.
const char* const kRankings =
    " SELECT level, rank, best, name, grade, school_name, school_code, pupil FROM"
    " (SELECT pl.level, pl.best, pl.school_code, pl.pupil, s.school_name,"
    " coalesce(u.name, '') AS name, coalesce(u.grade, '') AS grade,"
    " rank() OVER (PARTITION BY pl.level ORDER BY pl.best) AS rank,"
    " row_number() OVER (PARTITION BY pl.level ORDER BY pl.best, pl.school_code, pl.pupil)"
    " AS line FROM pupil_level pl JOIN baisuu.schools s ON s.school_code = pl.school_code"
    " LEFT JOIN baisuu.pupils u ON u.school_code = pl.school_code AND u.pupil = pl.pupil"
    " WHERE pl.best IS NOT NULL AND ($4::int[] IS NULL OR u.grade_index = ANY ($4::int[])))"
    " ranked WHERE line <= %1 ORDER BY level, line";

// The numbers the chain's answers miss most at each level over the period,
// practice answers included as everywhere else; ties by the smaller number.
const char* const kMostMissed =
    "SELECT level, number FROM (SELECT level, number, row_number() OVER"
    " (PARTITION BY level ORDER BY count(*) DESC, number) AS line FROM baisuu.answers"
    " WHERE NOT correct AND ($1::int[] IS NULL OR level = ANY ($1::int[]))"
    " AND ($2::date IS NULL OR (answered_at >= $2::date AND answered_at < $3::date + 1))"
    " GROUP BY level, number) missed WHERE line <= %1 ORDER BY level, line";

QString intArray(const QList<int>& values) {
    QStringList texts;
    for (const int v : values)
        texts << QString::number(v);
    return QLatin1Char('{') + texts.join(QLatin1Char(',')) + QLatin1Char('}');
}

QStringList parameters(const QList<int>& levels, int days, QDate today,
                       const std::optional<QList<int>>& grades) {
    const bool period = days > 0;
    return {levels.isEmpty() ? QString() : intArray(levels),
            period ? today.addDays(1 - days).toString(Qt::ISODate) : QString(),
            period ? today.toString(Qt::ISODate) : QString(),
            grades ? intArray(*grades) : QString()};
}

// The rankings of rows (kRankings' columns) by level.
QList<ChainRanking> rankingsOf(const QList<QStringList>& rows) {
    QList<ChainRanking> rankings;
    for (const QStringList& row : rows) {
        const int level = row[0].toInt();
        if (rankings.isEmpty() || rankings.last().level != level)
            rankings.append(ChainRanking{level, {}});
        rankings.last().lines.append(ChainRankLine{row[1].toInt(), row[2].toInt(), row[3], row[4],
                                                   row[5], row[6], row[7].toInt()});
    }
    return rankings;
}

ChainSchoolLevel schoolLevelOf(const QStringList& row) {
    ChainSchoolLevel s;
    s.level = row[0].toInt();
    s.schoolCode = row[1];
    s.schoolName = row[2];
    s.activePupils = row[3].toInt();
    s.runs = row[4].toLongLong();
    if (!row[5].isNull()) s.medianBest = row[5].toDouble();
    s.clearedShare = s.activePupils > 0 ? row[6].toDouble() / s.activePupils : 0;
    return s;
}

// The grade indexes among the chain's pupils that group admits.
std::optional<QString> gradesOf(PgConnection& db, const QString& group, QList<int>* grades) {
    QList<QStringList> rows;
    if (auto error =
            db.exec(QStringLiteral("SELECT DISTINCT grade_index FROM baisuu.pupils"), {}, &rows))
        return error;
    for (const QStringList& row : rows)
        if (IsInGradeGroup(group, row[0].toInt())) grades->append(row[0].toInt());
    return std::nullopt;
}

// The tables the statements read are there and of the version they know.
std::optional<QString> readableTables(PgConnection& db) {
    int version = 0;
    if (auto error = ChainSchemaVersion(db, &version)) return error;
    if (version == 0)
        return QStringLiteral("本部のデータベースにまだ教室の成績がありません。"
                              "教室で baisuu-cli sync をしてから、もう一度してください。");
    if (version > kChainSchemaVersion)
        return QStringLiteral("データベースの形式（版 %1）はこのプログラムの形式（版 %2）より"
                              "新しいため、読めません。このプログラムを新しい版にしてください。")
            .arg(version)
            .arg(kChainSchemaVersion);
    return std::nullopt;
}

QString withLimit(const char* head, const char* tail, int limit) {
    return (QString::fromLatin1(head) + QString::fromLatin1(tail)).arg(limit);
}

} // namespace

std::optional<QString> QueryChainReport(PgConnection& db, const ChainReportRequest& request,
                                        ChainReport* out) {
    *out = ChainReport{};
    out->request = request;
    out->period = PeriodText(request.days, request.today);
    const QStringList params = parameters(request.levels, request.days, request.today, {});
    if (auto error = readableTables(db)) return error;
    QList<QStringList> rows, ranks, missed;
    // One snapshot for the three statements, so a sync between them cannot
    // make the rows and the rankings disagree.
    if (auto error = db.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")))
        return error;
    std::optional<QString> error = db.exec(
        withLimit(pupilLevel(request.days), kSchoolRows, kCountedBelow), params.mid(0, 3), &rows);
    if (!error)
        error = db.exec(withLimit(pupilLevel(request.days), "", kCountedBelow) +
                            QString::fromLatin1(kRankings).arg(kChainRankLines),
                        params, &ranks);
    if (!error)
        error = db.exec(withLimit(kMostMissed, "", kChainMostMissed), params.mid(0, 3), &missed);
    db.exec(QStringLiteral("ROLLBACK"));
    if (error) return error;

    QHash<int, QList<qint32>> mostMissed;
    for (const QStringList& row : std::as_const(missed))
        mostMissed[row[0].toInt()].append(row[1].toInt());
    for (const QStringList& row : std::as_const(rows)) {
        out->rows.append(schoolLevelOf(row));
        out->rows.last().mostMissed = mostMissed.value(out->rows.last().level);
    }
    out->rankings = rankingsOf(ranks);
    return std::nullopt;
}

std::optional<QString> QueryChainRanking(PgConnection& db, int level, const QString& group,
                                         ChainRanking* out) {
    *out = ChainRanking{level, {}};
    if (auto error = readableTables(db)) return error;
    std::optional<QList<int>> grades;
    if (group != SelectionGroupTexts().first()) {
        grades.emplace();
        if (auto error = gradesOf(db, group, &*grades)) return error;
    }
    QList<QStringList> ranks;
    if (auto error = db.exec(withLimit(pupilLevel(0), "", kCountedBelow) +
                                 QString::fromLatin1(kRankings).arg(kChainRankLines),
                             parameters({level}, 0, {}, grades), &ranks))
        return error;
    if (const QList<ChainRanking> rankings = rankingsOf(ranks); !rankings.isEmpty())
        *out = rankings.first();
    return std::nullopt;
}

} // namespace baisuu
