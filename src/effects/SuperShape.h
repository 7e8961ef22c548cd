#pragma once
// TSuperShape: the card's multi-purpose shape. One object draws a rectangle,
// rounded rectangle, ellipse, diamond, star or one of four triangles, with an
// optional drop shadow, a surface (transparent, solid colour, tiled texture
// or two-colour gradient) clipped to the figure, and an optional outline.
// Screen painting and printing share the geometry below: the body and shadow
// rectangles and the figure drawn on each.
#include "effects/SurfaceFill.h"
#include "platform/Dib.h"
#include "surface/GraphicControl.h"

#include <QImage>
#include <QPolygon>
#include <optional>

class QPainter;
class QRegion;

namespace bv {

enum TGPShapeType : int {
    gstRectangle, gstRoundRect, gstEllipse, gstDiamond, gstStar, gstTriangleLeft, gstTriangleRight,
    gstTriangleUp, gstTriangleDown, gstPolyGon
};
// The SuperShape's own surface kinds ("Solid" is stBrushPattern).
enum TSurfaceType : int { stBrushTransparent, stBrushPattern, stBrushImage, stGradientFill };
enum TShadowOrient : int { soNone, soLowerRight, soUpperRight, soUpperLeft, soLowerLeft };

const QStringList& GPShapeTypeNames();
const QStringList& SuperShapeSurfaceNames();
const QStringList& ShadowOrientNames();

class TSuperShape : public TGGraphicControl {
    Q_OBJECT
public:
    TSuperShape();
    ~TSuperShape() override;
    bool IsEffectObject() const override { return true; }

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    // --- persisted properties, in stream order ------------------------------------
    TColor BackColor() const { return backColor; }
    void SetBackColor(TColor value);
    TFillDirection FillDirection() const { return fillDirection; }
    void SetFillDirection(TFillDirection value);
    // Carried and stored; draws nothing.
    TColor ForeColor() const { return foreColor; }
    void SetForeColor(TColor value);
    TColor GradientToColor() const { return gradientToColor; }
    void SetGradientToColor(TColor value);
    // The texture picture. Setting copies it (always; no repaint); an empty
    // Dib empties it.
    const Dib& Image() const { return image; }
    void SetImage(const Dib& value);
    int InVectorPercent() const { return inVectorPercent; }
    // 0 to 100; other values are ignored.
    void SetInVectorPercent(int value);
    TColor OutlineColor() const { return outlineColor; }
    void SetOutlineColor(TColor value);
    TPenStyle OutlineStyle() const { return outlineStyle; }
    void SetOutlineStyle(TPenStyle value);
    int OutlineWidth() const { return outlineWidth; }
    void SetOutlineWidth(int value);
    // Carried and stored; draws nothing.
    TBrushStyle Pattern() const { return pattern; }
    void SetPattern(TBrushStyle value);
    int RoundPerc() const { return roundPerc; }
    void SetRoundPerc(int value);
    TColor ShadowColor() const { return shadowColor; }
    void SetShadowColor(TColor value);
    // Ignored while the depth already held exceeds half the width or half
    // the height (not while a design is being read: what was stored comes
    // back).
    int ShadowDepth() const { return shadowDepth; }
    void SetShadowDepth(int value);
    TShadowOrient ShadowOrient() const { return shadowOrient; }
    // Values above soLowerLeft are ignored.
    void SetShadowOrient(TShadowOrient value);
    TGPShapeType Shape() const { return shape; }
    // Becoming a star puts an InVectorPercent of 0 back to 50, Vectors below
    // 10 up to 10 and StartingAngle back to 90.
    void SetShape(TGPShapeType value);
    int StartingAngle() const { return startingAngle; }
    // 0 to 359; other values are ignored.
    void SetStartingAngle(int value);
    TSurfaceType SurfaceType() const { return surfaceType; }
    // Switching away from the texture discards the picture; a transparent
    // surface drops the shadow and keeps a visible outline. While a design
    // is being read only the type is taken (the stored values stand).
    void SetSurfaceType(TSurfaceType value);
    int Vectors() const { return vectors; }
    // 3 to 60; other values are ignored.
    void SetVectors(int value);
    const QString& LastBitmapFileNameandPath() const { return lastBitmapPath; }
    void SetLastBitmapFileNameandPath(const QString& value) { lastBitmapPath = value; }

