#include "records/result_record.h"

#include "core/cp932.h"
#include "core/table_sizes.h"
#include "records/log_files.h"
#include "records/results.h"
#include "records/results_log.h"

#include <QFile>
#include <QtEndian>

#include <bit>
#include <cmath>
#include <cstring>

namespace baisuu {

namespace {

template <typename T> void writeLittle(QByteArray& out, T value) {
    char b[sizeof(T)];
    qToLittleEndian(value, b);
    out.append(b, sizeof(T));
}

void writeField(QByteArray& out, const QByteArray& field) {
    QByteArray f = field.left(kRecordTextWidth);
    f.append(QByteArray(kRecordTextWidth - f.size(), ' '));
    out.append(f);
}

} // namespace

ResultRecord ResultRecord::fromBytes(QByteArrayView bytes) {
    Q_ASSERT(bytes.size() >= kRecordSize);
    const RecordNumbers n = RecordNumbersOf(bytes.data());
    ResultRecord r;
    r.runDate = n.runDate;
    r.runClock = n.runClock;
    r.pupilNumber = n.pupilNumber;
    r.level = n.level;
    r.runTime = n.runTime;
    r.schoolCode = bytes.sliced(24, kRecordTextWidth).toByteArray();
    r.spareText = bytes.sliced(29, kRecordTextWidth).toByteArray();
    r.pointsText = bytes.sliced(34, kRecordTextWidth).toByteArray();
    r.trailer = bytes.sliced(39, kRecordTextWidth).toByteArray();
    return r;
}

QByteArray ResultRecord::toBytes() const {
    QByteArray out;
    out.reserve(kRecordSize);
    writeLittle(out, std::bit_cast<quint64>(runDate));
    writeLittle(out, std::bit_cast<quint64>(runClock));
    writeLittle(out, pupilNumber);
    writeLittle(out, level);
    writeLittle(out, runTime);
    writeField(out, schoolCode);
    writeField(out, spareText);
    writeField(out, pointsText);
    writeField(out, trailer);
    return out;
}

QString RecordFault(const RecordNumbers& r) {
    if (r.pupilNumber < 0 || r.pupilNumber > kHighestPupil)
        return QStringLiteral("生徒番号 %1 は 0～%2 の外です")
            .arg(r.pupilNumber)
            .arg(kHighestPupil);
    if (r.level < 0 || r.level > kHighestLevel)
        return QStringLiteral("レベル %1 は 0～%2 の外です").arg(r.level).arg(kHighestLevel);
    // Written as a negation so that NaN, which fails every comparison, is a fault.
    if (!(r.runDate >= kFirstRecordDay && r.runDate < kEndRecordDay) ||
        r.runDate != std::floor(r.runDate))
        return QStringLiteral("日付（%1）が 1980 年から 2199 年の日ではありません").arg(r.runDate);
    if (!(r.runClock >= 0 && r.runClock < 1))
        return QStringLiteral("時刻（%1）が 0 以上 1 未満ではありません").arg(r.runClock);
    if (r.runTime < 0 || r.runTime > kNoTime)
        return QStringLiteral("タイム %1 は 0～%2 の外です").arg(r.runTime).arg(kNoTime);
    return {};
}

QByteArray RecordText(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        if (out.size() == kRecordTextWidth || !cp932::IsSingleByte(QString(c))) break;
        const auto bytes = cp932::Encode(QString(c));
        if (!bytes || bytes->size() != 1) break;
        out.append(*bytes);
    }
    out.append(QByteArray(kRecordTextWidth - out.size(), ' '));
    return out;
}

QString RecordTextValue(const QByteArray& field) {
    QByteArray trimmed = field;
    while (!trimmed.isEmpty() && (trimmed.back() == ' ' || trimmed.back() == '\0'))
        trimmed.chop(1);
    // A field another writer filled with bytes that are no CP932 text reads as empty.
    return cp932::Decode(trimmed).value_or(QString());
}

std::optional<FileError> ReadLogBytes(const QString& logPath, QByteArray* out,
                                      const LockWait& wait, bool* fromCopy) {
    LogToRead found;
    if (auto error = ReadLog(
            logPath, wait,
            [&](QFile* file) -> std::optional<FileError> {
                out->clear();
                if (!file) return std::nullopt;
                *out = file->readAll();
                if (file->error() != QFileDevice::NoError) return logfiles::ReadError(*file);
                out->truncate(out->size() - out->size() % kRecordSize);
                return std::nullopt;
            },
            &found))
        return error;
    if (fromCopy) *fromCopy = found.fromCopy;
    return std::nullopt;
}

std::optional<FileError> ReadResultRecords(const QString& logPath, QList<ResultRecord>* out,
                                           const LockWait& wait, bool* fromCopy) {
    QByteArray bytes;
    if (auto error = ReadLogBytes(logPath, &bytes, wait, fromCopy)) return error;
    out->clear();
    out->reserve(bytes.size() / kRecordSize);
    for (qsizetype at = 0; at < bytes.size(); at += kRecordSize)
        out->append(ResultRecord::fromBytes(QByteArrayView(bytes).sliced(at, kRecordSize)));
    return std::nullopt;
}

} // namespace baisuu
