#include "core/screen_parts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

QFont fontOf(double points, bool bold) {
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry,
                  const TextStyle& style) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    l->setFont(fontOf(style.points, style.bold));
    l->setAlignment(style.align);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, style.colour);
    l->setPalette(p);
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

QColor colourOfBgr(qint32 bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
