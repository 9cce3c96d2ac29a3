#pragma once
// Reading and writing the data root's text files: CP932 on disk, QString in memory.

#include "core/file_error.h"

#include <QString>
#include <optional>

namespace baisuu {

// Reads a whole CP932 text file. A missing file, a read failure or bytes that are
// not CP932 give nullopt and a FileError naming the file (and the line). The
// text ends at an end-of-file mark (0x1A), as older programs wrote one.
std::optional<QString> ReadTextFile(const QString& path, FileError* error);

// The text of a CP932 file's bytes, as ReadTextFile reads them.
std::optional<QString> DecodeTextFile(const QString& path, QByteArray bytes, FileError* error);

// The CP932 bytes of a text file's text; nullopt and a FileError naming the
// file and line when a character has no CP932 form.
std::optional<QByteArray> EncodeTextFile(const QString& path, const QString& text,
                                         FileError* error);

// Writes text as CP932 through the one durable write (core/durable_file.h): a
// crash or a full disk while saving leaves the old file whole. Lines should
// already end in CR LF.
bool WriteTextFile(const QString& path, const QString& text, FileError* error);

// Writes bytes as they are, durably like WriteTextFile.
bool WriteBytesFile(const QString& path, const QByteArray& bytes, FileError* error);

} // namespace baisuu
