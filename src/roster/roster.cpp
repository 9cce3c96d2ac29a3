#include "roster/roster.h"

#include "core/item_reader.h"
#include "core/text_file.h"
#include "roster/grades.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <variant>

namespace baisuu {

namespace {

constexpr int kItemsPerRecord = 8;

QString skipped(const QString& why) {
    return why + QStringLiteral("この行は読み飛ばしました。");
}

// A 16-bit number item: empty reads as 0; text that is no number, or a number
// a 16-bit field cannot hold, gives nullopt.
std::optional<qint16> int16Item(const Item& item) {
    if (item.isEmpty() || (item.quoted && item.text.trimmed().isEmpty())) return qint16(0);
    const auto value = ParseNumber(item.text);
    if (!value) return std::nullopt;
    const double whole = std::nearbyint(*value);
    if (whole < -32768 || whole > 32767) return std::nullopt;
    return qint16(whole);
}

// The items of one record line. Records are one per line and each line is read
// on its own, so a faulty line (a quote left open, an item too many or too few)
// never shifts or swallows the records after it.
QList<Item> recordItems(const QString& line) {
    ItemReader reader(line);
    QList<Item> items;
    do
        items.append(reader.next());
    while (!items.last().endsLine);
    return items;
}

// One record line as its entry, or why the line is skipped.
std::variant<StudentEntry, QString> entryOfLine(const QString& lineText) {
    QList<Item> items = recordItems(lineText);
    // A trailing comma leaves empty items behind the eighth; they do no harm.
    while (items.size() > kItemsPerRecord && items.last().isEmpty())
        items.removeLast();
    if (items.size() != kItemsPerRecord)
        return QStringLiteral("項目の数が %1 です（8 項目のはずです）。").arg(items.size());

    const auto number = ParseNumber(items[0].text);
    if (!number) return QStringLiteral("名簿番号「%1」が数ではありません。").arg(items[0].text);
    if (*number < 0 || *number > kHighestPupil || *number != std::floor(*number))
        return QStringLiteral("名簿番号 %1 は 0～5000 の範囲にありません。")
            .arg(items[0].text.trimmed());
    StudentEntry entry;
    entry.number = qint16(*number);
    const int numericItems[] = {1, 2, 3, 5};
    qint16* fields[] = {&entry.gradeBaseYear, &entry.extraValue1, &entry.extraValue2,
                        &entry.status};
    for (int i = 0; i < 4; ++i) {
        const auto v = int16Item(items[numericItems[i]]);
        if (!v)
            return QStringLiteral("%1 番目の項目「%2」が数ではないか、大きすぎます。")
                .arg(numericItems[i] + 1)
                .arg(items[numericItems[i]].text);
        *fields[i] = *v;
    }
    entry.name = FixedWidthText(items[4].text, kRosterTextWidth);
    entry.extraText1 = FixedWidthText(items[6].text, kRosterTextWidth);
    entry.extraText2 = FixedWidthText(items[7].text, kRosterTextWidth);
    return entry;
}

// Puts an entry read from the file into the tables; position counts the listed
// entries so far.
void takeEntry(StudentRoster& roster, StudentEntry entry, int& position, int currentSchoolYear) {
    const int n = entry.number;
    roster.pupilNames[n] = entry.name;
    roster.pupilBaseYears[n] = entry.gradeBaseYear;
    roster.pupilGradeLabels[n] = GradeLabelFull(GradeIndex(entry.gradeBaseYear, currentSchoolYear));
    // A record off the lists still takes the next position for a moment, and
    // gives it up to the next record.
    roster.rosterNumbers[size_t(position) + 1] = entry.number;
    if (entry.status == 0) {
        ++position;
        roster.entries[size_t(position)] = std::move(entry);
    }
}

} // namespace

QList<RosterRecord> RosterRecords(const QString& text, const QString& path,
                                  QList<FileError>* problems) {
    QList<RosterRecord> records;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int line = 1; line <= lines.size(); ++line) {
        QString lineText = lines[line - 1];
        if (lineText.endsWith(QLatin1Char('\r'))) lineText.chop(1);
        if (ItemReader(lineText).atEnd()) continue; // a blank line, or the end-of-file mark
        auto read = entryOfLine(lineText);
        if (const QString* why = std::get_if<QString>(&read)) {
            if (problems) problems->append({path, line, *why});
            continue;
        }
        records.append({std::move(std::get<StudentEntry>(read)), line, lineText});
    }
    return records;
}

QString FixedWidthText(const QString& text, int width) {
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

std::optional<FileError> LoadRoster(StudentRoster& roster, const QString& path,
                                    int currentSchoolYear, int includeStatusTwo) {
    FileError error;
    const auto text = ReadTextFile(path, &error);
    if (!text) {
        if (error.line == 0 && !QFile::exists(path))
            error.message = QStringLiteral(
                "名簿（新名簿.txt）が見つかりません。データのフォルダに名簿を置いてください。");
        return error;
    }

    roster.skippedRecords = 0;
    roster.problems.clear();
    auto skip = [&](int line, const QString& why) {
        ++roster.skippedRecords;
        roster.problems.append({path, line, skipped(why)});
    };

    QList<FileError> faults;
    int position = 0;
    for (RosterRecord& record : RosterRecords(*text, path, &faults)) {
        StudentEntry& entry = record.entry;
        if (entry.status == 2 && includeStatusTwo == 1) entry.status = 0;
        if (entry.status == 0 && position >= kRosterCapacity) {
            skip(record.line,
                 QStringLiteral("名簿に載せられるのは %1 人までです。").arg(kRosterCapacity));
            continue;
        }
        takeEntry(roster, std::move(entry), position, currentSchoolYear);
    }
    for (const FileError& fault : faults)
        skip(fault.line, fault.message);
    std::stable_sort(roster.problems.begin(), roster.problems.end(),
                     [](const FileError& a, const FileError& b) { return a.line < b.line; });
    roster.rosterCount = position;
    return std::nullopt;
}

std::optional<QString> PupilRefusal(const StudentRoster& roster, int pupil, int keptPupil) {
    if (pupil == keptPupil) return std::nullopt;
    // Every record read leaves its name, padded to 20 characters, never empty.
    if (pupil >= 1 && pupil <= kHighestPupil && !roster.pupilNames[size_t(pupil)].isEmpty())
        return std::nullopt;
    return QStringLiteral("生徒番号 %1 は名簿にありません。名簿にある生徒の番号にしてください。")
        .arg(pupil);
}

} // namespace baisuu
