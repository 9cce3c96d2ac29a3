// The hub screen driven by keys and clicks offscreen: columns and scrolling,
// the keyboard, blocked levels, teachers, the tallies after a run, and the
// chart and data change panels over the columns.

#include "drill/drill_fixture.h"
#include "hub/chart_panel_screen.h"
#include "hub/data_change_panel_screen.h"
#include "hub/hub_screen.h"
#include "records/answers_file.h"
#include "records/results_backup.h"
#include "records/results_log.h"
#include "stage_input.h"
#include "text_fit.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace baisuu {

namespace {

constexpr int kPupil = 7;

class HubScreen : public ::testing::Test, public DrillFixture {
  protected:
    HubScreen() {
        Hensuu1& h = ctx->hensuu1;
        h.seasonColor = 0xE0F4FF;
        h.pupilGrade = QStringLiteral("小３");
        // A third-grader in the school year 2026 came to school in 2017 (born 2017 - 6).
        addPupil(3, QStringLiteral("佐藤　一郎"), 2017);
        addPupil(kPupil, QStringLiteral("山田　花子"), 2017);
        addPupil(9, QStringLiteral("鈴木　次郎"), 2014); // 小６
    }

    void addPupil(int number, const QString& name, int baseYear) {
        StudentRoster& r = ctx->roster;
        ++r.rosterCount;
        r.rosterNumbers[size_t(r.rosterCount)] = qint16(number);
        r.pupilNames[size_t(number)] = FixedWidthText(name, kRosterTextWidth);
        r.pupilBaseYears[size_t(number)] = qint16(baseYear);
    }

    // The roster file the chart panel reads its pupil list from, with the pupils of the roster.
    void writeRosterFile() {
        const StudentRoster& r = ctx->roster;
        QString text;
        for (int k = 1; k <= r.rosterCount; ++k) {
            const int p = r.rosterNumbers[size_t(k)];
            text += QStringLiteral("%1,%2,0,0,\"%3\",0,\"\",\"\"\r\n")
                        .arg(p)
                        .arg(r.pupilBaseYears[size_t(p)])
                        .arg(r.pupilNames[size_t(p)].trimmed());
        }
        writeFile(dir, QStringLiteral("新名簿.txt"), sjis(text));
    }

    void run(int pupil, int level, qint32 time) {
        ASSERT_FALSE(AppendResult(
            ctx->hensuu1.paths.resultsLogFile(),
            {qint16(pupil), qint16(level), time, ctx->hensuu1.schoolCode, clock.now()}));
    }

    // The hub on a stage of its own, clicked and typed at through the window;
    // hand-overs still go to the recording navigator.
    OnStage<seisekitime1> shownHub() {
        auto shown = showOnStage<seisekitime1>([this] { return new seisekitime1(*ctx); },
                                               Screen::Hub, scale);
        // The keys count once the hub is on screen.
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown->takesKeys(); }));
        return shown;
    }
    double scale = 1.0;

    template <typename T = QLabel> static T* child(QWidget& screen, const QString& name) {
        T* w = screen.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    static QString at(const char* control, int level) {
        return QStringLiteral("%1_%2").arg(QLatin1String(control)).arg(level);
    }

    // Pictures of the hub for a person to look at, when asked for.
    static void snapshot(QWidget& screen, const QString& name) {
        const QString folder = qEnvironmentVariable("HUB_SCREEN_PNG_DIR");
        if (!folder.isEmpty())
            screen.grab().save(folder + QStringLiteral("/") + name + QStringLiteral(".png"));
    }
};

} // namespace

TEST_F(HubScreen, FourColumnsFillTheWidthAndFiveScrollFourAtATime) {
    ctx->hensuu1.catalog.levelCount = 4;
    {
        auto hub = shownHub();
        EXPECT_TRUE(child<QScrollBar>(*hub, QStringLiteral("HScroll1"))->isHidden());
        for (int level = 1; level <= 4; ++level)
            EXPECT_EQ(hub->column(level).place->geometry(),
                      QRect(qRound((level - 1) * 3648 / 15.0), 0, 243, 586));
        EXPECT_TRUE(hub->column(0).place->isHidden());
    }

    ctx->hensuu1.catalog.levelCount = 5;
    auto hub = shownHub();
    auto* scroll = child<QScrollBar>(*hub, QStringLiteral("HScroll1"));
    EXPECT_TRUE(scroll->isVisible());
    EXPECT_EQ(scroll->maximum(), 2);
    EXPECT_EQ(child<QWidget>(*hub, QStringLiteral("columnArea"))->width(), 922);
    EXPECT_EQ(hub->column(5).place->x(), 922); // 4 × 3456 twips: beyond the area's edge
    scroll->setValue(2);
    EXPECT_EQ(ctx->hensuu1.firstColumn, 2);
    EXPECT_LT(hub->column(1).place->geometry().right(), 0);
    EXPECT_EQ(hub->column(2).place->x(), 0);
    EXPECT_EQ(hub->column(5).place->x(), qRound(3 * 3456 / 15.0));
    snapshot(*hub, QStringLiteral("hub_scrolled"));

    // The hub is made anew after every run; the strip stays where it was.
    hub = shownHub();
    EXPECT_EQ(child<QScrollBar>(*hub, QStringLiteral("HScroll1"))->value(), 2);
    EXPECT_EQ(hub->column(2).place->x(), 0);
    // A position the strip no longer has starts it from the first column.
    ctx->hensuu1.firstColumn = 9;
    hub = shownHub();
    EXPECT_EQ(ctx->hensuu1.firstColumn, 1);
    EXPECT_EQ(hub->column(1).place->x(), 0);
}

