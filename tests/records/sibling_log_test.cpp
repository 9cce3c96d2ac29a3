// The log beside older programs of the family, which delete records without
// any lock (copy the log, delete it, write a new log from the copy, delete the
// copy) and append under the whole-file lock. The test plays such a program
// step by step and puts our reads and writes between its steps.

#include "records/file_lock.h"
#include "records/log_bytes.h"
#include "records/results.h"
#include "records/sibling_programs.h"
#include "test_support.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace baisuu {

namespace {

QByteArray record(int i, qint16 pupil = 100) {
    return rawRecord({46000, i / 86400.0, pupil, 3, i});
}

QByteArray numbered(int count) {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += record(i);
    return bytes;
}

QByteArray without(const QByteArray& log, int k) {
    return log.left((k - 1) * 44) + log.mid(k * 44);
}

} // namespace

TEST(SiblingPrograms, OurReadsAndAppendsAtEveryStepOfTheirDeletionLoseAndDoubleNothing) {
    const QByteArray original = numbered(8);
    constexpr int k = 3;
    const QByteArray deleted = without(original, k);
    const QByteArray ours = record(50, 7);
    const int stepCount = SiblingDeletion(QString(), k).stepCount();
    // pace: waits of ours per step of theirs. At 5 they take far longer than a
    // minute in all, yet never stand still for one: their copy is never settled.
    for (const int pace : {1, 5}) {
        for (int before = 0; before <= stepCount; ++before) {
            SCOPED_TRACE(testing::Message() << "pace " << pace << ", step " << before);
            for (const bool append : {false, true}) {
                QTemporaryDir dir;
                const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
                SiblingDeletion sibling(path, k);
                for (int i = 0; i < before; ++i)
                    sibling.next();
                int waits = 0;
                const LockWait wait = [&] {
                    if (++waits % pace == 0) sibling.next();
                };
                if (append) {
                    // Our append waits for their deletion to end, then lands after it.
                    ASSERT_FALSE(AppendRecord(path, ResultRecord::fromBytes(ours), wait));
                    EXPECT_TRUE(before == 0 || sibling.done());
                    while (!sibling.done()) // an append before their deletion began
                        sibling.next();
                    EXPECT_EQ(fileBytes(path), deleted + ours);
                } else {
                    // A read sees the log before or after their deletion, never half of it,
                    // and changes nothing they rely on.
                    QList<ResultRecord> read;
                    bool fromCopy = false;
                    ASSERT_FALSE(ReadResultRecords(path, &read, wait, &fromCopy));
                    QByteArray bytes;
                    for (const ResultRecord& r : read)
                        bytes += r.toBytes();
                    EXPECT_TRUE(bytes == original || bytes == deleted);
                    EXPECT_TRUE(!fromCopy || bytes == original);
                    while (!sibling.done())
                        sibling.next();
                    EXPECT_EQ(fileBytes(path), deleted);
                }
                EXPECT_FALSE(QFile::exists(sibling.copyPath()));
            }
        }
    }
}

TEST(SiblingPrograms, TheirDeletionBeginningWhileWeAppendKeepsOurRecordOnce) {
    const QByteArray original = numbered(8);
    constexpr int k = 2;
    const QByteArray ours = record(50, 7);
    // How far their deletion gets between our taking the lock and our write.
    for (const int stepsFirst : {1, 2, 3}) {
        SCOPED_TRACE(stepsFirst);
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
        SiblingDeletion sibling(path, k);
        bool once = true;
        ASSERT_FALSE(AppendRecord(
            path, ResultRecord::fromBytes(ours), [&] { sibling.next(); },
            [&] {
                for (int i = 0; once && i < stepsFirst; ++i)
                    sibling.next();
                once = false;
            }));
        while (!sibling.done())
            sibling.next();
        EXPECT_EQ(fileBytes(path), without(original, k) + ours);
    }
}

