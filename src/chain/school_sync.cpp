#include "chain/school_sync.h"

#include "chain/chain_schema.h"
#include "chain/school_sync_parts.h"
#include "core/dates.h"
#include "core/text_file.h"
#include "records/answers_file.h"
#include "records/result_record.h"
#include "records/results.h"
#include "roster/grades.h"
#include "roster/roster.h"

#include <QDir>
#include <QMap>

#include <algorithm>

namespace baisuu {

QByteArray SyncCopyLine(std::initializer_list<QByteArray> fields) {
    QByteArray line;
    for (const QByteArray& f : fields)
        line += (line.isEmpty() ? QByteArray() : QByteArray("\t")) + CopyField(f);
    return line + '\n';
}

QByteArray SyncDigest(QByteArrayView bytes) {
    return LogDigest(bytes);
}

std::optional<QString> SchoolSyncRun::begin() {
    if (auto e = db_.exec(QStringLiteral("BEGIN"))) return e;
    const QString code = QString::fromUtf8(code_);
    if (auto e = db_.exec(QStringLiteral("SELECT set_config('baisuu.school', $1, true)"), {code}))
        return e;
    return db_.exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtextextended("
                                   "'baisuu school ' || $1, 0))"),
                    {code});
}

std::optional<QString> SchoolSyncRun::run() {
    if (code_.isEmpty())
        return QStringLiteral("共通データ.txt に塾コードがないため、同期できません。"
                              "塾コードを設定してください（baisuu-cli settings）。");
    if (auto e = begin()) return e;
    step(SyncStep::Locked);
    int version = 0;
    if (auto e = writes() ? EnsureChainSchema(db_) : ChainSchemaVersion(db_, &version)) return e;
    if (!writes() && version > kChainSchemaVersion) return NewerSchemaText(version);
    tables_ = writes() || version > 0;
    step(SyncStep::SchemaReady);
    // The log is read once the school's lock is held, so the last of two
    // syncs leaves the database with the later log.
    if (auto e = ReadLogBytes(state_.paths.resultsLogFile(), &log_, options_.wait))
        return e->text();
    for (auto part : {&SchoolSyncRun::readStored, &SchoolSyncRun::sendSchool,
                      &SchoolSyncRun::sendRoster, &SchoolSyncRun::sendCriteria})
        if (auto e = (this->*part)()) return e;
    step(SyncStep::SchoolSent);
    if (auto e = sendRuns()) return e;
    if (auto e = sendPoints()) return e;
    if (auto e = sendSummary()) return e;
    step(SyncStep::RunsSent);
    if (auto e = sendAnswers()) return e;
    step(SyncStep::AnswersSent);
    if (auto e = finish()) return e;
    step(SyncStep::Committed);
    return std::nullopt;
}

// What the next sync compares with, and the end of the transaction.
std::optional<QString> SchoolSyncRun::finish() {
    if (!writes()) return db_.exec(QStringLiteral("ROLLBACK"));
    const auto hex = [](const QByteArray& b) { return QString::fromLatin1(b.toHex()); };
    if (auto e = db_.exec(QStringLiteral("UPDATE baisuu.schools SET log_records = $1,"
                                         " log_digest = decode($2, 'hex'),"
                                         " roster_digest = decode($3, 'hex'),"
                                         " criteria_digest = decode($4, 'hex'),"
                                         " synced_at = now() WHERE school_code = ") +
                              kSyncSchool,
                          {QString::number(log_.size() / kRecordSize), hex(logDigest_),
                           hex(rosterDigest_), hex(criteriaDigest_)}))
        return e;
    return db_.exec(QStringLiteral("COMMIT"));
}

std::optional<QString> SchoolSyncRun::readStored() {
    if (!tables_) return std::nullopt;
    QList<QStringList> rows;
    if (auto e = db_.exec(QStringLiteral("SELECT log_records, encode(log_digest, 'hex'),"
                                         " encode(roster_digest, 'hex'),"
                                         " encode(criteria_digest, 'hex') FROM baisuu.schools"
                                         " WHERE school_code = ") +
                              kSyncSchool,
                          {}, &rows))
        return e;
    if (rows.isEmpty()) return std::nullopt;
    const QStringList& r = rows.first();
    stored_ = {r[0].toLongLong(), QByteArray::fromHex(r[1].toLatin1()),
               QByteArray::fromHex(r[2].toLatin1()), QByteArray::fromHex(r[3].toLatin1())};
    return std::nullopt;
}

// The school's row first: every other row of the school names it.
std::optional<QString> SchoolSyncRun::sendSchool() {
    counts_.schools = 1;
    if (!writes()) return std::nullopt;
    return db_.exec(QStringLiteral("INSERT INTO baisuu.schools (school_code, school_name)"
                                   " VALUES (%1, $1) ON CONFLICT (school_code)"
                                   " DO UPDATE SET school_name = EXCLUDED.school_name")
                        .arg(kSyncSchool),
                    {state_.siteName.trimmed()});
}

