// The one durable write under real faults: a full file system, a file size
// limit, a read-only folder. Whatever fails, the old file stays byte for byte,
// no temporary file is left, and the person is told in Japanese.

#include "core/durable_file.h"
#include "write_faults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace baisuu {
namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

enum class Fault { FullDisk, FileSizeLimit, ReadOnly };

struct FaultCase {
    Fault fault;
    const char* told; // what the message must say
};

// Runs the write in a child process, so a lowered file size limit stays there;
// exit 0 when it failed with the expected words.
int writeInChild(const QString& path, const QByteArray& bytes, const FaultCase& c) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (c.fault == Fault::FileSizeLimit) FileSizeLimit(1000)();
        const auto error = WriteFileDurably(path, bytes);
        ::_exit(error && error->text().contains(QString::fromUtf8(c.told)) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST(DurableFile, AFailedWriteLeavesTheOldFileAndTellsWhy) {
    const FaultCase cases[] = {
        {Fault::FullDisk, "ディスクがいっぱいです"},
        {Fault::FileSizeLimit, "ファイルの大きさの上限を超えます"},
        {Fault::ReadOnly, "読み取り専用です"},
    };
    const QByteArray old = "1,2019,0,0,\"山田\",0,\"\",\"\"\r\n";
    const QByteArray replacement(200 * 1024, 'x');
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(int(c.fault));
        QTemporaryDir dir;
        MountOver mount;
        if (c.fault != Fault::FileSizeLimit && !RunningAsRoot()) {
            ADD_FAILURE() << "mounting a file system over a folder needs root";
            continue;
        }
        if (c.fault == Fault::FullDisk) {
            ASSERT_TRUE(mount.small(dir.path(), "256k"));
        }
        const QString path = dir.filePath(QStringLiteral("新名簿.txt"));
        putFile(path, old);
        if (c.fault == Fault::FullDisk) FillUp(dir.path());
        if (c.fault == Fault::ReadOnly) {
            ASSERT_TRUE(mount.readOnly(dir.path()));
        }

        EXPECT_EQ(writeInChild(path, replacement, c), 0);
        EXPECT_EQ(fileBytes(path), old);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(left.filter(QStringLiteral(".新名簿.txt.")), QStringList());
    }
}

TEST(DurableFile, WritesWholeAndKeepsTheFilesMode) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("共通データ.txt"));
    putFile(path, "old");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
    ASSERT_FALSE(WriteFileDurably(path, "new\r\n"));
    EXPECT_EQ(fileBytes(path), "new\r\n");
    EXPECT_TRUE(QFile::permissions(path) & QFile::ReadOther);
    // A missing folder is told, not created.
    const auto error = WriteFileDurably(dir.filePath(QStringLiteral("no/such.txt")), "x");
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->text().contains(QStringLiteral("フォルダがありません")));
    // A new file never replaces one that is there.
    bool made = true;
    ASSERT_FALSE(WriteNewFileDurably(path, "other", &made));
    EXPECT_FALSE(made);
    EXPECT_EQ(fileBytes(path), "new\r\n");
    const QString fresh = dir.filePath(QStringLiteral("0001.txt"));
    ASSERT_FALSE(WriteNewFileDurably(fresh, {}, &made));
    EXPECT_TRUE(made);
    EXPECT_EQ(fileBytes(fresh), QByteArray());
}

// Two threads (standing for two machines) change the same file at once: every
// change is kept, since each reads what the other wrote before it.
TEST(DurableFile, ChangesUnderTheLockAreAllKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("共通データ.txt"));
    putFile(path, "");
    const auto addLines = [&](char who) {
        for (int i = 0; i < 40; ++i)
            EditFileLocked(path, [&](const QByteArray* current, QByteArray* replacement) {
                *replacement = *current + who + QByteArray::number(i) + "\r\n";
                return std::optional<FileError>();
            });
    };
    std::thread a(addLines, 'a');
    std::thread b(addLines, 'b');
    a.join();
    b.join();
    EXPECT_EQ(fileBytes(path).count("\r\n"), 80);
    // A refusal leaves the file alone.
    const QByteArray before = fileBytes(path);
    const auto refused = EditFileLocked(path, [&](const QByteArray*, QByteArray* replacement) {
        *replacement = "lost";
        return std::optional<FileError>(FileError{path, 1, QStringLiteral("だめ")});
    });
    ASSERT_TRUE(refused);
    EXPECT_EQ(fileBytes(path), before);
}

} // namespace
} // namespace baisuu
