#include "chain/chain_schema.h"

namespace baisuu {

namespace {

// Any fixed number: the lock under which the first sync makes the tables.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7436501)";

// Runs are kept as the log's 44 bytes with the fields the views need beside
// them; their points are kept once per school, level and time, so a change
// of the criteria rewrites a few rows, not every run.
const char* const kTables[] = {
    "CREATE SCHEMA IF NOT EXISTS baisuu",
    "CREATE TABLE baisuu.schema_version (version integer NOT NULL)",
    "CREATE TABLE baisuu.schools (school_code text PRIMARY KEY, school_name text NOT NULL,"
    " log_records bigint NOT NULL DEFAULT 0, log_digest bytea, roster_digest bytea,"
    " criteria_digest bytea, synced_at timestamptz)",
    "CREATE TABLE baisuu.pupils (school_code text NOT NULL,"
    " pupil integer NOT NULL, name text NOT NULL, base_year integer NOT NULL,"
    " status integer NOT NULL, grade_index integer NOT NULL, grade text NOT NULL,"
    " PRIMARY KEY (school_code, pupil))",
    "CREATE TABLE baisuu.criteria (school_code text NOT NULL,"
    " level integer NOT NULL, target_time integer NOT NULL, pass_time integer NOT NULL,"
    " clear_points integer NOT NULL, clear_count integer NOT NULL,"
    " point_factor double precision NOT NULL, PRIMARY KEY (school_code, level))",
    "CREATE TABLE baisuu.runs (id bigserial PRIMARY KEY,"
    " school_code text NOT NULL, record bytea NOT NULL,"
    " pupil integer NOT NULL, level integer NOT NULL, seconds integer NOT NULL,"
    " run_date date NOT NULL, timed_out boolean NOT NULL)",
    "CREATE INDEX runs_school_level ON baisuu.runs (school_code, level, pupil)",
    "CREATE INDEX runs_date ON baisuu.runs (run_date)",
    // Each pupil's figures at each level over every run, kept by the sync:
    // the report of every run reads these, not the runs.
    "CREATE TABLE baisuu.pupil_levels (school_code text NOT NULL, level integer NOT NULL,"
    " pupil integer NOT NULL, runs bigint NOT NULL, best integer, points bigint NOT NULL,"
    " attempts bigint NOT NULL, PRIMARY KEY (school_code, level, pupil))",
    "CREATE INDEX pupil_levels_best ON baisuu.pupil_levels (level, best)",
    "CREATE TABLE baisuu.run_points (school_code text NOT NULL,"
    " level integer NOT NULL, seconds integer NOT NULL, points integer NOT NULL,"
    " PRIMARY KEY (school_code, level, seconds))",
    "CREATE TABLE baisuu.answer_files (school_code text NOT NULL,"
    " pupil integer NOT NULL, synced_bytes bigint NOT NULL, head_digest bytea NOT NULL,"
    " file_size bigint NOT NULL, file_mtime bigint NOT NULL,"
    " PRIMARY KEY (school_code, pupil))",
    "CREATE TABLE baisuu.answers (school_code text NOT NULL,"
    " pupil integer NOT NULL, answered_at timestamp NOT NULL, level integer NOT NULL,"
    " divisor integer NOT NULL, number integer NOT NULL, key integer NOT NULL,"
    " correct boolean NOT NULL, ms integer NOT NULL, practice boolean NOT NULL)",
    "CREATE INDEX answers_school_pupil ON baisuu.answers (school_code, pupil)",
    // The report's most-missed numbers read the wrong answers alone, by level.
    "CREATE INDEX answers_missed ON baisuu.answers (level, number) INCLUDE (answered_at)"
    " WHERE NOT correct",
    "CREATE VIEW public.chain_runs AS SELECT r.school_code, s.school_name, r.pupil, r.level,"
    " r.seconds, p.points, r.run_date, r.timed_out FROM baisuu.runs r"
    " JOIN baisuu.schools s ON s.school_code = r.school_code"
    " LEFT JOIN baisuu.run_points p ON p.school_code = r.school_code AND p.level = r.level"
    " AND p.seconds = r.seconds",
    "CREATE VIEW public.chain_answers AS SELECT school_code, pupil, answered_at, level,"
    " divisor, number, key, correct, ms, practice FROM baisuu.answers",
    // Which school each login role writes for: the office fills it (README).
    "CREATE TABLE baisuu.school_roles (role name PRIMARY KEY, school_code text NOT NULL)",

    // Every role of the database may sync, but only the rows of its own
    // school: row level security on the school code (the policies below). The
    // owner who made the tables is above it.
    "GRANT USAGE ON SCHEMA baisuu TO PUBLIC",
    "GRANT SELECT ON baisuu.schema_version, baisuu.school_roles TO PUBLIC",
    "GRANT SELECT, INSERT, UPDATE, DELETE ON baisuu.schools, baisuu.pupils, baisuu.criteria,"
    " baisuu.pupil_levels,"
    " baisuu.runs, baisuu.run_points, baisuu.answer_files, baisuu.answers TO PUBLIC",
    "GRANT USAGE ON SEQUENCE baisuu.runs_id_seq TO PUBLIC",
    "GRANT SELECT ON public.chain_runs, public.chain_answers TO PUBLIC",
};

// The tables whose rows belong to one school each.
const char* const kSchoolTables[] = {"pupil_levels", "schools",    "pupils",       "criteria",
                                     "runs",         "run_points", "answer_files", "answers"};

} // namespace

QString NoTablesText() {
    return QStringLiteral("本部のデータベースにまだ表がなく、この接続のロールでは作れません。"
                          "本部の管理者のロールで一度同期して表を作ってもらってください。\n");
}

QString NewerSchemaText(int found) {
    return QStringLiteral(
               "データベースの形式（版 %1）はこのプログラムの形式（版 %2）より新しいため、"
               "同期しませんでした。このプログラムを新しい版にしてください。")
        .arg(found)
        .arg(kChainSchemaVersion);
}

std::optional<QString> ChainSchemaVersion(PgConnection& db, int* version) {
    QList<QStringList> rows;
    if (auto error = db.exec(
            QStringLiteral("SELECT to_regclass('baisuu.schema_version') IS NOT NULL"), {}, &rows))
        return error;
    *version = 0;
    if (rows.value(0).value(0) != QLatin1String("t")) return std::nullopt;
    if (auto error =
            db.exec(QStringLiteral("SELECT max(version) FROM baisuu.schema_version"), {}, &rows))
        return error;
    *version = rows.value(0).value(0).toInt();
    return std::nullopt;
}

std::optional<QString> EnsureChainSchema(PgConnection& db) {
    int version = 0;
    if (auto error = ChainSchemaVersion(db, &version)) return error;
    if (version == 0) {
        if (auto error = db.exec(QString::fromLatin1(kSchemaLock))) return error;
        // Another first sync may have made them while this one waited.
        if (auto error = ChainSchemaVersion(db, &version)) return error;
    }
    if (version > kChainSchemaVersion) return NewerSchemaText(version);
    if (version == kChainSchemaVersion) return std::nullopt;
    for (const char* statement : kTables)
        if (auto error = db.exec(QString::fromLatin1(statement)))
            return db.lastSqlState() == QLatin1String("42501") ? NoTablesText() + *error : error;
    // Every role reads the whole chain; a school's role writes only its own
    // school's rows, its school found once a statement, not looked up a row.
    const QString own = QStringLiteral("school_code = (SELECT school_code FROM baisuu.school_roles"
                                       " WHERE role = current_user)");
    for (const char* table : kSchoolTables) {
        const QString name = QStringLiteral("baisuu.") + QLatin1String(table);
        for (const QString& statement :
             {QStringLiteral("ALTER TABLE %1 ENABLE ROW LEVEL SECURITY"),
              QStringLiteral("CREATE POLICY chain_read ON %1 FOR SELECT USING (true)"),
              QStringLiteral("CREATE POLICY own_insert ON %1 FOR INSERT WITH CHECK (%2)"),
              QStringLiteral(
                  "CREATE POLICY own_update ON %1 FOR UPDATE USING (%2) WITH CHECK (%2)"),
              QStringLiteral("CREATE POLICY own_delete ON %1 FOR DELETE USING (%2)")})
            if (auto error = db.exec(QString(statement)
                                         .replace(QLatin1String("%1"), name)
                                         .replace(QLatin1String("%2"), own)))
                return error;
    }
    return db.exec(QStringLiteral("INSERT INTO baisuu.schema_version VALUES ($1)"),
                   {QString::number(kChainSchemaVersion)});
}

} // namespace baisuu
