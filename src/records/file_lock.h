#pragma once
// The results log's whole-file lock: a byte-range lock over the entire log,
// taken on the log itself so that every program of the family sharing the data
// root, on any machine, excludes the others (POSIX fcntl, Windows LockFileEx).
//
// Where the system has them (Linux), the lock is an open-file-description lock
// (core's TryWholeFileLock): it belongs to the QFile that took it, so another
// QFile of the same file finds it busy, in this thread or any other, and closing
// another descriptor of the file leaves it held. Other machines' fcntl locks see
// it like any other. Where only process-wide fcntl locks exist, closing any
// descriptor of the file drops the lock: while it is held, read and write the
// file only through the locked QFile.

#include <QFile>
#include <QFileDevice>
#include <QString>

namespace baisuu {

class FileLock {
  public:
    enum class Outcome { Locked, Busy, Failed };
    virtual ~FileLock() = default;
    // One try, without waiting. Busy: another holder (another process, or
    // another open of the file in this one) has a lock on the file.
    virtual Outcome tryLockWhole(QFile& file, QString* errorText) = 0;
    virtual void unlockWhole(QFile& file) = 0;
};

// The platform's byte-range lock.
class PlatformFileLock final : public FileLock {
  public:
    Outcome tryLockWhole(QFile& file, QString* errorText) override;
    void unlockWhole(QFile& file) override;
};

// Holds a whole-file lock from a successful try until destroyed.
class WholeFileLock {
  public:
    WholeFileLock(FileLock& lock, QFile& file) : lock_(lock), file_(file) {}
    ~WholeFileLock() {
        if (held_) lock_.unlockWhole(file_);
    }
    WholeFileLock(const WholeFileLock&) = delete;
    WholeFileLock& operator=(const WholeFileLock&) = delete;

    FileLock::Outcome tryLock(QString* errorText) {
        const FileLock::Outcome outcome = lock_.tryLockWhole(file_, errorText);
        held_ = outcome == FileLock::Outcome::Locked;
        return outcome;
    }

  private:
    FileLock& lock_;
    QFile& file_;
    bool held_ = false;
};

// Whether a lock taken by this process keeps another process out: what a
// shared folder must do for the machines sharing the log not to write over
// each other. A network mount without byte-range locks either refuses them or
// grants every process its own.
enum class LockProbe {
    Holds,   // a second process found the file locked
    NotSeen, // a second process locked it too
    Refused, // the file system refuses the lock (errorText tells how)
    Busy,    // another process held the file's lock through every try
};
// Locks path (which must exist) with lock, and has a second process try it.
LockProbe ProbeLock(const QString& path, FileLock& lock, QString* errorText);

// Called after opening path for reading and writing failed: the system's error
// number when the failure lasts (no right to write, a read-only or full disk,
// no such folder), to be told at once; 0 when it may pass and is worth waiting
// for (on Windows, another program holding the file open without sharing it).
int LastingWriteOpenFault(const QString& path);

// Makes a new small file at path, writes it to the disk and removes it again:
// 0 when all of that worked, else the system's error number. Proves that a
// folder takes new files, where its permissions alone do not tell.
int ProbeWrite(const QString& path);

// Writes what the system holds of the file to the disk (fsync / FlushFileBuffers),
// so a power loss after it cannot take the written bytes back.
bool FlushToDisk(QFileDevice& file);
// (A folder's entries: FlushFolder of core/durable_file.h.)

} // namespace baisuu