TEST(SiblingPrograms, OurChangeWithTheirDeletionBegunJustBeforeItLandsOnceOrIsReported) {
    // Our replacement or deletion of record k while they delete record d: their
    // first steps run just before we write (before our deletion's copy, or just
    // after it), the rest while we wait.
    const QByteArray original = numbered(8);
    constexpr int k = 4;
    const QByteArray corrected = record(99, 7);
    const int stepCount = SiblingDeletion(QString(), 1).stepCount();
    enum class Change { Replace, Delete, DeleteAfterCopy };
    for (const Change change : {Change::Replace, Change::Delete, Change::DeleteAfterCopy}) {
        for (const int d : {2, k, 6}) {
            for (int first = 0; first <= stepCount; ++first) {
                SCOPED_TRACE(testing::Message() << "change " << int(change) << ", theirs " << d
                                                << ", steps first " << first);
                QTemporaryDir dir;
                const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
                SiblingDeletion sibling(path, d);
                bool once = true;
                const auto theirStepsFirst = [&] {
                    for (int i = 0; once && i < first; ++i)
                        sibling.next();
                    once = false;
                };
                const LockWait wait = [&] { sibling.next(); };
                ExpectedRecord shown{ResultRecord::fromBytes(original.mid((k - 1) * 44, 44))};
                QByteArray ours = without(original, k);
                if (change == Change::Replace) {
                    ours = original;
                    ours.replace((k - 1) * 44, 44, corrected);
                    ASSERT_FALSE(ReplaceResult(path, k, ResultRecord::fromBytes(corrected), wait,
                                               &shown, theirStepsFirst));
                } else {
                    const DeletionStep at =
                        change == Change::Delete ? DeletionStep::Checked : DeletionStep::CopyOnDisk;
                    ASSERT_FALSE(DeleteResult(
                        path, k, wait,
                        [&](DeletionStep s) {
                            if (s == at) theirStepsFirst();
                        },
                        &shown));
                }
                while (!sibling.done())
                    sibling.next();
                // Begun after our write, their deletion copied our log. Begun
                // before it, their deletion copied the original log, and ours
                // applies to what theirs made of it if the record is still there
                // (for a replacement both come to the same).
                QByteArray expected = without(ours, d);
                if (first > 0 && change != Change::Replace)
                    expected = d == k ? without(original, k)
                                      : without(without(original, std::max(k, d)), std::min(k, d));
                EXPECT_EQ(fileBytes(path), expected);
                if (d != k || first == 0) {
                    EXPECT_FALSE(shown.differs);
                } else if (change == Change::Replace) {
                    EXPECT_TRUE(shown.differs); // their deletion took the record first
                }
                EXPECT_FALSE(QFile::exists(sibling.copyPath()));
            }
        }
    }
}

TEST(SiblingPrograms, AReaderWritesNothingHalfWayThroughTheirDeletion) {
    // Their deletion of record 1 of [1..5] has written [2,3] so far.
    QTemporaryDir dir;
    const QByteArray original = numbered(5);
    const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
    SiblingDeletion sibling(path, 1);
    for (int i = 0; i < 6; ++i) // copy, delete, open, skip record 1, write 2, write 3
        sibling.next();
    ASSERT_EQ(fileBytes(path), original.mid(44, 88));

    int waits = 0;
    auto state = std::make_unique<ResultsState>();
    ASSERT_FALSE(LoadResults(*state, path, [&] { ++waits; }));
    EXPECT_EQ(waits, kReaderCopyWaits);
    EXPECT_TRUE(state->readFromCopy);
    EXPECT_EQ(state->results.size(), 5); // the log as it was before their deletion
    EXPECT_EQ(fileBytes(path), original.mid(44, 88));
    EXPECT_EQ(fileBytes(sibling.copyPath()), original);
    LogSurvey survey;
    ASSERT_FALSE(SurveyResultsLog(path, &survey, [] {}));
    EXPECT_TRUE(survey.leftoverCopy);
    EXPECT_EQ(survey.records, 5);

    while (!sibling.done())
        sibling.next();
    EXPECT_EQ(fileBytes(path), without(original, 1));
    ASSERT_FALSE(LoadResults(*state, path, [] {}));
    EXPECT_FALSE(state->readFromCopy);
    EXPECT_EQ(state->results.size(), 4);
}

