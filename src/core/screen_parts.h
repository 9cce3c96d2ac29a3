#pragma once
// The building blocks every screen is made of, placed in pixels of the
// 1024 × 768 stage: labels with their font, filled panels and shapes, buttons,
// and a widget's background colour. One set, so the screens look alike.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>

class QFrame;
class QPushButton;
class QWidget;

struct TextStyle {
    double points = 12;
    bool bold = false;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    QColor colour = QColor(0x20, 0x20, 0x20);
};

// The one family every screen writes in: the Japanese font the program
// installs, which has every glyph the screens show, so no text mixes its
// figures from one font with its kana from another.
QString screenFontFamily();
// Makes that family the font of every control that names none (lists, combo
// and text boxes, message boxes), at the size it had.
void useScreenFontEverywhere();
QFont fontOf(double points, bool bold = false);
// The font of the list lines, which line their columns up with full-width
// names beside half-width figures: the first installed Japanese family whose
// half-width characters (blanks too) are exactly half as wide as full-width ones.
QFont fixedPitchFont(double points);
// The same family for a printed page, sized in the page's own units and not
// hinted: hinting fits glyphs to each device's pixels, and a page must measure
// the same on the screen, the printer and in a PDF.
QFont pageFont(double units, bool bold = false);
// A label at geometry in the style.
QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry,
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
ClickableLabel* makeClickableLabel(QWidget* parent, const QString& text, const QRect& geometry,
                                   const TextStyle& style = {});
// A push button at geometry, its caption in points (bold).
QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& geometry,
                        double points = 14);
// A filled rectangle, with a thin frame when bordered (panels, bars, lamps).
QFrame* makePanel(QWidget* parent, const QRect& geometry, const QColor& fill,
                  bool bordered = false);
// Gives w a background of colour.
void fillBackground(QWidget* w, const QColor& colour);
// The season colour of the configuration (0x00BBGGRR) as a colour.
QColor colourOfBgr(qint32 bgr);
