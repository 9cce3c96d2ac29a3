#include "chain/runs_diff.h"

#include "records/result_record.h"

#include <QCryptographicHash>
#include <QHash>

namespace baisuu {

RunsDiff DiffRuns(QByteArrayView log, const QList<StoredRun>& stored) {
    QHash<QByteArray, QList<qint64>> unmatched;
    for (const StoredRun& run : stored)
        unmatched[run.record].append(run.id);
    RunsDiff diff;
    for (qsizetype at = 0; at + kRecordSize <= log.size(); at += kRecordSize) {
        const QByteArrayView record = log.sliced(at, kRecordSize);
        const auto it = unmatched.find(record.toByteArray());
        if (it != unmatched.end() && !it->isEmpty())
            it->removeLast();
        else
            diff.added += record;
    }
    for (auto it = unmatched.cbegin(); it != unmatched.cend(); ++it) {
        diff.gone += *it;
        for (qsizetype i = 0; i < it->size(); ++i)
            diff.removed += it.key();
    }
    return diff;
}

QByteArray LogDigest(QByteArrayView records) {
    // It tells change, not trust: the quickest of Qt's digests will do.
    return QCryptographicHash::hash(records, QCryptographicHash::Sha1);
}

} // namespace baisuu
