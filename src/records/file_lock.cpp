#include "records/file_lock.h"

#include <QDir>
#include <QThread>

#ifdef Q_OS_WIN
#define NOMINMAX
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
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

bool FlushFolderToDisk(const QString&) {
    return true;
}

#else

namespace {
bool setWholeFileLock(int fd, short type) {
    struct flock region {};
    region.l_type = type;
    region.l_whence = SEEK_SET;
    region.l_start = 0;
    region.l_len = 0; // to the end of the file, however long it grows
    return ::fcntl(fd, F_SETLK, &region) == 0;
}
} // namespace

FileLock::Outcome PlatformFileLock::tryLockWhole(QFile& file, QString* errorText) {
    if (setWholeFileLock(file.handle(), F_WRLCK)) return Outcome::Locked;
    if (errno == EACCES || errno == EAGAIN || errno == EINTR) return Outcome::Busy;
    if (errorText)
        *errorText = QStringLiteral("ロックできません（%1）")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
    return Outcome::Failed;
}

void PlatformFileLock::unlockWhole(QFile& file) {
    setWholeFileLock(file.handle(), F_UNLCK);
}

bool FlushToDisk(QFileDevice& file) {
    return file.flush() && ::fsync(file.handle()) == 0;
}

bool FlushFolderToDisk(const QString& folderPath) {
    const int fd = ::open(QFile::encodeName(QDir(folderPath).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
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
// fcntl locks belong to the process: only a child process can see ours.
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
