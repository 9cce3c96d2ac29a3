#pragma once
// An AppContext on test services for the selection screen and its model: a
// school in a temporary folder (program folder, data root, roster, results
// log), a launcher that records what it was asked to start, and the recording
// navigator and sound player of the drill's tests.

#include "context/app_context.h"
#include "drill/drill_fixture.h"
#include "test_support.h"

#include <QDir>
#include <gtest/gtest.h>
#include <memory>

namespace baisuu {

class RecordingLauncher final : public Launcher {
  public:
    bool start(const QString& program, const QStringList& arguments) override {
        programs << program;
        argumentLists << arguments;
        return starts;
    }
    QStringList programs;
    QList<QStringList> argumentLists;
    bool starts = true;
};

struct SelectionFixture {
    SelectionFixture() {
        ctx.reset(new AppContext{{}, {}, {}, clock, random, sound, launcher, navigator, {}, {}, 0});
        Hensuu1& h = ctx->hensuu1;
        h.paths.appDir = dir.path() + QStringLiteral("/school/倍数判定/");
        h.paths.dataRoot = dir.path() + QStringLiteral("/data/");
        h.paths.dataFolder = h.paths.dataRoot + QStringLiteral("倍数判定/");
        h.paths.soundFolder = h.paths.dataRoot + QStringLiteral("音フォルダ/");
        for (const QString& folder : {h.paths.appDir, h.paths.dataFolder, h.paths.soundFolder})
            QDir().mkpath(folder);
        SetUpContent(h);
        h.seasonColor = 0x0040C0; // autumn
        // The wrong-answer cue has one file, so every refusal plays it.
        ctx->sounds.soundTable[1][int(SoundCue::Wrong2)] = QStringLiteral("ブー");
        ctx->sounds.soundTable[21][int(SoundCue::Wrong2)] = QStringLiteral("1");
        for (int level = 1; level <= 11; ++level) {
            LevelCriteria& c = ctx->criteria.levels[level];
            c.targetTime = 30;
            c.passTime = 60;
            c.pointFactor = 1;
            c.judgeDays = DrillFixture::number(7);
            c.overdoDays = DrillFixture::number(7);
        }
    }

    // The same school and services, with messages and hand-overs going to nav.
    void useNavigator(Navigator& nav) {
        std::unique_ptr<AppContext> old = std::move(ctx);
        ctx.reset(new AppContext{old->hensuu1,
                                 old->criteria,
                                 {},
                                 clock,
                                 random,
                                 sound,
                                 launcher,
                                 nav,
                                 {},
                                 old->sounds,
                                 0});
    }

    // Roster records "number,baseYear,0,0,"name",status,"",""" as the roster file.
    void writeRoster(const QStringList& records) {
        writeFile(dir, QStringLiteral("data/新名簿.txt"),
                  sjis(records.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }
    static QString record(int number, int baseYear, const QString& name, int status = 0) {
        return QStringLiteral("%1,%2,0,0,\"%3\",%4,\"\",\"\"")
            .arg(number)
            .arg(baseYear)
            .arg(name)
            .arg(status);
    }
    // On 12 May 2026 (school year 2026): 小３, 中１, 小１, and one pupil off the lists.
    void writeSchool() {
        writeRoster({record(1, 2017, QStringLiteral("山田　花子")),
                     record(2, 2013, QStringLiteral("佐藤　健")),
                     record(3, 2019, QStringLiteral("鈴木　一郎")),
                     record(4, 2012, QStringLiteral("休会中"), 1)});
    }
    void addRun(int pupil, int level, qint32 time, const QDateTime& when) {
        ASSERT_FALSE(AppendResult(ctx->hensuu1.paths.resultsLogFile(),
                                  {qint16(pupil), qint16(level), time, {}, when}));
    }
    QString menuProgram() const {
        return QDir::cleanPath(ctx->hensuu1.paths.appDir +
                               QStringLiteral("../起動/プログラムメニューc.exe"));
    }

    QTemporaryDir dir;
    FakeClock clock{QDateTime(QDate(2026, 5, 12), QTime(10, 0, 0, 600))};
    ScriptedRandom random{{0.3}};
    RecordingSoundPlayer sound;
    RecordingLauncher launcher;
    RecordingNavigator navigator;
    std::unique_ptr<AppContext> ctx;
};

} // namespace baisuu
