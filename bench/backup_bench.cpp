// The results log's copy for 200 000 runs: `backup` itself, and what the
// program's daily copy adds before the selection screen (the copy runs on a
// thread of its own; the start-up waits only for the look and the thread's start).

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

void BM_BackupOf200000Records(benchmark::State& state) {
    QTemporaryDir dir;
    const QString log = benchLogIn(dir);
    for (auto _ : state)
        if (BackUpResultsLog(log, kBenchDay)) state.SkipWithError("the backup failed");
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
        std::future<void> copy = StartDailyBackup(log, kBenchDay);
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
    BackUpResultsLog(log, kBenchDay);
    for (auto _ : state)
        StartDailyBackup(log, kBenchDay).wait();
}
BENCHMARK(BM_DailyBackupAlreadyMade)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
