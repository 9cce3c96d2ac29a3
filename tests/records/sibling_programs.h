#pragma once
// An older program of the family played step by step, for tests that put our
// reads and writes between its steps: it appends under the whole-file lock and
// deletes without any lock through the copy "成績累積データtemp.dat".

#include "records/file_lock.h"
#include "records/results_log.h"

#include <QFile>
#include <QList>
#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace baisuu {

// Another process holding the whole-file lock on path for 300 ms; whileHeld
// runs in it just before it lets go. Returns once the lock is held, with the
// process id to wait for, or -1 when it could not take the lock.
inline pid_t forkLockHolder(const QString& path,
                            const std::function<void(QFile&)>& whileHeld = {}) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t holder = ::fork();
    if (holder == 0) {
        QFile f(path);
        PlatformFileLock platform;
        WholeFileLock lock(platform, f);
        const bool ok =
            f.open(QIODevice::ReadWrite) && lock.tryLock(nullptr) == FileLock::Outcome::Locked;
        const char c = ok ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::usleep(300 * 1000);
        if (ok && whileHeld) whileHeld(f);
        ::_exit(0);
    }
    char c = 0;
    const bool held = holder > 0 && ::read(ready[0], &c, 1) == 1 && c == 'y';
    ::close(ready[0]);
    ::close(ready[1]);
    return held ? holder : -1;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An older program's append: open, lock the whole file, write at record
// (length / 44) + 1, unlock, close.
inline void siblingAppend(const QString& path, const QByteArray& rec) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    PlatformFileLock lock;
    QString error;
    ASSERT_EQ(lock.tryLockWhole(f, &error), FileLock::Outcome::Locked);
    ASSERT_TRUE(f.seek(f.size() / 44 * 44));
    ASSERT_EQ(f.write(rec), 44);
    f.flush();
    lock.unlockWhole(f);
}

// An older program's deletion of record k, one step per call of next().
class SiblingDeletion {
  public:
    SiblingDeletion(QString path, int k) : path_(std::move(path)), k_(k) {
        steps_.append([this] { // copy the log, overwriting
            QFile::remove(copyPath());
            ASSERT_TRUE(QFile::copy(path_, copyPath()));
        });
        steps_.append([this] { ASSERT_TRUE(QFile::remove(path_)); });
        steps_.append([this] { // open the copy and a new log (created empty)
            copy_ = fileBytes(copyPath());
            log_.setFileName(path_);
            ASSERT_TRUE(log_.open(QIODevice::ReadWrite));
        });
        for (int r = 1; r <= 10; ++r) // one record of the copy at a time (up to ten)
            steps_.append([this, r] {
                if (r > copy_.size() / 44 || r == k_) return;
                ASSERT_TRUE(log_.seek(qint64(written_) * 44)); // the next record number
                ASSERT_EQ(log_.write(copy_.mid((r - 1) * 44, 44)), 44);
                log_.flush();
                ++written_;
            });
        steps_.append([this] { log_.close(); });
        steps_.append([this] { ASSERT_TRUE(QFile::remove(copyPath())); });
    }
    QString copyPath() const { return DeletionCopyPath(path_); }
    bool done() const { return next_ >= steps_.size(); }
    void next() {
        if (!done()) steps_[next_++]();
    }
    int stepsDone() const { return int(next_); }
    int stepCount() const { return int(steps_.size()); }

  private:
    QString path_;
    int k_;
    QList<std::function<void()>> steps_;
    qsizetype next_ = 0;
    QByteArray copy_;
    QFile log_;
    int written_ = 0;
};

} // namespace baisuu
