// `mistakes`: which numbers a pupil, or a grade group together, gets wrong,
// from the answers files; `mistakes-chart`: the 苦手な数 pages of pupils, as
// the hub prints them; and `check`'s look at those files.

#include "cli/cli.h"

#include "drill/problem_source.h"
#include "records/mistakes.h"
#include "reports/charts.h"
#include "reports/class_report.h"
#include "reports/weak_numbers_page.h"
#include "roster/roster_lines.h"

#include <QDir>
#include <QGuiApplication>

#include <algorithm>

namespace baisuu {

namespace {

constexpr int kMostDays = 36500;

// The pupils of the group as the selection screen lists them at --now (the
// pupils on the roster now, status 0); nullopt when told why not.
std::optional<QList<int>> groupPupils(CliEnv& env, const QString& group) {
    HubSchool school;
    if (LoadHubSchool(env, school)) return std::nullopt;
    RosterListSettings settings;
    settings.group = group;
    settings.schoolYearStartMonth = school.state.schoolYearStartMonth;
    settings.includeStatusTwo = 0;
    settings.today = school.now.date();
    RosterList list;
    if (Failed(env, BuildRosterList(*school.roster, school.state.paths.rosterFile(), settings,
                                    *school.results, list)))
        return std::nullopt;
    return ListedPupils(list);
}

// The options; 0, or the exit code of a refusal (told).
int readOptions(CliEnv& env, const Hensuu1& state, MistakesFilter* filter, qint64* pupil,
                QString* group) {
    const bool byPupil = env.args.contains(QStringLiteral("--pupil"));
    if (byPupil && env.args.contains(QStringLiteral("--group")))
        return BadOption(env, QStringLiteral("--pupil と --group はどちらか一つだけを"
                                             "指定してください。"));
    if (byPupil && !IntOption(env, QStringLiteral("--pupil"), 0, kHighestPupil, pupil)) return 2;
    if (!byPupil && !GroupOption(env, group)) return 2;
    qint64 v = 0;
    if (env.args.contains(QStringLiteral("--level"))) {
        if (!IntOption(env, QStringLiteral("--level"), 1, state.catalog.levelCount, &v)) return 2;
        filter->level = int(v);
    }
    if (env.args.contains(QStringLiteral("--days"))) {
        if (!IntOption(env, QStringLiteral("--days"), 1, kMostDays, &v)) return 2;
        filter->days = int(v);
    }
    filter->today = env.clock->now().date();
    return 0;
}

} // namespace

int CmdMistakes(CliEnv& env) {
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    MistakesFilter filter;
    qint64 pupil = 0;
    QString group;
    if (const int code = readOptions(env, state, &filter, &pupil, &group)) return code;
    QList<int> pupils{int(pupil)};
    if (!group.isEmpty()) { // a group, not one pupil
        const auto members = groupPupils(env, group);
        if (!members) return 1;
        pupils = *members;
    }
    MistakesTally tally(filter);
    for (const int p : pupils) {
        AnswersRead read;
        if (Failed(env, ReadAnswers(AnswersFilePath(state.paths.dataFolder, p), &read))) return 1;
        tally.add(read.answers);
    }
    env.out << QString::fromLatin1(MistakesJson(tally.result())) << Qt::endl;
    return 0;
}

int CmdMistakesChart(CliEnv& env) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return BadOption(env,
                         QStringLiteral("mistakes-chart は描画のできる起動でしか使えません。"));
    const QString out = env.option(QStringLiteral("--out"));
    if (out.isEmpty())
        return BadOption(env, QStringLiteral("--out に書き出すPDFファイルを指定してください。"));
    QList<int> pupils;
    if (!NumberList(env, QStringLiteral("--pupil"), 0, kHighestPupil, &pupils)) return 2;
    WeakNumbersRequest request;
    if (env.args.contains(QStringLiteral("--days"))) {
        qint64 days = 0;
        if (!IntOption(env, QStringLiteral("--days"), 1, kMostDays, &days)) return 2;
        request.days = int(days);
    }
    HubSchool school;
    if (const int code = LoadHubSchool(env, school)) return code;
    if (!NumberList(env, QStringLiteral("--levels"), 1, school.state.catalog.levelCount,
                    &request.levels))
        return 2;
    request.today = school.now.date();
    request.fluentMs = FluentTimes(school.criteria);
    request.forTeacher = true; // the teacher's tool
    const MultiplesProblemSource problems;
    QList<PagedDocument> docs;
    for (const int pupil : pupils) {
        AnswersRead read;
        if (Failed(env, ReadAnswers(AnswersFilePath(school.state.paths.dataFolder, pupil), &read)))
            return 1;
        const PupilHeading heading = HeadingOf(*school.roster, pupil, school.schoolYear);
        request.pupil = pupil;
        request.pupilName = heading.name;
        request.grade = heading.grade;
        request.unreadableLines = read.skippedLines;
        docs.append(PagedWeakNumbers(
            BuildWeakNumbersDocument(request, read.answers, school.state.catalog, problems)));
    }
    QStringList written;
    if (Failed(env, WritePdfs(docs, out, &written))) return 1;
    for (const QString& file : written)
        env.out << file << '\n';
    return 0;
}

namespace {

// Whether the drill can have asked the answer's problem: its level has a rule
// and one of the level's grids holds the divisor and the number.
bool canBeAsked(const ProblemSource& problems, const Answer& a) {
    const QList<NumberGrid> grids = problems.gridsOf(a.level);
    return std::any_of(grids.begin(), grids.end(), [&a](const NumberGrid& g) {
        return g.divisor == a.divisor && a.number >= g.first && a.number <= g.last;
    });
}

} // namespace

void CheckAnswersFiles(const Hensuu1& state, QList<FileError>& problems) {
    const QDir folder(AnswersFolder(state.paths.dataFolder));
    const QStringList names = folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    const MultiplesProblemSource asked;
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        int bad = 0; // the first kToldLines are told, the rest counted
        const auto tell = [&](int line, const QString& why) {
            if (++bad <= kToldLines) problems.append({path, line, why});
        };
        const auto take = [&](const Answer& a, int line) {
            if (!canBeAsked(asked, a))
                tell(line,
                     QStringLiteral("ドリルが出さない問題の解答です（レベル%1、倍数%2、数%3）。")
                         .arg(a.level)
                         .arg(a.divisor)
                         .arg(a.number));
        };
        if (auto error = ScanAnswers(path, take, tell)) problems.append(*error);
        if (bad > kToldLines)
            problems.append({path, 0,
                             QStringLiteral("ほかに%1行、読めない行かドリルが出さない問題の行が"
                                            "あります。")
                                 .arg(bad - kToldLines)});
    }
}

} // namespace baisuu
