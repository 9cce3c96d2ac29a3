#pragma once
// One pupil's pages, a chart or the 苦手な数 view, ready for paper: the panel
// shows, prints and writes them without knowing which they are.

#include "core/file_error.h"

#include <QDate>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPagedPaintDevice;
class QPainter;

namespace baisuu {

struct PagedDocument {
    QString name; // the pupil's name: the print job's and the PDF's title
    QDate today;
    int pageCount = 0;
    // Draws page (0-based) into area, in the painter's device coordinates.
    std::function<void(QPainter&, const QRectF&, int)> draw;
};

// Every page on a paged device (a printer or a PDF writer), with a new page
// between pages; the device's job ends when the painter does. False when the
// device cannot be painted on.
bool PaintDocument(QPagedPaintDevice& device, const PagedDocument& doc);

// Each document into a PDF file of its own, A4 portrait: the first to path,
// the others as NumberedPdfPath names them. written gets the paths in order.
std::optional<FileError> WritePdfs(const QList<PagedDocument>& docs, const QString& path,
                                   QStringList* written = nullptr);

} // namespace baisuu
