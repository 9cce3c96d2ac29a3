#include "roster/roster_csv.h"

#include "core/cp932.h"
#include "roster/grades.h"

#include <QHash>
#include <QStringList>

namespace baisuu {

namespace {

const QStringList kHeading = {QStringLiteral("番号"), QStringLiteral("名前"),
                              QStringLiteral("学年"), QStringLiteral("状態")};

// Full-width digits as ASCII, so "小１" and "小1" read alike.
QString halfWidthDigits(QString text) {
    for (QChar& c : text)
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) c = QChar(c.unicode() - 0xFF10 + '0');
    return text;
}

std::optional<int> wholeNumber(const QString& cell) {
    const QString t = halfWidthDigits(cell.trimmed());
    if (t.isEmpty() || t.size() > 6) return std::nullopt;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    return t.toInt();
}

struct CsvRow {
    int line = 0;
    QStringList cells;
};

// Splits CSV text into rows: a quoted field may hold commas, line ends and
// doubled quotes; a row ends at CR LF or LF outside quotes.
QList<CsvRow> csvRows(const QString& text) {
    QList<CsvRow> rows;
    CsvRow row{1, {}};
    QString cell;
    bool inQuotes = false;
    int line = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n')) ++line;
        if (inQuotes) {
            if (c != QLatin1Char('"'))
                cell += c;
            else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                cell += text[++i];
            else
                inQuotes = false;
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
        } else if (c == QLatin1Char(',')) {
            row.cells.append(std::exchange(cell, QString()));
        } else if (c == QLatin1Char('\n')) {
            row.cells.append(std::exchange(cell, QString()));
            rows.append(std::exchange(row, CsvRow{line, {}}));
        } else if (c != QLatin1Char('\r')) {
            cell += c;
        }
    }
    if (!cell.isEmpty() || !row.cells.isEmpty()) {
        row.cells.append(cell);
        rows.append(row);
    }
    return rows;
}

QString nameProblem(const QString& name) {
    if (name.trimmed().isEmpty()) return QStringLiteral("名前が空です。");
    if (name.contains(QLatin1Char('"')) || name.contains(QLatin1Char('\n')) ||
        name.contains(QLatin1Char('\r')))
        return QStringLiteral("名前に「\"」や改行は使えません。");
    cp932::CodecError error;
    if (!cp932::Encode(name, &error))
        return QStringLiteral("名前の「%1」は Shift-JIS で書けない文字です。")
            .arg(name.mid(error.offset, 1));
    if (name.size() > kRosterTextWidth)
        return QStringLiteral("名前が %1 文字を超えています。").arg(kRosterTextWidth);
    return {};
}

// One data row as a pupil, or why it is refused.
std::variant<CsvPupil, QString> pupilOfRow(const CsvRow& row, int currentSchoolYear) {
    if (row.cells.size() < 4)
        return QStringLiteral("列が %1 つしかありません（番号,名前,学年,状態 の 4 列です）。")
            .arg(row.cells.size());
    CsvPupil pupil;
    pupil.line = row.line;
    const auto number = wholeNumber(row.cells[0]);
    if (!number || *number < 1 || *number > kRosterCapacity)
        return QStringLiteral("番号「%1」が 1 から 5000 の数ではありません。").arg(row.cells[0]);
    pupil.number = qint16(*number);
    pupil.name = row.cells[1];
    if (QString why = nameProblem(pupil.name); !why.isEmpty()) return why;
    const auto baseYear = BaseYearOfGrade(row.cells[2], currentSchoolYear);
    if (!baseYear)
        return QStringLiteral(
                   "学年「%1」がわかりません（小１ などの学年か、4 桁の年で書いてください）。")
            .arg(row.cells[2]);
    pupil.gradeBaseYear = qint16(*baseYear);
    const QString status = row.cells[3].trimmed();
    const auto statusValue = status.isEmpty() ? std::optional<int>(0) : wholeNumber(status);
    if (!statusValue || *statusValue > 2)
        return QStringLiteral("状態「%1」は 0、1、2 のどれかです（空なら 0）。").arg(row.cells[3]);
    pupil.status = qint16(*statusValue);
    return pupil;
}

