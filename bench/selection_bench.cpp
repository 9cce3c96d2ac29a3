// The selection screen's pupil list for a whole school (5 000 pupils, 200 000
// runs) on the offscreen platform: 名簿表示 as a mode or group change runs it
// (tallies from the log, the roster read, sorted and filtered, List1 filled),
// and the whole screen from construction to its first paint. The parts are
// measured on their own by the roster and hub benchmarks.

#include "bench_school.h"
#include "core/cp932.h"
#include "records/result_record.h"
#include "selection/name_selection_screen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <memory>

using namespace baisuu;

namespace {

struct School : BenchSchoolContext {
    School() {
        Hensuu1& h = ctx->hensuu1;
        h.seasonColor = 0x0040C0;
        for (int level = 1; level <= 11; ++level) {
            LevelCriteria& c = ctx->criteria.levels[level];
            c.targetTime = 15 + 4 * level;
            c.passTime = c.targetTime * 3 / 2;
            c.pointFactor = 1;
            c.judgeDays = Value{Value::Kind::Number, 7, {}};
            c.overdoDays = Value{Value::Kind::Number, 1, {}};
        }

        WriteBenchFile(h.paths.rosterFile(),
                       cp932::Encode(BenchRosterText()).value_or(QByteArray()));

        WriteBenchFile(h.paths.resultsLogFile(), BenchLog(7));
    }
};

School& school() {
    static School instance;
    return instance;
}

// A click on a display mode or a group: the list rebuilt and shown.
void BM_SelectionList(benchmark::State& state) {
    namesel screen(*school().ctx);
    screen.show();
    while (!screen.loaded())
        QCoreApplication::processEvents();
    for (auto _ : state) {
        screen.名簿表示();
        screen.repaint();
    }
    state.counters["lines"] = screen.List1->count();
}

// The whole screen, as on a return from the hub: built, loaded and painted.
void BM_SelectionScreen(benchmark::State& state) {
    for (auto _ : state) {
        auto screen = std::make_unique<namesel>(*school().ctx);
        screen->show();
        while (!screen->loaded())
            QCoreApplication::processEvents();
        screen->repaint();
        state.PauseTiming();
        screen.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_SelectionList)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SelectionScreen)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
