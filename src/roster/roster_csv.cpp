#include "roster/roster_csv.h"

#include "core/cp932.h"
#include "core/text_item.h"
#include "roster/grades.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace baisuu {

namespace {

const QString kYearItem = QStringLiteral("年度");
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
    if (QString why = TextItemProblem(QStringLiteral("名前"), name); !why.isEmpty()) return why;
    if (name.size() > kRosterTextWidth)
        return QStringLiteral("名前が %1 文字を超えています。").arg(kRosterTextWidth);
    return {};
}

// One data row as a pupil, or why it is refused.
std::variant<CsvPupil, QString> pupilOfRow(const CsvRow& row, int schoolYear) {
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
    const auto baseYear = BaseYearOfGrade(row.cells[2], schoolYear);
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

QString trimmedName(QString name) {
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

// A row's cells trimmed, without the empty cells a spreadsheet adds at the
// end of a row shorter than the widest one ("年度,2026,,").
QStringList cellsOf(const CsvRow& row) {
    QStringList cells = row.cells;
    for (QString& cell : cells)
        cell = cell.trimmed();
    while (!cells.isEmpty() && cells.last().isEmpty())
        cells.removeLast();
    return cells;
}

// The CSV as text: UTF-8 (with or without a byte order mark) or else
// Shift-JIS, which is what Excel in Japan saves as "CSV". A last byte 0x1A is
// the end-of-file mark of older tools.
std::optional<QString> csvText(QByteArray bytes) {
    if (bytes.endsWith('\x1A')) bytes.chop(1);
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    const QString text = QString::fromUtf8(body);
    if (text.toUtf8() == body) return text;
    return cp932::Decode(bytes);
}

// An entry with the items the CSV carries taken from it; the others stay.
StudentEntry withCsvItems(StudentEntry entry, const CsvPupil& pupil) {
    entry.number = pupil.number;
    entry.name = FixedWidthText(pupil.name, kRosterTextWidth);
    entry.gradeBaseYear = pupil.gradeBaseYear;
    entry.status = pupil.status;
    return entry;
}

bool sameCsvItems(const StudentEntry& a, const StudentEntry& b) {
    return a.name == b.name && a.gradeBaseYear == b.gradeBaseYear && a.status == b.status;
}

} // namespace

std::optional<int> BaseYearOfGrade(const QString& cell, int schoolYear) {
    const QString text = halfWidthDigits(cell.trimmed());
    if (text.isEmpty()) return std::nullopt;
    if (text.size() == 4 && wholeNumber(text)) return text.toInt();
    // "幼-" and "大+" stand for several grades and name no base year.
    for (int index = -2; index <= 12; ++index)
        if (text == halfWidthDigits(GradeLabelFull(index)) || text == GradeLabelShort(index))
            return schoolYear - 6 - index;
    return std::nullopt;
}

std::variant<RosterCsvRows, FileError> ReadRosterCsv(const QByteArray& bytes, const QString& path,
                                                     int currentSchoolYear) {
    const auto text = csvText(bytes);
    if (!text)
        return FileError{path, 0,
                         QStringLiteral("UTF-8 としても Shift-JIS としても読めません。CSV は "
                                        "UTF-8 か Shift-JIS（Excel の「CSV (コンマ区切り)」）"
                                        "で保存してください。")};
    // An empty roster is never what a school means to import: a CSV cut short
    // or saved from the wrong sheet would otherwise take every pupil away.
    const FileError noPupil{path, 0, QStringLiteral("生徒の行が 1 行もありません。")};
    if (text->trimmed().isEmpty()) return noPupil;
    QList<CsvRow> rows = csvRows(*text);
    RosterCsvRows read{{}, currentSchoolYear, false};
    if (!rows.isEmpty() && cellsOf(rows.first()).value(0) == kYearItem) {
        const QStringList year = cellsOf(rows.takeFirst());
        const auto value = wholeNumber(year.value(1));
        if (year.size() != 2 || !value || *value < 1900 || *value > 2999)
            return FileError{
                path, 1, QStringLiteral("「年度,2026」のように年度を 4 桁の年で書いてください。")};
        read.schoolYear = *value;
        read.yearFromFile = true;
    }
    if (rows.isEmpty() || cellsOf(rows.first()) != kHeading)
        return FileError{path, rows.isEmpty() ? 1 : rows.first().line,
                         QStringLiteral("この行は「番号,名前,学年,状態」の見出しのはずです。")};
    QHash<int, int> lineOfNumber;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const CsvRow& row = rows[i];
        if (row.cells.join(QString()).trimmed().isEmpty()) continue; // a blank row
        auto pupil = pupilOfRow(row, read.schoolYear);
        if (const QString* why = std::get_if<QString>(&pupil))
            return FileError{path, row.line, *why};
        const qint16 number = std::get<CsvPupil>(pupil).number;
        if (const int earlier = lineOfNumber.value(number); earlier > 0)
            return FileError{
                path, row.line,
                QStringLiteral("番号 %1 は %2 行目にもあります。").arg(number).arg(earlier)};
        lineOfNumber.insert(number, row.line);
        read.pupils.append(std::get<CsvPupil>(pupil));
    }
    if (read.pupils.isEmpty()) return noPupil;
    return read;
}

