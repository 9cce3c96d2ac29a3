#pragma once
// FrmData: the records manager screen. The list, the editor's values and what
// a change or a deletion writes are the model's (records_manager.h); this
// screen puts them on its controls and turns clicks into model calls.

#include "context/app_context.h"
#include "teacher/records_manager.h"

#include <QElapsedTimer>
#include <QList>
#include <QWidget>

#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QPushButton;
class QScrollBar;

class FrmData final : public QWidget {
  public:
    explicit FrmData(AppContext& ctx, QWidget* parent = nullptr);

    // Builds the list of all records under the wait cover.
    void Command22_Click();
    void List1_Click();
    void List1_DblClick(int row);
    void Text1_Change();
    void VScroll1_Step(int action);
    void VScroll1_Change(int value);
    void Combo1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command17_Click();
    // Printing once the printer is chosen: the list of every record on it.
    void printOn(QPrinter& printer);

    const RecordsManager& model() const { return model_; }

    QListWidget* List1;
    QLabel* Label3;
    QLabel* Label5;
    QPushButton* Command22;
    QFrame* Picture3;
    QLabel* Label1;
    std::array<QLabel*, 4> Label2{}; // level, "秒", date, grade
    QLineEdit* Text1;
    QScrollBar* VScroll1;
    QComboBox* Combo1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command17;
    QFrame* Picture1;
    QFrame* Picture6;
    QLabel* Label8;
    // The buttons of the form that do nothing; kept hidden.
    QList<QPushButton*> idleButtons;

  private:
    // The buttons of the form that have no action: they exist but stay out of sight.
    void makeIdleButtons();
    // What the control table leaves: the scroll bar's range and direction, the
    // editable pupil box, the panels kept out of sight.
    void setUpControls();
    void connectControls();
    void fillList(int selectLine);
    void showWrite(const RecordsWrite& w);
    // The printed sheets of the log, read first when the list is not yet built.
    QList<QStringList> sheets();

    AppContext& ctx_;
    RecordsManager model_;
    // The click that ends a double click must not close the editor it opened.
    QElapsedTimer sinceDoubleClick_;
};

QWidget* makeRecordsManagerScreen(AppContext& ctx);
