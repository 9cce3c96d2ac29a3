#pragma once
// The results log as a file that several machines share: opening it (and
// mending what a deletion cut short left behind), appending, replacing and
// deleting records. Every write happens under the whole-file lock on the log.

#include "core/file_error.h"
#include "records/result_record.h"

#include <functional>
#include <optional>

// Called while another machine holds the log's lock, before the next try (about a
// second later). The program lets its screen run meanwhile; tools just sleep.
// An empty LockWait sleeps one second.
using LockWait = std::function<void()>;
// Runs wait, or sleeps one second when it is empty.
void WaitBeforeRetry(const LockWait& wait);

// The complete copy of the log that a deletion keeps beside it
// ("成績累積データtemp.dat" in the same folder).
QString DeletionCopyPath(const QString& logPath);

// Makes sure the log exists (a missing log is created empty) and is whole: a
// copy left behind by a deletion that was cut short is settled first (see
// results_log.cpp). Writers call this themselves; readers call it before reading.
std::optional<FileError> OpenResultsLog(const QString& logPath, const LockWait& wait = {});

// Writes record as the next record of the log under the lock: at the end of the
// whole records, so a torn last record is overwritten.
std::optional<FileError> AppendRecord(const QString& logPath, const ResultRecord& record,
                                      const LockWait& wait = {});

// Writes record over record k (counted from 1) under the lock.
std::optional<FileError> ReplaceResult(const QString& logPath, qint64 k, const ResultRecord& record,
                                       const LockWait& wait = {});

// The points of a deletion at which a test may stop the process.
enum class DeletionStep {
    CopyOnDisk = 1, // the complete copy is on disk; the log is untouched
    RecordsMoving,  // after each chunk of records moved up by one
    RecordsMoved,   // every record after k has moved; the last one is still doubled
    LogCut,         // the log is one record shorter, maybe not yet on disk
    LogOnDisk,      // the shortened log is on disk; the copy is still there
    CopyRemoved,    // done
};
using DeletionStepHook = std::function<void(DeletionStep)>;

// Removes record k (counted from 1); the records after it move up by one. Runs
// under the lock, so an append from another machine waits and lands after the
// shortened log. A crash at any instant loses nothing but record k.
std::optional<FileError> DeleteResult(const QString& logPath, qint64 k, const LockWait& wait = {},
                                      const DeletionStepHook& afterStep = {});

// What `check` tells about a log, found without changing anything.
struct LogSurvey {
    bool exists = false;
    qint64 records = 0;         // whole records
    qint64 tornBytes = 0;       // bytes of a torn last record
    qint64 outOfRange = 0;      // records whose pupil lies outside 0..5000 or level outside 0..35
    qint64 firstOutOfRange = 0; // its record number, counted from 1
    bool leftoverCopy = false;  // a deletion was cut short
};
std::optional<FileError> SurveyResultsLog(const QString& logPath, LogSurvey* out);
