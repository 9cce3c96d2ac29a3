// The hub's result lists for a whole school (5 000 pupils, 200 000 runs): every
// level's ranking by best time and by points, and the runs of a period over
// the last 20 000 records, read from the log and put into lines; beside them
// the same views shown on the hub screen, lists filled.

#include "bench_school.h"
#include "hub/hub_screen.h"
#include "hub/result_lists.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>

#include <memory>

using namespace baisuu;

namespace {

// A school on a temporary data root, its tallies computed as the hub computes them.
struct School : BenchSchoolContext {
    School() {
        Hensuu1& h = ctx->hensuu1;
        BuildLevelCatalog(h.catalog);
        h.currentPupil = 2500;
        h.pupilName = QStringLiteral("山田　花子");
        for (int level = 1; level <= 11; ++level) {
            LevelCriteria& c = ctx->criteria.levels[level];
            c.targetTime = 15 + 4 * level;
            c.passTime = c.targetTime * 3 / 2;
            c.clearPoints = 100;
            c.clearCount = 5;
            c.pointFactor = 1.5f;
            c.judgeDays = Value{Value::Kind::Number, 7, {}};
            c.overdoDays = Value{Value::Kind::Number, 1, {}};
        }
        FillBenchRoster(ctx->roster);

        WriteBenchFile(h.paths.resultsLogFile(), BenchLog(11));
        if (ComputeLevelStats(ctx->results, ctx->criteria, h.paths.resultsLogFile(), kBenchNow))
            qFatal("cannot read the benchmark log");
    }

    ListRequest request(ListMode mode, ListView view) const {
        ListRequest r;
        r.mode = mode;
        r.view = view;
        r.period = 5; // every run of the twenty thousand
        r.pupil = ctx->hensuu1.currentPupil;
        r.today = kBenchNow.date();
        r.schoolYear = 2026;
        return r;
    }
};

School& school() {
    static School instance;
    return instance;
}

// All eleven rankings of a view (the ranking works on the tallies alone).
void BM_AllRankings(benchmark::State& state) {
    School& s = school();
    const ListRequest request = s.request(ListMode(state.range(0)), ListView::Ranking);
    qsizetype lines = 0;
    for (auto _ : state) {
        const ListsView view = BuildListsView(request, s.ctx->hensuu1.catalog, s.ctx->criteria,
                                              s.ctx->roster, s.ctx->results, {});
        lines = view.levels[1].lines.size();
    }
    state.counters["lines_per_level"] = double(lines);
}

// The period's runs: the last 20 000 records read from the log and listed.
void BM_PeriodList(benchmark::State& state) {
    School& s = school();
    const ListRequest request = s.request(ListMode(state.range(0)), ListView::Period);
    qsizetype lines = 0;
    for (auto _ : state) {
        QList<RecordNumbers> records;
        if (ReadLastRecords(s.ctx->hensuu1.paths.resultsLogFile(), kPeriodRecords, &records))
            state.SkipWithError("cannot read the log");
        const ListsView view = BuildListsView(request, s.ctx->hensuu1.catalog, s.ctx->criteria,
                                              s.ctx->roster, s.ctx->results, records);
        lines = 0;
        for (const LevelList& l : view.levels)
            lines += l.lines.size();
    }
    state.counters["lines"] = double(lines);
}

// What the pupil waits for on the screen: a click on a view's option button
// until every list is filled, the cover gone and the hub painted.
void BM_ScreenViewChange(benchmark::State& state) {
    School& s = school();
    s.ctx->hensuu1.resultPeriod = 5;
    seisekitime1 hub(*s.ctx);
    hub.show();
    QCoreApplication::processEvents();
    hub.Option2_Click(0);
    int view = 1;
    for (auto _ : state) {
        // Alternate between the best times and the period, so every round changes the lists.
        view = view == 1 ? 3 : 1;
        hub.findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(view))->setChecked(true);
        hub.Option1_Click(view);
        hub.repaint();
    }
}

} // namespace

BENCHMARK(BM_AllRankings)
    ->Arg(int(ListMode::Time))
    ->Arg(int(ListMode::Points))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PeriodList)
    ->Arg(int(ListMode::Time))
    ->Arg(int(ListMode::Points))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ScreenViewChange)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
