#pragma once
// What a text item of the family's files (a pupil's name, the school's name,
// the password) can hold: it is written between double quotes on one line of
// a Shift-JIS file, and every program of the family reads it back.

#include "core/cp932.h"

#include <QString>

#include <algorithm>

namespace baisuu {

// Why text cannot be written as the item `what` ("名前", "教室名"), in
// Japanese; empty when it can. A double quote or a line end would end the
// item; any other control character (U+0000..U+001F, U+007F) is refused too,
// because 0x1A is the end-of-file mark older readers stop at, and a name
// holding it cuts the whole file short for them.
inline QString TextItemProblem(const QString& what, const QString& text) {
    if (text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\r')) ||
        text.contains(QLatin1Char('\n')))
        return QStringLiteral("%1に「\"」や改行は使えません。").arg(what);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 || c == 0x7F)
            return QStringLiteral("%1の %2 文字目は制御文字 U+%3 です。制御文字は使えません。")
                .arg(what)
                .arg(i + 1)
                .arg(QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    cp932::CodecError error;
    if (!cp932::Encode(text, &error)) {
        const qsizetype at = std::clamp<qsizetype>(error.offset, 0, text.size() - 1);
        return QStringLiteral("%1の「%2」は Shift-JIS で書けない文字です。")
            .arg(what, text.mid(at, text[at].isHighSurrogate() ? 2 : 1));
    }
    return {};
}

} // namespace baisuu
