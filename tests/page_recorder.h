#pragma once
// A paint device for the tests of the printed pages: it draws nothing and
// remembers the texts and triangles drawn on it.

#include <QFontMetricsF>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

namespace baisuu {

// A device that draws nothing and remembers what was drawn on it: each text
// with the rectangle its glyphs cover, and the triangles (the marks of runs
// slower than the axis), in device coordinates.
class Recorder final : public QPaintDevice, public QPaintEngine {
  public:
    struct Text {
        QString text;
        QRectF ink;
    };
    QList<Text> texts;
    int triangles = 0;

    explicit Recorder(QSize size) : QPaintEngine(AllFeatures), size_(size) {}
    QPaintEngine* paintEngine() const override { return const_cast<Recorder*>(this); }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int count, PolygonDrawMode mode) override {
        triangles += count == 3 && mode != PolylineMode;
    }
    // One text comes in pieces where its script changes font; a piece that
    // starts where the last one ended belongs to the same text.
    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        const QFontMetricsF fm(item.font());
        const QTransform& t = painter()->deviceTransform();
        const QRectF ink = t.mapRect(fm.tightBoundingRect(item.text()).translated(at));
        if (!texts.isEmpty() && QLineF(t.map(at), end_).length() < 0.01) {
            texts.last().text += item.text();
            texts.last().ink |= ink;
        } else {
            texts.append({item.text(), ink});
        }
        end_ = t.map(at + QPointF(fm.horizontalAdvance(item.text()), 0));
    }
    Type type() const override { return User; }

  protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }

  private:
    QSize size_;
    QPointF end_;
};

} // namespace baisuu
