#pragma once
// namesel: the name selection screen. The pupil list, the chosen name and
// what confirming does are the model's (name_selection.h); this screen puts
// them on its controls and turns clicks and keys into model calls.

#include "context/app_context.h"
#include "ui/screen_parts.h"
#include "selection/name_selection.h"

#include <QWidget>
#include <array>

class BASEFRM;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

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

    ClickableLabel* Label4;
    QComboBox* Combo1;
    QFrame* Picture7;
    std::array<QRadioButton*, 4> Option1{};
    QListWidget* List1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Command14;
    QPushButton* Command7;
    BASEFRM* Picture5;
    QFrame* Picture8;
    QLabel* Label8;

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
QWidget* makeSelectionScreen(AppContext& ctx);
