#pragma once
// Whether the texts of a screen fit their labels and buttons at the fonts the
// screen gives them, measured the way Qt will draw them (fallback glyphs of
// the Japanese font included). A text that does not fit is cut off on screen.

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace baisuu {

// Why the text does not fit the widget (a QLabel or a push button), or empty
// when it fits. A label's text must fit its contents rectangle: every line
// within the width and all lines within the height, or, for a label that
// wraps, the wrapped text within the height. A caption must fit the button
// together with the style's margins around it.
inline QString textFitProblem(const QWidget& widget, const QString& text) {
    if (text.isEmpty()) return {};
    const QFontMetrics fm = widget.fontMetrics();
    QSize needed, room;
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        const int m = label->margin();
        room = label->contentsRect().adjusted(m, m, -m, -m).size();
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        if (rich) {
            QTextDocument doc;
            doc.setDefaultFont(label->font());
            doc.setDocumentMargin(0);
            doc.setHtml(text);
            if (label->wordWrap()) doc.setTextWidth(room.width());
            needed = QSize(int(std::ceil(doc.idealWidth())), int(std::ceil(doc.size().height())));
        } else if (label->wordWrap()) {
            needed =
                fm.boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap, text).size();
        } else {
            needed = fm.size(0, text);
        }
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        needed = button->style()->sizeFromContents(QStyle::CT_PushButton, &option,
                                                   fm.size(Qt::TextShowMnemonic, text), button);
        room = button->size();
    } else {
        return QStringLiteral("%1 is neither a label nor a button").arg(widget.objectName());
    }
    if (needed.width() <= room.width() && needed.height() <= room.height()) return {};
    return QStringLiteral("%1 \"%2\" needs %3 x %4 px, has %5 x %6 (%7 %8 pt)")
        .arg(widget.objectName().isEmpty() ? QString::fromLatin1(widget.metaObject()->className())
                                           : widget.objectName(),
             text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height())
        .arg(QFontInfo(widget.font()).family())
        .arg(widget.font().pointSizeF());
}

inline QString textOf(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
    return {};
}

// Every label and button caption of a screen, with the text each holds now
// (hidden ones too: they are shown later with the text they hold).
inline void expectTextsFit(const QWidget& screen) {
    QList<const QWidget*> widgets;
    for (const QLabel* l : screen.findChildren<QLabel*>())
        widgets << l;
    for (const QAbstractButton* b : screen.findChildren<QAbstractButton*>())
        widgets << b;
    for (const QWidget* w : widgets) {
        const QString problem = textFitProblem(*w, textOf(*w));
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    }
}

// Each text one label or button may be given, in turn.
inline void expectTextsFit(const QWidget& widget, const QStringList& texts) {
    for (const QString& text : texts) {
        const QString problem = textFitProblem(widget, text);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    }
}

} // namespace baisuu
