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
const QDateTime kNow(kDay, QTime(10, 15, 30));
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

// Runs of one day, the day's second s for run s.
QByteArray runsAt(double day, std::initializer_list<int> seconds, qint16 pupil = 5) {
    QByteArray bytes;
    for (const int s : seconds)
        bytes += rawRecord({day, s / 86400.0, pupil, 2, s});
    return bytes;
}

// The copies made before a restore.
QStringList beforeCopies(const QString& log) {
    QStringList out;
    for (const QString& path : BackupFiles(log))
        if (path.endsWith(QStringLiteral("-戻す前.dat"))) out.append(path);
    return out;
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

TEST(ResultsBackup, ARestoreBringsTheCopyBackKeepsNewerRunsAndIsUndoneByItsBeforeCopy) {
    QTemporaryDir dir;
    const QByteArray yesterday = numbered(500);
    const QString log = writeFile(dir, kLogName, yesterday + QByteArray("torn", 4));
    ASSERT_FALSE(BackUpResultsLog(log, kNow.addDays(-1)));
    const QString copy = BackupPath(log, kDay.addDays(-1));
    EXPECT_TRUE(copy.endsWith(QStringLiteral("/バックアップ/成績累積データ-20261208.dat")));
    EXPECT_EQ(fileBytes(copy), yesterday); // the torn tail is no record

    // Since then: someone deleted record 7 by mistake, and today's runs came.
    const QByteArray today = runsAt(46001, {100, 200, 300});
    const QByteArray current = without(yesterday, 7) + today;
    writeFile(dir, kLogName, current);
    QByteArray records;
    ASSERT_FALSE(ReadRestoreFile(copy, QStringLiteral("12345"), &records));
    RestoreCounts counts;
    ASSERT_FALSE(RestoreResultsLog(log, records, kNow, false, &counts));
    EXPECT_EQ(fileBytes(log), yesterday + today);
    EXPECT_EQ(counts.restored, 500);
    EXPECT_EQ(counts.returned, 1);
    EXPECT_EQ(counts.removed, 0);
    EXPECT_EQ(counts.kept, 3);
    EXPECT_EQ(counts.beforeCopy,
              BackupFolder(log) + QStringLiteral("/成績累積データ-20261209-101530-戻す前.dat"));
    EXPECT_EQ(fileBytes(counts.beforeCopy), current);
    EXPECT_EQ(fileBytes(copy), yesterday);

    // Undone by restoring the copy made before it: a run recorded since stays.
    const QByteArray later = runsAt(46001, {400});
    siblingAppend(log, later);
    ASSERT_FALSE(ReadRestoreFile(counts.beforeCopy, QStringLiteral("12345"), &records));
    ASSERT_FALSE(RestoreResultsLog(log, records, kNow.addSecs(60), false, &counts));
    EXPECT_EQ(fileBytes(log), current + later);
    EXPECT_EQ(counts.removed, 1); // record 7 goes again, as the undone restore found it
    EXPECT_EQ(beforeCopies(log).size(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{kLogName}); // no leftovers
}

TEST(ResultsBackup, TheRestoredLogIsTheCopyThenTheRunsDatedAfterIt) {
    const QByteArray copy = runsAt(46000, {10, 20, 30});
    const struct {
        const char* what;
        QByteArray current;
        bool dropNewer;
        QByteArray expected;
        RestoreCounts counts;
    } cases[] = {
        {"the log went on from the copy",
         copy + runsAt(46000, {40, 50}),
         false,
         copy + runsAt(46000, {40, 50}),
         {3, 0, 0, 2, 2, {}}},
        {"--drop-newer leaves them out",
         copy + runsAt(46000, {40, 50}),
         true,
         copy,
         {3, 0, 2, 2, 0, {}}},
        {"a record the log lost comes back; one changed goes",
         runsAt(46000, {10, 30}) + runsAt(46000, {20}, 9) + runsAt(46001, {5}),
         false,
         copy + runsAt(46001, {5}),
         {3, 1, 1, 1, 1, {}}},
        {"the date decides, not the order in the log",
         runsAt(46000, {40}) + copy + runsAt(45999, {99}),
         false,
         copy + runsAt(46000, {40}),
         {3, 0, 1, 1, 1, {}}},
        {"a run the log holds twice and the copy once",
         copy + runsAt(46000, {30}),
         false,
         copy,
         {3, 0, 1, 0, 0, {}}},
        {"a run of the copy's last second that the copy does not hold",
         copy + runsAt(46000, {30}, 9),
         false,
         copy + runsAt(46000, {30}, 9),
         {3, 0, 0, 1, 1, {}}},
        {"an empty log", {}, false, copy, {3, 3, 0, 0, 0, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RestoreCounts counts;
        EXPECT_EQ(RestoredLog(copy, c.current, c.dropNewer, &counts), c.expected);
        EXPECT_EQ(counts.restored, c.counts.restored);
        EXPECT_EQ(counts.returned, c.counts.returned);
        EXPECT_EQ(counts.removed, c.counts.removed);
        EXPECT_EQ(counts.newer, c.counts.newer);
        EXPECT_EQ(counts.kept, c.counts.kept);
    }
}

TEST(ResultsBackup, ABackupNeverReplacesACopyAndRotationKeepsWhatItJustMade) {
    QTemporaryDir dir;
    const QString log = writeFile(dir, kLogName, numbered(2));
    const QString stranger = writeFile(dir, QStringLiteral("バックアップ/メモ.txt"), "keep me");
    // A machine whose clock ran ahead made these; they must not push today's out.
    const QString ahead =
        writeFile(dir, QStringLiteral("バックアップ/成績累積データ-20300101.dat"), numbered(1));
    for (int d = 5; d >= 1; --d)
        ASSERT_FALSE(BackUpResultsLog(log, kNow.addDays(-d), 4));
    QStringList made;
    for (int n = 1; n <= 3; ++n) {
        writeFile(dir, kLogName, numbered(2 + n));
        QString written;
        ASSERT_FALSE(BackUpResultsLog(log, kNow.addSecs(n / 3 * 60), 2, {}, &written));
        made.append(written);
    }
    const QString folder = BackupFolder(log);
    EXPECT_EQ(made, (QStringList{folder + QStringLiteral("/成績累積データ-20261209.dat"),
                                 folder + QStringLiteral("/成績累積データ-20261209-101530.dat"),
                                 folder + QStringLiteral("/成績累積データ-20261209-101630.dat")}));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(fileBytes(made[n - 1]), numbered(2 + n));
    // keep 2: today's three stay all the same, the days before go.
    EXPECT_EQ(BackupFiles(log), (QStringList{ahead, made[2], made[1], made[0]}));
    EXPECT_TRUE(QFile::exists(stranger));

    QTemporaryDir empty; // nothing to copy is told, and nothing is made
    EXPECT_TRUE(BackUpResultsLog(empty.filePath(kLogName), kNow));
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
        QString written;
        ASSERT_FALSE(BackUpResultsLog(
            log, kNow, kKeptBackups, [&] { sibling.next(); }, &written));
        const QByteArray copy = fileBytes(written);
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
             if (s == RestoreStep::BackedUp) sibling->next();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString log = writeFile(dir, kLogName, original);
        c.before(dir, log);
        const auto error = RestoreResultsLog(
            log, numbered(2, 9), kNow, false, nullptr, [] {}, c.during);
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
}

TEST(ResultsBackup, ARestoreKilledAtAnyStepIsUndoneOrFinishedKeepingLaterAppends) {
    // More records than one chunk of the rewrite, so a kill can fall half way.
    const QByteArray original = numbered(20000);
    const QByteArray copy = numbered(1000, 9);
    // The runs from the copy's last second on (its own record of that second aside).
    const QByteArray restored = copy + original.mid(999 * 44);
    const QByteArray siblings = rawRecord({46001, 0.5, 12, 4, 30});
    const QByteArray ours = rawRecord({46001, 0.6, 13, 4, 31});
    const struct {
        RestoreStep step;
        bool finished; // the next writer finishes the restore
    } cases[] = {{RestoreStep::BackedUp, false},
                 {RestoreStep::Rewriting, true},
                 {RestoreStep::Rewritten, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.step));
        QTemporaryDir dir;
        const QString log = writeFile(dir, kLogName, original);
        const pid_t pid = ::fork();
        if (pid == 0) {
            RestoreResultsLog(log, copy, kNow, false, nullptr, {}, [&](RestoreStep s) {
                if (s == c.step) ::raise(SIGKILL);
            });
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        ASSERT_EQ(beforeCopies(log).size(), 1);
        EXPECT_EQ(fileBytes(beforeCopies(log).first()), original);
        // An older program appends to whatever the log is; our next write
        // finishes the restore first and keeps that run.
        siblingAppend(log, siblings);
        ASSERT_FALSE(AppendRecord(log, ResultRecord::fromBytes(ours)));
        EXPECT_EQ(fileBytes(log), (c.finished ? restored : original) + siblings + ours);
        EXPECT_FALSE(QFile::exists(RestoreNewPath(log)));
        EXPECT_FALSE(QFile::exists(RestoreOldPath(log)));
    }
}

TEST(ResultsBackup, AnOlderProgramsAppendWaitingForTheLockLandsInTheRestoredLog) {
    QTemporaryDir dir;
    const QString log = writeFile(dir, kLogName, numbered(300));
    QFile sibling(log); // opened before the restore, locked and written after it
    ASSERT_TRUE(sibling.open(QIODevice::ReadWrite));
    ASSERT_FALSE(RestoreResultsLog(log, numbered(100, 9), kNow, true));
    const QByteArray run = rawRecord({46001, 0.5, 12, 4, 30});
    PlatformFileLock lock;
    ASSERT_EQ(lock.tryLockWhole(sibling, nullptr), FileLock::Outcome::Locked);
    ASSERT_TRUE(sibling.seek(sibling.size() / 44 * 44));
    ASSERT_EQ(sibling.write(run), 44);
    sibling.flush();
    lock.unlockWhole(sibling);
    EXPECT_EQ(fileBytes(log), numbered(100, 9) + run);
}

TEST(ResultsBackup, EveryAppendThatSucceededDuringTwoMachinesRestoresIsInTheFinalLog) {
    QTemporaryDir dir;
    const QByteArray copy = numbered(2000);
    const QString log = writeFile(dir, kLogName, copy);
    int done[2];
    ASSERT_EQ(::pipe(done), 0);
    constexpr int kAppends = 150;
    const pid_t appender = ::fork();
    if (appender == 0) {
        ::close(done[0]);
        for (int i = 0; i < kAppends; ++i) {
            ResultRecord run = ResultRecord::fromBytes(runsAt(46001, {i}, 21));
            if (!AppendRecord(log, run, [] { ::usleep(2000); }))
                (void)!::write(done[1], &i, sizeof i);
        }
        ::_exit(0);
    }
    ::close(done[1]);
    // A second machine restores the same copy meanwhile.
    const pid_t restorer = ::fork();
    if (restorer == 0) {
        for (int r = 0; r < 20; ++r)
            if (RestoreResultsLog(log, copy, kNow.addSecs(r), false, nullptr,
                                  [] { ::usleep(2000); }))
                ::_exit(1);
        ::_exit(0);
    }
    int restores = 0;
    for (int status = 0; ::waitpid(appender, &status, WNOHANG) == 0; ++restores) {
        ASSERT_FALSE(RestoreResultsLog(log, copy, kNow.addSecs(restores), false, nullptr,
                                       [] { ::usleep(2000); }));
        ::usleep(3000);
    }
    EXPECT_GE(restores, 1);
    int status = 0;
    ::waitpid(restorer, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QByteArray expected = copy;
    for (int i = 0; ::read(done[0], &i, sizeof i) == sizeof i;)
        expected += runsAt(46001, {i}, 21);
    ::close(done[0]);
    EXPECT_EQ(expected.size(), (2000 + kAppends) * 44);
    const QByteArray final = fileBytes(log);
    EXPECT_TRUE(final == expected)
        << "records " << final.size() / 44 << " of " << expected.size() / 44;
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
    EXPECT_EQ(BackupFiles(log).size(), 1);
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
