#pragma once
// Writing the school's settings into 共通データ.txt: the ten items of a new
// school, and changing single items of an existing file while every other byte
// stays as it was (siblings wrote that file, and may have put more in it).

#include <QByteArray>
#include <QString>
#include <optional>

namespace baisuu {

// The items a school sets itself; an empty optional leaves the item alone.
struct SchoolSettings {
    std::optional<int> startMonth;   // item 1
    std::optional<QString> code;     // the first five characters of item 2
    std::optional<QString> name;     // the rest of item 2
    std::optional<QString> password; // item 6
};

// Why one of the given values cannot be written, in Japanese; empty when all can.
// A code is five digits other than 00000 (which reads as no code), a month
// 1..12, a name or password is a text item the family's files can hold
// (TextItemProblem: no double quote, line end or other control character, only
// characters Shift-JIS can hold); a password is not empty.
QString SettingsProblem(const SchoolSettings& settings);

// 共通データ.txt of a new school, one item per line (CR LF): the start month,
// the site line of code and name, then 0, 0, "" and the password as item 6,
// and four items of 0. Every value must be set and pass SettingsProblem.
QString NewCommonDataText(const SchoolSettings& settings);

// The file's bytes with the given items replaced, every other byte (line ends,
// quoting of the untouched items, what follows the tenth item or an end-of-file
// mark) unchanged; nullopt and *problem (Japanese) when the file is not ten
// readable items or a new name would be read as a code.
std::optional<QByteArray> EditCommonData(const QByteArray& bytes, const SchoolSettings& change,
                                         QString* problem);

} // namespace baisuu
