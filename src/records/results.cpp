#include "records/results.h"

#include "core/dates.h"
#include "records/log_files.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace baisuu {

namespace {

constexpr qint32 kNoPointsFrom = 99998; // a run this slow (a time-out) earns nothing

int floorToInt(double x) {
    if (x >= 0 && x < 2147483647.0) return int(x); // the usual case: truncation is the floor
    if (std::isnan(x)) return 0;
    if (!(x > double(std::numeric_limits<int>::min()))) return std::numeric_limits<int>::min();
    if (x >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return int(std::floor(x));
}

inline int threeCharacters(qint32 runTime) {
    if (runTime >= 0 && runTime < 1000) return runTime;
    return ThreeCharacterTime(runTime);
}

// The one points rule. curveTime is the time the curve below the target uses:
// the run time itself on the finish screen, its three-character value in the tallies.
inline int basePoints(qint32 target, qint32 runTime, double curveTime) {
    if (target <= 0 || runTime >= kNoPointsFrom)
        return 0; // no target set: no points, rather than a division by zero
    if (runTime > target) {
        if (runTime < qint64(2) * target) return 4;
        return runTime < qint64(10) * target ? 1 : 0;
    }
    const double share = (target - curveTime) / target;
    return floorToInt(share * share * share * 50 + 5);
}

// The factor is single precision in the criteria; the product is taken in
// double precision and rounded down, as the points always were.
inline int withFactor(int base, float factor) {
    return floorToInt(double(base) * double(CountedPointFactor(factor)));
}

// Sums of points and times stop at the ends of their fields instead of wrapping.
inline void addSaturated(qint32& sum, qint32 value) {
    sum = qint32(std::clamp<qint64>(qint64(sum) + value, std::numeric_limits<qint32>::min(),
                                    std::numeric_limits<qint32>::max()));
}
inline void countSaturated(qint16& count, bool counted) {
    count += counted && count < std::numeric_limits<qint16>::max();
}

inline void prefetchForWrite(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address, 1);
#else
    (void)address;
#endif
}

// The records come in time order with the pupils mixed, so every record lands
// on a far-off tally slot (the tally table is some megabytes): fetching the slot
// of a record some way ahead lets the memory work on several at once instead of
// waiting for each in turn. (The best-time table is small enough to need none.)
constexpr qsizetype kAhead = 16;

} // namespace

std::optional<FileError> LoadResults(ResultsState& state, const QString& logPath,
                                     const LockWait& wait) {
    const auto read = [&](QFile* file) -> std::optional<FileError> {
        std::fill(state.bestTime.begin(), state.bestTime.end(), kNoTime);
        state.skippedRecords = 0;
        if (!file) {
            state.results.resize(0);
            return std::nullopt;
        }
        // Records appended while this reads are left for the next load. The list
        // keeps its length between loads, so a reload writes over the same entries
        // instead of building them anew.
        qint64 remaining = file->size() / kRecordSize;
        state.results.resize(remaining);
        LoadedResult* kept = state.results.data();

        // Reading in chunks keeps the buffer in the cache however long the log is.
        constexpr qint64 kChunkRecords = 4096;
        QByteArray chunk(kChunkRecords * kRecordSize, Qt::Uninitialized);
        int failedReads = 0;
        while (remaining > 0) {
            const qint64 at = file->pos();
            const qint64 want = std::min(remaining, kChunkRecords) * kRecordSize;
            const qint64 got = file->read(chunk.data(), want);
            if (got < 0) {
                if (++failedReads >= kFailedReadTries || !file->seek(at)) {
                    state.results.resize(0);
                    return logfiles::ReadError(*file);
                }
                WaitBeforeRetry(wait);
                continue;
            }
            const qint64 n = got / kRecordSize;
            remaining -= n;
            for (qint64 i = 0; i < n; ++i) {
                const RecordNumbers r = RecordNumbersOf(chunk.constData() + i * kRecordSize);
                if (r.pupilNumber < 0 || r.pupilNumber >= kPupilSlots || r.level < 0 ||
                    r.level >= kLevelSlots) {
                    ++state.skippedRecords;
                    continue;
                }
                qint32& best = state.best(r.pupilNumber, r.level);
                best = std::min(best, r.runTime);
                if (r.runDate >= 0 && r.pupilNumber != 0 && r.level >= 1)
                    *kept++ =
                        LoadedResult{r.runDate, r.runClock, r.pupilNumber, r.level, r.runTime};
            }
            if (got < want) break; // the log became shorter meanwhile: what was read stands
        }
        state.results.resize(kept - state.results.constData());
        return std::nullopt;
    };
    LogToRead found;
    if (auto error = ReadLog(logPath, wait, read, &found)) {
        state.results.resize(0);
        return error;
    }
    state.readFromCopy = found.fromCopy;

    state.levelBestTime.fill(kNoTime);
    for (int level = 1; level < kLevelSlots; ++level)
        for (int pupil = 1; pupil <= kSchoolBestPupils; ++pupil)
            state.levelBestTime[level] =
                std::min(state.levelBestTime[level], state.best(pupil, level));
    return std::nullopt;
}

