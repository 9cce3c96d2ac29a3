// Each pupil's figures at each level over every run of the log, kept beside
// the runs: the chain's report of every run reads these few rows a pupil,
// not the runs. Only the pupils and levels whose runs came or went are
// worked out again; a change of the criteria (the points) or a first sync
// works out all of them.
#include "chain/school_sync_parts.h"

#include "records/result_record.h"
#include "records/results.h"

#include <QHash>

namespace baisuu {

namespace {

struct Figures {
    qint64 runs = 0;
    qint32 best = kNoTime; // kNoTime: no run that did not time out
    qint64 points = 0;
    qint64 attempts = 0;
};

} // namespace

std::optional<QString> SchoolSyncRun::sendSummary() {
    const bool all = criteriaChanged_;
    if (!all && touched_.isEmpty()) return std::nullopt;
    QHash<qint64, Figures> figures;
    for (qsizetype at = 0; at < log_.size(); at += kRecordSize) {
        const RecordNumbers n = RecordNumbersOf(log_.constData() + at);
        const qint64 key = SummaryKey(n.level, n.pupilNumber);
        if (!all && !touched_.contains(key)) continue;
        Figures& f = figures[key];
        ++f.runs;
        if (n.runTime < kNoTime) f.best = std::min(f.best, n.runTime);
        if (n.level >= 0 && n.level < kLevelSlots)
            f.points += RecordPoints(criteria_.levels[size_t(n.level)], n.runTime);
        if (n.runTime < kCountedBelow) ++f.attempts;
    }
    QByteArray rows, keys;
    for (auto it = figures.cbegin(); it != figures.cend(); ++it) {
        const Figures& f = it.value();
        rows += SyncCopyLine({code_, SyncNum(it.key() >> 16), SyncNum(qint16(it.key() & 0xffff)),
                              SyncNum(f.runs), f.best < kNoTime ? SyncNum(f.best) : QByteArray(),
                              SyncNum(f.points), SyncNum(f.attempts)});
    }
    for (qint64 key : std::as_const(touched_))
        keys += SyncCopyLine({SyncNum(key >> 16), SyncNum(qint16(key & 0xffff))});
    counts_.pupilLevels = figures.size();
    if (!writes()) return std::nullopt;
    if (all) {
        if (auto e =
                db_.exec(QStringLiteral("DELETE FROM baisuu.pupil_levels WHERE school_code = ") +
                         kSyncSchool))
            return e;
    } else {
        if (auto e = db_.exec(QStringLiteral("CREATE TEMP TABLE sync_keys (level integer,"
                                             " pupil integer) ON COMMIT DROP")))
            return e;
        if (auto e = db_.copyIn(QStringLiteral("COPY sync_keys FROM STDIN"), keys)) return e;
        if (auto e = db_.exec(QStringLiteral("DELETE FROM baisuu.pupil_levels p USING sync_keys k"
                                             " WHERE p.school_code = %1 AND p.level = k.level"
                                             " AND p.pupil = k.pupil")
                                  .arg(kSyncSchool)))
            return e;
    }
    return insertRows(QStringLiteral("pupil_levels"),
                      QStringLiteral("school_code, level, pupil, runs, best, points, attempts"),
                      rows);
}

} // namespace baisuu
