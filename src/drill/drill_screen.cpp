#include "drill/drill_screen.h"

#include "ui/screen_parts.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace baisuu {

namespace {

// The time bar's frame on the status strip; its parts start at its left end.
constexpr int kBarLeft = 110;
constexpr int kBarTop = 112;
constexpr int kBarHeight = 30;

// The drill's texts are black on its own white and pale blue.
const QColor kInk = Qt::black;

void setWidth(QWidget* w, int width) {
    // A zero-wide shape shows nothing; Qt would still draw one pixel of frame.
    w->setVisible(width > 0);
    w->resize(width, w->height());
}

} // namespace

MainFrm::MainFrm(AppContext& ctx, QWidget* parent, Defer defer)
    : QWidget(parent), ctx_(ctx),
      practice_(ctx.drill.practice
                    ? std::make_unique<PracticeProblemSource>(problems_, ctx.drill.practice->before)
                    : nullptr),
      engine_(ctx, practice_ ? static_cast<const ProblemSource&>(*practice_) : problems_, *this,
              std::move(defer)) {
    setWindowTitle(QStringLiteral("Tallmer"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    FillBackground(this, Qt::white);
    buildStatusStrip();
    buildProblemArea();
    buildOverlay();
    for (int i = 0; i < 6; ++i)
        sLabel16[i]->setObjectName(QStringLiteral("sLabel16_%1").arg(i));
    for (int i = 0; i < 3; ++i)
        sLabel17[i]->setObjectName(QStringLiteral("sLabel17_%1").arg(i));
    // The keys answer whichever control has the focus, and no other key reaches a control.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    sTimer1.setInterval(1000);
    connect(&sTimer1, &QTimer::timeout, this, [this] { engine_.sTimer1_Timer(); });
    sTimer2.setInterval(10000);
    connect(&sTimer2, &QTimer::timeout, this, [this] { engine_.sTimer2_Timer(); });
    sTimer2.start();
}

MainFrm::~MainFrm() = default;

void MainFrm::buildStatusStrip() {
    sPicture1 = Named(MakePanel(this, QRect(0, 0, kWidth, 200), QColor(0xDD, 0xEB, 0xF7)),
                      QStringLiteral("sPicture1"));
    QWidget* s = sPicture1;
    const TextStyle big{.points = 16, .bold = true, .colour = kInk};
    const TextStyle caption{.points = 14, .colour = kInk};
    const TextStyle count{.points = 12, .bold = true, .align = Qt::AlignCenter, .colour = kInk};
    const TextStyle figure{.points = 26, .bold = true, .align = Qt::AlignCenter, .colour = kInk};
    // The strip's labels: member, name, fixed text, place, style.
    const struct {
        QLabel* MainFrm::*label;
        const char* name;
        const char16_t* text;
        QRect place;
        TextStyle style;
    } labels[] = {
        {&MainFrm::sLabel2, "sLabel2", u"", {8, 6, 200, 36}, {16.8, true, big.align, kInk}},
        {&MainFrm::sLabel3, "sLabel3", u"レベル", {215, 10, 60, 30}, {12, false, big.align, kInk}},
        {&MainFrm::sLabel8, "sLabel8", u"", {275, 6, 170, 36}, big},
        // Room for the longest name the roster holds (20 characters).
        {&MainFrm::sLabel7, "sLabel7", u"", {450, 6, 440, 36}, big},
        {&MainFrm::sLabel4, "sLabel4", u"残り", {8, 56, 48, 32}, caption},
        {&MainFrm::sLabel9, "sLabel9", u"", {56, 46, 70, 50}, figure},
        {&MainFrm::sLabel6, "sLabel6", u"問", {126, 56, 30, 32}, caption},
        {&MainFrm::sLabel5, "sLabel5", u"タイム", {170, 56, 70, 32}, caption},
        {&MainFrm::sLabel10,
         "sLabel10",
         u"",
         {240, 46, 90, 50},
         {26, true, Qt::AlignRight | Qt::AlignVCenter, kInk}},
        {&MainFrm::sLabel13, "sLabel13", u"", {400, 58, 42, 30}, count},
        {&MainFrm::sLabel12, "sLabel12", u"", {529, 58, 42, 30}, count},
        {&MainFrm::sLabel11, "sLabel11", u"", {715, 58, 42, 30}, count},
        {&MainFrm::sLabel14,
         "sLabel14",
         u"",
         {800, 58, 216, 30},
         {12, false, Qt::AlignRight | Qt::AlignVCenter, kInk}},
    };
    for (const auto& row : labels)
        this->*row.label = Named(MakeLabel(s, QString::fromUtf16(row.text), row.place, row.style),
                                 QLatin1String(row.name));
    sLabel9->setStyleSheet(QStringLiteral("color: #C00000"));

    const char16_t* const fixed[] = {u"起動後", u"分", u"本日", u"回目", u"このレベル", u"回目"};
    const QRect fixedAt[] = {{340, 58, 60, 30}, {442, 58, 24, 30}, {485, 58, 44, 30},
                             {571, 58, 40, 30}, {625, 58, 90, 30}, {757, 58, 40, 30}};
    for (int i = 0; i < 6; ++i)
        sLabel16[i] =
            MakeLabel(s, QString::fromUtf16(fixed[i]), fixedAt[i], {.points = 12, .colour = kInk});
    buildTimeBar();
}

void MainFrm::buildTimeBar() {
    QWidget* s = sPicture1;
    sShape5 = MakePanel(s, QRect(kBarLeft, kBarTop, kTimeBarWidth, kBarHeight), Qt::white, true);
    sShape4 = MakePanel(s, QRect(kBarLeft, kBarTop, 0, kBarHeight), QColor(0xFF, 0xE6, 0x80));
    sShape3 = MakePanel(s, QRect(kBarLeft, kBarTop, 0, kBarHeight), QColor(0x90, 0xD8, 0x90));
    sShape2 = Named(
        MakePanel(s, QRect(kBarLeft, kBarTop + 8, 0, kBarHeight - 16), QColor(0x20, 0x50, 0xC0)),
        QStringLiteral("sShape2"));
    sShape7 = MakePanel(s, QRect(kBarLeft, kBarTop, 0, kBarHeight), QColor(0xE0, 0x40, 0x40));
    sShape8 = MakePanel(s, QRect(kBarLeft + kTimeBarWidth - 1, kBarTop - 6, 2, kBarHeight + 12),
                        Qt::black);
    const char16_t* const marks[] = {u"YourBest", u"Best", u"Pass"};
    const QRect markAt[] = {
        {kBarLeft, 146, 90, 24}, {kBarLeft + 100, 146, 60, 24}, {kBarLeft + 170, 146, 60, 24}};
    const char* const markColour[] = {"#C03030", "#207020", "#A07000"};
    for (int i = 0; i < 3; ++i) {
        sLabel17[i] = MakeLabel(s, QString::fromUtf16(marks[i]), markAt[i],
                                {.points = 11, .bold = true, .colour = kInk});
        sLabel17[i]->setStyleSheet(QStringLiteral("color: %1").arg(QLatin1String(markColour[i])));
    }

    // Three rows of ten lamps; only the last row goes out during a run.
    const QColor rowColour[] = {QColor(0x40, 0x80, 0xE0), QColor(0xF0, 0xC0, 0x20),
                                QColor(0xE0, 0x30, 0x30)};
    for (int lamp = kFirstLamp; lamp <= kLastLamp; ++lamp) {
        const int row = lamp / 10 - 1;
        const int column = lamp % 10;
        sPicture3[lamp] =
            MakePanel(s, QRect(734 + column * 28, 104 + row * 28, 24, 22), rowColour[row], true);
    }
}

void MainFrm::buildProblemArea() {
    Picture2 = Named(MakePanel(this, QRect(0, 200, kWidth, kHeight - 200), Qt::white),
                     QStringLiteral("Picture2"));
    Label2 =
        Named(MakeLabel(Picture2, QStringLiteral("偶数か奇数か"), QRect(0, 14, kWidth, 60),
                        {.points = 30, .bold = true, .align = Qt::AlignCenter, .colour = kInk}),
              QStringLiteral("Label2"));
    Label1 =
        Named(MakeLabel(Picture2, {}, QRect(0, 70, kWidth, 330),
                        {.points = 200, .bold = true, .align = Qt::AlignCenter, .colour = kInk}),
              QStringLiteral("Label1"));
    for (int i = 1; i <= 2; ++i) {
        QPushButton* b = MakeButton(Picture2, {}, QRect(i == 1 ? 170 : 554, 420, 300, 90), 18);
        b->setObjectName(QStringLiteral("Command2_%1").arg(i));
        // A button with the focus would answer again to Space, and Tab would bring
        // the focus to the other one: the answers come by click and by key only.
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, i] { engine_.Command2_Click(i); });
        Command2[i] = b;
    }
}

