#include "hub/hub_screen.h"

#include "core/screen_parts.h"
#include "drill/drill_engine.h"
#include "hub/hub_panels.h"
#include "roster/grades.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace {

// The column area: four columns of 3456 twips (921.6 px) when the strip
// scrolls, up to 14592 twips (972.8 px) when every column is in view.
constexpr int kAreaLeft = 24;
constexpr int kAreaTop = 158;
constexpr int kAreaHeight = 586;
constexpr int kScrollTop = 748;
constexpr int kInset = 3; // between a column's controls and its neighbours

const QColor kLineGrey(224, 224, 224);
const QColor kHeading(0x1A, 0x3A, 0x7A);
const QColor kSilver(192, 192, 192); // a time list whose last time passes nothing

int pixels(double twips) {
    return qRound(twips / kTwipsPerPixel);
}

QLabel* swatch(QWidget* parent, const QRect& geometry, const QColor& colour) {
    QLabel* l = makeLabel(parent, {}, geometry);
    fillBackground(l, colour);
    l->setFrameShape(QFrame::Box);
    return l;
}

} // namespace

seisekitime1::seisekitime1(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("tallmer"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    hubReady_ = false;
    ctx_.hensuu1.resultPeriod = 3;
    fillBackground(this, colourOfBgr(ctx_.hensuu1.seasonColor));
    layout_ = HubColumnLayout(ctx_.hensuu1.catalog.levelCount);
    buildHeader();
    buildOptions();
    buildColumns();
    buildCovers();
    // The keys start levels whichever control has the focus, and a click on a
    // level's caption starts it too.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    // After the key filter: the panels' own fields (the password) take digits.
    buildPanels();
}

void seisekitime1::buildHeader() {
    Label11 = makeLabel(this, {}, QRect(16, 6, 250, 52),
                        {24, true, Qt::AlignLeft | Qt::AlignVCenter, kHeading});
    // Room for the longest name the roster holds (20 characters) and the grade.
    Label12 = makeLabel(this, {}, QRect(276, 6, 444, 30), {14, true});
    Label13 = makeLabel(this, {}, QRect(276, 36, 444, 22), {11});
    Label17 = makeLabel(this, {}, QRect(724, 6, 170, 24), {12});
    Label18 = makeLabel(this, {}, QRect(724, 32, 170, 24), {12});
    Command1 = makeButton(this, QStringLiteral("戻る(0)"), QRect(900, 8, 110, 48), 14);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Combo1 = new QComboBox(this);
    Combo1->setGeometry(16, 66, 150, 32);
    Combo1->setFont(fontOf(12));
    Combo1->addItems(SelectionGroupTexts());
    Combo1->setCurrentIndex(std::max(0, Combo1->findText(ctx_.hensuu1.selectedGroup)));
    Combo1->setToolTip(QStringLiteral("表示する学年を選びます"));
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });

    Command8 = makeButton(this, QStringLiteral("データ処理"), QRect(786, 64, 112, 36), 12);
    Command17 = makeButton(this, QStringLiteral("グラフ"), QRect(906, 64, 104, 36), 12);
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command17, &QPushButton::clicked, this, [this] { Command17_Click(); });
    Command8->hide();
    Command17->hide();

    Label5 = makeLabel(this, {}, QRect(16, 106, 300, 26),
                       {12, true, Qt::AlignLeft | Qt::AlignVCenter, kHeading});
    Combo2 = new QComboBox(this);
    Combo2->setGeometry(320, 105, 230, 28);
    Combo2->setFont(fontOf(11));
    Combo2->addItems({QStringLiteral("　　　今週の全成績"), QStringLiteral("　　先週からの全成績"),
                      QStringLiteral("　　１ヶ月間の全成績"), QStringLiteral("　　１年間の全成績"),
                      QStringLiteral("　　今までの全成績\"")});
    Combo2->setCurrentIndex(2);
    connect(Combo2, &QComboBox::activated, this, [this](int index) { Combo2_Click(index); });
    Label6 = makeLabel(this, QStringLiteral("GRPH+A,B,C,D..でも選択できます。"),
                       QRect(560, 106, 300, 26), {10});
    Text4 = swatch(this, QRect(880, 108, 56, 22), kWithinTarget);
    Text5 = swatch(this, QRect(944, 108, 56, 22), kWithinPass);

    const std::pair<QWidget*, const char*> names[] = {
        {Label11, "Label11"}, {Label12, "Label12"},   {Label13, "Label13"},
        {Label17, "Label17"}, {Label18, "Label18"},   {Command1, "Command1"},
        {Combo1, "Combo1"},   {Command8, "Command8"}, {Command17, "Command17"},
        {Label5, "Label5"},   {Combo2, "Combo2"},     {Label6, "Label6"},
        {Text4, "Text4"},     {Text5, "Text5"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));
}

