// The 苦手な数 pages: which numbers each grid shows, the colour steps, the
// slow marks, the most-missed lines and the period, over answers built by
// hand; and the page as drawn, on the screen's picture and on an A4 sheet.

#include "core/level_catalog.h"
#include "page_recorder.h"
#include "reports/weak_numbers_page.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

const QDate kToday(2026, 12, 9);

Answer answer(int level, int divisor, qint32 number, bool correct, qint32 ms, QDate date = kToday) {
    return Answer{date, 15 * 3600, level, divisor, number, correct ? 1 : 3, correct, ms};
}

// shown answers of number, wrong of them wrong, each taking ms.
void add(QList<Answer>& out, int level, int divisor, qint32 number, int shown, int wrong,
         qint32 ms) {
    for (int k = 0; k < shown; ++k)
        out.append(answer(level, divisor, number, k >= wrong, ms));
}

LevelCatalog catalog() {
    LevelCatalog c;
    BuildLevelCatalog(c);
    return c;
}

// Every level's target time 20 seconds: a fluent answer takes at most one second.
WeakNumbersDocument build(const QList<Answer>& answers, QList<int> levels, int days = 0,
                          bool forTeacher = false, qint32 targetSeconds = 20) {
    WeakNumbersRequest r;
    CriteriaTable criteria;
    for (LevelCriteria& c : criteria.levels)
        c.targetTime = targetSeconds;
    r.fluentMs = FluentTimes(criteria);
    r.forTeacher = forTeacher;
    r.pupil = 7;
    r.pupilName = QStringLiteral("山田　花子");
    r.grade = QStringLiteral("小３");
    r.today = kToday;
    r.days = days;
    r.levels = std::move(levels);
    return BuildWeakNumbersDocument(r, answers, catalog(), MultiplesProblemSource{});
}

QList<WeakSection> sections(const WeakNumbersDocument& doc) {
    QList<WeakSection> out;
    for (const WeakPage& page : doc.pages)
        out += page.sections;
    return out;
}

const WeakCell& cell(const WeakSection& s, qint32 number) {
    for (const WeakCell& c : s.cells)
        if (c.number == number) return c;
    static const WeakCell none{-1};
    return none;
}

} // namespace

TEST(WeakNumbers, EveryLevelShowsEveryNumberItAsksAndNothingElse) {
    const WeakNumbersDocument doc = build({}, {1, 2, 7, 11});
    const QList<WeakSection> all = sections(doc);
    ASSERT_EQ(all.size(), 3 + 10); // level 11: one grid per divisor
    const auto range = [](const WeakSection& s) {
        return std::pair(s.cells.first().number, s.cells.last().number);
    };
    EXPECT_EQ(range(all[0]), std::pair(0, 9));
    EXPECT_EQ(all[0].rows(), 1);
    EXPECT_EQ(range(all[1]), std::pair(10, 99));
    EXPECT_EQ(all[1].rows(), 9);
    EXPECT_EQ(range(all[2]), std::pair(1, 110));
    EXPECT_EQ(all[2].rows(), 11);
    for (int n = 1; n <= 10; ++n) {
        const WeakSection& s = all[2 + n];
        EXPECT_EQ(s.level, 11);
        EXPECT_EQ(range(s), n == 1   ? std::pair(0, 9)
                            : n == 2 ? std::pair(10, 99)
                                     : std::pair(1, 110));
        EXPECT_TRUE(s.title.startsWith(QStringLiteral("11. "))) << s.title.toStdString();
        EXPECT_FALSE(s.levelFigures.isEmpty());
    }
    EXPECT_TRUE(all[2 + 7].title.endsWith(QStringLiteral("7の倍数か")));
    EXPECT_TRUE(all[2].title.startsWith(QStringLiteral("7. ")));
    EXPECT_TRUE(all[2].levelFigures.isEmpty()); // one grid: its figures are the level's
    for (const WeakSection& s : all) {
        EXPECT_EQ(s.figures, QStringLiteral("まだ解答がありません"));
        EXPECT_TRUE(s.mostMissed.isEmpty());
        for (const WeakCell& c : s.cells)
            EXPECT_EQ(c.step, MissStep::NotShown);
    }
    // The sections fill the pages in order and never run into the legend.
    const double room = 1000 - kWeakHeader - kWeakLegend;
    for (const WeakPage& page : doc.pages) {
        double used = -kWeakSectionGap;
        for (const WeakSection& s : page.sections)
            used += kWeakSectionGap + WeakSectionHeight(s);
        EXPECT_LE(used, room);
    }
    EXPECT_TRUE(build({}, {12}).pages.isEmpty()); // no rule, no grid
}