TEST_F(HubScreen, LevelKeysCaptionsAndButtonsStartARun) {
    scale = 1.5; // a window half as large again as the stage
    for (int n : {10, 11}) {
        SCOPED_TRACE(n);
        ctx->hensuu1.catalog.levelCount = qint16(n);
        navigator.shown.clear();
        auto hub = shownHub();
        typeOnStage(*hub.stage, 'A');
        typeOnStage(*hub.stage, 'b');
        if (n == 10) {
            EXPECT_TRUE(navigator.shown.isEmpty());
            EXPECT_TRUE(hub->hubReady());
            continue;
        }
        EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Drill});
        EXPECT_EQ(ctx->hensuu1.currentLevel, 11);
        EXPECT_FALSE(hub->hubReady());
        // A second key before the drill takes the stage starts nothing more.
        typeOnStage(*hub.stage, '2');
        EXPECT_EQ(navigator.shown.size(), 1);
    }

    auto hub = shownHub();
    navigator.shown.clear();
    // The key goes to the hub whichever control has the focus.
    auto* combo = child<QComboBox>(*hub, QStringLiteral("Combo1"));
    combo->setFocus();
    typeOnStage(*hub.stage, '4');
    EXPECT_EQ(ctx->hensuu1.currentLevel, 4);
    hub = shownHub();
    clickOnStage(*hub.stage, child<QLabel>(*hub, at("Label3", 2)));
    EXPECT_EQ(ctx->hensuu1.currentLevel, 2);
    hub = shownHub();
    clickOnStage(*hub.stage, child<QPushButton>(*hub, at("Command4", 3)));
    EXPECT_EQ(ctx->hensuu1.currentLevel, 3);
    hub = shownHub();
    typeOnStage(*hub.stage, '0');
    EXPECT_EQ(navigator.shown,
              (QList<Screen>{Screen::Drill, Screen::Drill, Screen::Drill, Screen::Selection}));
}

TEST_F(HubScreen, KeysDuringARefreshDoNothing) {
    auto hub = shownHub();
    const QString copy = DeletionCopyPath(ctx->hensuu1.paths.resultsLogFile());
    // Another machine is deleting a record: the refresh waits, and the pupil types meanwhile.
    writeFile(dir, QStringLiteral("倍数判定/成績累積データtemp.dat"), {});
    int waits = 0;
    ctx->waitWhileBusy = [&] {
        ++waits;
        EXPECT_FALSE(hub->hubReady());
        typeOnStage(*hub.stage, '1');
        typeOnStage(*hub.stage, '0');
        QFile::remove(copy);
    };
    hub->Form_Activate();
    EXPECT_EQ(waits, 1);
    EXPECT_TRUE(navigator.shown.isEmpty());
    EXPECT_TRUE(hub->hubReady());
    // Until the refreshed hub is on screen, a key is one typed during the refresh.
    EXPECT_FALSE(hub->takesKeys());
    typeOnStage(*hub.stage, '1');
    EXPECT_TRUE(navigator.shown.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return hub->takesKeys(); }));
    typeOnStage(*hub.stage, '1');
    EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Drill});
}

TEST_F(HubScreen, AnOverdoneLevelIsBlockedUntilTheGoalIsCleared) {
    LevelCriteria& third = ctx->criteria.levels[3];
    third.overdoCount = number(2);
    ctx->criteria.levels[11].clearPoints = 9999; // the goal stays out of reach
    run(kPupil, 3, 20);
    run(kPupil, 3, 99999); // a time-out does not count
    {
        auto hub = shownHub();
        EXPECT_TRUE(child<QPushButton>(*hub, at("Command4", 3))->isEnabled());
        EXPECT_TRUE(child(*hub, at("Text1", 3))->isHidden());
    }
    run(kPupil, 3, 25);
    auto hub = shownHub();
    EXPECT_FALSE(child<QPushButton>(*hub, at("Command4", 3))->isEnabled());
    EXPECT_TRUE(child(*hub, at("Text1", 3))->isVisible());
    EXPECT_EQ(child(*hub, at("Text1", 3))->text(), QStringLiteral("やりすぎ禁止"));
    EXPECT_EQ(ctx->finalLevelCleared, 0);
    snapshot(*hub, QStringLiteral("hub_blocked"));
    typeOnStage(*hub.stage, '3');
    clickOnStage(*hub.stage, child(*hub, at("Label3", 3)));
    EXPECT_TRUE(navigator.shown.isEmpty());

    ctx->criteria.levels[11].clearPoints = 5;
    run(kPupil, 11, 20);
    hub = shownHub();
    EXPECT_EQ(ctx->finalLevelCleared, 1);
    EXPECT_TRUE(child<QPushButton>(*hub, at("Command4", 3))->isEnabled());
    EXPECT_TRUE(child(*hub, at("Text1", 3))->isHidden());
}

