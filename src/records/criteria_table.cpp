#include "records/criteria_table.h"

#include "core/durable_file.h"
#include "core/text_file.h"

#include <cmath>
#include <limits>

namespace baisuu {

namespace {

template <typename Int> Int toInteger(double v) {
    // Whole numbers by round-half-to-even, held inside the field's range.
    const double r = std::nearbyint(v);
    if (r < double(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
    if (r > double(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
    return Int(r);
}

QString cellText(const QString& text) {
    // Cells are written bare; one that would not read back the same is quoted.
    if (text.contains(QLatin1Char(',')) || text != text.trimmed())
        return QLatin1Char('"') + text + QLatin1Char('"');
    return text;
}

} // namespace

const QStringList& CriteriaHeadings() {
    static const QStringList headings = {
        QStringLiteral("目標Time"), QStringLiteral("最低Time"),  QStringLiteral("ｸﾘｱﾎﾟｲﾝﾄ"),
        QStringLiteral("ｸﾘｱ回数"),  QStringLiteral("ﾎﾟｲﾝﾄ倍率"), QStringLiteral("禁回"),
        QStringLiteral("禁点"),     QStringLiteral("判期間"),    QStringLiteral("禁期間")};
    return headings;
}

std::optional<FileError> LoadCriteria(CriteriaTable& table, const QString& path,
                                      QList<FileError>* warnings) {
    FileError error;
    const auto text = ReadTextFile(path, &error);
    if (!text) return error;
    ReadCriteriaText(table, *text, path, warnings);
    return std::nullopt;
}

void ReadCriteriaText(CriteriaTable& table, const QString& text, const QString& path,
                      QList<FileError>* warnings) {
    auto warn = [&](int line, const QString& message) {
        if (warnings) warnings->append({path, line, message});
    };
    static const char16_t* const numericNames[] = {u"目標Time", u"最低Time", u"ｸﾘｱﾎﾟｲﾝﾄ",
                                                   u"ｸﾘｱ回数", u"ﾎﾟｲﾝﾄ倍率"};

    ItemReader reader(text);
    int index = -1;
    while (!reader.atEnd()) {
        ++index;
        std::array<Item, kCriteriaColumns> items;
        for (Item& item : items)
            item = reader.next();
        const int line = items[0].line;
        bool shapeOk = true;
        for (int c = 0; c < kCriteriaColumns; ++c)
            if (items[c].endsLine != (c == kCriteriaColumns - 1)) shapeOk = false;
        if (!shapeOk)
            warn(line, QStringLiteral("1行に12項目ではありません（後の行がずれて読まれます）。"));
        if (index == 0) {
            table.headingCells.clear();
            for (const Item& item : items)
                table.headingCells.append(item.text);
            continue;
        }
        if (index >= kLevelSlots) {
            warn(line, QStringLiteral("35行目より後のレベルの行は読みません。"));
            continue;
        }
        double numbers[5];
        for (int c = 0; c < 5; ++c) {
            // A quoted value is converted as text, so "20" is the number 20.
            const auto n = ParseNumber(items[c].text);
            if (!n && !items[c].isEmpty())
                warn(items[c].line,
                     QStringLiteral("レベル%1の「%2」が数ではありません（0 として読みます）: %3")
                         .arg(index)
                         .arg(QString::fromUtf16(numericNames[c]), items[c].text));
            numbers[c] = n.value_or(0);
        }
        LevelCriteria& level = table.levels[index];
        level.targetTime = toInteger<qint32>(numbers[0]);
        level.passTime = toInteger<qint32>(numbers[1]);
        level.clearPoints = toInteger<qint32>(numbers[2]);
        level.clearCount = toInteger<qint16>(numbers[3]);
        level.pointFactor = float(numbers[4]);
        // Single precision overflows to infinity (1e39); points count such a factor as 0.
        if (!std::isfinite(level.pointFactor))
            warn(items[4].line, QStringLiteral("レベル%1の「ﾎﾟｲﾝﾄ倍率」%2 は大きすぎて扱えません"
                                               "（ポイントは 0 として数えます）。")
                                    .arg(index)
                                    .arg(items[4].text));
        else if (level.pointFactor < 0 || level.pointFactor > kMaxPointFactor)
            warn(items[4].line,
                 QStringLiteral("レベル%1の「ﾎﾟｲﾝﾄ倍率」%2 が 0 から %3 の範囲にありません。")
                     .arg(index)
                     .arg(items[4].text)
                     .arg(kMaxPointFactor));
        Value* loose[] = {&level.overdoCount, &level.overdoPoints, &level.judgeDays,
                          &level.overdoDays,  &level.extra1,       &level.extra2,
                          &level.extra3};
        for (int c = 5; c < kCriteriaColumns; ++c)
            *loose[c - 5] = Value::fromItem(items[c]);
    }
}

QString CriteriaFileText(const QList<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (int c = 0; c < kCriteriaColumns; ++c)
            cells.append(cellText(c < row.size() ? row[c] : QString()));
        text += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

QList<QStringList> CriteriaRows(const CriteriaTable& table, int levelRows) {
    QList<QStringList> rows;
    rows.append(CriteriaHeadings() + QStringList{QString(), QString(), QString()});
    for (int n = 1; n <= levelRows && n < kLevelSlots; ++n) {
        const LevelCriteria& c = table.levels[n];
        rows.append({QString::number(c.targetTime), QString::number(c.passTime),
                     QString::number(c.clearPoints), QString::number(c.clearCount),
                     // The shortest text that reads back as the same single-precision factor.
                     QString::number(double(c.pointFactor), 'g', 7), c.overdoCount.toText(),
                     c.overdoPoints.toText(), c.judgeDays.toText(), c.overdoDays.toText(),
                     c.extra1.toText(), c.extra2.toText(), c.extra3.toText()});
    }
    return rows;
}

std::optional<FileError> SaveCriteria(const QString& path, const QList<QStringList>& rows) {
    FileError error;
    const auto bytes = EncodeTextFile(path, CriteriaFileText(rows), &error);
    if (!bytes) return error;
    // Under the file's lock: another machine's save waits for ours, never mixes with it.
    return EditFileLocked(path, [&](const QByteArray*, QByteArray* replacement) {
        *replacement = *bytes;
        return std::optional<FileError>();
    });
}

} // namespace baisuu
