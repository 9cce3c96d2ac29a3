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

namespace baisuu {

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

    QListWidget* List1;     // every record of the results log, one line each
    QLabel* Label3;         // the record count ("総レコード数:n")
    QLabel* Label5;         // the hint "ダブルクリックすると変更、消去できます"
    QPushButton* Command22; // "一覧表示": reads the log and lists every record
    QFrame* Picture3;       // the editor of one record, opened by a double click
    QLabel* Label1;         // the edited record's number
    std::array<QLabel*, 4> Label2{}; // level, "秒", date, grade
    QLineEdit* Text1;                // the edited record's time in seconds
    QScrollBar* VScroll1;            // steps the time in Text1 up and down
    QComboBox* Combo1;               // the edited record's pupil, chosen from the roster
    QPushButton* Command2;           // "変更して記録": writes the changed record
    QPushButton* Command3;           // "消去": deletes the record
    QPushButton* Command4;           // "戻る": back to the hub
    QPushButton* Command17;          // "印刷": prints the list of every record
    QFrame* Picture1;                // a plain cover over the screen as it leaves
    QFrame* Picture6;                // the wait cover while the list is built
    QLabel* Label8;                  // "Just a moment,please." on Picture6
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
    QString sheetsTitle() const; // the job's and the PDF's title
    void writePdf(const QString& path);

    AppContext& ctx_;
    RecordsManager model_;
    // The click that ends a double click must not close the editor it opened.
    QElapsedTimer sinceDoubleClick_;
};

QWidget* MakeRecordsManagerScreen(AppContext& ctx);

} // namespace baisuu
