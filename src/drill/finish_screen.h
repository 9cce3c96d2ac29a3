#pragma once
// FrmSyuuryou: the finish screen after a recorded run. The decisions are the
// FinishReport's; this screen puts them on labels, plays the cues and offers
// "メニューへ" and "もう一度".

#include "context/app_context.h"
#include "drill/finish_report.h"

#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

class FrmSyuuryou final : public QWidget {
  public:
    explicit FrmSyuuryou(AppContext& ctx, QWidget* parent = nullptr);

    // Runs once, when first shown.
    void Form_Activate();
    void Timer1_Timer();
    void Command4_Click();
    void Command5_Click();

    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    AppContext& ctx_;
    FinishReport report_;
    bool activated_ = false;

    QLabel *Label13, *Label14, *Label15, *Label16, *Label17, *Label18, *Label19, *Label20;
    QLabel* Label2;
    QFrame* Picture1;
    QLabel* Label1;
    QPushButton* Command4;
    QPushButton* Command5;
    QTimer Timer1;
};

// What the application shell calls to make the finish screen.
QWidget* makeFinishScreen(AppContext& ctx);