TEST(WeakNumbers, CellsTakeTheStepOfTheirShareOfWrongAnswersAndTheSlowestAreMarked) {
    EXPECT_EQ(MissStepOf(0, 0), MissStep::NotShown);
    EXPECT_EQ(MissStepOf(4, 0), MissStep::None);
    EXPECT_EQ(MissStepOf(4, 1), MissStep::Few);
    EXPECT_EQ(MissStepOf(5, 2), MissStep::Some);
    EXPECT_EQ(MissStepOf(4, 2), MissStep::Some);
    EXPECT_EQ(MissStepOf(4, 3), MissStep::Many);
    EXPECT_EQ(MissStepOf(1, 1), MissStep::Many);

    QList<Answer> answers;
    add(answers, 7, 7, 14, 4, 0, 500);
    add(answers, 7, 7, 91, 4, 3, 3000); // the four slowest of sixteen: the slowest fifth
    add(answers, 7, 7, 20, 4, 1, 900);
    add(answers, 7, 7, 50, 4, 2, 1000);
    const WeakSection s = sections(build(answers, {7})).first();
    EXPECT_EQ(cell(s, 14).step, MissStep::None);
    EXPECT_EQ(cell(s, 20).step, MissStep::Few);
    EXPECT_EQ(cell(s, 50).step, MissStep::Some);
    EXPECT_EQ(cell(s, 91).step, MissStep::Many);
    EXPECT_EQ(cell(s, 13).step, MissStep::NotShown);
    EXPECT_TRUE(cell(s, 91).slow);
    for (qint32 n : {14, 20, 50})
        EXPECT_FALSE(cell(s, n).slow) << n;
    EXPECT_EQ(s.figures, QStringLiteral("解答 16回　まちがい 6回　中央 0.9秒"));

    // Every answer as slow as the others: none stands out.
    QList<Answer> even;
    for (qint32 n = 1; n <= 20; ++n)
        add(even, 3, 3, n, 2, 0, 800);
    const WeakSection evenSection = sections(build(even, {3})).first();
    for (const WeakCell& c : evenSection.cells)
        EXPECT_FALSE(c.slow) << c.number;
}

TEST(WeakNumbers, BesideAGridStandItsTenMostMissedNumbers) {
    QList<Answer> answers;
    for (qint32 n = 1; n <= 12; ++n)
        add(answers, 7, 7, 7 * n, 6, n <= 6 ? 1 : 2, 1000 + 100 * n);
    add(answers, 7, 7, 5, 3, 0, 9000); // slow but never wrong: not listed
    const WeakSection s = sections(build(answers, {7})).first();
    ASSERT_EQ(s.mostMissed.size(), 10);
    // Most wrong first, the slower first among equals.
    EXPECT_EQ(s.mostMissed[0], QStringLiteral("84　まちがい 2回 / 6回　中央 2.2秒"));
    EXPECT_EQ(s.mostMissed[5], QStringLiteral("49　まちがい 2回 / 6回　中央 1.7秒"));
    EXPECT_EQ(s.mostMissed[6], QStringLiteral("42　まちがい 1回 / 6回　中央 1.6秒"));
    EXPECT_EQ(s.mostMissed[9], QStringLiteral("21　まちがい 1回 / 6回　中央 1.3秒"));

    // Level 11: each grid lists its own divisor's numbers, with its own
    // figures, and the whole level's beside them.
    QList<Answer> mixed;
    add(mixed, 11, 7, 91, 2, 2, 2000);
    add(mixed, 11, 3, 51, 3, 1, 1500);
    mixed.last().practice = true; // counted, and told where there was practice
    add(mixed, 11, 3, 9, 2, 0, 400);
    const QList<WeakSection> grids = sections(build(mixed, {11}));
    const WeakSection& three = grids[2];
    const WeakSection& seven = grids[6];
    EXPECT_EQ(three.mostMissed, QStringList{QStringLiteral("51　まちがい 1回 / 3回　中央 1.5秒")});
    EXPECT_EQ(three.figures, QStringLiteral("解答 5回（うち練習 1回）　まちがい 1回　中央 1.5秒"));
    EXPECT_EQ(seven.mostMissed, QStringList{QStringLiteral("91　まちがい 2回 / 2回　中央 2.0秒")});
    EXPECT_EQ(seven.figures, QStringLiteral("解答 2回　まちがい 2回　中央 2.0秒"));
    EXPECT_EQ(seven.levelFigures,
              QStringLiteral("解答 7回（うち練習 1回）　まちがい 3回　中央 1.5秒"));
    EXPECT_EQ(cell(seven, 91).step, MissStep::Many);
    EXPECT_EQ(cell(three, 91).step, MissStep::NotShown);
}

