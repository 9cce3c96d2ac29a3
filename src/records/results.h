#pragma once
// The results log (成績累積データ.dat) and what is computed from it: the
// loaded records, best times, the per pupil and level tallies, the points
// rule and the recording of a finished run.

#include "core/file_error.h"
#include "core/table_sizes.h"
#include "records/criteria_table.h"
#include "records/results_log.h"

#include <QDateTime>
#include <QList>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

namespace baisuu {

constexpr qint32 kNoTime = 99999;       // "no time": a timed-out run, or no run at all
constexpr qint32 kCountedBelow = 6000;  // runs below this time count as attempts
constexpr int kSchoolBestPupils = 1000; // the school's best times come from pupils 1..1000

// One record of the log as loaded (the fields the tallies use).
struct LoadedResult {
    double runDate = 0;
    double runClock = 0;
    qint16 pupilNumber = 0;
    qint16 level = 0;
    qint32 runTime = 0;
};

struct PupilLevelStats {
    qint16 attempts = 0;
    qint32 points = 0;
    qint32 timeSum = 0;
    float averageTime = 0;
    qint16 judgeAttempts = 0;
    qint32 judgePoints = 0;
    qint16 overdoAttempts = 0;
    qint32 overdoPeriodPoints = 0;
    float todayAttempts = 0;
    float todayTimeSum = 0;
    qint32 todayPoints = 0;
    float todayAverageTime = 0;
};

// A level is cleared when, within its judgement period, the pupil's points and
// runs both reach the level's clearing figures.
inline bool LevelCleared(const LevelCriteria& c, const PupilLevelStats& s) {
    return s.judgePoints >= c.clearPoints && s.judgeAttempts >= c.clearCount;
}

// The shared tables every screen reads; filled in place by ComputeLevelStats.
struct ResultsState {
    QList<LoadedResult> results; // every usable record, in file order
    std::vector<qint32> bestTime = std::vector<qint32>(size_t(kPupilSlots) * kLevelSlots, kNoTime);
    std::array<qint32, kLevelSlots> levelBestTime{};
    std::vector<PupilLevelStats> stats =
        std::vector<PupilLevelStats>(size_t(kPupilSlots) * kLevelSlots);
    int skippedRecords = 0;    // records with a pupil or level out of range
    bool readFromCopy = false; // a deletion's copy stayed and was read instead of the log

    // Outcome flags of the last recorded run, read by the finish screen.
    qint16 newPersonalBest = 0;
    qint16 newSchoolBest = 0;
    qint16 wasCleared = 0;

    qint32& best(int pupil, int level) { return bestTime[size_t(pupil) * kLevelSlots + level]; }
    qint32 best(int pupil, int level) const {
        return bestTime[size_t(pupil) * kLevelSlots + level];
    }
    PupilLevelStats& at(int pupil, int level) { return stats[size_t(pupil) * kLevelSlots + level]; }
    const PupilLevelStats& at(int pupil, int level) const {
        return stats[size_t(pupil) * kLevelSlots + level];
    }
};

// Points of one run: base by the target time, total after the level's factor.
struct RunPoints {
    int base = 0;
    int total = 0;
};
// The factor the points rule applies: the level's own, or 0 when it is no
// finite number (a factor of 1e39 reads into single precision as infinity).
inline float CountedPointFactor(float factor) {
    return std::isfinite(factor) ? factor : 0.0f;
}
// A factor in its shortest decimal form: 1, 1.5, 0.8.
QString FactorText(float factor);
// The finish screen's rule on the run time t itself.
RunPoints PointsOfRun(const LevelCriteria& criteria, qint32 runTime);
// The tallies' rule for a loaded record (the first three digits of t below T).
int RecordPoints(const LevelCriteria& criteria, qint32 runTime);
// The same rule before the level's factor: what the hub's run lists show.
int RecordBasePoints(const LevelCriteria& criteria, qint32 runTime);
// The first three characters of the decimal text of t, as a number (1234 → 123).
int ThreeCharacterTime(qint32 runTime);

// A run to append: date and time from the clock, the school code of the site line.
struct RunToRecord {
    qint16 pupil = 0;
    qint16 level = 0;
    qint32 runTime = 0;
    QString schoolCode;
    QDateTime when;
};

// The record AppendResult writes for a run: blanks for the spare text and the
// trailer, the points text "0", the time of day in whole seconds.
ResultRecord RecordOfRun(const RunToRecord& run);

// Appends one record under the whole-file lock.
std::optional<FileError> AppendResult(const QString& logPath, const RunToRecord& run,
                                      const LockWait& wait = {});

// Fills state.results, bestTime and levelBestTime from the log, as ReadLog
// finds it; a missing log is empty, and nothing is written. Every whole record is read; records
// whose pupil lies outside 0..5000 or level outside 0..35 are skipped and counted in
// skippedRecords.
std::optional<FileError> LoadResults(ResultsState& state, const QString& logPath,
                                     const LockWait& wait = {});

// Clears and refills every tally of state from the log and the criteria, as of now.
std::optional<FileError> ComputeLevelStats(ResultsState& state, const CriteriaTable& criteria,
                                           const QString& logPath, const QDateTime& now,
                                           const LockWait& wait = {});

// Records a finished run of pupil on level and sets the outcome flags; the
// tallies must have been computed before (wasCleared reflects the state before the run).
std::optional<FileError> Seisekikiroku(ResultsState& state, const CriteriaTable& criteria,
                                       const QString& logPath, const RunToRecord& run,
                                       const LockWait& wait = {});

} // namespace baisuu