std::optional<QString> SchoolSyncRun::sendRoster() {
    FileError error;
    const std::optional<QString> text = ReadTextFile(state_.paths.rosterFile(), &error);
    if (!text) return error.text();
    // The grades move on with the school year, the roster unchanged.
    const int schoolYear = CurrentSchoolYear(options_.today, state_.schoolYearStartMonth);
    rosterDigest_ = SyncDigest(text->toUtf8() + QByteArray::number(schoolYear));
    if (rosterDigest_ == stored_.rosterDigest) return std::nullopt;
    QList<FileError> problems;
    // A number listed twice is the later record's, as the roster's readers take it.
    QMap<int, StudentEntry> pupils;
    for (const RosterRecord& r : RosterRecords(*text, state_.paths.rosterFile(), &problems))
        pupils.insert(r.entry.number, r.entry);
    QByteArray rows;
    for (const StudentEntry& p : std::as_const(pupils)) {
        const int grade = GradeIndex(p.gradeBaseYear, schoolYear);
        rows += SyncCopyLine({code_, SyncNum(p.number), p.name.trimmed().toUtf8(),
                              SyncNum(p.gradeBaseYear), SyncNum(p.status), SyncNum(grade),
                              GradeLabelFull(grade).toUtf8()});
    }
    counts_.pupils = pupils.size();
    if (!writes()) return std::nullopt;
    if (auto e = db_.exec(QStringLiteral("DELETE FROM baisuu.pupils WHERE school_code = ") +
                          kSyncSchool))
        return e;
    return insertRows(QStringLiteral("pupils"),
                      QStringLiteral("school_code, pupil, name, base_year, status, grade_index,"
                                     " grade"),
                      rows);
}

std::optional<QString> SchoolSyncRun::sendCriteria() {
    QByteArray rows;
    for (int level = 1; level < kLevelSlots; ++level) {
        const LevelCriteria& c = criteria_.levels[size_t(level)];
        rows += SyncCopyLine({code_, SyncNum(level), SyncNum(c.targetTime), SyncNum(c.passTime),
                              SyncNum(c.clearPoints), SyncNum(c.clearCount),
                              QByteArray::number(double(c.pointFactor), 'g', 9)});
    }
    criteriaDigest_ = SyncDigest(rows);
    if (criteriaDigest_ == stored_.criteriaDigest) return std::nullopt;
    criteriaChanged_ = true;
    counts_.criteria = kLevelSlots - 1;
    if (!writes()) return std::nullopt;
    if (auto e = db_.exec(QStringLiteral("DELETE FROM baisuu.criteria WHERE school_code = ") +
                          kSyncSchool))
        return e;
    return insertRows(
        QStringLiteral("criteria"),
        QStringLiteral(
            "school_code, level, target_time, pass_time, clear_points, clear_count, point_factor"),
        rows);
}

std::optional<QString> SchoolSyncRun::insertRows(const QString& table, const QString& columns,
                                                 const QByteArray& rows) {
    if (rows.isEmpty()) return std::nullopt;
    const QString staging = QStringLiteral("sync_") + table;
    if (auto e = db_.exec(QStringLiteral("CREATE TEMP TABLE %1 ON COMMIT DROP AS SELECT %2 FROM"
                                         " baisuu.%3 WITH NO DATA")
                              .arg(staging, columns, table)))
        return e;
    if (auto e = db_.copyIn(QStringLiteral("COPY %1 FROM STDIN").arg(staging), rows)) return e;
    return db_.exec(QStringLiteral("INSERT INTO baisuu.%1 (%2) SELECT %2 FROM %3")
                        .arg(table, columns, staging));
}

std::optional<QString> SyncSchool(const QString& conninfo, const Hensuu1& state,
                                  const CriteriaTable& criteria, const SyncOptions& options,
                                  SyncCounts* counts) {
    *counts = {};
    PgConnection db;
    if (auto e = db.open(conninfo)) return e;
    SchoolSyncRun sync(db, state, criteria, options, *counts);
    // On a failure the connection's end rolls the transaction back.
    if (auto e = sync.run()) {
        if (db.lastSqlState() == QLatin1String("42501") && !e->startsWith(NoTablesText()))
            return QStringLiteral("この接続のロールには、塾コード %1 の成績を書く権限がありません。"
                                  "本部に、ロールと塾コードの対応（baisuu.school_roles）を"
                                  "確かめてもらってください。\n")
                       .arg(state.schoolCode.trimmed()) +
                   *e;
        return e;
    }
    return std::nullopt;
}

} // namespace baisuu
