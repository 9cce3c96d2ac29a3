#pragma once
// The chart page drawn with one routine on any paint device: the hub's
// picture box, a printer and a PDF file alike. Each band shows the pupil's runs
// of one level against a time axis in seconds, the level's target and pass
// times, the school's best and average, the dates the runs span, and the
// figures block beside it.

#include "core/file_error.h"
#include "reports/charts.h"
#include "reports/paged_document.h"

#include <QRectF>
#include <optional>

class QPainter;

namespace baisuu {

// Draws page pageIndex of doc into area, in the painter's device coordinates.
// Everything is sized by the area's height, so the screen's picture box and
// an A4 sheet show the same page.
void DrawChartPage(QPainter& painter, const QRectF& area, const ChartDocument& doc, int pageIndex);

// The document for the panel's picture, a printer or a PDF file.
PagedDocument PagedChart(ChartDocument doc);

// Each document into a PDF file of its own, A4 portrait: the first to path,
// the others as NumberedPdfPath names them. written gets the paths in order.
std::optional<FileError> WriteChartPdfs(const QList<ChartDocument>& docs, const QString& path,
                                        QStringList* written = nullptr);

} // namespace baisuu
