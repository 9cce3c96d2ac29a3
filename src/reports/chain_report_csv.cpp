#include "reports/chain_report_csv.h"

#include "roster/record_lines.h"

namespace baisuu {

QByteArray ChainReportCsv(const ChainReport& report) {
    QString text;
    const auto line = [&](const QStringList& fields) {
        QStringList quoted;
        quoted.reserve(fields.size());
        for (const QString& f : fields)
            quoted.append(CsvField(f));
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    line({QStringLiteral("レベル"), QStringLiteral("教室コード"), QStringLiteral("教室"),
          QStringLiteral("生徒数"), QStringLiteral("回数"), QStringLiteral("ベスト中央値"),
          QStringLiteral("クリア率"), QStringLiteral("よく間違える数")});
    for (const ChainSchoolLevel& row : report.rows) {
        QStringList missed;
        for (qint32 n : row.mostMissed)
            missed.append(QString::number(n));
        line({QString::number(row.level), row.schoolCode, row.schoolName,
              QString::number(row.activePupils), QString::number(row.runs),
              row.medianBest ? QString::number(*row.medianBest, 'f', 1) : QString(),
              QString::number(row.clearedShare * 100, 'f', 1), missed.join(QLatin1Char(' '))});
    }
    text += QStringLiteral("\r\n");
    line({QStringLiteral("レベル"), QStringLiteral("順位"), QStringLiteral("タイム"),
          QStringLiteral("名前"), QStringLiteral("学年"), QStringLiteral("教室コード"),
          QStringLiteral("教室")});
    for (const ChainRanking& ranking : report.rankings)
        for (const ChainRankLine& l : ranking.lines)
            line({QString::number(ranking.level), QString::number(l.rank),
                  QString::number(l.seconds), l.pupilName, l.grade, l.schoolCode, l.schoolName});
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace baisuu
