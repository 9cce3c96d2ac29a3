// The tallies of a whole school, side by side with merely reading the same log
// into memory: ComputeLevelStats should cost little more than the read itself.

#include "records/results.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>

using namespace baisuu;

namespace {

constexpr double kToday = 46364; // 2026-12-08
const QDateTime kNow(QDate(2026, 12, 8), QTime(15, 30));

CriteriaTable schoolCriteria() {
    CriteriaTable t;
    for (int level = 1; level <= 11; ++level) {
        LevelCriteria& c = t.levels[level];
        c.targetTime = 15 + 4 * level;
        c.passTime = c.targetTime * 3 / 2;
        c.clearPoints = 100;
        c.clearCount = 5;
        c.pointFactor = level == 11 ? 1.5f : 1.0f;
        c.judgeDays = Value{Value::Kind::Number, 7, {}};
        c.overdoDays = Value{Value::Kind::Number, 1, {}};
    }
    return t;
}

// A log of n runs by 5000 pupils on levels 1..11 over the last year.
class Logs {
  public:
    QString path(qint64 n) {
        auto found = paths_.find(n);
        if (found != paths_.end()) return found->second;
        const QString p = dir_.filePath(QStringLiteral("log%1.dat").arg(n));
        std::mt19937 random{unsigned(n)};
        QByteArray bytes;
        bytes.reserve(n * kRecordSize);
        for (qint64 i = 0; i < n; ++i) {
            ResultRecord r;
            r.runDate = kToday - 365 + double(i * 366 / n);
            r.runClock = (9 * 3600 + random() % 36000) / 86400.0;
            r.pupilNumber = qint16(1 + random() % 5000);
            r.level = qint16(1 + random() % 11);
            r.runTime = random() % 50 == 0 ? 99999 : qint32(10 + random() % 120);
            r.schoolCode = "12345";
            bytes += r.toBytes();
        }
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the benchmark log");
        paths_[n] = p;
        return p;
    }

  private:
    QTemporaryDir dir_;
    std::map<qint64, QString> paths_;
};

Logs& logs() {
    static Logs instance;
    return instance;
}

// The baseline: the whole file read into a buffer that, like the tally tables,
// is allocated once.
void BM_ReadLogIntoMemory(benchmark::State& st) {
    const QString path = logs().path(st.range(0));
    QByteArray bytes(st.range(0) * kRecordSize, Qt::Uninitialized);
    for (auto _ : st) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || f.read(bytes.data(), bytes.size()) != bytes.size())
            st.SkipWithError("cannot read");
        benchmark::DoNotOptimize(bytes.data());
    }
    st.SetItemsProcessed(st.iterations() * st.range(0));
}

// The same with a fresh buffer each time (QFile::readAll).
void BM_ReadAllFresh(benchmark::State& st) {
    const QString path = logs().path(st.range(0));
    for (auto _ : st) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) st.SkipWithError("cannot open");
        QByteArray bytes = f.readAll();
        benchmark::DoNotOptimize(bytes.data());
    }
    st.SetItemsProcessed(st.iterations() * st.range(0));
}

void BM_ComputeLevelStats(benchmark::State& st) {
    const QString path = logs().path(st.range(0));
    const CriteriaTable criteria = schoolCriteria();
    auto state = std::make_unique<ResultsState>(); // filled in place on every call
    for (auto _ : st) {
        if (ComputeLevelStats(*state, criteria, path, kNow)) st.SkipWithError("cannot compute");
        benchmark::DoNotOptimize(state->stats.data());
    }
    st.SetItemsProcessed(st.iterations() * st.range(0));
}

} // namespace

BENCHMARK(BM_ReadLogIntoMemory)
    ->Arg(20000)
    ->Arg(200000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllFresh)->Arg(20000)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeLevelStats)
    ->Arg(20000)
    ->Arg(200000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
