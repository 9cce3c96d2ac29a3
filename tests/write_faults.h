#pragma once
// Folders that refuse writes as a school's machines meet them, and programs run
// as an account without the right to write. Root passes every permission
// check, so as root a read-only or full file system is mounted over a folder;
// a test skips only the variant that cannot be made here.

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <functional>

#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <csignal>
#include <unistd.h>

namespace baisuu {

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// A file system mounted over a folder for the life of the object.
class MountOver {
  public:
    MountOver() = default;
    MountOver(const MountOver&) = delete;
    MountOver& operator=(const MountOver&) = delete;
    ~MountOver() { undo(); }

    // The folder, its files kept, made read-only: a bind mount of it over itself.
    bool readOnly(const QString& folder) {
        path_ = QFile::encodeName(folder);
        if (::mount(path_.constData(), path_.constData(), nullptr, MS_BIND, nullptr) != 0)
            return false;
        mounted_ = true;
        return ::mount(nullptr, path_.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                       nullptr) == 0;
    }
    // An empty file system of the given size over the folder (its files hidden).
    bool small(const QString& folder, const char* size) {
        path_ = QFile::encodeName(folder);
        const QByteArray options = QByteArray("size=") + size;
        mounted_ = ::mount("tmpfs", path_.constData(), "tmpfs", 0, options.constData()) == 0;
        return mounted_;
    }
    void undo() {
        if (mounted_) ::umount2(path_.constData(), MNT_DETACH);
        mounted_ = false;
    }

  private:
    QByteArray path_;
    bool mounted_ = false;
};

// Fills the file system that holds folder to its last byte.
inline void FillUp(const QString& folder) {
    QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly)) return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // What a page cannot take any more, a byte may.
    while (filler.write("x", 1) == 1 && filler.flush()) {
    }
}

// Runs a program as runProgram does, with inChild run in the child just
// before the program starts (to drop root, or to limit the file size).
inline ProcessResult RunProgramWith(const QString& program, const QStringList& args,
                                    std::function<void()> inChild, int timeoutMs = 20000) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setChildProcessModifier(std::move(inChild));
    process.start(program, args);
    ProcessResult r;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    r.err = QString::fromUtf8(process.readAllStandardError());
    return r;
}

// In the child: the account "nobody", which root's files do not let write.
inline void BecomeNobody() {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
}

// In the child: no file may grow past bytes, and a write beyond fails instead
// of ending the program.
inline std::function<void()> FileSizeLimit(rlim_t bytes) {
    return [bytes] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
}

} // namespace baisuu
