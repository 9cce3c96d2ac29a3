#include "selection/name_selection.h"
#include "selection/selection_fixture.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

const QChar kWide(0x3000);
const QString kPrompt = QString::fromUtf16(kChooseNamePrompt);

int rowOf(const RosterList& list, const QString& name) {
    for (int row = 1; row < list.visible.size(); ++row)
        if (list.visible[row].contains(name)) return row;
    return -1;
}

} // namespace

TEST(NameSelection, ListShowsTheTalliesOfTheLogForTheModeAndGroup) {
    SelectionFixture f;
    f.writeSchool();
    const QDateTime now = f.clock.now();
    f.addRun(1, 3, 20, now);
    f.addRun(1, 4, 25, now.addDays(-3));
    f.addRun(2, 1, 40, now.addDays(-1));

    const SelectionList all = BuildSelectionList(*f.ctx, 1, QStringLiteral("全学年"));
    EXPECT_TRUE(all.problem.isEmpty()) << all.problem.toStdString();
    ASSERT_EQ(all.lines.visible.size(), 4); // header and the three listed pupils
    EXPECT_EQ(all.lines.visible[0], QStringLiteral("－－－－－－"));
    // Oldest base year first; the pupil off the lists is still known by number.
    EXPECT_EQ(rowOf(all.lines, QStringLiteral("佐藤")), 1);
    EXPECT_EQ(all.lines.visible[3], QStringLiteral("小1 鈴木　一郎") + kWide +
                                        QStringLiteral("  ") + kWide + QStringLiteral("/       "));
    EXPECT_EQ(f.ctx->roster.pupilNames[4].trimmed(), QStringLiteral("休会中"));
    const QString hanako = all.lines.visible[rowOf(all.lines, QStringLiteral("山田"))];
    EXPECT_FALSE(hanako.contains(QLatin1Char('*')));
    EXPECT_TRUE(hanako.endsWith(AllPointsText(FiguresOf(f.ctx->results, 1).allPoints)));
    EXPECT_GT(FiguresOf(f.ctx->results, 1).allPoints, FiguresOf(f.ctx->results, 1).todayPoints);

    // Mode 0 counts runs; a group keeps only its grades.
    const SelectionList runs = BuildSelectionList(*f.ctx, 0, QStringLiteral("小学生全体"));
    ASSERT_EQ(runs.lines.visible.size(), 3);
    EXPECT_EQ(rowOf(runs.lines, QStringLiteral("佐藤")), -1);
    EXPECT_TRUE(runs.lines.visible[rowOf(runs.lines, QStringLiteral("山田"))].endsWith(
        QStringLiteral("  1回/    2回")));
    EXPECT_EQ(BuildSelectionList(*f.ctx, 3, QStringLiteral("中１")).lines.visible.size(), 2);
}

TEST(NameSelection, FilesThatCannotBeReadLeaveTheHeaderAndSayWhich) {
    SelectionFixture f;
    SelectionList missing = BuildSelectionList(*f.ctx, 1, QStringLiteral("全学年"));
    EXPECT_EQ(missing.lines.visible, QStringList{QStringLiteral("－－－－－－")});
    EXPECT_TRUE(missing.problem.contains(QStringLiteral("名簿を読めない")))
        << missing.problem.toStdString();
    EXPECT_TRUE(missing.problem.contains(QStringLiteral("新名簿.txt")));

    f.writeRoster({});
    const SelectionList empty = BuildSelectionList(*f.ctx, 1, QStringLiteral("全学年"));
    EXPECT_EQ(empty.lines.visible.size(), 1);
    EXPECT_TRUE(empty.problem.isEmpty());

    // A faulty line is skipped and named; the rest is listed.
    f.writeRoster({SelectionFixture::record(1, 2017, QStringLiteral("山田　花子")),
                   QStringLiteral("x,2017,0,0,\"壊れた行\",0,\"\",\"\"")});
    const SelectionList faulty = BuildSelectionList(*f.ctx, 1, QStringLiteral("全学年"));
    EXPECT_EQ(faulty.lines.visible.size(), 2);
    EXPECT_TRUE(faulty.problem.contains(QStringLiteral("2行目"))) << faulty.problem.toStdString();

    // No data folder, so no log: the names are still there, with the figures at 0.
    QDir(f.ctx->hensuu1.paths.dataFolder).removeRecursively();
    const SelectionList noLog = BuildSelectionList(*f.ctx, 1, QStringLiteral("全学年"));
    EXPECT_EQ(noLog.lines.visible.size(), 2);
    EXPECT_TRUE(noLog.problem.contains(QStringLiteral("成績を読めない")))
        << noLog.problem.toStdString();
}

