#pragma once
// The program's one window. Every screen is laid out for 1024 × 768 and sits
// on a graphics scene that the view scales to the window, keeping its shape,
// so the drill fills larger screens without re-laying anything out.

#include "core/navigator.h"

#include <QElapsedTimer>
#include <QGraphicsProxyWidget>
#include <QGraphicsView>
#include <QMessageBox>
#include <QPointer>
#include <functional>

namespace baisuu {

class BASEFRM;

constexpr int kStageWidth = 1024;
constexpr int kStageHeight = 768;

// True where nobody can answer a window (the offscreen and minimal platforms):
// there every box and dialog is told on standard error or refused instead.
bool NobodyToAsk();
// Why printing cannot ask for a printer there.
QString NoPrinterDialogText();

// Qt's own texts (the file and print dialogs, the boxes' buttons) in
// Japanese, from Qt's translations when they are installed; false when not.
bool LoadQtJapanese();

// The largest window of the stage's proportions whose frame, added around it,
// still fits the available area of the screen.
QSize StageWindowSize(const QSize& available, const QMargins& frame);
// That window's own geometry (frame excluded), its frame centred in the area.
QRect StageWindowGeometry(const QRect& available, const QMargins& frame);

// The width a window needs for its whole title in the title bar, beside the
// window manager's icon and buttons, in a title font as large as desktops use.
int TitleBarWidth(const QString& title);
// Widens the box so that the window manager does not cut its title short.
void WidenForTitle(QMessageBox& box);

// A message box (OK only), or, when nobody is there to close one (the
// screenshot tour, the offscreen platform), its title and text on standard
// error. Returns false when there was no box: the message has gone unread,
// and the program must end with a failure.
bool ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 bool tour);

class Stage final : public QGraphicsView, public Navigator {
    Q_OBJECT
  public:
    using Factory = std::function<QWidget*(Screen)>;
    explicit Stage(Factory factory, QWidget* parent = nullptr);
    using QGraphicsView::show;
    // Opens the window on its screen: full screen, or as large as the screen
    // lets it be with the stage's proportions.
    void showOnDesktop(bool fullScreen);

    // Shows the screen and takes its caption as the window's title.
    void show(Screen screen) override;
    // Unattended, the message goes to standard error and the program ends
    // with exit code 1, whatever exit code is asked for after it.
    void message(const QString& title, const QString& text) override;
    // Unattended, the question goes to standard error and is answered No (or
    // Cancel); unlike an unread message, that is no failure.
    bool ask(const QString& title, const QString& text, Question kind) override;
    void quit(int exitCode) override;
    void coverWhile(const std::function<void()>& wait) override;
    void setWaitNote(const QString& note) override;
    qint64 keyTimeNow() const override;

    QWidget* current() const { return current_; }
    // True while a wait runs behind the cover.
    bool covered() const { return waits_ > 0; }
    Screen currentScreen() const { return currentScreen_; }
    // The screenshot tour: no message box is ever shown.
    void setTour(bool tour) { tour_ = tour; }
    // When set, messages are handed to it instead (tests).
    std::function<void(const QString&, const QString&)> messageHook;
    // When set, questions are handed to it and it answers (tests).
    std::function<bool(const QString&, const QString&, Question)> askHook;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fitToScreen(const QMargins& frame);
    // Fits the window again when its frame has come to lie outside the
    // screen's available area (a window manager that placed it before it knew
    // the frame, a dialog that moved it).
    void keepOnScreen();

    BASEFRM* cover_ = nullptr;
    QGraphicsProxyWidget* coverProxy_ = nullptr;
    int waits_ = 0; // waits running behind the cover, nested
    // Screens handed over while a wait ran: their handler may still be on the
    // call stack, so they go only when the last wait is over.
    QList<QPointer<QGraphicsProxyWidget>> retired_;
    // The keys' clock less ours, from the key delivered soonest after it was
    // typed; unknown (no key yet) while keyClockKnown_ is false.
    QElapsedTimer clock_;
    qint64 keyClockOffset_ = 0;
    bool keyClockKnown_ = false;
    Factory factory_;
    QPointer<QWidget> current_;
    QGraphicsProxyWidget* proxy_ = nullptr;
    Screen currentScreen_ = Screen::Splash;
    bool tour_ = false;
    bool failed_ = false; // a message went unread
    bool onDesktop_ = false; // placed by showOnDesktop, so kept within the screen
};

} // namespace baisuu
