#include "core/stage.h"

#include <QApplication>
#include <QGraphicsProxyWidget>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>

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

bool showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 bool tour) {
    // Nobody could close a box there: it would wait for ever.
    if (!tour && !NobodyToAsk()) {
        QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
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
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                   QPainter::SmoothPixmapTransform);
    setWindowTitle(kProgramTitle);
    resize(kStageWidth, kStageHeight);
}

void Stage::show(Screen screen) {
    QWidget* next = factory_(screen);
    if (!next) return;
    next->setFixedSize(kStageWidth, kStageHeight);
    QGraphicsProxyWidget* old = proxy_;
    QPointer<QWidget> oldWidget = current_;
    proxy_ = scene()->addWidget(next);
    proxy_->setPos(0, 0);
    current_ = next;
    currentScreen_ = screen;
    setWindowTitle(next->windowTitle().isEmpty() ? kProgramTitle : next->windowTitle());
    proxy_->setFocus();
    // A screen that chose, while it was built, where the keys go keeps that choice.
    QWidget* focus = next->focusWidget();
    (focus ? focus : next)->setFocus();
    // The screen that asked for the hand-over may still be on the call stack.
    if (old) {
        old->hide();
        old->deleteLater();
    }
    Q_UNUSED(oldWidget);
}

void Stage::message(const QString& title, const QString& text) {
    if (messageHook) {
        messageHook(title, text);
        return;
    }
    if (showMessage(this, QMessageBox::Information, title, text, tour_)) return;
    failed_ = true;
    quit(1);
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
