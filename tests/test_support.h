#pragma once
// Test versions of the services and helpers to write data files byte by byte.

#include "core/services.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

namespace baisuu {

// Wall time set by the test; the monotonic count moves only when advanced.
class FakeClock final : public Clock {
  public:
    explicit FakeClock(QDateTime start) : now_(std::move(start)) {}
    QDateTime now() const override { return now_; }
    qint64 monotonicMs() const override { return ms_; }
    void advanceMs(qint64 ms) {
        ms_ += ms;
        now_ = now_.addMSecs(ms);
    }
    void setNow(const QDateTime& now) { now_ = now; }

  private:
    QDateTime now_;
    qint64 ms_ = 0;
};

// Hands out the scripted draws in order, then repeats the last one.
class ScriptedRandom final : public Random {
  public:
    explicit ScriptedRandom(QList<double> draws = {0.0}) : draws_(std::move(draws)) {}
    double next() override { return draws_.at(std::min<qsizetype>(i_++, draws_.size() - 1)); }
    void script(QList<double> draws) {
        draws_ = std::move(draws);
        i_ = 0;
    }

  private:
    QList<double> draws_;
    qsizetype i_ = 0;
};

// What a program run from a test did.
struct ProcessResult {
    int code = -1; // -1 when it crashed or had to be killed
    QString out, err;
};

// Runs a program on the offscreen platform and waits for it; one that hangs
// past timeoutMs is killed.
ProcessResult runProgram(const QString& program, const QStringList& args, int timeoutMs = 60000);

// CP932 bytes of a text, for test files (fails the test on unmappable text).
QByteArray sjis(const QString& text);

// Writes bytes to dir/relativePath, creating folders; returns the full path.
QString writeFile(const QTemporaryDir& dir, const QString& relativePath, const QByteArray& bytes);

// Failures show texts as text, not as lists of 2-byte objects.
// The pages of a PDF file as the writer counts them; -1 when it cannot be read.
inline int pdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(f.readAll()).count(page));
}

// Every file below root (hidden ones too), by its path relative to root, with
// its bytes: what a command changed, or that it changed nothing.
inline QMap<QString, QByteArray> FilesBelow(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            files.insert(QDir(root).relativeFilePath(it.filePath()), f.readAll());
    }
    return files;
}

// check's output without its notices (lines beginning 「注意:」), which tell of
// the machine (a print server, a sound server) rather than of the school.
inline QString WithoutNotices(const QString& out) {
    QStringList kept = out.split(u'\n');
    kept.removeIf([](const QString& line) { return line.startsWith(QStringLiteral("注意:")); });
    return kept.join(u'\n');
}

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

} // namespace baisuu
