#include "reports/weak_numbers_page.h"

#include "core/dates.h"
#include "ui/look.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace baisuu {

namespace {

constexpr double kPad = 8;
constexpr double kCellWidth = 38;

const QColor kCellLine(0xC8, 0xCE, 0xD8);
const QColor kNotShownText(0xB4, 0xBA, 0xC4);
const QColor kSlowMark(0x1A, 0x3A, 0x7A);
const QColor kNoticeText(0xC0, 0x1E, 0x1E);

// The font of size units, made smaller until s fits width.
QFont fitted(double units, bool bold, const QString& s, double width) {
    QFont font = PageFont(units, bold);
    const double w = QFontMetricsF(font).horizontalAdvance(s);
    // Floored: the font's size is whole units, and rounding up would overflow.
    if (w > width && width > 0) font = PageFont(std::max(4.0, std::floor(units * width / w)), bold);
    return font;
}

void text(QPainter& p, const QRectF& box, int flags, const QString& s, double units,
          bool bold = false, const QColor& colour = kPageText) {
    p.setFont(fitted(units, bold, s, box.width()));
    p.setPen(colour);
    p.drawText(box, flags | Qt::TextSingleLine, s);
}

// The slow mark: a small triangle in the cell's top right corner.
void drawSlowMark(QPainter& p, const QRectF& cell) {
    const double s = cell.height() * 0.34;
    QPolygonF corner;
    corner << cell.topRight() << cell.topRight() + QPointF(-s, 0)
           << cell.topRight() + QPointF(0, s);
    p.setPen(Qt::NoPen);
    p.setBrush(kSlowMark);
    p.drawPolygon(corner);
    p.setBrush(Qt::NoBrush);
}

void drawCell(QPainter& p, const QRectF& box, const WeakCell& cell) {
    p.setPen(QPen(kCellLine, 1));
    p.setBrush(MissStepColour(cell.step));
    p.drawRect(box);
    p.setBrush(Qt::NoBrush);
    const bool shown = cell.step != MissStep::NotShown;
    const QColor ink = !shown                        ? kNotShownText
                       : cell.step == MissStep::Many ? QColor(Qt::white)
                                                     : kPageText;
    text(p, box, Qt::AlignCenter, QString::number(cell.number), box.height() * 0.52, cell.wrong > 0,
         ink);
    if (cell.slow) drawSlowMark(p, box);
}

// Lines split at U+3000 into up to three columns, across lines to a row: the
// number right-aligned, then the other parts; one font for all, as large as
// fits. A line of one part (the list's "ほか 5個") takes its whole place.
void drawColumns(QPainter& p, const QRectF& box, double top, const QStringList& lines, int across) {
    QList<QStringList> parts;
    for (const QString& line : lines)
        parts.append(line.split(QChar(0x3000)));
    double units = kWeakLine * 0.6;
    const auto widths = [&](double size) {
        const QFontMetricsF fm(PageFont(size));
        std::array<double, 3> w{fm.horizontalAdvance(QStringLiteral("110")), 0, 0};
        for (const QStringList& row : parts)
            for (qsizetype c = 1; c < std::min<qsizetype>(row.size(), 3); ++c)
                w[size_t(c)] = std::max(w[size_t(c)], fm.horizontalAdvance(row[c]));
        return w;
    };
    std::array<double, 3> w = widths(units);
    const auto stride = [&] { return w[0] + w[1] + w[2] + 2 * units; };
    if (across * stride() > box.width()) {
        units = std::floor(units * box.width() / (across * stride()));
        w = widths(units);
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringList& row = parts[i];
        double x = box.left() + double(i % across) * stride();
        const double y = top + double(i / across) * kWeakLine;
        if (row.size() == 1 && across > 1) {
            text(p, QRectF(x, y, stride() - units, kWeakLine), Qt::AlignLeft | Qt::AlignVCenter,
                 row[0], units);
            continue;
        }
        for (qsizetype c = 0; c < std::min<qsizetype>(row.size(), 3); ++c) {
            text(p, QRectF(x, y, w[size_t(c)] + 1, kWeakLine),
                 (c == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, row[c], units);
            x += w[size_t(c)] + units;
        }
    }
}

void drawSide(QPainter& p, const QRectF& box, const WeakSection& s, bool anyAnswers) {
    double y = box.top();
    const auto line = [&](const QString& str, bool bold, const QColor& colour) {
        text(p, QRectF(box.left(), y, box.width(), kWeakLine), Qt::AlignLeft | Qt::AlignVCenter,
             str, kWeakLine * 0.6, bold, colour);
        y += kWeakLine;
    };
    line(QStringLiteral("まちがいの多い数"), true, kHeadingBlue);
    drawColumns(p, box, y, s.mostMissed, 1);
    y += double(s.mostMissed.size()) * kWeakLine;
    if (s.mostMissed.isEmpty())
        line(anyAnswers ? QStringLiteral("まちがいはありません") : QStringLiteral("―"), false,
             kPageQuietText);
    if (!s.lastPractised.isEmpty()) {
        line(QStringLiteral("苦手な数（最後に練習した日）"), true, kHeadingBlue);
        drawColumns(p, box, y, s.lastPractised, kLastPractisedAcross);
        y += double(s.lastPractisedRows()) * kWeakLine;
    }
    if (!s.levelFigures.isEmpty()) {
        line(QStringLiteral("レベル%1全体").arg(s.level), true, kPageQuietText);
        line(s.levelFigures, false, kPageQuietText);
    }
}

// One section from top; returns its height.
double drawSection(QPainter& p, double width, double top, const WeakSection& s) {
    const double h = WeakSectionHeight(s);
    const QRectF frame(1, top, width - 2, h);
    p.setPen(Qt::NoPen);
    p.setBrush(kPageHeadingFill);
    p.drawRect(QRectF(frame.left(), top, frame.width(), kWeakTitle));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kPageFrame, 1.4));
    p.drawRect(frame);
    const double half = (width - 4 * kPad) / 2;
    text(p, QRectF(kPad, top, half * 1.1, kWeakTitle), Qt::AlignLeft | Qt::AlignVCenter, s.title,
         kWeakTitle * 0.55, true, kHeadingBlue);
    text(p, QRectF(width - kPad - half * 0.9, top, half * 0.9, kWeakTitle),
         Qt::AlignRight | Qt::AlignVCenter, s.figures, kWeakTitle * 0.46, false, kPageText);

