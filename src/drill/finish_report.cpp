#include "drill/finish_report.h"

#include "sound/sound_cues.h"

#include <cmath>

namespace baisuu {

namespace {

bool levelCleared(const AppContext& ctx, int level) {
    return LevelCleared(ctx.criteria.levels[level],
                        ctx.results.at(ctx.hensuu1.currentPupil, level));
}

// A clear count of 9999 is how a teacher keeps a level from ever being cleared;
// then no goal banner is shown.
bool someLevelNeverClears(const AppContext& ctx) {
    for (int level = 1; level < kLevelSlots; ++level)
        if (ctx.criteria.levels[level].clearCount == 9999) return true;
    return false;
}

int validLevel(int level) {
    return level >= 1 && level < kLevelSlots ? level : 0;
}

// The run's own lines: whose run, at which level, its time and points.
void setRunTexts(const AppContext& ctx, int level, FinishReport& r) {
    const Hensuu1& h = ctx.hensuu1;
    const qint32 t = ctx.drill.recordedTime;
    r.pointsText = PointsLine(ctx.criteria.levels[level], t);
    r.timeText =
        t > kNoTime - 2 ? QStringLiteral("記録なし") : QStringLiteral("今の成績：%1秒").arg(t);
    r.pupilName = h.pupilName.trimmed();
    r.contentName = h.contentName;
    r.levelName = h.catalog.levelNames[level];
}

} // namespace

QString PointsLine(const LevelCriteria& criteria, qint32 recordedTime) {
    const RunPoints points = PointsOfRun(criteria, recordedTime);
    return QStringLiteral("獲得ポイント：%1点×%2→%3点")
        .arg(points.base)
        .arg(FactorText(CountedPointFactor(criteria.pointFactor)))
        .arg(points.total);
}

FinishReport PrepareFinish(AppContext& ctx) {
    FinishReport r;
    const Hensuu1& h = ctx.hensuu1;
    const int level = validLevel(h.currentLevel);
    r.error = ComputeLevelStats(ctx.results, ctx.criteria, h.paths.resultsLogFile(),
                                ctx.clock.now(), ctx.coveredWait());

    r.levelCleared = levelCleared(ctx, level);
    const bool goal = level == h.catalog.goalLevel;
    r.goalBanner = r.levelCleared && goal && !someLevelNeverClears(ctx);

    const LevelCriteria& c = ctx.criteria.levels[level];
    const qint32 t = ctx.drill.recordedTime;
    setRunTexts(ctx, level, r);
    const int pupil = h.currentPupil;
    r.levelCountText = QStringLiteral(" (このレベル　%1回目)")
                           .arg(QString::number(ctx.results.at(pupil, level).todayAttempts));
    float today = 0;
    for (int l = 1; l < kLevelSlots; ++l)
        today += ctx.results.at(pupil, l).todayAttempts;
    r.dayCountText = QStringLiteral("（%1回目)").arg(qint16(std::nearbyint(today)));

    ResultsState& res = ctx.results;
    if (ctx.drill.timeUp) {
        r.outcomeText = QStringLiteral("時間切れ");
    } else if (res.newSchoolBest) {
        r.outcomeText = QStringLiteral("！！！最高新記録！！！");
        r.cue = FinishCue::SchoolBest;
    } else if (res.newPersonalBest) {
        r.outcomeText = QStringLiteral("新記録おめでとう");
        r.cue = FinishCue::PersonalBest;
    } else if (t <= c.passTime) {
        r.cue = FinishCue::PassTime;
    }
    r.goalClearedCue = goal && r.levelCleared && !res.wasCleared;
    res.newPersonalBest = 0;
    res.newSchoolBest = 0;
    return r;
}

FinishReport UnrecordedFinish(const AppContext& ctx) {
    FinishReport r;
    setRunTexts(ctx, validLevel(ctx.hensuu1.currentLevel), r);
    // Today's counts and the outcome would count a run the log does not hold.
    r.outcomeText = QStringLiteral("成績はまだ記録されていません");
    return r;
}

QString RecordAgainText() {
    return QStringLiteral("もう一度記録する");
}

void PlayFinishCues(AppContext& ctx, const FinishReport& report, std::function<void()> done) {
    auto goalCue = [&ctx, play = report.goalClearedCue, done = std::move(done)] {
        if (play)
            PlayGoalClearedCue(ctx.cues(), done);
        else if (done)
            done();
    };
    switch (report.cue) {
    case FinishCue::SchoolBest:
        return PlaySchoolBestCue(ctx.cues(), goalCue);
    case FinishCue::PersonalBest:
        return PlayPersonalBestCue(ctx.cues(), goalCue);
    case FinishCue::PassTime:
        return PlayPassTimeCue(ctx.cues(), goalCue);
    case FinishCue::None:
        return goalCue();
    }
}

QString MoveOnText() {
    return QStringLiteral("次のレベルへ進みましょう");
}

FinishButtons Timer1Buttons(const AppContext& ctx, const FinishReport& report) {
    FinishButtons b;
    if (ctx.drill.unrecorded) {
        b.retryShown = false; // a new run would leave this one behind unrecorded
        b.recordAgainShown = true;
        return b;
    }
    const int level = validLevel(ctx.hensuu1.currentLevel);
    const PupilLevelStats& s = ctx.results.at(ctx.hensuu1.currentPupil, level);
    const LevelCriteria& c = ctx.criteria.levels[level];
    const double count = c.overdoCount.toNumber();
    const double points = c.overdoPoints.toNumber();
    const bool overdone = (count != 0 && s.overdoAttempts >= count) ||
                          (points != 0 && s.overdoPeriodPoints >= points);
    if (!overdone || !report.levelCleared) return b;
    if (level == ctx.hensuu1.catalog.goalLevel) {
        b.label2 = FinishButtons::Label2::EmptyAndHide;
    } else if (ctx.finalLevelCleared == 0) {
        // Practised enough here and cleared: the pupil must move on.
        b.label2 = FinishButtons::Label2::MoveOn;
        b.retryShown = false;
    }
    return b;
}

} // namespace baisuu
