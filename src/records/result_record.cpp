#include "records/result_record.h"

#include "core/cp932.h"
#include "records/log_files.h"
#include "records/results_log.h"

#include <QFile>
#include <QtEndian>

#include <bit>
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

std::optional<FileError> ReadResultRecords(const QString& logPath, QList<ResultRecord>* out,
                                           const LockWait& wait, bool* fromCopy) {
    LogToRead found;
    if (auto error = ReadLog(
            logPath, wait,
            [&](QFile* file) -> std::optional<FileError> {
                out->clear();
                if (!file) return std::nullopt;
                const QByteArray bytes = file->readAll();
                if (file->error() != QFileDevice::NoError)
                    return logfiles::ReadError(*file);
                const qsizetype count = bytes.size() / kRecordSize;
                out->reserve(count);
                for (qsizetype i = 0; i < count; ++i)
                    out->append(ResultRecord::fromBytes(
                        QByteArrayView(bytes).sliced(i * kRecordSize, kRecordSize)));
                return std::nullopt;
            },
            &found))
        return error;
    if (fromCopy) *fromCopy = found.fromCopy;
    return std::nullopt;
}

} // namespace baisuu