    const double gridTop = top + kWeakTitle + kWeakSectionPad;
    for (qsizetype i = 0; i < s.cells.size(); ++i) {
        const QRectF cell(kPad + double(i % 10) * kCellWidth, gridTop + double(i / 10) * kWeakRow,
                          kCellWidth, kWeakRow);
        drawCell(p, cell, s.cells[i]);
    }
    const double sideLeft = kPad * 3 + 10 * kCellWidth;
    const bool anyAnswers =
        std::any_of(s.cells.begin(), s.cells.end(), [](const WeakCell& c) { return c.shown > 0; });
    drawSide(p, QRectF(sideLeft, gridTop, width - sideLeft - kPad, h), s, anyAnswers);
    return h;
}

void drawSwatch(QPainter& p, const QRectF& box, MissStep step) {
    p.setPen(QPen(kCellLine, 1));
    p.setBrush(MissStepColour(step));
    p.drawRect(box);
    p.setBrush(Qt::NoBrush);
}

// Two lines at the foot: the colour steps; the blank cell and the slow mark.
void drawLegend(QPainter& p, double width, double top) {
    const double row = kWeakLegend / 2, size = row * 0.54, box = row * 0.7;
    const QFont font = PageFont(size);
    const QFontMetricsF fm(font);
    const auto label = [&](double& x, double y, const QString& s, const QColor& colour) {
        const double w = std::min(fm.horizontalAdvance(s) + 2, width - x);
        text(p, QRectF(x, y, w, row), Qt::AlignLeft | Qt::AlignVCenter, s, size, false, colour);
        x += w + size * 1.2;
    };
    const auto swatch = [&](double& x, double y, MissStep step) {
        const QRectF b(x, y + (row - box) / 2, box * 1.4, box);
        drawSwatch(p, b, step);
        x += b.width() + size * 0.4;
        return b;
    };
    double x = kPad;
    label(x, top, QStringLiteral("まちがいの割合"), kPageQuietText);
    const QStringList labels = MissStepLabels();
    const MissStep steps[] = {MissStep::None, MissStep::Few, MissStep::Some, MissStep::Many};
    for (int i = 0; i < 4; ++i) {
        swatch(x, top, steps[i]);
        label(x, top, labels[i], kPageText);
    }
    x = kPad;
    swatch(x, top + row, MissStep::NotShown);
    label(x, top + row, QStringLiteral("まだ出ていない数"), kPageText);
    drawSlowMark(p, swatch(x, top + row, MissStep::NotShown));
    label(x, top + row, QStringLiteral("答えるのに時間のかかる数（遅い方の5分の1）"), kPageText);
}

