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

// A document of pages (with pupilName, today and pages) for paper, drawn page
// by page with draw(painter, area, doc, page).
template <typename Doc>
PagedDocument PagedOf(Doc doc, void (*draw)(QPainter&, const QRectF&, const Doc&, int)) {
    PagedDocument paged{doc.pupilName, doc.today, int(doc.pages.size()), {}};
    paged.draw = [doc = std::move(doc), draw](QPainter& p, const QRectF& area, int page) {
        draw(p, area, doc, page);
    };
    return paged;
}

// A page's height in the units it is drawn in, whatever the device.
constexpr double kPageUnits = 1000;

// The words a page heads its period with: "全期間", or for the last `days`
// days up to today "最近30日（2026/11/11〜2026/12/10）".
QString PeriodText(int days, QDate today);

// Makes painter draw into area in units of a thousandth of its height, so a
// page looks the same on every device, antialiased; returns the page's width
// in those units. The caller saves the painter before and restores it after.
double UsePageUnits(QPainter& painter, const QRectF& area);

// Every page on a paged device (a printer or a PDF writer), with a new page
// between pages; the device's job ends when the painter does. False when the
// device cannot be painted on.
bool PaintDocument(QPagedPaintDevice& device, const PagedDocument& doc);

// Each document into a PDF file of its own, A4 portrait: the first to path,
// the others as NumberedPdfPath names them. written gets the paths in order.
std::optional<FileError> WritePdfs(const QList<PagedDocument>& docs, const QString& path,
                                   QStringList* written = nullptr);

} // namespace baisuu