    // Takes every setting of `other` through the setters (LastBitmapFileNameandPath
    // excepted), then its Width and Height.
    void CopyShapeSettings(const TSuperShape& other);
    // As CopyShapeSettings without the size: what the properties dialog gives
    // back on "Ok".
    void TakeSettingsFrom(const TSuperShape& other);

    // --- geometry (object pixels at the current zoom) ---------------------------
    // The shadow offset: ShadowDepth at zoom 1.0 exactly, else Trunc(depth × zoom).
    int ShadowDepthPixels() const;
    // The outline width the figure is drawn with (see figureLimit).
    int DrawnOutlineWidth() const;
    TRect BodyRect() const;
    // Nothing when ShadowOrient is soNone.
    std::optional<TRect> ShadowRect() const;
    // Side of the rounded rectangle's corner ellipse.
    int CornerSize() const;
    // True for the kinds drawn as polygons (diamond, triangles, star, polygon).
    bool IsPolygonKind() const { return IsPolygonKind(shape); }
    static bool IsPolygonKind(TGPShapeType kind);
    // The polygon of a polygon kind on a rectangle (empty for the others).
    QPolygon FigurePolygon(const TRect& r) const;
    static QPolygon FigurePolygon(TGPShapeType kind, const TRect& r, int vectors, int inVectorPercent,
        int startingAngle);
    static QPolygon StarPoints(const TRect& r, int vectors, int inVectorPercent, int startingAngle);
    // The clip region of the figure on a rectangle, as the surface uses it.
    QRegion FigureRegion(const TRect& r) const;

    // --- caches --------------------------------------------------------------------
    const QImage& GradientBitmap() const { return gradientBitmap; }
    const QImage& SolidBitmap() const { return solidBitmap; }
    // How often each cache was rebuilt (for checking that painting reuses them).
    int GradientBuilds() const { return gradientBuilds; }
    int SolidBuilds() const { return solidBuilds; }

    void Paint() override;
    // The shape at (0, 0) in its pixel size: shadow, surface, outline.
    void DrawTo(QPainter& canvas) override;
    void BoundsChanged() override;
    void PrintTo(TPageEngine& report, double left, double top) override;

    // The properties dialog on this shape; true when it was accepted.
    bool EditProperties();

protected:
    void BuildContextMenu(QMenu& menu) override;

private:
    void buildGradient();
    void buildSolid();
    void drawFigure(QPainter& p, const TRect& r, const QPolygon& polygon) const;
    QRegion figureRegion(const TRect& r, const QPolygon& polygon) const;
    void paintSurface(QPainter& p);
    void printFigure(TPageEngine& report, const TRect& r, double ppi, double left, double top, Single sx,
        Single sy, int originX, int originY, int pageX, int pageY) const;
    void pushFigureRegion(TPageEngine& report, const TRect& r, double ppi, double left, double top, Single sx,
        Single sy, int originX, int originY, int pageX, int pageY) const;
    void figureOnPage(TPageEngine& report, bool asRegion, const TRect& r, double ppi, double left, double top,
        Single sx, Single sy, int dx, int dy) const;

    TColor backColor = clRed;
    TFillDirection fillDirection = gdUp;
    TColor foreColor = clBlack;
    TColor gradientToColor = clBlue;
    Dib image;
    int inVectorPercent = 50;
    TColor outlineColor = clBlack;
    TPenStyle outlineStyle = psSolid;
    int outlineWidth = 1;
    int figureLimit() const;
    TBrushStyle pattern = bsClear;
    int roundPerc = 25;
    TColor shadowColor = clBlack;
    int shadowDepth = 5;
    TShadowOrient shadowOrient = soNone;
    TGPShapeType shape = gstStar;
    int startingAngle = 90;
    TSurfaceType surfaceType = stGradientFill;
    int vectors = 10;
    QString lastBitmapPath;

    QImage gradientBitmap;
    QImage solidBitmap;
    QSize gradientSize;
    int gradientBuilds = 0;
    int solidBuilds = 0;
};

// Registers TSuperShape with the stream class registry and the SuperShape
// drawing tool (which opens the properties dialog on the new shape). Safe to
// call more than once.
void RegisterSuperShapeClasses();

} // namespace bv
