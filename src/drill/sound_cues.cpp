#include "drill/sound_cues.h"

namespace {

void finish(const CueDone& done) {
    if (done) done();
}

void playIgnoringResult(AppContext& ctx, const QString& file, CueDone done) {
    ctx.sound.play(file, [done = std::move(done)](bool, const QString&) { finish(done); });
}

void playListed(AppContext& ctx, SoundCue cue, CueDone done) {
    const QString file = CueFile(ctx.sounds, ctx.hensuu1.paths.soundFolder, cue, ctx.random.next());
    playIgnoringResult(ctx, file, std::move(done));
}

void playAnswerCue(AppContext& ctx, SoundCue cue, CueDone done) {
    const QString file = CueFile(ctx.sounds, ctx.hensuu1.paths.soundFolder, cue, ctx.random.next());
    ctx.sound.play(file, [&ctx, done = std::move(done)](bool ok, const QString& errorText) {
        qint16& failures = ctx.sounds.soundFailures;
        if (ok) {
            failures = 0;
        } else if (failures < 3) {
            ++failures;
        } else {
            ctx.navigator.message(SoundErrorTitle(), SoundErrorText(errorText));
            ctx.navigator.quit(1);
            return;
        }
        finish(done);
    });
}

} // namespace

QString SoundErrorTitle() {
    return QStringLiteral("音声エラー");
}

QString SoundErrorText(const QString& playerError) {
    return QStringLiteral("音声がでません。先生を呼びなさい。\r\n") + playerError;
}

void PlayCorrectCue(AppContext& ctx, CueDone done) {
    playAnswerCue(ctx, SoundCue::Correct2, std::move(done));
}

void PlayWrongCue(AppContext& ctx, CueDone done) {
    playAnswerCue(ctx, SoundCue::Wrong2, std::move(done));
}

void PlayPersonalBestCue(AppContext& ctx, CueDone done) {
    playListed(ctx, SoundCue::PersonalBest2, std::move(done));
}

void PlayPassTimeCue(AppContext& ctx, CueDone done) {
    playListed(ctx, SoundCue::PassTime1, std::move(done));
}

void PlaySchoolBestCue(AppContext& ctx, CueDone done) {
    playIgnoringResult(ctx, ctx.hensuu1.paths.soundFolder + QStringLiteral("最高1.wav"),
                       std::move(done));
}

void PlayGoalClearedCue(AppContext& ctx, CueDone done) {
    playIgnoringResult(ctx, ctx.hensuu1.paths.soundFolder + QStringLiteral("合格.wav"),
                       std::move(done));
}