void MainFrm::buildOverlay() {
    // Covers the whole number, so the closing word stands alone.
    sPicture2 = Named(MakePanel(this, QRect(112, 260, 800, 350), QColor(0xFF, 0xFA, 0xD0), true),
                      QStringLiteral("sPicture2"));
    sPicture2->setFrameShape(QFrame::Box);
    sPicture2->setLineWidth(3);
    lblsss1 =
        Named(MakeLabel(sPicture2, QStringLiteral("成績記録中"), QRect(0, 0, 800, 350),
                        {.points = 40, .bold = true, .align = Qt::AlignCenter, .colour = kInk}),
              QStringLiteral("lblsss1"));
    lblsss2 =
        Named(MakeLabel(sPicture2, QStringLiteral("時間切れ"), QRect(0, 0, 800, 350),
                        {.points = 40, .bold = true, .align = Qt::AlignCenter, .colour = kInk}),
              QStringLiteral("lblsss2"));
    lblsss2->setStyleSheet(QStringLiteral("color: #C00000"));
    sPicture2->hide();
}

void MainFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Form_Activate();
}

void MainFrm::Form_Activate() {
    if (activated_) return;
    activated_ = true;
    setFocus();
    engine_.Form_Activate();
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    // Every other key, Space, Enter and Tab among them, is swallowed here, before
    // a button could be pressed by it or the focus moved.
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text == QStringLiteral("1") || text == QStringLiteral("3"))
        engine_.Form_KeyPress(text.at(0).unicode());
    return true;
}

