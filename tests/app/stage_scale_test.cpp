// The screens drawn by the stage at a scale that is no whole number: a
// background that is one colour at 1024 x 768 stays one colour, with no line
// of the window's black showing between the controls that make it up.

#include "drill/drill_fixture.h"
#include "drill/drill_screen.h"
#include "hub/hub_screen.h"
#include "selection/name_selection_screen.h"
#include "stage_input.h"

#include <QFrame>
#include <QImage>
#include <gtest/gtest.h>

#include <cmath>

namespace baisuu {

namespace {

QImage drawn(const std::function<QWidget*()>& make, double scale) {
    OnStage<QWidget> shown = showOnStage<QWidget>(make, Screen::Wait, scale);
    QApplication::processEvents();
    return shown.stage->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// True when every pixel of the square of `radius` around (x, y) has the colour.
bool evenAround(const QImage& image, int x, int y, int radius, QRgb colour) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const int px = x + dx, py = y + dy;
            if (!image.rect().contains(px, py) || image.pixel(px, py) != colour) return false;
        }
    return true;
}

// The pixels at `scale` that lie inside an even area of the picture at scale 1
// (far enough from any text, whose glyphs are drawn anew at each size) yet
// have another colour; a few of them, as "x,y" for the message.
int seamPixels(const QImage& plain, const QImage& scaled, double scale, QStringList* where) {
    const double offsetX = (scaled.width() - kStageWidth * scale) / 2;
    const double offsetY = (scaled.height() - kStageHeight * scale) / 2;
    int count = 0;
    for (int y = 0; y < scaled.height(); ++y)
        for (int x = 0; x < scaled.width(); ++x) {
            const int sx = int(std::floor((x + 0.5 - offsetX) / scale));
            const int sy = int(std::floor((y + 0.5 - offsetY) / scale));
            if (!plain.rect().contains(sx, sy)) continue;
            const QRgb colour = plain.pixel(sx, sy);
            if (!evenAround(plain, sx, sy, 4, colour) || scaled.pixel(x, y) == colour) continue;
            if (++count <= 5) *where << QStringLiteral("%1,%2").arg(x).arg(y);
        }
    return count;
}

class StageScale : public ::testing::Test, public DrillFixture {
  protected:
    StageScale() {
        Hensuu1& h = ctx->hensuu1;
        h.pupilName = QStringLiteral("山田　花子");
        h.pupilGrade = QStringLiteral("小３");
        h.seasonColor = 0xE0F4FF;
        h.currentLevel = 3;
    }
};

TEST_F(StageScale, BackgroundsStayEvenAtAFractionalScale) {
    const struct {
        const char* name;
        std::function<QWidget*()> make;
    } screens[] = {
        {"drill", [this] { return MakeDrillScreen(*ctx); }},
        {"selection", [this] { return MakeSelectionScreen(*ctx); }},
        {"hub", [this] { return MakeHubScreen(*ctx); }},
    };
    for (const auto& screen : screens) {
        for (const double scale : {1.3, 1.875}) {
            const QImage plain = drawn(screen.make, 1.0);
            const QImage scaled = drawn(screen.make, scale);
            ASSERT_EQ(plain.size(), QSize(kStageWidth, kStageHeight));
            QStringList where;
            EXPECT_EQ(seamPixels(plain, scaled, scale, &where), 0)
                << screen.name << " at " << scale << ", first at " << where.join(' ').toStdString();
        }
    }
}

// Every plain box frame of the hub (its options panel and its two colour
// swatches, which lost their top line) keeps each of its four lines at a scale
// that is no whole number: the pixel under the middle of each line has the
// frame's colour.
TEST_F(StageScale, EveryFrameLineShowsAtAFractionalScale) {
    for (const double scale : {1.5625, 1.171875}) {
        OnStage<QWidget> shown =
            showOnStage<QWidget>([this] { return MakeHubScreen(*ctx); }, Screen::Wait, scale);
        QApplication::processEvents();
        const QImage image = shown.stage->viewport()->grab().toImage();
        const QTransform toView = shown.stage->viewportTransform();
        QStringList checked;
        for (const QFrame* frame : shown.screen->findChildren<QFrame*>()) {
            if (frame->frameShape() != QFrame::Box || !frame->styleSheet().isEmpty() ||
                !reachableOnStage(*shown.stage, frame))
                continue;
            checked << frame->objectName();
            const QRectF r = frame->rect();
            const double half = frame->lineWidth() / 2.0;
            const QPointF sides[] = {{r.center().x(), half},
                                     {r.center().x(), r.height() - half},
                                     {half, r.center().y()},
                                     {r.width() - half, r.center().y()}};
            for (const QPointF& side : sides) {
                const QPointF at = toView.map(shown.screen->graphicsProxyWidget()->mapToScene(
                    QPointF(frame->mapTo(shown.screen, QPoint(0, 0))) + side));
                const QPoint pixel(int(std::floor(at.x())), int(std::floor(at.y())));
                EXPECT_EQ(QColor(image.pixel(pixel)), frame->palette().color(QPalette::WindowText))
                    << frame->objectName().toStdString() << " at " << scale << ", line through "
                    << side.x() << "," << side.y();
            }
        }
        EXPECT_TRUE(checked.contains(QStringLiteral("Text4")) &&
                    checked.contains(QStringLiteral("Text5")))
            << checked.join(' ').toStdString();
    }
}

} // namespace

} // namespace baisuu
