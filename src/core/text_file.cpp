#include "core/text_file.h"

#include "core/cp932.h"
#include "core/durable_file.h"

#include <QFile>

namespace baisuu {

std::optional<QString> ReadTextFile(const QString& path, FileError* error) {
    QFile file(path);
    if (!file.exists()) {
        if (error) *error = {path, 0, QStringLiteral("ファイルがありません。")};
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = {path, 0,
                      QStringLiteral("ファイルを開けません（%1）。").arg(file.errorString())};
        return std::nullopt;
    }
    return DecodeTextFile(path, file.readAll(), error);
}

std::optional<QString> DecodeTextFile(const QString& path, QByteArray bytes, FileError* error) {
    // Older programs end their files with the DOS end-of-file mark 0x1A; as in
    // DOS, the text ends at the mark (it is never the second byte of a character).
    if (const qsizetype mark = bytes.indexOf('\x1A'); mark >= 0) bytes.truncate(mark);
    cp932::CodecError codecError;
    auto text = cp932::Decode(bytes, &codecError);
    if (!text && error) *error = {path, codecError.line, codecError.message};
    return text;
}

std::optional<QByteArray> EncodeTextFile(const QString& path, const QString& text,
                                         FileError* error) {
    cp932::CodecError codecError;
    auto bytes = cp932::Encode(text, &codecError);
    if (!bytes && error) *error = {path, codecError.line, codecError.message};
    return bytes;
}

bool WriteTextFile(const QString& path, const QString& text, FileError* error) {
    const auto bytes = EncodeTextFile(path, text, error);
    return bytes && WriteBytesFile(path, *bytes, error);
}

bool WriteBytesFile(const QString& path, const QByteArray& bytes, FileError* error) {
    auto fault = WriteFileDurably(path, bytes);
    if (fault && error) *error = *fault;
    return !fault;
}

} // namespace baisuu
