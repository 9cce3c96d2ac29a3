// Hub activation for a whole school (5 000 pupils, 200 000 runs) on the
// offscreen platform: the tallies from the log, every column and its ranking
// list filled, and the screen painted. Beside it the parts on their own, to
// see where the time goes.

#include "bench_school.h"
#include "hub/hub_model.h"
#include "hub/hub_screen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <memory>

using namespace baisuu;

namespace {

// A school on a temporary data root: the roster in memory, the log on disk.
struct School : BenchSchoolContext {
    School() {
        Hensuu1& h = ctx->hensuu1;
        BuildLevelCatalog(h.catalog);
        h.siteName = QStringLiteral("本町教室");
        h.currentPupil = 2500;
        h.pupilName = QStringLiteral("山田　花子");
        h.pupilGrade = QStringLiteral("小５");
        h.pupilStartTime = 15 * 3600;
        for (int level = 1; level <= 11; ++level) {
            LevelCriteria& c = ctx->criteria.levels[level];
            c.targetTime = 15 + 4 * level;
            c.passTime = c.targetTime * 3 / 2;
            c.clearPoints = 100;
            c.clearCount = 5;
            c.pointFactor = level == 11 ? 1.5f : 1.0f;
            c.overdoCount = Value{Value::Kind::Number, 20, {}};
            c.judgeDays = Value{Value::Kind::Number, 7, {}};
            c.overdoDays = Value{Value::Kind::Number, 1, {}};
        }
        FillBenchRoster(ctx->roster);

        WriteBenchFile(h.paths.resultsLogFile(), BenchLog(7));
    }
};

School& school() {
    static School instance;
    return instance;
}

// What the pupil waits for on every return to the hub: a new hub is built,
// refreshed and painted (the old one goes with the run that follows).
void BM_HubActivation(benchmark::State& state) {
    School& s = school();
    int lines = 0;
    for (auto _ : state) {
        auto hub = std::make_unique<seisekitime1>(*s.ctx);
        hub->show(); // Form_Activate
        hub->repaint();
        state.PauseTiming();
        lines = hub->column(1).List5->count();
        hub.reset();
        state.ResumeTiming();
    }
    state.counters["list_lines"] = lines;
}

// The same hub refreshed again, as after a change of the group.
void BM_HubReactivation(benchmark::State& state) {
    School& s = school();
    seisekitime1 hub(*s.ctx);
    hub.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        hub.Form_Activate();
        hub.repaint();
    }
}

void BM_ComputeLevelStats(benchmark::State& state) {
    School& s = school();
    AppContext& ctx = *s.ctx;
    for (auto _ : state)
        if (ComputeLevelStats(ctx.results, ctx.criteria, ctx.hensuu1.paths.resultsLogFile(),
                              kBenchNow))
            state.SkipWithError("cannot read the log");
}

void BM_BuildHubView(benchmark::State& state) {
    School& s = school();
    AppContext& ctx = *s.ctx;
    ComputeLevelStats(ctx.results, ctx.criteria, ctx.hensuu1.paths.resultsLogFile(), kBenchNow);
    for (auto _ : state) {
        const HubView view = BuildHubView(ctx.hensuu1, ctx.criteria, ctx.results, ctx.roster,
                                          QStringLiteral("全学年"), kBenchNow);
        benchmark::DoNotOptimize(view.columns.data());
    }
}

} // namespace

BENCHMARK(BM_HubActivation)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_HubReactivation)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ComputeLevelStats)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildHubView)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
