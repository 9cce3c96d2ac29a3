#include "hub/data_change_panel_screen.h"

#include "ui/screen_parts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace baisuu {

namespace {

// Picture7 covers the level columns.
constexpr QRect kDataChangeGeometry(24, 158, 922, 586);

} // namespace

DataChangePanel::DataChangePanel(AppContext& ctx, QWidget* parent) : QFrame(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("Picture7"));
    setGeometry(kDataChangeGeometry);
    FillBackground(this, QColor(0xF0, 0xF0, 0xF0));
    setFrameShape(QFrame::Box);
    const int left = (width() - 420) / 2;
    QFrame* card = MakePanel(this, QRect(left, 120, 420, 330), Qt::white, true);
    Label = Named(MakeLabel(card, QStringLiteral("データ変更パスワード"), QRect(30, 24, 360, 34),
                            {16, true, Qt::AlignLeft | Qt::AlignVCenter, kHeadingBlue}),
                  QStringLiteral("Label"));
    Text3 = Named(new QLineEdit(card), QStringLiteral("Text3"));
    Text3->setGeometry(30, 64, 360, 40);
    Text3->setFont(FontOf(16));
    Text3->setEchoMode(QLineEdit::Password);
    Command10[0] =
        Named(MakeButton(card, QStringLiteral("データ変更"), QRect(30, 126, 360, 46), 14),
              QStringLiteral("Command10_0"));
    Command10[1] =
        Named(MakeButton(card, QStringLiteral("合格タイムデータ変更"), QRect(30, 180, 360, 46), 14),
              QStringLiteral("Command10_1"));
    Command12 = Named(MakeButton(card, QStringLiteral("戻る"), QRect(30, 240, 360, 46), 14),
                      QStringLiteral("Command12"));
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

} // namespace baisuu
