#pragma once
// One 44-byte record of the results log (成績累積データ.dat), byte for byte as
// every program of the family reads and writes it: little-endian numbers and
// single-byte CP932 texts, blank-padded to five bytes.

#include "core/file_error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtEndian>

#include <bit>
#include <optional>

namespace baisuu {

constexpr qint64 kRecordSize = 44;
constexpr int kRecordTextWidth = 5;

// The numeric fields of a record, read straight from its bytes; the loader of
// the tallies uses this alone, so large logs load without copying texts.
struct RecordNumbers {
    double runDate = 0;
    double runClock = 0;
    qint16 pupilNumber = 0;
    qint16 level = 0;
    qint32 runTime = 0;
};

// A run time from here on is a run that ran out of time: the lists show a
// cross in place of its time, and the charts leave it out.
constexpr qint32 kTimedOutFrom = 90000;

inline RecordNumbers RecordNumbersOf(const char* bytes) {
    return {std::bit_cast<double>(qFromLittleEndian<quint64>(bytes)),
            std::bit_cast<double>(qFromLittleEndian<quint64>(bytes + 8)),
            qFromLittleEndian<qint16>(bytes + 16), qFromLittleEndian<qint16>(bytes + 18),
            qFromLittleEndian<qint32>(bytes + 20)};
}

// Day counts of the first day a record may carry (1980-01-01) and of the day
// after the last (2200-01-01): the family's programs write today's date, so a
// date outside them is bytes that were never a record.
constexpr double kFirstRecordDay = 29221;
constexpr double kEndRecordDay = 109575;

// What makes a record one no program of the family could have written, in
// words for the teacher (empty when it is sound): a pupil outside 0..5000, a
// level outside 0..35, a date that is no whole day from 1980 to 2199, a time
// of day outside [0, 1), a run time outside 0..99999. `check` counts such
// records; a restore refuses a file that holds one.
QString RecordFault(const RecordNumbers& record);

struct ResultRecord {
    double runDate = 0;  // whole days since 1899-12-30
    double runClock = 0; // time of day as a fraction of a day
    qint16 pupilNumber = 0;
    qint16 level = 0;
    qint32 runTime = 0; // whole seconds; 99999 for a run that ran out of time
    QByteArray schoolCode = QByteArray(kRecordTextWidth, ' ');
    QByteArray spareText = QByteArray(kRecordTextWidth, ' ');
    QByteArray pointsText = QByteArray("0    ");
    QByteArray trailer = QByteArray(kRecordTextWidth, ' ');

    // Reads the first 44 bytes of bytes (which must hold at least that many).
    static ResultRecord fromBytes(QByteArrayView bytes);
    // Exactly 44 bytes; text fields are padded with blanks or cut to five bytes.
    QByteArray toBytes() const;

    bool operator==(const ResultRecord&) const = default;
};

// A text as a record's text field: single-byte CP932, blank-padded, cut at five
// bytes. The field ends at the first character without a single-byte form, so a
// field never holds half of a two-byte character.
QByteArray RecordText(const QString& text);
// A text field as text, trailing blanks removed.
QString RecordTextValue(const QByteArray& field);

} // namespace baisuu
