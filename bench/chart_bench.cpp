// One chart page to PDF for a whole school (5 000 pupils, 200 000 runs, the
// charted pupil with 300 runs in each of three levels): what a teacher waits
// for after "印刷", from reading the log to the file on disk. Beside it the
// parts on their own: the bands and look-ups, and the drawing into the PDF.

#include "hub/chart_page.h"
#include "hub/charts.h"
#include "hub/result_lists.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <limits>
#include <memory>
#include <random>

namespace {

constexpr int kPupils = 5000;
constexpr qint64 kRuns = 200000;
constexpr int kCharted = 2500;
constexpr double kToday = 46364; // 2026-12-08

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
        for (int p = 1; p <= kPupils; ++p) {
            roster->rosterNumbers[size_t(p)] = qint16(p);
            roster->pupilNames[size_t(p)] = fixedWidthText(QStringLiteral("生徒%1").arg(p), 20);
            roster->pupilBaseYears[size_t(p)] = qint16(2008 + p % 10);
        }
        roster->rosterCount = kPupils;

        std::mt19937 draw{11};
        QByteArray bytes;
        bytes.reserve((kRuns + 900) * kRecordSize);
        for (qint64 i = 0; i < kRuns; ++i) {
            ResultRecord rec;
            rec.runDate = kToday - 365 + double(i * 366 / kRuns);
            rec.runClock = (9 * 3600 + draw() % 36000) / 86400.0;
            const bool charted = i % 222 == 0; // 900 runs spread over the year
            rec.pupilNumber = qint16(charted ? kCharted : 1 + draw() % kPupils);
            rec.level = qint16(charted ? 1 + (i / 222) % 3 : 1 + draw() % 11);
            rec.runTime = draw() % 50 == 0 ? 99999 : qint32(10 + draw() % 120);
            rec.schoolCode = "12345";
            bytes += rec.toBytes();
        }
        log = dir.filePath(QStringLiteral("成績累積データ.dat"));
        QFile f(log);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the benchmark log");
        f.close();
        const QDateTime now(QDate(2026, 12, 8), QTime(15, 30));
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
