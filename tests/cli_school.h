#pragma once
// The demo school that baisuu-cli init-demo writes, in a temporary folder,
// with data files the test writes itself, and baisuu-cli run over it at a
// fixed instant. The including test defines BAISUU_CLI.

#include "test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace baisuu {

struct CliDemoSchool {
    explicit CliDemoSchool(QString now) : now(std::move(now)) {
        EXPECT_EQ(
            runProgram(QStringLiteral(BAISUU_CLI), {QStringLiteral("init-demo"), root()}).code, 0);
    }
    QString root() const { return dir.filePath(QStringLiteral("school")); }
    // Writes a file of the school's data folder, such as the log or the criteria.
    QString writeData(const QString& name, const QByteArray& bytes) {
        return writeFile(dir, QStringLiteral("school/data/倍数判定/") + name, bytes);
    }
    void writeLog(const QByteArray& bytes) {
        writeData(QStringLiteral("成績累積データ.dat"), bytes);
    }
    ProcessResult cli(const QStringList& args) const {
        return runProgram(QStringLiteral(BAISUU_CLI),
                          QStringList{QStringLiteral("--program-dir"),
                                      root() + QStringLiteral("/倍数判定"), QStringLiteral("--now"),
                                      now} +
                              args);
    }

    QTemporaryDir dir;
    QString now;
};

} // namespace baisuu