namespace {

// A level's figures prepared once per tally pass.
struct LevelRule {
    qint32 target = 0;
    float factor = 0;
    double judgeFrom = 0;  // records dated after this count in the judgement period
    double overdoFrom = 0; // ... in the overdo period
    qint32 tabled = 0;     // run times 0..tabled-1 have their points in the table
};

// Points of the run times below 1000 (whose three characters are themselves),
// worked out once per tally pass: nearly every run has one, and a lookup spares
// the rule's branches for each of a million records.
constexpr qint32 kTabledTimes = 1000;

} // namespace

int ThreeCharacterTime(qint32 runTime) {
    qint64 t = runTime;
    if (t >= 0) {
        while (t >= 1000)
            t /= 10;
        return int(t);
    }
    t = -t; // "-1234" keeps "-12"
    while (t >= 100)
        t /= 10;
    return int(-t);
}

QString FactorText(float factor) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, factor);
    return QString::fromLatin1(text, result.ptr - text);
}

RunPoints PointsOfRun(const LevelCriteria& criteria, qint32 runTime) {
    const int base = basePoints(criteria.targetTime, runTime, runTime);
    return {base, withFactor(base, criteria.pointFactor)};
}

int RecordPoints(const LevelCriteria& criteria, qint32 runTime) {
    return withFactor(RecordBasePoints(criteria, runTime), criteria.pointFactor);
}

int RecordBasePoints(const LevelCriteria& criteria, qint32 runTime) {
    return basePoints(criteria.targetTime, runTime, threeCharacters(runTime));
}

ResultRecord RecordOfRun(const RunToRecord& run) {
    const QTime t = run.when.time();
    ResultRecord r;
    r.runDate = OleDate(run.when.date());
    r.runClock = OleTime(QTime(t.hour(), t.minute(), t.second()));
    r.pupilNumber = run.pupil;
    r.level = run.level;
    r.runTime = run.runTime;
    r.schoolCode = RecordText(run.schoolCode);
    return r; // spare text and trailer blank, points text "0"
}

std::optional<FileError> AppendResult(const QString& logPath, const RunToRecord& run,
                                      const LockWait& wait) {
    return AppendRecord(logPath, RecordOfRun(run), wait);
}

