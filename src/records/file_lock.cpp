#include "records/file_lock.h"

#include "core/durable_file.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cerrno>

#ifdef Q_OS_WIN
#define NOMINMAX
#include <io.h>
#include <windows.h>
#else
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace baisuu {

#ifdef Q_OS_WIN

namespace {
HANDLE handleOf(QFile& file) {
    return HANDLE(_get_osfhandle(file.handle()));
}
} // namespace

FileLock::Outcome PlatformFileLock::tryLockWhole(QFile& file, QString* errorText) {
    OVERLAPPED at{};
    if (LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                   MAXDWORD, &at))
        return Outcome::Locked;
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_SHARING_VIOLATION || code == ERROR_IO_PENDING)
        return Outcome::Busy;
    if (errorText) *errorText = QStringLiteral("ロックできません（Windows エラー %1）").arg(code);
    return Outcome::Failed;
}

void PlatformFileLock::unlockWhole(QFile& file) {
    OVERLAPPED at{};
    UnlockFileEx(handleOf(file), 0, MAXDWORD, MAXDWORD, &at);
}

bool FlushToDisk(QFileDevice& file) {
    return file.flush() && FlushFileBuffers(HANDLE(_get_osfhandle(file.handle())));
}

int ProbeWrite(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return EACCES;
    const bool written = file.write(QByteArray(4096, '\0')) == 4096 && FlushToDisk(file);
    file.close();
    return file.remove() && written ? 0 : EACCES;
}

int LastingWriteOpenFault(const QString& path) {
    // Only a file that exists can be held open by another program; a file that
    // could not be made, or one marked read-only, stays so.
    const QFileInfo file(path);
    return file.exists() && file.isWritable() ? 0 : EACCES;
}

#else

FileLock::Outcome PlatformFileLock::tryLockWhole(QFile& file, QString* errorText) {
    const int fault = TryWholeFileLock(file.handle());
    if (fault == 0) return Outcome::Locked;
    if (fault == EACCES || fault == EAGAIN || fault == EINTR) return Outcome::Busy;
    if (errorText)
        *errorText = QStringLiteral("ロックできません（%1）")
                         .arg(QString::fromLocal8Bit(std::strerror(fault)));
    return Outcome::Failed;
}

void PlatformFileLock::unlockWhole(QFile& file) {
    ReleaseWholeFileLock(file.handle());
}

int LastingWriteOpenFault(const QString& path) {
    // Nothing but a lock keeps a POSIX open out, and locks never refuse an open:
    // whatever the system says now is the reason, unless it opens this time.
    for (;;) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC,
                              0666);
        if (fd >= 0) {
            ::close(fd);
            return 0;
        }
        if (errno != EINTR) return errno;
    }
}

int ProbeWrite(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    // A whole block, flushed: a full disk may take an empty file, not its bytes.
    const QByteArray block(4096, '\0');
    ssize_t written = 0;
    do {
        written = ::write(fd, block.constData(), size_t(block.size()));
    } while (written < 0 && errno == EINTR);
    int fault = written == block.size() ? 0 : written < 0 ? errno : ENOSPC;
    if (fault == 0 && ::fsync(fd) != 0) fault = errno;
    ::close(fd);
    if (::unlink(name.constData()) != 0 && fault == 0) fault = errno;
    return fault;
}

bool FlushToDisk(QFileDevice& file) {
    return file.flush() && ::fsync(file.handle()) == 0;
}

#endif

namespace {

// What the second process finds, told by its exit code.
enum SecondLook { FoundLocked = 10, LockedToo = 11, CouldNotTry = 12 };

#ifdef Q_OS_WIN
// A Windows lock is held per handle: a second handle of this process stands
// for the second process.
int secondLook(const QString& path, FileLock& lock) {
    QFile other(path);
    if (!other.open(QIODevice::ReadWrite)) return CouldNotTry;
    const FileLock::Outcome outcome = lock.tryLockWhole(other, nullptr);
    if (outcome == FileLock::Outcome::Locked) lock.unlockWhole(other);
    return outcome == FileLock::Outcome::Busy     ? FoundLocked
           : outcome == FileLock::Outcome::Locked ? LockedToo
                                                  : CouldNotTry;
}
#else
// The question is whether another process, like the program on another
// machine, is kept out: a network mount may grant each process a lock of its
// own, so a child process tries.
int secondLook(const QString& path, FileLock& lock) {
    const pid_t child = ::fork();
    if (child < 0) return CouldNotTry;
    if (child == 0) {
        QFile other(path);
        if (!other.open(QIODevice::ReadWrite)) ::_exit(CouldNotTry);
        const FileLock::Outcome outcome = lock.tryLockWhole(other, nullptr);
        ::_exit(outcome == FileLock::Outcome::Busy     ? FoundLocked
                : outcome == FileLock::Outcome::Locked ? LockedToo
                                                       : CouldNotTry);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : CouldNotTry;
}
#endif

} // namespace

LockProbe ProbeLock(const QString& path, FileLock& lock, QString* errorText) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        if (errorText) *errorText = file.errorString();
        return LockProbe::Refused;
    }
    WholeFileLock held(lock, file);
    for (int tries = 0;; ++tries) {
        const FileLock::Outcome outcome = held.tryLock(errorText);
        if (outcome == FileLock::Outcome::Failed) return LockProbe::Refused;
        if (outcome == FileLock::Outcome::Locked) break;
        if (tries == 20) return LockProbe::Busy; // another machine writes for a second or more
        QThread::msleep(50);
    }
    switch (secondLook(path, lock)) {
    case FoundLocked:
        return LockProbe::Holds;
    case LockedToo:
        return LockProbe::NotSeen;
    default:
        if (errorText) *errorText = QStringLiteral("もう一つのプロセスでロックを試せません");
        return LockProbe::Refused;
    }
}

} // namespace baisuu
