// The teacher's screens on a whole school (5 000 pupils, 200 000 runs): the
// criteria editor's two frequency charts of a level, read from the log; the
// records manager's list of every record, built by the model and, beside it,
// shown on the screen behind its wait cover.

#include "bench_school.h"
#include "core/cp932.h"
#include "teacher/criteria_editor.h"
#include "teacher/records_manager.h"
#include "teacher/records_manager_screen.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QListWidget>
#include <QTemporaryDir>

#include <memory>

using namespace baisuu;

namespace {

struct School : BenchSchoolContext {
    School() {
        Hensuu1& h = ctx->hensuu1;
        h.schoolCode = QStringLiteral("12345");
        h.siteName = QStringLiteral("本校");
        WriteBenchFile(h.paths.rosterFile(),
                       cp932::Encode(BenchRosterText()).value_or(QByteArray()));
        WriteBenchFile(h.paths.resultsLogFile(), BenchLog(5));
    }
};

School& school() {
    static School instance;
    return instance;
}

// What a click on a grid row costs: the log read once, both lists of the level.
void BM_CriteriaCharts(benchmark::State& state) {
    const QString log = school().ctx->hensuu1.paths.resultsLogFile();
    qsizetype lines = 0;
    for (auto _ : state) {
        LevelHistograms h;
        if (ReadHistograms(log, &h)) state.SkipWithError("cannot read the log");
        lines = AllRunsChart(h, 5).size() + BestTimesChart(h, 5).size();
    }
    state.counters["lines"] = double(lines);
}

// The records manager's list without its screen: roster and log read, lines built.
void BM_RecordsList(benchmark::State& state) {
    const Hensuu1& h = school().ctx->hensuu1;
    RecordsManager manager({h.paths.resultsLogFile(),
                            h.paths.rosterFile(),
                            {h.schoolCode, h.siteName},
                            kBenchNow.date(),
                            4,
                            {}});
    for (auto _ : state)
        if (manager.rebuild()) state.SkipWithError("cannot read the log");
    state.counters["lines"] = double(manager.lines().size());
}

// What the teacher waits for after "一覧表示": the cover up, the list filled, the cover gone.
void BM_RecordsListOnScreen(benchmark::State& state) {
    FrmData screen(*school().ctx);
    screen.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        screen.Command22_Click();
        screen.repaint();
    }
    state.counters["lines"] = double(screen.List1->count());
}

} // namespace

BENCHMARK(BM_CriteriaCharts)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RecordsList)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RecordsListOnScreen)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
