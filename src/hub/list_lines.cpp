#include "hub/list_lines.h"

#include "core/configuration.h"
#include "core/dates.h"

#include <cmath>

namespace baisuu {

namespace {

const QString kOwnMark = QStringLiteral("●");
const QString kWideBlank = QStringLiteral("　");

// "07": the run lists write thousands of these, so no formatter is involved.
void appendTwoDigits(QString& text, int n) {
    text += QChar(u'0' + (n / 10) % 10);
    text += QChar(u'0' + n % 10);
}

} // namespace

QString LastOf(QStringView fill, QStringView text, int width) {
    if (text.size() >= width) return text.right(width).toString();
    QString out;
    out.reserve(width);
    const qsizetype fromFill = std::min<qsizetype>(width - text.size(), fill.size());
    out += fill.right(fromFill);
    out += text;
    return out;
}

QString Rank2(int rank) {
    return LastOf(u" ", QString::number(rank), 2);
}

QString Name5(const QString& name) {
    qsizetype end = name.size();
    while (end > 0 && name.at(end - 1) == QLatin1Char(' '))
        --end;
    QString out = name.left(std::min<qsizetype>(end, 5));
    while (out.size() < 5)
        out += QChar(0x3000);
    return out;
}

QString ListMark(bool own, int grade) {
    return own ? kOwnMark : GradeMark(grade);
}

QString EndMark(bool own) {
    return own ? kOwnMark : kWideBlank;
}

QString Time5(qint32 runTime) {
    return LastOf(u"      ", QString(QString::number(runTime) + QStringLiteral("秒")), 5);
}

QString Clock5(double runClock) {
    // The time text H:mm:ss behind "00", its last eight characters cut to five:
    // always two digits of hours and two of minutes; no time at all leaves "00".
    const QTime t = TimeFromOle(runClock);
    if (!t.isValid()) return QStringLiteral("00");
    QString out;
    out.reserve(5);
    appendTwoDigits(out, t.hour());
    out += QLatin1Char(':');
    appendTwoDigits(out, t.minute());
    return out;
}

QString Date5(double runDate) {
    // The last five characters of the date text yyyy/MM/dd.
    const QDate d = DateFromOle(runDate);
    if (!d.isValid()) return {};
    QString out;
    out.reserve(5);
    appendTwoDigits(out, d.month());
    out += QLatin1Char('/');
    appendTwoDigits(out, d.day());
    return out;
}

} // namespace baisuu
