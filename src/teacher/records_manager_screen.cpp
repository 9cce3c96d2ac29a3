#include "teacher/records_manager_screen.h"

#include "core/dates.h"
#include "records/value_rules.h"
#include "ui/pdf_file.h"
#include "ui/print_jobs.h"
#include "ui/screen_parts.h"
#include "ui/stage.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>

namespace baisuu {

namespace {

const QColor kBackground(0xE8, 0xEE, 0xE4);
const QColor kEditorFill(0xFF, 0xF8, 0xDC);
const QString kPrintTitle = QStringLiteral("印刷");
const QString kWriteTitle = QStringLiteral("成績の記録");

RecordsManagerSettings settingsOf(const AppContext& ctx) {
    const Hensuu1& h = ctx.hensuu1;
    return {h.paths.resultsLogFile(), h.paths.rosterFile(),   {h.schoolCode, h.siteName},
            ctx.clock.now().date(),   h.schoolYearStartMonth, ctx.coveredWait()};
}

// List lines a printed sheet holds, under its heading line.
constexpr int kLinesPerSheet = 60;

// One sheet a page, every page laid out alike in its own units: the font is
// sized from the page's height, so a printer and a PDF show the same sheets.
bool paintSheets(QPagedPaintDevice& device, const QList<QStringList>& sheets) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const double step = double(device.height()) / (kLinesPerSheet + 2);
    painter.setFont(PageFont(step * 0.8));
    const int ascent = painter.fontMetrics().ascent();
    for (qsizetype n = 0; n < sheets.size(); ++n) {
        if (n > 0 && !device.newPage()) return false;
        for (qsizetype i = 0; i < sheets[n].size(); ++i) {
            // The heading stands a line apart from the list.
            const double y = (i == 0 ? 0 : i + 1) * step;
            painter.drawText(QPointF(0, y + ascent), sheets[n][i]);
        }
    }
    return painter.end();
}

void setA4(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
}

} // namespace

FrmData::FrmData(AppContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), model_(settingsOf(ctx)) {
    setObjectName(QStringLiteral("FrmData"));
    resize(1024, 768);
    FillBackground(this, kBackground);

    // Made in stacking order: a later control lies over an earlier one.
    MakeLabel(this, QStringLiteral("成績データの変更・消去"), QRect(24, 12, 500, 40), {20, true});
    Label3 = MakeLabel(this, QString(), QRect(24, 60, 300, 30), {14});
    Label5 = MakeLabel(this, QStringLiteral("ダブルクリックすると変更、消去できます"),
                       QRect(330, 60, 420, 30), {14});
    List1 = MakeControl<QListWidget>(this, QStringLiteral("List1"), QRect(24, 96, 976, 420),
                                     FixedPitchFont(12));
    Command22 = MakeButton(this, QStringLiteral("一覧表示"), QRect(24, 530, 160, 50));
    Command17 = MakeButton(this, QStringLiteral("印刷"), QRect(200, 530, 160, 50));
    Command4 = MakeButton(this, QStringLiteral("戻る"), QRect(840, 690, 160, 56));
    // The editor of one record, shown by a double click on its line.
    Picture3 = Named(MakePanel(this, QRect(24, 596, 800, 150), kEditorFill, true),
                     QStringLiteral("Picture3"));
    MakeLabel(Picture3, QStringLiteral("レコード"), QRect(12, 10, 90, 30), {13});
    Label1 = MakeLabel(Picture3, QString(), QRect(100, 10, 90, 30), {13, true});
    Label2[0] = MakeLabel(Picture3, QString(), QRect(200, 10, 110, 30), {13});
    Label2[2] = MakeLabel(Picture3, QString(), QRect(320, 10, 160, 30), {13});
    Text1 = MakeControl<QLineEdit>(Picture3, QStringLiteral("Text1"), QRect(12, 56, 110, 36),
                                   FontOf(14));
    VScroll1 = MakeControl<QScrollBar>(Picture3, QStringLiteral("VScroll1"), QRect(124, 50, 22, 48),
                                       std::nullopt, Qt::Vertical);
    Label2[1] = MakeLabel(Picture3, QStringLiteral("秒"), QRect(152, 56, 40, 36), {14});
    Combo1 = MakeControl<QComboBox>(Picture3, QStringLiteral("Combo1"), QRect(200, 56, 280, 36),
                                    FontOf(13));
    Label2[3] = MakeLabel(Picture3, QString(), QRect(490, 56, 80, 36), {14});
    Command2 = MakeButton(Picture3, QStringLiteral("変更して記録"), QRect(590, 12, 196, 56));
    Command3 = MakeButton(Picture3, QStringLiteral("消去"), QRect(590, 80, 196, 56));
    makeIdleButtons();
    Picture1 = MakePanel(this, QRect(0, 0, 1024, 768), kBackground);
    Picture6 = Named(MakeTeacherWaitPanel(this, kBackground, Label8), QStringLiteral("Picture6"));

    setUpControls();
    connectControls();
    // The count stays empty until 一覧表示 has read the log: "0" would be untrue.
}