TEST_F(HubScreen, TheNextActivationShowsTheNewRun) {
    auto hub = shownHub();
    EXPECT_EQ(child(*hub, at("Label14", 3))->text(), QStringLiteral("-----"));
    EXPECT_EQ(child(*hub, at("Label15", 3))->text(), QStringLiteral("------"));
    EXPECT_EQ(child(*hub, at("Label7", 3))->text(), QStringLiteral("目標=30秒 1回/5点(×1)"));
    EXPECT_EQ(child(*hub, QStringLiteral("Label18"))->text(), QStringLiteral("本日総回数＝0回"));
    // Another machine's run of another pupil, and the pupil's own.
    run(3, 3, 40);
    run(kPupil, 3, 12);
    hub->Form_Activate();
    EXPECT_EQ(child(*hub, at("Label14", 3))->text(), QStringLiteral("1回/15点"));
    EXPECT_EQ(child(*hub, at("Label15", 3))->text(), QStringLiteral("1回/15点"));
    EXPECT_EQ(child(*hub, at("Label8", 3))->text(), QStringLiteral("最近7日=1回 / 15点"));
    EXPECT_EQ(child(*hub, QStringLiteral("Label18"))->text(), QStringLiteral("本日総回数＝1回"));
    const QListWidget* list = child<QListWidget>(*hub, at("List5", 3));
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(list->item(0)->text().contains(QStringLiteral("●山田")));
    EXPECT_EQ(list->currentRow(), -1);

    // Another group lists only its pupils: the sixth-grader alone.
    child<QComboBox>(*hub, QStringLiteral("Combo1"))->setCurrentText(QStringLiteral("小６"));
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().contains(QStringLiteral("鈴木")));
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(child<QPushButton>(*hub, at("Command4", 3))->isEnabled());
}

TEST_F(HubScreen, TheListScrollsToThePupilsLine) {
    for (int p = 100; p < 160; ++p) {
        addPupil(p, QStringLiteral("生徒%1").arg(p), 2017);
        run(p, 1, 10);
    }
    run(kPupil, 1, 50); // fewer points than everyone else: near the end of the list
    auto hub = shownHub();
    const QListWidget* list = child<QListWidget>(*hub, at("List5", 1));
    int own = -1;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().contains(QStringLiteral("●"))) own = i;
    ASSERT_GT(own, 50);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(own))));
}

TEST_F(HubScreen, PracticeLevelsShowNoListTalliesOrCriteria) {
    ctx->hensuu1.catalog.levelNames[2] = QStringLiteral("レベル５練習");
    auto hub = shownHub();
    for (const char* control :
         {"List5", "Label7", "Label8", "Label9", "Label10", "Label14", "Label15"}) {
        EXPECT_TRUE(child<QWidget>(*hub, at(control, 2))->isHidden()) << control;
        EXPECT_TRUE(child<QWidget>(*hub, at(control, 1))->isVisible()) << control;
    }
    EXPECT_EQ(ctx->criteria.levels[2].targetTime, 600);
    EXPECT_EQ(ctx->criteria.levels[2].passTime, 600);
    EXPECT_TRUE(child<QPushButton>(*hub, at("Command4", 2))->isEnabled());
}

TEST_F(HubScreen, ATeacherSeesTheTeacherButtons) {
    {
        auto hub = shownHub();
        EXPECT_TRUE(child<QPushButton>(*hub, QStringLiteral("Command8"))->isHidden());
        EXPECT_TRUE(child<QPushButton>(*hub, QStringLiteral("Command24_1"))->isHidden());
    }
    for (const char* name : {"田中先生", "★管理"}) {
        ctx->hensuu1.pupilName = QString::fromUtf8(name);
        auto hub = shownHub();
        auto* data = child<QPushButton>(*hub, QStringLiteral("Command8"));
        // The print button is the chart panel's: it shows with the panel.
        auto* print = child<QPushButton>(*hub, QStringLiteral("Command24_1"));
        ASSERT_TRUE(data->isVisible());
        ASSERT_FALSE(print->isHidden());
        EXPECT_EQ(data->text(), QStringLiteral("データ処理"));
        EXPECT_EQ(print->text(), QStringLiteral("印刷"));
        clickOnStage(*hub.stage, data);
        EXPECT_TRUE(child<QWidget>(*hub, QStringLiteral("Picture7"))->isVisible());
        snapshot(*hub, QStringLiteral("hub_teacher"));
    }
    EXPECT_TRUE(navigator.texts.isEmpty()); // nothing waits for a person to close it
}