RosterImport ImportRoster(const QString& rosterText, const QList<CsvPupil>& pupils,
                          bool removeMissing) {
    QHash<int, const CsvPupil*> pupilOfNumber;
    for (const CsvPupil& pupil : pupils)
        pupilOfNumber.insert(pupil.number, &pupil);
    const QList<RosterRecord> records = RosterRecords(rosterText, {}, nullptr);
    QHash<int, const RosterRecord*> recordOfLine;
    for (const RosterRecord& record : records)
        recordOfLine.insert(record.line, &record);

    RosterImport result;
    QStringList lines = rosterText.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) lines.removeLast();
    QStringList out;
    QSet<int> inRoster;
    for (int line = 1; line <= lines.size(); ++line) {
        const RosterRecord* record = recordOfLine.value(line);
        if (!record) { // a line no reader takes is kept as it was, for check to show
            QString text = lines[line - 1];
            if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
            out.append(text);
            continue;
        }
        const StudentEntry& before = record->entry;
        const CsvPupil* pupil = pupilOfNumber.value(before.number);
        if (!pupil && removeMissing) {
            result.removed.append(before);
            continue;
        }
        ++result.pupils;
        const StudentEntry after = pupil ? withCsvItems(before, *pupil) : before;
        if (!pupil || sameCsvItems(before, after)) {
            out.append(record->text);
        } else {
            out.append(rosterLine(after));
            if (!inRoster.contains(before.number)) result.changed.append({before, after});
        }
        inRoster.insert(before.number);
    }
    for (const CsvPupil& pupil : pupils) {
        if (inRoster.contains(pupil.number)) continue;
        const StudentEntry entry = withCsvItems(StudentEntry{}, pupil);
        out.append(rosterLine(entry));
        result.added.append(entry);
        ++result.pupils;
    }
    for (const QString& line : out)
        result.text += line + QStringLiteral("\r\n");
    return result;
}

QStringList ImportReport(const RosterImport& import, int currentSchoolYear) {
    auto grade = [&](const StudentEntry& e) {
        const QString label = GradeLabelFull(GradeIndex(e.gradeBaseYear, currentSchoolYear));
        return label.isEmpty() ? QString::number(e.gradeBaseYear) : label;
    };
    auto pupil = [&](const char16_t* what, const StudentEntry& e, const QString& detail) {
        return QStringLiteral("%1: %2 %3（%4）")
            .arg(QString::fromUtf16(what))
            .arg(e.number)
            .arg(trimmedName(e.name), detail);
    };
    QStringList lines;
    for (const StudentEntry& e : import.added)
        lines.append(pupil(u"追加", e, grade(e)));
    for (const auto& [before, after] : import.changed) {
        QStringList what;
        auto change = [&](const char16_t* item, const QString& was, const QString& is) {
            if (was != is)
                what.append(QStringLiteral("%1 %2 → %3").arg(QString::fromUtf16(item), was, is));
        };
        change(u"名前", trimmedName(before.name), trimmedName(after.name));
        change(u"学年", grade(before), grade(after));
        change(u"状態", QString::number(before.status), QString::number(after.status));
        lines.append(pupil(u"変更", after, what.join(QStringLiteral("、"))));
    }
    for (const StudentEntry& e : import.removed)
        lines.append(pupil(u"削除", e, grade(e)));
    return lines;
}

QByteArray RosterCsv(const QList<RosterRecord>& roster, int currentSchoolYear) {
    // The labels mean grades of one school year; the year travels with them,
    // so a file exported in March and imported in April keeps every base year.
    QString text = QStringLiteral("%1,%2\r\n").arg(kYearItem).arg(currentSchoolYear) +
                   kHeading.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const RosterRecord& record : roster) {
        const StudentEntry& e = record.entry;
        QString grade = GradeLabelFull(GradeIndex(e.gradeBaseYear, currentSchoolYear));
        if (grade.isEmpty()) grade = QString::number(e.gradeBaseYear);
        text += QStringLiteral("%1,%2,%3,%4\r\n")
                    .arg(e.number)
                    .arg(csvCell(trimmedName(e.name)), grade)
                    .arg(e.status);
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace baisuu
