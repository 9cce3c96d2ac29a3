#include "ui/pdf_file.h"

#include "core/durable_file.h"

#include <QBuffer>
#include <QDir>

namespace baisuu {

std::optional<FileError> WritePdfFile(const QString& path, const PdfPainting& paint) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool painted = false;
    {
        QPdfWriter pdf(&buffer);
        painted = paint(pdf);
    } // the writer finishes the document when it goes
    if (!painted)
        return FileError{QDir::cleanPath(path), 0, QStringLiteral("PDFを作れませんでした。")};
    return WriteFileDurably(path, buffer.data());
}

} // namespace baisuu
