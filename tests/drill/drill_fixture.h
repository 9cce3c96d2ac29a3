#pragma once
// A complete AppContext on test services for the drill's tests: a fake clock,
// scripted draws, a sound player that records (and can hold or fail) every
// play, a navigator that records, and a data root in a temporary folder.

#include "context/app_context.h"
#include "drill/drill_engine.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <deque>
#include <memory>

namespace baisuu {

class RecordingSoundPlayer final : public SoundPlayer {
  public:
    void play(const QString& file, Done done) override {
        played << QFileInfo(file).fileName();
        const bool ok = !failAll && !failing.contains(QFileInfo(file).fileName());
        const QString error = ok ? QString() : QStringLiteral("デバイスがありません");
        if (hold)
            pending.push_back([done, ok, error] { done(ok, error); });
        else
            done(ok, error);
    }
    // Ends every held sound, in order.
    void release() {
        while (!pending.empty()) {
            auto next = std::move(pending.front());
            pending.pop_front();
            next();
        }
    }

    QStringList played;
    bool hold = false;
    bool failAll = false;
    QStringList failing;
    std::deque<std::function<void()>> pending;
};

class RecordingNavigator final : public Navigator {
  public:
    void show(Screen screen) override { shown << screen; }
    void message(const QString& title, const QString& text) override {
        titles << title;
        texts << text;
    }
    // Answers from the queue, and No (or Cancel) once it is empty.
    bool ask(const QString& title, const QString& text, Question kind) override {
        asked.append({title, text});
        askedKinds << kind;
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void quit(int exitCode) override { quits << exitCode; }
    qint64 keyTimeNow() const override { return keyTime; }

    QList<Screen> shown;
    QStringList titles, texts;
    QList<std::pair<QString, QString>> asked; // title and text of each question
    QList<Question> askedKinds;
    std::deque<bool> answers;
    QList<int> quits;
    qint64 keyTime = -1;
};

class NoLauncher final : public Launcher {
  public:
    bool start(const QString&, const QStringList&) override { return false; }
};

class RecordingView final : public DrillView {
  public:
    void problemChanged() override { ++problems; }
    void statusChanged() override { ++statuses; }
    void overlayShown() override { ++overlays; }
    void runClockChanged(bool on) override { clockOn = on; }
    int problems = 0, statuses = 0, overlays = 0;
    bool clockOn = false;
};

struct DrillFixture {
    // player: a real one for the tests that listen; the recording one otherwise.
    explicit DrillFixture(SoundPlayer* player = nullptr) {
        ctx.reset(new AppContext{{}, {}, {}, clock, random, player ? *player : sound, launcher,
                                 navigator, {}, {}, 0});
        Hensuu1& h = ctx->hensuu1;
        h.paths.dataRoot = dir.path() + QStringLiteral("/");
        h.paths.dataFolder = h.paths.dataRoot + QStringLiteral("倍数判定/");
        h.paths.soundFolder = h.paths.dataRoot + QStringLiteral("音フォルダ/");
        QDir().mkpath(h.paths.dataFolder);
        QDir().mkpath(h.paths.soundFolder);
        SetUpContent(h);
        BuildLevelCatalog(h.catalog);
        h.siteName = QStringLiteral("本町教室");
        h.schoolCode = QStringLiteral("12345");
        h.currentPupil = 7;
        h.pupilName = QStringLiteral("山田　花子　");
        h.pupilStartTime = 9 * 3600 + 30 * 60; // signed in at 9:30
        h.currentLevel = 3;
        for (int level = 1; level <= 24; ++level)
            setCriteria(level, 30, 60);
    }

    void setCriteria(int level, qint32 target, qint32 pass) {
        LevelCriteria& c = ctx->criteria.levels[level];
        c.targetTime = target;
        c.passTime = pass;
        c.clearPoints = 5;
        c.clearCount = 1;
        c.pointFactor = 1;
        c.judgeDays = number(7);
        c.overdoDays = number(7);
    }

    static Value number(double v) { return Value{Value::Kind::Number, v, {}}; }

    // Deferred hand-overs (the one-second wait) run when the test says so.
    Defer defer() {
        return [this](int ms, std::function<void()> then) {
            deferredMs << ms;
            deferred.push_back(std::move(then));
        };
    }
    void runDeferred() {
        auto all = std::move(deferred);
        deferred.clear();
        for (auto& f : all)
            f();
    }

    qint64 logSize() const { return QFileInfo(ctx->hensuu1.paths.resultsLogFile()).size(); }

    QTemporaryDir dir;
    FakeClock clock{QDateTime(QDate(2026, 5, 12), QTime(10, 0, 0))};
    ScriptedRandom random{{0.3}};
    RecordingSoundPlayer sound;
    NoLauncher launcher;
    RecordingNavigator navigator;
    std::unique_ptr<AppContext> ctx;
    QList<int> deferredMs;
    std::vector<std::function<void()>> deferred;
};

} // namespace baisuu
