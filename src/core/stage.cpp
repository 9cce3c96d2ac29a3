#include "core/stage.h"

#include <QApplication>
#include <QGraphicsProxyWidget>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

Stage::Stage(Factory factory, QWidget* parent)
    : QGraphicsView(parent), factory_(std::move(factory)) {
    setScene(new QGraphicsScene(0, 0, kStageWidth, kStageHeight, this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setBackgroundBrush(Qt::black);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                   QPainter::SmoothPixmapTransform);
    setWindowTitle(QStringLiteral("倍数判定"));
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
    proxy_->setFocus();
    next->setFocus();
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
    QMessageBox::information(this, title, text);
}

void Stage::quit(int exitCode) {
    QTimer::singleShot(0, qApp, [exitCode] { QCoreApplication::exit(exitCode); });
}

void Stage::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    fitInView(sceneRect(), Qt::KeepAspectRatio);
}

void Stage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F11) {
        setWindowState(windowState() ^ Qt::WindowFullScreen);
        return;
    }
    QGraphicsView::keyPressEvent(event);
}