// The roster line of an entry, as the roster's readers read it back.
QString rosterLine(const StudentEntry& e) {
    auto quoted = [](const QString& s) {
        QString t = s;
        while (t.endsWith(QLatin1Char(' ')))
            t.chop(1);
        return QLatin1Char('"') + t + QLatin1Char('"');
    };
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8")
        .arg(e.number)
        .arg(e.gradeBaseYear)
        .arg(e.extraValue1)
        .arg(e.extraValue2)
        .arg(quoted(e.name))
        .arg(e.status)
        .arg(quoted(e.extraText1), quoted(e.extraText2));
}

QString csvCell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))) return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace

std::optional<int> BaseYearOfGrade(const QString& cell, int currentSchoolYear) {
    const QString text = halfWidthDigits(cell.trimmed());
    if (text.isEmpty()) return std::nullopt;
    if (text.size() == 4 && wholeNumber(text)) return text.toInt();
    // "幼-" and "大+" stand for several grades and name no base year.
    for (int index = -2; index <= 12; ++index)
        if (text == halfWidthDigits(GradeLabelFull(index)) || text == GradeLabelShort(index))
            return currentSchoolYear - 6 - index;
    return std::nullopt;
}

std::variant<QList<CsvPupil>, FileError> ReadRosterCsv(const QByteArray& bytes, const QString& path,
                                                       int currentSchoolYear) {
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
    const QString text = QString::fromUtf8(body);
    if (text.toUtf8() != body)
        return FileError{path, 0, QStringLiteral("UTF-8 の CSV ではありません。")};
    const QList<CsvRow> rows = csvRows(text);
    QStringList heading = rows.isEmpty() ? QStringList() : rows.first().cells;
    for (QString& cell : heading)
        cell = cell.trimmed();
    while (heading.size() > kHeading.size() && heading.last().isEmpty())
        heading.removeLast();
    if (heading != kHeading)
        return FileError{path, 1, QStringLiteral("1 行目は「番号,名前,学年,状態」のはずです。")};

    QList<CsvPupil> pupils;
    QHash<int, int> lineOfNumber;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const CsvRow& row = rows[i];
        if (row.cells.join(QString()).trimmed().isEmpty()) continue; // a blank row
        auto read = pupilOfRow(row, currentSchoolYear);
        if (const QString* why = std::get_if<QString>(&read))
            return FileError{path, row.line, *why};
        const CsvPupil& pupil = std::get<CsvPupil>(read);
        if (const int earlier = lineOfNumber.value(pupil.number); earlier > 0)
            return FileError{
                path, row.line,
                QStringLiteral("番号 %1 は %2 行目にもあります。").arg(pupil.number).arg(earlier)};
        lineOfNumber.insert(pupil.number, row.line);
        pupils.append(pupil);
    }
    return pupils;
}

QString ImportedRosterText(const QList<RosterRecord>& roster, const QList<CsvPupil>& pupils) {
    QHash<int, const RosterRecord*> byNumber;
    for (const RosterRecord& record : roster)
        if (!byNumber.contains(record.entry.number)) byNumber.insert(record.entry.number, &record);
    QString text;
    for (const CsvPupil& pupil : pupils) {
        const RosterRecord* old = byNumber.value(pupil.number);
        StudentEntry entry = old ? old->entry : StudentEntry{};
        const StudentEntry before = entry;
        entry.number = pupil.number;
        entry.name = FixedWidthText(pupil.name, kRosterTextWidth);
        entry.gradeBaseYear = pupil.gradeBaseYear;
        entry.status = pupil.status;
        const bool unchanged = old && entry.name == before.name &&
                               entry.gradeBaseYear == before.gradeBaseYear &&
                               entry.status == before.status;
        text += (unchanged ? old->text : rosterLine(entry)) + QStringLiteral("\r\n");
    }
    return text;
}

QByteArray RosterCsv(const QList<RosterRecord>& roster, int currentSchoolYear) {
    QString text = kHeading.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const RosterRecord& record : roster) {
        const StudentEntry& e = record.entry;
        QString grade = GradeLabelFull(GradeIndex(e.gradeBaseYear, currentSchoolYear));
        if (grade.isEmpty()) grade = QString::number(e.gradeBaseYear);
        QString name = e.name;
        while (name.endsWith(QLatin1Char(' ')))
            name.chop(1);
        text +=
            QStringLiteral("%1,%2,%3,%4\r\n").arg(e.number).arg(csvCell(name), grade).arg(e.status);
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace baisuu
