#pragma once
// What the results log's readers and writers in records/ share (the log, its
// codec and its tallies): one wording for each failure; not for use elsewhere.

#include "core/file_error.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>

#include <optional>

namespace baisuu {

namespace logfiles {

FileError LogError(const QString& path, const QString& message);
FileError ReadError(const QFile& file);

// Opening can fail for a moment while another program has the file open
// without sharing it (Windows); that is waited out. What waiting cannot mend
// (no folder, no right to write, a read-only or full disk) is told at once.
std::optional<FileError> LastingOpenFault(const QString& path, bool forWriting);

// The state of the copy and the log as the folder shows it; a deletion that is
// alive changes one of them.
struct Fingerprint {
    bool copyExists = false;
    qint64 copySize = 0;
    QDateTime copyTime;
    bool logExists = false;
    qint64 logSize = 0;
    QDateTime logTime;
    bool operator==(const Fingerprint&) const = default;
};

Fingerprint FingerprintOf(const QString& logPath);

// Finishes a restore whose program died while rewriting the locked log.
std::optional<FileError> FinishRestore(QFile& log);

// Record i (counted from 0) of whole records.
QByteArrayView RecordAt(QByteArrayView bytes, qsizetype i);

} // namespace logfiles

} // namespace baisuu
