// Every command of baisuu-cli refuses what its usage does not show, before it
// reads or writes anything: the school's files stay byte for byte.

#include "cli_school.h"

#include <QRegularExpression>

namespace baisuu {
namespace {

TEST(CliOptions, EveryCommandRefusesWhatItsUsageDoesNotShowBeforeTouchingTheSchool) {
    CliDemoSchool school(QStringLiteral("2026-12-10T10:00:00"));
    const QMap<QString, QByteArray> before = FilesBelow(school.dir.path());

    struct Case {
        QStringList args;
        QString says;
    };
    std::vector<Case> cases = {
        {{"settings", "--pasword", "1234"},
         "--pasword というオプションはありません。下の使い方のとおりに指定してください。（--password のまちがいではありませんか）"},
        {{"append", "--pupil", "1", "--level", "1", "--time", "30", "--tiem", "20"}, "--tiem"},
        {{"init-school", school.dir.filePath("new"), "--name", "a", "--code", "12345", "--password",
          "p", "--start-moth", "1"},
         "--start-moth"},
        {{"backup", "--kep", "3"}, "--kep"},
        {{"delete", "1", "--force"}, "--force というオプションはありません。"},
        {{"roster", "--grup", "中１"}, "--grup"},
        {{"append", "--pupil", "1", "--level", "1", "--time"}, "--time には値を指定してください（--time T の形で）。"},
        {{"append", "--pupil", "1", "--level", "1", "--time", "３０"},
         "--time は半角の数字で入れてください: ３０"},
        {{"replace", "x", "--time", "3"}, "K は半角の数字で入れてください: x"},
        {{"chart", "--out", "a.pdf", "--pupil", "1,x", "--levels", "1"},
         "--pupil は半角の数字をカンマで区切って"},
        {{"ranking", "--level", "1", "--mode", "fast"}, "--mode には time か points"},
        {{"mistakes", "--pupil", "1", "--days", "3", "--days", "4"}, "--days は一度だけ"},
        {{"restore"}, "FILE を指定してください。"},
        {{"restore", "a.dat", "b.dat"}, "余分な引数があります: b.dat"},
        {{"init-demo"}, "DIR を指定してください。"},
    };
    // Every command listed by --help refuses an option it does not take.
    const QString help = school.cli({"--help"}).out;
    const QStringList commands = QRegularExpression(QStringLiteral("コマンド:([^\n]*)"))
                                     .match(help)
                                     .captured(1)
                                     .split(' ', Qt::SkipEmptyParts);
    EXPECT_GE(commands.size(), 28) << help.toStdString();
    for (const QString& command : commands)
        cases.push_back({{command, "--bogus"}, "--bogus というオプションはありません。"});

    for (const Case& c : cases) {
        const ProcessResult r = school.cli(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(r.code, 2) << what << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << what;
        EXPECT_TRUE(r.err.contains(c.says)) << what << "\n" << r.err.toStdString();
        EXPECT_TRUE(
            r.err.contains("使い方: baisuu-cli [--program-dir DIR] [--now YYYY-MM-DDTHH:MM:SS] " +
                           c.args.first() + ' ') ||
            r.err.contains(QStringLiteral("] ") + c.args.first() + '\n'))
            << what << "\n"
            << r.err.toStdString();
    }
    EXPECT_EQ(FilesBelow(school.dir.path()), before);

    // The arguments are checked before the program folder is looked for.
    const ProcessResult noSchool =
        runProgram(QStringLiteral(BAISUU_CLI),
                   {"--program-dir", school.dir.filePath("nowhere"), "backup", "--kep", "3"});
    EXPECT_EQ(noSchool.code, 2) << noSchool.err.toStdString();
    // --program-dir and --now may stand after the command too.
    EXPECT_EQ(runProgram(QStringLiteral(BAISUU_CLI),
                         {"config", "--program-dir", school.root() + "/倍数判定"})
                  .code,
              0);
}

} // namespace
} // namespace baisuu