// The teacher's notice, in a window 1.37 times the stage: shown in the strip
// above the columns without covering a control, with a failed sync too,
// gone once a copy is made.
TEST_F(HubScreen, ATeachersHubTellsOfAMissingCopyUntilOneIsMade) {
    scale = 1.37;
    run(kPupil, 1, 30); // a log, and no copy of it
    ctx->hensuu1.pupilName = QStringLiteral("田中先生");
    const QDate today = clock.now().date();
    {
        auto hub = shownHub();
        auto* notice = child(*hub, QStringLiteral("Notice"));
        EXPECT_TRUE(reachableOnStage(*hub.stage, notice));
        EXPECT_TRUE(notice->text().contains(QStringLiteral("成績のバックアップがありません。")));
        for (QWidget* other : hub->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(other == notice || other->isHidden() ||
                        !other->geometry().intersects(notice->geometry()));
        expectTextsFit(*notice, {TeacherNoticeText({true, today.addDays(-365), 99, {}}, today)});
        snapshot(*hub.stage, QStringLiteral("hub_teacher_notice"));
    }
    {
        // Every trouble at once, a failed sync's too: all of them and what to
        // check fit the line; the reason is cut off there and whole in the tooltip.
        writeFile(dir,
                  QDir(dir.path()).relativeFilePath(
                      BackupPath(ctx->hensuu1.paths.resultsLogFile(), today.addDays(-365))),
                  "copy");
        for (int pupil = 1; pupil <= 99; ++pupil)
            ctx->unwrittenAnswers.insert(QString::number(pupil), today);
        const QString why = QStringLiteral("データベースにつながりません（connection to server on "
                                           "socket \"/tmp/.s.PGSQL.5432\" failed: No such file)");
        ctx->chainSyncFailure->set(why);
        auto hub = shownHub();
        auto* notice = child(*hub, QStringLiteral("Notice"));
        for (const char* part : {"365日前", "99人分", "本部へ成績を送れませんでした。",
                                 "[chain] を確かめてもらってください。"})
            EXPECT_TRUE(notice->text().contains(QString::fromUtf8(part)))
                << notice->text().toStdString();
        EXPECT_TRUE(notice->toolTip().endsWith(why));
        expectTextsFit(*notice, {notice->text()});
        snapshot(*hub.stage, QStringLiteral("hub_teacher_sync_notice"));
        ctx->unwrittenAnswers.clear();
        ctx->chainSyncFailure->set({});
    }
    // While the hub stays on screen its notice follows: a sync that fails
    // after the hub came up, then the day's copy made at last.
    auto hub = shownHub();
    auto* notice = child(*hub, QStringLiteral("Notice"));
    ctx->chainSyncFailure->set(QStringLiteral("データベースにつながりません"));
    hub->noticeTick();
    EXPECT_TRUE(notice->text().contains(QStringLiteral("本部へ成績を送れませんでした。")));
    ctx->chainSyncFailure->set({});
    const QString copy = BackupPath(ctx->hensuu1.paths.resultsLogFile(), today);
    writeFile(dir, QDir(dir.path()).relativeFilePath(copy), "copy");
    hub->noticeTick();
    EXPECT_TRUE(notice->isHidden());
}

TEST_F(HubScreen, EveryTextFits) {
    ctx->hensuu1.pupilName = QStringLiteral("アレクサンドロフスカヤ・エカテリーナ先生");
    ctx->hensuu1.pupilGrade = QStringLiteral("中３");
    ctx->hensuu1.siteName = QStringLiteral("ブラムウェル塾　駅前教室");
    ctx->hensuu1.currentPupil = 4999;
    addPupil(4999, QStringLiteral("アレクサンドロフスカヤ・エカテリーナ先生"), 2017);
    for (int level = 1; level <= 24; ++level) {
        LevelCriteria& c = ctx->criteria.levels[level];
        c.targetTime = 999;
        c.clearCount = 99;
        c.clearPoints = 9998;
        c.pointFactor = 1.5f;
        c.judgeDays = number(365);
        c.overdoCount = number(1);
    }
    ctx->criteria.levels[4].clearPoints = 9999;
    for (int i = 0; i < 3; ++i)
        run(4999, 1, 1);
    run(4999, 2, 99999);
    ctx->hensuu1.pupilStartTime = 0; // signed in at midnight: 600 minutes ago
    for (int n : {1, 2, 3, 4, 5, 11}) {
        SCOPED_TRACE(n);
        ctx->hensuu1.catalog.levelCount = qint16(n);
        auto hub = shownHub();
        expectTextsFit(*hub);
        expectTextsFit(*child(*hub, QStringLiteral("Label5")),
                       {QStringLiteral("獲得ポイント（今まで順位）"),
                        QStringLiteral("獲得ポイント（今日の順位）"), QStringLiteral("ベスト成績"),
                        QStringLiteral("本日の成績"), QStringLiteral("個人別ﾀｲﾑ")});
        expectTextsFit(*child(*hub, QStringLiteral("Label18")),
                       {QStringLiteral("本日総回数＝32767回")});
        for (const char* option : {"Option1_1", "Option1_2", "Option1_3"})
            expectTextsFit(*child<QWidget>(*hub, QString::fromLatin1(option)),
                           {QStringLiteral("BEST表示"), QStringLiteral("本日のみ"),
                            QStringLiteral("オール表示"), QStringLiteral("合計累計"),
                            QStringLiteral("合計本日"), QStringLiteral("すべて")});
        expectTextsFit(*child<QWidget>(*hub, at("Label8", n)),
                       {QStringLiteral("最近365日=999回 / 99999点")});
        snapshot(*hub, QStringLiteral("hub_long_%1").arg(n));
    }
}

TEST_F(HubScreen, TheOptionsSwitchModeAndViewWithTheirCaptions) {
    ctx->criteria.levels[4].overdoCount = number(2); // level 4 stays blocked through every view
    run(kPupil, 4, 50);
    run(kPupil, 4, 55);
    clock.setNow(QDateTime(QDate(2026, 5, 4), QTime(9, 0))); // Monday of last week
    run(3, 3, 25);
    clock.setNow(QDateTime(QDate(2026, 5, 12), QTime(10, 0)));
    run(kPupil, 3, 12);
    run(9, 3, 99999);
    auto hub = shownHub();
    const auto radio = [&](const char* name) {
        return child<QRadioButton>(*hub, QString::fromLatin1(name));
    };
    const auto click = [&](const char* name) { clickOnStage(*hub.stage, radio(name)); };
    const auto lines = [&](int level) {
        QStringList out;
        const QListWidget* list = child<QListWidget>(*hub, at("List5", level));
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    };
    QLabel* label5 = child(*hub, QStringLiteral("Label5"));
    auto* combo2 = child<QComboBox>(*hub, QStringLiteral("Combo2"));
    const auto settled = [&] {
        EXPECT_TRUE(child<QPushButton>(*hub, QStringLiteral("Command1"))->isEnabled());
        EXPECT_TRUE(child<QPushButton>(*hub, at("Command4", 3))->isEnabled());
        EXPECT_FALSE(child<QPushButton>(*hub, at("Command4", 4))->isEnabled());
        EXPECT_TRUE(child(*hub, at("Text1", 4))->isVisible());
        EXPECT_TRUE(child<QWidget>(*hub, at("List5", 3))->isVisible());
        EXPECT_TRUE(child<QWidget>(*hub, QStringLiteral("Picture6"))->isHidden());
    };
    const QColor base = child<QListWidget>(*hub, at("List5", 3))->palette().color(QPalette::Base);
    const auto colour = [&](int level) {
        return child<QListWidget>(*hub, at("List5", level))->palette().color(QPalette::Base);
    };

    // The activation shows the all-time points under the point captions.
    EXPECT_TRUE(radio("Option2_1")->isChecked());
    EXPECT_EQ(radio("Option1_1")->text(), QStringLiteral("累計順"));
    EXPECT_EQ(radio("Option1_2")->text(), QStringLiteral("本日順"));
    EXPECT_EQ(label5->text(), QStringLiteral("獲得ポイント（今まで順位）"));

    click("Option2_0");
    EXPECT_EQ(radio("Option1_1")->text(), QStringLiteral("BEST表示"));
    EXPECT_EQ(radio("Option1_2")->text(), QStringLiteral("本日のみ"));
    EXPECT_EQ(radio("Option1_3")->text(), QStringLiteral("オール表示"));
    EXPECT_EQ(label5->text(), QStringLiteral("ベスト成績"));
    EXPECT_EQ(lines(3), (QStringList{QStringLiteral(" 1●山田　花子    12 ●"),
                                     QStringLiteral(" 2③佐藤　一郎    25 　"),
                                     QStringLiteral("--⑥鈴木　次郎------ 　")}));
    EXPECT_TRUE(combo2->isHidden());
    EXPECT_EQ(colour(3), base); // rankings are not coloured
    settled();
    snapshot(*hub, QStringLiteral("hub_best_times"));

    click("Option1_2");
    EXPECT_EQ(label5->text(), QStringLiteral("本日の成績"));
    EXPECT_EQ(lines(3), (QStringList{QStringLiteral("  12秒 10:00●山田　花子●15"),
                                     QStringLiteral("　　× 10:00⑥鈴木　次郎⑥")}));
    // The timed-out run does not colour the list: the 12 s run is within the target.
    EXPECT_EQ(colour(3), child(*hub, QStringLiteral("Text4"))->palette().color(QPalette::Window));
    EXPECT_EQ(colour(4), child(*hub, QStringLiteral("Text5"))->palette().color(QPalette::Window));
    settled();
    snapshot(*hub, QStringLiteral("hub_today"));

    click("Option1_3");
    EXPECT_EQ(label5->text(), QString());
    EXPECT_TRUE(combo2->isVisible());
    EXPECT_EQ(lines(3).size(), 3); // a month: last week's run too
    combo2->setFocus();
    typeOnStage(*hub.stage, Qt::Key_Up); // since last week's Monday
    EXPECT_EQ(ctx->hensuu1.resultPeriod, 2);
    EXPECT_EQ(lines(3).size(), 3);
    combo2->setFocus();                  // the list was rebuilt under it
    typeOnStage(*hub.stage, Qt::Key_Up); // this week only
    EXPECT_EQ(ctx->hensuu1.resultPeriod, 1);
    EXPECT_EQ(lines(3).size(), 2);
    EXPECT_TRUE(combo2->isVisible());
    settled();
    snapshot(*hub, QStringLiteral("hub_period_times"));

    click("Option2_1"); // the period again, in the point form
    EXPECT_EQ(radio("Option1_1")->text(), QStringLiteral("合計累計"));
    EXPECT_EQ(radio("Option1_2")->text(), QStringLiteral("合計本日"));
    EXPECT_EQ(radio("Option1_3")->text(), QStringLiteral("すべて"));
    EXPECT_EQ(lines(3).value(0), QStringLiteral("   15 05/12●山田　花子●12秒"));
    EXPECT_TRUE(combo2->isVisible());
    settled();
    snapshot(*hub, QStringLiteral("hub_period_points"));

    click("Option1_2");
    EXPECT_EQ(label5->text(), QStringLiteral("獲得ポイント（今日の順位）"));
    EXPECT_EQ(lines(3), QStringList{QStringLiteral(" 1●山田　花子 15/   15")});
    EXPECT_TRUE(combo2->isHidden());
    click("Option1_1");
    EXPECT_EQ(lines(3).size(), 3);
    settled();

    // A period chosen where no period is shown changes nothing.
    hub->Combo2_Click(4);
    EXPECT_EQ(ctx->hensuu1.resultPeriod, 1);
}

TEST_F(HubScreen, TheOwnRunsViewShowsThePupilsRunsAndTheGraphButton) {
    writeRosterFile();
    run(kPupil, 2, 99999); // a time-out goes to the end of its list
    run(kPupil, 2, 20);
    run(3, 2, 15); // another pupil's run is not the pupil's own
    run(kPupil, 5, 33);
    auto hub = shownHub();
    auto* own = child<QRadioButton>(*hub, QStringLiteral("Option2_2"));
    auto* graph = child<QPushButton>(*hub, QStringLiteral("Command17"));
    EXPECT_TRUE(graph->isHidden());
    clickOnStage(*hub.stage, child<QRadioButton>(*hub, QStringLiteral("Option2_0")));
    clickOnStage(*hub.stage, own);
    EXPECT_TRUE(navigator.texts.isEmpty())
        << navigator.texts.join(QStringLiteral("\n")).toStdString();
    EXPECT_EQ(child(*hub, QStringLiteral("Label5"))->text(), QStringLiteral("個人別ﾀｲﾑ"));
    const auto lines = [&](int level) {
        QStringList out;
        const QListWidget* list = child<QListWidget>(*hub, at("List5", level));
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    };
    EXPECT_EQ(lines(2), (QStringList{QStringLiteral("2026/05/12 10:00:00  20秒"),
                                     QStringLiteral("2026/05/12 10:00:00")}));
    EXPECT_EQ(lines(5), QStringList{QStringLiteral("2026/05/12 10:00:00  33秒")});
    EXPECT_TRUE(lines(3).isEmpty()); // the ranking of the previous view is gone
    EXPECT_TRUE(child<QWidget>(*hub, at("List5", 2))->isVisible());
    EXPECT_TRUE(child<QWidget>(*hub, QStringLiteral("Combo2"))->isHidden());
    EXPECT_TRUE(child<QPushButton>(*hub, QStringLiteral("Command1"))->isEnabled());
    EXPECT_TRUE(child<QPushButton>(*hub, at("Command4", 2))->isEnabled());

    // "グラフ" charts the pupil over the lists; another mode takes both away.
    ASSERT_TRUE(graph->isVisible());
    clickOnStage(*hub.stage, graph);
    ChartPanel* panel = hub->chartPanel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->Picture12->document().pupil, kPupil);
    snapshot(*hub, QStringLiteral("hub_own_chart"));
    clickOnStage(*hub.stage, child<QRadioButton>(*hub, QStringLiteral("Option2_1")));
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(graph->isHidden());
    EXPECT_EQ(lines(2).size(), 3); // the points ranking of the three pupils again
}

