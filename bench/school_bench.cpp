// A school setting itself up: init-school of a new school, and roster-import
// of a CSV of 5 000 pupils into it, each a whole run of baisuu-cli.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

bool runCli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(BAISUU_CLI), args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QStringList initArgs(const QString& root) {
    return {QStringLiteral("init-school"), root,
            QStringLiteral("--name"),      QStringLiteral("本校"),
            QStringLiteral("--code"),      QStringLiteral("12345"),
            QStringLiteral("--password"),  QStringLiteral("1")};
}

void BM_InitSchool(benchmark::State& state) {
    for (auto _ : state) {
        QTemporaryDir dir;
        QElapsedTimer timer;
        timer.start();
        if (!runCli(initArgs(dir.filePath(QStringLiteral("school"))))) {
            state.SkipWithError("init-school failed");
            break;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_InitSchool)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

void BM_RosterImport5000(benchmark::State& state) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    runCli(initArgs(root));
    QString csv = QStringLiteral("\xFEFF番号,名前,学年,状態\r\n");
    const char16_t* grades[] = {u"小１", u"小２", u"小３", u"小４", u"小５",
                                u"小６", u"中１", u"中２", u"中３"};
    for (int n = 1; n <= 5000; ++n)
        csv += QStringLiteral("%1,生徒　%2,%3,%4\r\n")
                   .arg(n)
                   .arg(n)
                   .arg(QString::fromUtf16(grades[n % 9]))
                   .arg(n % 17 == 0 ? 1 : 0);
    // Two CSVs by turns, so that every import changes the whole roster.
    QStringList csvPaths;
    for (const QString& variant : {QStringLiteral("a"), QStringLiteral("b")}) {
        csvPaths.append(dir.filePath(QStringLiteral("pupils-%1.csv").arg(variant)));
        QFile file(csvPaths.last());
        file.open(QIODevice::WriteOnly);
        file.write((variant == QStringLiteral("a") ? csv : QString(csv).replace(u'　', u'・'))
                       .toUtf8());
    }
    const QStringList args = {QStringLiteral("--program-dir"), root + QStringLiteral("/倍数判定"),
                              QStringLiteral("roster-import")};
    int turn = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        if (!runCli(args + QStringList{csvPaths[turn++ % 2]})) {
            state.SkipWithError("roster-import failed");
            break;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_RosterImport5000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
