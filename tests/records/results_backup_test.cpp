// Copies of the results log and putting one back, beside older programs that
// delete without a lock and against a restore killed half way.

#include "records/file_lock.h"
#include "records/log_bytes.h"
#include "records/results_backup.h"
#include "records/sibling_programs.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace baisuu {

namespace {

const QDate kDay(2026, 12, 9);
const QString kLogName = QStringLiteral("成績累積データ.dat");

QByteArray numbered(int count, qint16 pupil = 100) {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += rawRecord({46000, i / 86400.0, pupil, 3, i});
    return bytes;
}

QByteArray without(const QByteArray& log, int k) {
    return log.left((k - 1) * 44) + log.mid(k * 44);
}

// A lock as a mount without byte-range locks gives it: granted to everyone, or refused.
class MountLock final : public FileLock {
  public:
    explicit MountLock(Outcome always) : always_(always) {}
    Outcome tryLockWhole(QFile&, QString* errorText) override {
        if (errorText) *errorText = QStringLiteral("no locks");
        return always_;
    }
    void unlockWhole(QFile&) override {}

  private:
    Outcome always_;
};

} // namespace

TEST(ResultsBackup, BackupThenRestoreGivesTheLogBackByteForByte) {
    QTemporaryDir dir;
    const QByteArray original = numbered(500);
    const QString log = writeFile(dir, kLogName, original + QByteArray("torn", 4));
    ASSERT_FALSE(BackUpResultsLog(log, kDay.addDays(-1)));
    const QString copy = BackupPath(log, kDay.addDays(-1));
    EXPECT_TRUE(copy.endsWith(QStringLiteral("/バックアップ/成績累積データ-20261208.dat")));
    EXPECT_EQ(fileBytes(copy), original); // the torn tail is no record

    writeFile(dir, kLogName, numbered(3, 7)); // the log went wrong since
    QByteArray records;
    ASSERT_FALSE(ReadRestoreFile(copy, &records));
    ASSERT_FALSE(RestoreResultsLog(log, records, kDay));
    EXPECT_EQ(fileBytes(log), original);
    // What it replaced is today's copy; yesterday's is untouched.
    EXPECT_EQ(fileBytes(BackupPath(log, kDay)), numbered(3, 7));
    EXPECT_EQ(fileBytes(copy), original);
    // Restoring today's own copy reads it before the restore backs up over it.
    ASSERT_FALSE(ReadRestoreFile(BackupPath(log, kDay), &records));
    ASSERT_FALSE(RestoreResultsLog(log, records, kDay));
    EXPECT_EQ(fileBytes(log), numbered(3, 7));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{kLogName}); // no leftovers
}

TEST(ResultsBackup, TheSameDayReplacesAndOnlyTheNewestKeepStay) {
    QTemporaryDir dir;
    const QString log = writeFile(dir, kLogName, numbered(2));
    const QString stranger = writeFile(dir, QStringLiteral("バックアップ/メモ.txt"), "keep me");
    for (int d = 0; d < 6; ++d)
        ASSERT_FALSE(BackUpResultsLog(log, kDay.addDays(-d), 4));
    writeFile(dir, kLogName, numbered(5));
    ASSERT_FALSE(BackUpResultsLog(log, kDay, 4)); // a second one today replaces the first
    const QStringList kept = BackupFiles(log);
    ASSERT_EQ(kept.size(), 4);
    EXPECT_EQ(kept.first(), BackupPath(log, kDay));
    EXPECT_EQ(kept.last(), BackupPath(log, kDay.addDays(-3)));
    EXPECT_EQ(fileBytes(kept.first()), numbered(5));
    EXPECT_EQ(fileBytes(kept[1]), numbered(2));
    EXPECT_TRUE(QFile::exists(stranger));

    QTemporaryDir empty; // nothing to copy is told, and nothing is made
    EXPECT_TRUE(BackUpResultsLog(empty.filePath(kLogName), kDay));
    EXPECT_FALSE(QFile::exists(empty.filePath(kLogName)));
}

TEST(ResultsBackup, ABackupAtEveryStepOfTheirDeletionIsTheLogBeforeOrAfterIt) {
    const QByteArray original = numbered(8);
    constexpr int k = 3;
    const int stepCount = SiblingDeletion(QString(), k).stepCount();
    for (int before = 0; before <= stepCount; ++before) {
        SCOPED_TRACE(before);
        QTemporaryDir dir;
        const QString log = writeFile(dir, kLogName, original);
        SiblingDeletion sibling(log, k);
        for (int i = 0; i < before; ++i)
            sibling.next();
        ASSERT_FALSE(BackUpResultsLog(log, kDay, kKeptBackups, [&] { sibling.next(); }));
        const QByteArray copy = fileBytes(BackupPath(log, kDay));
        EXPECT_TRUE(copy == original || copy == without(original, k));
        EXPECT_TRUE(before == 0 || sibling.done() || copy == original);
        while (!sibling.done())
            sibling.next();
        EXPECT_EQ(fileBytes(log), without(original, k)); // their deletion went as planned
    }
}

