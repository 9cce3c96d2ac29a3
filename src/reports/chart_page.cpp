#include "reports/chart_page.h"

#include "core/dates.h"
#include "ui/look.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace baisuu {

namespace {

// In page units (paged_document.h): the picture box and a sheet of paper get the same page.
constexpr double kBandGap = 12;         // between one band's frame and the next band
constexpr double kTitleHeight = 34;     // the band's title strip
constexpr double kFigureRows = 9;       // the most rows the figures block has
constexpr double kRowSpacing = 1.3;     // row height in text heights
constexpr double kFigureColumns = 19.5; // the widest figures row, in full-width characters

const QColor kBestRed(255, 0, 0);
const QColor kOtherBlue(0, 0, 255);
const QColor kTargetColour(0x1E, 0x8C, 0x3C);
const QColor kPassColour(0xE0, 0x7A, 0x00);
const QColor kSchoolBestColour(0x8A, 0x2B, 0xB0);
const QColor kSchoolAverageColour(0x55, 0x5F, 0x6E);
const QColor kGridColour(0xE1, 0xE5, 0xEB);
const QColor kFiguresFill(0xF7, 0xF9, 0xFC);

QPen pen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen p(colour, width, style, Qt::FlatCap, Qt::MiterJoin);
    p.setCosmetic(false);
    return p;
}

void text(QPainter& p, const QRectF& box, int flags, const QString& s, const QFont& font,
          const QColor& colour = kPageText) {
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, flags | Qt::TextSingleLine, s);
}

