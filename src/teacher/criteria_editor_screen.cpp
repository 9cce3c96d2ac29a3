#include "teacher/criteria_editor_screen.h"

#include "ui/screen_parts.h"

#include <QApplication>
#include <QFrame>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace baisuu {

namespace {

const QColor kBackground(0xE4, 0xEC, 0xF4);
const QColor kHeadingFill(0xD8, 0xD8, 0xD8);
const QColor kChangedFill(255, 255, 0);
const QString kSaveTitle = QStringLiteral("更新記録");
const QRect kGridRect(12, 70, 1000, 340);
const QString kIntroText = QStringLiteral("成績の基準となるデータを変更できます。\n"
                                          "プログラムを選んでください。");
const QString kKeysText = QStringLiteral("スペース：セルクリア　　Shift + ↓：セルコピー");
constexpr Qt::Alignment kTopLeft = Qt::AlignLeft | Qt::AlignTop;

void showCover(QFrame* cover) {
    cover->show();
    cover->raise();
    cover->repaint();
}

} // namespace

FrmTimeData::FrmTimeData(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("FrmTimeData"));
    resize(1024, 768);
    FillBackground(this, kBackground);

    // Made in stacking order: a later control lies over an earlier one.
    Label2 = MakeLabel(this, kIntroText, QRect(24, 6, 580, 60), {14, true});
    Label1 = MakeLabel(this, kKeysText, QRect(610, 30, 390, 36), {12});
    MSFlexGrid1 =
        MakeControl<QTableWidget>(this, QStringLiteral("MSFlexGrid1"), kGridRect, FontOf(10));
    // The cell being typed in: laid over the grid's current cell when shown.
    Gridinputtext =
        MakeControl<QLineEdit>(this, QStringLiteral("Gridinputtext"), QRect(), FontOf(10));
    Label6 = MakeLabel(this, QStringLiteral("列の説明"), QRect(24, 418, 160, 26), {12, true});
    Label3 = MakeLabel(this, QString(), QRect(24, 444, 580, 84), {12, false, kTopLeft});
    Label4 = MakeLabel(this, QString(), QRect(610, 418, 390, 26), {12});
    Command3 = MakeButton(this, QStringLiteral("更新記録"), QRect(610, 456, 124, 56));
    Command2 = MakeButton(this, QStringLiteral("元に戻す"), QRect(743, 456, 124, 56));
    Command4 = MakeButton(this, QStringLiteral("戻る"), QRect(876, 456, 124, 56));
    Label7 = MakeLabel(this, QStringLiteral("現在までの成績度数分布"), QRect(24, 530, 300, 28),
                       {13, true});
    Option1[0] = MakeControl<QRadioButton>(this, QString(), QRect(340, 530, 130, 28), std::nullopt,
                                           QStringLiteral("度数非表示"));
    Option1[1] = MakeControl<QRadioButton>(this, QString(), QRect(480, 530, 130, 28), std::nullopt,
                                           QStringLiteral("度数表示"));
    Picture3 =
        Named(MakePanel(this, QRect(24, 560, 976, 200), kBackground), QStringLiteral("Picture3"));
    Label9 = MakeLabel(Picture3, QStringLiteral("全成績"), QRect(0, 0, 200, 24), {12, true});
    Label10 = MakeLabel(Picture3, QStringLiteral("最高タイム"), QRect(494, 0, 200, 24), {12, true});
    List3 = MakeControl<QListWidget>(Picture3, QStringLiteral("List3"), QRect(0, 26, 482, 174),
                                     FixedPitchFont(11));
    List4 = MakeControl<QListWidget>(Picture3, QStringLiteral("List4"), QRect(494, 26, 482, 174),
                                     FixedPitchFont(11));
    for (QPushButton*& b : idleButtons)
        b = MakeButton(this, QStringLiteral("戻る"), QRect(0, 0, 120, 40));
    Picture6 = Named(MakeTeacherWaitPanel(this, kBackground, Label8), QStringLiteral("Picture6"));

    setUpControls();
    connectControls();
    Form_Activate();
    // The window this screen is shown in is made by the stage: its closing is
    // seen here, on the way to it.
    qApp->installEventFilter(this);
}

void FrmTimeData::setUpControls() {
    MSFlexGrid1->setColumnCount(kEditorColumns);
    MSFlexGrid1->horizontalHeader()->hide();
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(24);
    // Every column a thirteenth of the grid (room for its scroll bar kept), wide
    // enough for the longest heading, "ﾎﾟｲﾝﾄ倍率".
    const int width = (kGridRect.width() - 20) / kEditorColumns;
    for (int c = 0; c < kEditorColumns; ++c)
        MSFlexGrid1->setColumnWidth(c, width);
    Gridinputtext->installEventFilter(this);
    Option1[1]->setChecked(true);
    for (QListWidget* list : {List3, List4})
        list->setUniformItemSizes(true);
    for (QPushButton* b : idleButtons)
        b->hide();
    Picture6->hide();
}

void FrmTimeData::connectControls() {
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(MSFlexGrid1, &QTableWidget::cellClicked, this,
            [this](int r, int c) { MSFlexGrid1_Click(r, c); });
    for (QRadioButton* option : Option1)
        connect(option, &QRadioButton::clicked, this, [this] {
            Picture3->show();
            buildCharts();
        });
    connect(Gridinputtext, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.typeText(text);
        showCell(model_.row(), model_.column());
    });
}

