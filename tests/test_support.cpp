#include "test_support.h"

#include "core/cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace baisuu {

QByteArray sjis(const QString& text) {
    const auto bytes = cp932::Encode(text);
    EXPECT_TRUE(bytes.has_value()) << text.toStdString();
    return bytes.value_or(QByteArray());
}

QString writeFile(const QTemporaryDir& dir, const QString& relativePath, const QByteArray& bytes) {
    const QString path = dir.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

ProcessResult runProgram(const QString& program, const QStringList& args, int timeoutMs) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace baisuu
