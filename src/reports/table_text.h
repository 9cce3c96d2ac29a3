#pragma once
// Texts and lines of a printed table, drawn in tenths of a millimetre (the
// unit the class report and the chain report lay their sheets out in).

#include "ui/look.h"

#include <QPen>
#include <QRectF>
#include <QString>

class QFont;
class QPainter;

namespace baisuu {

// The tint of every other row, so the eye keeps to one line across the
// sheet, and the lines between cells.
inline const QColor kTableStripe(0xF4, 0xF6, 0xF9);
inline const QColor kTableGrid(0xD5, 0xDA, 0xE1);

// A line of a table, width in the sheet's units.
QPen TablePen(const QColor& colour, double width);

// The room kept between a cell's text and its sides.
constexpr double kCellPad = 8;

enum class CellLines { One, UpToTwo };

// Text within box less its padding. A text too wide for one line is set
// smaller, down to six tenths of its size; beyond that it goes on two lines
// where the cell allows it (a long name), and is cut with "…" where not.
void DrawCellText(QPainter& p, const QRectF& box, Qt::Alignment align, QString s, const QFont& font,
                  const QColor& colour = kPageText, CellLines lines = CellLines::One);

} // namespace baisuu