void FrmTimeData::fillGrid() {
    MSFlexGrid1->clearContents();
    MSFlexGrid1->setRowCount(model_.lastRow() + 1);
    for (int r = 0; r <= model_.lastRow(); ++r)
        for (int c = 0; c < kEditorColumns; ++c)
            showCell(r, c);
}

void FrmTimeData::showCell(int row, int column) {
    QTableWidgetItem* item = MSFlexGrid1->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        MSFlexGrid1->setItem(row, column, item);
    }
    item->setText(model_.cell(row, column));
    if (row == 0 || column == 0)
        item->setBackground(kHeadingFill);
    else if (model_.marked(row, column))
        item->setBackground(kChangedFill);
    else
        item->setBackground(QBrush());
}

void FrmTimeData::showEditor() {
    const int row = model_.row(), column = model_.column();
    if (row < 1 || row > model_.lastRow()) {
        Gridinputtext->hide();
        Label3->setText(QString());
        return;
    }
    QTableWidgetItem* item = MSFlexGrid1->item(row, column);
    MSFlexGrid1->scrollToItem(item);
    const QRect cell = MSFlexGrid1->visualItemRect(item);
    Gridinputtext->setGeometry(
        QRect(MSFlexGrid1->viewport()->mapTo(this, cell.topLeft()), cell.size()));
    Gridinputtext->show();
    Gridinputtext->raise();
    Gridinputtext->setText(model_.cell(row, column));
    Gridinputtext->setCursorPosition(std::min<int>(10, int(Gridinputtext->text().size())));
    Gridinputtext->setFocus();
    Label3->setText(CriteriaColumnHelp(column));
}

void FrmTimeData::buildCharts() {
    LevelHistograms histograms;
    if (auto error =
            ReadHistograms(ctx_.hensuu1.paths.resultsLogFile(), &histograms, ctx_.coveredWait()))
        ctx_.navigator.message(QStringLiteral("成績の読み込み"), error->text());
    List3->clear();
    List3->addItems(AllRunsChart(histograms, model_.chartLevel()));
    List4->clear();
    List4->addItems(BestTimesChart(histograms, model_.chartLevel()));
}

void FrmTimeData::Form_Activate() {
    Label4->setText(QString());
    Command2_Click();
}

void FrmTimeData::Command2_Click() {
    if (auto error = model_.load(ctx_.hensuu1.paths.criteriaFile()))
        ctx_.navigator.message(QStringLiteral("元に戻す"), error->text());
    fillGrid();
    showEditor();
    buildCharts();
}

bool FrmTimeData::save() {
    showCover(Picture6);
    const auto why = model_.save(ctx_.hensuu1.paths.criteriaFile(), ctx_.criteria,
                                 ctx_.hensuu1.catalog.levelCount);
    Picture6->hide();
    if (why) ctx_.navigator.message(kSaveTitle, *why);
    return !why;
}

void FrmTimeData::Command3_Click() {
    save();
    showEditor();
}

bool FrmTimeData::offerToSave() {
    // Yes, the default, saves: Enter keeps what the teacher typed.
    return !model_.changed() ||
           !ctx_.navigator.ask(QStringLiteral("注意"),
                               QStringLiteral("データが変更されています。記録しますか？"),
                               Question::SaveYesNo) ||
           save();
}

void FrmTimeData::Command4_Click() {
    if (!offerToSave()) return; // a refused save keeps the teacher here to mend the cell
    showCover(Picture6);
    ctx_.navigator.show(Screen::Hub);
}

void FrmTimeData::MSFlexGrid1_Click(int row, int column) {
    const int before = model_.chartLevel();
    if (!model_.moveTo(row, column)) return;
    showEditor();
    if (model_.chartLevel() != before) buildCharts();
}

bool FrmTimeData::isOwnWindow(QObject* watched) const {
    const QGraphicsProxyWidget* proxy = graphicsProxyWidget();
    const QGraphicsScene* scene = proxy ? proxy->scene() : nullptr;
    if (!scene) return watched == this;
    for (const QGraphicsView* view : scene->views())
        if (watched == view) return true;
    return false;
}

bool FrmTimeData::eventFilter(QObject* watched, QEvent* event) {
    // Closing the window asks about unsaved edits as 戻る does; a refused
    // save keeps the window open.
    if (event->type() == QEvent::Close && isOwnWindow(watched)) {
        if (offerToSave()) return false;
        event->ignore();
        return true;
    }
    if (watched != Gridinputtext || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->text() == QStringLiteral(" ")) {
        Gridinputtext->clear(); // セルクリア
        return true;
    }
    std::optional<EditorKey> editorKey;
    switch (key->key()) {
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        editorKey = EditorKey::Enter;
        break;
    case Qt::Key_Up:
        editorKey = EditorKey::Up;
        break;
    case Qt::Key_Down:
        editorKey = key->modifiers() & Qt::ShiftModifier ? EditorKey::ShiftDown : EditorKey::Down;
        break;
    case Qt::Key_Left:
        editorKey = EditorKey::Left;
        break;
    case Qt::Key_Right:
        editorKey = EditorKey::Right;
        break;
    default:
        return false;
    }
    const int before = model_.chartLevel();
    model_.press(*editorKey);
    // A copy may have changed any row of the column.
    for (int r = 1; r <= model_.lastRow(); ++r)
        showCell(r, model_.column());
    showEditor();
    // The charts belong to the level: they change only when the row does.
    if (model_.chartLevel() != before) buildCharts();
    return true;
}

QWidget* MakeCriteriaEditorScreen(AppContext& ctx) {
    return new FrmTimeData(ctx);
}

} // namespace baisuu
