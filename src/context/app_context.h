#pragma once
// Everything the screens share for the whole run of the program: the shared
// state, the tables loaded from the data root, and the platform services.
// main() makes one and hands it to every screen by reference.

#include "context/drill_run.h"
#include "core/hensuu1.h"
#include "core/navigator.h"
#include "core/services.h"
#include "records/criteria_table.h"
#include "records/results.h"
#include "roster/roster.h"
#include "sound/sound_cue_table.h"
#include "sound/sound_cues.h"

#include <QDate>
#include <QMap>

#include <algorithm>
#include <memory>
#include <mutex>

namespace baisuu {

// A text one thread writes and another reads.
class GuardedText {
  public:
    void set(const QString& text) {
        const std::lock_guard<std::mutex> hold(mutex_);
        text_ = text;
    }
    QString get() const {
        const std::lock_guard<std::mutex> hold(mutex_);
        return text_;
    }

  private:
    mutable std::mutex mutex_;
    QString text_;
};

struct AppContext {
    Hensuu1 hensuu1;
    CriteriaTable criteria;
    ResultsState results;

    Clock& clock;
    Random& random;
    SoundPlayer& sound;
    Launcher& launcher;
    Navigator& navigator;

    // The drill's run and the sound cues (filled by LoadSoundList at start-up).
    DrillRun drill;
    SoundCueTable sounds;
    // Set by the hub: 1 when the pupil has cleared the goal level within its
    // judgement period; the finish screen reads it (0 until the hub has run).
    qint16 finalLevelCleared = 0;
    // How readers and writers of the results log wait while another machine holds it.
    std::function<void()> waitWhileBusy = LetScreensRunForASecond;
    // One such wait as the screens wait: behind the stage's wait cover, so no
    // click or key reaches a screen whose handler is waiting.
    std::function<void()> coveredWait() const {
        return [this] { navigator.coverWhile(waitWhileBusy); };
    }
    // What the sound cues play through.
    CueDevices cues() { return {sound, sounds, hensuu1.paths.soundFolder, random, navigator}; }
    // The roster as the selection screen last read it; the hub's lists name its pupils.
    StudentRoster roster = {};
    // The roster trouble the teacher has been told of since the program started.
    QString toldRosterProblem = {};
    // Printing writes this PDF file (and its numbered siblings) instead of asking for a printer.
    QString printToPdf = {};
    // The answers files this machine could not write, each with the day it
    // last failed; a later write of the same file takes it off again. Only
    // this program knows of such a failure (the file is not there to say so),
    // so the teacher's hub reads it from here.
    QMap<QString, QDate> unwrittenAnswers = {};
    int answersUnwrittenOn(QDate day) const {
        return int(std::count(unwrittenAnswers.cbegin(), unwrittenAnswers.cend(), day));
    }
    // Why the sync into the head office's database failed (empty when it has
    // not, or no database is named), set by the daily backup's thread; a
    // later sync that succeeds clears it. Like unwritten answers, only this
    // program knows of it, so the teacher's hub reads it from here.
    std::shared_ptr<GuardedText> chainSyncFailure = std::make_shared<GuardedText>();
};

} // namespace baisuu