TEST(SiblingPrograms, ReadersWaitOutTheCopyOfTheirDeadDeletionOnceUntilSomethingChanges) {
    // Their deletion of record 1 of [1..5] died after writing [2,3].
    QTemporaryDir dir;
    const QByteArray original = numbered(5);
    const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
    SiblingDeletion sibling(path, 1);
    for (int i = 0; i < 6; ++i)
        sibling.next();
    const auto touch = [](const QString& file, const QDateTime& time) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
    };
    const QDateTime later = QDateTime::currentDateTime().addSecs(100);
    struct Case {
        const char* what;
        std::function<void()> change;
        qsizetype records; // what the copy holds afterwards
    };
    const Case cases[] = {
        {"first read", [] {}, 5},
        {"copy touched", [&] { touch(sibling.copyPath(), later); }, 5},
        {"copy grown", [&] { siblingAppend(sibling.copyPath(), record(60, 9)); }, 6},
        {"log grown", [&] { siblingAppend(path, record(61, 9)); }, 6},
        {"log touched", [&] { touch(path, later); }, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        const QByteArray log = fileBytes(path);
        const QByteArray copy = fileBytes(sibling.copyPath());
        for (const int expectedWaits : {kReaderCopyWaits, 0}) {
            int waits = 0;
            QList<ResultRecord> read;
            bool fromCopy = false;
            ASSERT_FALSE(ReadResultRecords(
                path, &read, [&] { ++waits; }, &fromCopy));
            EXPECT_EQ(waits, expectedWaits);
            EXPECT_TRUE(fromCopy);
            EXPECT_EQ(read.size(), c.records);
            EXPECT_EQ(fileBytes(path), log); // a reader writes nothing
            EXPECT_EQ(fileBytes(sibling.copyPath()), copy);
        }
    }
    // Once the copy is gone, a copy that comes back is waited for anew.
    const QByteArray copy = fileBytes(sibling.copyPath());
    const QDateTime copyTime = QFileInfo(sibling.copyPath()).lastModified();
    ASSERT_TRUE(QFile::remove(sibling.copyPath()));
    QList<ResultRecord> read;
    ASSERT_FALSE(ReadResultRecords(path, &read, [] { ADD_FAILURE(); }));
    writeFile(dir, QStringLiteral("成績累積データtemp.dat"), copy);
    touch(sibling.copyPath(), copyTime);
    ASSERT_EQ(QFileInfo(sibling.copyPath()).lastModified(), copyTime);
    int waits = 0;
    ASSERT_FALSE(ReadResultRecords(path, &read, [&] { ++waits; }));
    EXPECT_EQ(waits, kReaderCopyWaits);
}

TEST(SiblingPrograms, TheirDeletionThatDiedIsSettledAfterAMinuteKeepingTheirLaterAppends) {
    const QByteArray original = numbered(8);
    constexpr int k = 5;
    const int stepCount = SiblingDeletion(QString(), k).stepCount();
    for (int died = 1; died < stepCount; ++died) { // after the copy, before it is gone
        SCOPED_TRACE(died);
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
        SiblingDeletion sibling(path, k);
        for (int i = 0; i < died; ++i)
            sibling.next();
        const bool finished = died >= 3 + 8; // copy, delete, open, and all eight records
        if (!QFile::exists(path)) QFile(path).open(QIODevice::WriteOnly); // their append creates it
        siblingAppend(path, record(60, 9));
        int waits = 0;
        ASSERT_FALSE(OpenResultsLog(path, [&] { ++waits; }));
        EXPECT_GE(waits, kStaleCopyWaits);
        EXPECT_LE(waits, kStaleCopyWaits + 1);
        EXPECT_EQ(fileBytes(path), (finished ? without(original, k) : original) + record(60, 9));
        EXPECT_FALSE(QFile::exists(sibling.copyPath()));
    }
}

