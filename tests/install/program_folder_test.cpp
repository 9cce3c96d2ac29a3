// Where the program folder comes from without --program-dir: the school beside
// the executable, else the user's setting, else the machine's.

#include "core/configuration.h"
#include "core/program_folder.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

class ProgramFolderTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("user"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, path("system"));
    }
    QString path(const char* relative) const { return dir.filePath(QString::fromUtf8(relative)); }
    // A school: its folder holds パスデータ.txt, its program folder 倍数判定.
    QString school(const char* name) {
        const QString program = path(name) + QStringLiteral("/倍数判定");
        writeFile(dir, QString::fromUtf8(name) + QStringLiteral("/パスデータ.txt"),
                  sjis(QStringLiteral("\"data/\",0,0,0,0,0,0,0,0,0\r\n")));
        QDir().mkpath(program);
        return program;
    }
    void setting(const char* file, const QByteArray& value) {
        writeFile(dir, QString::fromUtf8(file) + QStringLiteral("/baisuu/baisuu.conf"),
                  "[General]\nprogramDir=" + value + "\n");
    }
};

} // namespace

TEST_F(ProgramFolderTest, OptionBeatsTheSchoolBesideWhichBeatsTheUserWhoBeatsTheMachine) {
    const QString beside = school("beside");
    const QString users = school("users");
    const QString machines = school("machines");
    const QString lonely = path("usr/bin");
    QDir().mkpath(lonely);
    setting("system", machines.toUtf8());

    const ProgramFolder none = ResolveProgramFolder({}, path("nowhere"));
    EXPECT_EQ(none.folder, machines);
    EXPECT_EQ(none.source, ProgramFolder::Source::Settings);
    EXPECT_TRUE(none.problem.isEmpty());

    setting("user", users.toUtf8());
    EXPECT_EQ(ResolveProgramFolder({}, lonely).folder, users);

    const ProgramFolder besideIt = ResolveProgramFolder({}, beside + QStringLiteral("/"));
    EXPECT_EQ(besideIt.folder, beside);
    EXPECT_EQ(besideIt.source, ProgramFolder::Source::BesideExecutable);

    // An explicit folder is taken as given (made absolute and clean), school or not:
    // loading it tells what is missing.
    const ProgramFolder option = ResolveProgramFolder(lonely + QStringLiteral("/../x/"), beside);
    EXPECT_EQ(option.folder, path("usr/x"));
    EXPECT_EQ(option.source, ProgramFolder::Source::Option);
    EXPECT_TRUE(option.problem.isEmpty());
}

TEST_F(ProgramFolderTest, SettingsWrittenByHandAreReadAsMeant) {
    // UTF-8 with an unquoted comma (QSettings would split it into a list) and blanks.
    const QString program = school("塾,本校");
    setting("system", "  " + program.toUtf8() + "  ");
    EXPECT_EQ(ResolveProgramFolder({}, path("bin")).folder, program);

    // A setting that names no school is told with the key and the files, not used quietly.
    setting("user", path("moved").toUtf8());
    const ProgramFolder stale = ResolveProgramFolder({}, path("bin"));
    EXPECT_EQ(stale.source, ProgramFolder::Source::Settings);
    EXPECT_TRUE(stale.problem.contains(QStringLiteral("programDir")))
        << stale.problem.toStdString();
    EXPECT_TRUE(stale.problem.contains(UserSettingsFile())) << stale.problem.toStdString();
    EXPECT_TRUE(stale.problem.contains(path("パスデータ.txt"))) << stale.problem.toStdString();

    setting("user", "");
    setting("system", "");
    const ProgramFolder none = ResolveProgramFolder({}, path("bin"));
    EXPECT_EQ(none.source, ProgramFolder::Source::None);
    EXPECT_TRUE(none.folder.isEmpty());
    EXPECT_TRUE(NoProgramFolderText().contains(QStringLiteral("--program-dir")));
    EXPECT_TRUE(NoProgramFolderText().contains(SystemSettingsFile()));
}

