#include "reports/paged_document.h"

#include "core/dates.h"
#include "reports/charts.h"
#include "ui/pdf_file.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>

namespace baisuu {

QString PeriodText(int days, QDate today) {
    if (days <= 0) return QStringLiteral("全期間");
    return QStringLiteral("最近%1日（%2〜%3）")
        .arg(days)
        .arg(DateText(today.addDays(1 - days)), DateText(today));
}

double UsePageUnits(QPainter& painter, const QRectF& area) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(area.topLeft());
    const double scale = area.height() / kPageUnits;
    painter.scale(scale, scale);
    return area.width() / scale;
}

bool PaintDocument(QPagedPaintDevice& device, const PagedDocument& doc) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    for (int page = 0; page < doc.pageCount; ++page) {
        if (page > 0) device.newPage();
        doc.draw(painter, QRectF(0, 0, device.width(), device.height()), page);
    }
    return painter.end();
}

std::optional<FileError> WritePdfs(const QList<PagedDocument>& docs, const QString& path,
                                   QStringList* written) {
    for (int k = 0; k < docs.size(); ++k) {
        const QString file = NumberedPdfPath(path, k);
        auto error = WritePdfFile(file, [&](QPdfWriter& pdf) {
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
            pdf.setResolution(600);
            pdf.setTitle(QStringLiteral("%1 %2").arg(docs[k].name, DateText(docs[k].today)));
            pdf.setCreator(QStringLiteral("倍数判定"));
            return PaintDocument(pdf, docs[k]);
        });
        if (error) return error;
        if (written) written->append(file);
    }
    return std::nullopt;
}

} // namespace baisuu
