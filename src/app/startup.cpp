#include "app/startup.h"

#include "chain/school_sync.h"
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

namespace {

void tell(const QString& what, const QString& why) {
    const QString text = what + why + u'\n';
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

} // namespace

QString DailyBackupAndSync(const QString& database, const Hensuu1& state,
                           const CriteriaTable& criteria, QDate today) {
    // The copy only reads the log; the program's writers, which wait for and
    // settle a deletion's copy, are not to be raced by it (DailyBackup leaves
    // a deletion under way alone).
    if (auto error = DailyBackup(state.paths.resultsLogFile(), today))
        tell(QStringLiteral("今日のバックアップを作れませんでした: "), error->text());
    if (database.isEmpty()) return {};
    // The sync reads the log as every reader does; off the screens' thread a
    // busy log is waited out by sleeping.
    SyncCounts counts;
    SyncOptions options;
    options.today = today;
    const std::optional<QString> failure =
        SyncSchool(database, state, criteria, options, &counts);
    if (!failure) return {};
    tell(QStringLiteral("本部のデータベースへ成績を送れませんでした: "), *failure);
    return *failure;
}

std::future<void> StartDailyBackup(const AppContext& ctx, const QString& database) {
    return std::async(std::launch::async,
                      [database, state = ctx.hensuu1, criteria = ctx.criteria,
                       today = ctx.clock.now().date(), failure = ctx.chainSyncFailure] {
                          failure->set(DailyBackupAndSync(database, state, criteria, today));
                      });
}

} // namespace baisuu
