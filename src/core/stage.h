#pragma once
// The program's one window. Every screen is laid out for 1024 × 768 and sits
// on a graphics scene that the view scales to the window, keeping its shape,
// so the drill fills larger screens without re-laying anything out.

#include "core/navigator.h"

#include <QGraphicsView>
#include <QPointer>
#include <functional>

class QGraphicsProxyWidget;

constexpr int kStageWidth = 1024;
constexpr int kStageHeight = 768;

class Stage final : public QGraphicsView, public Navigator {
    Q_OBJECT
  public:
    using Factory = std::function<QWidget*(Screen)>;
    explicit Stage(Factory factory, QWidget* parent = nullptr);
    using QGraphicsView::show;

    void show(Screen screen) override;
    void message(const QString& title, const QString& text) override;
    void quit(int exitCode) override;

    QWidget* current() const { return current_; }
    Screen currentScreen() const { return currentScreen_; }
    // When set, message boxes are recorded instead of shown (the screenshot tour).
    std::function<void(const QString&, const QString&)> messageHook;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Factory factory_;
    QPointer<QWidget> current_;
    QGraphicsProxyWidget* proxy_ = nullptr;
    Screen currentScreen_ = Screen::Splash;
};