TEST_F(ProgramFolderTest, TheAnswerIsRememberedForTheUserAndAWrongOneNever) {
    const QString machines = school("machines");
    const QString chosen = school("chosen");
    setting("system", machines.toUtf8());
    const QByteArray machineFile = [&] {
        QFile f(SystemSettingsFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    EXPECT_EQ(RememberProgramFolder(chosen + QStringLiteral("/")), QString());
    EXPECT_EQ(UserSettingsFile(), path("user/baisuu/baisuu.conf"));
    EXPECT_EQ(ResolveProgramFolder({}, path("bin")).folder, chosen);
    QFile machine(SystemSettingsFile());
    ASSERT_TRUE(machine.open(QIODevice::ReadOnly));
    EXPECT_EQ(machine.readAll(), machineFile);

    const QString wrong = path("chosen");
    const QString problem = RememberProgramFolder(wrong);
    EXPECT_TRUE(problem.contains(QStringLiteral("プログラムフォルダではありません")))
        << problem.toStdString();
    EXPECT_EQ(ResolveProgramFolder({}, path("bin")).folder, chosen);

    // A home that cannot be written: told, not reported as remembered.
    writeFile(dir, QStringLiteral("blocked"), "a file, not a folder");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("blocked/config"));
    EXPECT_TRUE(RememberProgramFolder(chosen).contains(UserSettingsFile()));
}

// The folder checked is the very パスデータ.txt the configuration then reads.
TEST_F(ProgramFolderTest, TheCheckedPathDataFileIsTheOneLoaded) {
    const QString program = school("s");
    writeFile(dir, QStringLiteral("s/data/共通データ.txt"),
              sjis(QStringLiteral(
                  "4\r\n\"12345塾\"\r\n0\r\n0\r\n\"\"\r\n\"p\"\r\n0\r\n0\r\n0\r\n0\r\n")));
    for (const QString& spelling :
         {program, program + QStringLiteral("/"), path("s/x/../倍数判定")}) {
        Hensuu1 state;
        ASSERT_FALSE(LoadConfiguration(state, spelling).has_value()) << spelling.toStdString();
        EXPECT_EQ(PathDataFileFor(spelling), state.pathDataFile);
        EXPECT_EQ(ProgramFolderProblem(spelling), QString());
    }

    // A folder named パスデータ.txt is no school.
    QDir().mkpath(path("d/パスデータ.txt"));
    QDir().mkpath(path("d/倍数判定"));
    const QString problem = ProgramFolderProblem(path("d/倍数判定"));
    EXPECT_TRUE(problem.contains(path("d/パスデータ.txt"))) << problem.toStdString();
}

// fullScreen in the user's file, else in the machine's, as a person writes it.
TEST_F(ProgramFolderTest, FullScreenIsReadFromEitherSettingsFile) {
    EXPECT_FALSE(FullScreenSetting());
    const struct {
        const char* machine;
        const char* user;
        bool fullScreen;
    } cases[] = {
        {"fullScreen=true", "", true},
        {"fullScreen=TRUE", "", true},
        {"fullScreen=1", "", true},
        {"fullScreen=false", "", false},
        {"fullScreen=yes?", "", false},
        {"fullscreen=true", "", false},
        {"fullScreen=true", "fullScreen=false", false},
        {"", "fullScreen=true", true},
    };
    int n = 0;
    for (const auto& c : cases) {
        // Files of their own: QSettings keeps a file it has read in memory.
        const QString machine = QStringLiteral("system%1").arg(++n);
        const QString user = QStringLiteral("user%1").arg(n);
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, dir.filePath(machine));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(user));
        writeFile(dir, machine + QStringLiteral("/baisuu/baisuu.conf"),
                  QByteArray("[General]\n") + c.machine + "\n");
        writeFile(dir, user + QStringLiteral("/baisuu/baisuu.conf"),
                  QByteArray("[General]\n") + c.user + "\n");
        EXPECT_EQ(FullScreenSetting(), c.fullScreen) << c.machine << " / " << c.user;
    }
}

// [chain] database in the user's file, else in the machine's, as an IT person writes it.
TEST_F(ProgramFolderTest, TheChainDatabaseIsReadFromEitherSettingsFile) {
    const struct {
        const char* machine;
        const char* user;
        const char* database;
    } cases[] = {
        {"", "", ""},
        {"[chain]\ndatabase=host=/srv/pg dbname=chain user=s23456\n", "",
         "host=/srv/pg dbname=chain user=s23456"},
        // A URI naming two hosts: the comma is no list.
        {"[chain]\ndatabase=postgresql://a:5432,b:5432/chain\n", "",
         "postgresql://a:5432,b:5432/chain"},
        {"[chain]\ndatabase=service=office\n", "[chain]\ndatabase=\"service=mine\"\n",
         "service=mine"},
        {"[General]\ndatabase=service=office\n", "", ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString machine = QStringLiteral("chainsystem%1").arg(++n);
        const QString user = QStringLiteral("chainuser%1").arg(n);
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, dir.filePath(machine));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(user));
        writeFile(dir, machine + QStringLiteral("/baisuu/baisuu.conf"), c.machine);
        writeFile(dir, user + QStringLiteral("/baisuu/baisuu.conf"), c.user);
        EXPECT_EQ(ChainDatabase(), QString::fromUtf8(c.database)) << c.machine << " / " << c.user;
    }
}

// --help, and the manual pages made from it, name the user's file as every user has it.
TEST_F(ProgramFolderTest, HelpNamesTheUsersFileFromTheHomeFolder) {
    EXPECT_EQ(UserSettingsFileForHelp(), UserSettingsFile()); // a folder outside the home
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QDir::homePath() + QStringLiteral("/.config"));
    EXPECT_EQ(UserSettingsFileForHelp(), QStringLiteral("~/.config/baisuu/baisuu.conf"));
}

} // namespace baisuu
