// A school on a full disk and on a share that turned read-only, as an IT
// person meets them: every command that would write fails with a Japanese
// message and a non-zero exit, and every file of the school stays byte for byte.

#include "test_support.h"
#include "write_faults.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace baisuu {
namespace {

struct MountedSchool {
    MountedSchool() { mounted = RunningAsRoot() && disk.small(dir.path(), "2m"); }
    QString root() const { return dir.filePath(QStringLiteral("juku")); }
    ProcessResult cli(const QStringList& args) const {
        return runProgram(QStringLiteral(BAISUU_CLI),
                          QStringList{QStringLiteral("--program-dir"),
                                      root() + QStringLiteral("/倍数判定"), QStringLiteral("--now"),
                                      QStringLiteral("2026-12-10T10:00:00")} +
                              args);
    }
    QTemporaryDir dir;
    MountOver disk;
    MountOver readOnly;
    bool mounted = false;
};

TEST(FaultyDiskCli, EveryWriteIsToldAndNoFileChanges) {
    if (!RunningAsRoot()) GTEST_SKIP() << "a small file system of its own needs root";
    MountedSchool school;
    ASSERT_TRUE(school.mounted);
    ASSERT_EQ(runProgram(QStringLiteral(BAISUU_CLI),
                         {QStringLiteral("init-school"), school.root(), QStringLiteral("--name"),
                          QStringLiteral("駅前教室"), QStringLiteral("--code"),
                          QStringLiteral("24680"), QStringLiteral("--password"),
                          QStringLiteral("7391")})
                  .code,
              0);
    const QString csv = school.dir.filePath(QStringLiteral("juku/名簿.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("番号,名前,学年,状態\r\n1,山田　花子,小１,0\r\n2,佐藤先生,中３,0\r\n")
                    .toUtf8());
    }
    ASSERT_EQ(school.cli({QStringLiteral("roster-import"), csv}).code, 0);
    ASSERT_EQ(school.cli({QStringLiteral("append"), QStringLiteral("--pupil"), QStringLiteral("1"),
                          QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--time"),
                          QStringLiteral("30")})
                  .code,
              0);
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("番号,名前,学年,状態\r\n3,鈴木　一郎,小２,0\r\n").toUtf8());
    }

    struct Step {
        const char* mount; // how the school's file system is broken
        const char* told;
    };
    const Step steps[] = {{"full", "ディスクがいっぱいです"}, {"ro", "読み取り専用です"}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.mount);
        if (QByteArray(step.mount) == "full") {
            FillUp(school.dir.path());
        } else {
            QFile::remove(school.dir.filePath(QStringLiteral("filler")));
            ASSERT_TRUE(school.readOnly.readOnly(school.dir.path()));
        }
        const auto before = FilesBelow(school.root());
        const QList<QStringList> writes = {
            {QStringLiteral("settings"), QStringLiteral("--password"), QStringLiteral("5555")},
            {QStringLiteral("roster-import"), csv},
            {QStringLiteral("backup")},
            {QStringLiteral("export-csv"), QStringLiteral("--out"),
             school.root() + QStringLiteral("/記録.csv")},
        };
        for (const QStringList& args : writes) {
            SCOPED_TRACE(args.first().toStdString());
            const ProcessResult r = school.cli(args);
            EXPECT_NE(r.code, 0);
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(step.told))) << r.err.toStdString();
        }
        EXPECT_EQ(FilesBelow(school.root()), before);
        // The school still reads as it was.
        const ProcessResult settings = school.cli({QStringLiteral("settings")});
        EXPECT_EQ(settings.code, 0);
        EXPECT_TRUE(settings.out.contains(QStringLiteral("\"7391\""))) << settings.out.toStdString();
    }
}

} // namespace
} // namespace baisuu
