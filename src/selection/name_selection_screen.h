#pragma once
// namesel: the name selection screen. The pupil list, the chosen name and
// what confirming does are the model's (name_selection.h); this screen puts
// them on its controls and turns clicks and keys into model calls.

#include "context/app_context.h"
#include "selection/name_selection.h"
#include "ui/screen_parts.h"

#include <QWidget>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace baisuu {

class BASEFRM;

class namesel final : public QWidget {
  public:
    explicit namesel(AppContext& ctx, QWidget* parent = nullptr);

    // Runs once, just after the screen is first shown, under the wait cover.
    void Form_Load();
    // On load and whenever the version box closes.
    void Form_Activate();
    void 名簿表示();

    void Option1_Click(int index);
    void Combo1_Click();
    void List1_Click(int row);
    void List1_DblClick(int row);
    void Command14_Click();
    void Command7_Click();
    void Label4_Click();

    // The list has been built and the wait cover is gone.
    bool loaded() const { return loaded_; }
    int displayMode() const { return displayMode_; }

    ClickableLabel* Label4; // the content's name, large; a click opens the version box
    QComboBox* Combo1;      // the grade group the list shows ("全学年", "中３", ...)
    QFrame* Picture7;       // the panel of the display mode buttons
    // What each pupil's line shows: runs, points, today's or all-time tallies; 0..3
    std::array<QRadioButton*, 4> Option1{};
    QListWidget* List1;     // the pupils to choose from, one line each
    QLabel* Label1;         // the chosen name, or the prompt to choose one
    QLabel* Label2;         // the chosen pupil's roster number, kept hidden
    QPushButton* Command14; // "O.K." (key "1"): signs the chosen pupil in, on to the hub
    QPushButton* Command7;  // back to the program menu (key "0")
    BASEFRM* Picture5;      // the wait cover while the list is built or the hub loads
    QFrame* Picture8;       // the red "開発中" badge of the development layout
    QLabel* Label8;         // the text "開発中" on Picture8

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showChoice(const NameChoice& choice);

    AppContext& ctx_;
    int displayMode_ = 1;
    RosterList list_;
    NameChoice choice_;
    QString listedGroup_; // the group and mode the list was built for
    int listedMode_ = -1;
    bool loadQueued_ = false;
    bool loaded_ = false;
    bool handedOver_ = false; // confirmed or leaving: further input would do it twice
};

// What the application shell calls to make the selection screen.
QWidget* MakeSelectionScreen(AppContext& ctx);

} // namespace baisuu
