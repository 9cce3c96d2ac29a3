// The class report of a whole school (5 000 pupils, 200 000 runs) to PDF: what
// a teacher waits for, from reading the roster and the log to the file on
// disk. Beside it the parts on their own: the table, and drawing it into the PDF.

#include "bench_school.h"
#include "core/cp932.h"
#include "reports/class_report.h"
#include "reports/class_report_page.h"
#include "roster/grades.h"

#include <QTemporaryDir>

#include <memory>

using namespace baisuu;

namespace {

struct School {
    School() {
        BuildLevelCatalog(catalog);
        for (int level = 1; level <= 11; ++level) {
            LevelCriteria& c = criteria.levels[size_t(level)];
            c.targetTime = 15 + 4 * level;
            c.passTime = (15 + 4 * level) * 3 / 2;
            c.clearPoints = 100;
            c.clearCount = 5;
            c.pointFactor = 1;
            c.judgeDays = Value{Value::Kind::Number, 30, {}};
            c.overdoDays = Value{Value::Kind::Number, 1, {}};
        }
        rosterPath = dir.filePath(QStringLiteral("新名簿.txt"));
        WriteBenchFile(rosterPath, cp932::Encode(BenchRosterText()).value_or(QByteArray()));
        logPath = dir.filePath(QStringLiteral("成績累積データ.dat"));
        WriteBenchFile(logPath, BenchLog(23));
        pdfPath = dir.filePath(QStringLiteral("成績一覧.pdf"));
    }

    // Everything the command does after loading the configuration.
    ClassReport report() {
        if (ComputeLevelStats(*results, criteria, logPath, kBenchNow)) qFatal("cannot tally");
        RosterListSettings settings;
        settings.today = kBenchNow.date();
        RosterList list;
        if (BuildRosterList(*roster, rosterPath, settings, *results, list))
            qFatal("cannot read the roster");
        ClassReportRequest request;
        request.today = kBenchNow.date();
        request.schoolYear = CurrentSchoolYear(request.today, 4);
        request.schoolName = QStringLiteral("本町教室");
        request.contentName = QStringLiteral("倍数判定");
        return BuildClassReport(request, ListedPupils(list), *roster, *results, criteria, catalog);
    }

    QTemporaryDir dir;
    QString rosterPath, logPath, pdfPath;
    LevelCatalog catalog;
    CriteriaTable criteria;
    std::unique_ptr<StudentRoster> roster = std::make_unique<StudentRoster>();
    std::unique_ptr<ResultsState> results = std::make_unique<ResultsState>();
};

School& school() {
    static School instance;
    return instance;
}

void BM_ClassReportToPdf(benchmark::State& state) {
    School& s = school();
    for (auto _ : state)
        if (WriteClassReportPdf(s.report(), s.pdfPath)) state.SkipWithError("cannot write the PDF");
    const ClassReport report = s.report();
    state.counters["rows"] = double(report.rows.size());
    state.counters["pages"] = double(ClassReportPages(report).size());
    state.counters["pdf_bytes"] = double(QFile(s.pdfPath).size());
}

void BM_BuildClassReport(benchmark::State& state) {
    School& s = school();
    for (auto _ : state) {
        const ClassReport report = s.report();
        benchmark::DoNotOptimize(report.rows.data());
    }
}

void BM_PaintClassReportPdf(benchmark::State& state) {
    School& s = school();
    const ClassReport report = s.report();
    for (auto _ : state)
        if (WriteClassReportPdf(report, s.pdfPath)) state.SkipWithError("cannot write the PDF");
}

} // namespace

BENCHMARK(BM_ClassReportToPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildClassReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintClassReportPdf)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
