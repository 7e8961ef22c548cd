#pragma once
// SuperText: one line of large text whose letter shapes are filled with the
// font colour, a tiled texture picture or a two-colour gradient, with an
// optional outline traced around the letters, a drop shadow in the letters'
// shape and an optional background box and frame.
//
// The letters are the font's own outlines (QPainterPath::addText), so the
// fill, the shadow and the outline trace the same shapes at every zoom and
// on paper.
#include "effects/EffectTextControl.h"
#include "effects/SurfaceFill.h"
#include "objects/BaseLabel.h" // the shadow directions and their names
#include "platform/Dib.h"

#include <QImage>
#include <QPainterPath>
#include <QPoint>

class QAction;
class QFontMetrics;

namespace bv {

// The SuperText's shadow directions are those of the text labels.
using TShadowOrientation = TShadowDirection;

class TGSuperText : public TGEffectTextControl {
    Q_OBJECT
public:
    // The SuperText's own surfaces (their order is not the SuperShape's).
    enum TSurfaceType { stNormal, stBrushTransparent, stBrushImage, stGradientFill };
    static const QStringList& SurfaceTypeNames();

    // Limits of what is drawn for values no dialog offers (damaged files):
    // the shadow's offset, the outline's width and the gradient's area.
    static constexpr int MaxShadowDepth = 1000;
    static constexpr int MaxOutlineWidth = 200;
    static constexpr qint64 MaxGradientPixels = 16 * 1024 * 1024;

    TGSuperText();
    ~TGSuperText() override;
    bool IsEffectObject() const override { return true; }

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    // --- published properties ----------------------------------------------------
    int ShadowDepth() const { return shadowDepth; }
    void SetShadowDepth(int value);
    TShadowOrientation ShadowOrientation() const { return shadowOrientation; }
    void SetShadowOrientation(TShadowOrientation value);
    TColor ShadowColor() const { return shadowColor; }
    void SetShadowColor(TColor value);
    TFillDirection FillDirection() const { return fillDirection; }
    void SetFillDirection(TFillDirection value);
    TColor GradientToColor() const { return gradientToColor; }
    void SetGradientToColor(TColor value);
    TColor GradientFromColor() const { return gradientFromColor; }
    void SetGradientFromColor(TColor value);
    const Dib& Image() const { return image; }
    // Copies the picture; an empty one empties the texture.
    void SetImage(const Dib& value);
    TColor OutlineColor() const { return outlineColor; }
    void SetOutlineColor(TColor value);
    TPenStyle OutlineStyle() const { return outlineStyle; }
    void SetOutlineStyle(TPenStyle value);
    int OutlineWidth() const { return outlineWidth; }
    void SetOutlineWidth(int value);
    TSurfaceType SurfaceType() const { return surfaceType; }
    void SetSurfaceType(TSurfaceType value);
    const QString& LastBitmapFileNameandPath() const { return lastBitmapPath; }
    void SetLastBitmapFileNameandPath(const QString& value) { lastBitmapPath = value; }

    // --- layout -------------------------------------------------------------------
    QPoint ShadowOffset() const { return shadowOffset; }
    bool LayoutNeeded() const { return layoutNeeded; }
    void SetLayoutNeeded() { layoutNeeded = true; }
    // Positions of the text and its shadow; may change Width and Height.
    // Does nothing unless a layout is needed.
    void LayoutText();
    const TRect& TextRect() const { return textRect; }
    const TRect& ShadowRect() const { return shadowRect; }
    QPoint TextOrigin() const { return textOrigin; }
    QPoint ShadowOrigin() const { return shadowOrigin; }
    // The larger of the text's and the shadow's left edges.
    int FittingMargin() const { return std::max(textRect.Left, shadowRect.Left); }
    // The longest beginning of Caption that fits in Width minus the fitting
    // margin, measured with `metrics`.
    QString FittingText(const QFontMetrics& metrics) const;
    // Resizes the object around its text; true when it ends up at least as
    // wide and as high as the text.
    bool FitToText();
    // Fits the object around its text at the current zoom (as the tool
    // leaves a new one), making the font smaller while the text would need
    // more room than `most`.
    void FitWithin(QSize most);
    // The letters of `text` as the font's outlines, the top-left corner of
    // the text cell at (0, 0), in the font at the current zoom.
    QPainterPath LetterPath(const QString& text) const;
    // The gradient over the object's box (built for the gradient surface).
    const QImage& GradientBitmap() const { return gradientBitmap; }
    void BuildGradient();
    // The box is small enough to hold a gradient bitmap.
    bool GradientFits() const;

    // Draws the object on any painter, its top-left corner at (0, 0).
    void DrawTo(QPainter& canvas) override;

    // --- operations ----------------------------------------------------------------
    void CopyTextSettings(const TGSuperText& other);
    void BoundsChanged() override;
    void ApplyFont(const TFont& font) override;
    void Loaded() override;
    // Vector printing through the page engine's text paths.
    void PrintTo(TPageEngine& report, double left, double top) override;

    // The properties dialog; true when it was accepted.
    bool EditProperties() override;


protected:
    void FontChanged() override;
    void FontChosen() override;

private:
    void recomputeShadowOffset();
    TGradientSpec gradientSpec() const;
    void drawLetters(QPainter& canvas, const QString& s);

    // Published.
    int shadowDepth = 0;
    TShadowOrientation shadowOrientation = sdDownRight;
    TColor shadowColor = 8421504;
    TFillDirection fillDirection = gdUp;
    TColor gradientToColor = 65535;
    TColor gradientFromColor = 16711680;
    Dib image;
    TColor outlineColor = clBlack;
    TPenStyle outlineStyle = psSolid;
    int outlineWidth = 1;
    TSurfaceType surfaceType = stGradientFill;
    QString lastBitmapPath;

    // Working state.
    QImage gradientBitmap;
    QPoint shadowOffset;
    TRect textRect;
    TRect shadowRect;
    QPoint textOrigin;
    QPoint shadowOrigin;
    bool layoutNeeded = true;
    bool layoutRunning = false;
    // The letter path of the last text drawn, at (0, 0), and what it was
    // made from.
    mutable QPainterPath cachedPath;
    mutable QString cachedText;
    mutable QFont cachedFont;
    mutable bool cachedValid = false;
    // The texture scaled to its tile size, and what it was scaled for.
    QImage tileImage;
    QSize tileSize;
    qint64 tileKey = 0;

};

} // namespace bv
