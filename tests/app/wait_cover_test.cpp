// Waits that let events run, as a school meets them: another machine holds the
// results log while a teacher deletes or corrects a run, or while a pupil's run
// is recorded. Meanwhile the person clicks and types through the window; the
// cover takes it all, no screen is destroyed under its waiting handler, and
// once the log is free the write is done once.

#include "drill/drill_fixture.h"
#include "drill/drill_screen.h"
#include "records/file_lock.h"
#include "records/results_log.h"
#include "stage_input.h"
#include "teacher/records_manager_screen.h"
#include "ui/stage.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace baisuu {

namespace {

// Another machine that holds the log's whole-file lock until told to let go.
class LockHolder {
  public:
    explicit LockHolder(const QString& log) {
        if (::pipe(ready_) != 0 || ::pipe(release_) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            QFile file(log);
            PlatformFileLock platform;
            WholeFileLock lock(platform, file);
            const bool ok = file.open(QIODevice::ReadWrite) &&
                            lock.tryLock(nullptr) == FileLock::Outcome::Locked;
            (void)!::write(ready_[1], ok ? "y" : "n", 1);
            char c;
            (void)!::read(release_[0], &c, 1);
            ::_exit(0);
        }
        char c = 0;
        held_ = ::read(ready_[0], &c, 1) == 1 && c == 'y';
    }
    ~LockHolder() {
        release();
        for (int fd : {ready_[0], ready_[1], release_[0], release_[1]})
            ::close(fd);
    }
    bool held() const { return held_; }
    void release() {
        if (pid_ <= 0) return;
        (void)!::write(release_[1], "x", 1);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    int ready_[2] = {-1, -1}, release_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool held_ = false;
};

void letEventsRun(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class WaitCover : public ::testing::Test, public DrillFixture {
  protected:
    WaitCover() {
        writeFile(dir, QStringLiteral("新名簿.txt"),
                  sjis(QStringLiteral("7,2017,0,0,\"山田　花子\",0,\"\",\"\"\r\n"
                                      "8,2017,0,0,\"佐藤　一郎\",0,\"\",\"\"\r\n")));
        // The screens hand over through a real stage, as in the program.
        app.reset(new AppContext{ctx->hensuu1, ctx->criteria, {}, clock, random, sound, launcher,
                                 stage, {}, ctx->sounds, 0});
        stage.resize(qRound(kStageWidth * 1.5), qRound(kStageHeight * 1.5));
        stage.show();
        // Every deletion the records manager asks about is confirmed.
        stage.askHook = [](const QString&, const QString&, Question) { return true; };
    }
    QString log() const { return app->hensuu1.paths.resultsLogFile(); }
    void addRun(int pupil, qint32 time) {
        ASSERT_FALSE(AppendResult(log(), {qint16(pupil), 3, time, {}, clock.now()}));
    }
    QList<ResultRecord> records() const {
        QList<ResultRecord> out;
        EXPECT_FALSE(ReadResultRecords(log(), &out, {}));
        return out;
    }

    std::function<QWidget*(Screen)> screens = [this](Screen s) -> QWidget* {
        switch (s) {
        case Screen::RecordsManager:
            return new FrmData(*app);
        case Screen::Drill:
            return new MainFrm(*app, nullptr, defer());
        default:
            return new QWidget; // the hub and the wait screen: only where the road goes
        }
    };
    Stage stage{[this](Screen s) { return screens(s); }};
    std::unique_ptr<AppContext> app;
};

} // namespace

TEST_F(WaitCover, RecordsManagerWritesOnceWhateverIsClickedWhileTheLogIsHeld) {
    for (const qint32 time : {21, 22, 23})
        addRun(7, time);
    stage.show(Screen::RecordsManager);
    auto* manager = static_cast<FrmData*>(stage.current());
    clickOnStage(stage, manager->Command22);
    ASSERT_EQ(manager->List1->count(), 3);
    const QPointer<FrmData> alive = manager;

    // The correction of record 2, while another machine holds the log.
    {
        QListWidget* list = manager->List1;
        doubleClickOnStage(stage, list->viewport(), list->visualItemRect(list->item(1)).center());
        ASSERT_TRUE(manager->Picture3->isVisible());
        manager->Text1->setText(QStringLiteral("19"));
        LockHolder holder(log());
        ASSERT_TRUE(holder.held());
        int waits = 0;
        app->waitWhileBusy = [&] {
            ++waits;
            EXPECT_TRUE(stage.covered());
            if (waits == 2) {
                // Every control a teacher could reach, and the keys.
                for (QPushButton* w : {manager->Command4, manager->Command22, manager->Command17,
                                       manager->Command2, manager->Command3})
                    clickOnStage(stage, w);
                typeOnStage(stage, Qt::Key_Escape);
                typeOnStage(stage, '0');
                EXPECT_EQ(stage.currentScreen(), Screen::RecordsManager);
            }
            if (waits == 3) {
                // A hand-over asked for by something else than a click (a timer)
                // shows the next screen, but the waiting screen lives on.
                stage.show(Screen::Hub);
                letEventsRun(5);
                EXPECT_TRUE(alive);
            }
            if (waits == 4) holder.release();
            letEventsRun(10);
        };
        clickOnStage(stage, manager->Command2);
        EXPECT_GE(waits, 4);
        EXPECT_FALSE(stage.covered());
        EXPECT_EQ(stage.currentScreen(), Screen::Hub);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(alive) << "the screen handed over goes once its handler has returned";
    }

    // The correction landed once: record 2 now has 19 seconds, nothing else changed.
    QList<ResultRecord> now = records();
    ASSERT_EQ(now.size(), 3);
    EXPECT_EQ(now[1].runTime, 19);
    EXPECT_EQ(now[0].runTime, 21);
    EXPECT_EQ(now[2].runTime, 23);

    // The deletion, on the screen opened again, with the teacher clicking 戻る while it waits.
    stage.show(Screen::RecordsManager);
    manager = static_cast<FrmData*>(stage.current());
    clickOnStage(stage, manager->Command22);
    QListWidget* list = manager->List1;
    doubleClickOnStage(stage, list->viewport(), list->visualItemRect(list->item(1)).center());
    LockHolder holder(log());
    ASSERT_TRUE(holder.held());
    int waits = 0;
    app->waitWhileBusy = [&] {
        if (++waits == 2) clickOnStage(stage, manager->Command4);
        if (waits == 3) holder.release();
        letEventsRun(10);
    };
    clickOnStage(stage, manager->Command3);
    EXPECT_EQ(stage.currentScreen(), Screen::RecordsManager); // 戻る went to the cover
    now = records();
    ASSERT_EQ(now.size(), 2);
    EXPECT_EQ(now[0].runTime, 21);
    EXPECT_EQ(now[1].runTime, 23);
    EXPECT_EQ(manager->List1->count(), 2);
    EXPECT_EQ(manager->List1->currentRow(), 1);
}

TEST_F(WaitCover, ARunIsRecordedOnceWhileThePupilKeepsPressing) {
    app->hensuu1.currentLevel = 3; // draws of 0.3 always ask 33: key "3"
    ASSERT_TRUE(StartRun(*app));
    QFile(log()).open(QIODevice::WriteOnly);
    stage.show(Screen::Drill);
    auto* drill = static_cast<MainFrm*>(stage.current());
    for (int i = 0; i < 19; ++i)
        typeOnStage(stage, '3');
    ASSERT_EQ(app->drill.correctCount, 19);

    LockHolder holder(log());
    ASSERT_TRUE(holder.held());
    int waits = 0;
    app->waitWhileBusy = [&] {
        if (++waits == 2) {
            for (const char* name : {"Command2_1", "Command2_2"})
                clickOnStage(stage, drill->findChild<QWidget*>(QLatin1String(name)));
            typeOnStage(stage, '3');
            typeOnStage(stage, '1');
            EXPECT_EQ(stage.currentScreen(), Screen::Drill);
        }
        if (waits == 3) holder.release();
        letEventsRun(10);
    };
    typeOnStage(stage, '3');
    EXPECT_GE(waits, 3);
    EXPECT_EQ(records().size(), 1);
    EXPECT_EQ(app->drill.correctCount, 20);
    EXPECT_EQ(stage.currentScreen(), Screen::Wait);
}

} // namespace baisuu