void seisekitime1::buildOptions() {
    Picture1 = makePanel(this, QRect(176, 60, 600, 42), QColor(0xF4, 0xF4, 0xEE), true);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    option2Group = new QButtonGroup(this);
    option1Group = new QButtonGroup(this);
    const char16_t* const modes[] = {u"ﾀｲﾑ表示", u"ﾎﾟｲﾝﾄ表示", u"個人ﾀｲﾑ"};
    for (int m = 0; m <= 2; ++m) {
        auto* o = new QRadioButton(QString::fromUtf16(modes[m]), Picture1);
        o->setGeometry(8 + m * 94, 7, 92, 28);
        o->setFont(fontOf(11));
        o->setObjectName(QStringLiteral("Option2_%1").arg(m));
        option2Group->addButton(o, m);
        Option2[m] = o;
    }
    const char16_t* const views[] = {u"BEST表示", u"本日のみ", u"オール表示"};
    for (int v = 1; v <= 3; ++v) {
        auto* o = new QRadioButton(QString::fromUtf16(views[v - 1]), Picture1);
        o->setGeometry(300 + (v - 1) * 98, 7, 96, 28);
        o->setFont(fontOf(11));
        o->setObjectName(QStringLiteral("Option1_%1").arg(v));
        option1Group->addButton(o, v);
        Option1[v] = o;
    }
    connect(option2Group, &QButtonGroup::idClicked, this, [this](int m) { Option2_Click(m); });
    connect(option1Group, &QButtonGroup::idClicked, this, [this](int v) { Option1_Click(v); });
}

LevelColumn seisekitime1::buildColumn(int level, int width) {
    LevelColumn c;
    c.place = new QWidget(columnArea);
    c.place->setGeometry(0, 0, width, kAreaHeight);
    QWidget* p = c.place;
    const int inner = width - 2 * kInset;
    const int numberWidth = width / 5;
    c.Label1 = makeLabel(p, {}, QRect(kInset, 0, numberWidth - kInset, 30),
                         {14, true, Qt::AlignCenter, Qt::white});
    fillBackground(c.Label1, QColor(0x30, 0x60, 0xB0));
    c.Label3 = makeClickableLabel(
        p, {}, QRect(numberWidth + 2, 0, width - numberWidth - 2 - kInset, 30), {13, true});
    c.Label3->setCursor(Qt::PointingHandCursor);
    connect(c.Label3, &ClickableLabel::clicked, this, [this, level] { Label3_Click(level); });
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
    c.List5->setGeometry(kInset, 172, inner, kAreaHeight - 172);
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
    connect(c.Command4, &QPushButton::clicked, this, [this, level] { Command4_Click(level); });
    return c;
}

void seisekitime1::buildColumns() {
    const int n = ctx_.hensuu1.catalog.levelCount;
    const int width = pixels(layout_.width);
    columnArea = new QWidget(this);
    columnArea->setGeometry(kAreaLeft, kAreaTop, pixels(double(layout_.width) * std::min(n, 4)),
                            kAreaHeight);
    columnArea->setObjectName(QStringLiteral("columnArea"));
    columns_.reserve(size_t(n) + 1);
    for (int level = 0; level <= n; ++level)
        columns_.push_back(buildColumn(level, width));
    // The template stays out of view, and so does every column left of the first one shown.
    columns_[0].place->move(-2 * width, 0);
    columns_[0].place->hide();

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setGeometry(kAreaLeft, kScrollTop, pixels(13824), 18);
    HScroll1->setRange(1, std::max(1, layout_.scrollMaximum));
    HScroll1->setPageStep(1);
    HScroll1->setVisible(layout_.scrollBar);
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int v) { HScroll1_Change(v); });
}

