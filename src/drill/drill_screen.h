#pragma once
// MainFrm: the drill screen. It shows what the DrillEngine computed and hands
// it the keys "1" and "3" (whichever control has the focus; no other key does
// anything), the answer buttons' clicks and the ticks of its two timers.

#include "context/app_context.h"
#include "drill/drill_engine.h"
#include "drill/problem_source.h"

#include <QTimer>
#include <QWidget>
#include <array>

class QFrame;
class QLabel;
class QPushButton;

class MainFrm final : public QWidget, private DrillView {
  public:
    explicit MainFrm(AppContext& ctx, QWidget* parent = nullptr, Defer defer = {});
    ~MainFrm() override;

    // Sets the run up and shows the first problem; runs once, when first shown.
    void Form_Activate();
    DrillEngine& engine() { return engine_; }

    static constexpr int kWidth = 1024; // 15360 × 11520 twips
    static constexpr int kHeight = 768;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void problemChanged() override;
    void statusChanged() override;
    void overlayShown() override;
    void runClockChanged(bool on) override;
    void buildStatusStrip();
    void buildProblemArea();
    void buildOverlay();

    AppContext& ctx_;
    MultiplesProblemSource problems_;
    DrillEngine engine_;
    bool activated_ = false;

    QFrame* sPicture1 = nullptr;
    QLabel *sLabel2 = nullptr, *sLabel3 = nullptr, *sLabel4 = nullptr, *sLabel5 = nullptr,
           *sLabel6 = nullptr, *sLabel7 = nullptr, *sLabel8 = nullptr, *sLabel9 = nullptr,
           *sLabel10 = nullptr, *sLabel11 = nullptr, *sLabel12 = nullptr, *sLabel13 = nullptr,
           *sLabel14 = nullptr;
    std::array<QLabel*, 6> sLabel16{};
    std::array<QLabel*, 3> sLabel17{};
    QFrame *sShape2 = nullptr, *sShape3 = nullptr, *sShape4 = nullptr, *sShape5 = nullptr,
           *sShape7 = nullptr, *sShape8 = nullptr;
    std::array<QFrame*, kLastLamp + 1> sPicture3{};
    QFrame* Picture2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    std::array<QPushButton*, 3> Command2{}; // 1 and 2
    QFrame* sPicture2 = nullptr;
    QLabel* lblsss1 = nullptr;
    QLabel* lblsss2 = nullptr;
    QTimer sTimer1;
    QTimer sTimer2;
};

// What the application shell calls to make the drill screen (after StartRun).
QWidget* makeDrillScreen(AppContext& ctx);
