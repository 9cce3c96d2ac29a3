#pragma once
// Which runs a sync removes from the database and which of the log's records
// it sends, so that the database holds exactly the log's records as a
// multiset: a record is matched to a stored run of the same 44 bytes, so a
// record that only moved (a deletion before it) is never sent again.

#include <QByteArray>
#include <QList>

namespace baisuu {

struct StoredRun {
    qint64 id = 0;
    QByteArray record; // 44 bytes
};

struct RunsDiff {
    QList<qint64> gone; // stored runs the log no longer holds
    QByteArray removed; // their records, whole
    QByteArray added;   // the log's records the database lacks, whole, in log order
};

RunsDiff DiffRuns(QByteArrayView log, const QList<StoredRun>& stored);

// What a sync keeps of the records it left the database with: an append
// leaves them as the first records of the log, and only the new ones are sent.
QByteArray LogDigest(QByteArrayView records);

} // namespace baisuu