TEST_F(HubScreen, AnUnreadableLogIsToldTheSameWayByEveryView) {
    writeRosterFile();
    // A folder where the log should be: no reader can read it.
    ASSERT_TRUE(QDir().mkpath(ctx->hensuu1.paths.resultsLogFile()));
    auto hub = shownHub();
    clickOnStage(*hub.stage, child<QRadioButton>(*hub, QStringLiteral("Option2_0")));
    clickOnStage(*hub.stage, child<QRadioButton>(*hub, QStringLiteral("Option1_2")));
    clickOnStage(*hub.stage, child<QRadioButton>(*hub, QStringLiteral("Option2_2")));
    // The activation, today's runs and the own runs each told it.
    ASSERT_EQ(navigator.texts.size(), 3);
    for (const QString& text : navigator.texts)
        EXPECT_TRUE(
            text.startsWith(QStringLiteral("成績を読めませんでした。先生を呼んでください。\r\n")))
            << text.toStdString();
}

TEST_F(HubScreen, NoLevelStartsWhileThePasswordPanelShows) {
    ctx->hensuu1.pupilName = QStringLiteral("田中先生");
    auto hub = shownHub();
    clickOnStage(*hub.stage, child<QPushButton>(*hub, QStringLiteral("Command8")));
    DataChangePanel* panel = hub->dataChangePanel();
    ASSERT_TRUE(panel->shown());
    typeOnStage(*hub.stage, '1');
    clickOnStage(*hub.stage, child<QPushButton>(*hub, at("Command4", 2)));
    clickOnStage(*hub.stage, child(*hub, at("Label3", 3)));
    EXPECT_TRUE(navigator.shown.isEmpty());
    EXPECT_TRUE(hub->hubReady());
    // The digits of a password reach its field, not the level keys.
    EXPECT_EQ(panel->Text3->text(), QStringLiteral("1"));
    panel->Text3->clear();
    clickOnStage(*hub.stage, panel->Text3);
    for (const char digit : {'2', '4', '6', '8'})
        typeOnStage(*hub.stage, digit);
    EXPECT_EQ(panel->Text3->text(), QStringLiteral("2468"));
    EXPECT_TRUE(navigator.shown.isEmpty());
    snapshot(*hub, QStringLiteral("hub_password"));

    clickOnStage(*hub.stage, panel->Command12);
    EXPECT_FALSE(panel->shown());
    typeOnStage(*hub.stage, '1');
    EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Drill});
}