void drawHeader(QPainter& p, double width, const WeakNumbersDocument& doc, int pageIndex) {
    QString who = doc.pupilName;
    if (!doc.grade.isEmpty()) who += QStringLiteral("　") + doc.grade;
    text(p, QRectF(kPad, 0, width * 0.55, kWeakHeader * 0.62), Qt::AlignLeft | Qt::AlignBottom, who,
         kWeakHeader * 0.42, true);
    text(p, QRectF(kPad, kWeakHeader * 0.62, width * 0.55, kWeakHeader * 0.38),
         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("苦手な数"), kWeakHeader * 0.3, true,
         kHeadingBlue);
    const double noticeAt = kPad + kWeakHeader * 1.5; // past 「苦手な数」
    text(p,
         QRectF(noticeAt, kWeakHeader * 0.62, width * 0.55 + kPad - noticeAt, kWeakHeader * 0.38),
         Qt::AlignLeft | Qt::AlignVCenter, doc.notice, kWeakHeader * 0.28, true, kNoticeText);
    QString stamp = DateText(doc.today);
    if (doc.pages.size() > 1)
        stamp += QStringLiteral("　%1 / %2").arg(pageIndex + 1).arg(doc.pages.size());
    const double right = width * 0.42;
    text(p, QRectF(width - kPad - right, 0, right, kWeakHeader * 0.5),
         Qt::AlignRight | Qt::AlignBottom, stamp, kWeakHeader * 0.3, false, kPageQuietText);
    text(p, QRectF(width - kPad - right, kWeakHeader * 0.5, right, kWeakHeader * 0.45),
         Qt::AlignRight | Qt::AlignVCenter, doc.period, kWeakHeader * 0.3, true, kPageText);
}

} // namespace

QColor MissStepColour(MissStep step) {
    switch (step) {
    case MissStep::NotShown:
        return Qt::white;
    case MissStep::None:
        return QColor(0xDC, 0xF0, 0xDC);
    case MissStep::Few:
        return QColor(0xFF, 0xE8, 0x8C);
    case MissStep::Some:
        return QColor(0xFF, 0xA8, 0x4C);
    case MissStep::Many:
        return QColor(0xD8, 0x32, 0x2C);
    }
    return Qt::white;
}

void DrawWeakNumbersPage(QPainter& painter, const QRectF& area, const WeakNumbersDocument& doc,
                         int pageIndex) {
    if (area.height() <= 0 || pageIndex < 0 || pageIndex >= doc.pages.size()) return;
    painter.save();
    const double width = UsePageUnits(painter, area);
    drawHeader(painter, width, doc, pageIndex);
    double y = kWeakHeader;
    for (const WeakSection& s : doc.pages[pageIndex].sections)
        y += drawSection(painter, width, y, s) + kWeakSectionGap;
    drawLegend(painter, width, kPageUnits - kWeakLegend);
    painter.restore();
}

QList<WeakTitleRoom> WeakTitleRooms(const QRectF& area, const WeakNumbersDocument& doc,
                                    int pageIndex) {
    QList<WeakTitleRoom> rooms;
    if (area.height() <= 0 || pageIndex < 0 || pageIndex >= doc.pages.size()) return rooms;
    const double scale = area.height() / kPageUnits, width = area.width() / scale;
    const double half = (width - 4 * kPad) / 2, gap = kWeakTitle * 0.4;
    double y = kWeakHeader;
    for (const WeakSection& s : doc.pages[pageIndex].sections) {
        // The same boxes and fonts as drawSection's title strip.
        const double titleBox = half * 1.1, figuresBox = half * 0.9;
        const double titleEnd =
            kPad +
            std::min(titleBox, QFontMetricsF(fitted(kWeakTitle * 0.55, true, s.title, titleBox))
                                   .horizontalAdvance(s.title));
        const double figuresStart =
            width - kPad -
            std::min(figuresBox,
                     QFontMetricsF(fitted(kWeakTitle * 0.46, false, s.figures, figuresBox))
                         .horizontalAdvance(s.figures));
        const QRectF units(titleEnd + gap, y, std::max(0.0, figuresStart - titleEnd - 2 * gap),
                           kWeakTitle);
        rooms.append(
            {s.level, QRectF(area.topLeft() + units.topLeft() * scale, units.size() * scale)});
        y += WeakSectionHeight(s) + kWeakSectionGap;
    }
    return rooms;
}

PagedDocument PagedWeakNumbers(WeakNumbersDocument doc) {
    return PagedOf(std::move(doc), DrawWeakNumbersPage);
}

} // namespace baisuu
