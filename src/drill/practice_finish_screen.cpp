#include "drill/practice_finish_screen.h"

#include "drill/finish_screen.h"
#include "ui/screen_parts.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

namespace baisuu {

namespace {

const QColor kGraduatedInk(0x10, 0x70, 0x10);
const QColor kWeakInk(0xB0, 0x30, 0x30);

// A name too long for its place (a number of level 11 carries its grid's
// name) is written smaller, never cut.
void shrinkToFit(QLabel* label, const QString& text, double minimumPoints) {
    label->setText(text);
    QFont font = label->font();
    while (QFontMetrics(font).horizontalAdvance(text) > label->contentsRect().width() &&
           font.pointSizeF() > minimumPoints) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    label->setFont(font);
}

// A number answered more often than its line holds shows its last answers,
// after "…".
QString answersThatFit(const QLabel* label, QStringList parts) {
    const QFontMetrics metrics(label->font());
    QString text = parts.join(QLatin1Char(' '));
    while (parts.size() > 1 && metrics.horizontalAdvance(text) > label->contentsRect().width()) {
        parts.removeFirst();
        text = QStringLiteral("…") + parts.join(QLatin1Char(' '));
    }
    return text;
}

} // namespace

PracticeFinishScreen::PracticeFinishScreen(AppContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("苦手練習"));
    setFixedSize(kWidth, kHeight);
    const TextStyle heading{.points = 26, .bold = true, .colour = kHeadingBlue};
    MakeLabel(this, QStringLiteral("苦手練習"), QRect(60, 20, 200, 56), heading)
        ->setObjectName(QStringLiteral("Title"));
    levelName_ = Named(MakeLabel(this, {}, QRect(270, 20, 460, 56), heading),
                       QStringLiteral("LevelName"));
    // The whole width for the longest name the roster holds (20 characters).
    pupilName_ = Named(MakeLabel(this, {}, QRect(60, 82, 900, 46), {.points = 22, .bold = true}),
                       QStringLiteral("PupilName"));
    timeText_ = Named(MakeLabel(this, {}, QRect(60, 140, 520, 64), {.points = 32, .bold = true}),
                      QStringLiteral("TimeText"));
    graduated_ = Named(MakeLabel(this, {}, QRect(600, 126, 400, 80),
                                 {.points = 44, .bold = true, .colour = kGraduatedInk}),
                       QStringLiteral("Graduated"));
    remaining_ = Named(MakeLabel(this, {}, QRect(600, 206, 400, 40), {.points = 20}),
                       QStringLiteral("Remaining"));
    buildTable();
    more_ = Named(MakeLabel(this, {}, QRect(60, 604, 400, 32), {.points = 14}),
                  QStringLiteral("More"));
    menu_ = Named(MakeButton(this, QStringLiteral("メニューへ"), QRect(230, 650, 260, 90), 20),
                  QStringLiteral("Menu"));
    again_ = Named(MakeButton(this, QStringLiteral("もう一度練習"), QRect(534, 650, 260, 90), 20),
                   QStringLiteral("PracticeAgain"));
    connect(menu_, &QPushButton::clicked, this, [this] { menuClicked(); });
    connect(again_, &QPushButton::clicked, this, [this] { againClicked(); });
    showReport();
}

void PracticeFinishScreen::buildTable() {
    MakePanel(this, QRect(30, 256, 964, 340), QColor(255, 255, 255, 200), true);
    for (int i = 0; i < kRows; ++i) {
        const int x = 44 + (i / kRowsPerColumn) * 480, y = 266 + (i % kRowsPerColumn) * 40;
        const QString n = QString::number(i);
        rowName_[i] = Named(MakeLabel(this, {}, QRect(x, y, 120, 36), {.points = 15, .bold = true}),
                            QStringLiteral("RowName_") + n);
        rowAnswers_[i] =
            Named(MakeLabel(this, {}, QRect(x + 124, y, 280, 36), {.points = 14}),
                  QStringLiteral("RowAnswers_") + n);
        rowState_[i] = Named(MakeLabel(this, {}, QRect(x + 404, y + 3, 56, 30),
                                       {.points = 14, .bold = true, .align = Qt::AlignCenter}),
                             QStringLiteral("RowState_") + n);
    }
}

void PracticeFinishScreen::showReport() {
    report_ = PreparePracticeFinish(ctx_);
    levelName_->setText(report_.levelName);
    pupilName_->setText(report_.pupilName);
    timeText_->setText(report_.timeText);
    if (ctx_.drill.timeUp) timeText_->setStyleSheet(QStringLiteral("color: #D01010;"));
    graduated_->setText(report_.graduatedText);
    remaining_->setText(report_.remainingText);
    for (int i = 0; i < kRows; ++i) {
        const bool shown = i < report_.numbers.size();
        for (QLabel* l : {rowName_[i], rowAnswers_[i], rowState_[i]})
            l->setVisible(shown);
        if (!shown) continue;
        const PracticedNumber& n = report_.numbers[i];
        shrinkToFit(rowName_[i], n.name, 8);
        QStringList answers;
        for (const RecentAnswer& a : n.answers)
            answers << PracticeAnswerText(a);
        rowAnswers_[i]->setText(answersThatFit(rowAnswers_[i], answers));
        // A number that left the weak set stands out; one still weak is only named so.
        rowState_[i]->setText(n.graduated ? QStringLiteral("卒業")
                              : n.weakNow ? QStringLiteral("苦手")
                                          : QString());
        rowState_[i]->setStyleSheet(n.graduated
                                        ? QStringLiteral("background: #FFD84D; color: #106010;")
                                        : QStringLiteral("color: %1;").arg(kWeakInk.name()));
    }
    const qsizetype beyond = report_.numbers.size() - kRows;
    more_->setText(beyond > 0 ? QStringLiteral("ほか %1個").arg(beyond) : QString());
    // Nothing is left to practise on this level once the weak set is empty.
    again_->setEnabled(report_.remaining > 0);
}

void PracticeFinishScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    menu_->setFocus(); // Enter goes back to the hub, as on the finish screen
}

void PracticeFinishScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintFinishBackground(p, rect());
}

void PracticeFinishScreen::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && menu_->isEnabled()) {
        menuClicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PracticeFinishScreen::menuClicked() {
    menu_->setEnabled(false);
    again_->setEnabled(false);
    ctx_.navigator.show(Screen::Hub);
}

void PracticeFinishScreen::againClicked() {
    // A second click before this screen is gone would start the run twice.
    menu_->setEnabled(false);
    again_->setEnabled(false);
    ctx_.navigator.show(Screen::Wait);
    // A refusal was told in a box; the pupil goes on from the hub.
    if (!StartPractice(ctx_, ctx_.hensuu1.currentLevel)) ctx_.navigator.show(Screen::Hub);
}

QWidget* MakePracticeFinishScreen(AppContext& ctx) {
    return new PracticeFinishScreen(ctx);
}

} // namespace baisuu
