#include "hub/level_column_screen.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace baisuu {

namespace {

constexpr int kInset = 3; // between a column's controls and its neighbours
const QColor kLineGrey(224, 224, 224);

} // namespace

LevelColumn MakeLevelColumn(QWidget* area, int level, int width, int height) {
    LevelColumn c;
    c.place = new QWidget(area);
    c.place->setGeometry(0, 0, width, height);
    QWidget* p = c.place;
    const int inner = width - 2 * kInset;
    const int numberWidth = width / 5;
    c.Label1 = Named(MakeLabel(p, {}, QRect(kInset, 0, numberWidth - kInset, 30),
                               {14, true, Qt::AlignCenter, Qt::white}),
                     QStringLiteral("Label1_%1").arg(level));
    FillBackground(c.Label1, QColor(0x30, 0x60, 0xB0));
    c.Label3 = Named(
        MakeClickableLabel(p, {}, QRect(numberWidth + 2, 0, width - numberWidth - 2 - kInset, 30),
                           {13, true}),
        QStringLiteral("Label3_%1").arg(level));
    c.Label3->setCursor(Qt::PointingHandCursor);
    c.Command4 = Named(MakeButton(p, {}, QRect(kInset, 32, inner, 40), 14),
                       QStringLiteral("Command4_%1").arg(level));
    c.Command4->setToolTip(QStringLiteral("クリックしてスタートします。番号を押してもよろしい"));
    c.Command4->setEnabled(false);
    c.Command3 = Named(MakeButton(p, QStringLiteral("成績表示"), QRect(kInset, 32, inner, 40), 12),
                       QStringLiteral("Command3_%1").arg(level));
    c.Command3->hide();
    const TextStyle tally{11, true, Qt::AlignRight | Qt::AlignVCenter};
    c.Label9 = Named(MakeLabel(p, QStringLiteral("今日"), QRect(kInset, 76, 56, 22), {11}),
                     QStringLiteral("Label9_%1").arg(level));
    c.Label14 = Named(MakeLabel(p, {}, QRect(kInset + 56, 76, inner - 56, 22), tally),
                      QStringLiteral("Label14_%1").arg(level));
    c.Label10 = Named(MakeLabel(p, QStringLiteral("今まで"), QRect(kInset, 100, 56, 22), {11}),
                      QStringLiteral("Label10_%1").arg(level));
    c.Label15 = Named(MakeLabel(p, {}, QRect(kInset + 56, 100, inner - 56, 22), tally),
                      QStringLiteral("Label15_%1").arg(level));
    c.Label8 = Named(MakeLabel(p, {}, QRect(kInset, 126, inner, 20), {10}),
                     QStringLiteral("Label8_%1").arg(level));
    c.Label7 = Named(MakeLabel(p, {}, QRect(kInset, 148, inner, 20), {10}),
                     QStringLiteral("Label7_%1").arg(level));
    for (QLabel* line : {c.Label8, c.Label7})
        FillBackground(line, kLineGrey);
    c.List5 = Named(new QListWidget(p), QStringLiteral("List5_%1").arg(level));
    c.List5->setGeometry(kInset, 172, inner, height - 172);
    c.List5->setFont(FixedPitchFont(10));
    c.List5->setUniformItemSizes(true);
    c.List5->setFocusPolicy(Qt::NoFocus);
    // Over the start button it stands for, so today's and the all-time tally
    // of the blocked level stay in view.
    c.Text1 = Named(MakeLabel(p, QStringLiteral("やりすぎ禁止"), QRect(kInset, 32, inner, 40),
                              {18, true, Qt::AlignCenter, QColor(0xD0, 0x10, 0x10)}),
                    QStringLiteral("Text1_%1").arg(level));
    FillBackground(c.Text1, QColor(0xFF, 0xF4, 0xB0));
    c.Text1->setFrameShape(QFrame::Box);
    c.Text1->setLineWidth(2);
    c.Text1->hide();

    return c;
}

void LevelColumn::show(const HubColumn& from) {
    Label1->setText(from.number);
    Label3->setFont(FontOf(from.caption.small ? 11 : 13, true));
    Label3->setText(from.caption.caption);
    Label3->setToolTip(from.caption.tooltip);
    Command4->setText(from.start);
    Label9->setText(QStringLiteral("今日"));
    Label10->setText(QStringLiteral("今まで"));
    Label14->setText(from.today);
    Label15->setText(from.allTime);
    Label8->setText(from.judge);
    Label7->setText(from.criteria);
    for (QWidget* w :
         std::initializer_list<QWidget*>{List5, Label7, Label8, Label14, Label15, Label9, Label10})
        w->setVisible(!from.practice);
}

void LevelColumn::fillList(const QStringList& lines, int ownLine) {
    QListWidget* list = List5;
    // A refresh changes few lines of a long list: the others keep their items,
    // which costs far less than building thousands of them anew.
    const int kept = std::min(int(list->count()), int(lines.size()));
    for (int k = 0; k < kept; ++k)
        if (list->item(k)->text() != lines[k]) list->item(k)->setText(lines[k]);
    if (list->count() > kept) {
        if (kept == 0)
            list->clear();
        else
            while (list->count() > kept)
                delete list->takeItem(list->count() - 1);
    }
    if (lines.size() > kept) list->addItems(lines.mid(kept));
    // A list starts at its top; a ranking scrolls only as far as it must to
    // show the pupil's own line and the one just ahead of it, so a pupil near
    // the top still sees everybody above.
    list->scrollToTop();
    if (ownLine > 0 && ownLine < list->count()) {
        list->scrollToItem(list->item(ownLine), QAbstractItemView::EnsureVisible);
        list->scrollToItem(list->item(ownLine - 1), QAbstractItemView::EnsureVisible);
    }
}

void LevelColumn::open(bool enabled, bool blocked) {
    Command4->setEnabled(enabled);
    Text1->setVisible(blocked);
    if (blocked) Text1->raise();
}

} // namespace baisuu
