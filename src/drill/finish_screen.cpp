#include "drill/finish_screen.h"

#include "drill/drill_engine.h"
#include "ui/screen_parts.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace baisuu {

FrmSyuuryou::FrmSyuuryou(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("終了"));
    setFixedSize(kWidth, kHeight);
    Label15 = Named(MakeLabel(this, {}, QRect(60, 30, 500, 50),
                              {.points = 24, .bold = true, .colour = kHeadingBlue}),
                    QStringLiteral("Label15"));
    Label16 = Named(MakeLabel(this, {}, QRect(60, 90, 480, 60),
                              {.points = 30, .bold = true, .colour = kHeadingBlue}),
                    QStringLiteral("Label16"));
    // The whole width for the longest name the roster holds (20 characters).
    Label17 = Named(MakeLabel(this, {}, QRect(60, 160, 900, 50), {.points = 26, .bold = true}),
                    QStringLiteral("Label17"));
    Label18 = Named(MakeLabel(this, {}, QRect(60, 240, 620, 70), {.points = 40, .bold = true}),
                    QStringLiteral("Label18"));
    Label19 = Named(MakeLabel(this, {}, QRect(60, 330, 900, 50), {.points = 24}),
                    QStringLiteral("Label19"));
    Label13 = Named(MakeLabel(this, {}, QRect(60, 390, 340, 40), {.points = 18}),
                    QStringLiteral("Label13"));
    Label14 = Named(MakeLabel(this, {}, QRect(400, 390, 300, 40), {.points = 18}),
                    QStringLiteral("Label14"));
    Label20 = Named(MakeLabel(this, {}, QRect(60, 450, 900, 80),
                              {.points = 40, .bold = true, .colour = QColor(0xD0, 0x10, 0x10)}),
                    QStringLiteral("Label20"));
    Label20->hide();
    // Beside the level's name, with room for "次のレベルへ進みましょう".
    Label2 = Named(MakeLabel(this, QStringLiteral("このレベルクリア"), QRect(550, 90, 460, 60),
                             {.points = 28, .bold = true, .colour = QColor(0x10, 0x70, 0x10)}),
                   QStringLiteral("Label2"));
    Label2->hide();

    // Over the buttons' place, which stays empty while the banner shows (Timer1
    // hides it as it shows them), so the time and the points stay readable.
    Picture1 = Named(new QFrame(this), QStringLiteral("Picture1"));
    Picture1->setGeometry(112, 536, 800, 180);
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setLineWidth(4);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setStyleSheet(
        QStringLiteral("QFrame#Picture1 { background: #FFF3B0; border: 4px solid #E08000; }"));
    Label1 = Named(MakeLabel(Picture1, QStringLiteral("目標レベルクリア。おめでとう！"),
                             QRect(0, 0, 800, 180),
                             {.points = 34,
                              .bold = true,
                              .align = Qt::AlignCenter,
                              .colour = QColor(0xC0, 0x40, 0x00)}),
                   QStringLiteral("Label1"));
    Picture1->hide();

    Command4 = Named(MakeButton(this, QStringLiteral("メニューへ"), QRect(230, 600, 260, 90), 20),
                     QStringLiteral("Command4"));
    Command5 = Named(MakeButton(this, QStringLiteral("もう一度"), QRect(534, 600, 260, 90), 20),
                     QStringLiteral("Command5"));
    recordAgain_ = Named(MakeButton(this, RecordAgainText(), QRect(534, 600, 260, 90), 20),
                         QStringLiteral("RecordAgain"));
    // Timer1 shows them, once the outcome has been seen.
    Command4->hide();
    Command5->hide();
    recordAgain_->hide();
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(recordAgain_, &QPushButton::clicked, this, [this] { recordAgainClicked(); });

    Timer1.setInterval(500);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

void FrmSyuuryou::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Form_Activate();
}

