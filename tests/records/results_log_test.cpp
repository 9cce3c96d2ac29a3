// The log shared by several processes: appends, replacements and deletions
// under the lock, and what a deletion cut short leaves for the next start.
// Concurrency needs separate processes (a process shares its locks with itself).

#include "records/file_lock.h"
#include "records/log_bytes.h"
#include "records/results.h"
#include "records/sibling_programs.h"
#include "test_support.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace baisuu {

namespace {

const LockWait kShortWait = [] { ::usleep(2000); };

QList<ResultRecord> records(const QString& path) {
    QList<ResultRecord> out;
    EXPECT_FALSE(ReadResultRecords(path, &out));
    return out;
}

QByteArray numbered(int count, qint16 pupil = 100) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += rawRecord({46000, 0.5, pupil, 3, i});
    return bytes;
}

QByteArray without(const QByteArray& log, int k) {
    return log.left((k - 1) * 44) + log.mid(k * 44);
}

// Child processes that start together: each runs body(index) once the parent
// opens the gate, and exits 0 on success. Returns the children's ids.
class Children {
  public:
    explicit Children(int count, const std::function<bool(int)>& body) {
        int gate[2];
        if (::pipe(gate) != 0) return;
        for (int i = 0; i < count; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(gate[1]);
                char c;
                while (::read(gate[0], &c, 1) > 0) {
                }
                ::_exit(body(i) ? 0 : 1);
            }
            pids_.append(pid);
        }
        ::close(gate[0]);
        ::close(gate[1]); // opens the gate: every child reads the end of the pipe
    }
    // True when every child exited with 0.
    bool allSucceeded() {
        bool ok = true;
        for (const pid_t pid : pids_) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        pids_.clear();
        return ok;
    }
    ~Children() { allSucceeded(); }

  private:
    QList<pid_t> pids_;
};

ResultRecord appended(int writer, int sequence) {
    ResultRecord r;
    r.runDate = 46000;
    r.runClock = sequence / 86400.0;
    r.pupilNumber = qint16(writer + 1);
    r.level = 5;
    r.runTime = sequence;
    r.schoolCode = RecordText(QStringLiteral("12345"));
    return r;
}

// Every writer's records are there exactly once, intact and in its order.
void expectAllAppended(const QList<ResultRecord>& log, int writers, int each) {
    QList<int> next(writers, 0);
    for (const ResultRecord& r : log) {
        if (r.level != 5) continue;
        const int w = r.pupilNumber - 1;
        ASSERT_TRUE(w >= 0 && w < writers);
        ASSERT_EQ(r, appended(w, next[w])) << "writer " << w;
        ++next[w];
    }
    for (int w = 0; w < writers; ++w)
        EXPECT_EQ(next[w], each) << "writer " << w;
}

} // namespace

TEST(ResultsLog, EightProcessesAppendingAtOnceLoseAndDoubleNothing) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), numbered(3) + "torn");
    constexpr int kWriters = 8;
    constexpr int kEach = 250;
    Children writers(kWriters, [&](int w) {
        for (int i = 0; i < kEach; ++i)
            if (AppendRecord(path, appended(w, i), kShortWait)) return false;
        return true;
    });
    ASSERT_TRUE(writers.allSucceeded());
    const QByteArray bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), (3 + kWriters * kEach) * 44);
    EXPECT_EQ(bytes.left(3 * 44), numbered(3));
    expectAllAppended(records(path), kWriters, kEach);
}

TEST(ResultsLog, AnAppendWaitsWhileAnotherProcessHoldsTheLock) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), numbered(2));
    const pid_t holder = forkLockHolder(path);
    ASSERT_GT(holder, 0);
    int waits = 0;
    EXPECT_FALSE(AppendRecord(path, appended(0, 0), [&] {
        ++waits;
        ::usleep(20 * 1000);
    }));
    int status = 0;
    ::waitpid(holder, &status, 0);
    EXPECT_GE(waits, 3);
    EXPECT_EQ(fileBytes(path).size(), 3 * 44);
}

