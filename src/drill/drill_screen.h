#pragma once
// MainFrm: the drill screen. It shows what the DrillEngine computed and hands
// it the keys "1" and "3" (whichever control has the focus; no other key does
// anything), the answer buttons' clicks and the ticks of its two timers.

#include "context/app_context.h"
#include "drill/drill_engine.h"
#include "drill/practice_source.h"
#include "drill/problem_source.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;

namespace baisuu {

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
    void buildTimeBar(); // the bar, its marks and the lamps
    void buildProblemArea();
    void buildOverlay();

    AppContext& ctx_;
    MultiplesProblemSource problems_;
    // A 苦手練習 run draws from the weak set it started with.
    std::unique_ptr<PracticeProblemSource> practice_;
    DrillEngine engine_;
    bool activated_ = false;

    QFrame* sPicture1 = nullptr; // the pale blue status strip along the top
    QLabel* sLabel2 = nullptr;   // the content's name
    QLabel* sLabel3 = nullptr;   // the caption "レベル"
    QLabel* sLabel4 = nullptr;   // the caption "残り" before the problems left
    QLabel* sLabel5 = nullptr;   // the caption "タイム" before the elapsed seconds
    QLabel* sLabel6 = nullptr;   // the unit "問" after the problems left
    QLabel* sLabel7 = nullptr;   // the pupil's name
    QLabel* sLabel8 = nullptr;   // the level's name
    QLabel* sLabel9 = nullptr;   // problems still to answer right, in red
    QLabel* sLabel10 = nullptr;  // seconds elapsed in the run
    QLabel* sLabel11 = nullptr;  // which of today's runs of this level this one is
    QLabel* sLabel12 = nullptr;  // which of today's runs, all levels, this one is
    QLabel* sLabel13 = nullptr;  // minutes since the pupil signed in
    QLabel* sLabel14 = nullptr;  // the site name, right of the counters
    // The fixed words around the counters: "起動後", "分", "本日", "回目", "このレベル", "回目"
    std::array<QLabel*, 6> sLabel16{};
    std::array<QLabel*, 3> sLabel17{}; // the legend "YourBest", "Best", "Pass" under the time bar
    QFrame* sShape2 = nullptr;         // the time bar's blue part: the time elapsed
    QFrame* sShape3 = nullptr;         // the time bar's green part: up to the target time
    QFrame* sShape4 = nullptr;         // the time bar's yellow part: up to the passing time
    QFrame* sShape5 = nullptr;         // the time bar's white frame: the whole time limit
    QFrame* sShape7 = nullptr;         // the time bar's red part, kept empty
    QFrame* sShape8 = nullptr;         // the black mark at the time bar's right end
    // The lamps, three rows of ten on the strip; 10..39
    std::array<QFrame*, kLastLamp + 1> sPicture3{};
    QFrame* Picture2 = nullptr;             // the white problem area under the strip
    QLabel* Label1 = nullptr;               // the number to judge, very large
    QLabel* Label2 = nullptr;               // the question, e.g. "偶数か奇数か"
    std::array<QPushButton*, 3> Command2{}; // the two answer buttons; 1 and 2
    QFrame* sPicture2 = nullptr;            // the closing overlay over the number
    QLabel* lblsss1 = nullptr;              // "成績記録中" on the overlay
    QLabel* lblsss2 = nullptr;              // "時間切れ" on the overlay, in red
    QTimer sTimer1;                         // the one-second run clock
    QTimer sTimer2;                         // every ten seconds: the minutes since sign-in
};

// What the application shell calls to make the drill screen (after StartRun).
QWidget* MakeDrillScreen(AppContext& ctx);

} // namespace baisuu