// Tick step of 1, 2 or 5 times a power of ten giving at most maxTicks steps up to top.
double niceStep(double top, int maxTicks) {
    const double raw = top / maxTicks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

// The top of the time axis: room for the level's lines, the school's marks
// and nine in ten of the pupil's runs; the slowest runs stand at the top edge
// instead of pressing every other run to the bottom.
double axisTop(const ChartBand& band) {
    double top = 0;
    if (band.timed) top = std::max<double>({top, double(band.targetTime), double(band.passTime)});
    if (band.schoolBest) top = std::max<double>(top, *band.schoolBest);
    if (const auto avg = band.schoolAverage()) top = std::max<double>(top, *avg);
    QList<qint32> times;
    for (const ChartRun& r : band.runs)
        if (!r.timedOut) times.append(r.time);
    if (!times.isEmpty()) {
        std::sort(times.begin(), times.end());
        top = std::max<double>(top, times[qsizetype(std::floor(0.9 * double(times.size() - 1)))]);
    }
    if (top <= 0) top = 60;
    top *= 1.08;
    const double step = niceStep(top, 5);
    return std::ceil(top / step) * step;
}

struct LineMark {
    double value = 0;
    QString label;
    QColor colour;
    Qt::PenStyle style = Qt::SolidLine;
    double width = 2;
    double labelY = 0;
};

// Labels of lines that lie close together are moved apart so each stays readable.
void spreadLabels(QList<LineMark>& marks, double height, double top, double bottom) {
    std::sort(marks.begin(), marks.end(),
              [](const LineMark& a, const LineMark& b) { return a.labelY > b.labelY; });
    for (qsizetype i = 1; i < marks.size(); ++i)
        marks[i].labelY = std::min(marks[i].labelY, marks[i - 1].labelY - height);
    if (!marks.isEmpty() && marks.last().labelY < top) {
        marks.last().labelY = top;
        for (qsizetype i = marks.size() - 2; i >= 0; --i)
            marks[i].labelY = std::max(marks[i].labelY, marks[i + 1].labelY + height);
    }
    for (LineMark& m : marks)
        m.labelY = std::min(m.labelY, bottom);
}

void drawPoint(QPainter& p, const QPointF& at, double r, const QColor& colour, bool aboveTop) {
    p.setPen(pen(colour.darker(130), r * 0.3));
    p.setBrush(colour);
    if (aboveTop) { // slower than the axis shows: a mark pointing up at the top edge
        QPolygonF up;
        up << QPointF(at.x(), at.y() - r * 1.2) << QPointF(at.x() - r, at.y() + r * 0.6)
           << QPointF(at.x() + r, at.y() + r * 0.6);
        p.drawPolygon(up);
    } else {
        p.drawEllipse(at, r, r);
    }
    p.setBrush(Qt::NoBrush);
}

void drawCross(QPainter& p, const QPointF& at, double r, const QColor& colour) {
    p.setPen(pen(colour, r * 0.45));
    p.drawLine(at + QPointF(-r, -r), at + QPointF(r, r));
    p.drawLine(at + QPointF(-r, r), at + QPointF(r, -r));
}

// The marks of the band's runs, right-aligned in the title strip: the marks
// of runs slower than the axis and of runs that ran out of time only when the
// band has such runs.
void drawLegend(QPainter& p, double right, double y, double h, double size, bool aboveAxis,
                bool timedOut) {
    const QFont font = PageFont(size);
    const QFontMetricsF fm(font);
    enum class Mark { Dot, Up, Cross };
    struct Item {
        QColor colour;
        QString label;
        Mark mark;
    };
    QList<Item> items{{kBestRed, QStringLiteral("自己ベスト更新"), Mark::Dot},
                      {kOtherBlue, QStringLiteral("その他の回"), Mark::Dot}};
    if (aboveAxis) items.append({kOtherBlue, QStringLiteral("目盛りより遅い回"), Mark::Up});
    if (timedOut) items.append({kOtherBlue, QStringLiteral("時間切れ"), Mark::Cross});
    const double r = size * 0.32;
    double x = right;
    for (qsizetype i = items.size() - 1; i >= 0; --i) {
        const double w = fm.horizontalAdvance(items[i].label);
        x -= w;
        text(p, QRectF(x, y, w + 2, h), Qt::AlignLeft | Qt::AlignVCenter, items[i].label, font,
             kPageQuietText);
        x -= r * 2.4;
        const QPointF at(x + r, y + h / 2);
        if (items[i].mark == Mark::Cross)
            drawCross(p, at, r, items[i].colour);
        else
            drawPoint(p, at, r, items[i].colour, items[i].mark == Mark::Up);
        x -= size * 1.2;
    }
}

// Where the parts of one band go, in page units.
struct BandLayout {
    double width = 0; // the page's
    double y0 = 0;    // the top of the band's frame
    double h = 0;     // the frame's height
    double pad = 8;
    double contentTop = 0; // under the title strip
    double em = 0;         // the figures' text height
    QRectF block;          // the figures block
    double smallText = 0;  // the axis, the lines' labels, the dates, the legend
    double gutter = 0;     // room for the lines' labels between the plot and the block
    QRectF caption;        // the axis caption above the tick labels
    QRectF area;           // the plot
};

BandLayout layOutBand(double width, const ChartBand& band, qsizetype rows) {
    BandLayout l;
    l.width = width;
    l.y0 = band.top * kPageUnits;
    l.h = kBandHeight * kPageUnits - kBandGap;
    l.contentTop = l.y0 + kTitleHeight + l.pad;
    const double contentHeight = l.h - kTitleHeight - 2 * l.pad;
    l.em = std::min(
        {contentHeight / (kFigureRows * kRowSpacing) - 0.5, width * 0.36 / kFigureColumns, 22.0});
    const double blockWidth = kFigureColumns * l.em + 2 * l.pad;
    const double blockHeight = double(rows) * l.em * kRowSpacing + 2 * l.pad * 0.6;
    l.block = QRectF(width - l.pad - blockWidth, l.contentTop, blockWidth, blockHeight);
    // As small as a sheet allows, larger on the smaller picture of the screen.
    l.smallText = std::clamp(l.em * 0.8, 9.0, 17.0);
    l.gutter = l.smallText * 6.8 + 10; // "塾平均 1800秒" beside the plot
    const double left = l.pad + 52;
    const double right = l.block.left() - l.gutter;
    l.caption = QRectF(l.pad, l.contentTop, right - l.pad, l.smallText * 1.4);
    // The top tick label stands half a text height above the plot's top: the
    // plot starts low enough for it to clear the caption.
    const double top = l.caption.bottom() + l.smallText * 0.8;
    const double bottom = l.y0 + l.h - l.smallText * 2.2;
    l.area = QRectF(left, top, std::max(right - left, 40.0), std::max(bottom - top, 40.0));
    return l;
}

// Seconds upwards: 0 at the plot's bottom, the axis top at its top; slower
// runs stay at the top edge.
struct TimeScale {
    QRectF area;
    double top = 60;
    double y(double seconds) const {
        return area.bottom() - std::min(seconds, top) / top * area.height();
    }
};

void drawFrame(QPainter& p, const BandLayout& l, const ChartBand& band, const TimeScale& scale) {
    const QRectF frame(1, l.y0, l.width - 2, l.h);
    p.setPen(Qt::NoPen);
    p.setBrush(kPageHeadingFill);
    p.drawRect(QRectF(frame.left(), l.y0, frame.width(), kTitleHeight));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kPageFrame, 1.4));
    p.drawRect(frame);
    const QFont titleFont = PageFont(kTitleHeight * 0.56, true);
    text(p, QRectF(l.pad, l.y0, l.width, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
         band.title, titleFont);
    const double afterTitle = l.pad + QFontMetricsF(titleFont).horizontalAdvance(band.title) + 14;
    text(p, QRectF(afterTitle, l.y0, l.width, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("%1. %2").arg(band.level).arg(band.levelName),
         PageFont(kTitleHeight * 0.5, true), kHeadingBlue);

    const bool anyTimedOut = std::any_of(band.runs.begin(), band.runs.end(),
                                         [](const ChartRun& r) { return r.timedOut; });
    const bool anyAboveAxis =
        std::any_of(band.runs.begin(), band.runs.end(),
                    [&](const ChartRun& r) { return !r.timedOut && r.time > scale.top; });
    drawLegend(p, l.width - l.pad, l.y0 + 3, kTitleHeight - 6,
               std::min(l.smallText, kTitleHeight * 0.5), anyAboveAxis, anyTimedOut);
}

void drawFigures(QPainter& p, const BandLayout& l, const QStringList& rows) {
    p.setPen(pen(kGridColour.darker(110), 1));
    p.setBrush(kFiguresFill);
    p.drawRect(l.block);
    p.setBrush(Qt::NoBrush);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const bool heading = !rows[i].startsWith(QChar(0x3000));
        text(p,
             QRectF(l.block.left() + l.pad,
                    l.block.top() + l.pad * 0.6 + double(i) * l.em * kRowSpacing, l.block.width(),
                    l.em * kRowSpacing),
             Qt::AlignLeft | Qt::AlignVCenter, rows[i], PageFont(l.em, heading));
    }
}