TEST(ResultsBackup, RestoreRefusesWhatWouldLoseRecords) {
    struct Case {
        const char* name;
        std::function<void(const QTemporaryDir& dir, const QString& log)> before;
        RestoreStepHook during;
    };
    const QByteArray original = numbered(6);
    std::optional<SiblingDeletion> sibling;
    const Case cases[] = {
        {"a deletion's copy beside the log",
         [](const QTemporaryDir& dir, const QString&) {
             writeFile(dir, QStringLiteral("成績累積データtemp.dat"), numbered(6));
         },
         {}},
        {"their deletion begun while ours was written",
         [&](const QTemporaryDir&, const QString& log) { sibling.emplace(log, 2); },
         [&](RestoreStep s) {
             if (s == RestoreStep::NewLogOnDisk) sibling->next();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString log = writeFile(dir, kLogName, original);
        c.before(dir, log);
        const auto error = RestoreResultsLog(
            log, numbered(2, 9), kDay, [] {}, c.during);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->message.contains(QStringLiteral("削除が終わっていません")));
        if (sibling) {
            while (!sibling->done())
                sibling->next();
            sibling.reset();
            EXPECT_EQ(fileBytes(log), without(original, 2));
        } else {
            EXPECT_EQ(fileBytes(log), original);
        }
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.dat.*")}, QDir::Files),
                  QStringList{});
    }

    // Files that are not whole records are not read as a backup.
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {{"one byte over", numbered(2) + "x"}, {"a text", "12,3,45\r\n"}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        QByteArray records;
        EXPECT_TRUE(ReadRestoreFile(writeFile(dir, QStringLiteral("f.dat"), f.bytes), &records));
    }
    QByteArray records;
    EXPECT_TRUE(ReadRestoreFile(dir.filePath(QStringLiteral("missing.dat")), &records));
    ASSERT_FALSE(ReadRestoreFile(writeFile(dir, QStringLiteral("e.dat"), {}), &records));
}

TEST(ResultsBackup, ARestoreKilledAtAnyStepLeavesTheOldLogOrTheNewWhole) {
    const QByteArray original = numbered(3000);
    const QByteArray restored = numbered(1000, 9);
    const struct {
        RestoreStep step;
        bool replaced;
    } cases[] = {{RestoreStep::BackedUp, false},
                 {RestoreStep::NewLogOnDisk, false},
                 {RestoreStep::Renamed, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.step));
        QTemporaryDir dir;
        const QString log = writeFile(dir, kLogName, original);
        const pid_t pid = ::fork();
        if (pid == 0) {
            RestoreResultsLog(log, restored, kDay, {}, [&](RestoreStep s) {
                if (s == c.step) ::raise(SIGKILL);
            });
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(fileBytes(log), c.replaced ? restored : original);
        EXPECT_EQ(fileBytes(BackupPath(log, kDay)), original);
        // The next writer finds a log it can lock and append to.
        const QByteArray more = rawRecord({46001, 0.5, 12, 4, 30});
        siblingAppend(log, more);
        EXPECT_EQ(fileBytes(log), (c.replaced ? restored : original) + more);
    }
}

TEST(ResultsBackup, TheDailyCopyIsMadeOnceADayAndNeverAgainstADeletion) {
    QTemporaryDir dir;
    const QString log = dir.filePath(kLogName);
    ASSERT_FALSE(DailyBackup(log, kDay)); // no log: nothing to do, nothing made
    EXPECT_FALSE(QFile::exists(log));
    EXPECT_TRUE(BackupFiles(log).isEmpty());

    writeFile(dir, kLogName, numbered(4));
    writeFile(dir, QStringLiteral("成績累積データtemp.dat"), numbered(4));
    ASSERT_FALSE(DailyBackup(log, kDay)); // a deletion under way is left to the writers
    EXPECT_TRUE(BackupFiles(log).isEmpty());
    QFile::remove(DeletionCopyPath(log));

    ASSERT_FALSE(DailyBackup(log, kDay));
    writeFile(dir, kLogName, numbered(9));
    ASSERT_FALSE(DailyBackup(log, kDay)); // another start the same day
    EXPECT_EQ(fileBytes(BackupPath(log, kDay)), numbered(4));
    ASSERT_FALSE(DailyBackup(log, kDay.addDays(1)));
    EXPECT_EQ(fileBytes(BackupPath(log, kDay.addDays(1))), numbered(9));
}

TEST(ResultsBackup, TheLockProbeTellsAFolderThatHoldsLocksFromOneThatDoesNot) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, kLogName, numbered(1));
    const struct {
        const char* name;
        std::function<std::unique_ptr<FileLock>()> lock;
        LockProbe expected;
    } cases[] = {
        {"this machine's folder", [] { return std::make_unique<PlatformFileLock>(); },
         LockProbe::Holds},
        {"every process granted the lock (nobrl)",
         [] { return std::make_unique<MountLock>(FileLock::Outcome::Locked); }, LockProbe::NotSeen},
        {"locks refused (nolock)",
         [] { return std::make_unique<MountLock>(FileLock::Outcome::Failed); }, LockProbe::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString why;
        EXPECT_EQ(ProbeLock(path, *c.lock(), &why), c.expected);
    }
    // The probe leaves the file free for the next writer.
    siblingAppend(path, numbered(1));
    EXPECT_EQ(fileBytes(path), numbered(1) + numbered(1));
}

} // namespace baisuu
