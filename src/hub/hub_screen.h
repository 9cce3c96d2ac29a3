#pragma once
// seisekitime1: the results hub. One column per offered level (caption, start
// button, today's and all-time tallies, judgement and criteria lines, the
// ranking list) and the pupil's lines around them, with the chart and data
// change panels over the columns. BuildHubView decides what every control
// shows; this screen puts it there, scrolls the columns, and turns keys and
// clicks into starts of a run.

#include "context/app_context.h"
#include "hub/hub_model.h"
#include "hub/level_column_screen.h"
#include "hub/result_lists.h"
#include "ui/screen_parts.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <vector>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace baisuu {

class ChartPanel;
class DataChangePanel;

class seisekitime1 final : public QWidget {
  public:
    explicit seisekitime1(AppContext& ctx, QWidget* parent = nullptr);

    // Recomputes the tallies from the results log and fills every control;
    // runs each time the hub is shown.
    void Form_Activate();
    // A typed character: a level's key starts it, "0" goes back.
    void Form_KeyPress(const QString& text);
    void Command4_Click(int level);
    void Label3_Click(int level);
    void Command1_Click();
    void Combo1_Click();
    void Combo2_Click(int index);
    void Option1_Click(int index);
    void Option2_Click(int index);
    void HScroll1_Change(int value);
    void Command8_Click();
    void Command17_Click();
    // "苦手練習(N)" and the key N: the pupil's own 苦手な数 pages, where each
    // level with weak numbers offers 「苦手を練習」.
    void practiceClicked();
    // The teacher's notice again, every few seconds while the hub shows: the
    // day's copy and the sync run beside the screens and end after it came up.
    void noticeTick();

    // The time mode's views: today's runs, the best times; and the runs of
    // the period (resultPeriod) in either mode.
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();

    void 回数など表示();
    // Puts the colours of a time view's lists on them and clears every selection.
    void 成績リスト色表示(const ListsView& lists);
    void 成績リスト色表示単独(int level);

    bool hubReady() const { return hubReady_; }
    // Ready, and on screen since: keys count from here on.
    bool takesKeys() const { return hubReady_ && !awaitingPaint_; }
    DataChangePanel* dataChangePanel() const { return Picture7; }
    ChartPanel* chartPanel() const { return Picture11; }
    const LevelColumn& column(int level) const { return columns_[size_t(level)]; }
    int columnCount() const { return int(columns_.size()) - 1; }

    static constexpr int kWidth = 1024; // 15360 × 11520 twips
    static constexpr int kHeight = 768;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    SchoolTrouble schoolTrouble() const;
    void buildHeader();
    void buildOptions();
    void buildColumns();
    void buildNotice();
    void buildCovers();
    void buildPanels();
    void showColumns(const HubView& view);
    void showOpening();
    ListRequest listRequest(ListView view) const;
    bool readRecords(qint64 count, QList<RecordNumbers>* records);
    void showView(ListView view);
    void showViewCaptions(ViewCaptions when);
    void showLists(const ListsView& lists);
    void beginViewChange();
    void endViewChange();
    void fillList(int level, const QStringList& lines, int ownLine);
    void placeColumns();
    bool teacherPanelShown() const;
    void startLevel(int level);

    AppContext& ctx_;
    HubView view_;
    ColumnLayout layout_;
    bool hubReady_ = false;
    qint64 readyKeyTime_ = -1;   // the keys' clock when the last refresh ended (-1: unknown)
    bool awaitingPaint_ = false; // refreshed, not yet painted
    void keysFromNow();
    bool building_ = false;
    ListMode listMode_ = ListMode::Points;
    int rankingOrder_ = 1; // point mode: 1 by all-time points, 2 by today's

    std::vector<LevelColumn> columns_; // 0..N
    QWidget* columnArea = nullptr;

    QPushButton* Command1 = nullptr; // "戻る(0)": back to the name selection
    QComboBox* Combo1 = nullptr;     // the grade group the lists show ("全学年", "中３", ...)
    QComboBox* Combo2 = nullptr;     // the period of the all-runs view ("今週の全成績", ...)
    QFrame* Picture1 = nullptr;      // the panel of the option buttons
    // The view buttons: ranking, today's, the period's runs (captions follow the mode); 1..3
    std::array<QRadioButton*, 4> Option1{};
    // The mode buttons "ﾀｲﾑ表示", "ﾎﾟｲﾝﾄ表示", "個人ﾀｲﾑ"; 0..2
    std::array<QRadioButton*, 3> Option2{};
    QButtonGroup* option1Group = nullptr;
    QButtonGroup* option2Group = nullptr;
    QScrollBar* HScroll1 = nullptr; // scrolls the level columns (five levels or more)
    QLabel* Label5 = nullptr;       // the caption over the lists: what they show, in what order
    QLabel* Label6 = nullptr;       // the hint "GRPH+A,B,C,D..でも選択できます。"
    QLabel* Label11 = nullptr;      // the content's name, top left
    QLabel* Label12 = nullptr;      // the signed-in pupil's name and grade
    QLabel* Label13 = nullptr;      // the pupil's number and the site name ("number:siteName")
    QLabel* Label17 = nullptr;      // minutes since the pupil signed in ("起動後m分")
    QLabel* Label18 = nullptr;      // the pupil's runs today, all levels ("本日総回数＝T回")
    QLabel* Text4 = nullptr;        // colour swatch: a time list within the target time
    QLabel* Text5 = nullptr;        // colour swatch: a time list within the passing time
    QFrame* Picture2 = nullptr;     // "Just a moment, please." over the whole hub
    QProgressBar* ProgressBar1 = nullptr; // the progress bar on Picture2
    QFrame* Picture6 = nullptr;           // the wait cover over the columns while a view changes
    QProgressBar* ProgressBar2 = nullptr; // the progress bar on Picture6
    // The teacher's data change; while it shows no level starts.
    DataChangePanel* Picture7 = nullptr;
    ChartPanel* Picture11 = nullptr;  // the chart page and the other pupils
    QPushButton* Command8 = nullptr;  // "データ処理" (teachers)
    QPushButton* Command17 = nullptr; // "グラフ", in the own-runs view
    QPushButton* practice_ = nullptr; // "苦手練習(N)" (pupils), in Command8's place
    QLabel* notice_ = nullptr;        // a teacher's notice of trouble (HubView::notice)
    QTimer noticeTimer_;
};

// What the application shell calls to make the hub.
QWidget* MakeHubScreen(AppContext& ctx);

} // namespace baisuu
