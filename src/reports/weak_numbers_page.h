#pragma once
// The 苦手な数 page drawn with one routine on any paint device: the chart
// panel's picture box, a printer and a PDF file alike, as the chart pages are.

#include "reports/paged_document.h"
#include "reports/weak_numbers.h"

#include <QColor>

namespace baisuu {

// Draws page pageIndex of doc into area, in the painter's device coordinates.
// Everything is sized by the area's height, so the picture box and an A4
// sheet show the same page.
void DrawWeakNumbersPage(QPainter& painter, const QRectF& area, const WeakNumbersDocument& doc,
                         int pageIndex);

// Where a section's title strip has room beside its title and figures, for
// a button over the page in view: the section's level and the free part of
// its strip, in area's coordinates.
struct WeakTitleRoom {
    int level = 0;
    QRectF room;
};
QList<WeakTitleRoom> WeakTitleRooms(const QRectF& area, const WeakNumbersDocument& doc,
                                    int pageIndex);

// The document for the panel's picture, a printer or a PDF file.
PagedDocument PagedWeakNumbers(WeakNumbersDocument doc);

// The fill of a cell of the step (white for a number never asked).
QColor MissStepColour(MissStep step);

} // namespace baisuu
