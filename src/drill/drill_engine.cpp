#include "drill/drill_engine.h"

#include "core/dates.h"
#include "drill/finish_report.h"
#include "records/value_rules.h"
#include "sound/sound_cues.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace baisuu {

namespace {

const LevelCriteria& criteriaOf(const AppContext& ctx, int level) {
    return ctx.criteria.levels[std::clamp(level, 0, kLevelSlots - 1)];
}

// After this many waits of about a second the overlay says why recording takes so long.
constexpr int kBusyNoticeWaits = 10;

int barWidth(double seconds, double scale) {
    return std::min(int(std::lround(seconds * scale)), kTimeBarWidth);
}

// The run is safe in the results log by now: trouble with its answers stops
// nobody. It is kept for the teacher's hub, which tells of it while the file
// still cannot be written, and on standard error; check finds a file's bad lines.
void keepAnswers(AppContext& ctx, const QList<Answer>& answers) {
    const QString path = AnswersFilePath(ctx.hensuu1.paths.dataFolder, ctx.hensuu1.currentPupil);
    if (const auto error = AppendAnswers(path, answers, ctx.coveredWait())) {
        ctx.unwrittenAnswers.insert(path, ctx.clock.now().date());
        std::fprintf(stderr, "baisuu: %s\n", qPrintable(error->text()));
    } else {
        ctx.unwrittenAnswers.remove(path);
    }
}

} // namespace

bool RecordRun(AppContext& ctx, UnrecordedRun run, const LockWait& wait) {
    // Only this run's own write may announce it: a flag some earlier run left
    // (its finish screen never came) is no outcome of this one.
    ctx.results.newPersonalBest = 0;
    ctx.results.newSchoolBest = 0;
    // The outcome flags compare this run with the tallies. Those the hub loaded
    // may be old by now (another machine may have set a better time since), and
    // a run started directly has none; so they are read afresh. If the log
    // cannot be read here, the append below reports the trouble.
    const QString logFile = ctx.hensuu1.paths.resultsLogFile();
    ComputeLevelStats(ctx.results, ctx.criteria, logFile, ctx.clock.now(), wait);
    if (const auto error = Seisekikiroku(ctx.results, ctx.criteria, logFile, run.record, wait)) {
        ctx.drill.unrecorded = std::move(run);
        ctx.navigator.message(
            QStringLiteral("成績記録エラー"),
            QStringLiteral("成績を記録できませんでした。先生を呼んでください。\r\n"
                           "この回の成績は終わりの画面に残してあります。原因を直してから"
                           "「%1」を押してください。\r\n")
                    .arg(RecordAgainText()) +
                error->text());
        return false;
    }
    ctx.drill.unrecorded.reset();
    keepAnswers(ctx, run.answers);
    return true;
}

void WaitSeconds(double seconds, std::function<void()> then) {
    QTimer::singleShot(int(std::lround(seconds * 1000)), QCoreApplication::instance(),
                       std::move(then));
}

QString RunRefusal(const AppContext& ctx, const ProblemSource& problems, int level) {
    const QString name = level >= 1 && level < kLevelSlots ? ctx.hensuu1.catalog.levelNames[level]
                                                           : QString::number(level);
    if (!problems.hasRule(level))
        return QStringLiteral("レベル「%1」には問題がありません。先生を呼んでください。").arg(name);
    const LevelCriteria& c = criteriaOf(ctx, level);
    // The time limit and the time bar are both measured in these times.
    if (c.targetTime <= 0 || c.passTime <= 0)
        return QStringLiteral("レベル「%1」の目標タイムか最低タイムが決められていません"
                              "（タイム回数データ.txt）。先生を呼んでください。")
            .arg(name);
    return {};
}