void MainFrm::problemChanged() {
    const Problem& p = engine_.problem();
    Label1->setText(QString::number(p.number));
    Label2->setText(p.question);
    Command2[1]->setText(p.firstAnswer);
    Command2[2]->setText(p.secondAnswer);
}

void MainFrm::statusChanged() {
    sLabel2->setFont(FontOf(engine_.contentNamePointSize(), true));
    sLabel2->setText(engine_.contentNameText());
    sLabel8->setText(engine_.levelNameText());
    sLabel7->setText(engine_.pupilNameText());
    sLabel14->setText(engine_.siteNameText());
    sLabel9->setText(engine_.remainingText());
    sLabel10->setText(engine_.elapsedText());
    sLabel13->setText(engine_.minutesText());
    sLabel12->setText(engine_.todayTotalText());
    sLabel11->setText(engine_.todayLevelText());
    const TimeBar& bar = engine_.timeBar();
    setWidth(sShape3, bar.target);
    setWidth(sShape4, bar.pass);
    setWidth(sShape2, bar.elapsed);
    setWidth(sShape7, 0);
    for (int lamp = kFirstLamp; lamp <= kLastLamp; ++lamp)
        sPicture3[lamp]->setVisible(engine_.lampVisible(lamp));
}

void MainFrm::overlayShown() {
    const bool timeUp = ctx_.drill.timeUp;
    lblsss1->setVisible(!timeUp);
    lblsss2->setVisible(timeUp);
    QLabel* shown = timeUp ? lblsss2 : lblsss1;
    const QString note = engine_.overlayNoteText();
    shown->setText(note.isEmpty() ? engine_.overlayText()
                                  : QStringLiteral("%1<br><span style=\"font-size:16pt\">%2</span>")
                                        .arg(engine_.overlayText(), note.toHtmlEscaped()));
    sPicture2->raise();
    sPicture2->show();
    // Recording may wait for another machine's lock; the pupil sees why at once.
    if (isVisible()) repaint();
}

void MainFrm::runClockChanged(bool on) {
    if (on)
        sTimer1.start();
    else
        sTimer1.stop();
}

QWidget* MakeDrillScreen(AppContext& ctx) {
    return new MainFrm(ctx);
}

} // namespace baisuu