TEST(ResultsLog, ReplaceAndDeleteChangeOnlyTheirRecord) {
    QTemporaryDir dir;
    const QByteArray original = numbered(5);
    const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original + "xx");

    ResultRecord changed = ResultRecord::fromBytes(original.mid(44, 44));
    changed.pupilNumber = 42;
    ASSERT_FALSE(ReplaceResult(path, 2, changed));
    QByteArray expected = original;
    expected.replace(44, 44, changed.toBytes());
    EXPECT_EQ(fileBytes(path), expected + "xx");
    EXPECT_TRUE(ReplaceResult(path, 6, changed).has_value());
    EXPECT_TRUE(ReplaceResult(path, 0, changed).has_value());

    ASSERT_FALSE(DeleteResult(path, 5)); // the last record, with the torn bytes
    ASSERT_FALSE(DeleteResult(path, 1));
    EXPECT_EQ(fileBytes(path), without(without(expected, 5), 1));
    EXPECT_FALSE(QFile::exists(DeletionCopyPath(path)));
    EXPECT_TRUE(DeleteResult(path, 4).has_value());
    EXPECT_EQ(fileBytes(path).size(), 3 * 44);
    EXPECT_FALSE(QFile::exists(DeletionCopyPath(path)));

    // A data folder that is not there is told at once, not waited for.
    int waits = 0;
    const auto error =
        AppendRecord(dir.filePath(QStringLiteral("none/log.dat")), changed, [&] { ++waits; });
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->message.contains(QStringLiteral("データフォルダがありません")));
    EXPECT_EQ(waits, 0);
}

TEST(ResultsLog, ADeletionWhileOthersAppendKeepsEveryAppendedRecord) {
    QTemporaryDir dir;
    const QByteArray prefilled = numbered(3000);
    const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), prefilled);
    constexpr int kWriters = 4;
    constexpr int kEach = 150;
    Children children(kWriters + 1, [&](int i) {
        if (i < kWriters) {
            for (int n = 0; n < kEach; ++n)
                if (AppendRecord(path, appended(i, n), kShortWait)) return false;
            return true;
        }
        // The deleter starts once the appends are under way.
        while (QFileInfo(path).size() < (3000 + 40) * 44)
            ::usleep(500);
        return !DeleteResult(path, 1500, kShortWait) && !DeleteResult(path, 10, kShortWait);
    });
    ASSERT_TRUE(children.allSucceeded());
    const QByteArray bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), (3000 - 2 + kWriters * kEach) * 44);
    EXPECT_EQ(bytes.left(2998 * 44), without(without(prefilled, 1500), 10));
    expectAllAppended(records(path), kWriters, kEach);
    EXPECT_FALSE(QFile::exists(DeletionCopyPath(path)));
}

TEST(ResultsLog, ADeletionKilledAtAnyStepLosesNothingAndTheNextStartSettlesIt) {
    const QByteArray original = numbered(3000);
    constexpr int k = 700;
    const QByteArray deleted = without(original, k);
    struct Case {
        DeletionStep step;
        bool finished; // what the next start makes of it
    };
    const Case cases[] = {
        {DeletionStep::CopyOnDisk, false},   {DeletionStep::RecordsMoving, false},
        {DeletionStep::RecordsMoved, false}, {DeletionStep::LogCut, true},
        {DeletionStep::LogOnDisk, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.step));
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
        const pid_t pid = ::fork();
        if (pid == 0) {
            DeleteResult(path, k, {}, [&](DeletionStep s) {
                if (s == c.step) ::raise(SIGKILL);
            });
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        // Right after the crash the log and the copy together still hold every record but k.
        const QByteArray copy = fileBytes(DeletionCopyPath(path));
        const QByteArray log = fileBytes(path);
        EXPECT_EQ(copy, original);
        for (int r = 1; r <= 3000; ++r) {
            const QByteArray record = original.mid((r - 1) * 44, 44);
            if (r != k) {
                ASSERT_TRUE(log.contains(record) || copy.contains(record)) << r;
            }
        }

        ASSERT_FALSE(OpenResultsLog(path, [] {})); // nobody changes them: settled after a minute
        EXPECT_EQ(fileBytes(path), c.finished ? deleted : original);
        EXPECT_FALSE(QFile::exists(DeletionCopyPath(path)));
    }

    // The next start may be an append of another machine: it settles first.
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
    if (const pid_t pid = ::fork(); pid == 0) {
        DeleteResult(path, k, {}, [](DeletionStep s) {
            if (s == DeletionStep::RecordsMoved) ::raise(SIGKILL);
        });
        ::_exit(0);
    } else {
        ::waitpid(pid, nullptr, 0);
    }
    ASSERT_FALSE(AppendRecord(path, appended(0, 0), [] {}));
    EXPECT_EQ(fileBytes(path), original + appended(0, 0).toBytes());

    // A log gone missing beside its copy: readers read the copy and leave both
    // alone; a writer brings the log back from it.
    QFile::copy(path, DeletionCopyPath(path));
    QFile::remove(path);
    auto state = std::make_unique<ResultsState>();
    ASSERT_FALSE(LoadResults(*state, path, [] {}));
    EXPECT_EQ(state->results.size(), 3001);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_FALSE(OpenResultsLog(path, [] {}));
    EXPECT_EQ(fileBytes(path).size(), 3001 * 44);
    EXPECT_FALSE(QFile::exists(DeletionCopyPath(path)));
}

} // namespace baisuu
