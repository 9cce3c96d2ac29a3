#pragma once
// The finish screen after a 苦手練習 run: the time, the numbers it asked with
// this run's answers and whether each left the weak set, how many left it
// and how many remain. Everything it says is the PracticeFinishReport's; it
// offers the run again and the way back to the hub (Escape too).

#include "context/app_context.h"
#include "drill/practice_run.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace baisuu {

class PracticeFinishScreen final : public QWidget {
  public:
    explicit PracticeFinishScreen(AppContext& ctx, QWidget* parent = nullptr);

    void againClicked();
    void menuClicked();

    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;
    // Lines of the table: two columns of eight; more numbers are counted below it.
    static constexpr int kRowsPerColumn = 8;
    static constexpr int kRows = 2 * kRowsPerColumn;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildTable();
    void showReport();

    AppContext& ctx_;
    PracticeFinishReport report_;
    QLabel* levelName_;
    QLabel* pupilName_;
    QLabel* timeText_;
    QLabel* graduated_;
    QLabel* remaining_;
    QLabel* rowName_[kRows];
    QLabel* rowAnswers_[kRows];
    QLabel* rowState_[kRows];
    QLabel* more_; // "ほか N個" under the table
    QPushButton* again_;
    QPushButton* menu_;
};

// What the application shell calls to make the 苦手練習 finish screen.
QWidget* MakePracticeFinishScreen(AppContext& ctx);

} // namespace baisuu
