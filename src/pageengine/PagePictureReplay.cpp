#include "pageengine/PagePictureReplay.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPicture>
#include <QTextItem>
#include <climits>
#include <optional>

namespace bv {
namespace {

// Forwards what a painter draws on the stand-in device to the real painter,
// under the real painter's transform at the moment the replay started.
class ForwardingEngine : public QPaintEngine {
public:
    ForwardingEngine(QPainter& target, bool textAsOutlines)
        : QPaintEngine(QPaintEngine::AllFeatures), target(target), base(target.worldTransform()),
          textAsOutlines(textAsOutlines)
    {
    }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& s) override
    {
        const auto dirty = s.state();
        if (dirty & DirtyTransform)
            target.setWorldTransform(s.transform() * base);
        if (dirty & DirtyPen)
            target.setPen(s.pen());
        if (dirty & DirtyBrush)
            target.setBrush(s.brush());
        if (dirty & DirtyBrushOrigin)
            target.setBrushOrigin(s.brushOrigin());
        if (dirty & DirtyBackground)
            target.setBackground(s.backgroundBrush());
        if (dirty & DirtyBackgroundMode)
            target.setBackgroundMode(s.backgroundMode());
        if (dirty & DirtyFont)
            target.setFont(s.font());
        if (dirty & DirtyHints)
            target.setRenderHints(s.renderHints());
        if (dirty & DirtyCompositionMode)
            target.setCompositionMode(s.compositionMode());
        if (dirty & DirtyOpacity)
            target.setOpacity(s.opacity());
        // Clips are given in the coordinates of the transform in force, which
        // is already on the target. The replay starts inside the caller's
        // clip; a picture's own clip narrows it.
        if (dirty & DirtyClipEnabled && !s.isClipEnabled())
            restoreOuterClip();
        if (dirty & DirtyClipRegion)
            target.setClipRegion(s.clipRegion(), combine(s.clipOperation()));
        if (dirty & DirtyClipPath)
            target.setClipPath(s.clipPath(), combine(s.clipOperation()));
    }

    void drawPath(const QPainterPath& path) override { target.drawPath(path); }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        if (mode == PolylineMode)
            target.drawPolyline(points, count);
        else
            target.drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override
    {
        if (mode == PolylineMode)
            target.drawPolyline(points, count);
        else
            target.drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawRects(const QRectF* rects, int count) override { target.drawRects(rects, count); }
    void drawRects(const QRect* rects, int count) override { target.drawRects(rects, count); }
    void drawLines(const QLineF* lines, int count) override { target.drawLines(lines, count); }
    void drawLines(const QLine* lines, int count) override { target.drawLines(lines, count); }
    void drawEllipse(const QRectF& r) override { target.drawEllipse(r); }
    void drawEllipse(const QRect& r) override { target.drawEllipse(r); }
    void drawPoints(const QPointF* points, int count) override { target.drawPoints(points, count); }
    void drawPoints(const QPoint* points, int count) override { target.drawPoints(points, count); }
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override { target.drawPixmap(r, pm, sr); }
    void drawTiledPixmap(const QRectF& r, const QPixmap& pm, const QPointF& offset) override
    {
        target.drawTiledPixmap(r, pm, offset);
    }
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags flags) override
    {
        target.drawImage(r, image, sr, flags);
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        if (textAsOutlines) {
            // Unhinted: hinting fits the outlines to the recording's pixel
            // grid, which is not the grid they are replayed on.
            QFont font = item.font();
            font.setHintingPreference(QFont::PreferNoHinting);
            QPainterPath outline;
            outline.addText(p, font, item.text());
            target.fillPath(outline, target.pen().brush());
            return;
        }
        // The item's font was made for the stand-in device, whose resolution
        // is the picture's: its pixel size is the recorded one.
        const QFont saved = target.font();
        target.setFont(item.font());
        target.drawText(p, item.text());
        target.setFont(saved);
    }

    void restoreOuterClip()
    {
        const QTransform now = target.worldTransform();
        target.setWorldTransform(base);
        if (outerClip)
            target.setClipPath(*outerClipPath);
        else
            target.setClipping(false);
        target.setWorldTransform(now);
    }

    void noteOuterClip()
    {
        outerClip = target.hasClipping();
        if (outerClip)
            outerClipPath = target.clipPath();
    }

private:
    Qt::ClipOperation combine(Qt::ClipOperation op) const
    {
        // A picture's ReplaceClip must not widen the caller's clip.
        return op == Qt::ReplaceClip && outerClip ? Qt::IntersectClip : op;
    }

    QPainter& target;
    QTransform base;
    bool textAsOutlines;
    bool outerClip = false;
    std::optional<QPainterPath> outerClipPath;
};

class ForwardingDevice : public QPaintDevice {
public:
    ForwardingDevice(QPainter& target, int dpiX, int dpiY, bool textAsOutlines = false)
        : engine(target, textAsOutlines), dpiX(dpiX), dpiY(dpiY)
    {
        engine.noteOuterClip();
    }
    ~ForwardingDevice() override = default;
    QPaintEngine* paintEngine() const override { return const_cast<ForwardingEngine*>(&engine); }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight: return 1 << 20;
        case PdmWidthMM:
        case PdmHeightMM: return (1 << 20) * 254 / (dpiX * 10);
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmPhysicalDpiX: return dpiX;
        case PdmDpiY:
        case PdmPhysicalDpiY: return dpiY;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return QPaintDevice::metric(m);
        }
    }

private:
    ForwardingEngine engine;
    int dpiX;
    int dpiY;
};

} // namespace

void ReplayPicture(QPainter& target, const QPicture& picture)
{
    if (picture.isNull())
        return;
    target.save();
    {
        ForwardingDevice device(target, picture.logicalDpiX(), picture.logicalDpiY());
        QPainter stand(&device);
        // play() is not const, but it only reads the recorded commands.
        QPicture copy(picture);
        copy.play(&stand);
        stand.end();
    }
    target.restore();
}

void DrawWithTextAsOutlines(QPainter& target, const std::function<void(QPainter&)>& draw)
{
    target.save();
    {
        ForwardingDevice device(target, target.device()->logicalDpiX(), target.device()->logicalDpiY(), true);
        QPainter stand(&device);
        draw(stand);
        stand.end();
    }
    target.restore();
}

} // namespace bv
