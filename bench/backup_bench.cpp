// The results log's copy for 200 000 runs: `backup` itself, what the
// program's daily copy adds before the selection screen (the copy runs on a
// thread of its own; the start-up waits only for the look and the thread's
// start), and `restore` of a copy into a log of 200 000 runs.

#include "app/startup.h"
#include "bench_school.h"
#include "records/results_backup.h"

#include <QElapsedTimer>

using namespace baisuu;

namespace {

const QDate kBenchDay = kBenchNow.date();

QString benchLogIn(const QTemporaryDir& dir) {
    const QString log = dir.filePath(QStringLiteral("成績累積データ.dat"));
    WriteBenchFile(log, BenchLog(7));
    return log;
}

// The start-up's daily step on a thread of its own, with no database named.
std::future<void> startDailyBackup(const QString& log) {
    Hensuu1 state;
    state.paths.dataFolder = QFileInfo(log).path() + QStringLiteral("/");
    return std::async(std::launch::async,
                      [state] { DailyBackupAndSync({}, state, CriteriaTable{}, kBenchDay); });
}

void BM_BackupOf200000Records(benchmark::State& state) {
    QTemporaryDir dir;
    const QString log = benchLogIn(dir);
    for (auto _ : state) {
        if (BackUpResultsLog(log, kBenchNow)) state.SkipWithError("the backup failed");
        state.PauseTiming(); // every backup is a new copy: they would fill the disk
        for (const QString& kept : BackupFiles(log))
            QFile::remove(kept);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BackupOf200000Records)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The time the start-up spends on the daily copy before it goes on to the selection screen.
void BM_DailyBackupAddedAtStartUp(benchmark::State& state) {
    QTemporaryDir dir;
    const QString log = benchLogIn(dir);
    qint64 copyNs = 0;
    for (auto _ : state) {
        QFile::remove(BackupPath(log, kBenchDay)); // the first start of the day
        QElapsedTimer clock;
        clock.start();
        std::future<void> copy = startDailyBackup(log);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        copy.wait();
        copyNs += clock.nsecsElapsed();
    }
    state.counters["copy_ms"] = double(copyNs) / 1e6 / double(state.iterations());
}
BENCHMARK(BM_DailyBackupAddedAtStartUp)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// A later start the same day only looks for the copy.
void BM_DailyBackupAlreadyMade(benchmark::State& state) {
    QTemporaryDir dir;
    const QString log = benchLogIn(dir);
    BackUpResultsLog(log, kBenchNow);
    for (auto _ : state)
        startDailyBackup(log).wait();
}
BENCHMARK(BM_DailyBackupAlreadyMade)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// restore as the command runs it: the copy read and checked record by record,
// then, under the lock, the log read, kept as its 戻す前 copy, merged with the
// copy (the runs after the copy's newest kept) and put in place. The copy is
// the log without its last 2000 runs, a few days old.
void BM_RestoreOf200000Records(benchmark::State& state) {
    QTemporaryDir dir;
    const QString log = benchLogIn(dir);
    const QByteArray whole = BenchLog(7);
    const QString copy = dir.filePath(QStringLiteral("copy.dat"));
    WriteBenchFile(copy, whole.left(whole.size() - 2000 * kRecordSize));
    for (auto _ : state) {
        QByteArray records;
        RestoreCounts counts;
        if (ReadRestoreFile(copy, QStringLiteral("12345"), &records) ||
            RestoreResultsLog(log, records, kBenchNow, false, &counts))
            state.SkipWithError("the restore failed");
        state.PauseTiming(); // the copies it keeps would fill the disk
        for (const QString& kept : BackupFiles(log))
            QFile::remove(kept);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RestoreOf200000Records)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