TEST_F(HubScreen, TheTeachersPrintOfThreePupilsWritesThreePdfs) {
    writeRosterFile();
    for (int pupil : {3, kPupil, 9})
        run(pupil, 1, 20 + pupil);
    ctx->hensuu1.pupilName = QStringLiteral("田中先生");
    ctx->printToPdf = dir.filePath(QStringLiteral("charts.pdf"));
    auto hub = shownHub();
    clickOnStage(*hub.stage, child<QRadioButton>(*hub, QStringLiteral("Option2_2")));
    clickOnStage(*hub.stage, child<QPushButton>(*hub, QStringLiteral("Command17")));
    ChartPanel* panel = hub->chartPanel();
    clickOnStage(*hub.stage, panel->Command25);
    ASSERT_EQ(panel->List2->count(), 3);
    for (int row = 0; row < 3; ++row)
        panel->List2->item(row)->setSelected(true);
    ASSERT_TRUE(panel->Command24[1]->isVisible());
    clickOnStage(*hub.stage, panel->Command24[1]);
    EXPECT_TRUE(navigator.texts.isEmpty())
        << navigator.texts.join(QStringLiteral("\n")).toStdString();
    ASSERT_EQ(panel->printedFiles().size(), 3);
    EXPECT_EQ(panel->printedFiles().first(), ctx->printToPdf);
    for (const QString& file : panel->printedFiles())
        EXPECT_GT(QFileInfo(file).size(), 0) << file.toStdString();
}

