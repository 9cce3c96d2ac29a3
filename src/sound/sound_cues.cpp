#include "sound/sound_cues.h"

namespace baisuu {

namespace {

void finish(const CueDone& done) {
    if (done) done();
}

void playIgnoringResult(const CueDevices& cues, const QString& file, CueDone done) {
    cues.player.play(file, [done = std::move(done)](bool, const QString&) { finish(done); });
}

void playListed(const CueDevices& cues, SoundCue cue, CueDone done) {
    const QString file = CueFile(cues.table, cues.folder, cue, cues.random.next());
    playIgnoringResult(cues, file, std::move(done));
}

void playAnswerCue(const CueDevices& cues, SoundCue cue, CueDone done) {
    const QString file = CueFile(cues.table, cues.folder, cue, cues.random.next());
    cues.player.play(file, [cues, done = std::move(done)](bool ok, const QString& errorText) {
        qint16& failures = cues.table.soundFailures;
        if (ok) {
            failures = 0;
        } else if (failures < 3) {
            ++failures;
        } else {
            cues.navigator.message(SoundErrorTitle(), SoundErrorText(errorText));
            cues.navigator.quit(1);
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

void PlayCorrectCue(const CueDevices& cues, CueDone done) {
    playAnswerCue(cues, SoundCue::Correct2, std::move(done));
}

void PlayWrongCue(const CueDevices& cues, CueDone done) {
    playAnswerCue(cues, SoundCue::Wrong2, std::move(done));
}

void PlayPersonalBestCue(const CueDevices& cues, CueDone done) {
    playListed(cues, SoundCue::PersonalBest2, std::move(done));
}

void PlayPassTimeCue(const CueDevices& cues, CueDone done) {
    playListed(cues, SoundCue::PassTime1, std::move(done));
}

void PlaySchoolBestCue(const CueDevices& cues, CueDone done) {
    playIgnoringResult(cues, cues.folder + QStringLiteral("最高1.wav"),
                       std::move(done));
}

void PlayGoalClearedCue(const CueDevices& cues, CueDone done) {
    playIgnoringResult(cues, cues.folder + QStringLiteral("合格.wav"),
                       std::move(done));
}

} // namespace baisuu
