// The two programs as a machine without a desktop and without a school beside
// them runs them: --help and --version need no display, and the program
// folder comes from the settings files.

#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

class InstalledProgramsTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString platform; // empty: none chosen, as on a terminal without a desktop

    // Settings only in this test's folders; no display.
    ProcessResult run(const QString& program, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (!platform.isEmpty()) env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("user")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), dir.filePath(QStringLiteral("system")));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    ProcessResult cli(const QStringList& args) { return run(QStringLiteral(BAISUU_CLI), args); }
    QString school(const QString& name) {
        const QString root = dir.filePath(name);
        EXPECT_EQ(cli({QStringLiteral("init-demo"), root}).code, 0);
        return root + QStringLiteral("/倍数判定");
    }
    void setting(const char* scope, const QString& programDir) {
        writeFile(dir, QString::fromLatin1(scope) + QStringLiteral("/baisuu/baisuu.conf"),
                  "[General]\nprogramDir=" + programDir.toUtf8() + "\n");
    }
    QString dataRootOf(const ProcessResult& config) {
        const QRegularExpression line(QStringLiteral("\"dataRoot\": \"([^\"]*)\""));
        return line.match(config.out).captured(1);
    }
};

} // namespace

TEST_F(InstalledProgramsTest, HelpAndVersionPrintWithoutADisplay) {
    const QString version = QStringLiteral(BAISUU_VERSION);
    const ProcessResult appVersion = run(QStringLiteral(BAISUU_APP), {QStringLiteral("--version")});
    EXPECT_EQ(appVersion.code, 0) << appVersion.err.toStdString();
    EXPECT_EQ(appVersion.out, QStringLiteral("倍数判定 ") + version + QStringLiteral("\n"));
    const ProcessResult appHelp = run(QStringLiteral(BAISUU_APP), {QStringLiteral("--help")});
    EXPECT_EQ(appHelp.code, 0) << appHelp.err.toStdString();
    for (const char* option : {"--program-dir", "--screenshots", "--version", "programDir"})
        EXPECT_TRUE(appHelp.out.contains(QLatin1String(option))) << option;

    const ProcessResult cliVersion = cli({QStringLiteral("--version")});
    EXPECT_EQ(cliVersion.code, 0);
    EXPECT_EQ(cliVersion.out, QStringLiteral("baisuu-cli ") + version + QStringLiteral("\n"));
    const ProcessResult cliHelp = cli({QStringLiteral("--help")});
    EXPECT_EQ(cliHelp.code, 0);
    EXPECT_TRUE(cliHelp.err.isEmpty()) << cliHelp.err.toStdString();
    for (const char* text : {"使い方: baisuu-cli", " init-demo", " config", " check", "programDir"})
        EXPECT_TRUE(cliHelp.out.contains(QString::fromUtf8(text))) << text;

    // Bad input is still a usage error on stderr.
    for (const QStringList& bad :
         {QStringList{}, QStringList{QStringLiteral("--bogus"), QStringLiteral("x")},
          QStringList{QStringLiteral("--program-dir")},
          QStringList{QStringLiteral("no-such-command")}}) {
        const ProcessResult r = cli(bad);
        EXPECT_EQ(r.code, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(QStringLiteral("使い方: baisuu-cli"))) << r.err.toStdString();
    }
}

// Options are read before a display is looked for, and every command tells
// its usage without a school.
TEST_F(InstalledProgramsTest, OptionsAreCheckedAndCommandsExplainedWithoutADisplayOrSchool) {
    for (const QStringList& bad : {QStringList{QStringLiteral("--bogus")},
                                   QStringList{QStringLiteral("--silent"), QStringLiteral("-x")},
                                   QStringList{QStringLiteral("--program-dir")}}) {
        const ProcessResult r = run(QStringLiteral(BAISUU_APP), bad);
        EXPECT_EQ(r.code, 2) << bad.join(' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(bad.last().mid(bad.last().lastIndexOf('-') + 1)))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("baisuu --help"))) << r.err.toStdString();
    }

    const QString help = cli({QStringLiteral("--help")}).out;
    const QRegularExpression list(QStringLiteral("コマンド:([^\n]*)"));
    const QStringList commands =
        list.match(help).captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    EXPECT_GE(commands.size(), 20) << help.toStdString();
    for (const QString& command : commands) {
        const ProcessResult r = cli({command, QStringLiteral("--help")});
        EXPECT_EQ(r.code, 0) << command.toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("使い方: baisuu-cli ")) &&
                    r.out.contains(QStringLiteral(" ") + command))
            << r.out.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("programDir"))) << r.err.toStdString();
    }
    const ProcessResult chart = cli({QStringLiteral("chart"), QStringLiteral("--help")});
    EXPECT_TRUE(chart.out.contains(QStringLiteral("--out FILE.pdf"))) << chart.out.toStdString();
}

