#include "ui/screen_parts.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

void useScreenFontEverywhere() {
    if (screenFontFamily().isEmpty()) return;
    QFont font = QApplication::font();
    font.setFamily(screenFontFamily());
    QApplication::setFont(font);
}

namespace {
void styleLabel(QLabel* l, const QRect& geometry, const TextStyle& style) {
    l->setGeometry(geometry);
    l->setFont(fontOf(style.points, style.bold));
    l->setAlignment(style.align);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, style.colour);
    l->setPalette(p);
}
} // namespace

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry,
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

ClickableLabel* makeClickableLabel(QWidget* parent, const QString& text, const QRect& geometry,
                                   const TextStyle& style) {
    auto* l = new ClickableLabel(text, parent);
    styleLabel(l, geometry, style);
    return l;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& geometry,
                        double points) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(geometry);
    b->setFont(fontOf(points, true));
    return b;
}

QFrame* makePanel(QWidget* parent, const QRect& geometry, const QColor& fill, bool bordered) {
    auto* f = new QFrame(parent);
    f->setGeometry(geometry);
    fillBackground(f, fill);
    if (bordered) {
        f->setFrameShape(QFrame::Box);
        f->setLineWidth(1);
    }
    return f;
}

void fillBackground(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

QFrame* makeTeacherWaitPanel(QWidget* parent, const QColor& fill, QLabel*& caption) {
    QFrame* panel = makePanel(parent, QRect(0, 0, 1024, 768), fill);
    caption = makeLabel(panel, QStringLiteral("Just a moment,please."), QRect(0, 330, 1024, 80),
                        {28, false, Qt::AlignCenter});
    return panel;
}