void seisekitime1::buildCovers() {
    const QColor season = colourOfBgr(ctx_.hensuu1.seasonColor);
    Picture6 = makePanel(this, QRect(0, kAreaTop, kWidth, kAreaHeight), season);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    makeLabel(Picture6, QStringLiteral("Just a momento, please."),
              QRect(0, kAreaHeight / 2 - 60, kWidth, 60), {24, false, Qt::AlignCenter});
    ProgressBar2 = new QProgressBar(Picture6);
    ProgressBar2->setGeometry(312, kAreaHeight / 2 + 10, 400, 20);
    ProgressBar2->setTextVisible(false);

    Picture2 = makePanel(this, QRect(0, 0, kWidth, kHeight), season);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    makeLabel(Picture2, QStringLiteral("Just a moment, please."), QRect(0, 300, kWidth, 80),
              {28, false, Qt::AlignCenter});
    ProgressBar1 = new QProgressBar(Picture2);
    ProgressBar1->setGeometry(312, 400, 400, 22);
    ProgressBar1->setTextVisible(false);
}

void seisekitime1::buildPanels() {
    Picture7 = new DataChangePanel(ctx_, this);
    Picture11 = new ChartPanel(ctx_, this);
    Picture11->setPrintToPdf(ctx_.printToPdf);
    // The wait covers stay in front of the panels.
    Picture6->raise();
    Picture2->raise();
}

void seisekitime1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) Form_Activate();
}

void seisekitime1::Form_Activate() {
    hubReady_ = false;
    // Until the opening rule has run no start may slip through, by Space on a focused button
    // either.
    for (size_t i = 1; i < columns_.size(); ++i)
        columns_[i].Command4->setEnabled(false);
    Picture2->raise();
    Picture2->show();
    Option1[1]->setText(QStringLiteral("累計順"));
    Option1[2]->setText(QStringLiteral("本日順"));

    const QDateTime now = ctx_.clock.now();
    ApplyPracticeLimits(ctx_.criteria, ctx_.hensuu1.catalog);
    // Runs of the other machines of the school appear on every return to the hub.
    if (auto error =
            ComputeLevelStats(ctx_.results, ctx_.criteria, ctx_.hensuu1.paths.resultsLogFile(), now,
                              ctx_.coveredWait()))
        ctx_.navigator.message(QStringLiteral("成績の読み込み"), LogUnreadableText(*error));
    view_ = BuildHubView(ctx_.hensuu1, ctx_.criteria, ctx_.results, ctx_.roster,
                         Combo1->currentText(), now);
    ctx_.finalLevelCleared = view_.finalLevelCleared;

    Command8->setVisible(view_.teacherMode);
    Picture11->setTeacherMode(view_.teacherMode);
    Label17->setText(view_.label17);
    Label18->setText(view_.label18);

    listMode_ = ListMode::Points;
    rankingOrder_ = 1;
    building_ = true;
    Option1[1]->setChecked(true);
    Label5->setText(QStringLiteral("獲得ポイント（今まで順位）"));
    Combo2->hide();
    showColumns(view_);
    // The point mode again: the graph button and the chart belong to the own-runs view.
    Command17->hide();
    Picture11->hide();
    Option2[1]->setChecked(true);
    Command1->setEnabled(true);
    building_ = false;

    Picture6->hide();
    Label12->setText(view_.label12);
    Label13->setText(view_.label13);
    Label11->setFont(fontOf(view_.label11PointSize, true));
    Label11->setText(view_.label11);

    ctx_.hensuu1.firstColumn = view_.firstColumn;
    {
        const QSignalBlocker quiet(HScroll1);
        HScroll1->setValue(view_.firstColumn);
    }
    placeColumns();
    showOpening();
    Picture2->hide();
    hubReady_ = true;
    // The keys wait for the refreshed hub to reach the screen (its first
    // paint); should no paint come, they wait half a second at most.
    awaitingPaint_ = true;
    QTimer::singleShot(500, this, [this] { keysFromNow(); });
}

