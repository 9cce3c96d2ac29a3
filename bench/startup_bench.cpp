// Program start to the first painted splash: the time from spawning `baisuu`
// until its splash screen has been painted (offscreen), measured per start.

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString demoProgramDir(const QTemporaryDir& dir) {
    const QString root = dir.filePath(QStringLiteral("school"));
    QProcess::execute(QStringLiteral(BAISUU_CLI), {QStringLiteral("init-demo"), root});
    return root + QStringLiteral("/倍数判定");
}

void BM_StartToSplashPainted(benchmark::State& state) {
    QTemporaryDir dir;
    const QString program = demoProgramDir(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("BAISUU_EXIT_AFTER_SPLASH"), QStringLiteral("1"));
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        p.start(QStringLiteral(BAISUU_APP),
                {QStringLiteral("--program-dir"), program, QStringLiteral("--silent")});
        p.waitForFinished(10000);
        const QByteArray line = p.readAllStandardOutput().trimmed();
        const qint64 painted = line.mid(line.indexOf(' ') + 1).toLongLong();
        if (!line.startsWith("painted") || painted < start) {
            state.SkipWithError("the splash was not painted");
            break;
        }
        state.SetIterationTime(double(painted - start) / 1000.0);
    }
}
BENCHMARK(BM_StartToSplashPainted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
