#pragma once
// The 苦手な数 pages, computed without widgets: for one pupil and the chosen
// levels, a grid of every number each divisor of the level asks, coloured by
// the share of wrong answers, the slowest numbers marked, and beside each grid
// its most-missed numbers. The chart panel and `baisuu-cli mistakes-chart`
// show these answers; weak_numbers_page.h draws them.

#include "core/level_catalog.h"
#include "drill/problem_source.h"
#include "records/criteria_table.h"
#include "records/mistakes.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace baisuu {

// The period the view looks at: everything, or the last 30 days.
constexpr int kWeakNumbersRecentDays = 30;

// A cell's colour step by its share of wrong answers: none, up to a quarter,
// up to a half, more than a half. kNotShown: the number was never asked.
enum class MissStep { NotShown, None, Few, Some, Many };
MissStep MissStepOf(int shown, int wrong);
// The legend's words for the steps None..Many, in order.
QStringList MissStepLabels();

struct WeakCell {
    qint32 number = 0;
    int shown = 0;
    int wrong = 0;
    qint32 medianMs = 0;
    MissStep step = MissStep::NotShown;
    bool slow = false; // among the slowest fifth of the pupil's answers on the level
};

// The teacher's list of a grid's weak numbers stands this many to a line, at
// most kLastPractisedShown of them, the last place telling how many more there are.
constexpr int kLastPractisedAcross = 3;
constexpr int kLastPractisedShown = 9;

// One grid (one divisor of a level) with its figures and its most-missed lines.
// weakCount: how many weak numbers the whole level has, the same on every grid
// of the level; the pupil's own page offers 苦手を練習 where it is above 0.
// lastPractised, on the teacher's view only: the grid's weak numbers in
// most-missed order, each with the day it was last practised, "91　2026/12/05"
// or "91　練習なし", then "ほか 5個" past kLastPractisedShown; empty when the
// grid has none.
struct WeakSection {
    int level = 0;
    QString title; // "7. レベル名", with the grid's name when the level has several
    QString figures; // "解答 240回（うち練習 30回）　まちがい 12回　中央 1.8秒", or that
                     // there are none; the practice part only when some answers were practice
    QList<WeakCell> cells;  // first..last of the grid, ten to a row
    QStringList mostMissed; // "91　まちがい 3回 / 4回　中央 2.4秒", at most ten
    QString levelFigures;   // the whole level's figures, for a level of several grids
    int weakCount = 0;
    QStringList lastPractised;
    int rows() const { return int((cells.size() + 9) / 10); }
    int lastPractisedRows() const {
        return int((lastPractised.size() + kLastPractisedAcross - 1) / kLastPractisedAcross);
    }
};

struct WeakPage {
    QList<WeakSection> sections;
};

struct WeakNumbersRequest {
    int pupil = 0;
    QString pupilName; // trimmed
    QString grade;     // the grade label
    QDate today;
    int days = 0;            // 0: every answer; else the last `days` days up to today
    QList<int> levels;       // in the level list's order
    int unreadableLines = 0; // of the pupil's answers file, told on the pages
    // Per level (the index), the fluent time the weak numbers are judged by;
    // a level past its end or at 0 has no weak numbers.
    QList<qint32> fluentMs;
    bool forTeacher = false; // the teacher's view: when each weak number was last practised
};

// The fluent time of every level, from the criteria's target times.
QList<qint32> FluentTimes(const CriteriaTable& criteria);

// One pupil's pages: a document of its own when printed.
struct WeakNumbersDocument {
    int pupil = 0;
    QString pupilName;
    QString grade;
    QDate today;
    QString period; // "全期間", or "最近30日（2026/11/10〜2026/12/09）"
    QString notice; // that the answers file is damaged, or empty
    QList<WeakPage> pages;
};

// answers: the pupil's answers file as read. Levels without a rule keep no
// place; a level without answers shows its grid blank.
WeakNumbersDocument BuildWeakNumbersDocument(const WeakNumbersRequest& request,
                                             const QList<Answer>& answers,
                                             const LevelCatalog& catalog,
                                             const ProblemSource& problems);

// The page's parts, in thousandths of its height, for the layout and the drawing alike.
constexpr double kWeakHeader = 56;     // the name, the date and the period
constexpr double kWeakLegend = 52;     // the colour legend at the foot
constexpr double kWeakTitle = 34;      // a section's title strip
constexpr double kWeakRow = 30;        // a grid row
constexpr double kWeakLine = 27;       // a line beside the grid
constexpr double kWeakSectionPad = 10; // inside a section's frame, top and bottom
constexpr double kWeakSectionGap = 14; // between sections
// A section's height: its title, its grid or its side lines, whichever is taller.
double WeakSectionHeight(const WeakSection& section);

} // namespace baisuu