void seisekitime1::keysFromNow() {
    if (!awaitingPaint_) return;
    awaitingPaint_ = false;
    readyKeyTime_ = ctx_.navigator.keyTimeNow();
}

void seisekitime1::showColumns(const HubView& view) {
    const int n = std::min(columnCount(), int(view.columns.size()));
    for (int i = 1; i <= n; ++i) {
        const HubColumn& from = view.columns[i - 1];
        LevelColumn& c = columns_[size_t(i)];
        c.Label1->setText(from.number);
        c.Label3->setFont(fontOf(from.caption.small ? 11 : 13, true));
        c.Label3->setText(from.caption.caption);
        c.Label3->setToolTip(from.caption.tooltip);
        c.Command4->setText(from.start);
        c.Label9->setText(QStringLiteral("今日"));
        c.Label10->setText(QStringLiteral("今まで"));
        c.Label14->setText(from.today);
        c.Label15->setText(from.allTime);
        c.Label8->setText(from.judge);
        c.Label7->setText(from.criteria);
        for (QWidget* w : std::initializer_list<QWidget*>{c.List5, c.Label7, c.Label8, c.Label14,
                                                          c.Label15, c.Label9, c.Label10})
            w->setVisible(!from.practice);
        fillList(i, from.practice ? QStringList() : from.list, from.ownLine);
    }
}

void seisekitime1::fillList(int level, const QStringList& lines, int ownLine) {
    QListWidget* list = columns_[size_t(level)].List5;
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
    成績リスト色表示単独(level);
}

void seisekitime1::showOpening() {
    // The opening rule runs anew after every change of the view (Command9_Click).
    const int pupil = std::clamp(int(ctx_.hensuu1.currentPupil), 0, kPupilSlots - 1);
    const LevelOpening open = OpenLevels(ctx_.hensuu1.catalog, ctx_.criteria, ctx_.results, pupil);
    ctx_.finalLevelCleared = open.finalLevelCleared;
    for (int i = 1; i <= columnCount(); ++i) {
        LevelColumn& c = columns_[size_t(i)];
        c.Command4->setEnabled(open.enabled[size_t(i)]);
        c.Text1->setVisible(open.blocked[size_t(i)]);
        if (open.blocked[size_t(i)]) c.Text1->raise();
    }
    Picture6->raise();
}

void seisekitime1::placeColumns() {
    const int width = pixels(layout_.width);
    for (int i = 1; i <= columnCount(); ++i) {
        const int left = ColumnLeft(i, ctx_.hensuu1.firstColumn, layout_);
        columns_[size_t(i)].place->move(left < 0 ? -2 * width : pixels(left), 0);
    }
}

void seisekitime1::HScroll1_Change(int value) {
    ctx_.hensuu1.firstColumn = ClampFirstColumn(value, layout_);
    placeColumns();
}

