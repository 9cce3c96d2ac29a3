#include "hub/hub_screen.h"

#include "core/app_context.h"
#include "drill/drill_engine.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QWidget* makeHubScreen(AppContext& ctx) {
    auto* screen = new QWidget;
    screen->setAutoFillBackground(true);
    const qint32 c = ctx.hensuu1.seasonColor; // 0x00BBGGRR
    screen->setStyleSheet(QStringLiteral("background: rgb(%1,%2,%3);")
                              .arg(c & 0xFF)
                              .arg((c >> 8) & 0xFF)
                              .arg((c >> 16) & 0xFF));
    auto* layout = new QVBoxLayout(screen);
    layout->setContentsMargins(60, 40, 60, 40);
    auto* title = new QLabel(
        QStringLiteral("%1　　%2").arg(ctx.hensuu1.contentName, ctx.hensuu1.pupilName.trimmed()));
    QFont big = title->font();
    big.setPointSize(24);
    title->setFont(big);
    layout->addWidget(title);
    auto* note =
        new QLabel(QStringLiteral("成績の画面は準備中です。レベルを選んでスタートしてください。"));
    QFont noteFont = note->font();
    noteFont.setPointSize(14);
    note->setFont(noteFont);
    layout->addWidget(note);
    auto* grid = new QGridLayout;
    const LevelCatalog& catalog = ctx.hensuu1.catalog;
    QPushButton* first = nullptr;
    for (int level = 1; level <= catalog.levelCount; ++level) {
        auto* button = new QPushButton(
            QStringLiteral("ｽﾀｰﾄ(&%1)　%2").arg(level).arg(catalog.levelNames[level]));
        QFont f = button->font();
        f.setPointSize(16);
        button->setFont(f);
        button->setMinimumHeight(48);
        button->setStyleSheet(QStringLiteral("background: #FFFFFF;"));
        QObject::connect(button, &QPushButton::clicked, screen, [&ctx, level] {
            ctx.hensuu1.currentLevel = qint16(level);
            StartRun(ctx);
        });
        grid->addWidget(button, (level - 1) % 6, (level - 1) / 6);
        if (!first) first = button;
    }
    layout->addLayout(grid);
    layout->addStretch();
    if (first) first->setFocus();
    return screen;
}
