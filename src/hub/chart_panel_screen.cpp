#include "hub/chart_panel_screen.h"

#include "drill/practice_run.h"
#include "hub/chart_panel.h"
#include "hub/result_lists.h"
#include "records/answers_file.h"
#include "reports/weak_numbers_page.h"
#include "roster/grades.h"
#include "ui/print_jobs.h"
#include "ui/screen_parts.h"
#include "ui/stage.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSet>

#include <limits>
#include <memory>

namespace baisuu {

namespace {

// Picture11 stands at 120 twips from the left and 1740 from the top, over the
// level columns and below the option buttons, which stay usable.
constexpr QRect kChartPanelGeometry(8, 134, 1008, 626); // below the view's caption (Label5)

constexpr int kSideLeft = 716; // the column of lists and buttons beside the chart
constexpr int kSideWidth = 286;

const QColor kPanelFill(0xF2, 0xF4, 0xF7);
const QString kReadTitle = QStringLiteral("成績の読み込み");
const QString kPrintTitle = QStringLiteral("印刷");

// A list whose lines are picked and unpicked by clicks, several at a time.
QListWidget* pickList(QWidget* parent, const QRect& place, const QFont& font) {
    auto* list = new QListWidget(parent);
    list->setGeometry(place);
    list->setFont(font);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setUniformItemSizes(true);
    return list;
}

} // namespace

// --- Picture11 -----------------------------------------------------------------------

ChartPanel::ChartPanel(AppContext& ctx, QWidget* parent)
    : QFrame(parent), ctx_(ctx), group_(ctx.hensuu1.selectedGroup),
      chartedPupil_(ctx.hensuu1.currentPupil) {
    setObjectName(QStringLiteral("Picture11"));
    setGeometry(kChartPanelGeometry);
    FillBackground(this, kPanelFill);
    setFrameShape(QFrame::Box);
    buildControls();
    connectControls();
    Picture12->offerPractice(ctx.hensuu1.currentPupil,
                             [this](int level) { StartPractice(ctx_, level); });
    Command24[1]->hide();
    showSideControls();
    fillLevelList();
    showPageButtons();
    hide();
}

// The chart on the left; beside it, top to bottom: the other pupils, the
// levels, the page buttons, which pages and their period, show and print, back.
void ChartPanel::buildControls() {
    const int x = kSideLeft, w = kSideWidth, half = (kSideWidth - 8) / 2;
    const auto button = [this](const char* name, const QString& text, const QRect& place,
                               double points) {
        return Named(MakeButton(this, text, place, points), QLatin1String(name));
    };
    Picture12 = Named(new ChartView(this), QStringLiteral("Picture12"));
    Picture12->setGeometry(6, 6, kSideLeft - 14, height() - 12);
    Command25 = button("Command25", QStringLiteral("他の人のデータを見る"), {x, 6, w, 44}, 13);
    List2 = Named(pickList(this, {x, 6, w, 232}, FixedPitchFont(9.5)), QStringLiteral("List2"));
    MakeLabel(this, QStringLiteral("レベル"), {x, 244, w, 24},
              {12, true, Qt::AlignLeft | Qt::AlignVCenter, kHeadingBlue});
    List3 = Named(pickList(this, {x, 270, w, 94}, FontOf(13, true)), QStringLiteral("List3"));
    previousPage = button("previousPage", QStringLiteral("前へ"), {x, 372, 80, 34}, 12);
    pageLabel = Named(MakeLabel(this, {}, {x + 84, 372, w - 168, 34}, {12, false, Qt::AlignCenter}),
                      QStringLiteral("pageLabel"));
    nextPage = button("nextPage", QStringLiteral("次へ"), {x + w - 80, 372, 80, 34}, 12);
    chartButton = button("chartButton", QStringLiteral("グラフ"), {x, 414, half, 40}, 13);
    weakButton =
        button("weakButton", QStringLiteral("苦手な数"), {x + half + 8, 414, half, 40}, 13);
    allDaysButton = button("allDaysButton", QStringLiteral("全期間"), {x, 460, half, 34}, 12);
    recentDaysButton =
        button("recentDaysButton", QStringLiteral("最近30日"), {x + half + 8, 460, half, 34}, 12);
    Command24[0] = button("Command24_0", QStringLiteral("表示"), {x, 502, half, 52}, 14);
    Command24[1] = button("Command24_1", QStringLiteral("印刷"), {x + half + 8, 502, half, 52}, 14);
    Command21[0] = button("Command21_0", QStringLiteral("表示"), {x, 502, half, 52}, 14);
    Command21[1] = button("Command21_1", QStringLiteral("印刷"), {x + half + 8, 502, half, 52}, 14);
    Command18 = button("Command18", QStringLiteral("戻る"), {x, 562, w, 52}, 14);
    // Two pairs of switches: one of each pair is down.
    for (QPushButton* b : {chartButton, weakButton, allDaysButton, recentDaysButton})
        b->setCheckable(true);
    chartButton->setChecked(true);
    allDaysButton->setChecked(true);

    List2->hide();
    // The level numbers as a block of keys rather than a long column.
    List3->setFlow(QListView::LeftToRight);
    List3->setWrapping(true);
    List3->setGridSize(QSize(46, 30));
    for (QPushButton* b : Command21)
        b->hide();
}

void ChartPanel::connectControls() {
    connect(Command25, &QPushButton::clicked, this, [this] { Command25_Click(); });
    connect(Command18, &QPushButton::clicked, this, [this] { Command18_Click(); });
    for (int k = 0; k < 2; ++k) {
        connect(Command24[size_t(k)], &QPushButton::clicked, this,
                [this, k] { Command24_Click(k); });
        connect(Command21[size_t(k)], &QPushButton::clicked, this,
                [this, k] { Command21_Click(k); });
    }
    connect(chartButton, &QPushButton::clicked, this, [this] { showWeakNumbers(false); });
    connect(weakButton, &QPushButton::clicked, this, [this] { showWeakNumbers(true); });
    connect(allDaysButton, &QPushButton::clicked, this, [this] { setWeakNumbersDays(0); });
    connect(recentDaysButton, &QPushButton::clicked, this,
            [this] { setWeakNumbersDays(kWeakNumbersRecentDays); });
    connect(List2, &QListWidget::itemClicked, this, [this] { List2_Click(); });
    connect(List3, &QListWidget::itemClicked, this, [this] { List3_Click(); });
    connect(previousPage, &QPushButton::clicked, this, [this] {
        Picture12->showPage(Picture12->page() - 1);
        showPageButtons();
    });
    connect(nextPage, &QPushButton::clicked, this, [this] {
        Picture12->showPage(Picture12->page() + 1);
        showPageButtons();
    });
}

void ChartPanel::setTeacherMode(bool teacher) {
    teacher_ = teacher;
    Command24[1]->setVisible(teacher);
    showSideControls();
}

void ChartPanel::fillPupilList() {
    const Hensuu1& h = ctx_.hensuu1;
    const int schoolYear = CurrentSchoolYear(ctx_.clock.now().date(), h.schoolYearStartMonth);
    // Read anew each time, as the selection screen reads it, so names and
    // grades are the file's now. The list itself offers the status-0 entries
    // only, which a roster read without the status-2 entries holds.
    auto listed = std::make_unique<StudentRoster>();
    std::optional<FileError> error =
        LoadRoster(ctx_.roster, h.paths.rosterFile(), schoolYear, h.includeStatusTwo);
    if (!error) error = LoadRoster(*listed, h.paths.rosterFile(), schoolYear, 0);
    if (error)
        ctx_.navigator.message(QStringLiteral("名簿の読み込み"),
                               QStringLiteral("名簿を読めませんでした。\r\n") + error->text());
    List2->clear();
    List2->addItems(OtherPupilLines(*listed, schoolYear));
}

void ChartPanel::fillLevelList() {
    List3->clear();
    for (int level = 1; level <= ctx_.hensuu1.catalog.levelCount; ++level)
        List3->addItem(QString::number(level));
}

std::optional<std::vector<QStringList>> ChartPanel::Command16_Click(const QString& group) {
    group_ = group;
    fillPupilList();
    fillLevelList();
    chartedPupil_ = ctx_.hensuu1.currentPupil;
    QList<RecordNumbers> records;
    if (!readRecords(kOwnRunsRecords, records)) return std::nullopt;
    HistoryRequest request;
    request.pupil = chartedPupil_;
    request.group = group_;
    request.today = ctx_.clock.now().date();
    request.schoolYear = CurrentSchoolYear(request.today, ctx_.hensuu1.schoolYearStartMonth);
    request.levelCount = ctx_.hensuu1.catalog.levelCount;
    return OwnRunLines(records, request, ctx_.roster);
}

void ChartPanel::Command17_Click() {
    showOwnPages(false);
}

void ChartPanel::showOwnWeakNumbers() {
    showOwnPages(true);
    // Straight to the levels there is something to practise on, when there are any.
    QSet<int> weakLevels;
    for (const WeakPage& page : Picture12->weakNumbers().pages)
        for (const WeakSection& s : page.sections)
            if (s.weakCount > 0) weakLevels.insert(s.level);
    if (weakLevels.isEmpty()) return;
    for (int row = 0; row < List3->count(); ++row)
        List3->item(row)->setSelected(weakLevels.contains(List3->item(row)->text().toInt()));
    Command21_Click(0);
}

void ChartPanel::showOwnPages(bool weak) {
    chartedPupil_ = ctx_.hensuu1.currentPupil;
    listOpen_ = false;
    weak_ = weak;
    showSideControls();
    List2->clearSelection();
    if (List3->count() == 0) fillLevelList();
    List3->selectAll();
    Command21_Click(0);
}

bool ChartPanel::readRecords(qint64 count, QList<RecordNumbers>& records) {
    // Runs of the school's other machines since the hub's refresh are in the views too.
    if (auto error = ReadLastRecords(ctx_.hensuu1.paths.resultsLogFile(), count, &records,
                                     ctx_.coveredWait())) {
        ctx_.navigator.message(kReadTitle, LogUnreadableText(*error));
        return false;
    }
    return true;
}

QList<int> ChartPanel::selectedLevels() const {
    QList<int> levels;
    for (int row = 0; row < List3->count(); ++row)
        if (List3->item(row)->isSelected()) levels.append(List3->item(row)->text().toInt());
    return levels;
}

std::optional<ChartDocument> ChartPanel::chartOf(int pupil) {
    QList<RecordNumbers> records;
    if (!readRecords(std::numeric_limits<qint64>::max(), records)) return std::nullopt;
    ChartRequest request;
    request.pupil = pupil;
    request.group = group_;
    request.today = ctx_.clock.now().date();
    request.schoolYear = CurrentSchoolYear(request.today, ctx_.hensuu1.schoolYearStartMonth);
    request.levelCount = ctx_.hensuu1.catalog.levelCount;
    request.levels = selectedLevels();
    request.contentName = ctx_.hensuu1.contentName;
    return BuildChartDocument(request, records, ctx_.results, ctx_.roster, ctx_.criteria,
                              ctx_.hensuu1.catalog);
}

std::optional<WeakNumbersDocument> ChartPanel::weakNumbersOf(int pupil) {
    AnswersRead read;
    if (auto error = ReadAnswers(AnswersFilePath(ctx_.hensuu1.paths.dataFolder, pupil), &read)) {
        ctx_.navigator.message(kReadTitle, error->text());
        return std::nullopt;
    }
    WeakNumbersRequest request;
    request.pupil = pupil;
    request.today = ctx_.clock.now().date();
    const int schoolYear = CurrentSchoolYear(request.today, ctx_.hensuu1.schoolYearStartMonth);
    const PupilHeading heading = HeadingOf(ctx_.roster, pupil, schoolYear);
    request.pupilName = heading.name;
    request.grade = heading.grade;
    request.days = weakDays_;
    request.levels = selectedLevels();
    request.unreadableLines = read.skippedLines;
    request.fluentMs = FluentTimes(ctx_.criteria);
    request.forTeacher = teacher_;
    return BuildWeakNumbersDocument(request, read.answers, ctx_.hensuu1.catalog,
                                    MultiplesProblemSource{});
}

std::optional<PagedDocument> ChartPanel::pagesOf(int pupil) {
    if (weak_) {
        if (auto doc = weakNumbersOf(pupil)) return PagedWeakNumbers(std::move(*doc));
    } else if (auto doc = chartOf(pupil)) {
        return PagedChart(std::move(*doc));
    }
    return std::nullopt;
}

void ChartPanel::Command21_Click(int index) {
    if (index == 1) {
        if (auto doc = pagesOf(chartedPupil_)) print({*doc});
        return;
    }
    move(kChartPanelGeometry.topLeft());
    show();
    raise();
    Picture12->clear();
    if (weak_) {
        if (auto doc = weakNumbersOf(chartedPupil_)) Picture12->showDocument(std::move(*doc));
    } else if (auto doc = chartOf(chartedPupil_)) {
        Picture12->showDocument(std::move(*doc));
    }
    showPageButtons();
}

// The pupils selected in List2. The 苦手な数 pages of other pupils are the
// teacher's: anybody else sees their own.
QList<int> ChartPanel::pupilsToShow() const {
    QList<int> pupils;
    if (weak_ && !teacher_) return pupils;
    for (int row = 0; row < List2->count(); ++row)
        if (List2->item(row)->isSelected()) {
            const int pupil = PupilOfLine(List2->item(row)->text());
            if (pupil >= 0) pupils.append(pupil);
        }
    return pupils;
}

void ChartPanel::Command24_Click(int index) {
    const QList<int> pupils = pupilsToShow();
    if (pupils.isEmpty()) {
        if (weak_ && !teacher_) chartedPupil_ = ctx_.hensuu1.currentPupil;
        Command21_Click(index);
        return;
    }
    if (index == 0) {
        // One page after the other on the one picture: the last pupil's stays.
        for (int pupil : pupils) {
            chartedPupil_ = pupil;
            Command21_Click(0);
        }
        return;
    }
    // Every selected pupil gets a document of their own, from one printer choice.
    QList<PagedDocument> docs;
    for (int pupil : pupils) {
        chartedPupil_ = pupil;
        auto doc = pagesOf(pupil);
        if (!doc) return;
        docs.append(std::move(*doc));
    }
    print(docs);
}

void ChartPanel::print(const QList<PagedDocument>& docs) {
    printed_.clear();
    // Without a level there is nothing to chart: blank sheets would say nothing.
    if (selectedLevels().isEmpty()) {
        ctx_.navigator.message(kPrintTitle,
                               QStringLiteral("レベルが選ばれていないので、印刷していません。"
                                              "レベルを選んでから印刷してください。"));
        return;
    }
    if (!printToPdf_.isEmpty()) {
        if (auto error = WritePdfs(docs, printToPdf_, &printed_))
            ctx_.navigator.message(kPrintTitle, error->text());
        return;
    }
    if (NobodyToAsk()) {
        ctx_.navigator.message(kPrintTitle, NoPrinterDialogText());
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    // A window of its own, not a child of this screen: a child would be drawn
    // inside the stage without its title or a frame the window manager moves.
    QPrintDialog dialog(&printer);
    dialog.setWindowTitle(kPrintTitle);
    // Each pupil's document is whole: there are no page numbers to choose from.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted) return;
    printOn(printer, docs);
}

void ChartPanel::printOn(QPrinter& printer, const QList<PagedDocument>& docs) {
    // To a file, one printer would write each pupil's document over the one
    // before: every pupil gets a file, named as --print-to-pdf names them.
    if (const QString file = printer.outputFileName(); !file.isEmpty()) {
        QStringList beside;
        for (qsizetype k = 1; k < docs.size(); ++k)
            beside << NumberedPdfPath(file, int(k));
        if (!MayWriteOver(ctx_.navigator, beside)) return;
        if (auto error = WritePdfs(docs, file, &printed_))
            ctx_.navigator.message(kPrintTitle, error->text());
        return;
    }
    for (const PagedDocument& doc : docs)
        if (!PrintDocument(ctx_.navigator, printer, doc.name,
                           [&] { return PaintDocument(printer, doc); }))
            return;
}

void ChartPanel::Command25_Click() {
    listOpen_ = true;
    showSideControls();
}

void ChartPanel::showWeakNumbers(bool weak) {
    weak_ = weak;
    showSideControls();
    Command24_Click(0);
}

void ChartPanel::setWeakNumbersDays(int days) {
    weakDays_ = days;
    showSideControls();
    if (weak_) Command24_Click(0);
}

// The switches show what is in view; the other pupils are offered where they can be seen.
void ChartPanel::showSideControls() {
    chartButton->setChecked(!weak_);
    weakButton->setChecked(weak_);
    allDaysButton->setChecked(weakDays_ == 0);
    recentDaysButton->setChecked(weakDays_ != 0);
    allDaysButton->setVisible(weak_);
    recentDaysButton->setVisible(weak_);
    const bool others = !weak_ || teacher_;
    Command25->setVisible(others && !listOpen_);
    List2->setVisible(others && listOpen_);
}

void ChartPanel::Command18_Click() {
    hide();
}

void ChartPanel::List2_Click() {
    Command24_Click(0);
}

void ChartPanel::List3_Click() {
    if (!isHidden()) Command24_Click(0);
}

void ChartPanel::showPageButtons() {
    const int pages = Picture12->pageCount();
    const bool several = pages > 1;
    previousPage->setVisible(several);
    nextPage->setVisible(several);
    pageLabel->setVisible(several);
    previousPage->setEnabled(Picture12->page() > 0);
    nextPage->setEnabled(Picture12->page() + 1 < pages);
    pageLabel->setText(QStringLiteral("%1 / %2 ページ").arg(Picture12->page() + 1).arg(pages));
}

} // namespace baisuu