TEST_F(HubScreen, TheWidestLinesOfEveryViewFitTheirList) {
    auto hub = shownHub();
    auto* list = child<QListWidget>(*hub, at("List5", 1));
    const QStringList widest = {
        QStringLiteral(" 9Ⅲ山田　花子  1234 ●"),         // best times
        QStringLiteral("99Ⅲ山田　花子999/99999"),        // points
        QStringLiteral("1234秒 10:00Ⅲ山田　花子Ⅲ55"),    // today's runs
        QStringLiteral("　　× 12/08Ⅲ山田　花子Ⅲ"),       // a time-out
        QStringLiteral("   55 12/08Ⅲ山田　花子Ⅲ4995秒"), // a period's runs, point form
    };
    list->clear();
    for (int i = 0; i < 50; ++i) // with the scroll bar the list is at its narrowest
        list->addItems(widest);
    list->show();
    QCoreApplication::processEvents();
    const QFontMetrics fm(list->font());
    for (const QString& line : widest) {
        EXPECT_LE(fm.horizontalAdvance(line), list->viewport()->width() - 4)
            << line.toStdString() << " in " << list->viewport()->width();
    }
}

TEST_F(HubScreen, NothingStartsWhileAViewWaitsForABusyLog) {
    run(kPupil, 1, 20);
    auto hub = shownHub();
    clickOnStage(*hub.stage, child<QRadioButton>(*hub, QStringLiteral("Option2_0")));
    const QString copy = DeletionCopyPath(ctx->hensuu1.paths.resultsLogFile());
    writeFile(dir, QStringLiteral("倍数判定/成績累積データtemp.dat"), {});
    int waits = 0;
    ctx->waitWhileBusy = [&] {
        ++waits;
        EXPECT_FALSE(child<QWidget>(*hub, QStringLiteral("Picture1"))->isEnabled());
        EXPECT_FALSE(child<QWidget>(*hub, QStringLiteral("Combo1"))->isEnabled());
        EXPECT_FALSE(child<QPushButton>(*hub, QStringLiteral("Command1"))->isEnabled());
        EXPECT_FALSE(child<QPushButton>(*hub, at("Command4", 1))->isEnabled());
        typeOnStage(*hub.stage, '1');
        typeOnStage(*hub.stage, '0');
        QFile::remove(copy);
    };
    clickOnStage(*hub.stage, child<QRadioButton>(*hub, QStringLiteral("Option1_2")));
    EXPECT_EQ(waits, 1);
    EXPECT_TRUE(navigator.shown.isEmpty());
    EXPECT_EQ(child<QListWidget>(*hub, at("List5", 1))->count(), 1);
    EXPECT_TRUE(child<QWidget>(*hub, QStringLiteral("Picture1"))->isEnabled());
    typeOnStage(*hub.stage, '1');
    EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Drill});
}

