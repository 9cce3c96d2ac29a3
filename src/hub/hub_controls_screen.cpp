// The hub's controls as they are built, and the columns placed for the scroll
// bar; what they show is the business of hub_screen.cpp.

#include "hub/chart_panel_screen.h"
#include "hub/data_change_panel_screen.h"
#include "hub/hub_screen.h"
#include "roster/grades.h"
#include "ui/look.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace baisuu {

namespace {

// The column area: four columns of 3456 twips (921.6 px) when the strip
// scrolls, up to 14592 twips (972.8 px) when every column is in view.
constexpr int kAreaLeft = 24;
constexpr int kAreaTop = 158;
constexpr int kAreaHeight = 586;
constexpr int kScrollTop = 748;

int pixels(double twips) {
    return qRound(twips / kTwipsPerPixel);
}

QLabel* swatch(QWidget* parent, const QRect& geometry, const QColor& colour) {
    QLabel* l = MakeLabel(parent, {}, geometry);
    FillBackground(l, colour);
    l->setFrameShape(QFrame::Box);
    return l;
}

} // namespace

void seisekitime1::buildHeader() {
    Label11 = Named(MakeLabel(this, {}, QRect(16, 6, 250, 52),
                              {24, true, Qt::AlignLeft | Qt::AlignVCenter, kHeadingBlue}),
                    QStringLiteral("Label11"));
    // Room for the longest name the roster holds (20 characters) and the grade.
    Label12 =
        Named(MakeLabel(this, {}, QRect(276, 6, 444, 30), {14, true}), QStringLiteral("Label12"));
    Label13 = Named(MakeLabel(this, {}, QRect(276, 36, 444, 22), {11}), QStringLiteral("Label13"));
    Label17 = Named(MakeLabel(this, {}, QRect(724, 6, 170, 24), {12}), QStringLiteral("Label17"));
    Label18 = Named(MakeLabel(this, {}, QRect(724, 32, 170, 24), {12}), QStringLiteral("Label18"));
    Command1 = Named(MakeButton(this, QStringLiteral("戻る(0)"), QRect(900, 8, 110, 48), 14),
                     QStringLiteral("Command1"));
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Combo1 =
        MakeControl<QComboBox>(this, QStringLiteral("Combo1"), QRect(16, 66, 150, 32), FontOf(12));
    Combo1->addItems(SelectionGroupTexts());
    Combo1->setCurrentIndex(std::max(0, Combo1->findText(ctx_.hensuu1.selectedGroup)));
    Combo1->setToolTip(QStringLiteral("表示する学年を選びます"));
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });

    Command8 = Named(MakeButton(this, QStringLiteral("データ処理"), QRect(786, 64, 112, 36), 12),
                     QStringLiteral("Command8"));
    Command17 = Named(MakeButton(this, QStringLiteral("グラフ"), QRect(906, 64, 104, 36), 12),
                      QStringLiteral("Command17"));
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command17, &QPushButton::clicked, this, [this] { Command17_Click(); });
    Command8->hide();
    Command17->hide();
    practice_ = Named(MakeButton(this, QStringLiteral("苦手練習(N)"), QRect(786, 64, 112, 36), 11),
                      QStringLiteral("practice"));
    connect(practice_, &QPushButton::clicked, this, [this] { practiceClicked(); });
    practice_->hide();

    Label5 = Named(MakeLabel(this, {}, QRect(16, 106, 300, 26),
                             {12, true, Qt::AlignLeft | Qt::AlignVCenter, kHeadingBlue}),
                   QStringLiteral("Label5"));
    Combo2 = MakeControl<QComboBox>(this, QStringLiteral("Combo2"), QRect(320, 105, 230, 28),
                                    FontOf(11));
    Combo2->addItems({QStringLiteral("　　　今週の全成績"), QStringLiteral("　　先週からの全成績"),
                      QStringLiteral("　　１ヶ月間の全成績"), QStringLiteral("　　１年間の全成績"),
                      QStringLiteral("　　今までの全成績\"")});
    Combo2->setCurrentIndex(2);
    connect(Combo2, &QComboBox::activated, this, [this](int index) { Combo2_Click(index); });
    Label6 = Named(MakeLabel(this, QStringLiteral("GRPH+A,B,C,D..でも選択できます。"),
                             QRect(560, 106, 300, 26), {10}),
                   QStringLiteral("Label6"));
    Text4 = Named(swatch(this, QRect(880, 108, 56, 22), kWithinTarget), QStringLiteral("Text4"));
    Text5 = Named(swatch(this, QRect(944, 108, 56, 22), kWithinPass), QStringLiteral("Text5"));
}

