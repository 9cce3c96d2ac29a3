#include "hub/level_column_screen.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

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
    c.Label1 = makeLabel(p, {}, QRect(kInset, 0, numberWidth - kInset, 30),
                         {14, true, Qt::AlignCenter, Qt::white});
    fillBackground(c.Label1, QColor(0x30, 0x60, 0xB0));
    c.Label3 = makeClickableLabel(
        p, {}, QRect(numberWidth + 2, 0, width - numberWidth - 2 - kInset, 30), {13, true});
    c.Label3->setCursor(Qt::PointingHandCursor);
    c.Command4 = makeButton(p, {}, QRect(kInset, 32, inner, 40), 14);
    c.Command4->setToolTip(QStringLiteral("クリックしてスタートします。番号を押してもよろしい"));
    c.Command4->setEnabled(false);
    c.Command3 = makeButton(p, QStringLiteral("成績表示"), QRect(kInset, 32, inner, 40), 12);
    c.Command3->hide();
    const TextStyle tally{11, true, Qt::AlignRight | Qt::AlignVCenter};
    c.Label9 = makeLabel(p, QStringLiteral("今日"), QRect(kInset, 76, 56, 22), {11});
    c.Label14 = makeLabel(p, {}, QRect(kInset + 56, 76, inner - 56, 22), tally);
    c.Label10 = makeLabel(p, QStringLiteral("今まで"), QRect(kInset, 100, 56, 22), {11});
    c.Label15 = makeLabel(p, {}, QRect(kInset + 56, 100, inner - 56, 22), tally);
    c.Label8 = makeLabel(p, {}, QRect(kInset, 126, inner, 20), {10});
    c.Label7 = makeLabel(p, {}, QRect(kInset, 148, inner, 20), {10});
    for (QLabel* line : {c.Label8, c.Label7})
        fillBackground(line, kLineGrey);
    c.List5 = new QListWidget(p);
    c.List5->setGeometry(kInset, 172, inner, height - 172);
    c.List5->setFont(fixedPitchFont(10));
    c.List5->setUniformItemSizes(true);
    c.List5->setFocusPolicy(Qt::NoFocus);
    // Over the start button it stands for, so today's and the all-time tally
    // of the blocked level stay in view.
    c.Text1 = makeLabel(p, QStringLiteral("やりすぎ禁止"), QRect(kInset, 32, inner, 40),
                        {18, true, Qt::AlignCenter, QColor(0xD0, 0x10, 0x10)});
    fillBackground(c.Text1, QColor(0xFF, 0xF4, 0xB0));
    c.Text1->setFrameShape(QFrame::Box);
    c.Text1->setLineWidth(2);
    c.Text1->hide();

    const std::pair<QWidget*, const char*> names[] = {
        {c.Label1, "Label1"},     {c.Label3, "Label3"},   {c.Command4, "Command4"},
        {c.Command3, "Command3"}, {c.Label9, "Label9"},   {c.Label14, "Label14"},
        {c.Label10, "Label10"},   {c.Label15, "Label15"}, {c.Label8, "Label8"},
        {c.Label7, "Label7"},     {c.List5, "List5"},     {c.Text1, "Text1"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(level));
    return c;
}

void LevelColumn::show(const HubColumn& from) {
    Label1->setText(from.number);
    Label3->setFont(fontOf(from.caption.small ? 11 : 13, true));
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
