#pragma once
// Results-log bytes written field by field from the format table, independent
// of the program's own record writer, so the tests check the format itself.

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace baisuu {

struct RawRecord {
    double runDate = 0;
    double runClock = 0;
    qint16 pupil = 0;
    qint16 level = 0;
    qint32 runTime = 0;
    const char* school = "12345";
    const char* spare = "     ";
    const char* points = "0    ";
    const char* trailer = "     ";
};

inline QByteArray rawRecord(const RawRecord& r) {
    unsigned char b[44];
    std::memset(b, 0, sizeof b);
    quint64 bits;
    std::memcpy(&bits, &r.runDate, 8);
    for (int i = 0; i < 8; ++i)
        b[i] = (bits >> (8 * i)) & 0xff;
    std::memcpy(&bits, &r.runClock, 8);
    for (int i = 0; i < 8; ++i)
        b[8 + i] = (bits >> (8 * i)) & 0xff;
    b[16] = quint16(r.pupil) & 0xff;
    b[17] = quint16(r.pupil) >> 8;
    b[18] = quint16(r.level) & 0xff;
    b[19] = quint16(r.level) >> 8;
    for (int i = 0; i < 4; ++i)
        b[20 + i] = (quint32(r.runTime) >> (8 * i)) & 0xff;
    std::memcpy(b + 24, r.school, 5);
    std::memcpy(b + 29, r.spare, 5);
    std::memcpy(b + 34, r.points, 5);
    std::memcpy(b + 39, r.trailer, 5);
    return QByteArray(reinterpret_cast<const char*>(b), 44);
}

} // namespace baisuu
