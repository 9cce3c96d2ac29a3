#include "selection/name_selection.h"

#include "core/dates.h"

#include <QDir>
#include <QFileInfo>

namespace baisuu {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kProblemsTold = 5; // skipped roster lines named one by one; the rest are counted

QString skippedRecordsText(const QList<FileError>& problems) {
    QStringList lines = {
        QStringLiteral("名簿に読めない行がありました。先生は名簿を直してください。")};
    for (qsizetype i = 0; i < problems.size() && i < kProblemsTold; ++i)
        lines << problems[i].text();
    if (problems.size() > kProblemsTold)
        lines << QStringLiteral("ほかに %1 行あります。").arg(problems.size() - kProblemsTold);
    return lines.join(kCrLf);
}

bool isPupilLine(const RosterList& list, int row) {
    return row >= 1 && row < list.visible.size();
}

// Label2: the number hidden behind the line (the number list runs one behind
// the visible list, which begins with the header).
int numberBehind(const RosterList& list, int row) {
    return row - 1 < list.numbers.size() ? NumberOfListLine(list.numbers[row - 1]) : -1;
}

} // namespace

SelectionList BuildSelectionList(AppContext& ctx, int displayMode, const QString& group) {
    const Hensuu1& s = ctx.hensuu1;
    const QDateTime now = ctx.clock.now();
    SelectionList out;
    QStringList problems;
    if (auto error = ComputeLevelStats(ctx.results, ctx.criteria, s.paths.resultsLogFile(), now,
                                       ctx.coveredWait()))
        problems << QStringLiteral("成績を読めないので、回数とポイントは 0 と表示されます。"
                                   "先生を呼んでください。") +
                        kCrLf + error->text();

    RosterListSettings settings;
    settings.displayMode = displayMode;
    settings.group = group;
    settings.schoolYearStartMonth = s.schoolYearStartMonth;
    settings.includeStatusTwo = s.includeStatusTwo;
    settings.today = now.date();
    if (auto error =
            BuildRosterList(ctx.roster, s.paths.rosterFile(), settings, ctx.results, out.lines))
        problems << QStringLiteral("名簿を読めないので、名前を選べません。先生を呼んでください。") +
                        kCrLf + error->text();
    else if (!ctx.roster.problems.isEmpty())
        problems << skippedRecordsText(ctx.roster.problems);
    out.problem = problems.join(kCrLf + kCrLf);
    return out;
}

NameChoice ClickedName(const RosterList& list, int row) {
    if (!isPupilLine(list, row)) return {};
    return {list.visible[row].trimmed().left(10).trimmed(), numberBehind(list, row)};
}

NameChoice DoubleClickedName(const RosterList& list, int row) {
    if (!isPupilLine(list, row)) return {};
    return {list.visible[row].section(QLatin1Char('/'), 0, 0).trimmed(), numberBehind(list, row)};
}

bool ConfirmName(AppContext& ctx, const NameChoice& choice, const QString& group) {
    if (choice.nameLine.isEmpty() || choice.nameLine == QString::fromUtf16(kChooseNamePrompt))
        return false;
    // A name without a number behind it would sign in a pupil nobody chose.
    if (choice.number < 0 || choice.number >= kPupilSlots) return false;
    Hensuu1& s = ctx.hensuu1;
    s.pupilStartTime = SecondsSinceMidnight(ctx.clock.now().time());
    s.currentPupil = qint16(choice.number);
    s.pupilName = ctx.roster.pupilNames[size_t(choice.number)];
    s.pupilGrade = ctx.roster.pupilGradeLabels[size_t(choice.number)];
    s.selectedGroup = group;
    BuildLevelCatalog(s.catalog);
    return true;
}

ProgramMenu ProgramMenuFor(const QString& programDir, bool developmentLayout) {
    if (developmentLayout)
        return {QFileInfo(programDir + QStringLiteral("/../../起動/起動/プログラムメニュー.exe"))
                    .absoluteFilePath(),
                {}};
    return {QFileInfo(programDir + QStringLiteral("/../起動/プログラムメニューc.exe"))
                .absoluteFilePath(),
            {QStringLiteral("001")}};
}

void LeaveToProgramMenu(AppContext& ctx) {
    const ProgramMenu menu =
        ProgramMenuFor(ctx.hensuu1.paths.appDir, ctx.hensuu1.developmentLayout == 1);
    const QString title = QStringLiteral("プログラムメニュー");
    const QString where = QDir::toNativeSeparators(menu.program);
    if (!QFileInfo(menu.program).isFile())
        ctx.navigator.message(title, QStringLiteral("プログラムメニューが見つかりません。") +
                                         kCrLf + where + kCrLf +
                                         QStringLiteral("このプログラムは終わります。"));
    else if (!ctx.launcher.start(menu.program, menu.arguments))
        ctx.navigator.message(title, QStringLiteral("プログラムメニューを起動できませんでした。") +
                                         kCrLf + where + kCrLf +
                                         QStringLiteral("このプログラムは終わります。"));
    ctx.navigator.quit(0);
}

} // namespace baisuu
