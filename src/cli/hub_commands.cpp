// What the hub shows a pupil, from the same model the hub screen shows.

#include "cli/cli.h"

#include "core/dates.h"
#include "hub/hub_model.h"
#include "roster/grades.h"

#include <QJsonArray>

#include <memory>

namespace baisuu {

int BadOption(CliEnv& env, const QString& text) {
    env.err << text << Qt::endl;
    return 2;
}

bool GroupOption(CliEnv& env, QString* group) {
    *group = env.option(QStringLiteral("--group"), QStringLiteral("全学年"));
    if (SelectionGroupTexts().contains(*group)) return true;
    BadOption(env, QStringLiteral("--group には次のどれかを指定してください: %1")
                       .arg(SelectionGroupTexts().join(QStringLiteral("、"))));
    return false;
}

int LoadHubSchool(CliEnv& env, HubSchool& school) {
    if (!LoadCliInstallation(env, school.state, &school.criteria)) return 1;
    school.now = env.clock->now();
    school.schoolYear = CurrentSchoolYear(school.now.date(), school.state.schoolYearStartMonth);
    if (Failed(env, LoadRoster(*school.roster, school.state.paths.rosterFile(), school.schoolYear,
                               school.state.includeStatusTwo)))
        return 1;
    ApplyPracticeLimits(school.criteria, school.state.catalog);
    if (Failed(env, ComputeLevelStats(*school.results, school.criteria,
                                      school.state.paths.resultsLogFile(), school.now)))
        return 1;
    return 0;
}

int CmdHub(CliEnv& env) {
    qint64 pupil = 0;
    if (!IntOption(env, QStringLiteral("--pupil"), 0, kHighestPupil, &pupil)) return 2;
    QString group;
    if (!GroupOption(env, &group)) return 2;
    HubSchool school;
    if (const int code = LoadHubSchool(env, school)) return code;

    // Signed in as the selection screen signs in, at --now.
    Hensuu1& state = school.state;
    state.currentPupil = qint16(pupil);
    state.pupilName = school.roster->pupilNames[size_t(pupil)];
    state.pupilGrade = school.roster->pupilGradeLabels[size_t(pupil)];
    state.selectedGroup = group;
    state.pupilStartTime = SecondsSinceMidnight(school.now.time());
    const HubView view =
        BuildHubView(state, school.criteria, *school.results, *school.roster, group, school.now);
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
    PrintJson(env, QJsonObject{{"label11", view.contentName},
                               {"label12", view.pupilLine},
                               {"label13", view.numberAndSite},
                               {"label18", view.todayRunCount},
                               {"finalLevelCleared", view.finalLevelCleared},
                               {"scrollMaximum", view.layout.scrollMaximum},
                               {"columnWidth", view.layout.width},
                               {"columns", columns}});
    return 0;
}

} // namespace baisuu
