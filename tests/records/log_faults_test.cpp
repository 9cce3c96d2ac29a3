// The results log's lock between threads of one process, and the faults of
// the machine that no wait mends, told at once.

#include "cli_school.h"
#include "records/file_lock.h"
#include "records/result_record.h"
#include "write_faults.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <future>

#include <sys/wait.h>

namespace baisuu {

namespace {

using Outcome = FileLock::Outcome;

// One try at the log's lock from another thread, through a QFile of its own,
// which the thread then unlocks and closes whatever it found.
Outcome tryFromAnotherThread(const QString& log) {
    return std::async(std::launch::async, [log] {
               QFile file(log);
               if (!file.open(QIODevice::ReadWrite)) return Outcome::Failed;
               PlatformFileLock lock;
               const Outcome found = lock.tryLockWhole(file, nullptr);
               lock.unlockWhole(file);
               return found;
           })
        .get();
}

// One try from a child process: what another machine finds.
Outcome tryFromAnotherProcess(const QString& log) {
    const pid_t child = ::fork();
    if (child == 0) {
        QFile file(log);
        PlatformFileLock lock;
        ::_exit(file.open(QIODevice::ReadWrite) ? int(lock.tryLockWhole(file, nullptr)) : 9);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? Outcome(WEXITSTATUS(status)) : Outcome::Failed;
}

} // namespace

TEST(LogLockTest, ThreadsOfOneProcessExcludeEachOtherAsProcessesDo) {
    QTemporaryDir dir;
    const QString log = writeFile(dir, QStringLiteral("成績累積データ.dat"), QByteArray(44, '\0'));
    QFile held(log);
    ASSERT_TRUE(held.open(QIODevice::ReadWrite));
    PlatformFileLock lock;
    ASSERT_EQ(lock.tryLockWhole(held, nullptr), Outcome::Locked);

    // The daily backup's thread waits for the drill's append, and its own
    // unlock (of a lock it never got) leaves the drill's lock held.
    EXPECT_EQ(tryFromAnotherThread(log), Outcome::Busy);
    EXPECT_EQ(tryFromAnotherThread(log), Outcome::Busy);
    // A reader of this process opening and closing the log lets nothing go.
    {
        QFile reader(log);
        ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
        reader.readAll();
    }
    EXPECT_EQ(tryFromAnotherProcess(log), Outcome::Busy);
    EXPECT_EQ(tryFromAnotherThread(log), Outcome::Busy);
    // check's probe still sees a lock that holds against another process.
    QString why;
    writeFile(dir, QStringLiteral("probe"), "x");
    EXPECT_EQ(ProbeLock(dir.filePath(QStringLiteral("probe")), lock, &why), LockProbe::Holds)
        << why.toStdString();

    lock.unlockWhole(held);
    EXPECT_EQ(tryFromAnotherThread(log), Outcome::Locked);
    EXPECT_EQ(tryFromAnotherProcess(log), Outcome::Locked);
}

namespace {

// A new school's data folder as the account of `append` finds it.
struct AppendFault {
    const char* name;
    const char* told; // what the message says, besides naming the log
    // Sets the school up; false when this variant cannot be made here.
    std::function<bool(CliDemoSchool&, MountOver&, std::function<void()>*)> setUp;
};

QString dataFolderOf(const CliDemoSchool& school) {
    return school.root() + QStringLiteral("/data/倍数判定");
}
QString logOf(const CliDemoSchool& school) {
    return dataFolderOf(school) + QStringLiteral("/成績累積データ.dat");
}

// The account may not write: as root, the program runs as "nobody".
bool withoutRight(CliDemoSchool& school, const QString& path, std::function<void()>* inChild) {
    if (!RunningAsRoot()) return QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(school.dir.path(), QFile::permissions(school.dir.path()) |
                                                 QFile::ReadOther | QFile::ExeOther);
    *inChild = BecomeNobody;
    return true;
}

} // namespace

TEST(LogFaultsTest, AnAppendThatNoWaitCanMendIsRefusedAtOnce) {
    const AppendFault faults[] = {
        {"no right to write the data folder of a new school", "書き込む権限がありません",
         [](CliDemoSchool& s, MountOver&, std::function<void()>* inChild) {
             return QFile::remove(logOf(s)) && withoutRight(s, dataFolderOf(s), inChild);
         }},
        {"no right to write the log", "書き込む権限がありません",
         [](CliDemoSchool& s, MountOver&, std::function<void()>* inChild) {
             return withoutRight(s, logOf(s), inChild);
         }},
        {"a read-only file system", "読み取り専用です",
         [](CliDemoSchool& s, MountOver& mount, std::function<void()>*) {
             return QFile::remove(logOf(s)) && RunningAsRoot() && mount.readOnly(dataFolderOf(s));
         }},
        {"no data folder", "データフォルダがありません",
         [](CliDemoSchool& s, MountOver&, std::function<void()>*) {
             return QDir(dataFolderOf(s)).removeRecursively();
         }},
        {"a full disk", "ディスクがいっぱいです",
         [](CliDemoSchool& s, MountOver& mount, std::function<void()>*) {
             if (!RunningAsRoot() || !mount.small(dataFolderOf(s), "64k")) return false;
             // 93 records fill a page to its last 4 bytes: the next needs a page more.
             writeFile(s.dir, QStringLiteral("school/data/倍数判定/成績累積データ.dat"),
                       QByteArray(93 * kRecordSize, '\0'));
             FillUp(dataFolderOf(s));
             return true;
         }},
        {"a file size limit", "ファイルの大きさの上限を超えます",
         [](CliDemoSchool& s, MountOver&, std::function<void()>* inChild) {
             *inChild = FileSizeLimit(rlim_t(QFileInfo(logOf(s)).size()));
             return true;
         }},
    };
    for (const AppendFault& fault : faults) {
        SCOPED_TRACE(fault.name);
        CliDemoSchool school(QStringLiteral("2026-06-01T10:00:00"));
        MountOver mount;
        std::function<void()> inChild = [] {};
        if (!fault.setUp(school, mount, &inChild)) {
            std::printf("skipped here: %s\n", fault.name);
            continue;
        }
        QElapsedTimer took;
        took.start();
        const ProcessResult r = RunProgramWith(
            QStringLiteral(BAISUU_CLI),
            {QStringLiteral("--program-dir"), school.root() + QStringLiteral("/倍数判定"),
             QStringLiteral("append"), QStringLiteral("--pupil"), QStringLiteral("3"),
             QStringLiteral("--level"), QStringLiteral("2"), QStringLiteral("--time"),
             QStringLiteral("25")},
            inChild, 15000);
        EXPECT_EQ(r.code, 1) << r.err.toStdString(); // -1: it waited until it was killed
        EXPECT_LT(took.elapsed(), 10000);
        EXPECT_TRUE(r.err.contains(QStringLiteral("成績累積データ.dat"))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(fault.told))) << r.err.toStdString();
    }
}

} // namespace baisuu
