#include "core/durable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace baisuu {

QString FileFaultText(int systemError) {
    QString what;
    switch (systemError) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        what = QStringLiteral("ディスクがいっぱいです。");
        break;
    case EACCES:
    case EPERM:
        what = QStringLiteral("書き込む権限がありません。");
        break;
    case EROFS:
        what = QStringLiteral("読み取り専用です。");
        break;
    case EFBIG:
        what = QStringLiteral("ファイルの大きさの上限を超えます。");
        break;
    case ENOENT:
    case ENOTDIR:
        what = QStringLiteral("フォルダがありません。");
        break;
    case EIO:
        what = QStringLiteral("ディスクの読み書きに失敗しました。");
        break;
    default:
        what = QStringLiteral("書き込めません。");
        break;
    }
    return what + QStringLiteral("（%1）").arg(QString::fromLocal8Bit(std::strerror(systemError)));
}

namespace {

FileError faultOf(const QString& path, int systemError) {
    return FileError{path, 0,
                     FileFaultText(systemError) + QStringLiteral("元のファイルは変えていません。")};
}

} // namespace

#ifdef Q_OS_WIN

// Windows replaces a file in one step through QSaveFile (ReplaceFile), which
// flushes it first; its folder needs no flush.
std::optional<FileError> WriteFileDurably(const QString& path, QByteArrayView bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size() ||
        !file.commit())
        return FileError{path, 0,
                         QStringLiteral("保存できません（%1）。元のファイルは変えていません。")
                             .arg(file.errorString())};
    return std::nullopt;
}

std::optional<FileError> EditFileLocked(const QString& path, const FileEdit& edit) {
    QFile file(path);
    const bool exists = file.open(QIODevice::ReadOnly);
    const QByteArray current = exists ? file.readAll() : QByteArray();
    file.close();
    QByteArray replacement;
    if (auto refused = edit(exists ? &current : nullptr, &replacement)) return refused;
    return WriteFileDurably(path, replacement);
}

// Windows renames only to a name that is free.
std::optional<FileError> WriteNewFileDurably(const QString& path, QByteArrayView bytes,
                                             bool* made) {
    *made = false;
    if (QFile::exists(path)) return std::nullopt;
    const QString temporary = path + QStringLiteral(".tmp");
    if (auto error = WriteFileDurably(temporary, bytes)) return error;
    *made = QFile::rename(temporary, path);
    if (!*made) QFile::remove(temporary);
    if (*made || QFile::exists(path)) return std::nullopt;
    return FileError{path, 0, QStringLiteral("名前を付けられません。")};
}

int TryWholeFileLock(int) {
    return 0;
}
void ReleaseWholeFileLock(int) {}

bool FlushFolder(const QString&) {
    return true;
}

#else