TEST_F(InstalledProgramsTest, CliTakesTheProgramFolderFromTheSettings) {
    const ProcessResult none = cli({QStringLiteral("config")});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.out.isEmpty());
    for (const QString& text :
         {QStringLiteral("プログラムフォルダがわかりません"), QStringLiteral("--program-dir"),
          QStringLiteral("programDir"), dir.filePath(QStringLiteral("user/baisuu/baisuu.conf")),
          dir.filePath(QStringLiteral("system/baisuu/baisuu.conf"))})
        EXPECT_TRUE(none.err.contains(text)) << text.toStdString() << none.err.toStdString();

    // init-demo writes a school and needs none.
    const QString machines = school(QStringLiteral("machines"));
    const QString users = school(QStringLiteral("users"));
    setting("system", machines);
    EXPECT_EQ(dataRootOf(cli({QStringLiteral("config")})),
              dir.filePath(QStringLiteral("machines/data/")));
    setting("user", users);
    EXPECT_EQ(dataRootOf(cli({QStringLiteral("config")})),
              dir.filePath(QStringLiteral("users/data/")));
    EXPECT_EQ(
        dataRootOf(cli({QStringLiteral("--program-dir"), machines, QStringLiteral("config")})),
        dir.filePath(QStringLiteral("machines/data/")));

    setting("user", dir.filePath(QStringLiteral("gone/倍数判定")));
    const ProcessResult stale = cli({QStringLiteral("records")});
    EXPECT_EQ(stale.code, 1);
    EXPECT_TRUE(stale.err.contains(QStringLiteral("programDir"))) << stale.err.toStdString();
    EXPECT_TRUE(stale.err.contains(dir.filePath(QStringLiteral("gone/パスデータ.txt"))));
}

// A school that carries its own copy of the program keeps working as before,
// whatever the settings say.
TEST_F(InstalledProgramsTest, TheSchoolBesideTheExecutableComesBeforeTheSettings) {
    const QString beside = school(QStringLiteral("beside"));
    setting("user", school(QStringLiteral("users")));
    const QString copy = beside + QStringLiteral("/baisuu-cli");
    ASSERT_TRUE(QFile::copy(QStringLiteral(BAISUU_CLI), copy));
    ASSERT_TRUE(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner));
    const ProcessResult r = run(copy, {QStringLiteral("config")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(dataRootOf(r), dir.filePath(QStringLiteral("beside/data/")));
}

// Unattended, nobody can answer the folder dialog: the program says why on
// stderr and ends at once with a failure.
TEST_F(InstalledProgramsTest, ProgramWithoutAFolderEndsUnattendedAndUsesTheSetting) {
    platform = QStringLiteral("offscreen");
    QElapsedTimer clock;
    clock.start();
    const ProcessResult none = run(QStringLiteral(BAISUU_APP), {QStringLiteral("--silent")});
    EXPECT_GT(none.code, 0);
    EXPECT_TRUE(none.err.contains(QStringLiteral("プログラムフォルダがわかりません")))
        << none.err.toStdString();
    const ProcessResult tour =
        run(QStringLiteral(BAISUU_APP),
            {QStringLiteral("--screenshots"), dir.filePath(QStringLiteral("shots"))});
    EXPECT_GT(tour.code, 0);
    EXPECT_TRUE(tour.err.contains(QStringLiteral("programDir"))) << tour.err.toStdString();
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("shots"))).exists());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("user/baisuu/baisuu.conf"))));

    // The machine's setting is the folder loaded: its broken file is the one told.
    const QString program = school(QStringLiteral("machines"));
    setting("system", program);
    const QString common = dir.filePath(QStringLiteral("machines/data/共通データ.txt"));
    QFile(common).resize(0);
    const ProcessResult loaded = run(QStringLiteral(BAISUU_APP), {QStringLiteral("--silent")});
    EXPECT_GT(loaded.code, 0);
    EXPECT_TRUE(loaded.err.contains(common)) << loaded.err.toStdString();
    EXPECT_LT(clock.elapsed(), 60000);
}

} // namespace baisuu