void drawAxis(QPainter& p, const BandLayout& l, const TimeScale& scale) {
    const QFont small = PageFont(l.smallText);
    text(p, l.caption, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("（秒）下ほど速い"), small,
         kPageQuietText);
    const double step = niceStep(scale.top, 5);
    for (double v = 0; v <= scale.top + step * 0.01; v += step) {
        const double y = scale.y(v);
        p.setPen(pen(v == 0 ? kPageFrame : kGridColour, v == 0 ? 1.4 : 1));
        p.drawLine(QPointF(l.area.left(), y), QPointF(l.area.right(), y));
        text(p, QRectF(l.pad, y - l.smallText, l.area.left() - l.pad - 6, l.smallText * 2),
             Qt::AlignRight | Qt::AlignVCenter, QString::number(qint64(v)), small, kPageQuietText);
    }
    p.setPen(pen(kPageFrame, 1.4));
    p.drawLine(l.area.bottomLeft(), l.area.topLeft());
}

// The level's target and pass times, the school's best and average.
void drawLineMarks(QPainter& p, const BandLayout& l, const ChartBand& band,
                   const TimeScale& scale) {
    QList<LineMark> marks;
    if (band.timed && band.targetTime > 0)
        marks.append({double(band.targetTime), QStringLiteral("目標 %1秒").arg(band.targetTime),
                      kTargetColour, Qt::SolidLine, 2.2});
    if (band.timed && band.passTime > 0)
        marks.append({double(band.passTime), QStringLiteral("合格 %1秒").arg(band.passTime),
                      kPassColour, Qt::DashLine, 2.2});
    if (band.schoolBest)
        marks.append({double(*band.schoolBest), QStringLiteral("塾最高 %1秒").arg(*band.schoolBest),
                      kSchoolBestColour, Qt::DotLine, 1.8});
    if (const auto avg = band.schoolAverage())
        marks.append({double(*avg), QStringLiteral("塾平均 %1秒").arg(*avg), kSchoolAverageColour,
                      Qt::DashDotLine, 1.8});
    for (LineMark& m : marks)
        m.labelY = scale.y(m.value);
    const double labelHeight = l.smallText * 1.25;
    for (const LineMark& m : marks) {
        p.setPen(pen(m.colour, m.width, m.style));
        const double y = scale.y(m.value);
        p.drawLine(QPointF(l.area.left(), y), QPointF(l.area.right(), y));
    }
    spreadLabels(marks, labelHeight, l.area.top(), l.area.bottom());
    const QFont small = PageFont(l.smallText);
    for (const LineMark& m : marks) {
        const double y = scale.y(m.value);
        p.setPen(pen(m.colour, 1));
        p.drawLine(QPointF(l.area.right(), y), QPointF(l.area.right() + 6, m.labelY));
        text(p, QRectF(l.area.right() + 8, m.labelY - labelHeight / 2, l.gutter - 10, labelHeight),
             Qt::AlignLeft | Qt::AlignVCenter, m.label, small, m.colour.darker(115));
    }
}

void drawNoRuns(QPainter& p, const BandLayout& l) {
    const QString none = QStringLiteral("この期間の記録はありません");
    const QFont font = PageFont(l.smallText * 1.1);
    const double w = QFontMetricsF(font).horizontalAdvance(none) + l.smallText;
    const QRectF box(l.area.center().x() - w / 2, l.area.center().y() - l.smallText, w,
                     l.smallText * 2);
    p.fillRect(box, Qt::white);
    text(p, box, Qt::AlignCenter, none, font, kPageQuietText);
}

