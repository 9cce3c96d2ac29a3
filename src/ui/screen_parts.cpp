#include "ui/screen_parts.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace baisuu {

void UseScreenFontEverywhere() {
    if (ScreenFontFamily().isEmpty()) return;
    QFont font = QApplication::font();
    font.setFamily(ScreenFontFamily());
    QApplication::setFont(font);
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
    auto* b = new QPushButton(text, parent);
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
