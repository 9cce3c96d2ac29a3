#include "core/dates.h"

#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cmath>
#include <memory>

namespace baisuu {

namespace {
const QDate kOleEpoch(1899, 12, 30);
}

double OleDate(QDate date) {
    return double(kOleEpoch.daysTo(date));
}

QDate DateFromOle(double dayCount) {
    if (!std::isfinite(dayCount) || std::fabs(dayCount) > 3e6) return {};
    return kOleEpoch.addDays(qint64(std::floor(dayCount)));
}

double OleTime(QTime time) {
    return time.msecsSinceStartOfDay() / 86400000.0;
}

QTime TimeFromOle(double fraction) {
    if (!std::isfinite(fraction)) return {};
    const double f = fraction - std::floor(fraction);
    const int seconds = int(std::lround(f * 86400.0)) % 86400;
    return QTime(0, 0).addSecs(seconds);
}

double OleDateTime(const QDateTime& dt) {
    return OleDate(dt.date()) + OleTime(dt.time());
}

QString DateText(QDate date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString TimeText(QTime time) {
    return time.toString(QStringLiteral("H:mm:ss"));
}

QString EraDateText(QDate date) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale("ja_JP@calendar=japanese");
    // "y" with an explicit numbering keeps the first year of an era as 1, not 元.
    icu::SimpleDateFormat format(icu::UnicodeString::fromUTF8("GGGGy年 M月 dd日（E）"),
                                 icu::UnicodeString("y=latn"), locale, status);
    if (U_FAILURE(status)) return DateText(date);
    // Format the wall-clock date itself: no time zone may move it to another day.
    format.adoptTimeZone(icu::TimeZone::createTimeZone("GMT"));
    const QDateTime noon(date, QTime(12, 0), Qt::UTC);
    icu::UnicodeString out;
    format.format(UDate(noon.toMSecsSinceEpoch()), out, status);
    if (U_FAILURE(status)) return DateText(date);
    return QString(reinterpret_cast<const QChar*>(out.getBuffer()), out.length());
}

int SecondsSinceMidnight(QTime time) {
    return int(std::lround(time.msecsSinceStartOfDay() / 1000.0));
}

int MinutesSinceSignIn(QTime now, int signInSeconds) {
    int seconds = int(now.msecsSinceStartOfDay() / 1000.0 - signInSeconds);
    if (seconds < 0) seconds += 24 * 60 * 60;
    return seconds / 60;
}

} // namespace baisuu