void PaintFinishBackground(QPainter& p, const QRect& rect) {
    // Our own background picture: a soft sky with a few bright circles.
    QLinearGradient sky(0, 0, 0, rect.height());
    sky.setColorAt(0, QColor(0xCF, 0xE8, 0xFF));
    sky.setColorAt(1, QColor(0xFF, 0xF8, 0xE0));
    p.fillRect(rect, sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const struct {
        int x, y, r;
        QColor c;
    } dots[] = {{920, 260, 60, QColor(255, 220, 120, 150)},
                {820, 520, 90, QColor(160, 220, 255, 120)},
                {960, 700, 50, QColor(255, 180, 200, 130)},
                {40, 700, 70, QColor(200, 255, 200, 120)}};
    for (const auto& d : dots) {
        p.setBrush(d.c);
        p.drawEllipse(QPoint(d.x, d.y), d.r, d.r);
    }
}

void FrmSyuuryou::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintFinishBackground(p, rect());
}

void FrmSyuuryou::Form_Activate() {
    if (activated_) return;
    activated_ = true;
    report_ = ctx_.drill.unrecorded ? UnrecordedFinish(ctx_) : PrepareFinish(ctx_);
    if (report_.error)
        ctx_.navigator.message(QStringLiteral("成績の読み込み"), LogUnreadableText(*report_.error));
    Label2->setVisible(report_.levelCleared);
    Picture1->setVisible(report_.goalBanner);
    Timer1.start();
    Label19->setText(report_.pointsText);
    Label18->setText(report_.timeText);
    Label17->setText(report_.pupilName);
    Label15->setText(report_.contentName);
    Label16->setText(report_.levelName);
    Label13->setText(report_.levelCountText);
    Label14->setText(report_.dayCountText);
    Label20->setText(report_.outcomeText);
    Label20->setVisible(!report_.outcomeText.isEmpty());
    PlayFinishCues(ctx_, report_);
}

void FrmSyuuryou::Timer1_Timer() {
    Picture1->hide();
    Command4->show();
    Command4->setFocus();
    Timer1.stop();
    const FinishButtons buttons = Timer1Buttons(ctx_, report_);
    switch (buttons.label2) {
    case FinishButtons::Label2::Keep:
        break;
    case FinishButtons::Label2::EmptyAndHide:
        Label2->clear();
        Label2->hide();
        break;
    case FinishButtons::Label2::MoveOn:
        Label2->setText(MoveOnText());
        break;
    }
    Command5->setVisible(buttons.retryShown);
    recordAgain_->setVisible(buttons.recordAgainShown);
}

void FrmSyuuryou::Command4_Click() {
    if (ctx_.drill.unrecorded) {
        if (!ctx_.navigator.ask(QStringLiteral("成績の記録"),
                                QStringLiteral("この回の成績はまだ記録されていません。"
                                               "記録しないでメニューへ戻りますか？"),
                                Question::YesNo))
            return;
        ctx_.drill.unrecorded.reset();
    }
    Command4->setEnabled(false);
    ctx_.navigator.show(Screen::Hub);
}

void FrmSyuuryou::recordAgainClicked() {
    if (!ctx_.drill.unrecorded) return;
    Command4->setEnabled(false);
    recordAgain_->setEnabled(false);
    if (RecordRun(ctx_, *ctx_.drill.unrecorded, ctx_.coveredWait())) {
        ctx_.navigator.show(Screen::Finish); // this run's finish screen, as after any run
        return;
    }
    Command4->setEnabled(true);
    recordAgain_->setEnabled(true);
}

void FrmSyuuryou::Command5_Click() {
    Command4->setEnabled(false);
    // A second click before this screen is gone would start the run twice.
    Command5->setEnabled(false);
    ctx_.navigator.show(Screen::Wait);
    StartRun(ctx_);
}

QWidget* MakeFinishScreen(AppContext& ctx) {
    return new FrmSyuuryou(ctx);
}

} // namespace baisuu
