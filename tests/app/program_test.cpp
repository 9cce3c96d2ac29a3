#include "core/text_file.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

ProcessResult cli(const QString& programDir, const QStringList& args) {
    return runProgram(QStringLiteral(BAISUU_CLI),
                      QStringList{QStringLiteral("--program-dir"), programDir,
                                  QStringLiteral("--now"), QStringLiteral("2026-12-08T10:00:00")} +
                          args);
}

// The program started from a terminal without a display (a login over ssh):
// no DISPLAY, no WAYLAND_DISPLAY, no platform chosen, but what `set` names.
ProcessResult runWithoutDisplay(const QStringList& args, const QStringList& set) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                QStringLiteral("QT_QPA_PLATFORM")})
        env.remove(name);
    for (const QString& pair : set)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(BAISUU_APP), args);
    if (!p.waitForFinished(20000)) p.kill();
    p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

// What the program says before any window: in Japanese, with the option names
// as typed, never Qt's English usage or its abort.
TEST(Program, TellsWrongOptionsAndAMissingDisplayInJapanese) {
    const QStringList run{QStringLiteral("--pupil"), QStringLiteral("1"), QStringLiteral("--level"),
                          QStringLiteral("3")};
    const struct {
        QStringList args;
        QStringList set;
        int code;
        QStringList told; // on stdout for exit 0, else on stderr
    } rows[] = {
        {run, {}, 2, {"画面がありません", "DISPLAY", "QT_QPA_PLATFORM=offscreen"}},
        {run, {"DISPLAY=:4711"}, 2, {"画面（:4711）に接続できません", "QT_QPA_PLATFORM=offscreen"}},
        {{"--bogus"}, {}, 2, {"知らないオプションです: --bogus", "baisuu --help"}},
        {{"--level"}, {}, 2, {"--level のあとに L を書いてください"}},
        {{"--silent=yes"}, {}, 2, {"--silent には値を付けません"}},
        {{"extra"}, {}, 2, {"余分な引数です: extra"}},
        {{"--help"}, {}, 0, {"使い方: baisuu", "オプション:", "--program-dir DIR", "--fullscreen"}},
    };
    for (const auto& row : rows) {
        const ProcessResult r = runWithoutDisplay(row.args, row.set);
        const QString said = row.code == 0 ? r.out : r.err;
        const std::string trace = (row.args + row.set).join(' ').toStdString();
        EXPECT_EQ(r.code, row.code) << trace << ": " << r.err.toStdString();
        for (const QString& text : row.told)
            EXPECT_TRUE(said.contains(text)) << trace << ": " << said.toStdString();
        for (const char* english : {"Usage:", "Options:", "Unknown option", "Missing value",
                                    "Unexpected value", "Aborted", "failed to start"})
            EXPECT_FALSE((r.out + r.err).contains(QLatin1String(english)))
                << trace << ": " << (r.out + r.err).toStdString();
    }
}

TEST(Cli, DemoInstallationLoadsChecksCleanAndIsNotOverwritten) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    const QString program = root + QStringLiteral("/倍数判定");
    ASSERT_EQ(cli(program, {QStringLiteral("init-demo"), root}).code, 0);
    // A second init without --force refuses to touch the school.
    const ProcessResult again = cli(program, {QStringLiteral("init-demo"), root});
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("--force")));

    const ProcessResult config = cli(program, {QStringLiteral("config")});
    ASSERT_EQ(config.code, 0) << config.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(config.out.toUtf8()).object();
    EXPECT_EQ(o.value("dataRoot").toString(), QDir(root).absolutePath() + QStringLiteral("/data/"));
    EXPECT_EQ(o.value("dataFolder").toString(),
              o.value("dataRoot").toString() + QStringLiteral("倍数判定/"));
    EXPECT_EQ(o.value("levelCount").toInt(), 11);
    EXPECT_EQ(o.value("schoolCode").toString().size(), 5);
    EXPECT_TRUE(o.value("teacherPasswordSet").toBool());
    for (const QJsonValue v : o) // never the password itself
        EXPECT_NE(v.toString(), QStringLiteral("2468"));
    const QJsonArray names = o.value("levelNames").toArray();
    ASSERT_EQ(names.size(), 25);
    EXPECT_EQ(names[11].toString(), QStringLiteral("レベル４－1"));

    const ProcessResult criteria = cli(program, {QStringLiteral("criteria")});
    const QJsonArray levels = QJsonDocument::fromJson(criteria.out.toUtf8()).array();
    ASSERT_EQ(levels.size(), 36);
    EXPECT_GT(levels[11].toObject().value("passTime").toInt(), 0);
    EXPECT_TRUE(levels[12].toObject().value("judgeDays").isNull());

    const ProcessResult check = cli(program, {QStringLiteral("check")});
    EXPECT_EQ(check.code, 0) << check.out.toStdString();
}

