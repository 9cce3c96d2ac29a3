#include "reports/class_report_page.h"

#include "core/dates.h"
#include "reports/table_text.h"
#include "ui/look.h"
#include "ui/pdf_file.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace baisuu {

namespace {

// The sheet is drawn in tenths of a millimetre: A4 landscape less margins of 10 mm.
constexpr double kMarginMm = 10;
constexpr double kWidth = 2770;
constexpr double kHeight = 1900;

constexpr double kTitleHeight = 110;
constexpr double kTableTop = kTitleHeight + 20;
constexpr double kLevelHeadHeight = 90; // the level's name and its target time
constexpr double kColumnHeadHeight = 50;
constexpr double kBodyTop = kTableTop + kLevelHeadHeight + kColumnHeadHeight;
constexpr double kRowHeight = 56;
constexpr double kFootHeight = 60;

constexpr double kGradeWidth = 120;
constexpr double kNameWidth = 400; // ten full-width characters; longer names are set smaller
constexpr double kColumnWidths[] = {80, 90, 120, 85}; // runs, best, points, cleared
constexpr double kLevelWidth =
    kColumnWidths[0] + kColumnWidths[1] + kColumnWidths[2] + kColumnWidths[3];
constexpr double kPad = kCellPad;

static_assert(kBodyTop + kReportRowsPerPage * kRowHeight + kFootHeight <= kHeight,
              "the rows of a sheet leave room for the foot");
static_assert(kGradeWidth + kNameWidth + kReportLevelsPerPage * kLevelWidth <= kWidth,
              "the levels of a sheet fit its width");

constexpr int kBodyText = 34;
constexpr int kHeadText = 28;
constexpr int kSmallText = 24;

const QColor kMarkRed(0xB0, 0x10, 0x10);

void drawTitle(QPainter& p, const ClassReport& report) {
    const QFont schoolFont = PageFont(56, true);
    const QFont titleFont = PageFont(40);
    const double dateWidth = 600;
    double x = 0;
    if (!report.schoolName.isEmpty()) {
        const double w =
            std::min(QFontMetricsF(schoolFont).horizontalAdvance(report.schoolName) + 2 * kPad,
                     kWidth * 0.4);
        DrawCellText(p, QRectF(x - kPad, 0, w, kTitleHeight), Qt::AlignLeft, report.schoolName,
                     schoolFont, kHeadingBlue);
        x += w + 20;
    }
    QString title = QStringLiteral("成績一覧　%1").arg(report.group);
    if (!report.contentName.isEmpty()) title = report.contentName + QStringLiteral("　") + title;
    DrawCellText(p, QRectF(x - kPad, 0, kWidth - dateWidth - x, kTitleHeight), Qt::AlignLeft, title,
                 titleFont);
    DrawCellText(p, QRectF(kWidth - dateWidth, 0, dateWidth + kPad, kTitleHeight), Qt::AlignRight,
                 DateText(report.today), PageFont(34), kPageQuietText);
    p.setPen(TablePen(kHeadingBlue, 5));
    p.drawLine(QPointF(0, kTitleHeight - 6), QPointF(kWidth, kTitleHeight - 6));
}

void drawHeadings(QPainter& p, const ClassReport& report, const ClassReportPage& page) {
    const double headHeight = kLevelHeadHeight + kColumnHeadHeight;
    const double tableRight = kGradeWidth + kNameWidth + page.levelCount * kLevelWidth;
    p.fillRect(QRectF(0, kTableTop, tableRight, headHeight), kPageHeadingFill);
    const QFont head = PageFont(kHeadText, true);
    DrawCellText(p, QRectF(0, kTableTop, kGradeWidth, headHeight), Qt::AlignHCenter,
                 QStringLiteral("学年"), head);
    DrawCellText(p, QRectF(kGradeWidth, kTableTop, kNameWidth, headHeight), Qt::AlignHCenter,
                 QStringLiteral("名前"), head);
    for (int k = 0; k < page.levelCount; ++k) {
        const ClassReportLevel& level = report.levels[page.firstLevel + k];
        const double left = kGradeWidth + kNameWidth + k * kLevelWidth;
        DrawCellText(p, QRectF(left, kTableTop + 4, kLevelWidth, kLevelHeadHeight * 0.55),
                     Qt::AlignHCenter, LevelHeading(level), PageFont(30, true), kHeadingBlue);
        if (level.targetTime > 0)
            DrawCellText(p,
                         QRectF(left, kTableTop + kLevelHeadHeight * 0.55, kLevelWidth,
                                kLevelHeadHeight * 0.4),
                         Qt::AlignHCenter, QStringLiteral("目標 %1秒").arg(level.targetTime),
                         PageFont(kSmallText), kPageQuietText);
        double x = left;
        for (int c = 0; c < 4; ++c) {
            DrawCellText(
                p, QRectF(x, kTableTop + kLevelHeadHeight, kColumnWidths[c], kColumnHeadHeight),
                Qt::AlignHCenter, LevelColumnHeadings()[c], PageFont(kSmallText, true));
            x += kColumnWidths[c];
        }
    }
}

void drawRows(QPainter& p, const ClassReport& report, const ClassReportPage& page) {
    const QFont body = PageFont(kBodyText);
    const QFont mark = PageFont(kBodyText, true);
    for (int r = 0; r < page.rowCount; ++r) {
        const ClassReportRow& row = report.rows[page.firstRow + r];
        const double top = kBodyTop + r * kRowHeight;
        const double right = kGradeWidth + kNameWidth + page.levelCount * kLevelWidth;
        // Every other row on a tint, so the eye keeps to one pupil across the sheet.
        if (r % 2 == 1) p.fillRect(QRectF(0, top, right, kRowHeight), kTableStripe);
        DrawCellText(p, QRectF(0, top, kGradeWidth, kRowHeight), Qt::AlignHCenter, row.grade, body);
        DrawCellText(p, QRectF(kGradeWidth, top, kNameWidth, kRowHeight), Qt::AlignLeft, row.name,
                     body, kPageText, CellLines::UpToTwo);
        double x = kGradeWidth + kNameWidth;
        for (int k = 0; k < page.levelCount; ++k) {
            const ClassReportCell& cell = row.cells[page.firstLevel + k];
            const QRectF runs(x, top, kColumnWidths[0], kRowHeight);
            const QRectF best(runs.right(), top, kColumnWidths[1], kRowHeight);
            const QRectF points(best.right(), top, kColumnWidths[2], kRowHeight);
            const QRectF cleared(points.right(), top, kColumnWidths[3], kRowHeight);
            if (cell.withinTarget) p.fillRect(best, kWithinTarget);
            DrawCellText(p, runs, Qt::AlignRight, RunsText(cell), body);
            DrawCellText(p, best, Qt::AlignRight, BestTimeText(cell), body);
            DrawCellText(p, points, Qt::AlignRight, PointsText(cell), body);
            DrawCellText(p, cleared, Qt::AlignHCenter, ClearedText(cell), mark, kMarkRed);
            x += kLevelWidth;
        }
    }
}

void drawGrid(QPainter& p, const ClassReportPage& page) {
    const double right = kGradeWidth + kNameWidth + page.levelCount * kLevelWidth;
    const double bottom = kBodyTop + std::max(page.rowCount, 1) * kRowHeight;
    const double levelsLeft = kGradeWidth + kNameWidth;
    p.setPen(TablePen(kTableGrid, 1.5));
    for (int r = 1; r < page.rowCount; ++r)
        p.drawLine(QPointF(0, kBodyTop + r * kRowHeight),
                   QPointF(right, kBodyTop + r * kRowHeight));
    p.drawLine(QPointF(levelsLeft, kTableTop + kLevelHeadHeight),
               QPointF(right, kTableTop + kLevelHeadHeight));
    for (int k = 0; k < page.levelCount; ++k) {
        double x = levelsLeft + k * kLevelWidth;
        for (int c = 0; c < 3; ++c) {
            x += kColumnWidths[c];
            p.drawLine(QPointF(x, kTableTop + kLevelHeadHeight), QPointF(x, bottom));
        }
    }
    p.setPen(TablePen(kPageFrame, 3));
    p.drawLine(QPointF(kGradeWidth, kTableTop), QPointF(kGradeWidth, bottom));
    for (int k = 0; k <= page.levelCount; ++k)
        p.drawLine(QPointF(levelsLeft + k * kLevelWidth, kTableTop),
                   QPointF(levelsLeft + k * kLevelWidth, bottom));
    p.drawLine(QPointF(0, kBodyTop), QPointF(right, kBodyTop));
    p.drawRect(QRectF(0, kTableTop, right, bottom - kTableTop));
}

void drawFoot(QPainter& p, int pageNumber, int pageCount) {
    const double top = kHeight - kFootHeight;
    const QFont small = PageFont(kSmallText);
    double x = 0;
    const auto legend = [&](const QString& s) {
        const double w = QFontMetricsF(small).horizontalAdvance(s) + 2 * kPad;
        DrawCellText(p, QRectF(x, top, w, kFootHeight), Qt::AlignLeft, s, small, kPageQuietText);
        x += w + 30;
    };
    DrawCellText(p, QRectF(x, top, 60, kFootHeight), Qt::AlignHCenter,
                 QString::fromUtf16(kClearedMark), PageFont(kSmallText, true), kMarkRed);
    x += 50;
    legend(QStringLiteral("判定期間内にクリア"));
    const QRectF swatch(x, top + 15, 60, kFootHeight - 30);
    p.fillRect(swatch, kWithinTarget);
    p.setPen(TablePen(kPageFrame, 1.5));
    p.drawRect(swatch);
    x += 70;
    legend(QStringLiteral("最高タイムが目標タイム以内"));
    legend(QStringLiteral("%1 記録なし　タイムは秒、点数は今までの合計")
               .arg(QString::fromUtf16(kNoBestTime)));
    DrawCellText(p, QRectF(kWidth - 400, top, 400 + kPad, kFootHeight), Qt::AlignRight,
                 QStringLiteral("%1 / %2").arg(pageNumber).arg(pageCount), PageFont(30));
}

} // namespace