bool StartRun(AppContext& ctx, const ProblemSource& problems, std::optional<PracticeRun> practice) {
    const QString refusal = RunRefusal(ctx, problems, ctx.hensuu1.currentLevel);
    if (!refusal.isEmpty()) {
        ctx.navigator.message(QStringLiteral("レベルの設定"), refusal);
        ctx.navigator.show(Screen::Hub);
        return false;
    }
    DrillRun& run = ctx.drill;
    run.stopped = 0;
    run.finishing = 0;
    run.keyLock = 0;
    run.correctCount = 0;
    run.timeUp = 0;
    run.unrecorded.reset();
    run.practice = std::move(practice);
    ctx.navigator.show(Screen::Drill);
    return true;
}

bool StartRun(AppContext& ctx) {
    const MultiplesProblemSource problems;
    return StartRun(ctx, problems);
}

DrillEngine::DrillEngine(AppContext& ctx, const ProblemSource& problems, DrillView& view,
                         Defer defer)
    : ctx_(ctx), problems_(problems), view_(view), defer_(std::move(defer)) {
    if (!defer_)
        defer_ = [](int ms, std::function<void()> then) { WaitSeconds(ms / 1000.0, then); };
    for (int lamp = kFirstLamp; lamp <= kLastLamp; ++lamp)
        lamps_[lamp] = true;
}

DrillEngine::~DrillEngine() = default;

void DrillEngine::Form_Activate() {
    const QString refusal = RunRefusal(ctx_, problems_, level());
    if (!refusal.isEmpty()) {
        // Reached only when a screen was made without StartRun; never divide by a zero limit.
        ctx_.navigator.message(QStringLiteral("レベルの設定"), refusal);
        ctx_.navigator.show(Screen::Hub);
        return;
    }
    初期設定();
    レベル別設定();
    スタート();
    問題作成表示();
}

void DrillEngine::初期設定() {
    DrillRun& run = ctx_.drill;
    run.stopped = 0;
    run.finishing = 0;
    run.judgeResult = 0;
    const LevelCriteria& c = criteriaOf(ctx_, level());
    // A hand-edited criteria file may hold a lowest time whose five-fold limit
    // overflows; no run is kept beyond a run time, so neither is the limit.
    run.timeLimit = 5 * std::min(c.passTime, kLongestPassTime);
    run.elapsedSeconds = 0;
    run.barScale = run.timeLimit > 0 ? double(kTimeBarWidth) / run.timeLimit : 0;
    bar_ = TimeBar{};
    bar_.target = barWidth(c.targetTime, run.barScale);
    bar_.pass = barWidth(c.passTime, run.barScale);

    minutes_ = minutesSinceSignIn();
    const int pupil = ctx_.hensuu1.currentPupil;
    if (quiet()) {
        todayLevel_ = todayTotal_ = QStringLiteral("－");
    } else {
        const float atLevel = ctx_.results.at(pupil, level()).todayAttempts;
        todayLevel_ = QString::number(qint16(std::nearbyint(atLevel)) + 1);
        float sum = 0; // the count of levels 1 to 15, as the status strip has always shown it
        for (int l = 1; l <= 15; ++l)
            sum += ctx_.results.at(pupil, l).todayAttempts;
        todayTotal_ = QString::number(1 + qint16(std::nearbyint(sum)));
    }
    view_.statusChanged();
}

void DrillEngine::レベル別設定() {
    ctx_.drill.problemCount = 20;
    view_.statusChanged();
}

void DrillEngine::スタート() {
    ctx_.drill.startMs = ctx_.clock.monotonicMs();
    setRunClock(true);
}

void DrillEngine::問題作成表示() {
    const DrillRun& run = ctx_.drill;
    if (run.timeUp || run.stopped || run.keyLock) return;
    problem_ = problems_.make(level(), ctx_.random);
    view_.problemChanged();
    shownMs_ = ctx_.clock.monotonicMs();
}

void DrillEngine::Form_KeyPress(int charCode) {
    DrillRun& run = ctx_.drill;
    if (run.timeUp || run.stopped || run.keyLock) return;
    if (charCode == '1') {
        run.keyLock = 1;
        judge(1);
    } else if (charCode == '3') {
        run.keyLock = 1;
        judge(2);
    }
}