// The runs: red where the pupil beat every run before, blue otherwise, and
// the best so far as a red line stepping down; the days they span below.
void drawRuns(QPainter& p, const BandLayout& l, const ChartBand& band, const TimeScale& scale) {
    const qsizetype n = band.runs.size();
    const double dx = l.area.width() / double(n);
    const double r = std::clamp(dx * 0.42, 1.6, 4.6);
    auto xOf = [&](qsizetype i) { return l.area.left() + dx * (double(i) + 0.5); };
    QPainterPath bestLine;
    for (qsizetype i = 0; i < n; ++i) {
        if (!band.runs[i].best) continue;
        const QPointF at(xOf(i), scale.y(band.runs[i].time));
        if (bestLine.elementCount() == 0) {
            bestLine.moveTo(at);
        } else {
            bestLine.lineTo(at.x(), bestLine.currentPosition().y());
            bestLine.lineTo(at);
        }
    }
    if (bestLine.elementCount() > 0) bestLine.lineTo(xOf(n - 1), bestLine.currentPosition().y());
    // A single best as the last run makes a path of one point, which a PDF
    // writes as a closing without a point to close.
    if (bestLine.elementCount() > 1) {
        p.setPen(pen(QColor(255, 0, 0, 110), 1.3));
        p.drawPath(bestLine);
    }
    p.save();
    p.setClipRect(l.area.adjusted(-r * 2, -r * 2, r * 2, r));
    for (qsizetype i = 0; i < n; ++i) {
        const ChartRun& run = band.runs[i];
        if (run.timedOut)
            drawCross(p, QPointF(xOf(i), l.area.top()), r, kOtherBlue);
        else
            drawPoint(p, QPointF(xOf(i), scale.y(run.time)), r, run.best ? kBestRed : kOtherBlue,
                      run.time > scale.top);
    }
    p.restore();

    double first = band.runs.first().date, last = first;
    for (const ChartRun& run : band.runs) {
        first = std::min(first, run.date);
        last = std::max(last, run.date);
    }
    const QFont small = PageFont(l.smallText);
    const QRectF dates(l.area.left(), l.area.bottom() + 2, l.area.width(), l.smallText * 1.6);
    text(p, dates, Qt::AlignLeft | Qt::AlignVCenter, DateText(DateFromOle(first)), small,
         kPageQuietText);
    text(p, dates, Qt::AlignRight | Qt::AlignVCenter, DateText(DateFromOle(last)), small,
         kPageQuietText);
    if (l.area.width() > l.smallText * 20)
        text(p, dates, Qt::AlignCenter, QStringLiteral("記録の順 →"), small, kPageQuietText);
}

void drawBand(QPainter& p, double width, const ChartBand& band) {
    const QStringList rows = ChartFigureLines(band);
    const BandLayout layout = layOutBand(width, band, rows.size());
    const TimeScale scale{layout.area, axisTop(band)};
    drawFrame(p, layout, band, scale);
    drawFigures(p, layout, rows);
    drawAxis(p, layout, scale);
    drawLineMarks(p, layout, band, scale);
    if (band.runs.isEmpty())
        drawNoRuns(p, layout);
    else
        drawRuns(p, layout, band, scale);
}

} // namespace

void DrawChartPage(QPainter& painter, const QRectF& area, const ChartDocument& doc, int pageIndex) {
    if (area.height() <= 0 || pageIndex < 0 || pageIndex >= doc.pages.size()) return;
    painter.save();
    const double width = UsePageUnits(painter, area);

    // Whose chart, above the first band.
    const double header = kFirstBandTop * kPageUnits;
    QString who = doc.pupilName;
    if (!doc.grade.isEmpty()) who += QStringLiteral("　") + doc.grade;
    text(painter, QRectF(8, 0, width * 0.7, header), Qt::AlignLeft | Qt::AlignVCenter, who,
         PageFont(header * 0.5, true));
    QString stamp = DateText(doc.today);
    if (doc.pages.size() > 1)
        stamp += QStringLiteral("　%1 / %2").arg(pageIndex + 1).arg(doc.pages.size());
    text(painter, QRectF(width * 0.5, 0, width * 0.5 - 8, header),
         Qt::AlignRight | Qt::AlignVCenter, stamp, PageFont(header * 0.34), kPageQuietText);

    for (const ChartBand& band : doc.pages[pageIndex].bands)
        drawBand(painter, width, band);
    painter.restore();
}

PagedDocument PagedChart(ChartDocument doc) {
    return PagedOf(std::move(doc), DrawChartPage);
}

std::optional<FileError> WriteChartPdfs(const QList<ChartDocument>& docs, const QString& path,
                                        QStringList* written) {
    QList<PagedDocument> paged;
    for (const ChartDocument& doc : docs)
        paged.append(PagedChart(doc));
    return WritePdfs(paged, path, written);
}

} // namespace baisuu
