// From a key press on the drill to the next number, with the real sound
// player playing the demo's 180 ms answer cues through a sound server of the
// bench's own (PulseAudio with a null sink, as in the tests). The time is the
// cue's length plus what the player and the server add to it.

#include "bench_school.h"
#include "sound/sound_server.h"

#include "drill/drill_engine.h"
#include "sound/pulse_sound_player.h"
#include "sound/sound_cues.h"
#include "sound/wave_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

using namespace baisuu;

namespace {

class ShownView final : public DrillView {
  public:
    void problemChanged() override { shown = true; }
    void statusChanged() override {}
    void overlayShown() override {}
    void runClockChanged(bool) override {}
    bool shown = false;
};

void BM_KeyToNextNumberWithSound(benchmark::State& state) {
    SoundServer server;
    if (!server.problem().isEmpty()) {
        state.SkipWithError(server.problem().toUtf8().constData());
        return;
    }
    QTemporaryDir dir;
    const QString sounds = dir.path() + QStringLiteral("/");
    for (const char* name : {"pinpon", "buu"}) {
        QFile f(sounds + QString::fromLatin1(name) + QStringLiteral(".wav"));
        if (!f.open(QIODevice::WriteOnly)) return state.SkipWithError("cannot write a cue");
        f.write(ToneWave({1047, 1568}, 0.09));
    }
    SystemClock clock;
    SystemRandom random;
    PulseSoundPlayer sound;
    NoLauncher launcher;
    BenchNavigator navigator;
    auto ctx = std::make_unique<AppContext>(
        AppContext{{}, {}, {}, clock, random, sound, launcher, navigator, {}, {}, 0});
    SetUpContent(ctx->hensuu1);
    BuildLevelCatalog(ctx->hensuu1.catalog);
    ctx->hensuu1.paths.soundFolder = sounds;
    ctx->sounds.soundTable[1][int(SoundCue::Correct2)] = QStringLiteral("pinpon");
    ctx->sounds.soundTable[21][int(SoundCue::Correct2)] = QStringLiteral("1");
    ctx->sounds.soundTable[1][int(SoundCue::Wrong2)] = QStringLiteral("buu");
    ctx->sounds.soundTable[21][int(SoundCue::Wrong2)] = QStringLiteral("1");
    ctx->hensuu1.currentLevel = 11;
    ctx->criteria.levels[11].targetTime = 30;
    ctx->criteria.levels[11].passTime = 100000000; // the penalties never end the run
    MultiplesProblemSource problems;
    StartRun(*ctx, problems);
    ShownView view;
    DrillEngine engine(*ctx, problems, view, [](int, std::function<void()>) {});
    engine.Form_Activate();
    QTest::qWait(3000); // the program has been open a while before the first answer

    for (auto _ : state) {
        // Hover between 9 and 10 correct answers, so the run never ends.
        const bool right = ctx->drill.correctCount < 10;
        const bool first = (engine.problem().correctKey == 1) == right;
        view.shown = false;
        QElapsedTimer took;
        took.start();
        engine.Form_KeyPress(first ? '1' : '3');
        while (!view.shown && took.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        state.SetIterationTime(double(took.nsecsElapsed()) / 1e9);
        QTest::qWait(40);
    }
}
BENCHMARK(BM_KeyToNextNumberWithSound)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
