// One chart page to PDF for a whole school (5 000 pupils, 200 000 runs, the
// charted pupil with 300 runs in each of three levels): what a teacher waits
// for after "印刷", from reading the log to the file on disk. Beside it the
// parts on their own: the bands and look-ups, and the drawing into the PDF.

#include "bench_school.h"
#include "hub/chart_panel.h"
#include "hub/result_lists.h"
#include "reports/chart_page.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <limits>
#include <memory>

using namespace baisuu;

namespace {

constexpr int kCharted = 2500;

struct School {
    School() {
        for (int level = 1; level <= 11; ++level) {
            catalog.levelNames[size_t(level)] = QStringLiteral("レベル%1").arg(level);
            catalog.levelTimed[size_t(level)] = 1;
            criteria.levels[size_t(level)].targetTime = 15 + 4 * level;
            criteria.levels[size_t(level)].passTime = (15 + 4 * level) * 3 / 2;
            criteria.levels[size_t(level)].pointFactor = 1;
        }
        catalog.levelCount = 11;
        FillBenchRoster(*roster);

        // 900 runs of the charted pupil spread over the year, at levels 1 to 3.
        const QByteArray bytes = BenchLog(11, [](qint64 i, ResultRecord& rec) {
            if (i % 222 != 0) return false;
            rec.pupilNumber = kCharted;
            rec.level = qint16(1 + (i / 222) % 3);
            return true;
        });
        log = dir.filePath(QStringLiteral("成績累積データ.dat"));
        WriteBenchFile(log, bytes);
        const QDateTime now = kBenchNow;
        if (ComputeLevelStats(*results, criteria, log, now)) qFatal("cannot tally the log");

        request.pupil = kCharted;
        request.group = QStringLiteral("全学年");
        request.today = now.date();
        request.schoolYear = 2026;
        request.levelCount = 11;
        request.levels = {1, 2, 3};
        request.contentName = QStringLiteral("倍数判定");
        pdf = dir.filePath(QStringLiteral("chart.pdf"));
    }

    ChartDocument chart(const QList<RecordNumbers>& records) const {
        return BuildChartDocument(request, records, *results, *roster, criteria, catalog);
    }

    QTemporaryDir dir;
    QString log, pdf;
    LevelCatalog catalog;
    CriteriaTable criteria;
    std::unique_ptr<StudentRoster> roster = std::make_unique<StudentRoster>();
    std::unique_ptr<ResultsState> results = std::make_unique<ResultsState>();
    ChartRequest request;
};

School& school() {
    static School instance;
    return instance;
}

QList<RecordNumbers> wholeLog(benchmark::State& state) {
    QList<RecordNumbers> records;
    if (ReadLastRecords(school().log, std::numeric_limits<qint64>::max(), &records))
        state.SkipWithError("cannot read the log");
    return records;
}

void BM_ChartPageToPdf(benchmark::State& state) {
    School& s = school();
    for (auto _ : state) {
        const QList<RecordNumbers> records = wholeLog(state);
        if (WriteChartPdfs({s.chart(records)}, s.pdf)) state.SkipWithError("cannot write the PDF");
    }
    state.counters["pdf_bytes"] = double(QFile(s.pdf).size());
}

void BM_BuildChartDocument(benchmark::State& state) {
    School& s = school();
    const QList<RecordNumbers> records = wholeLog(state);
    for (auto _ : state) {
        const ChartDocument doc = s.chart(records);
        benchmark::DoNotOptimize(doc.pages.data());
    }
}

void BM_PaintChartPdf(benchmark::State& state) {
    School& s = school();
    const ChartDocument doc = s.chart(wholeLog(state));
    for (auto _ : state)
        if (WriteChartPdfs({doc}, s.pdf)) state.SkipWithError("cannot write the PDF");
}

} // namespace

BENCHMARK(BM_ChartPageToPdf)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildChartDocument)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PaintChartPdf)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
