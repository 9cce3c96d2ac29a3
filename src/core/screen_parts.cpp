#include "core/screen_parts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

QString screenFontFamily() {
    static const QString family = [] {
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        // The proportional face of the font the program installs reads best on
        // labels; the list font (fixedPitchFont) picks its fixed-pitch twin.
        for (const QString& preferred : {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")})
            if (japanese.contains(preferred)) return preferred;
        return japanese.value(0);
    }();
    return family;
}

void useScreenFontEverywhere() {
    if (screenFontFamily().isEmpty()) return;
    QFont font = QApplication::font();
    font.setFamily(screenFontFamily());
    QApplication::setFont(font);
}

QFont fontOf(double points, bool bold) {
    QFont font;
    if (!screenFontFamily().isEmpty()) font.setFamily(screenFontFamily());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont fixedPitchFont(double points) {
    static const QString family = [] {
        QFont font = fontOf(20);
        for (const QString& candidate : QFontDatabase::families(QFontDatabase::Japanese)) {
            font.setFamily(candidate);
            const QFontMetricsF fm(font);
            const qreal half = fm.horizontalAdvance(QLatin1Char('0'));
            if (half > 0 && fm.horizontalAdvance(QLatin1Char(' ')) == half &&
                fm.horizontalAdvance(QChar(0x3042)) == 2 * half && // あ
                fm.horizontalAdvance(QChar(0x25CF)) == 2 * half)   // ●
                return candidate;
        }
        return QString();
    }();
    QFont font = fontOf(points);
    if (family.isEmpty())
        font.setStyleHint(QFont::TypeWriter);
    else
        font.setFamily(family);
    font.setFixedPitch(true);
    return font;
}

QFont pageFont(double units, bool bold) {
    QFont f = fixedPitchFont(10);
    f.setPixelSize(std::max(1, qRound(units)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
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

QColor colourOfBgr(qint32 bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
