#include "ui/stage.h"

#include "ui/screen_parts.h"
#include "ui/startup_screens.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGraphicsProxyWidget>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cstdio>

namespace baisuu {

namespace {
const QString kProgramTitle = QStringLiteral("倍数判定");
}

bool NobodyToAsk() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

QString NoPrinterDialogText() {
    return QStringLiteral(
        "プリンタを選ぶ画面を出せません。--print-to-pdf でPDFファイルを指定してください。");
}

bool LoadQtJapanese() {
    // The program speaks Japanese whatever the machine's language is set to.
    static QTranslator* translator = nullptr;
    if (translator) return true;
    auto* loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

QSize StageWindowSize(const QSize& available, const QMargins& frame) {
    const int width = available.width() - frame.left() - frame.right();
    const int height = available.height() - frame.top() - frame.bottom();
    // Whole multiples of 4 × 3, so the stage fills the window without a letterbox.
    const int unit = std::max(1, std::min(width / 4, height / 3));
    return {unit * 4, unit * 3};
}

int TitleBarWidth(const QString& title) {
    // Room for the window's icon, its three buttons and the gaps between them.
    constexpr int kTitleBarControls = 160;
    return QFontMetrics(FontOf(13, true)).horizontalAdvance(title) + kTitleBarControls;
}

void WidenForTitle(QMessageBox& box) {
    // A box sizes itself to its text when it is shown, and a minimum width
    // is overridden there; a spacer across its layout is not.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    grid->addItem(new QSpacerItem(TitleBarWidth(box.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QRect StageWindowGeometry(const QRect& available, const QMargins& frame) {
    const QSize size = StageWindowSize(available.size(), frame);
    const QSize outer = size.grownBy(frame);
    return {QPoint(available.left() + (available.width() - outer.width()) / 2 + frame.left(),
                   available.top() + (available.height() - outer.height()) / 2 + frame.top()),
            size};
}

bool ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 bool tour) {
    // Nobody could close a box there: it would wait for ever.
    if (!tour && !NobodyToAsk()) {
        QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
        WidenForTitle(box);
        box.exec();
        return true;
    }
    std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), text.toUtf8().constData());
    std::fflush(stderr);
    return false;
}

Stage::Stage(Factory factory, QWidget* parent)
    : QGraphicsView(parent), factory_(std::move(factory)) {
    setScene(new QGraphicsScene(0, 0, kStageWidth, kStageHeight, this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setBackgroundBrush(Qt::black);
    // No antialiasing of shapes: at a scale that is no whole number, the edge
    // of each filled control would cover its last pixel only in part, and the
    // window's black would show through as a faint line between neighbours.
    // Text stays smooth.
    setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    setWindowTitle(kProgramTitle);
    resize(kStageWidth, kStageHeight);
    clock_.start();
    UseScreenFontEverywhere();
    DrawFramesWholeEverywhere();
    cover_ = new BASEFRM;
    coverProxy_ = scene()->addWidget(cover_);
    coverProxy_->setZValue(1); // above every screen
    coverProxy_->hide();
    // Every click and key of the window passes the view or its viewport first.
    installEventFilter(this);
    viewport()->installEventFilter(this);
}

namespace {
// What a window manager's title bar and borders usually take, until the real
// frame is known: a guess on the large side only makes the window a little smaller.
const QMargins kLikelyFrame(8, 40, 8, 8);

QMargins frameOf(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}
} // namespace

void Stage::showOnDesktop(bool fullScreen) {
    onDesktop_ = true;
    if (fullScreen) {
        showFullScreen();
        return;
    }
    fitToScreen(kLikelyFrame);
    show();
    // The frame is known once the window manager has put the window up; a
    // frame not reported yet leaves the guess, which is on the large side.
    QTimer::singleShot(400, this, [this] {
        const QMargins frame = frameOf(*this);
        if (windowState() == Qt::WindowNoState && !frame.isNull() && frame != kLikelyFrame)
            fitToScreen(frame);
        keepOnScreen();
    });
}

void Stage::fitToScreen(const QMargins& frame) {
    const QScreen* place = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!place) return;
    // The window's own geometry, not move(): a move places the frame by the
    // margins Qt knows, which are none until the window manager has told them.
    setGeometry(StageWindowGeometry(place->availableGeometry(), frame));
}

void Stage::keepOnScreen() {
    if (!onDesktop_ || !isVisible() || windowState() != Qt::WindowNoState) return;
    const QScreen* place = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!place || place->availableGeometry().contains(frameGeometry())) return;
    fitToScreen(frameOf(*this));
}

