#include "roster/record_lines.h"

#include "core/dates.h"
#include "records/results.h"

namespace baisuu {

namespace {

const QChar kFullWidthBlank(0x3000);

bool knownPupil(int pupil) {
    return pupil >= 0 && pupil < kPupilSlots;
}

QString rightAligned(qint64 number, int width) {
    return QString::number(number).rightJustified(width, QLatin1Char(' '));
}

// ownCode: the school's code as a record's field holds it, blank padded, so a
// school without a code still knows its own records.
QString recordListLine(int recordNumber, const ResultRecord& record, const StudentRoster& roster,
                       const QByteArray& ownCode, const QString& siteName) {
    const int pupil = record.pupilNumber;
    const QString name = knownPupil(pupil) ? roster.pupilNames[size_t(pupil)].trimmed() : QString();
    const QString grade = knownPupil(pupil) ? roster.pupilGradeLabels[size_t(pupil)] : QString();
    const bool own = record.schoolCode == ownCode;

    QString line = rightAligned(recordNumber, 4);
    line += QLatin1Char(' ') + DateText(DateFromOle(record.runDate)) + kFullWidthBlank;
    line += TimeText(TimeFromOle(record.runClock)).rightJustified(9, QLatin1Char(' '));
    line += QStringLiteral("ﾚﾍﾞﾙ") + QString::number(record.level);
    line +=
        kFullWidthBlank + rightAligned(record.runTime, 5) + QStringLiteral("秒 ") + kFullWidthBlank;
    line += rightAligned(pupil, 4) + QLatin1Char(' ');
    line += (name + QString(6, kFullWidthBlank)).left(6) + QLatin1Char(' ');
    line += grade + QStringLiteral("++");
    line += own ? siteName : QStringLiteral("他塾");
    return line;
}

} // namespace

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

RecordList RecordListLines(const QList<ResultRecord>& records, const StudentRoster& roster,
                           const OwnSchool& school) {
    RecordList list;
    const QByteArray ownCode = RecordText(school.schoolCode);
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records[i].level == 0) continue;
        list.lines.append(recordListLine(int(i + 1), records[i], roster, ownCode, school.siteName));
        list.recordNumbers.append(int(i + 1));
    }
    return list;
}

QByteArray RecordsCsv(const QList<ResultRecord>& records, const StudentRoster& roster,
                      const CriteriaTable& criteria, const LevelCatalog& catalog) {
    const QString crlf = QStringLiteral("\r\n");
    QString text =
        QStringLiteral(
            "record,date,time,pupil,name,grade,level,level_name,run_time,points,school") +
        crlf;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const ResultRecord& r = records[i];
        const int pupil = r.pupilNumber;
        const bool level = r.level >= 1 && r.level < kLevelSlots;
        const QStringList fields = {
            QString::number(i + 1),
            DateText(DateFromOle(r.runDate)),
            TimeText(TimeFromOle(r.runClock)),
            QString::number(pupil),
            knownPupil(pupil) ? roster.pupilNames[size_t(pupil)].trimmed() : QString(),
            knownPupil(pupil) ? roster.pupilGradeLabels[size_t(pupil)] : QString(),
            QString::number(r.level),
            level ? catalog.levelNames[size_t(r.level)] : QString(),
            QString::number(r.runTime),
            level ? QString::number(RecordPoints(criteria.levels[size_t(r.level)], r.runTime))
                  : QString(),
            RecordTextValue(r.schoolCode),
        };
        QStringList quoted;
        for (const QString& f : fields)
            quoted.append(CsvField(f));
        text += quoted.join(QLatin1Char(',')) + crlf;
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace baisuu
