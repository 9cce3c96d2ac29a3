// The demo school's history: a few months of runs of the demo pupils, so the
// hub, the lists, the charts and the records manager have something to show.

#include "cli/cli.h"

#include "core/dates.h"
#include "core/durable_file.h"
#include "records/results.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <random>

namespace baisuu {

bool WriteDemoHistory(CliEnv& env, const QString& logPath, std::span<const int> targets,
                      int pupilCount, const QString& schoolCode) {
    constexpr int kDays = 120;
    const QDateTime now = env.clock->now();
    const QDate today = now.date();
    std::mt19937 random(20261208); // the same history every time
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    const int levels = int(targets.size()) - 1;

    QList<ResultRecord> runs;
    for (int pupil = 1; pupil <= pupilCount; ++pupil) {
        // Older pupils start higher and each pupil moves up every few weeks.
        const int startLevel = 1 + (pupil - 1) * 6 / pupilCount;
        const double skill = uniform(0.75, 1.35); // below 1 beats the target
        const double attendance = uniform(0.15, 0.4);
        for (int back = kDays; back >= 0; --back) {
            if (back > 0 && uniform(0, 1) > attendance) continue;
            if (back == 0 && pupil % 3 != 0) continue; // a third of the school has been in today
            const QDate date = today.addDays(-back);
            const double progress = double(kDays - back) / kDays;
            const int level = std::min(levels, startLevel + int(progress * 5));
            const int runsToday = 2 + int(uniform(0, 5));
            // Runs after school; today's end before now.
            int seconds = back == 0 ? std::max(0, now.time().msecsSinceStartOfDay() / 1000 - 3600)
                                    : 15 * 3600 + int(uniform(0, 4 * 3600));
            for (int n = 0; n < runsToday; ++n) {
                const int runLevel = std::max(1, level - (uniform(0, 1) < 0.3 ? 1 : 0));
                const double pace = skill * (1.25 - 0.35 * progress) * uniform(0.8, 1.25);
                const bool timedOut = uniform(0, 1) < 0.02;
                ResultRecord r;
                r.runDate = OleDate(date);
                r.runClock = std::min(seconds, 86399) / 86400.0;
                r.pupilNumber = qint16(pupil);
                r.level = qint16(runLevel);
                r.runTime =
                    timedOut ? kNoTime : std::max(5, int(std::lround(targets[runLevel] * pace)));
                // A few runs came from the sister school that shares the data root.
                r.schoolCode =
                    RecordText(pupil == 4 && n == 0 ? QStringLiteral("54321") : schoolCode);
                runs.append(r);
                seconds += 60 + int(uniform(0, 240));
            }
        }
    }
    // The log is in the order the runs were recorded.
    std::stable_sort(runs.begin(), runs.end(), [](const ResultRecord& a, const ResultRecord& b) {
        return a.runDate + a.runClock < b.runDate + b.runClock;
    });
    QByteArray bytes;
    bytes.reserve(runs.size() * kRecordSize);
    for (const ResultRecord& r : std::as_const(runs))
        bytes += r.toBytes();
    if (Failed(env, WriteFileDurably(logPath, bytes))) return false;
    // The log lies in the data folder, beside the answers files.
    return WriteDemoAnswers(env, QFileInfo(logPath).absolutePath() + QLatin1Char('/'), runs);
}

} // namespace baisuu