std::optional<FileError> ComputeLevelStats(ResultsState& state, const CriteriaTable& criteria,
                                           const QString& logPath, const QDateTime& now,
                                           const LockWait& wait) {
    // Averages are cleared too: a slot whose runs were deleted must not keep an old one.
    std::fill(state.stats.begin(), state.stats.end(), PupilLevelStats{});

    // A period of D days reaches back from now, so with the whole-day dates of
    // the log it covers today and the D - 1 days before; 0 days covers nothing.
    const double nowOle = OleDateTime(now);
    const double today = OleDate(now.date());
    const double tomorrow = today + 1;
    std::array<LevelRule, kLevelSlots> rules;
    std::vector<int> tabledPoints(size_t(kLevelSlots) * kTabledTimes);
    for (int level = 1; level < kLevelSlots; ++level) {
        const LevelCriteria& c = criteria.levels[level];
        // From ten times the target on a run earns nothing: no need to table those.
        const qint32 tabled =
            c.targetTime > 0 ? qint32(std::min<qint64>(qint64(10) * c.targetTime, kTabledTimes))
                             : 0;
        rules[level] = {c.targetTime, c.pointFactor, nowOle - c.judgeDays.toNumber(),
                        nowOle - c.overdoDays.toNumber(), tabled};
        for (qint32 t = 0; t < tabled; ++t)
            tabledPoints[size_t(level) * kTabledTimes + t] =
                withFactor(basePoints(c.targetTime, t, t), c.pointFactor);
    }

    const auto tally = [&](const LoadedResult& r) {
        const LevelRule& rule = rules[r.level];
        const int t3 = threeCharacters(r.runTime);
        const int points = quint32(r.runTime) < quint32(rule.tabled)
                               ? tabledPoints[size_t(r.level) * kTabledTimes + r.runTime]
                               : withFactor(basePoints(rule.target, r.runTime, t3), rule.factor);
        const bool counted = r.runTime < kCountedBelow;
        PupilLevelStats& s = state.at(r.pupilNumber, r.level);
        countSaturated(s.attempts, counted);
        if (r.runDate > rule.judgeFrom) {
            countSaturated(s.judgeAttempts, counted);
            addSaturated(s.judgePoints, points);
        }
        if (r.runDate > rule.overdoFrom) {
            countSaturated(s.overdoAttempts, counted);
            addSaturated(s.overdoPeriodPoints, points);
        }
        addSaturated(s.points, points);
        addSaturated(s.timeSum, t3);
        if (r.runDate >= today && r.runDate < tomorrow) { // its date is today's
            s.todayAttempts += counted;
            s.todayTimeSum += t3;
            addSaturated(s.todayPoints, points);
        }
    };
    if (auto error = LoadResults(state, logPath, wait)) return error;
    // A pass of its own over the loaded entries, the tally slots fetched ahead.
    const LoadedResult* const results = state.results.constData();
    const qsizetype count = state.results.size();
    for (qsizetype i = 0; i < count; ++i) {
        if (i + kAhead < count) {
            const PupilLevelStats* slot =
                &state.at(results[i + kAhead].pupilNumber, results[i + kAhead].level);
            prefetchForWrite(slot); // a slot may straddle two cache lines
            prefetchForWrite(reinterpret_cast<const char*>(slot + 1) - 1);
        }
        tally(results[i]);
    }

    for (PupilLevelStats& s : state.stats) {
        if (s.attempts > 0) s.averageTime = float(std::floor(double(s.timeSum) / s.attempts + 0.5));
        if (s.todayAttempts >= 1)
            s.todayAverageTime = float(std::floor(double(s.todayTimeSum) / s.todayAttempts + 0.5));
    }
    return std::nullopt;
}

std::optional<FileError> Seisekikiroku(ResultsState& state, const CriteriaTable& criteria,
                                       const QString& logPath, const RunToRecord& run,
                                       const LockWait& wait) {
    const int p = run.pupil;
    const int level = run.level;
    if (p < 0 || p >= kPupilSlots || level < 0 || level >= kLevelSlots)
        return FileError{logPath, 0,
                         QStringLiteral("生徒番号 %1・レベル %2 の記録はできません（範囲外）。")
                             .arg(p)
                             .arg(level)};
    const LevelCriteria& c = criteria.levels[level];
    const PupilLevelStats& s = state.at(p, level);
    const bool clearedBefore = s.attempts >= c.clearCount && s.points >= c.clearPoints;
    // A run the log did not take is no record, new or otherwise: every flag
    // waits for the record to be in the log.
    if (auto error = AppendResult(logPath, run, wait)) return error;
    state.wasCleared = clearedBefore ? 1 : 0;
    if (state.best(p, level) > run.runTime) {
        state.newPersonalBest = 1;
        state.best(p, level) = run.runTime;
    }
    // Any pupil's run may be the school's new best, guests' too; the lists'
    // best times (levelBestTime) still come from pupils 1..1000.
    if (state.levelBestTime[level] > run.runTime) {
        state.levelBestTime[level] = run.runTime;
        state.newSchoolBest = 1;
    }
    return std::nullopt;
}

} // namespace baisuu
