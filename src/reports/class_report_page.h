#pragma once
// The class report on paper: A4 landscape sheets with the school, the group
// and the day in the heading, the column headings on every sheet, the page
// number at the foot, and each best time within the target on the colour the
// hub's lists take for it. A table wider than a sheet goes on over further
// sheets, grade and name on each.

#include "core/file_error.h"
#include "reports/class_report.h"

#include <QRectF>
#include <optional>

class QPagedPaintDevice;
class QPainter;

namespace baisuu {

// What one A4 landscape sheet holds.
constexpr int kReportRowsPerPage = 28;
constexpr int kReportLevelsPerPage = 6;

// The sheets of the report in print order.
QList<ClassReportPage> ClassReportPages(const ClassReport& report);

// Draws page (number pageNumber of pageCount, counted from 1) into area, in
// the painter's device coordinates; everything is sized by the area, so any
// device with the proportions of an A4 landscape sheet shows the same page.
void DrawClassReportPage(QPainter& painter, const QRectF& area, const ClassReport& report,
                         const ClassReportPage& page, int pageNumber, int pageCount);

// Every page on a paged device, a new page between pages. False when the
// device cannot be painted on.
bool PaintClassReport(QPagedPaintDevice& device, const ClassReport& report);

// The report as a PDF file, A4 landscape, written through a temporary file
// beside path: a failed write leaves any earlier file whole and no half report.
std::optional<FileError> WriteClassReportPdf(const ClassReport& report, const QString& path);

} // namespace baisuu