TEST(NameSelection, ClickTakesTenCharactersDoubleClickTheLineBeforeItsSlash) {
    SelectionFixture f;
    f.writeSchool();
    f.addRun(1, 3, 20, f.clock.now());
    const RosterList list = BuildSelectionList(*f.ctx, 1, QStringLiteral("全学年")).lines;
    const int row = rowOf(list, QStringLiteral("山田"));

    const NameChoice click = ClickedName(list, row);
    EXPECT_EQ(click.nameLine, QStringLiteral("小3 山田　花子"));
    EXPECT_EQ(click.number, 1);
    const NameChoice twice = DoubleClickedName(list, row);
    EXPECT_EQ(twice.nameLine, list.visible[row].section(QLatin1Char('/'), 0, 0).trimmed());
    EXPECT_TRUE(twice.nameLine.startsWith(QStringLiteral("小3 山田　花子") + kWide));
    EXPECT_EQ(twice.number, 1);

    for (int nobody : {0, -1, int(list.visible.size())}) {
        EXPECT_EQ(ClickedName(list, nobody).nameLine, kPrompt);
        EXPECT_EQ(DoubleClickedName(list, nobody).number, -1);
    }
}

TEST(NameSelection, ConfirmingWritesTheSignInAndRefusesWithoutAName) {
    SelectionFixture f;
    f.writeSchool();
    const RosterList list = BuildSelectionList(*f.ctx, 1, QStringLiteral("全学年")).lines;
    Hensuu1& h = f.ctx->hensuu1;
    h.currentPupil = 9;
    for (const NameChoice& none : {NameChoice{}, NameChoice{QString(), 2}, ClickedName(list, 0)}) {
        EXPECT_FALSE(ConfirmName(*f.ctx, none, QStringLiteral("中１")));
        EXPECT_EQ(h.currentPupil, 9);
        EXPECT_EQ(h.catalog.levelCount, 0);
        EXPECT_EQ(h.selectedGroup, QStringLiteral("全学年"));
    }

    ASSERT_TRUE(ConfirmName(*f.ctx, ClickedName(list, rowOf(list, QStringLiteral("佐藤"))),
                            QStringLiteral("中学生全体")));
    EXPECT_EQ(h.currentPupil, 2);
    EXPECT_EQ(h.pupilName, FixedWidthText(QStringLiteral("佐藤　健"), kRosterTextWidth));
    EXPECT_EQ(h.pupilGrade, QStringLiteral("中１"));
    EXPECT_EQ(h.selectedGroup, QStringLiteral("中学生全体"));
    EXPECT_EQ(h.pupilStartTime, 36001); // 10:00:00.6, rounded
    EXPECT_EQ(h.catalog.levelCount, 11);
}

TEST(NameSelection, ProgramMenuPathsAndLeaving) {
    const ProgramMenu school = ProgramMenuFor(QStringLiteral("/juku/倍数判定/"), false);
    EXPECT_EQ(school.program, QStringLiteral("/juku/起動/プログラムメニューc.exe"));
    EXPECT_EQ(school.arguments, QStringList{QStringLiteral("001")});
    const ProgramMenu dev = ProgramMenuFor(QStringLiteral("/w/倍数判定開発用/倍数判定/"), true);
    EXPECT_EQ(dev.program, QStringLiteral("/w/起動/起動/プログラムメニュー.exe"));
    EXPECT_TRUE(dev.arguments.isEmpty());

    SelectionFixture f;
    LeaveToProgramMenu(*f.ctx); // no menu installed
    EXPECT_TRUE(f.launcher.programs.isEmpty());
    ASSERT_EQ(f.navigator.texts.size(), 1);
    EXPECT_TRUE(f.navigator.texts[0].contains(QStringLiteral("見つかりません")));
    EXPECT_TRUE(f.navigator.texts[0].contains(QDir::toNativeSeparators(f.menuProgram())));
    EXPECT_EQ(f.navigator.quits, QList<int>{0});

    writeFile(f.dir, QStringLiteral("school/起動/プログラムメニューc.exe"), "MZ");
    LeaveToProgramMenu(*f.ctx);
    EXPECT_EQ(f.launcher.programs, QStringList{f.menuProgram()});
    EXPECT_EQ(f.launcher.argumentLists, QList<QStringList>{{QStringLiteral("001")}});
    EXPECT_EQ(f.navigator.texts.size(), 1);

    f.launcher.starts = false;
    LeaveToProgramMenu(*f.ctx);
    ASSERT_EQ(f.navigator.texts.size(), 2);
    EXPECT_TRUE(f.navigator.texts[1].contains(QStringLiteral("起動できませんでした")));
    EXPECT_EQ(f.navigator.quits, (QList<int>{0, 0, 0}));
}

} // namespace baisuu
