// From a key press on the drill screen to the next number painted, with the
// silent sound player, on the offscreen platform.

#include "drill/drill_engine.h"
#include "drill/drill_screen.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <benchmark/benchmark.h>

using namespace baisuu;

namespace {

class BenchNavigator final : public Navigator {
  public:
    void show(Screen) override {}
    void message(const QString&, const QString&) override {}
    void quit(int) override {}
};

class NoLauncher final : public Launcher {
  public:
    bool start(const QString&, const QStringList&) override { return false; }
};

// Counts the paints of the number's label.
class PaintCounter final : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

void BM_KeyToNextNumberPainted(benchmark::State& state) {
    SystemClock clock;
    SystemRandom random;
    SilentSoundPlayer sound;
    NoLauncher launcher;
    BenchNavigator navigator;
    auto ctx = std::make_unique<AppContext>(
        AppContext{{}, {}, {}, clock, random, sound, launcher, navigator, {}, {}, 0});
    SetUpContent(ctx->hensuu1);
    BuildLevelCatalog(ctx->hensuu1.catalog);
    ctx->hensuu1.currentLevel = 11;
    ctx->hensuu1.pupilName = QStringLiteral("山田　花子");
    ctx->criteria.levels[11].targetTime = 30;
    // A limit far away: the penalties of the wrong answers below never end the run.
    ctx->criteria.levels[11].passTime = 100000000;
    StartRun(*ctx);

    MainFrm screen(*ctx);
    screen.show();
    QCoreApplication::processEvents();
    auto* number = screen.findChild<QLabel*>(QStringLiteral("Label1"));
    PaintCounter counter;
    number->installEventFilter(&counter);

    const DrillEngine& engine = screen.engine();
    for (auto _ : state) {
        // Hover between 9 and 10 correct answers, so the run never ends.
        const bool right = ctx->drill.correctCount < 10;
        const bool first = (engine.problem().correctKey == 1) == right;
        QKeyEvent press(QEvent::KeyPress, first ? Qt::Key_1 : Qt::Key_3, Qt::NoModifier,
                        first ? QStringLiteral("1") : QStringLiteral("3"));
        QCoreApplication::sendEvent(
            QApplication::focusWidget() ? QApplication::focusWidget() : &screen, &press);
        QCoreApplication::processEvents();
    }
    state.counters["paints_per_key"] =
        benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_KeyToNextNumberPainted)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
