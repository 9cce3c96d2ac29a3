#pragma once
// FrmTimeData: the criteria editor screen. The grid, its changed cells, the
// save and the charts are the model's (criteria_editor.h); this screen puts
// them on its controls and forwards the teacher's keys and clicks.

#include "context/app_context.h"
#include "teacher/criteria_editor.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace baisuu {

class FrmTimeData final : public QWidget {
  public:
    explicit FrmTimeData(AppContext& ctx, QWidget* parent = nullptr);

    // Reads the grid from the file, puts the cursor on level 1 and builds the charts.
    void Form_Activate();
    void Command2_Click(); // 元に戻す
    void Command3_Click(); // 更新記録
    void Command4_Click(); // 戻る
    void MSFlexGrid1_Click(int row, int column);

    const CriteriaEditor& model() const { return model_; }

    QTableWidget* MSFlexGrid1; // the criteria grid: one row a level, one column a setting
    QLineEdit* Gridinputtext;  // the cell being typed in, laid over the grid's current cell
    QPushButton* Command2;     // "元に戻す": reads the grid from the file again
    QPushButton* Command3;     // "更新記録": saves the grid
    QPushButton* Command4;     // "戻る": back to the hub, offering to save first
    QLabel* Label1;            // the key hint: Space clears the cell, Shift + Down copies it
    QLabel* Label2;            // the introduction at the top
    QLabel* Label3;            // what the current cell's column means
    QLabel* Label4;            // a line beside the column help, left empty
    QLabel* Label6;            // the caption "列の説明" over the column help
    QLabel* Label7;            // the caption "現在までの成績度数分布" over the charts
    QLabel* Label9;            // the caption "全成績" over List3
    QLabel* Label10;           // the caption "最高タイム" over List4
    QFrame* Picture3;          // the panel of the two charts
    QListWidget* List3;        // the chart of all runs of the current level
    QListWidget* List4;        // the chart of the best times of the current level
    // The chart options "度数非表示" and "度数表示"; either redraws the charts
    std::array<QRadioButton*, 2> Option1{};
    QFrame* Picture6; // the wait cover while saving or leaving
    QLabel* Label8;   // "Just a moment,please." on Picture6
    // Command1 and Command6 ("戻る") of the form do nothing; kept hidden.
    std::array<QPushButton*, 2> idleButtons{};

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What the control table leaves: the grid's columns, the option chosen,
    // the controls kept out of sight.
    void setUpControls();
    void connectControls();
    void fillGrid();
    void showCell(int row, int column);
    void showEditor();
    void buildCharts();
    // Saves, telling a refusal or a failed write; true when the file was written.
    bool save();
    // With unsaved edits, asks whether to save them and saves on Yes; false
    // when a save was refused or failed and the teacher stays to mend it.
    bool offerToSave();
    // Whether watched is the window that shows this screen.
    bool isOwnWindow(QObject* watched) const;

    AppContext& ctx_;
    CriteriaEditor model_;
};

QWidget* MakeCriteriaEditorScreen(AppContext& ctx);

} // namespace baisuu
