#pragma once
// The look the screens and the printed pages share: the Japanese font in its
// sizes, and the colours named once. Only Qt GUI: the pages are drawn without
// any widget, by the command-line program too.

#include <QColor>
#include <QFont>
#include <QString>

namespace baisuu {

// The one family every screen writes in: the Japanese font the program
// installs, which has every glyph the screens show, so no text mixes its
// figures from one font with its kana from another.
QString ScreenFontFamily();
QFont FontOf(double points, bool bold = false);
// The font of the list lines, which line their columns up with full-width
// names beside half-width figures: the first installed Japanese family whose
// half-width characters (blanks too) are exactly half as wide as full-width ones.
QFont FixedPitchFont(double points);
// The same family for a printed page, sized in the page's own units and not
// hinted: hinting fits glyphs to each device's pixels, and a page must measure
// the same on the screen, the printer and in a PDF.
QFont PageFont(double units, bool bold = false);
// The season colour of the configuration (0x00BBGGRR) as a colour.
QColor ColourOfBgr(qint32 bgr);
// The blue of headings on the screens and the printed pages.
inline const QColor kHeadingBlue(0x1A, 0x3A, 0x7A);
// The ring around the control that has the focus.
inline const QColor kFocusRing(0x1E, 0x6F, 0xE0);
// A time within the target and within the passing time: the backgrounds of
// the hub's Text4 and Text5, and what else marks such a time (the class report).
inline const QColor kWithinTarget(0xC8, 0xF0, 0xC8);
inline const QColor kWithinPass(0xFF, 0xF0, 0xB0);
// The ink of the printed pages, and of their pictures on screen: text,
// quieter text, frames, and the fill behind headings.
inline const QColor kPageText(0x20, 0x20, 0x20);
inline const QColor kPageQuietText(0x5A, 0x62, 0x70);
inline const QColor kPageFrame(0x8C, 0x96, 0xA8);
inline const QColor kPageHeadingFill(0xE8, 0xEF, 0xF8);

} // namespace baisuu