void DrillEngine::Command2_Click(int index) {
    // A click while the last answer's sound plays would judge the same
    // problem a second time, so clicks wait for the next problem like keys.
    DrillRun& run = ctx_.drill;
    if (run.keyLock) return;
    run.keyLock = 1;
    judge(index);
}

void DrillEngine::judge(int index) {
    DrillRun& run = ctx_.drill;
    if (run.timeUp || run.stopped) {
        run.keyLock = 0;
        return;
    }
    run.judgeResult = index == problem_.correctKey ? 1 : 2;
    const QDateTime now = ctx_.clock.now();
    answers_.append(Answer{now.date(), now.time().msecsSinceStartOfDay() / 1000, level(),
                           problem_.divisor, problem_.number, index == 1 ? 1 : 3,
                           run.judgeResult == 1, qint32(ctx_.clock.monotonicMs() - shownMs_),
                           run.practice.has_value()});
    判定後処理();
}

void DrillEngine::判定後処理() {
    DrillRun& run = ctx_.drill;
    if (run.timeUp || run.stopped) return;
    const std::weak_ptr<char> alive = alive_;
    if (run.judgeResult == 1) {
        run.judgeResult = 0;
        if (run.correctCount + 1 >= run.problemCount) {
            // The run ends with this answer: its time, penalties included, is
            // taken now, and the praise that follows is no part of it.
            finalElapsed_ = elapsedNow();
            run.elapsedSeconds = finalElapsed_;
            setRunClock(false);
            view_.statusChanged();
        }
        PlayCorrectCue(ctx_.cues(), [this, alive] {
            if (alive.expired()) return;
            DrillRun& run = ctx_.drill;
            ++run.correctCount;
            view_.statusChanged();
            if (run.correctCount < run.problemCount) {
                run.keyLock = 0;
                問題作成表示();
            } else {
                setRunClock(false);
                run.stopped = 1;
                FinishRun();
            }
        });
    } else {
        PlayWrongCue(ctx_.cues(), [this, alive] {
            if (alive.expired()) return;
            DrillRun& run = ctx_.drill;
            run.startMs -= 10000;
            run.correctCount = std::max(run.correctCount - 1, 0);
            run.keyLock = 0;
            view_.statusChanged();
            問題作成表示();
        });
    }
}

qint32 DrillEngine::elapsedNow() const {
    // Half to even, as the run clock has always rounded.
    return qint32(std::nearbyint((ctx_.clock.monotonicMs() - ctx_.drill.startMs) / 1000.0));
}

void DrillEngine::sTimer1_Timer() {
    if (!runClockOn_) return;
    DrillRun& run = ctx_.drill;
    run.elapsedSeconds = elapsedNow();
    const LevelCriteria& c = criteriaOf(ctx_, level());
    // The last ten seconds before the target time put out lamps 30, 31, … in
    // turn (catching up after a penalty); those before the lowest passing time
    // put out one lamp per second.
    const qint32 toTarget = c.targetTime - run.elapsedSeconds;
    if (toTarget >= 0 && toTarget <= 9)
        for (int lamp = 30; lamp <= kLastLamp - toTarget; ++lamp)
            lamps_[lamp] = false;
    const qint32 toPass = c.passTime - run.elapsedSeconds;
    if (toPass >= 0 && toPass <= 9) lamps_[kLastLamp - toPass] = false;

    const bool limitReached = run.elapsedSeconds >= run.timeLimit;
    bar_.elapsed = limitReached ? bar_.frame : barWidth(run.elapsedSeconds, run.barScale);
    view_.statusChanged();
    // While an answer is being judged the time-out waits for the next tick.
    if (limitReached && !run.finishing && !run.stopped && !run.keyLock) {
        run.timeUp = 1;
        setRunClock(false);
        FinishRun();
    }
}

void DrillEngine::sTimer2_Timer() {
    minutes_ = minutesSinceSignIn();
    view_.statusChanged();
}

