#pragma once
// Picture7: the teacher's data change behind the password, which the hub lays
// over its level columns. The hub creates it, places it and calls the
// handlers below; what it checks comes from charts.h.

#include "context/app_context.h"
#include "hub/hub_model.h"

#include <QFrame>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace baisuu {

// Picture7: the teacher's data change. While it shows no level starts.
class DataChangePanel final : public QFrame {
  public:
    explicit DataChangePanel(AppContext& ctx, QWidget* parent = nullptr);

    void Command8_Click(); // shows the panel in front
    // Opens the records manager (0) or the criteria editor (1) for the right password.
    void Command10_Click(int index);
    void Command12_Click(); // hides the panel
    bool shown() const { return !isHidden(); }

    QLabel* Label = nullptr;    // the caption "データ変更パスワード" over the field
    QLineEdit* Text3 = nullptr; // the password field
    std::array<QPushButton*, 2> Command10{}; // "データ変更" (0), "合格タイムデータ変更" (1)
    QPushButton* Command12 = nullptr;        // "戻る": hides the panel

  private:
    AppContext& ctx_;
};

} // namespace baisuu
