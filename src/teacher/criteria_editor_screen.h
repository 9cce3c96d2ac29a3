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

    QTableWidget* MSFlexGrid1;
    QLineEdit* Gridinputtext;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label9;
    QLabel* Label10;
    QFrame* Picture3;
    QListWidget* List3;
    QListWidget* List4;
    std::array<QRadioButton*, 2> Option1{};
    QFrame* Picture6;
    QLabel* Label8;
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

    AppContext& ctx_;
    CriteriaEditor model_;
};

QWidget* makeCriteriaEditorScreen(AppContext& ctx);