TEST(SiblingPrograms, OurDeletionKilledAtAnyStepThenTheirAppendsLoseNothing) {
    const QByteArray original = numbered(8);
    constexpr int k = 3;
    const DeletionStep steps[] = {DeletionStep::CopyOnDisk, DeletionStep::RecordsMoving,
                                  DeletionStep::RecordsMoved, DeletionStep::LogCut,
                                  DeletionStep::LogOnDisk};
    for (const DeletionStep step : steps) {
        for (int theirs = 0; theirs <= 2; ++theirs) {
            SCOPED_TRACE(testing::Message() << "step " << int(step) << ", appends " << theirs);
            QTemporaryDir dir;
            const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
            if (const pid_t pid = ::fork(); pid == 0) {
                DeleteResult(path, k, {}, [&](DeletionStep s) {
                    if (s == step) ::raise(SIGKILL);
                });
                ::_exit(0);
            } else {
                int status = 0;
                ::waitpid(pid, &status, 0);
                ASSERT_TRUE(WIFSIGNALED(status));
            }
            QByteArray appended;
            for (int i = 0; i < theirs; ++i) {
                siblingAppend(path, record(70 + i, 9));
                appended += record(70 + i, 9);
            }
            ASSERT_FALSE(OpenResultsLog(path, [] {}));
            const bool finished = step == DeletionStep::LogCut || step == DeletionStep::LogOnDisk;
            EXPECT_EQ(fileBytes(path), (finished ? without(original, k) : original) + appended);
            EXPECT_FALSE(QFile::exists(DeletionCopyPath(path)));
        }
    }
}

TEST(SiblingPrograms, SettlingKeepsEveryRecordThatIsNotTheDeletedOne) {
    // Every state a deletion can leave, ours or theirs, for every record k, with
    // up to two records appended after it died: the settled log is the log
    // without k or the whole copy, followed by the appended records.
    const int n = 6;
    const QByteArray copy = numbered(n);
    for (int k = 1; k <= n; ++k) {
        const QByteArray less = without(copy, k);
        struct State {
            QByteArray log;
            bool finished;
        };
        QList<State> states{{copy, false}, {less, true}};
        for (int moved = 0; moved <= n - k; ++moved) // ours: moving up in place
            states.append(
                {less.left((k - 1 + moved) * 44) + copy.mid((k - 1 + moved) * 44), false});
        for (int written = 0; written < n - 1; ++written) // theirs: a new log being written
            states.append({less.left(written * 44), false});
        for (const State& state : states) {
            for (int extra = 0; extra <= 2; ++extra) {
                QByteArray appended;
                for (int i = 0; i < extra; ++i)
                    appended += record(90 + i, 9);
                const QByteArray settled = SettleDeletion(state.log + appended, copy);
                EXPECT_TRUE(settled == (state.finished ? less : copy) + appended)
                    << "k " << k << ", log of " << state.log.size() / 44 << " records, appended "
                    << extra << ": got " << settled.size() / 44 << " records";
            }
        }
    }
}

TEST(SiblingPrograms, ReadersDuringOurDeletionsSeeOnlyWholeLogs) {
    QTemporaryDir dir;
    const QByteArray original = numbered(2000);
    const QString path = writeFile(dir, QStringLiteral("成績累積データ.dat"), original);
    constexpr int kDeletions = 15;
    QList<QByteArray> states{original};
    for (int i = 0; i < kDeletions; ++i)
        states.append(without(states.last(), 10));
    const pid_t deleter = ::fork();
    if (deleter == 0) {
        for (int i = 0; i < kDeletions; ++i)
            if (DeleteResult(path, 10, [] { ::usleep(2000); })) ::_exit(1);
        ::_exit(0);
    }
    int reads = 0;
    bool deleterRunning = true;
    while (deleterRunning) {
        int status = 0;
        deleterRunning = ::waitpid(deleter, &status, WNOHANG) == 0;
        QList<ResultRecord> read;
        ASSERT_FALSE(ReadResultRecords(path, &read, [] { ::usleep(2000); }));
        QByteArray bytes;
        for (const ResultRecord& r : read)
            bytes += r.toBytes();
        ASSERT_TRUE(states.contains(bytes)) << "read " << reads << ": " << bytes.size() / 44;
        ++reads;
    }
    EXPECT_EQ(fileBytes(path), states.last());
    EXPECT_GT(reads, 1);
}

} // namespace baisuu