bool seisekitime1::eventFilter(QObject* watched, QEvent* event) {
    // Nobody types for a hub not yet on screen: for the keys, the refresh is
    // over when the refreshed hub is first painted.
    if (event->type() == QEvent::Paint && watched == this) keysFromNow();
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Typed while the hub refreshed, delivered only now (the window system
        // stamps it earlier): such a key does nothing, so an answer key pressed
        // as a run ends never starts a run.
        if (awaitingPaint_ ||
            (readyKeyTime_ >= 0 && key->timestamp() > 0 && qint64(key->timestamp()) < readyKeyTime_))
            return true;
        const QString text = key->text();
        // The hub's own keys never reach a control (a list would search for the
        // letter); every other key does.
        if (!text.isEmpty() && LevelOfHubKey(text, columnCount()) >= 0) {
            Form_KeyPress(text);
            return true;
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void seisekitime1::Form_KeyPress(const QString& text) {
    if (!hubReady_) return;
    const int key = LevelOfHubKey(text, columnCount());
    if (key > 0)
        Command4_Click(key);
    else if (key == 0 && Command1->isEnabled())
        Command1_Click();
}

bool seisekitime1::teacherPanelShown() const {
    return Picture7->shown();
}

void seisekitime1::Command4_Click(int level) {
    if (teacherPanelShown() || !columns_[size_t(level)].Command4->isEnabled()) return;
    Picture2->raise();
    Picture2->show();
    startLevel(level);
}

void seisekitime1::Label3_Click(int level) {
    if (teacherPanelShown() || !columns_[size_t(level)].Command4->isEnabled()) return;
    startLevel(level);
}

void seisekitime1::startLevel(int level) {
    ctx_.hensuu1.currentLevel = qint16(level);
    hubReady_ = false;
    // The drill takes the stage; a level that cannot run brings a new hub back.
    StartRun(ctx_);
}

void seisekitime1::Command1_Click() {
    Picture2->raise();
    Picture2->show();
    ctx_.navigator.show(Screen::Selection);
}

void seisekitime1::Combo1_Click() {
    Option2_Click(Option2[0]->isChecked() ? 0 : 1);
    const int first = std::clamp(ctx_.hensuu1.firstColumn, 1, std::max(1, columnCount()));
    if (columnCount() > 0) columns_[size_t(first)].Command4->setFocus();
}

void seisekitime1::Combo2_Click(int index) {
    if (!Option1[3]->isChecked()) return;
    ctx_.hensuu1.resultPeriod = index + 1;
    Option1_Click(3);
}

void seisekitime1::beginViewChange() {
    // Nothing may start a run or another view meanwhile: a busy log is waited
    // for with the screen running.
    Command1->setEnabled(false);
    for (QWidget* choice : std::initializer_list<QWidget*>{Picture1, Combo1, Combo2})
        choice->setEnabled(false);
    for (size_t i = 1; i < columns_.size(); ++i) {
        columns_[i].Command4->setEnabled(false);
        columns_[i].List5->hide();
    }
    Picture6->raise();
    Picture6->show();
}

void seisekitime1::endViewChange() {
    for (QWidget* choice : std::initializer_list<QWidget*>{Picture1, Combo1, Combo2})
        choice->setEnabled(true);
    Command1->setEnabled(true);
    showOpening();
    for (int i = 1; i <= std::min(columnCount(), int(view_.columns.size())); ++i)
        columns_[size_t(i)].List5->setVisible(!view_.columns[i - 1].practice);
    Picture6->hide();
}

void seisekitime1::Option2_Click(int index) {
    Command17->hide();
    Picture11->hide();
    beginViewChange();
    // The activation chooses its view itself; the button only follows it.
    if (building_) return;
    const ListView view = ListView(std::clamp(option1Group->checkedId(), 1, 3));
    switch (index) {
    case 0:
        Option1[1]->setText(QStringLiteral("BEST表示"));
        Option1[2]->setText(QStringLiteral("本日のみ"));
        listMode_ = ListMode::Time;
        Option1_Click(int(view));
        break;
    case 1:
        Combo2->hide();
        Option1[1]->setText(QStringLiteral("合計累計"));
        Option1[2]->setText(QStringLiteral("合計本日"));
        Option1[3]->setText(QStringLiteral("すべて"));
        listMode_ = ListMode::Points;
        Option1_Click(int(view));
        break;
    default: {
        Command17->show();
        Combo2->hide();
        ListsView lists;
        lists.label5 = QStringLiteral("個人別ﾀｲﾑ");
        // An unreadable log has been told already: the lists stay empty.
        if (const auto lines = Picture11->Command16_Click(Combo1->currentText()))
            for (const QStringList& levelLines : *lines)
                lists.levels.push_back({levelLines});
        lists.levels.resize(columns_.size());
        showLists(lists);
        endViewChange();
        break;
    }
    }
}

void seisekitime1::Option1_Click(int index) {
    beginViewChange();
    Combo2->hide();
    if (listMode_ == ListMode::Time) {
        if (index == 1) Command6_Click();
        if (index == 2) Command5_Click();
    } else if (index == 1 || index == 2) {
        rankingOrder_ = index;
        showView(index == 1 ? ListView::Ranking : ListView::Today);
    }
    if (index == 3) Command7_Click();
    endViewChange();
}

void seisekitime1::Command5_Click() {
    showView(ListView::Today);
}

void seisekitime1::Command6_Click() {
    showView(ListView::Ranking);
}

void seisekitime1::Command7_Click() {
    showView(ListView::Period);
}

ListRequest seisekitime1::listRequest(ListView view) const {
    const Hensuu1& h = ctx_.hensuu1;
    const QDate today = ctx_.clock.now().date();
    ListRequest request;
    request.mode = listMode_;
    // In point mode the first two views are the rankings in the chosen order.
    request.view = listMode_ == ListMode::Points && view != ListView::Period
                       ? (rankingOrder_ == 2 ? ListView::Today : ListView::Ranking)
                       : view;
    request.period = h.resultPeriod;
    request.group = Combo1->currentText();
    request.pupil = h.currentPupil;
    request.today = today;
    request.schoolYear = CurrentSchoolYear(today, h.schoolYearStartMonth);
    return request;
}

bool seisekitime1::readRecords(qint64 count, QList<RecordNumbers>* records) {
    // Runs of the other machines since the activation appear in the run lists too.
    if (auto error = ReadLastRecords(ctx_.hensuu1.paths.resultsLogFile(), count, records,
                                     ctx_.coveredWait())) {
        ctx_.navigator.message(QStringLiteral("成績の読み込み"), LogUnreadableText(*error));
        records->clear();
        return false;
    }
    return true;
}

void seisekitime1::showView(ListView view) {
    const ListRequest request = listRequest(view);
    QList<RecordNumbers> records;
    if (const qint64 count = RecordsForView(request)) readRecords(count, &records);
    showLists(BuildListsView(request, ctx_.hensuu1.catalog, ctx_.criteria, ctx_.roster,
                             ctx_.results, records));
}

void seisekitime1::showLists(const ListsView& lists) {
    Label5->setText(lists.label5);
    for (int i = 1; i < int(columns_.size()); ++i) {
        const LevelList* list =
            size_t(i) < lists.levels.size() ? &lists.levels[size_t(i)] : nullptr;
        if (list && list->shown)
            fillList(i, list->lines, list->ownLine);
        else
            fillList(i, {}, -1);
    }
    成績リスト色表示(lists);
    // The period can be changed only where the lists show one.
    Combo2->setVisible(lists.periodChoice);
}

void seisekitime1::回数など表示() {
    for (size_t i = 1; i < columns_.size(); ++i) {
        columns_[i].Label9->setText(QStringLiteral("今日"));
        columns_[i].Label10->setText(QStringLiteral("今まで"));
        columns_[i].List5->clear();
    }
}

void seisekitime1::成績リスト色表示(const ListsView& lists) {
    for (int i = 1; i < int(columns_.size()) && size_t(i) < lists.levels.size(); ++i) {
        QListWidget* list = columns_[size_t(i)].List5;
        const ListColour colour = lists.levels[size_t(i)].colour;
        if (colour != ListColour::Unchanged) {
            QPalette p = list->palette();
            p.setColor(QPalette::Base,
                       colour == ListColour::WithinTarget ? Text4->palette().color(QPalette::Window)
                       : colour == ListColour::WithinPass ? Text5->palette().color(QPalette::Window)
                                                          : kSilver);
            list->setPalette(p);
        }
        list->setCurrentRow(-1);
    }
}

void seisekitime1::成績リスト色表示単独(int level) {
    columns_[size_t(level)].List5->setCurrentRow(-1);
}

void seisekitime1::Command8_Click() {
    Picture7->Command8_Click();
}

void seisekitime1::Command17_Click() {
    Picture11->Command17_Click();
}

QWidget* makeHubScreen(AppContext& ctx) {
    return new seisekitime1(ctx);
}
