#include "ui/startup_screens.h"

#include "core/dates.h"
#include "ui/screen_parts.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace baisuu {

Firstfrm::Firstfrm(QDate today, std::function<void()> handOver, QWidget* parent)
    : QWidget(parent), handOver_(std::move(handOver)) {
    setFixedSize(1024, 768);
    dateLabel = MakeLabel(this, EraDateText(today), QRect(0, 470, 1024, 60),
                          {.points = 26, .align = Qt::AlignCenter});
    Label5 = MakeLabel(this, QStringLiteral("Bramwell７７"), QRect(0, 560, 1024, 40),
                       {.points = 20, .align = Qt::AlignCenter});
    Label1 = MakeLabel(this, QStringLiteral("Just a moment, please."), QRect(0, 640, 1024, 40),
                       {.points = 16, .align = Qt::AlignCenter});
    for (QLabel* l : {dateLabel, Label5, Label1})
        l->setStyleSheet(QStringLiteral("color: #203040; background: transparent;"));
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &Firstfrm::Timer1_Timer);
    Timer1->start();
}

void Firstfrm::Timer1_Timer() {
    Timer1->stop();
    if (handOver_) handOver_();
}

void Firstfrm::paintEvent(QPaintEvent*) {
    // Our own splash picture: a soft sky, the content's name and a ring of
    // numbers marked odd and even, the way the drill asks about them.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0xE8, 0xF4, 0xFF));
    sky.setColorAt(1, QColor(0xFF, 0xF6, 0xDC));
    p.fillRect(rect(), sky);
    const QPointF centre(512, 250);
    for (int i = 0; i < 12; ++i) {
        const double a = i * 2 * M_PI / 12 - M_PI / 2;
        const QPointF at = centre + QPointF(std::cos(a) * 300, std::sin(a) * 170);
        const bool even = i % 2 == 0;
        p.setPen(Qt::NoPen);
        p.setBrush(even ? QColor(0x4A, 0x90, 0xE2) : QColor(0xF5, 0xA6, 0x23));
        p.drawEllipse(at, 34, 34);
        p.setPen(Qt::white);
        QFont f = font();
        f.setPointSize(22);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(at - QPointF(34, 34), QSizeF(68, 68)), Qt::AlignCenter,
                   QString::number((i + 1) * 3));
    }
    QFont title = font();
    title.setPointSize(64);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0x20, 0x30, 0x40));
    p.drawText(QRect(0, 190, 1024, 120), Qt::AlignCenter, QStringLiteral("倍数判定"));
    if (!painted_) {
        painted_ = true;
        Q_EMIT firstPainted();
    }
}

BASEFRM::BASEFRM(QWidget* parent) : QWidget(parent) {
    setFixedSize(1024, 768);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("background: #F4F4F0;"));
    Label19 = MakeLabel(this, QStringLiteral("Just a moment, please."), QRect(0, 330, 1024, 80),
                        {.points = 28, .align = Qt::AlignCenter, .colour = Qt::black});
    note = MakeLabel(this, {}, QRect(0, 420, 1024, 40),
                     {.points = 16, .align = Qt::AlignCenter, .colour = Qt::black});
    note->hide();
}

QString VersionText(int major, int minor, int revision) {
    return QStringLiteral("Version%1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString ProgramVersionText() {
    return VersionText(BAISUU_VERSION_MAJOR, BAISUU_VERSION_MINOR, BAISUU_VERSION_PATCH);
}

frmver::frmver(const QString& contentName, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(contentName, this);
    Label2 = new QLabel(ProgramVersionText(), this);
    Label4 = new QLabel(QStringLiteral("Bramwell77"), this);
    for (QLabel* l : {Label1, Label2, Label4}) {
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
    }
    QFont f = Label1->font();
    f.setPointSize(18);
    Label1->setFont(f);
    auto* Command1 = new QPushButton(QStringLiteral("O.K."), this);
    layout->addWidget(Command1);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    resize(320, 180);
}

} // namespace baisuu
