#include "core/cp932.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <vector>

namespace baisuu {

namespace cp932 {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openStrict() {
    UErrorCode status = U_ZERO_ERROR;
    Converter conv(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status)) return nullptr;
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    ucnv_setFallback(conv.get(), false);
    return conv;
}

// ICU's windows-31j table carries IBM's rotation of three control codes
// (byte 0x1A read as U+001C, 0x1C as U+007F, 0x7F as U+001A, and back). Windows
// and the sibling programs keep every byte below 0x80 as itself, and the
// end-of-file mark 0x1A must stay recognisable; so each single byte below 0x80
// is set to its own code (and back) from the converter's offsets. A lead byte
// of code page 932 is never below 0x80, so these are single-byte characters.
constexpr uchar kAsciiEnd = 0x80;

int lineOfByte(const QByteArray& bytes, qsizetype offset) {
    return 1 + int(bytes.left(offset).count('\n'));
}

int lineOfChar(const QString& text, qsizetype index) {
    return 1 + int(text.left(index).count(QLatin1Char('\n')));
}

} // namespace

std::optional<QString> Decode(const QByteArray& bytes, CodecError* error) {
    Converter conv = openStrict();
    if (!conv) {
        if (error) *error = {0, 0, QStringLiteral("文字コード変換器 windows-31j を開けません。")};
        return std::nullopt;
    }
    std::vector<UChar> out(size_t(bytes.size()) + 1);
    std::vector<int32_t> sourceOffsets(out.size());
    const char* src = bytes.constData();
    const char* srcEnd = src + bytes.size();
    UChar* dst = out.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(conv.get(), &dst, out.data() + out.size(), &src, srcEnd, sourceOffsets.data(),
                   true, &status);
    if (U_FAILURE(status)) {
        char bad[8];
        int8_t badLen = sizeof bad;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(conv.get(), bad, &badLen, &ignored);
        const qsizetype offset = (src - bytes.constData()) - badLen;
        if (error) {
            QString hex;
            for (int i = 0; i < badLen; ++i)
                hex += QStringLiteral("%1 ").arg(quint8(bad[i]), 2, 16, QLatin1Char('0')).toUpper();
            *error = {
                offset, lineOfByte(bytes, offset),
                QStringLiteral("Shift-JIS として読めないバイト列があります（%1バイト目: %2）。")
                    .arg(offset + 1)
                    .arg(hex.trimmed())};
        }
        return std::nullopt;
    }
    const qsizetype length = dst - out.data();
    for (qsizetype i = 0; i < length; ++i) {
        const int32_t from = sourceOffsets[size_t(i)];
        if (from >= 0 && uchar(bytes[from]) < kAsciiEnd) out[size_t(i)] = uchar(bytes[from]);
    }
    return QString(reinterpret_cast<const QChar*>(out.data()), length);
}

std::optional<QByteArray> Encode(const QString& text, CodecError* error) {
    Converter conv = openStrict();
    if (!conv) {
        if (error) *error = {0, 0, QStringLiteral("文字コード変換器 windows-31j を開けません。")};
        return std::nullopt;
    }
    QByteArray out(text.size() * 2 + 8, Qt::Uninitialized);
    std::vector<int32_t> sourceIndexes(size_t(out.size()));
    const UChar* src = reinterpret_cast<const UChar*>(text.utf16());
    const UChar* srcEnd = src + text.size();
    char* dst = out.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(conv.get(), &dst, out.data() + out.size(), &src, srcEnd, sourceIndexes.data(),
                     true, &status);
    if (U_FAILURE(status)) {
        UChar bad[4];
        int8_t badLen = 4;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidUChars(conv.get(), bad, &badLen, &ignored);
        const qsizetype index = (src - reinterpret_cast<const UChar*>(text.utf16())) - badLen;
        if (error) {
            const QString ch = text.mid(index, badLen);
            *error = {index, lineOfChar(text, index),
                      QStringLiteral("文字「%1」(U+%2) は Shift-JIS で書けません。")
                          .arg(ch)
                          .arg(ch.isEmpty() ? 0 : ch.at(0).unicode(), 4, 16, QLatin1Char('0'))};
        }
        return std::nullopt;
    }
    out.truncate(dst - out.data());
    for (qsizetype j = 0; j < out.size(); ++j) {
        const int32_t from = sourceIndexes[size_t(j)];
        if (from >= 0 && text.at(from).unicode() < kAsciiEnd)
            out[j] = char(text.at(from).unicode());
    }
    return out;
}

bool IsSingleByte(const QString& text) {
    const auto bytes = Encode(text);
    return bytes && bytes->size() == text.size();
}

} // namespace cp932

} // namespace baisuu
