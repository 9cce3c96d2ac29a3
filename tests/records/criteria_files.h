#pragma once
// The criteria file the editor's tests start from, and the bytes of a file.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace baisuu {

inline const QString kHeading =
    QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n");
inline const QString kThreeLevels = kHeading + QStringLiteral("20,30,100,5,1.5,20,,7,1,x,,\r\n"
                                                              "40,60,200,3,1,9,8,0,2,,,\r\n"
                                                              "50,70,300,4,2,,,,,,,\r\n");

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace baisuu
