#include "records/answers_file.h"

#include "core/durable_file.h"
#include "records/file_lock.h"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace baisuu {

namespace {

FileError answersError(const QString& path, const QString& message, int line = 0) {
    return FileError{path, line, message};
}

// Reads exactly `width` digits (width 0: one or more) from text at pos.
bool readNumber(QByteArrayView text, qsizetype& pos, int width, qint64* value) {
    const qsizetype start = pos;
    qint64 v = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 10)
        v = v * 10 + (text[pos++] - '0');
    const qsizetype n = pos - start;
    *value = v;
    return n > 0 && (width == 0 || n == width);
}

bool expect(QByteArrayView text, qsizetype& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

// A line of the file is at most 54 bytes (52 without the practice mark); one
// much longer is not an answer.
constexpr qsizetype kLongestLine = 128;
constexpr qint64 kReadPiece = 1 << 16;

QByteArray twoDigits(int v) {
    return QByteArray::number(v).rightJustified(2, '0');
}

} // namespace

QString AnswersFolder(const QString& dataFolder) {
    return dataFolder + QStringLiteral("解答記録/");
}

QString AnswersFilePath(const QString& dataFolder, int pupil) {
    return AnswersFolder(dataFolder) + QStringLiteral("%1.txt").arg(pupil, 4, 10, QChar('0'));
}

QByteArray AnswerLine(const Answer& a) {
    QByteArray line = QByteArray::number(a.date.year()).rightJustified(4, '0');
    line += '/' + twoDigits(a.date.month()) + '/' + twoDigits(a.date.day()) + ',';
    line += twoDigits(a.seconds / 3600) + ':' + twoDigits(a.seconds / 60 % 60) + ':' +
            twoDigits(a.seconds % 60) + ',';
    for (const qint64 v : {qint64(a.level), qint64(a.divisor), qint64(a.number), qint64(a.key),
                           qint64(a.correct ? 1 : 0), qint64(a.ms)})
        line += QByteArray::number(v) + ',';
    if (a.practice) line += "1,";
    line.back() = '\r';
    return line + '\n';
}

std::optional<Answer> ParseAnswerLine(QByteArrayView text) {
    qsizetype pos = 0;
    qint64 y, mo, d, h, mi, s;
    if (!(readNumber(text, pos, 4, &y) && expect(text, pos, '/') && readNumber(text, pos, 2, &mo) &&
          expect(text, pos, '/') && readNumber(text, pos, 2, &d) && expect(text, pos, ',') &&
          readNumber(text, pos, 2, &h) && expect(text, pos, ':') && readNumber(text, pos, 2, &mi) &&
          expect(text, pos, ':') && readNumber(text, pos, 2, &s)))
        return std::nullopt;
    qint64 f[6];
    for (qint64& v : f)
        if (!expect(text, pos, ',') || !readNumber(text, pos, 0, &v)) return std::nullopt;
    Answer a;
    a.practice = text.sliced(pos) == ",1";
    if (a.practice) pos = text.size();
    a.date = QDate(int(y), int(mo), int(d));
    if (!a.date.isValid() || h > 23 || mi > 59 || s > 59 || pos != text.size()) return std::nullopt;
    if (f[3] != 1 && f[3] != 3) return std::nullopt;
    if (f[4] > 1 || f[0] > 99 || f[1] > 99 || f[2] > 0x7fffffff || f[5] > 0x7fffffff)
        return std::nullopt;
    a.seconds = int(h * 3600 + mi * 60 + s);
    a.level = int(f[0]);
    a.divisor = int(f[1]);
    a.number = qint32(f[2]);
    a.key = int(f[3]);
    a.correct = f[4] == 1;
    a.ms = qint32(f[5]);
    return a;
}

std::optional<FileError> AppendAnswers(const QString& path, const QList<Answer>& answers,
                                       const LockWait& wait) {
    if (answers.isEmpty()) return std::nullopt;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return answersError(folder, QStringLiteral("解答記録のフォルダーを作れません。"));
    QByteArray bytes;
    for (const Answer& a : answers)
        bytes += AnswerLine(a);
    bool made = false; // made here, or by another machine meanwhile
    if (auto error = WriteNewFileDurably(path, {}, &made)) return error;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return answersError(path,
                            QStringLiteral("解答記録を開けません（%1）。").arg(file.errorString()));
    PlatformFileLock platform;
    WholeFileLock lock(platform, file);
    QString errorText;
    if (!LockWaiting(lock, wait, &errorText))
        return answersError(path, QStringLiteral("解答記録を%1。").arg(errorText));
    // An append cut short left a line without its end: it is ended here, so
    // that it stays one bad line and the run's first line stays whole. A file
    // an editor saved with LF ends its lines all the same.
    const qint64 size = file.size();
    if (size > 0) {
        char last = 0;
        if (!file.seek(size - 1) || file.read(&last, 1) != 1)
            return answersError(path, QStringLiteral("解答記録を読めません。"));
        if (last != '\n') bytes.prepend("\r\n");
    }
    if (!file.seek(size) || file.write(bytes) != bytes.size() || !FlushToDisk(file)) {
        const int fault = errno;
        // A torn line is read as one bad line; what was there stays.
        file.resize(size);
        return answersError(path, QStringLiteral("解答記録に書き込めません。") + FileFaultText(fault));
    }
    return std::nullopt;
}

std::optional<FileError> ScanAnswers(const QString& path, const AnswerTaker& take,
                                     const LineSkipper& skip) {
    QFile file(path);
    if (!file.exists()) return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return answersError(path,
                            QStringLiteral("解答記録を開けません（%1）。").arg(file.errorString()));
    int lineNumber = 0;
    QByteArray pending;    // the start of a line that runs past the piece read
    bool overlong = false; // the line is far too long to be an answer: not kept
    const auto endLine = [&](QByteArrayView line) {
        ++lineNumber;
        if (line.endsWith('\r')) line.chop(1);
        const std::optional<Answer> a = overlong ? std::nullopt : ParseAnswerLine(line);
        if (a)
            take(*a, lineNumber);
        else
            skip(lineNumber, QStringLiteral("読めない行です。"));
        pending.clear();
        overlong = false;
    };
    QByteArray piece(kReadPiece, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(piece.data(), kReadPiece)) > 0) {
        const QByteArrayView data(piece.constData(), got);
        qsizetype pos = 0;
        while (pos < data.size()) {
            const qsizetype end = data.indexOf('\n', pos);
            const QByteArrayView part = data.sliced(pos, (end < 0 ? data.size() : end) - pos);
            if (end >= 0 && pending.isEmpty() && !overlong) {
                endLine(part); // the whole line lies in this piece
            } else {
                overlong = overlong || pending.size() + part.size() > kLongestLine;
                pending = overlong ? QByteArray() : pending + part.toByteArray();
                if (end >= 0) endLine(pending);
            }
            pos = end < 0 ? data.size() : end + 1;
        }
    }
    if (got < 0 || file.error() != QFileDevice::NoError)
        return answersError(path,
                            QStringLiteral("解答記録を読めません（%1）。").arg(file.errorString()));
    if (!pending.isEmpty() || overlong)
        skip(lineNumber + 1, QStringLiteral("最後の行が途中で切れています。"));
    return std::nullopt;
}

std::optional<FileError> ReadAnswers(const QString& path, AnswersRead* out) {
    return ScanAnswers(
        path, [out](const Answer& a, int) { out->answers.append(a); },
        [out, &path](int line, const QString& why) {
            if (++out->skippedLines <= kToldLines)
                out->skipped.append(answersError(path, why, line));
        });
}

} // namespace baisuu
