#pragma once
// One row of a teacher screen's control table, for the kinds of control the
// shared screen blocks do not make (grids, lists, text and combo boxes, scroll
// bars, option buttons): a control of kind W on parent, its name (tests and the
// tour find controls by it), place and font in one call.

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <utility>

// An empty name leaves the control unnamed, an invalid geometry leaves it where
// Qt puts it, no font leaves it the parent's; args go to W's constructor
// ahead of the parent (an option button's caption, a scroll bar's direction).
template <class W, class... Args>
W* makeControl(QWidget* parent, const QString& name, const QRect& geometry,
               const std::optional<QFont>& font, Args&&... args) {
    auto* control = new W(std::forward<Args>(args)..., parent);
    if (!name.isEmpty()) control->setObjectName(name);
    if (geometry.isValid()) control->setGeometry(geometry);
    if (font) control->setFont(*font);
    return control;
}

// w, named; for the shared blocks that make a control without a name.
template <class W> W* named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}
