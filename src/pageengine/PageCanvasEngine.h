#pragma once
// The page engine drawing onto a QPainter: a QImage at a chosen resolution
// (tests, exports, preview pages), a printer (TPagePrinter) or anything else
// Qt paints on. The device facts (resolution, unprintable offsets, page size)
// are given with SetDeviceFacts; SetOrigin moves the whole page on the
// device (a preview's margin around the sheet).
//
//     QImage sheet(2550, 3300, QImage::Format_RGB32);
//     sheet.fill(Qt::white);
//     QPainter painter(&sheet);
//     TCanvasPageEngine engine(&painter, {300, 300, 0, 0, 0, 8.5, 11});
//     engine.OnPrint = [](TPageEngine& e) { e.Rectangle(1, 1, 2, 2); };
//     engine.Execute();
#include "pageengine/PageEngine.h"

#include <QBrush>
#include <QFont>
#include <QPainterPath>
#include <QPen>
#include <optional>

class QPainter;

namespace bv {

class TCanvasPageEngine : public TPageEngine {
public:
    explicit TCanvasPageEngine(QPainter* painter = nullptr, const TDeviceFacts& device = TDeviceFacts());
    ~TCanvasPageEngine() override;

    QPainter* Painter() const { return painter; }
    // The painter to draw with (not owned). May be changed between pages;
    // the previous painter must still exist when it is replaced (outside
    // OnDevicePage).
    void SetPainter(QPainter* value);
    QPoint Origin() const { return origin; }
    void SetOrigin(const QPoint& value) { origin = value; }

    // Called by NewPage after the page ended, so that a caller drawing into
    // images can hand over the next one (SetPainter). The engine has let go
    // of the previous painter by then; the handler may end or delete it.
    std::function<void(TCanvasPageEngine&)> OnDevicePage;

protected:
    void DoStartJob() override;
    void DoBeginDocument() override;
    void DoEndDocument() override;
    void DoNewPage() override;

    void DoSetPen(const PenSpec& pen) override;
    void DoSetBrush(const BrushSpec& brush) override;
    void DoSetFont(const FontSpec& font) override;
    void DoSetTextBKMode(int mode) override;
    void DoFigure(int kind, double x1, double y1, double x2, double y2, double cw, double ch) override;
    void DoLine(double x1, double y1, double x2, double y2) override;
    void DoPolygon(const QPolygon& points) override;
    void DoFillDeviceRect(const TDeviceRect& rect) override;
    void DoText(double x, double y, const QString& text) override;
    void DoStretchBitmap(double x1, double y1, double x2, double y2, const Dib& bitmap) override;
    void DoStretchGraphic(const TDeviceRect& rect, const QPicture& graphic) override;
    void DoStretchMetafile(const TDeviceRect& rect, const Metafile& metafile) override;
    void DoDrawObject(const TDeviceRect& rect, const QSize& size, const ObjectDrawing& draw) override;
    void DoBeginBlockClip(double x1, double y1, double x2, double y2) override;
    void DoEndBlockClip() override;
    void DoPushRegion(int kind, double x1, double y1, double x2, double y2, double cw, double ch) override;
    void DoPushPolygonRegion(const QPolygon& points) override;
    void DoSelectTopRegion() override;
    void DoClearClip() override;
    void DoPopRegion() override;
    void DoBeginPath() override;
    void DoEndPath() override;
    void DoClipToPath() override;
    void DoStrokePath() override;

    // Where drawing goes: a painter with its device facts, origin and clips.
    struct DrawTarget {
        QPainter* painter = nullptr;
        TDeviceFacts facts;
        QPoint origin;
        std::optional<QPainterPath> clip;
        std::optional<QRect> blockClip;
    };
    // Draws onto another painter and device for a while (a block's own
    // page), without clips; returns the target to restore.
    DrawTarget SwitchTarget(QPainter* target, const TDeviceFacts& device);
    void RestoreTarget(const DrawTarget& target);
    // The clips in force, in device pixels (both apply).
    const std::optional<QPainterPath>& ClipPath() const { return clip; }
    const std::optional<QRect>& BlockClipRect() const { return blockClip; }

    // Drawing is only done while a painter is active and output is not
    // suppressed (a player passing over earlier pages) or aborted.
    bool canDraw() const;
    // Resets pen, brush, font, text mode, regions, path and clip.
    void resetState();
    // Puts the current clip on the painter.
    void applyClip();

    int devX(double inches) const;
    int devY(double inches) const;
    int devW(double inches) const;
    int devH(double inches) const;
    // Device pixels given by the caller; a player maps them from the
    // recording device to this one.
    QPoint mapPoint(const QPoint& p) const;
    QPolygon mapPolygon(const QPolygon& points) const;
    TDeviceRect mapRect(const TDeviceRect& r) const;

    QPainter* painter = nullptr;
    QPoint origin;
    double zoom = 1.0;          // z of the coordinate rule
    bool remap = false;         // device-pixel arguments come from another device
    TDeviceFacts sourceFacts;   // that device
    bool suppressOutput = false;
    bool documentActive = false;

private:
    QPen currentPen() const;
    QPainterPath figurePath(int kind, const QRectF& box, double cw, double ch) const;
    void setComposition(QPainter& p) const;

    PenSpec pen;
    BrushSpec brushSpec;
    QBrush brush;
    FontSpec fontSpec;
    int bkMode = tbOpaque;
    QList<QPainterPath> regions;
    std::optional<QPainterPath> clip;
    // The box of the block being drawn, in device pixels: it bounds every clip.
    std::optional<QRect> blockClip;
    QPainterPath path;
    bool pathOpen = false;
    bool pathReady = false;
    bool painterSaved = false;
};

} // namespace bv
