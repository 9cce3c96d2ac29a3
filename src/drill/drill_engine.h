#pragma once
// One timed run at one level: problems, answers and their sounds, penalties,
// the run clock with its lamps and time bar, the time-out, and the hand-over
// to the results log and the finish screen. The drill screen only shows what
// this computes and forwards keys, clicks and timer ticks.

#include "context/app_context.h"
#include "drill/problem_source.h"
#include "records/answers_file.h"

#include <array>
#include <functional>
#include <memory>

namespace baisuu {

// Width in pixels of the time bar's frame on the 1024 × 768 drill screen; the
// bar's frame stands for the whole time limit.
constexpr int kTimeBarWidth = 600;
constexpr int kFirstLamp = 10;
constexpr int kLastLamp = 39;

// What the engine tells the screen to show again.
class DrillView {
  public:
    virtual ~DrillView() = default;
    virtual void problemChanged() = 0; // the number, the question, the answer captions
    virtual void statusChanged() = 0;  // counters, elapsed time, time bar, lamps
    virtual void overlayShown() = 0;   // "成績記録中" or "時間切れ"; should paint at once
    virtual void runClockChanged(bool on) = 0; // the one-second run clock
};

// Runs `then` after ms milliseconds without blocking the event loop.
using Defer = std::function<void(int ms, std::function<void()> then)>;

// A timer on the application; the wait outlives the screen that asked for it.
void WaitSeconds(double seconds, std::function<void()> then);

// Why level cannot be run (no problem rule, target or lowest passing time
// missing or not positive), or empty when it can.
QString RunRefusal(const AppContext& ctx, const ProblemSource& problems, int level);

// Clears the run's flags and shows the drill screen for ctx.hensuu1.currentLevel,
// a 苦手練習 run when practice is given. A level that cannot be run is not
// started: a message asks for the teacher and the hub is shown. Returns
// whether the run was started.
bool StartRun(AppContext& ctx, const ProblemSource& problems,
              std::optional<PracticeRun> practice = {});
bool StartRun(AppContext& ctx); // with this drill's own problems

// Appends a finished run to the results log and then keeps its answers. The
// outcome flags (new best times) are cleared first and set only once the log
// holds the run. When the log does not take it (no right to write, a full
// disk), the teacher is told, the run is kept in ctx.drill.unrecorded for the
// finish screen to record again, and false is returned with the flags clear.
// An answers file that cannot be written is kept in ctx.unwrittenAnswers.
bool RecordRun(AppContext& ctx, UnrecordedRun run, const LockWait& wait);

// Widths of the time bar's parts in pixels.
struct TimeBar {
    int frame = kTimeBarWidth; // sShape5
    int target = 0;            // sShape3
    int pass = 0;              // sShape4
    int elapsed = 0;           // sShape2
};

class DrillEngine {
  public:
    DrillEngine(AppContext& ctx, const ProblemSource& problems, DrillView& view, Defer defer = {});
    ~DrillEngine();
    DrillEngine(const DrillEngine&) = delete;
    DrillEngine& operator=(const DrillEngine&) = delete;

    // Form_Activate: set up, start the clock, show the first problem.
    void Form_Activate();
    // A typed character: "1" (49) answers with the first button, "3" (51) with the second.
    void Form_KeyPress(int charCode);
    // A click on answer button 1 or 2.
    void Command2_Click(int index);
    void sTimer1_Timer();
    void sTimer2_Timer();
    void FinishRun();

    void 初期設定();
    void レベル別設定();
    void スタート();
    void 問題作成表示();
    void 判定後処理();

    const DrillRun& run() const { return ctx_.drill; }
    const Problem& problem() const { return problem_; }
    bool runClockOn() const { return runClockOn_; }
    bool lampVisible(int lamp) const { return lamps_[lamp]; }
    const TimeBar& timeBar() const { return bar_; }
    // The answers judged so far, in order; kept in the answers file once the
    // run is in the results log.
    const QList<Answer>& answers() const { return answers_; }

    // Texts of the status strip and the overlay.
    QString contentNameText() const;
    double contentNamePointSize() const;
    QString levelNameText() const;
    QString pupilNameText() const;
    QString siteNameText() const;
    QString remainingText() const;
    QString elapsedText() const;
    QString minutesText() const { return minutes_; }
    QString todayLevelText() const { return todayLevel_; }
    QString todayTotalText() const { return todayTotal_; }
    QString overlayText() const { return overlay_; }
    // A line under the overlay's word while recording waits for another machine.
    QString overlayNoteText() const { return overlayNote_; }

  private:
    void judge(int index);
    void setRunClock(bool on);
    qint32 elapsedNow() const;
    QString minutesSinceSignIn() const;
    int level() const { return ctx_.hensuu1.currentLevel; }
    bool quiet() const; // a practice level or a 苦手練習 run: no counts, no log
    void finishPractice();

    AppContext& ctx_;
    const ProblemSource& problems_;
    DrillView& view_;
    Defer defer_;
    Problem problem_;
    bool runClockOn_ = false;
    std::array<bool, kLastLamp + 1> lamps_{};
    TimeBar bar_;
    QString minutes_, todayLevel_, todayTotal_, overlay_, overlayNote_;
    qint32 finalElapsed_ = 0; // the run's time when its last answer was judged
    qint64 shownMs_ = 0;      // monotonic ms when the current number was shown
    QList<Answer> answers_;
    // Sound callbacks may arrive after the screen (and this engine) is gone.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

} // namespace baisuu
