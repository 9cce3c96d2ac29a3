#include "reports/weak_numbers.h"

#include "core/dates.h"
#include "drill/practice_source.h"
#include "records/weak_set.h"
#include "reports/paged_document.h"

#include <QHash>

#include <algorithm>

namespace baisuu {

namespace {

constexpr int kMostMissedLines = 10;

// The practice answers are among the answers; the words say how many only
// when there were some, so a pupil who never practised sees the figures as before.
QString figuresText(int answers, int wrong, qint32 medianMs, int practice) {
    if (answers == 0) return QStringLiteral("まだ解答がありません");
    const QString practised =
        practice > 0 ? QStringLiteral("（うち練習 %1回）").arg(practice) : QString();
    return QStringLiteral("解答 %1回%2　まちがい %3回　中央 %4")
        .arg(answers)
        .arg(practised)
        .arg(wrong)
        .arg(SecondsText(medianMs));
}

// The grid's figures from its numbers' tallies: the median over every answer
// is not the median of the medians, so the level's answers are tallied again
// with the grid's divisor alone when the level has several grids.
struct GridFigures {
    int answers = 0;
    int wrong = 0;
    qint32 medianMs = 0;
    int practice = 0;
};

GridFigures gridFigures(const QList<Answer>& answers, const MistakesFilter& filter, int level,
                        int divisor) {
    GridFigures f;
    std::vector<qint32> times;
    for (const Answer& a : answers)
        if (a.level == level && a.divisor == divisor && filter.takes(a)) {
            times.push_back(a.ms);
            if (!a.correct) ++f.wrong;
            if (a.practice) ++f.practice;
        }
    f.answers = int(times.size());
    f.medianMs = LowerMedian(times);
    return f;
}

WeakSection buildSection(const LevelTally& tally, const NumberGrid& grid, bool severalGrids) {
    WeakSection s;
    s.level = tally.level;
    QHash<qint64, const NumberTally*> byNumber;
    for (const NumberTally& n : tally.numbers)
        if (n.divisor == grid.divisor) byNumber.insert(NumberKey(n.divisor, n.number), &n);
    for (qint32 number = grid.first; number <= grid.last; ++number) {
        WeakCell cell;
        cell.number = number;
        if (const NumberTally* n = byNumber.value(NumberKey(grid.divisor, number))) {
            cell.shown = n->shown;
            cell.wrong = n->wrong;
            cell.medianMs = n->medianMs;
            cell.slow = IsSlowNumber(tally, n->medianMs);
        }
        cell.step = MissStepOf(cell.shown, cell.wrong);
        s.cells.append(cell);
    }
    // tally.numbers is in most-missed order already.
    for (const NumberTally& n : tally.numbers) {
        if (s.mostMissed.size() == kMostMissedLines) break;
        if (n.divisor != grid.divisor || n.wrong == 0) continue;
        s.mostMissed.append(QStringLiteral("%1　まちがい %2回 / %3回　中央 %4")
                                .arg(n.number)
                                .arg(n.wrong)
                                .arg(n.shown)
                                .arg(SecondsText(n.medianMs)));
    }
    if (severalGrids)
        s.levelFigures = figuresText(tally.answers, tally.wrong, tally.medianMs, tally.practice);
    return s;
}

// The whole answers file, whatever period the view looks at: the practice run
// draws from the same weak numbers.
WeakSet weakSetOf(const WeakNumbersRequest& request, const QList<Answer>& answers,
                  const ProblemSource& problems, int level) {
    const qint32 fluentMs =
        level >= 0 && level < request.fluentMs.size() ? request.fluentMs[level] : 0;
    if (fluentMs <= 0) return WeakSet{};
    return ComputeWeakSet(answers, level, FieldOf(problems, level), fluentMs);
}

// The day of each number's latest practice answer on the level.
QHash<qint64, QDate> lastPracticeDays(const QList<Answer>& answers, int level) {
    QHash<qint64, QDate> days;
    for (const Answer& a : answers)
        if (a.practice && a.level == level) {
            QDate& day = days[NumberKey(a.divisor, a.number)];
            if (!day.isValid() || a.date > day) day = a.date;
        }
    return days;
}

QStringList lastPractisedLines(const WeakSet& weak, int divisor,
                               const QHash<qint64, QDate>& practised) {
    QStringList lines;
    for (const WeakNumber& w : weak.numbers) {
        if (w.tally.divisor != divisor) continue;
        const QDate day = practised.value(NumberKey(divisor, w.tally.number));
        lines.append(QStringLiteral("%1　%2")
                         .arg(w.tally.number)
                         .arg(day.isValid() ? DateText(day) : QStringLiteral("練習なし")));
    }
    if (lines.size() > kLastPractisedShown) {
        const qsizetype more = lines.size() - (kLastPractisedShown - 1);
        lines.resize(kLastPractisedShown - 1);
        lines.append(QStringLiteral("ほか %1個").arg(more));
    }
    return lines;
}

// Sections go down the page in order; one that does not fit starts a new page.
QList<WeakPage> placeSections(const QList<WeakSection>& sections) {
    QList<WeakPage> pages;
    const double room = kPageUnits - kWeakHeader - kWeakLegend;
    double used = room;
    for (const WeakSection& s : sections) {
        const double h = WeakSectionHeight(s);
        if (used > 0 && used + kWeakSectionGap + h > room) {
            pages.append(WeakPage{});
            used = 0;
        }
        used += (used > 0 ? kWeakSectionGap : 0) + h;
        pages.last().sections.append(s);
    }
    return pages;
}

} // namespace

MissStep MissStepOf(int shown, int wrong) {
    if (shown <= 0) return MissStep::NotShown;
    if (wrong <= 0) return MissStep::None;
    if (4 * wrong <= shown) return MissStep::Few;
    if (2 * wrong <= shown) return MissStep::Some;
    return MissStep::Many;
}

QStringList MissStepLabels() {
    return {QStringLiteral("なし"), QStringLiteral("4回に1回まで"), QStringLiteral("2回に1回まで"),
            QStringLiteral("2回に1回より多い")};
}

QList<qint32> FluentTimes(const CriteriaTable& criteria) {
    QList<qint32> out;
    for (const LevelCriteria& c : criteria.levels)
        out.append(FluentMs(c.targetTime));
    return out;
}

double WeakSectionHeight(const WeakSection& section) {
    // The heading, the lines (or that there are none), the level's figures under a heading of their
    // own, and the teacher's list of weak numbers under its heading.
    const qsizetype side = 1 + std::max<qsizetype>(section.mostMissed.size(), 1) +
                           (section.levelFigures.isEmpty() ? 0 : 2) +
                           (section.lastPractised.isEmpty() ? 0 : 1 + section.lastPractisedRows());
    return kWeakTitle + 2 * kWeakSectionPad +
           std::max(section.rows() * kWeakRow, double(side) * kWeakLine);
}

WeakNumbersDocument BuildWeakNumbersDocument(const WeakNumbersRequest& request,
                                             const QList<Answer>& answers,
                                             const LevelCatalog& catalog,
                                             const ProblemSource& problems) {
    WeakNumbersDocument doc;
    doc.pupil = request.pupil;
    doc.pupilName = request.pupilName;
    doc.grade = request.grade;
    doc.today = request.today;
    doc.period = PeriodText(request.days, request.today);
    // Lines left out would make the figures look whole: the pages say so.
    if (request.unreadableLines > 0)
        doc.notice =
            QStringLiteral("解答記録の一部が読めません（%1行）").arg(request.unreadableLines);
    MistakesFilter filter;
    filter.days = std::max(0, request.days);
    filter.today = request.today;
    MistakesTally tally(filter);
    tally.add(answers);
    const Mistakes mistakes = tally.result();

    QList<WeakSection> sections;
    for (const int level : request.levels) {
        const QList<NumberGrid> grids = problems.gridsOf(level);
        LevelTally levelTally;
        levelTally.level = level;
        for (const LevelTally& lt : mistakes.levels)
            if (lt.level == level) levelTally = lt;
        const QString name = level >= 0 && level < int(catalog.levelNames.size())
                                 ? catalog.levelNames[size_t(level)].trimmed()
                                 : QString();
        const WeakSet weak = weakSetOf(request, answers, problems, level);
        const QHash<qint64, QDate> practised =
            request.forTeacher ? lastPracticeDays(answers, level) : QHash<qint64, QDate>{};
        for (const NumberGrid& grid : grids) {
            const bool several = grids.size() > 1;
            WeakSection s = buildSection(levelTally, grid, several);
            s.weakCount = int(weak.numbers.size());
            if (request.forTeacher)
                s.lastPractised = lastPractisedLines(weak, grid.divisor, practised);
            s.title = QStringLiteral("%1. %2").arg(level).arg(name);
            if (several) s.title += QStringLiteral("　") + grid.name;
            const GridFigures f = several ? gridFigures(answers, filter, level, grid.divisor)
                                          : GridFigures{levelTally.answers, levelTally.wrong,
                                                        levelTally.medianMs, levelTally.practice};
            s.figures = figuresText(f.answers, f.wrong, f.medianMs, f.practice);
            sections.append(s);
        }
    }
    doc.pages = placeSections(sections);
    return doc;
}

} // namespace baisuu
