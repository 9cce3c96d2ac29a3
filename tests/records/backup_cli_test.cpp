// baisuu-cli backup and restore, driven from outside on a demo school.

#include "cli_school.h"
#include "records/log_bytes.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace baisuu {

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray runs(int count, qint16 pupil, const char* school = "12345") {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += rawRecord({46364, 0.5, pupil, 2, 40 + i, school});
    return bytes;
}

const QString kCopies = QStringLiteral("/data/倍数判定/バックアップ");

} // namespace

TEST(BackupCli, BackupsNeverReplaceACopyAndARestoreKeepsTheNewerRuns) {
    CliDemoSchool school(QStringLiteral("2026-12-09T08:00:00"));
    const QByteArray original = runs(40, 3);
    school.writeLog(original);
    const QString log = school.root() + QStringLiteral("/data/倍数判定/成績累積データ.dat");
    // Copies a machine with a wrong clock made do not push today's out.
    for (const char* ahead : {"20301229", "20301230", "20301231"})
        school.writeData(QStringLiteral("バックアップ/成績累積データ-%1.dat").arg(ahead),
                         runs(1, 3));

    QStringList copies;
    for (int n = 0; n < 2; ++n) {
        const ProcessResult backup =
            school.cli({QStringLiteral("backup"), QStringLiteral("--keep"), QStringLiteral("2")});
        ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
        copies.append(backup.out.trimmed());
        EXPECT_EQ(readAll(copies.last()), original);
    }
    EXPECT_TRUE(copies[0].endsWith(QStringLiteral("バックアップ/成績累積データ-20261209.dat")));
    EXPECT_TRUE(
        copies[1].endsWith(QStringLiteral("バックアップ/成績累積データ-20261209-080000.dat")));
    EXPECT_EQ(QDir(school.root() + kCopies).entryList(QDir::Files).size(), 5);

    // Thirty runs deleted by mistake; a run of today came after.
    const QByteArray today = rawRecord({46365, 0.25, 3, 2, 30});
    const QByteArray current = original.left(10 * 44) + today;
    school.writeLog(current);
    const ProcessResult restore = school.cli({QStringLiteral("restore"), copies[0]});
    ASSERT_EQ(restore.code, 0) << restore.err.toStdString();
    EXPECT_EQ(readAll(log), original + today);
    for (const QString& line :
         {QStringLiteral(
              "記録 40 件を戻しました（いまの成績ファイルになかった記録 30 件を含みます）"),
          QStringLiteral("記録 0 件を外しました"),
          QStringLiteral("バックアップより新しい記録 1 件を残しました"),
          QStringLiteral("成績累積データ-20261209-080000-戻す前.dat にあります")})
        EXPECT_TRUE(restore.out.contains(line)) << restore.out.toStdString();
    EXPECT_EQ(readAll(school.root() + kCopies +
                      QStringLiteral("/成績累積データ-20261209-080000-戻す前.dat")),
              current);
    EXPECT_EQ(readAll(copies[0]), original); // the copies are as they were

    const ProcessResult dropped =
        school.cli({QStringLiteral("restore"), QStringLiteral("--drop-newer"), copies[1]});
    ASSERT_EQ(dropped.code, 0) << dropped.err.toStdString();
    EXPECT_EQ(readAll(log), original);
    EXPECT_TRUE(
        dropped.out.contains(QStringLiteral("記録 1 件を外しました（バックアップより新しい 1 件")))
        << dropped.out.toStdString();
    // The second restore of the same second has a copy of its own.
    EXPECT_TRUE(QFile::exists(school.root() + kCopies +
                              QStringLiteral("/成績累積データ-20261209-080000-戻す前-2.dat")));

    const ProcessResult help = school.cli({QStringLiteral("restore"), QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("戻す順番")) &&
                help.out.contains(QStringLiteral("戻す前.dat")))
        << help.out.toStdString();
}

TEST(BackupCli, RestoreRefusesAnythingButALogOfThisSchoolAndChangesNothing) {
    CliDemoSchool school(QStringLiteral("2026-12-09T08:00:00"));
    const QByteArray original = runs(40, 3);
    school.writeLog(original);
    const QString log = school.root() + QStringLiteral("/data/倍数判定/成績累積データ.dat");
    QByteArray noise(4400, Qt::Uninitialized);
    QRandomGenerator random(25);
    for (char& byte : noise)
        byte = char(random.bounded(256));
    const QByteArray text =
        QByteArray("生徒番号,レベル,タイム\r\n3,2,41\r\n").repeated(8).left(132);
    const auto file = [&](const char* name, const QByteArray& bytes) {
        return school.writeData(QString::fromUtf8(name), bytes);
    };
    const struct {
        const char* name;
        QStringList args;
        const char* told;
    } refused[] = {
        {"random bytes", {file("noise.dat", noise)}, "成績の記録ではありません"},
        {"a text file of 132 bytes", {file("list.csv", text)}, "成績の記録ではありません"},
        {"an empty file", {file("empty.dat", {})}, "空のファイル"},
        {"a torn file", {file("torn.dat", original + "x")}, "倍数ではありません"},
        {"another school's copy", {file("other.dat", runs(3, 3, "13579"))}, "13579"},
        {"a pupil out of range",
         {file("pupil.dat", original + rawRecord({46364, 0.5, -11269, 2, 9}))},
         "生徒番号 -11269"},
        {"a date of 1899", {file("date.dat", rawRecord({0, 0, 3, 2, 9}) + original)}, "日付"},
        {"a time of day past midnight",
         {file("clock.dat", rawRecord({46364, 1.0, 3, 2, 9}))},
         "時刻"},
        {"a missing file", {school.root() + QStringLiteral("/none.dat")}, "読めません"},
        {"no file", {}, "指定してください"},
        {"two files", {file("a.dat", original), file("b.dat", original)}, "余分な引数"},
        {"an unknown option", {QStringLiteral("--force"), file("c.dat", original)}, "--drop-newer"},
    };
    const QDir copies(school.root() + kCopies);
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        const ProcessResult result = school.cli(QStringList{QStringLiteral("restore")} + r.args);
        EXPECT_EQ(result.code, 2);
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(r.told))) << result.err.toStdString();
        EXPECT_EQ(readAll(log), original);
        EXPECT_FALSE(copies.exists()); // no copy of the log was made either
    }
    for (const char* keep : {"0", "x"}) {
        const ProcessResult result = school.cli(
            {QStringLiteral("backup"), QStringLiteral("--keep"), QString::fromUtf8(keep)});
        EXPECT_EQ(result.code, 2);
        EXPECT_FALSE(copies.exists());
    }
}

} // namespace baisuu

namespace baisuu {

TEST(BackupCli, CheckProvesTheLockWithoutLeavingAFileOrMakingALog) {
    CliDemoSchool school(QStringLiteral("2026-12-09T08:00:00"));
    const QDir data(school.root() + QStringLiteral("/data/倍数判定"));
    QFile::remove(data.filePath(QStringLiteral("成績累積データ.dat")));
    const QStringList before = data.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const ProcessResult check = school.cli({QStringLiteral("check")});
    EXPECT_EQ(check.code, 0) << check.out.toStdString();
    EXPECT_EQ(data.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    // Nothing to copy is told, and makes no log either.
    EXPECT_EQ(school.cli({QStringLiteral("backup")}).code, 1);
    EXPECT_EQ(data.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

} // namespace baisuu
