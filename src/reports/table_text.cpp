#include "reports/table_text.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace baisuu {

QPen TablePen(const QColor& colour, double width) {
    QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setCosmetic(false);
    return pen;
}

void DrawCellText(QPainter& p, const QRectF& box, Qt::Alignment align, QString s, const QFont& font,
                  const QColor& colour, CellLines lines) {
    if (s.isEmpty()) return;
    const QRectF inner = box.adjusted(kCellPad, 0, -kCellPad, 0);
    const int size = font.pixelSize();
    int flags = int(align | Qt::AlignVCenter | Qt::TextSingleLine);
    QFont smaller;
    const QFont* used = &font;
    // A full-width em per character bounds the width of any text: most cells
    // hold a few digits and need no measuring.
    if (double(s.size()) * size > inner.width()) {
        // Two lines of this size fill the height of the box.
        const int twoLineSize = std::min(size, int(inner.height() / 2.3));
        const int smallest = std::max(
            lines == CellLines::UpToTwo ? std::max(twoLineSize, size * 6 / 10) : size * 6 / 10, 1);
        double width = QFontMetricsF(font).horizontalAdvance(s);
        if (width > inner.width()) {
            smaller = font;
            used = &smaller;
            int fitted = std::max(int(size * inner.width() / width), smallest);
            smaller.setPixelSize(fitted);
            width = QFontMetricsF(smaller).horizontalAdvance(s);
            while (width > inner.width() && fitted > smallest) {
                smaller.setPixelSize(--fitted);
                width = QFontMetricsF(smaller).horizontalAdvance(s);
            }
            if (width > inner.width() && lines == CellLines::UpToTwo) {
                // Two lines hold the 20 characters a roster name has at most;
                // the box clips anything longer.
                smaller.setPixelSize(twoLineSize);
                flags = int(align | Qt::AlignVCenter | Qt::TextWrapAnywhere);
            } else if (width > inner.width()) {
                s = QFontMetricsF(smaller).elidedText(s, Qt::ElideRight, inner.width());
            }
        }
    }
    p.setFont(*used);
    p.setPen(colour);
    p.drawText(inner, flags, s);
}

} // namespace baisuu
