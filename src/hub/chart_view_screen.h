#pragma once
// Picture12: the picture box of the chart panel, where a chart page or a
// 苦手な数 page is drawn with the same routine that prints it.

#include "reports/chart_page.h"
#include "reports/paged_document.h"
#include "reports/weak_numbers.h"

#include <QList>
#include <QWidget>

#include <functional>

class QPushButton;

namespace baisuu {

// Picture12: one chart page, or one 苦手な数 page, on screen. Drawing a new
// chart clears it first, and of several pages it keeps the last in view, as a
// new page clears the picture; the 苦手な数 pages start at their first. The
// page buttons of the panel look at the others.
class ChartView final : public QWidget {
  public:
    explicit ChartView(QWidget* parent = nullptr);
    void clear();
    void showDocument(ChartDocument doc);
    void showDocument(WeakNumbersDocument doc);
    void showPage(int page);
    const ChartDocument& document() const { return doc_; }
    const WeakNumbersDocument& weakNumbers() const { return weak_; }
    int page() const { return page_; }
    int pageCount() const { return shown_.pageCount; }
    // 「苦手を練習」 over each level of pupil's own 苦手な数 page that has weak
    // numbers: start(level) runs when one is pressed. Nobody else's page
    // offers it.
    void offerPractice(int pupil, std::function<void(int level)> start);
    const QList<QPushButton*>& practiceButtons() const { return practiceButtons_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placePracticeButtons();

    ChartDocument doc_;
    WeakNumbersDocument weak_;
    PagedDocument shown_;
    int page_ = 0;
    int practicePupil_ = -1;
    std::function<void(int)> startPractice_;
    QList<QPushButton*> practiceButtons_;
};

} // namespace baisuu
