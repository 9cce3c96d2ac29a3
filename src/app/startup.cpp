#include "app/startup.h"

#include "core/configuration.h"
#include "core/dates.h"
#include "roster/grades.h"
#include "roster/roster.h"

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

} // namespace baisuu
