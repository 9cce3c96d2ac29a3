#pragma once
// The building blocks every screen is made of, placed in pixels of the
// 1024 × 768 stage: labels with their font, filled panels and shapes, buttons,
// and a widget's background colour. One set, so the screens look alike.

#include "ui/look.h"

#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <utility>

class QFrame;
class QPainter;
class QPushButton;

namespace baisuu {

struct TextStyle {
    double points = 12;
    bool bold = false;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    QColor colour = QColor(0x20, 0x20, 0x20);
};

// Makes that family the font of every control that names none (lists, combo
// and text boxes, message boxes), at the size it had.
void UseScreenFontEverywhere();
// Makes every plain box frame (QFrame::Box) draw its lines as filled bands, so
// that a line of one pixel shows at every scale of the stage.
void DrawFramesWholeEverywhere();
// The frame of lineWidth inside rect as four filled bands. A line stroked on
// the edge, as Qt draws one, lies half outside a control: at a scale that is
// no whole number the half inside may cover no pixel and the line is gone.
void FillFrameLines(QPainter& painter, const QRect& rect, const QColor& colour, int lineWidth);
// A label at geometry in the style.
QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& geometry,
                  const TextStyle& style = {});
// A label that takes clicks. Inside the stage a plain label lets the press
// pass, so the scene never gives it the release; this one takes the press and
// reports a click when the button is released over it.
class ClickableLabel final : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  Q_SIGNALS:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
ClickableLabel* MakeClickableLabel(QWidget* parent, const QString& text, const QRect& geometry,
                                   const TextStyle& style = {});
// A push button at geometry, its caption in points (bold). Enter clicks it
// when it has the focus, as Space does, and the focus shows as a ring.
QPushButton* MakeButton(QWidget* parent, const QString& text, const QRect& geometry,
                        double points = 14);
// A filled rectangle, with a thin frame when bordered (panels, bars, lamps).
QFrame* MakePanel(QWidget* parent, const QRect& geometry, const QColor& fill,
                  bool bordered = false);
// The teacher's screens' cover while they read or write the log: the whole
// screen in fill, "Just a moment,please." across its middle (caption).
QFrame* MakeTeacherWaitPanel(QWidget* parent, const QColor& fill, QLabel*& caption);
// Gives w a background of colour.
void FillBackground(QWidget* w, const QColor& colour);

// One row of a screen's control table, for the kinds of control the blocks
// above do not make (grids, lists, text and combo boxes, scroll bars, option
// buttons): a control of kind W on parent, its name (tests and the tour find
// controls by it), place and font in one call.
// An empty name leaves the control unnamed, an invalid geometry leaves it where
// Qt puts it, no font leaves it the parent's; args go to W's constructor
// ahead of the parent (an option button's caption, a scroll bar's direction).
template <class W, class... Args>
W* MakeControl(QWidget* parent, const QString& name, const QRect& geometry,
               const std::optional<QFont>& font, Args&&... args) {
    auto* control = new W(std::forward<Args>(args)..., parent);
    if (!name.isEmpty()) control->setObjectName(name);
    if (geometry.isValid()) control->setGeometry(geometry);
    if (font) control->setFont(*font);
    return control;
}

// w, named; for the shared blocks that make a control without a name.
template <class W> W* Named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

} // namespace baisuu
