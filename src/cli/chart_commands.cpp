// A pupil's history from the same model the hub's charts show: `own-runs`
// (the own-runs lists of every level) and `chart` (the printed chart pages,
// one PDF document per pupil).

#include "cli/cli.h"

#include "core/dates.h"
#include "hub/chart_panel.h"
#include "hub/hub_model.h"
#include "hub/result_lists.h"
#include "reports/chart_page.h"
#include "roster/grades.h"

#include <QGuiApplication>

#include <limits>
#include <memory>

namespace baisuu {

bool NumberList(CliEnv& env, const QString& name, int low, int high, QList<int>* out) {
    const QString value = env.option(name);
    const QStringList items = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (items.isEmpty()) {
        env.err << QStringLiteral("%1 に %2〜%3 の数をカンマで区切って指定してください。")
                       .arg(name)
                       .arg(low)
                       .arg(high)
                << Qt::endl;
        return false;
    }
    for (const QString& item : items) {
        bool ok = false;
        const int n = item.trimmed().toInt(&ok);
        if (!ok || n < low || n > high) {
            env.err << QStringLiteral("%1 の値は %2〜%3 の数にしてください: %4")
                           .arg(name)
                           .arg(low)
                           .arg(high)
                           .arg(item)
                    << Qt::endl;
            return false;
        }
        out->append(n);
    }
    return true;
}

namespace {

// The hub's view of the installation and the log's last records.
struct School : HubSchool {
    QList<RecordNumbers> records;
};

int loadSchool(CliEnv& env, School& school, qint64 records) {
    if (const int code = LoadHubSchool(env, school)) return code;
    if (Failed(env, ReadLastRecords(school.state.paths.resultsLogFile(), records, &school.records)))
        return 1;
    return 0;
}

// --group and --pupil as the charts take them; 0 when they are good.
int historyOptions(CliEnv& env, HistoryRequest& request) {
    return GroupOption(env, &request.group) ? 0 : 2;
}

} // namespace

int CmdOwnRuns(CliEnv& env) {
    HistoryRequest request;
    qint64 pupil = 0;
    if (!IntOption(env, QStringLiteral("--pupil"), 0, kHighestPupil, &pupil)) return 2;
    request.pupil = int(pupil);
    if (const int code = historyOptions(env, request)) return code;
    School school;
    if (const int code = loadSchool(env, school, kOwnRunsRecords)) return code;
    request.today = school.now.date();
    request.schoolYear = school.schoolYear;
    request.levelCount = school.state.catalog.levelCount;
    const std::vector<QStringList> lines = OwnRunLines(school.records, request, *school.roster);
    for (int level = 1; level < int(lines.size()); ++level) {
        env.out << "# level " << level << '\n';
        for (const QString& line : lines[size_t(level)])
            env.out << line << '\n';
    }
    return 0;
}

int CmdChart(CliEnv& env) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return BadOption(env, QStringLiteral("chart は描画のできる起動でしか使えません。"));
    const QString out = env.option(QStringLiteral("--out"));
    if (out.isEmpty())
        return BadOption(env, QStringLiteral("--out に書き出すPDFファイルを指定してください。"));
    QList<int> pupils;
    if (!NumberList(env, QStringLiteral("--pupil"), 0, kHighestPupil, &pupils)) return 2;
    ChartRequest request;
    if (const int code = historyOptions(env, request)) return code;
    School school;
    // The bands look back ten years over the whole log.
    if (const int code = loadSchool(env, school, std::numeric_limits<qint64>::max())) return code;
    if (!NumberList(env, QStringLiteral("--levels"), 1, school.state.catalog.levelCount,
                    &request.levels))
        return 2;
    request.today = school.now.date();
    request.schoolYear = school.schoolYear;
    request.levelCount = school.state.catalog.levelCount;
    request.contentName = school.state.contentName;

    QList<ChartDocument> docs;
    for (int pupil : pupils) {
        request.pupil = pupil;
        docs.append(BuildChartDocument(request, school.records, *school.results, *school.roster,
                                       school.criteria, school.state.catalog));
    }
    QStringList written;
    if (Failed(env, WriteChartPdfs(docs, out, &written))) return 1;
    for (const QString& file : written)
        env.out << file << '\n';
    return 0;
}

std::unique_ptr<QCoreApplication> MakeCliApplication(int& argc, char** argv) {
    // The command is the first argument that is no "--name value" pair.
    int i = 1;
    while (i < argc && QByteArray(argv[i]).startsWith("--"))
        i += 2;
    const QByteArray command = i < argc ? QByteArray(argv[i]) : QByteArray();
    if (command == "chart" || command == "class-report" || command == "mistakes-chart" ||
        command == "chain-report") {
        // Drawing needs fonts, and fonts need a platform: one without a display.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace baisuu
