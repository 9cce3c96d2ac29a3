#include "app/startup.h"

#include "core/configuration.h"
#include "core/dates.h"
#include "records/results_backup.h"
#include "roster/grades.h"
#include "roster/roster.h"

#include <cstdio>

namespace baisuu {

std::optional<FileError> LoadInstallation(AppContext& ctx, const QString& programDir) {
    Hensuu1& s = ctx.hensuu1;
    if (auto error = LoadConfiguration(s, programDir)) return error;
    if (auto error = LoadCriteria(ctx.criteria, s.paths.criteriaFile())) return error;
    // A missing or broken sound list is not fatal: its cues count as failed sounds.
    LoadSoundList(ctx.sounds, s.paths.soundFolder);
    return std::nullopt;
}

void SignIn(AppContext& ctx, int pupil) {
    Hensuu1& s = ctx.hensuu1;
    s.currentPupil = qint16(pupil);
    const int schoolYear = CurrentSchoolYear(ctx.clock.now().date(), s.schoolYearStartMonth);
    if (!LoadRoster(ctx.roster, s.paths.rosterFile(), schoolYear, s.includeStatusTwo)) {
        s.pupilName = ctx.roster.pupilNames[size_t(pupil)];
        s.pupilGrade = ctx.roster.pupilGradeLabels[size_t(pupil)];
    }
    s.pupilStartTime = SecondsSinceMidnight(ctx.clock.now().time());
    BuildLevelCatalog(s.catalog);
    // The drill's counters read today's tallies; a log that cannot be read
    // shows up when the run is recorded.
    ComputeLevelStats(ctx.results, ctx.criteria, s.paths.resultsLogFile(), ctx.clock.now(),
                      ctx.coveredWait());
}

std::future<void> StartDailyBackup(const QString& logPath, QDate today) {
    // The copy only reads the log; the program's writers, which wait for and
    // settle a deletion's copy, are not to be raced by it (DailyBackup leaves
    // a deletion under way alone).
    return std::async(std::launch::async, [logPath, today] {
        if (auto error = DailyBackup(logPath, today)) {
            const QString text =
                QStringLiteral("今日のバックアップを作れませんでした: ") + error->text() + u'\n';
            std::fputs(text.toLocal8Bit().constData(), stderr);
        }
    });
}

} // namespace baisuu