TEST(Cli, CheckAndLoadingNameTheBrokenFile) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    const QString program = root + QStringLiteral("/倍数判定");
    ASSERT_EQ(cli(program, {QStringLiteral("init-demo"), root}).code, 0);
    const QString criteria = root + QStringLiteral("/data/倍数判定/タイム回数データ.txt");
    FileError error;
    QString text = *ReadTextFile(criteria, &error);
    text.replace(QStringLiteral("\r\n20,30,"), QStringLiteral("\r\n２０,30,"));
    ASSERT_TRUE(WriteTextFile(criteria, text, &error));
    const ProcessResult check = cli(program, {QStringLiteral("check")});
    EXPECT_EQ(check.code, 1);
    EXPECT_TRUE(check.out.contains(QStringLiteral("タイム回数データ.txt (2行目)")))
        << check.out.toStdString();

    // A sound the list names but the folder lacks, and a missing fixed sound.
    QDir sounds(root + QStringLiteral("/data/音フォルダ"));
    ASSERT_TRUE(sounds.remove(QStringLiteral("正解音2_2.wav")));
    ASSERT_TRUE(sounds.remove(QStringLiteral("合格.wav")));
    const ProcessResult soundCheck = cli(program, {QStringLiteral("check")});
    EXPECT_TRUE(soundCheck.out.contains(QStringLiteral("正解音2_2.wav: 「正解音2」に登録された")))
        << soundCheck.out.toStdString();
    EXPECT_TRUE(soundCheck.out.contains(QStringLiteral("合格.wav: 音のファイルがありません")));

    QFile common(root + QStringLiteral("/data/共通データ.txt"));
    ASSERT_TRUE(common.open(QIODevice::WriteOnly));
    common.write("4\r\n\x82\r\n");
    common.close();
    const ProcessResult config = cli(program, {QStringLiteral("config")});
    EXPECT_NE(config.code, 0);
    EXPECT_TRUE(config.err.contains(QStringLiteral("共通データ.txt")));
    EXPECT_TRUE(config.out.isEmpty());
}

TEST(Program, ScreenshotTourSavesEveryScreenStateAndLeavesTheSchoolUntouched) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    const QString program = root + QStringLiteral("/倍数判定");
    ASSERT_EQ(cli(program, {QStringLiteral("init-demo"), root}).code, 0);
    const QString log = root + QStringLiteral("/data/倍数判定/成績累積データ.dat");
    const qint64 before = QFileInfo(log).size();
    const QString shots = dir.filePath(QStringLiteral("shots"));
    const ProcessResult tour =
        runProgram(QStringLiteral(BAISUU_APP),
                   {QStringLiteral("--program-dir"), program, QStringLiteral("--silent"),
                    QStringLiteral("--screenshots"), shots},
                   120000);
    ASSERT_EQ(tour.code, 0) << tour.err.toStdString();
    const QStringList pictures =
        QDir(shots).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    EXPECT_EQ(pictures, (QStringList{"01_splash.png",
                                     "02_version.png",
                                     "03_drill_start.png",
                                     "04_drill_wrong_answer.png",
                                     "05_drill_time_out.png",
                                     "06_finish_time_out.png",
                                     "07_finish_personal_best.png",
                                     "08_finish_goal_banner.png",
                                     "09_hub.png",
                                     "10_selection_mode0.png",
                                     "11_selection_mode3.png",
                                     "12_hub_pupil.png",
                                     "13_hub_scrolled.png",
                                     "14_hub_blocked.png",
                                     "15_hub_teacher.png",
                                     "16_hub_time_best.png",
                                     "17_hub_time_today.png",
                                     "18_hub_time_all.png",
                                     "19_hub_points_total.png",
                                     "20_hub_points_today.png",
                                     "21_hub_points_all.png",
                                     "22_hub_own_runs.png",
                                     "23_hub_chart_three_levels.png",
                                     "24_hub_other_pupils.png",
                                     "25_hub_weak_numbers.png",
                                     "26_hub_password_panel.png",
                                     "27_criteria_editor_changed.png",
                                     "28_records_manager_editor.png",
                                     "29_practice_finish.png"}));
    EXPECT_EQ(QFileInfo(log).size(), before);
}

