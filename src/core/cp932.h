#pragma once
// The one codec of the data root's text files: Shift-JIS as Windows writes it
// (code page 932, with the NEC and IBM rows that hold ① and Ⅰ). Siblings read
// these files byte for byte, so nothing is ever replaced silently: a byte
// sequence or a character that code page 932 cannot hold is an error. Every
// byte below 0x80 is the ASCII character of the same code, controls included.

#include <QByteArray>
#include <QString>
#include <optional>

namespace baisuu {

namespace cp932 {

struct CodecError {
    qsizetype offset = 0; // byte offset (decode) or character index (encode) of the fault
    int line = 0;         // 1-based line of the fault
    QString message;      // Japanese, for a person to act on
};

// Decodes CP932 bytes; on a fault returns nullopt and fills *error.
std::optional<QString> Decode(const QByteArray& bytes, CodecError* error = nullptr);

// Encodes text as CP932; on a character CP932 cannot hold returns nullopt.
std::optional<QByteArray> Encode(const QString& text, CodecError* error = nullptr);

// True when every character of text has a single-byte CP932 form
// (ASCII and half-width katakana), as the results log's text fields need.
bool IsSingleByte(const QString& text);

} // namespace cp932

} // namespace baisuu