QList<ClassReportPage> ClassReportPages(const ClassReport& report) {
    return PaginateClassReport(int(report.rows.size()), int(report.levels.size()),
                               kReportRowsPerPage, kReportLevelsPerPage);
}

void DrawClassReportPage(QPainter& painter, const QRectF& area, const ClassReport& report,
                         const ClassReportPage& page, int pageNumber, int pageCount) {
    if (area.width() <= 0 || area.height() <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(area.topLeft());
    const double scale = std::min(area.width() / kWidth, area.height() / kHeight);
    painter.scale(scale, scale);

    drawTitle(painter, report);
    drawHeadings(painter, report, page);
    drawRows(painter, report, page);
    if (report.rows.isEmpty())
        DrawCellText(painter, QRectF(0, kBodyTop, kGradeWidth + kNameWidth, kRowHeight),
                     Qt::AlignLeft, QStringLiteral("この学年の生徒はいません。"),
                     PageFont(kBodyText), kPageQuietText);
    drawGrid(painter, page);
    drawFoot(painter, pageNumber, pageCount);
    painter.restore();
}

bool PaintClassReport(QPagedPaintDevice& device, const ClassReport& report) {
    const QList<ClassReportPage> pages = ClassReportPages(report);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    for (int k = 0; k < pages.size(); ++k) {
        if (k > 0) device.newPage();
        DrawClassReportPage(painter, QRectF(0, 0, device.width(), device.height()), report,
                            pages[k], k + 1, int(pages.size()));
    }
    return painter.end();
}

std::optional<FileError> WriteClassReportPdf(const ClassReport& report, const QString& path) {
    return WritePdfFile(path, [&](QPdfWriter& pdf) {
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                      QPageLayout::Millimeter));
        pdf.setResolution(600);
        pdf.setTitle(QStringLiteral("%1 成績一覧 %2 %3")
                         .arg(report.schoolName, report.group, DateText(report.today)));
        pdf.setCreator(report.contentName);
        return PaintClassReport(pdf, report);
    });
}

} // namespace baisuu