TEST(WeakNumbers, TheLastThirtyDaysLeaveOlderAnswersOut) {
    QList<Answer> answers{answer(3, 3, 51, false, 2000, kToday.addDays(-30)),
                          answer(3, 3, 57, false, 2000, kToday.addDays(-29)),
                          answer(3, 3, 9, true, 500, kToday)};
    const WeakNumbersDocument all = build(answers, {3});
    EXPECT_EQ(all.period, QStringLiteral("全期間"));
    EXPECT_EQ(cell(sections(all).first(), 51).step, MissStep::Many);
    const WeakNumbersDocument recent = build(answers, {3}, kWeakNumbersRecentDays);
    EXPECT_EQ(recent.period, QStringLiteral("最近30日（2026/11/10〜2026/12/09）"));
    const WeakSection s = sections(recent).first();
    EXPECT_EQ(cell(s, 51).step, MissStep::NotShown);
    EXPECT_EQ(cell(s, 57).step, MissStep::Many);
    EXPECT_EQ(s.figures, QStringLiteral("解答 2回　まちがい 1回　中央 0.5秒"));
}

// Each level's weak numbers: how many on every grid of the level, and on the
// teacher's view, when each of the grid's own was last practised.
TEST(WeakNumbers, TheTeacherSeesWhenEachWeakNumberWasLastPractised) {
    const auto practised = [](Answer a, QDate day) {
        a.practice = true;
        a.date = day;
        return a;
    };
    QList<Answer> answers{
        practised(answer(7, 7, 91, false, 2500), QDate(2026, 12, 5)),
        practised(answer(7, 7, 91, false, 3000), QDate(2026, 12, 1)), // the latest day counts
        answer(7, 7, 91, true, 800),
        answer(7, 7, 20, false, 900),
        answer(7, 7, 20, true, 600),
        practised(answer(7, 7, 50, true, 2000), QDate(2026, 11, 30)), // never fluent
        answer(7, 7, 50, true, 2000),
        practised(answer(7, 7, 14, true, 500), QDate(2026, 12, 8)), // three fluent: not weak
        answer(7, 7, 14, true, 500),
        answer(7, 7, 14, true, 500),
        practised(answer(11, 3, 51, false, 900), QDate(2026, 12, 8)),
        answer(11, 7, 91, false, 900),
    };
    for (int d = 0; d < 3; ++d)
        answers.append(answer(11, 3, 9, true, 400));
    for (qint32 n = 1; n <= 12; ++n) // twelve weak numbers, the slowest first
        answers.append(answer(3, 3, n, false, 1000 + 100 * n));
    const QStringList level7{QStringLiteral("91　2026/12/05"), QStringLiteral("20　練習なし"),
                             QStringLiteral("50　2026/11/30")};
    const QStringList many{QStringLiteral("12　練習なし"), QStringLiteral("11　練習なし"),
                           QStringLiteral("10　練習なし"), QStringLiteral("9　練習なし"),
                           QStringLiteral("8　練習なし"),  QStringLiteral("7　練習なし"),
                           QStringLiteral("6　練習なし"),  QStringLiteral("5　練習なし"),
                           QStringLiteral("ほか 4個")};
    const struct {
        const char* what;
        int level;
        bool teacher;
        qint32 targetSeconds;
        int section; // of the level's sections
        int weakCount;
        QStringList lastPractised;
    } cases[] = {
        {"teacher", 7, true, 20, 0, 3, level7},
        {"the pupil's own view", 7, false, 20, 0, 3, {}},
        {"no target time", 7, true, 0, 0, 0, {}},
        {"a grid of level 11", 11, true, 20, 2, 2, {QStringLiteral("51　2026/12/08")}},
        {"its grid without weak numbers", 11, true, 20, 4, 2, {}},
        {"more than the list holds", 3, true, 20, 0, 12, many},
    };
    for (const auto& c : cases) {
        const WeakNumbersDocument doc = build(answers, {c.level}, 0, c.teacher, c.targetSeconds);
        const WeakSection s = sections(doc)[c.section];
        EXPECT_EQ(s.weakCount, c.weakCount) << c.what;
        EXPECT_EQ(s.lastPractised, c.lastPractised) << c.what;
    }
}

// A busy page: a level with every number missed, level 11 and an empty level.
WeakNumbersDocument busyDocument(bool forTeacher = false) {
    QList<Answer> answers;
    for (qint32 n = 1; n <= 110; ++n)
        add(answers, 7, 7, n, 30 + n % 7, n % 5 + 10, 400 + 97 * (n % 31));
    for (int d = 1; d <= 10; ++d)
        add(answers, 11, d, d == 1 ? 8 : 100 - d, 300, 150, 2500);
    for (qsizetype i = 0; i < answers.size(); i += 3) // the longest figures: some practice
        answers[i].practice = true;
    return build(answers, {7, 11, 1}, 0, forTeacher);
}