void seisekitime1::buildOptions() {
    Picture1 = Named(MakePanel(this, QRect(176, 60, 600, 42), QColor(0xF4, 0xF4, 0xEE), true),
                     QStringLiteral("Picture1"));
    option2Group = new QButtonGroup(this);
    option1Group = new QButtonGroup(this);
    const char16_t* const modes[] = {u"ﾀｲﾑ表示", u"ﾎﾟｲﾝﾄ表示", u"個人ﾀｲﾑ"};
    for (int m = 0; m <= 2; ++m) {
        auto* o = new QRadioButton(QString::fromUtf16(modes[m]), Picture1);
        o->setGeometry(8 + m * 94, 7, 92, 28);
        o->setFont(FontOf(11));
        o->setObjectName(QStringLiteral("Option2_%1").arg(m));
        option2Group->addButton(o, m);
        Option2[m] = o;
    }
    for (int v = 1; v <= 3; ++v) {
        auto* o = new QRadioButton(Picture1);
        o->setGeometry(300 + (v - 1) * 98, 7, 96, 28);
        o->setFont(FontOf(11));
        o->setObjectName(QStringLiteral("Option1_%1").arg(v));
        option1Group->addButton(o, v);
        Option1[v] = o;
    }
    showViewCaptions(ViewCaptions::Built);
    connect(option2Group, &QButtonGroup::idClicked, this, [this](int m) { Option2_Click(m); });
    connect(option1Group, &QButtonGroup::idClicked, this, [this](int v) { Option1_Click(v); });
}

void seisekitime1::buildColumns() {
    const int n = ctx_.hensuu1.catalog.levelCount;
    const int width = pixels(layout_.width);
    columnArea = new QWidget(this);
    columnArea->setGeometry(kAreaLeft, kAreaTop, pixels(double(layout_.width) * std::min(n, 4)),
                            kAreaHeight);
    columnArea->setObjectName(QStringLiteral("columnArea"));
    columns_.reserve(size_t(n) + 1);
    for (int level = 0; level <= n; ++level) {
        LevelColumn c = MakeLevelColumn(columnArea, level, width, kAreaHeight);
        connect(c.Label3, &ClickableLabel::clicked, this, [this, level] { Label3_Click(level); });
        connect(c.Command4, &QPushButton::clicked, this, [this, level] { Command4_Click(level); });
        columns_.push_back(c);
    }
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
    const QColor season = ColourOfBgr(ctx_.hensuu1.seasonColor);
    Picture6 = MakePanel(this, QRect(0, kAreaTop, kWidth, kAreaHeight), season);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    MakeLabel(Picture6, QStringLiteral("Just a momento, please."),
              QRect(0, kAreaHeight / 2 - 60, kWidth, 60), {24, false, Qt::AlignCenter});
    ProgressBar2 = new QProgressBar(Picture6);
    ProgressBar2->setGeometry(312, kAreaHeight / 2 + 10, 400, 20);
    ProgressBar2->setTextVisible(false);

    Picture2 = MakePanel(this, QRect(0, 0, kWidth, kHeight), season);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    MakeLabel(Picture2, QStringLiteral("Just a moment, please."), QRect(0, 300, kWidth, 80),
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

void seisekitime1::placeColumns() {
    const int width = pixels(layout_.width);
    for (int i = 1; i <= columnCount(); ++i) {
        const int left = ColumnLeft(i, ctx_.hensuu1.firstColumn, layout_);
        columns_[size_t(i)].place->move(left < 0 ? -2 * width : pixels(left), 0);
    }
}

} // namespace baisuu
