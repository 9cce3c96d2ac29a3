#include "core/configuration_edit.h"

#include "core/cp932.h"
#include "core/item_reader.h"
#include "core/text_item.h"

#include <QList>

#include <utility>

namespace baisuu {

namespace {

constexpr int kCommonItems = 10;

QString quoted(const QString& s) {
    return QLatin1Char('"') + s + QLatin1Char('"');
}

bool isSchoolCode(const QString& code) {
    if (code.size() != 5 || code == QStringLiteral("00000")) return false;
    for (QChar c : code)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

} // namespace

QString SettingsProblem(const SchoolSettings& s) {
    if (s.startMonth && (*s.startMonth < 1 || *s.startMonth > 12))
        return QStringLiteral("年度の始まりの月は 1 から 12 の数で指定してください。");
    if (s.code && !isSchoolCode(*s.code))
        return QStringLiteral("塾コード「%1」は 5 桁の数字ではありません（00000 は使えません）。")
            .arg(*s.code);
    if (s.name)
        if (QString p = TextItemProblem(QStringLiteral("教室名"), *s.name); !p.isEmpty()) return p;
    if (s.password) {
        if (s.password->isEmpty()) return QStringLiteral("パスワードを空にはできません。");
        if (QString p = TextItemProblem(QStringLiteral("パスワード"), *s.password); !p.isEmpty())
            return p;
    }
    return {};
}

QString NewCommonDataText(const SchoolSettings& s) {
    const QStringList items = {QString::number(s.startMonth.value_or(4)),
                               quoted(s.code.value_or(QString()) + s.name.value_or(QString())),
                               QStringLiteral("0"), // pupils of status 2 are not listed
                               QStringLiteral("0"),
                               quoted(QString()),
                               quoted(s.password.value_or(QString())),
                               QStringLiteral("0"),
                               QStringLiteral("0"),
                               QStringLiteral("0"),
                               QStringLiteral("0")};
    return items.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

std::optional<QByteArray> EditCommonData(const QByteArray& bytes, const SchoolSettings& change,
                                         QString* problem) {
    // Older programs end the file with 0x1A; the items stop there and the rest stays.
    const qsizetype mark = bytes.indexOf('\x1A');
    const QByteArray body = mark < 0 ? bytes : bytes.left(mark);
    const auto text = cp932::Decode(body);
    if (!text) {
        *problem = QStringLiteral("共通データ.txt が Shift-JIS で読めません。");
        return std::nullopt;
    }
    ItemReader reader(*text);
    QList<Item> items;
    while (items.size() < kCommonItems && !reader.atEnd())
        items.append(reader.next());
    if (items.size() < kCommonItems) {
        *problem = QStringLiteral("共通データ.txt の項目が足りません（10項目必要です）。");
        return std::nullopt;
    }

    const QString site = items[1].text;
    const bool hasCode = LeadingValue(site.left(5)) != 0;
    const QString code = change.code.value_or(hasCode ? site.left(5) : QString());
    const QString name = change.name.value_or(hasCode ? site.mid(5) : site);
    // The site line reads its first five characters as the code when they have
    // a value other than 0, so a name alone must not begin like a code.
    if (code.isEmpty() && LeadingValue(name.left(5)) != 0) {
        *problem = QStringLiteral(
            "塾コードがないので、数字で始まる教室名は塾コードと読まれてしまいます。");
        return std::nullopt;
    }
    QList<std::pair<int, QString>> edits; // item index, new item text; in file order
    if (change.startMonth) edits.append({0, QString::number(*change.startMonth)});
    if (change.code || change.name) edits.append({1, quoted(code + name)});
    if (change.password) edits.append({5, quoted(*change.password)});

    // Spliced in bytes, from the last edit back, so the untouched bytes are the
    // file's own and not a decoded and encoded copy.
    QByteArray out = bytes;
    for (auto it = edits.crbegin(); it != edits.crend(); ++it) {
        const Item& item = items[it->first];
        const auto head = cp932::Encode(text->left(item.begin));
        const auto span = cp932::Encode(text->mid(item.begin, item.end - item.begin));
        const auto replacement = cp932::Encode(it->second);
        if (!head || !span || !replacement) {
            *problem = QStringLiteral("共通データ.txt に Shift-JIS で書けない文字があります。");
            return std::nullopt;
        }
        out.replace(head->size(), span->size(), *replacement);
    }
    return out;
}

} // namespace baisuu
