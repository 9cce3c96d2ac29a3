#include "ui/screen_parts.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionFrame>

#include <algorithm>

namespace baisuu {

void UseScreenFontEverywhere() {
    if (ScreenFontFamily().isEmpty()) return;
    QFont font = QApplication::font();
    font.setFamily(ScreenFontFamily());
    QApplication::setFont(font);
}

void FillFrameLines(QPainter& painter, const QRect& rect, const QColor& colour, int lineWidth) {
    const int w = std::min({lineWidth, rect.width() / 2, rect.height() / 2});
    if (w <= 0) return;
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), w), colour);
    painter.fillRect(QRect(rect.left(), rect.bottom() - w + 1, rect.width(), w), colour);
    painter.fillRect(QRect(rect.left(), rect.top() + w, w, rect.height() - 2 * w), colour);
    painter.fillRect(QRect(rect.right() - w + 1, rect.top() + w, w, rect.height() - 2 * w), colour);
}

namespace {

// The platform's style, but plain box frames as filled bands (FillFrameLines).
class WholeFramesStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        if (element == CE_ShapedFrame && frame && frame->frameShape == QFrame::Box &&
            !(option->state & (State_Sunken | State_Raised))) {
            FillFrameLines(*painter, option->rect, option->palette.windowText().color(),
                           frame->lineWidth);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

// A screen's button: Enter clicks it as Space does (a push button outside a
// dialog takes only Space), and a ring inside its edge shows the focus, which
// the platform's style marks too faintly to see across a classroom.
class StageButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            !event->isAutoRepeat()) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (!hasFocus()) return;
        QPainter painter(this);
        FillFrameLines(painter, rect().adjusted(2, 2, -2, -2), kFocusRing, 3);
    }
};

} // namespace

void DrawFramesWholeEverywhere() {
    if (dynamic_cast<WholeFramesStyle*>(QApplication::style())) return;
    QApplication::setStyle(new WholeFramesStyle(QApplication::style()->name()));
}

namespace {
void styleLabel(QLabel* l, const QRect& geometry, const TextStyle& style) {
    l->setGeometry(geometry);
    l->setFont(FontOf(style.points, style.bold));
    l->setAlignment(style.align);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, style.colour);
    l->setPalette(p);
}
} // namespace

QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& geometry,
                  const TextStyle& style) {
    auto* l = new QLabel(text, parent);
    styleLabel(l, geometry, style);
    return l;
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    event->setAccepted(event->button() == Qt::LeftButton);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (rect().contains(event->position().toPoint())) Q_EMIT clicked();
}

ClickableLabel* MakeClickableLabel(QWidget* parent, const QString& text, const QRect& geometry,
                                   const TextStyle& style) {
    auto* l = new ClickableLabel(text, parent);
    styleLabel(l, geometry, style);
    return l;
}

QPushButton* MakeButton(QWidget* parent, const QString& text, const QRect& geometry,
                        double points) {
    auto* b = new StageButton(text, parent);
    b->setGeometry(geometry);
    b->setFont(FontOf(points, true));
    return b;
}

QFrame* MakePanel(QWidget* parent, const QRect& geometry, const QColor& fill, bool bordered) {
    auto* f = new QFrame(parent);
    f->setGeometry(geometry);
    FillBackground(f, fill);
    if (bordered) {
        f->setFrameShape(QFrame::Box);
        f->setLineWidth(1);
    }
    return f;
}

void FillBackground(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

QFrame* MakeTeacherWaitPanel(QWidget* parent, const QColor& fill, QLabel*& caption) {
    QFrame* panel = MakePanel(parent, QRect(0, 0, 1024, 768), fill);
    caption = MakeLabel(panel, QStringLiteral("Just a moment,please."), QRect(0, 330, 1024, 80),
                        {28, false, Qt::AlignCenter});
    return panel;
}

} // namespace baisuu