TEST(WeakNumbersPage, NoTextTouchesAnotherOrLeavesThePage) {
    // The pupil's page and the teacher's, with its lists of weak numbers.
    for (const bool forTeacher : {false, true}) {
        WeakNumbersDocument doc = busyDocument(forTeacher);
        doc.notice = QStringLiteral("解答記録の一部が読めません（1234567行）");
        int listHeadings = 0;
        // The picture on screen and an A4 sheet at 600 dpi.
        for (const QSize size : {QSize(702, 614), QSize(4725, 6778)})
            for (int pageIndex : {0, 1, int(doc.pages.size()) - 1}) {
                Recorder page(size);
                {
                    QPainter p(&page);
                    DrawWeakNumbersPage(p, QRectF(QPointF(0, 0), size), doc, pageIndex);
                }
                ASSERT_GT(page.texts.size(), 20);
                const double gap = size.height() / 2000.0;
                const QRectF sheet(QPointF(0, 0), size);
                for (qsizetype i = 0; i < page.texts.size(); ++i) {
                    const Recorder::Text& a = page.texts[i];
                    if (a.text == QStringLiteral("苦手な数（最後に練習した日）")) ++listHeadings;
                    EXPECT_TRUE(sheet.contains(a.ink))
                        << a.text.toStdString() << " at " << size.width();
                    for (qsizetype j = i + 1; j < page.texts.size(); ++j) {
                        const Recorder::Text& b = page.texts[j];
                        EXPECT_FALSE(a.ink.adjusted(-gap, -gap, gap, gap).intersects(b.ink))
                            << a.text.toStdString() << " / " << b.text.toStdString() << " at "
                            << size.width() << ", page " << pageIndex;
                    }
                }
            }
        EXPECT_EQ(listHeadings > 0, forTeacher);
    }
}

TEST(WeakNumbersPage, CellsShowTheirStepsColourAndTheLegendAndMarksAreDrawn) {
    QList<Answer> answers;
    add(answers, 7, 7, 14, 4, 0, 500);
    add(answers, 7, 7, 20, 4, 1, 900);
    add(answers, 7, 7, 50, 4, 2, 1000);
    add(answers, 7, 7, 91, 4, 3, 3000);
    const WeakNumbersDocument doc = build(answers, {7});
    const QSize size(1372, 2000); // an A4 sheet inside its margins
    Recorder recorder(size);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (QPaintDevice* device :
         {static_cast<QPaintDevice*>(&recorder), static_cast<QPaintDevice*>(&image)}) {
        QPainter p(device);
        DrawWeakNumbersPage(p, QRectF(QPointF(0, 0), size), doc, 0);
    }
    // One slow number and the legend's mark.
    EXPECT_EQ(recorder.triangles, 2);
    const auto fillBeside = [&](const QString& number) {
        for (const Recorder::Text& t : recorder.texts)
            if (t.text == number) // the cell's number comes before the lines beside the grid
                return image.pixelColor(QPoint(int(t.ink.left()) - 4, int(t.ink.center().y())));
        return QColor();
    };
    EXPECT_EQ(fillBeside(QStringLiteral("14")), MissStepColour(MissStep::None));
    EXPECT_EQ(fillBeside(QStringLiteral("20")), MissStepColour(MissStep::Few));
    EXPECT_EQ(fillBeside(QStringLiteral("50")), MissStepColour(MissStep::Some));
    EXPECT_EQ(fillBeside(QStringLiteral("91")), MissStepColour(MissStep::Many));
    EXPECT_EQ(fillBeside(QStringLiteral("13")), MissStepColour(MissStep::NotShown));
    QStringList texts;
    for (const Recorder::Text& t : recorder.texts)
        texts.append(t.text);
    for (const QString& label : MissStepLabels())
        EXPECT_TRUE(texts.contains(label)) << label.toStdString();
    // The legend's words stand at one size: none is squeezed to fit the sheet's width.
    const auto inkHeight = [&](const QString& s) {
        for (const Recorder::Text& t : recorder.texts)
            if (t.text == s) return t.ink.height();
        return 0.0;
    };
    EXPECT_NEAR(inkHeight(MissStepLabels()[3]), inkHeight(MissStepLabels()[2]),
                inkHeight(MissStepLabels()[2]) * 0.05);
    EXPECT_TRUE(texts.contains(QStringLiteral("山田　花子　小３")));
    EXPECT_TRUE(texts.contains(QStringLiteral("全期間")));
}

} // namespace baisuu
