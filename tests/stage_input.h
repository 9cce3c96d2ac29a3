#pragma once
// Clicks as a person gives them: to the stage's viewport, at the place where
// the control appears in the window, so that the graphics scene hands them on
// to the embedded screen exactly as it does in the real window. A click sent
// straight to an embedded widget would reach a control the scene never lets
// a real click reach.

#include "ui/stage.h"

#include <QApplication>
#include <QGraphicsProxyWidget>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace baisuu {

// The point of the viewport under `at` (control coordinates; its centre by default).
inline QPoint viewportPointOf(const Stage& stage, const QWidget* control, QPoint at = {-1, -1}) {
    if (at == QPoint(-1, -1)) at = control->rect().center();
    // The embedded top-level widget: the screen, or a popup the scene embeds on its own.
    const QWidget* top = control;
    while (top && !top->graphicsProxyWidget())
        top = top->parentWidget();
    EXPECT_TRUE(top) << "the control is not on the stage";
    if (!top) return {};
    const QPointF scene =
        top->graphicsProxyWidget()->mapToScene(QPointF(control->mapTo(top, at)) + QPointF(0.5, 0.5));
    return stage.mapFromScene(scene);
}

// True when a person could click the control: shown, and not under anything
// else of the scene at that point (a cover, a panel over it).
inline bool reachableOnStage(const Stage& stage, const QWidget* control) {
    if (!control->isVisible()) return false;
    const QPoint at = viewportPointOf(stage, control);
    const QWidget* top = control;
    while (top && !top->graphicsProxyWidget())
        top = top->parentWidget();
    const QGraphicsItem* item = stage.itemAt(at);
    if (item != top->graphicsProxyWidget()) return false;
    const QWidget* under = top->childAt(control->mapTo(top, control->rect().center()));
    return under == control || control->isAncestorOf(under);
}

// The events enter through the window, as the window system delivers them, so
// that grabs and double clicks are made by Qt as in the real program.
inline QPoint windowPointOf(const Stage& stage, const QWidget* control, QPoint at) {
    return stage.viewport()->mapTo(stage.window(), viewportPointOf(stage, control, at));
}

inline void clickOnStage(Stage& stage, const QWidget* control, QPoint at = {-1, -1},
                         Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(stage.window()->windowHandle(), button, {},
                      windowPointOf(stage, control, at));
}

// Press, release, press and release within the double-click time: Qt makes the
// second press a double click, as in the real window.
inline void doubleClickOnStage(Stage& stage, const QWidget* control, QPoint at = {-1, -1}) {
    QWindow* window = stage.window()->windowHandle();
    const QPoint p = windowPointOf(stage, control, at);
    QTest::mouseDClick(window, Qt::LeftButton, {}, p);
}

// Keys go to the window as a person types them, and from there to the
// focused control of the screen.
inline void typeOnStage(Stage& stage, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(stage.window()->windowHandle(), key, modifiers);
}
inline void typeOnStage(Stage& stage, char key) {
    QTest::keyClick(stage.window()->windowHandle(), key);
}

// Types the text over what the field holds, as a person does: a click into
// the field, Ctrl+A, then the keys (Backspace alone for an empty text).
inline void retypeOnStage(Stage& stage, QWidget* field, const QString& text) {
    clickOnStage(stage, field);
    typeOnStage(stage, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) typeOnStage(stage, Qt::Key_Backspace);
    for (const QChar c : text)
        typeOnStage(stage, c.toLatin1());
}

// A key as the window system stamps it, typed at that moment of its clock
// whenever it is delivered.
inline void typeOnStageStamped(Stage& stage, char key, ulong timestamp) {
    const QString text = QString(QLatin1Char(key));
    const int code = QKeySequence(text)[0].key();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, code, Qt::NoModifier, text);
        event.setTimestamp(timestamp);
        QApplication::sendEvent(&stage, &event);
    }
}

// A stage hosting one screen made by the test, at 1024 × 768 times scale.
struct StageHost {
    explicit StageHost(Stage::Factory factory, double scale = 1.0) : stage(std::move(factory)) {
        stage.resize(qRound(kStageWidth * scale), qRound(kStageHeight * scale));
        stage.show();
    }
    Stage stage;
};

// A screen of type T on a stage of its own, shown as `screen`; hand-overs go
// wherever the screen's context sends them (in tests, a recording navigator).
template <typename T> struct OnStage {
    std::unique_ptr<StageHost> host;
    Stage* stage = nullptr;
    T* screen = nullptr;
    T* operator->() const { return screen; }
    T& operator*() const { return *screen; }
};
template <typename T>
OnStage<T> showOnStage(std::function<T*()> make, Screen screen, double scale = 1.0) {
    OnStage<T> shown;
    shown.host = std::make_unique<StageHost>([make](Screen) -> QWidget* { return make(); }, scale);
    shown.stage = &shown.host->stage;
    shown.stage->show(screen);
    shown.screen = static_cast<T*>(shown.stage->current());
    return shown;
}

} // namespace baisuu
