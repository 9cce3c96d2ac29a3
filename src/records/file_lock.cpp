#include "records/file_lock.h"

#include <QDir>

#ifdef Q_OS_WIN
#define NOMINMAX
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

} // namespace baisuu
