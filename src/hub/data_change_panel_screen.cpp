#include "hub/data_change_panel_screen.h"

#include "ui/screen_parts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Picture7 covers the level columns.
constexpr QRect kDataChangeGeometry(24, 158, 922, 586);

} // namespace



DataChangePanel::DataChangePanel(AppContext& ctx, QWidget* parent) : QFrame(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("Picture7"));
    setGeometry(kDataChangeGeometry);
    fillBackground(this, QColor(0xF0, 0xF0, 0xF0));
    setFrameShape(QFrame::Box);
    const int left = (width() - 420) / 2;
    QFrame* card = makePanel(this, QRect(left, 120, 420, 330), Qt::white, true);
    Label = makeLabel(card, QStringLiteral("データ変更パスワード"), QRect(30, 24, 360, 34),
                      {16, true, Qt::AlignLeft | Qt::AlignVCenter, kHeadingBlue});
    Text3 = new QLineEdit(card);
    Text3->setGeometry(30, 64, 360, 40);
    Text3->setFont(fontOf(16));
    Text3->setEchoMode(QLineEdit::Password);
    Command10[0] = makeButton(card, QStringLiteral("データ変更"), QRect(30, 126, 360, 46), 14);
    Command10[1] =
        makeButton(card, QStringLiteral("合格タイムデータ変更"), QRect(30, 180, 360, 46), 14);
    Command12 = makeButton(card, QStringLiteral("戻る"), QRect(30, 240, 360, 46), 14);
    const std::pair<QWidget*, const char*> names[] = {{Label, "Label"},
                                                      {Text3, "Text3"},
                                                      {Command10[0], "Command10_0"},
                                                      {Command10[1], "Command10_1"},
                                                      {Command12, "Command12"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));
    for (int k = 0; k < 2; ++k)
        connect(Command10[size_t(k)], &QPushButton::clicked, this,
                [this, k] { Command10_Click(k); });
    connect(Command12, &QPushButton::clicked, this, [this] { Command12_Click(); });
    hide();
}

void DataChangePanel::Command8_Click() {
    show();
    raise();
    Text3->setFocus();
}

void DataChangePanel::Command10_Click(int index) {
    if (!PasswordOpens(Text3->text(), ctx_.hensuu1.teacherPassword)) {
        ctx_.navigator.message(QStringLiteral("データ変更パスワード"), kPasswordRefused);
        return;
    }
    // The hub gives way to the screen and refreshes when it comes back.
    ctx_.navigator.show(index == 0 ? Screen::RecordsManager : Screen::CriteriaEditor);
}

void DataChangePanel::Command12_Click() {
    hide();
}