void Stage::coverWhile(const std::function<void()>& wait) {
    if (waits_++ == 0) coverProxy_->show();
    wait();
    if (--waits_ > 0) return;
    coverProxy_->hide();
    for (const QPointer<QGraphicsProxyWidget>& old : std::exchange(retired_, {}))
        if (old) old->deleteLater(); // after the waiting handler has returned
}

void Stage::setWaitNote(const QString& note) {
    cover_->note->setText(note);
    cover_->note->setVisible(!note.isEmpty());
}

qint64 Stage::keyTimeNow() const {
    return keyClockKnown_ ? clock_.elapsed() + keyClockOffset_ : -1;
}

bool Stage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        // A key delivered late (behind a long handler) says less about the
        // clocks than one delivered at once: keep the largest offset seen, and
        // start again if the keys' clock has jumped back.
        if (const qint64 stamp = qint64(static_cast<QKeyEvent*>(event)->timestamp()); stamp > 0) {
            const qint64 offset = stamp - clock_.elapsed();
            if (!keyClockKnown_ || offset > keyClockOffset_ || offset < keyClockOffset_ - 60000)
                keyClockOffset_ = offset;
            keyClockKnown_ = true;
        }
    }
    // Activated again: first shown, or back from a box or a dialog.
    if (watched == this && event->type() == QEvent::WindowActivate)
        QTimer::singleShot(0, this, [this] { keepOnScreen(); });
    if (waits_ == 0) return QGraphicsView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close: // closing the window would end the program under the waiting handler
        event->ignore();
        return true;
    default:
        return QGraphicsView::eventFilter(watched, event);
    }
}

void Stage::show(Screen screen) {
    QWidget* next = factory_(screen);
    if (!next) return;
    next->setFixedSize(kStageWidth, kStageHeight);
    QPointer<QGraphicsProxyWidget> old = proxy_;
    proxy_ = scene()->addWidget(next);
    proxy_->setPos(0, 0);
    current_ = next;
    currentScreen_ = screen;
    setWindowTitle(next->windowTitle().isEmpty() ? kProgramTitle : next->windowTitle());
    setFocus(); // the window's keys go to the scene, whatever was focused before
    proxy_->setFocus();
    // A screen that chose, while it was built, where the keys go keeps that choice.
    QWidget* focus = next->focusWidget();
    (focus ? focus : next)->setFocus();
    if (!old) return;
    old->hide();
    // The screen that asked for the hand-over may still be on the call stack:
    // deleteLater waits for its handler to return, and within a wait, for the
    // wait to end, since a nested event loop would run the deletion at once.
    if (waits_ > 0)
        retired_ << old;
    else
        old->deleteLater();
}

void Stage::message(const QString& title, const QString& text) {
    if (messageHook) {
        messageHook(title, text);
        return;
    }
    if (ShowMessage(this, QMessageBox::Information, title, text, tour_)) return;
    failed_ = true;
    quit(1);
}

bool Stage::ask(const QString& title, const QString& text, Question kind) {
    if (askHook) return askHook(title, text, kind);
    const bool yesNo = kind != Question::OkCancel;
    const QMessageBox::StandardButton yes = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const QMessageBox::StandardButton no = yesNo ? QMessageBox::No : QMessageBox::Cancel;
    // Nobody could answer a box there: it would wait for ever.
    if (tour_ || NobodyToAsk()) {
        std::fprintf(stderr, "%s: %s (%s)\n", qPrintable(title), qPrintable(text),
                     yesNo ? "No" : "Cancel");
        std::fflush(stderr);
        return false;
    }
    QMessageBox box(QMessageBox::Question, title, text, yes | no);
    box.setDefaultButton(YesIsDefault(kind) ? yes : no);
    WidenForTitle(box);
    return box.exec() == yes;
}

void Stage::quit(int exitCode) {
    // A message that goes unread after this call still makes the exit a failure.
    QTimer::singleShot(0, this, [this, exitCode] {
        QCoreApplication::exit(failed_ && exitCode == 0 ? 1 : exitCode);
    });
}

void Stage::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    // fitInView keeps a margin of a few pixels, so a window of exactly the
    // stage's size would draw it at 99.6 % with seams between the controls;
    // the scale is computed here instead, 1 when the window fits the stage.
    const QSize view = viewport()->size();
    const qreal scale =
        std::min(qreal(view.width()) / kStageWidth, qreal(view.height()) / kStageHeight);
    setTransform(QTransform::fromScale(scale, scale));
    centerOn(sceneRect().center());
}

void Stage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F11) {
        setWindowState(windowState() ^ Qt::WindowFullScreen);
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

} // namespace baisuu