TEST_F(HubScreen, ARankingScrollsOnlyAsFarAsThePupilsLineNeeds) {
    for (int p = 100; p < 160; ++p) {
        addPupil(p, QStringLiteral("生徒%1").arg(p), 2017);
        run(p, 1, 90); // a point each
    }
    run(3, 1, 10);      // first, 19 points
    run(9, 1, 11);      // second, 17 points
    run(kPupil, 1, 12); // third, 15 points: both above stay in view
    auto hub = shownHub();
    const QListWidget* list = child<QListWidget>(*hub, at("List5", 1));
    ASSERT_TRUE(list->item(2)->text().contains(QStringLiteral("●")));
    EXPECT_EQ(list->indexAt(QPoint(2, 2)).row(), 0);
    EXPECT_EQ(list->currentRow(), -1);
}

TEST_F(HubScreen, TheOverdoBannerCoversTheStartButtonOnly) {
    ctx->criteria.levels[3].overdoCount = number(1);
    ctx->criteria.levels[11].clearPoints = 9999;
    run(kPupil, 3, 20);
    auto hub = shownHub();
    QWidget* banner = child<QWidget>(*hub, at("Text1", 3));
    ASSERT_TRUE(banner->isVisible());
    EXPECT_TRUE(banner->geometry().contains(child<QWidget>(*hub, at("Command4", 3))->geometry()));
    // Today's count on exactly the blocked level stays readable.
    for (const char* tally : {"Label9", "Label14", "Label10", "Label15"}) {
        QWidget* label = child<QWidget>(*hub, at(tally, 3));
        EXPECT_FALSE(banner->geometry().intersects(label->geometry())) << tally;
        EXPECT_TRUE(reachableOnStage(*hub.stage, label)) << tally;
    }
    EXPECT_EQ(child(*hub, at("Label14", 3))->text(), QStringLiteral("1回/6点"));
}

TEST_F(HubScreen, KeysTypedWhileTheHubRefreshedAreDroppedWhenDeliveredLate) {
    // The refresh ended when the keys' clock read 5000.
    navigator.keyTime = 5000;
    auto hub = shownHub();
    const auto key = [&](char c, ulong stamp) { typeOnStageStamped(*hub.stage, c, stamp); };
    key('4', 4980); // typed 20 ms before the end ("メニューへ" then "4" at once)
    EXPECT_TRUE(navigator.shown.isEmpty());
    EXPECT_TRUE(hub->hubReady());
    key('4', 5010); // typed after it
    EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Drill});
    EXPECT_EQ(ctx->hensuu1.currentLevel, 4);
}

} // namespace baisuu

namespace baisuu {

// 苦手練習 from the hub, in a window 1.37 times the stage: the pupil's key N
// opens their own 苦手な数 pages, whose levels with weak numbers offer
// 「苦手を練習」; a teacher's hub has no such button, nor another pupil's page.
TEST_F(HubScreen, ThePupilsKeyNOpensTheirWeakNumbersWhereEachLevelOffersPractice) {
    writeRosterFile();
    const QDate day = clock.now().date();
    // Level 5: 35 missed lately; level 2: every number right and quick.
    ASSERT_FALSE(AppendAnswers(AnswersFilePath(ctx->hensuu1.paths.dataFolder, kPupil),
                               {{day, 36000, 5, 5, 35, 3, false, 900},
                                {day, 36001, 5, 5, 12, 1, true, 500},
                                {day, 36002, 2, 2, 14, 1, true, 400}}));
    scale = 1.37;
    {
        ctx->hensuu1.pupilName = QStringLiteral("田中先生");
        auto hub = shownHub();
        EXPECT_TRUE(child<QPushButton>(*hub, QStringLiteral("practice"))->isHidden());
        ctx->hensuu1.pupilName = QStringLiteral("山田　花子　");
    }
    auto hub = shownHub();
    auto* practice = child<QPushButton>(*hub, QStringLiteral("practice"));
    ASSERT_TRUE(practice->isVisible());
    EXPECT_EQ(textFitProblem(*practice, practice->text()), QString());
    typeOnStage(*hub.stage, 'n');
    ChartPanel* panel = hub->chartPanel();
    ASSERT_TRUE(panel->isVisible());
    ASSERT_TRUE(panel->showsWeakNumbers());
    EXPECT_EQ(panel->Picture12->weakNumbers().pupil, kPupil);
    QStringList offered;
    for (const QPushButton* b : panel->Picture12->practiceButtons()) {
        offered << b->objectName();
        EXPECT_TRUE(b->isVisible());
        EXPECT_EQ(textFitProblem(*b, b->text()), QString());
    }
    EXPECT_EQ(offered, QStringList{QStringLiteral("practice5")});
    snapshot(*hub, QStringLiteral("hub_practice_offered"));

    navigator.shown.clear();
    clickOnStage(*hub.stage, panel->Picture12->practiceButtons().first());
    EXPECT_TRUE(navigator.texts.isEmpty()) << navigator.texts.join(u'\n').toStdString();
    EXPECT_EQ(navigator.shown, QList<Screen>{Screen::Drill});
    EXPECT_EQ(ctx->hensuu1.currentLevel, 5);
    ASSERT_TRUE(ctx->drill.practice.has_value());
    ASSERT_EQ(ctx->drill.practice->before.numbers.size(), 1);
    EXPECT_EQ(ctx->drill.practice->before.numbers[0].tally.number, 35);
}

} // namespace baisuu