namespace {

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

bool writeAll(int fd, QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

// A temporary file beside path that takes path's place once it is complete.
class Replacement {
  public:
    explicit Replacement(const QString& path) : path_(path) {
        const QFileInfo info(path);
        QByteArray pattern = nativePath(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        temporary_ = pattern;
        // The new file is readable as the old one was (other accounts, the
        // file server); a new file gets what the umask allows.
        struct stat old {};
        mode_t mode = 0666;
        if (::stat(nativePath(path).constData(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode &= ~mask;
        }
        ::fchmod(fd_, mode);
    }
    ~Replacement() {
        if (fd_ >= 0) ::close(fd_);
        if (!temporary_.isEmpty()) ::unlink(temporary_.constData());
    }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    int error() const { return error_; }

    bool write(QByteArrayView bytes) { return keep(fd_ >= 0 && writeAll(fd_, bytes)); }

    // Flushes, checks the size on disk against expected, closes, and gives the
    // file its name: over the old file, or, with made, only while the name is
    // free (*made false when another file has it, or takes it meanwhile on any
    // machine of a share: a hard link claims a name in one step).
    bool commit(qint64 expected, bool* made = nullptr) {
        if (fd_ < 0) return false;
        if (!keep(::fsync(fd_) == 0)) return false;
        struct stat written {};
        if (!keep(::fstat(fd_, &written) == 0)) return false;
        if (written.st_size != expected) {
            error_ = EIO;
            return false;
        }
        const int fd = std::exchange(fd_, -1);
        if (!keep(::close(fd) == 0)) return false;
        const QByteArray target = nativePath(path_);
        if (!made) {
            if (!keep(::rename(temporary_.constData(), target.constData()) == 0)) return false;
            temporary_.clear();
        } else if (::link(temporary_.constData(), target.constData()) == 0) {
            *made = true;
        } else if (errno == EEXIST || QFile::exists(path_)) {
            *made = false;
            return true;
        } else if (::rename(temporary_.constData(), target.constData()) == 0) {
            *made = true; // a file system without hard links
            temporary_.clear();
        } else {
            return keep(false);
        }
        FlushFolder(QFileInfo(path_).absolutePath());
        return true;
    }

  private:
    bool keep(bool ok) {
        if (!ok && error_ == 0) error_ = errno;
        return ok;
    }

    QString path_;
    QByteArray temporary_;
    int fd_ = -1;
    int error_ = 0;
};

} // namespace

std::optional<FileError> WriteFileDurably(const QString& path, QByteArrayView bytes) {
    Replacement file(path);
    if (!file.write(bytes) || !file.commit(bytes.size())) return faultOf(path, file.error());
    return std::nullopt;
}

std::optional<FileError> WriteNewFileDurably(const QString& path, QByteArrayView bytes,
                                             bool* made) {
    *made = false;
    if (QFile::exists(path)) return std::nullopt;
    Replacement file(path);
    if (!file.write(bytes) || !file.commit(bytes.size(), made)) return faultOf(path, file.error());
    return std::nullopt;
}

int TryWholeFileLock(int fd) {
    struct flock region {};
    region.l_type = F_WRLCK;
    region.l_whence = SEEK_SET;
    region.l_start = 0;
    region.l_len = 0; // to the end of the file, however long it grows
#ifdef F_OFD_SETLK
    if (::fcntl(fd, F_OFD_SETLK, &region) == 0) return 0;
    if (errno != EINVAL) return errno;
#endif
    // A system or file system without open-file-description locks.
    return ::fcntl(fd, F_SETLK, &region) == 0 ? 0 : errno;
}

void ReleaseWholeFileLock(int fd) {
    struct flock region {};
    region.l_type = F_UNLCK;
    region.l_whence = SEEK_SET;
#ifdef F_OFD_SETLK
    if (::fcntl(fd, F_OFD_SETLK, &region) == 0) return;
#endif
    ::fcntl(fd, F_SETLK, &region);
}

namespace {

// The file open and locked, while path still names it; -1 and errno when it
// cannot be opened or locked. Another change renames a new file over the one
// we waited for, so a lock taken on a file no longer named path is let go.
int openLocked(const QByteArray& path) {
    for (;;) {
        const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) return -1;
        int fault = TryWholeFileLock(fd);
        while (fault == EAGAIN || fault == EACCES || fault == EINTR) {
            QThread::msleep(20);
            fault = TryWholeFileLock(fd);
        }
        struct stat held {};
        struct stat named {};
        const bool same = fault == 0 && ::fstat(fd, &held) == 0 &&
                          ::stat(path.constData(), &named) == 0 && held.st_dev == named.st_dev &&
                          held.st_ino == named.st_ino;
        if (same) return fd;
        ::close(fd);
        if (fault != 0) {
            errno = fault;
            return -1;
        }
    }
}

bool readAll(int fd, QByteArray* out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out->append(buffer, n);
    }
}

} // namespace

std::optional<FileError> EditFileLocked(const QString& path, const FileEdit& edit) {
    const QByteArray name = nativePath(path);
    const int fd = openLocked(name);
    if (fd < 0 && errno != ENOENT) return faultOf(path, errno);
    QByteArray current;
    if (fd >= 0 && !readAll(fd, &current)) {
        const int fault = errno;
        ::close(fd);
        return FileError{path, 0, FileFaultText(fault)};
    }
    QByteArray replacement;
    std::optional<FileError> result = edit(fd >= 0 ? &current : nullptr, &replacement);
    if (!result) result = WriteFileDurably(path, replacement);
    if (fd >= 0) ::close(fd); // lets the lock go, after the new file has the name
    return result;
}

bool FlushFolder(const QString& folderPath) {
    const int fd = ::open(nativePath(QDir(folderPath).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

#endif

} // namespace baisuu
