// baisuu-cli backup and restore, driven from outside on a demo school.

#include "cli_school.h"
#include "records/log_bytes.h"

#include <QDir>
#include <QFile>

namespace baisuu {

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray runs(int count, qint16 pupil) {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += rawRecord({46364, 0.5, pupil, 2, 40 + i});
    return bytes;
}

} // namespace

TEST(BackupCli, BackupAndRestoreRoundTripTheLogAndRefuseBadArguments) {
    CliDemoSchool school(QStringLiteral("2026-12-09T08:00:00"));
    const QByteArray original = runs(40, 3);
    school.writeLog(original);
    const QString log = school.root() + QStringLiteral("/data/倍数判定/成績累積データ.dat");

    const ProcessResult backup =
        school.cli({QStringLiteral("backup"), QStringLiteral("--keep"), QStringLiteral("5")});
    ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
    const QString copy = backup.out.trimmed();
    EXPECT_TRUE(copy.endsWith(QStringLiteral("バックアップ/成績累積データ-20261209.dat")));
    EXPECT_EQ(readAll(copy), original);

    school.writeLog(runs(2, 8));
    const ProcessResult restore = school.cli({QStringLiteral("restore"), copy});
    ASSERT_EQ(restore.code, 0) << restore.err.toStdString();
    EXPECT_EQ(readAll(log), original);
    EXPECT_EQ(readAll(copy), runs(2, 8)); // the log it replaced is today's copy now

    const QString torn = school.writeData(QStringLiteral("torn.dat"), original + "x");
    const struct {
        const char* name;
        QStringList args;
    } refused[] = {
        {"keep of none", {QStringLiteral("backup"), QStringLiteral("--keep"), QStringLiteral("0")}},
        {"keep not a number",
         {QStringLiteral("backup"), QStringLiteral("--keep"), QStringLiteral("x")}},
        {"no file", {QStringLiteral("restore")}},
        {"two files", {QStringLiteral("restore"), copy, copy}},
        {"a torn file", {QStringLiteral("restore"), torn}},
        {"a missing file", {QStringLiteral("restore"), torn + QStringLiteral(".none")}},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        const ProcessResult result = school.cli(r.args);
        EXPECT_EQ(result.code, 2);
        EXPECT_FALSE(result.err.isEmpty());
        EXPECT_EQ(readAll(log), original);
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
