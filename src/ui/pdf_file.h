#pragma once
// A PDF for a person (a chart, a report, the records list) is drawn in memory
// and then written through the one durable write, so a full disk or a folder
// without write access leaves an older file of that name as it was and is told.

#include "core/file_error.h"

#include <QPdfWriter>
#include <QString>

#include <functional>
#include <optional>

namespace baisuu {

// paint sets the writer up and draws every page; false when drawing failed.
using PdfPainting = std::function<bool(QPdfWriter& pdf)>;
std::optional<FileError> WritePdfFile(const QString& path, const PdfPainting& paint);

} // namespace baisuu
