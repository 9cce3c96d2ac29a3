#pragma once
// The parts of one school's sync, shared by the two files that write them:
// the school, its roster and criteria here and in school_sync.cpp; the runs,
// their points and the answers in school_sync_rows.cpp.

#include "chain/runs_diff.h"
#include "chain/school_sync.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>

namespace baisuu {

// The school a statement is about, set once per transaction: COPY takes no
// parameters, so its queries read the code from here.
inline const QString kSyncSchool = QStringLiteral("current_setting('baisuu.school')");

// One COPY line in text format.
QByteArray SyncCopyLine(std::initializer_list<QByteArray> fields);
// A pupil's level as one number.
inline qint64 SummaryKey(int level, int pupil) {
    return (qint64(level) << 16) | quint16(pupil);
}
inline QByteArray SyncNum(qint64 v) {
    return QByteArray::number(v);
}
QByteArray SyncDigest(QByteArrayView bytes);

// What the database holds of the school since its last sync.
struct SyncStoredSchool {
    qint64 logRecords = 0;
    QByteArray logDigest, rosterDigest, criteriaDigest;
};

// The answers file of each pupil as far as the last sync sent it.
struct SyncSentFile {
    qint64 bytes = 0;
    QByteArray headDigest;
    // The file as the sync saw it: unchanged, it is not read again.
    qint64 size = -1;
    qint64 mtime = 0;
    bool fromStart = false; // read anew from its first byte
};

// Enough of a file's start to tell that it is still the file that was sent.
constexpr qint64 kSyncHeadBytes = 4096;

class SchoolSyncRun {
  public:
    SchoolSyncRun(PgConnection& db, const Hensuu1& state, const CriteriaTable& criteria,
                  const SyncOptions& options, SyncCounts& counts)
        : db_(db), state_(state), criteria_(criteria), options_(options), counts_(counts),
          code_(state.schoolCode.trimmed().toUtf8()), codeField_(CopyField(code_)) {}
    std::optional<QString> run();

  private:
    void step(SyncStep s) const {
        if (options_.afterStep) options_.afterStep(s);
    }
    bool writes() const { return !options_.dryRun; }
    std::optional<QString> begin();
    std::optional<QString> readStored();
    std::optional<QString> sendSchool();
    std::optional<QString> sendRoster();
    std::optional<QString> sendCriteria();
    std::optional<QString> sendRuns();
    std::optional<QString> sendPoints();
    std::optional<QString> sendSummary();
    std::optional<QString> storedRuns(QList<StoredRun>* out);
    std::optional<QString> sendAnswers();
    std::optional<QString> storedFiles(QMap<int, SyncSentFile>* out);
    std::optional<QString> answersOf(int pupil, const QFileInfo& info, const SyncSentFile& sent,
                                     QByteArray* rows, SyncSentFile* now) const;
    std::optional<QString> finish();
    // Rows of one of our tables in COPY text format. COPY itself does not
    // take a table under row level security, so the rows go through a
    // temporary table and an INSERT, which the school's policy checks.
    std::optional<QString> insertRows(const QString& table, const QString& columns,
                                      const QByteArray& rows);

    PgConnection& db_;
    const Hensuu1& state_;
    const CriteriaTable& criteria_;
    const SyncOptions& options_;
    SyncCounts& counts_;
    const QByteArray code_;
    const QByteArray codeField_; // as a COPY field
    bool tables_ = false;        // the database has our tables (a dry run may find none)
    SyncStoredSchool stored_;
    QByteArray log_, logDigest_, rosterDigest_, criteriaDigest_;
    bool criteriaChanged_ = false;
    bool runsChanged_ = false;
    // The (level, pupil) keys (SummaryKey) whose runs came or went.
    QSet<qint64> touched_;
};

} // namespace baisuu
