#pragma once
// FrmSyuuryou: the finish screen after a finished run. The decisions are the
// FinishReport's; this screen puts them on labels, plays the cues and offers
// "メニューへ" and "もう一度"; for a run the log did not take, "メニューへ" and
// "もう一度記録する".

#include "context/app_context.h"
#include "drill/finish_report.h"

#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QPainter;
class QPushButton;

namespace baisuu {

class FrmSyuuryou final : public QWidget {
  public:
    explicit FrmSyuuryou(AppContext& ctx, QWidget* parent = nullptr);

    // Runs once, when first shown.
    void Form_Activate();
    void Timer1_Timer();
    void Command4_Click();
    void Command5_Click();
    void recordAgainClicked();

    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    AppContext& ctx_;
    FinishReport report_;
    bool activated_ = false;

    QLabel* Label13;       // this level's run count today ("このレベル n回目")
    QLabel* Label14;       // the run count today, all levels ("（n回目)")
    QLabel* Label15;       // the content's name
    QLabel* Label16;       // the level's name
    QLabel* Label17;       // the pupil's name
    QLabel* Label18;       // the run's time ("今の成績：n秒" or "記録なし")
    QLabel* Label19;       // the points won ("獲得ポイント：…")
    QLabel* Label20;       // the outcome in red: "時間切れ", a new record
    QLabel* Label2;        // "このレベルクリア" (or "move on") beside the level's name
    QFrame* Picture1;      // the goal banner over the buttons' place
    QLabel* Label1;        // "目標レベルクリア。おめでとう！" on the banner
    QPushButton* Command4; // "メニューへ": back to the hub
    QPushButton* Command5; // "もう一度": the same level again
    QPushButton* recordAgain_; // "もう一度記録する": in Command5's place while the run is not recorded
    QTimer Timer1;         // half a second after opening: the banner goes, the buttons come
};

// The finish screens' background over rect: a soft sky with a few bright circles.
void PaintFinishBackground(QPainter& painter, const QRect& rect);

// What the application shell calls to make the finish screen.
QWidget* MakeFinishScreen(AppContext& ctx);

} // namespace baisuu
