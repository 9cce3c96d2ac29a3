#pragma once
// The hub's panels in their place on a screen of the stage's size, clicked
// and typed at through the window.

#include "stage_input.h"

#include <QListWidget>

namespace baisuu {

// The panel in its place on a screen of the stage's size, as the hub holds it,
// clicked and typed at through the window. What the hub's own controls do to
// it (the own-runs option, "グラフ", "データ処理", a teacher signed in) the
// tests call directly: the panel alone has no control for them.
template <typename Panel> struct ShownPanel {
    explicit ShownPanel(AppContext& ctx, double scale = 1.0)
        : host(
              [&ctx](Screen) {
                  auto* screen = new QWidget;
                  new Panel(ctx, screen);
                  return screen;
              },
              scale) {
        host.stage.show(Screen::Hub);
        panel = host.stage.current()->findChild<Panel*>();
    }
    Panel* operator->() const { return panel; }
    Panel& operator*() const { return *panel; }
    void click(const QWidget* control) { clickOnStage(host.stage, control); }
    void clickLine(const QListWidget* list, int row) {
        clickOnStage(host.stage, list->viewport(), list->visualItemRect(list->item(row)).center());
    }
    StageHost host;
    Panel* panel = nullptr;
};

} // namespace baisuu
