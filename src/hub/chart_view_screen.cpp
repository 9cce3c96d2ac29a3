#include "hub/chart_view_screen.h"

#include "reports/weak_numbers_page.h"
#include "ui/look.h"
#include "ui/screen_parts.h"

#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace baisuu {

// --- Picture12 ---------------------------------------------------------------------

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    FillBackground(this, Qt::white);
}

void ChartView::offerPractice(int pupil, std::function<void(int level)> start) {
    practicePupil_ = pupil;
    startPractice_ = std::move(start);
    placePracticeButtons();
}

void ChartView::resizeEvent(QResizeEvent*) {
    placePracticeButtons();
}

// One button a level on the page in view, in the free part of its first
// section's title strip, reaching a little into the gap under it.
void ChartView::placePracticeButtons() {
    qDeleteAll(practiceButtons_);
    practiceButtons_.clear();
    if (!startPractice_ || weak_.pages.isEmpty() || weak_.pupil != practicePupil_) return;
    QList<int> offered;
    const QList<WeakTitleRoom> rooms = WeakTitleRooms(QRectF(rect()), weak_, page_);
    const QList<WeakSection>& sections = weak_.pages[page_].sections;
    for (qsizetype i = 0; i < rooms.size(); ++i) {
        const int level = rooms[i].level;
        if (sections[i].weakCount <= 0 || offered.contains(level)) continue;
        offered.append(level);
        const QRectF& room = rooms[i].room;
        const double h = room.height() * 1.25;
        const QRect place =
            QRectF(room.left(), room.top() + 1, std::min(room.width(), h * 4.6), h).toAlignedRect();
        // Points from pixels at the stage's 96 dots an inch.
        auto* button = MakeButton(this, QStringLiteral("苦手を練習"), place, h * 0.45 * 0.75);
        button->setObjectName(QStringLiteral("practice%1").arg(level));
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, QColor(0xFF, 0xE0, 0x8A));
        button->setPalette(palette);
        connect(button, &QPushButton::clicked, this, [this, level] { startPractice_(level); });
        button->show();
        practiceButtons_.append(button);
    }
}

void ChartView::clear() {
    doc_ = {};
    weak_ = {};
    shown_ = {};
    page_ = 0;
    placePracticeButtons();
    update();
}

void ChartView::showDocument(ChartDocument doc) {
    clear();
    doc_ = std::move(doc);
    shown_ = PagedChart(doc_);
    page_ = std::max(0, pageCount() - 1);
    update();
}

void ChartView::showDocument(WeakNumbersDocument doc) {
    clear();
    weak_ = std::move(doc);
    shown_ = PagedWeakNumbers(weak_);
    placePracticeButtons();
    update();
}

void ChartView::showPage(int page) {
    page_ = std::clamp(page, 0, std::max(0, pageCount() - 1));
    placePracticeButtons();
    update();
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (shown_.draw) shown_.draw(p, QRectF(rect()), page_);
    p.setPen(kPageFrame);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace baisuu
