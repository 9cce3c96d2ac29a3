// `class-report`: the class report of a grade group for teachers, as printed
// pages (PDF) or a table for a spreadsheet (CSV), from the hub's tallies.

#include "cli/cli.h"

#include "reports/class_report.h"
#include "reports/class_report_page.h"
#include "roster/roster_lines.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace baisuu {

int CmdClassReport(CliEnv& env) {
    const QString out = env.option(QStringLiteral("--out"));
    if (out.isEmpty())
        return BadOption(env, QStringLiteral("--out に書き出すファイル（.pdf か .csv）を"
                                             "指定してください。"));
    const QString type = QFileInfo(out).suffix().toLower();
    if (type != QStringLiteral("pdf") && type != QStringLiteral("csv"))
        return BadOption(env, QStringLiteral("--out のファイルは .pdf か .csv で終わる名前に"
                                             "してください: %1")
                                  .arg(out));
    if (type == QStringLiteral("pdf") &&
        !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return BadOption(env, QStringLiteral("PDF は描画のできる起動でしか書けません。"));
    ClassReportRequest request;
    if (!GroupOption(env, &request.group)) return 2;

    HubSchool school;
    if (const int code = LoadHubSchool(env, school)) return code;
    const Hensuu1& state = school.state;
    if (env.args.contains(QStringLiteral("--levels"))) {
        QList<int> levels;
        if (!NumberList(env, QStringLiteral("--levels"), 1, state.catalog.levelCount, &levels))
            return 2;
        for (int level : levels) // a level named twice gets its columns once
            if (!request.levels.contains(level)) request.levels.append(level);
    }
    request.today = school.now.date();
    request.schoolYear = school.schoolYear;
    request.schoolName = state.siteName;
    request.contentName = state.contentName;

    // The pupils and their order are those of the selection screen's list, of
    // the pupils on the roster now (status 0) only, whatever the screen shows.
    RosterListSettings settings;
    settings.group = request.group;
    settings.schoolYearStartMonth = state.schoolYearStartMonth;
    settings.includeStatusTwo = 0;
    settings.today = request.today;
    RosterList list;
    if (Failed(env, BuildRosterList(*school.roster, state.paths.rosterFile(), settings,
                                    *school.results, list)))
        return 1;

    const ClassReport report = BuildClassReport(request, ListedPupils(list), *school.roster,
                                                *school.results, school.criteria, state.catalog);
    if (Failed(env, type == QStringLiteral("pdf") ? WriteClassReportPdf(report, out)
                                                  : WriteClassReportCsv(report, out)))
        return 1;
    env.out << QDir::toNativeSeparators(out) << '\n';
    return 0;
}

} // namespace baisuu
