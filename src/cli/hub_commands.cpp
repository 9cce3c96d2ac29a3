// What the hub shows a pupil, from the same model the hub screen shows.

#include "cli/cli.h"

#include "core/dates.h"
#include "hub/hub_model.h"
#include "roster/grades.h"

#include <QJsonArray>

#include <memory>

int cmdHub(CliEnv& env) {
    qint64 pupil = 0;
    if (!intOption(env, QStringLiteral("--pupil"), 0, kPupilSlots - 1, &pupil)) return 2;
    const QString group = env.option(QStringLiteral("--group"), QStringLiteral("全学年"));
    if (!SelectionGroupTexts().contains(group)) {
        env.err << QStringLiteral("--group には次のどれかを指定してください: %1")
                       .arg(SelectionGroupTexts().join(QStringLiteral("、")))
                << Qt::endl;
        return 2;
    }
    Hensuu1 state;
    CriteriaTable criteria;
    if (!loadInstallation(env, state, &criteria)) return 1;
    const QDateTime now = env.clock->now();

    // Signed in as the selection screen signs in, at --now.
    auto roster = std::make_unique<StudentRoster>();
    const int schoolYear = CurrentSchoolYear(now.date(), state.schoolYearStartMonth);
    if (failed(env,
               LoadRoster(*roster, state.paths.rosterFile(), schoolYear, state.includeStatusTwo)))
        return 1;
    state.currentPupil = qint16(pupil);
    state.pupilName = roster->pupilNames[size_t(pupil)];
    state.pupilGrade = roster->pupilGradeLabels[size_t(pupil)];
    state.selectedGroup = group;
    state.pupilStartTime = secondsSinceMidnight(now.time());
    BuildLevelCatalog(state.catalog);

    ApplyPracticeLimits(criteria, state.catalog);
    auto results = std::make_unique<ResultsState>();
    if (failed(env, ComputeLevelStats(*results, criteria, state.paths.resultsLogFile(), now)))
        return 1;
    const HubView view = BuildHubView(state, criteria, *results, *roster, group, now);

    QJsonArray columns;
    for (const HubColumn& c : view.columns)
        columns.append(QJsonObject{
            {"level", c.level},
            {"caption", c.caption.caption},
            {"start", c.start},
            {"enabled", c.enabled},
            {"blocked", c.blocked},
            {"practice", c.practice},
            {"today", c.today},
            {"allTime", c.allTime},
            {"judge", c.judge},
            {"criteria", c.criteria},
            {"list", QJsonArray::fromStringList(c.list)},
        });
    printJson(env, QJsonObject{{"label11", view.label11},
                               {"label12", view.label12},
                               {"label13", view.label13},
                               {"label18", view.label18},
                               {"finalLevelCleared", view.finalLevelCleared},
                               {"scrollMaximum", view.layout.scrollMaximum},
                               {"columnWidth", view.layout.width},
                               {"columns", columns}});
    return 0;
}