// Nobody can close a message box on the offscreen platform or during the
// tour: the message goes to standard error and the program ends at once with
// a failure, instead of waiting for ever.
TEST(Program, UnattendedMessagesGoToStandardErrorAndEndTheProgram) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    const QString program = root + QStringLiteral("/倍数判定");
    ASSERT_EQ(cli(program, {QStringLiteral("init-demo"), root}).code, 0);
    auto run = [&](const QStringList& args) {
        QElapsedTimer clock;
        clock.start();
        const ProcessResult r = runProgram(
            QStringLiteral(BAISUU_APP),
            QStringList{QStringLiteral("--program-dir"), program, QStringLiteral("--silent")} +
                args,
            20000);
        EXPECT_LT(clock.elapsed(), 15000);
        EXPECT_GT(r.code, 0) << r.err.toStdString(); // -1: it had to be killed
        return r.err;
    };
    // A level without problems is refused by the drill's own message.
    EXPECT_TRUE(
        run({QStringLiteral("--pupil"), QStringLiteral("1"), QStringLiteral("--level"),
             QStringLiteral("12")})
            .contains(QStringLiteral("レベルの設定: レベル「レベル４－２」には問題がありません")));

    QFile common(root + QStringLiteral("/data/共通データ.txt"));
    ASSERT_TRUE(common.open(QIODevice::WriteOnly | QIODevice::Truncate));
    common.close();
    EXPECT_TRUE(run({}).contains(QStringLiteral("設定エラー: ")));
    const QString tour =
        run({QStringLiteral("--screenshots"), dir.filePath(QStringLiteral("shots"))});
    EXPECT_TRUE(tour.contains(QStringLiteral("起動エラー: ")));
    EXPECT_TRUE(tour.contains(QStringLiteral("共通データ.txt"))) << tour.toStdString();
}

// Where the program goes after the splash: without --pupil the pupil signs in
// on the selection screen, with --pupil alone the hub opens for that pupil.
// A results log that cannot be read makes each screen say so under its own
// title, which tells the two roads apart.
TEST(Program, StartsOnTheSelectionScreenOrTheNamedPupilsHub) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    const QString program = root + QStringLiteral("/倍数判定");
    ASSERT_EQ(cli(program, {QStringLiteral("init-demo"), root}).code, 0);
    const QString log = root + QStringLiteral("/data/倍数判定/成績累積データ.dat");
    ASSERT_TRUE(QFile::remove(log));
    ASSERT_TRUE(QDir().mkpath(log));
    const struct {
        QStringList args;
        QString title;
    } roads[] = {
        {{}, QStringLiteral("名簿の読み込み: ")},
        {{QStringLiteral("--pupil"), QStringLiteral("1")}, QStringLiteral("成績の読み込み: ")},
    };
    for (const auto& road : roads) {
        const ProcessResult r = runProgram(
            QStringLiteral(BAISUU_APP),
            QStringList{QStringLiteral("--program-dir"), program, QStringLiteral("--silent")} +
                road.args,
            20000);
        EXPECT_EQ(r.code, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(road.title)) << r.err.toStdString();
    }
}

} // namespace baisuu

namespace baisuu {

// The first start of a day copies the results log for that day; later starts
// leave the copy alone, and a copy that cannot be made only tells on stderr.
TEST(Program, TheFirstStartOfADayBacksUpTheLogAndAFailedCopyDoesNotStopIt) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    const QString program = root + QStringLiteral("/倍数判定");
    ASSERT_EQ(cli(program, {QStringLiteral("init-demo"), root}).code, 0);
    const QString log = root + QStringLiteral("/data/倍数判定/成績累積データ.dat");
    const QString copy =
        root + QStringLiteral("/data/倍数判定/バックアップ/成績累積データ-20261209.dat");
    auto start = [&] { // the drill refuses level 12 and the program ends
        return runProgram(QStringLiteral(BAISUU_APP),
                          {QStringLiteral("--program-dir"), program, QStringLiteral("--silent"),
                           QStringLiteral("--now"), QStringLiteral("2026-12-09T08:00:00"),
                           QStringLiteral("--pupil"), QStringLiteral("1"),
                           QStringLiteral("--level"), QStringLiteral("12")},
                          20000);
    };
    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QByteArray original = logFile.readAll();
    logFile.close();
    ASSERT_FALSE(original.isEmpty());

    EXPECT_GT(start().code, 0);
    QFile made(copy);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.readAll(), original);
    made.close();

    ASSERT_TRUE(logFile.open(QIODevice::WriteOnly | QIODevice::Append));
    logFile.write(original.left(44));
    logFile.close();
    EXPECT_GT(start().code, 0); // the same day: the copy stays as it was
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.readAll(), original);
    made.close();

    const QString folder = QFileInfo(copy).absolutePath(); // no folder for the copies
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ProcessResult r = start();
    EXPECT_GT(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("今日のバックアップを作れませんでした")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("レベルの設定: "))) << r.err.toStdString();
}

} // namespace baisuu