void FrmData::makeIdleButtons() {
    const QStringList idle = {QStringLiteral("キャンセル"), QStringLiteral("データ変更"),
                              QStringLiteral("全科目選択"), QStringLiteral("全員選択"),
                              QStringLiteral("戻る"),       QStringLiteral("ファイル化")};
    for (const QString& caption : idle)
        idleButtons.append(MakeButton(this, caption, QRect(0, 0, 120, 40)));
    for (int i = 0; i < 5 + 4 + 3 + 5; ++i) // Command9, 11, 19 and five single ones
        idleButtons.append(MakeButton(this, QString(), QRect(0, 0, 120, 40)));
}

void FrmData::setUpControls() {
    List1->setUniformItemSizes(true);
    VScroll1->setRange(int(kRunTimeRule.low),
                       int(kRunTimeRule.high)); // the seconds the 秒 box takes
    // Up raises the time, as a teacher counting seconds expects.
    VScroll1->setInvertedControls(true);
    VScroll1->setInvertedAppearance(true);
    // Editable, so a record of a pupil no longer on the roster still shows its number.
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    for (QWidget* hidden : {Picture3, Picture1, Picture6})
        hidden->hide();
    for (QPushButton* b : idleButtons)
        b->hide();
}

void FrmData::connectControls() {
    connect(Command22, &QPushButton::clicked, this, [this] { Command22_Click(); });
    connect(Command17, &QPushButton::clicked, this, [this] { Command17_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    connect(List1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { List1_DblClick(List1->row(item)); });
    connect(Text1, &QLineEdit::textEdited, this, [this] { Text1_Change(); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int v) { VScroll1_Change(v); });
    connect(VScroll1, &QAbstractSlider::actionTriggered, this,
            [this](int action) { VScroll1_Step(action); });
    connect(Combo1, &QComboBox::currentTextChanged, this, [this] { Combo1_Click(); });
}

void FrmData::fillList(int selectLine) {
    Picture3->hide();
    Label3->setText(model_.countText());
    List1->clear();
    List1->addItems(model_.lines());
    Combo1->blockSignals(true);
    Combo1->clear();
    for (const PupilChoice& c : model_.pupilChoices())
        Combo1->addItem(c.item);
    Combo1->blockSignals(false);
    if (selectLine >= 0) {
        List1->setCurrentRow(selectLine);
        List1->scrollToItem(List1->currentItem());
    }
}

void FrmData::Command22_Click() {
    Picture6->show();
    Picture6->raise();
    Picture6->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<FileError> error = model_.rebuild();
    fillList(-1);
    QApplication::restoreOverrideCursor();
    Picture6->hide();
    if (error) ctx_.navigator.message(QStringLiteral("成績の読み込み"), error->text());
}

void FrmData::List1_Click() {
    if (sinceDoubleClick_.isValid() &&
        sinceDoubleClick_.elapsed() < QApplication::doubleClickInterval())
        return;
    model_.close();
    Picture3->hide();
}

void FrmData::List1_DblClick(int row) {
    sinceDoubleClick_.start();
    if (!model_.open(row)) return;
    const RecordEditorValues& v = *model_.editor();
    Label1->setText(v.numberText);
    Label2[0]->setText(v.levelText);
    Label2[2]->setText(v.dateText);
    Text1->setText(QString::number(v.runTime));
    VScroll1->blockSignals(true);
    VScroll1->setValue(v.runTime);
    VScroll1->blockSignals(false);
    Combo1->blockSignals(true);
    if (v.pupilChoice >= 0) Combo1->setCurrentIndex(v.pupilChoice);
    Combo1->setEditText(v.pupilText);
    Combo1->blockSignals(false);
    Label2[3]->setText(v.gradeText);
    Command2->show();
    Command3->show();
    Picture3->show();
    Picture3->raise();
}

void FrmData::Text1_Change() {
    const qint64 value = LeadingNumber(Text1->text());
    if (value < VScroll1->minimum() || value > VScroll1->maximum()) return;
    VScroll1->blockSignals(true);
    VScroll1->setValue(int(value));
    VScroll1->blockSignals(false);
}

void FrmData::VScroll1_Step(int action) {
    // Drawn upside down, the bar would still step its arrows and its track the
    // plain way (the upper arrow lowering the time): a step is turned round,
    // so the upper arrow and a click above the thumb raise the time.
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderPageStepSub:
        VScroll1->setSliderPosition(2 * VScroll1->value() - VScroll1->sliderPosition());
        break;
    default:
        break;
    }
}

void FrmData::VScroll1_Change(int value) {
    Text1->setText(QString::number(value));
}

void FrmData::Combo1_Click() {
    Label2[3]->setText(model_.gradeOfPupilText(Combo1->currentText()));
}

void FrmData::showWrite(const RecordsWrite& w) {
    if (w.outcome != RecordsWrite::Outcome::Refused && w.outcome != RecordsWrite::Outcome::Failed)
        fillList(w.selectLine);
    if (!w.message.isEmpty()) ctx_.navigator.message(kWriteTitle, w.message);
}

void FrmData::Command2_Click() {
    showWrite(model_.change(Text1->text(), Combo1->currentText()));
}

void FrmData::Command3_Click() {
    if (!model_.editor()) return;
    if (!ctx_.navigator.ask(QStringLiteral("注意"), QStringLiteral("本当に消去しますか"),
                            Question::OkCancel))
        return;
    showWrite(model_.remove());
}

void FrmData::Command4_Click() {
    Picture1->show();
    Picture1->raise();
    ctx_.navigator.show(Screen::Hub);
}

// The list as a PDF file, drawn in memory and written whole, so a full disk
// leaves an older file of that name as it was.
void FrmData::writePdf(const QString& path) {
    const QList<QStringList> pages = sheets();
    const auto error = WritePdfFile(path, [&](QPdfWriter& pdf) {
        setA4(pdf);
        pdf.setResolution(600);
        pdf.setCreator(QStringLiteral("倍数判定"));
        pdf.setTitle(sheetsTitle());
        return paintSheets(pdf, pages);
    });
    if (error) ctx_.navigator.message(kPrintTitle, error->text());
}

QString FrmData::sheetsTitle() const {
    return QStringLiteral("記録一覧 %1").arg(DateText(ctx_.clock.now().date()));
}

void FrmData::Command17_Click() {
    if (!ctx_.printToPdf.isEmpty()) {
        writePdf(ctx_.printToPdf);
        return;
    }
    if (NobodyToAsk()) {
        ctx_.navigator.message(kPrintTitle, NoPrinterDialogText());
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setA4(printer);
    // A window of its own, not a child of this screen: a child would be drawn
    // inside the stage without its title or a frame the window manager moves.
    QPrintDialog dialog(&printer);
    dialog.setWindowTitle(kPrintTitle);
    // The list is printed whole: no page numbers to choose from.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted) return;
    // Printing to a file: the dialog has asked before a file is written over.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        writePdf(printer.outputFileName());
        return;
    }
    printOn(printer);
}

QList<QStringList> FrmData::sheets() {
    // What is printed is the log: a list not yet read is read first.
    if (!model_.built()) Command22_Click();
    return model_.printSheets(ctx_.clock.now().date(), kLinesPerSheet);
}

void FrmData::printOn(QPrinter& printer) {
    const QList<QStringList> pages = sheets();
    PrintDocument(ctx_.navigator, printer, sheetsTitle(),
                  [&] { return paintSheets(printer, pages); });
}

QWidget* MakeRecordsManagerScreen(AppContext& ctx) {
    return new FrmData(ctx);
}

} // namespace baisuu