QString DrillEngine::minutesSinceSignIn() const {
    return QString::number(
        MinutesSinceSignIn(ctx_.clock.now().time(), ctx_.hensuu1.pupilStartTime));
}

void DrillEngine::setRunClock(bool on) {
    if (runClockOn_ == on) return;
    runClockOn_ = on;
    view_.runClockChanged(on);
}

void DrillEngine::FinishRun() {
    DrillRun& run = ctx_.drill;
    if (run.finishing) return;
    run.finishing = 1;
    overlay_ = run.timeUp     ? QStringLiteral("時間切れ")
               : run.practice ? QStringLiteral("練習おわり")
                              : QStringLiteral("成績記録中");
    view_.overlayShown();

    AppContext& ctx = ctx_;
    Navigator& navigator = ctx.navigator;
    if (run.practice) {
        finishPractice();
        return;
    }
    if (IsPracticeLevel(ctx.hensuu1.catalog, level())) {
        navigator.show(Screen::Wait);
        navigator.show(Screen::Hub);
        return;
    }
    setRunClock(false);
    run.recordedTime = run.timeUp ? kNoTime : finalElapsed_;
    // Another machine may hold the log for a while (its lock, or a deletion
    // under way): the run is never given up for that; the pupil is told why it
    // waits.
    int waits = 0;
    const LockWait wait = [this, &waits] {
        if (++waits == kBusyNoticeWaits) {
            overlayNote_ =
                QStringLiteral("ほかの機械が成績を書いています。終わるまで待っています。");
            view_.overlayShown();
            ctx_.navigator.setWaitNote(overlayNote_);
        }
        ctx_.navigator.coverWhile(ctx_.waitWhileBusy);
    };
    RunToRecord record;
    record.pupil = ctx.hensuu1.currentPupil;
    record.level = qint16(level());
    record.runTime = run.recordedTime;
    record.schoolCode = ctx.hensuu1.schoolCode;
    record.when = ctx.clock.now();
    const bool recorded = RecordRun(ctx, {record, answers_}, wait);
    if (waits >= kBusyNoticeWaits) navigator.setWaitNote({});
    if (!recorded) {
        navigator.show(Screen::Finish); // which offers to record it again
        return;
    }
    navigator.show(Screen::Wait);
    defer_(1000, [&ctx] { ctx.navigator.show(Screen::Finish); });
}

bool DrillEngine::quiet() const {
    return ctx_.drill.practice || IsPracticeLevel(ctx_.hensuu1.catalog, level());
}

// The results log never sees a 苦手練習 run: its answers, marked as practice,
// are all it leaves, and its own finish screen tells what they changed.
void DrillEngine::finishPractice() {
    setRunClock(false);
    DrillRun& run = ctx_.drill;
    run.recordedTime = run.timeUp ? kNoTime : finalElapsed_;
    run.practice->answers = answers_;
    keepAnswers(ctx_, answers_);
    ctx_.navigator.show(Screen::Wait);
    AppContext& ctx = ctx_;
    defer_(1000, [&ctx] { ctx.navigator.show(Screen::PracticeFinish); });
}

QString DrillEngine::contentNameText() const {
    return ctx_.hensuu1.contentName;
}

double DrillEngine::contentNamePointSize() const {
    return ctx_.hensuu1.contentName.size() >= 10 ? 14.0 : 16.8;
}

QString DrillEngine::levelNameText() const {
    return level() >= 0 && level() < kLevelSlots ? ctx_.hensuu1.catalog.levelNames[level()]
                                                 : QString();
}

QString DrillEngine::pupilNameText() const {
    return ctx_.hensuu1.pupilName.trimmed();
}

QString DrillEngine::siteNameText() const {
    return ctx_.hensuu1.siteName;
}

QString DrillEngine::remainingText() const {
    return QString::number(ctx_.drill.problemCount - ctx_.drill.correctCount);
}

QString DrillEngine::elapsedText() const {
    return QString::number(ctx_.drill.elapsedSeconds);
}

} // namespace baisuu
