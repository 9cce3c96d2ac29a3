// The answers files: one run's answers appended (what the finish adds),
// `baisuu-cli mistakes` for a keen pupil's three years (3 000 runs, 72 000
// answers) and for a school of 200 pupils with 200 runs each (about a million
// answers), each a whole run of the tool; and the 苦手な数 view's page of three
// levels for the keen pupil, from reading the file to the drawn picture, with
// the file good, saved with LF line ends, and damaged; and `check` over a
// damaged answers file of 50 MB.

#include "core/level_catalog.h"
#include "core/text_file.h"
#include "records/answers_file.h"
#include "reports/weak_numbers_page.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>

#include <sys/resource.h>

using namespace baisuu;

namespace {

const QDate kNow(2026, 12, 9);

bool runCli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(BAISUU_CLI), args);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// runs runs of 24 answers (20 right, 4 wrong) spread over the days before kNow.
QList<Answer> benchRuns(int runs, int days, unsigned seed) {
    std::mt19937 draw{seed};
    QList<Answer> out;
    out.reserve(runs * 24);
    for (int r = 0; r < runs; ++r) {
        const QDate day = kNow.addDays(-qint64(r) * days / runs);
        const int level = 1 + int(draw() % 11);
        for (int i = 0; i < 24; ++i) {
            const int divisor = level == 11 ? 1 + int(draw() % 10) : level;
            out.append({day, 16 * 3600 + r % 3600 + i, level, divisor, qint32(1 + draw() % 110),
                        draw() % 2 ? 1 : 3, i % 6 != 5, qint32(400 + draw() % 3000)});
        }
    }
    return out;
}

// The demo school with a roster of `pupils` pupils on the lists and their answers files.
struct BenchSchool {
    BenchSchool(int pupils, int runsEach) {
        runCli({QStringLiteral("init-demo"), root()});
        QDir(AnswersFolder(dataFolder())).removeRecursively(); // the demo's own
        QString roster;
        for (int n = 1; n <= pupils; ++n)
            roster +=
                QStringLiteral("%1,%2,0,0,\"生徒　%1\",0,\"\",\"\"\r\n").arg(n).arg(2012 + n % 9);
        FileError error;
        WriteTextFile(root() + QStringLiteral("/data/新名簿.txt"), roster, &error);
        for (int n = 1; n <= pupils; ++n)
            AppendAnswers(AnswersFilePath(dataFolder(), n), benchRuns(runsEach, 1095, n));
    }
    QString root() const { return dir.filePath(QStringLiteral("school")); }
    QString dataFolder() const { return root() + QStringLiteral("/data/倍数判定/"); }
    QStringList mistakes(const QStringList& args) const {
        return QStringList{QStringLiteral("--program-dir"), root() + QStringLiteral("/倍数判定"),
                           QStringLiteral("--now"), QStringLiteral("2026-12-09T15:30:00"),
                           QStringLiteral("mistakes")} +
               args;
    }
    QTemporaryDir dir;
};

void BM_AppendOneRun(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = AnswersFilePath(dir.path() + QStringLiteral("/"), 1);
    AppendAnswers(path, benchRuns(3000, 1095, 1)); // a file of three years before it
    const QList<Answer> run = benchRuns(1, 1, 2);
    for (auto _ : state)
        if (AppendAnswers(path, run)) state.SkipWithError("the append failed");
}
BENCHMARK(BM_AppendOneRun)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void timeCli(benchmark::State& state, const QStringList& args) {
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        if (!runCli(args)) {
            state.SkipWithError("mistakes failed");
            break;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

void BM_MistakesPupil72000(benchmark::State& state) {
    const BenchSchool school(1, 3000);
    timeCli(state, school.mistakes({QStringLiteral("--pupil"), QStringLiteral("1")}));
}
BENCHMARK(BM_MistakesPupil72000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_MistakesSchoolMillion(benchmark::State& state) {
    const BenchSchool school(200, 200);
    timeCli(state, school.mistakes({QStringLiteral("--group"), QStringLiteral("全学年")}));
}
BENCHMARK(BM_MistakesSchoolMillion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The keen pupil's file as the finish writes it, as a Linux editor saves it
// (LF), and damaged: every line unreadable, the same size.
enum class FileKind { Good, LineFeeds, Damaged };

QString keenPupilFile(const QTemporaryDir& dir, FileKind kind, int runs) {
    const QString path = AnswersFilePath(dir.path() + QStringLiteral("/"), 1);
    AppendAnswers(path, benchRuns(runs, 1095, 1));
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QByteArray bytes = f.readAll();
    f.close();
    if (kind == FileKind::LineFeeds) bytes.replace("\r\n", "\n");
    if (kind == FileKind::Damaged) bytes.replace(',', ';');
    FileError error;
    WriteBytesFile(path, bytes, &error);
    return path;
}

void BM_WeakNumbersPageThreeLevels(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = keenPupilFile(dir, FileKind(state.range(0)), int(state.range(1)));
    LevelCatalog catalog;
    BuildLevelCatalog(catalog);
    WeakNumbersRequest request;
    request.pupil = 1;
    request.pupilName = QStringLiteral("生徒　一");
    request.today = kNow;
    request.levels = {3, 7, 10};
    QImage picture(702, 614, QImage::Format_RGB32); // the chart panel's picture box
    for (auto _ : state) {
        AnswersRead read;
        if (ReadAnswers(path, &read)) state.SkipWithError("cannot read the answers");
        request.unreadableLines = read.skippedLines;
        const WeakNumbersDocument doc =
            BuildWeakNumbersDocument(request, read.answers, catalog, MultiplesProblemSource{});
        picture.fill(Qt::white);
        QPainter p(&picture);
        DrawWeakNumbersPage(p, QRectF(picture.rect()), doc, 0);
    }
}
// The file good (0), with LF line ends (1), damaged (2); of three years
// (3 000 runs, 3 MB) and of 50 000 runs (50 MB).
BENCHMARK(BM_WeakNumbersPageThreeLevels)
    ->Args({0, 3000})
    ->Args({1, 3000})
    ->Args({2, 3000})
    ->Args({0, 50000})
    ->Args({2, 50000})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// `check` over a school with one damaged answers file of 50 MB: bounded
// output, memory that does not grow with the file.
void BM_CheckDamagedFiftyMegabytes(benchmark::State& state) {
    const BenchSchool school(1, 1);
    FileError error;
    WriteBytesFile(AnswersFilePath(school.dataFolder(), 2), QByteArray("x\r\n").repeated(17000000),
                   &error);
    const QStringList args{QStringLiteral("--program-dir"),
                           school.root() + QStringLiteral("/倍数判定"), QStringLiteral("check")};
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess p;
        p.start(QStringLiteral(BAISUU_CLI), args);
        if (!p.waitForFinished(120000)) state.SkipWithError("check did not finish");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        state.counters["outputBytes"] = double(p.readAllStandardOutput().size());
    }
    rusage used{};
    getrusage(RUSAGE_CHILDREN, &used); // the largest of the bench's children
    state.counters["childMaxRssMB"] = double(used.ru_maxrss) / 1024;
}
BENCHMARK(BM_CheckDamagedFiftyMegabytes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    // The page is drawn with fonts, which need a platform: one without a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
