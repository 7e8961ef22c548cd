#pragma once
// Rectangles, rounded rectangles and ellipses: a pen outline and a brush fill
// across the object's bounds, edited through the context menu.
#include "surface/GraphicControl.h"

class QAction;

namespace bv {

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
const QStringList& ShapeTypeNames();

class TGLabelShapes : public TGGraphicControl {
    Q_OBJECT
public:
    TGLabelShapes();

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    bool Transparent() const { return transparent; }
    // Also sets Brush.Style: clear when transparent, else solid.
    void SetTransparent(bool value);
    const TBrush& Brush() const { return brush; }
    void SetBrush(const TBrush& value);
    const TPen& Pen() const { return pen; }
    void SetPen(const TPen& value);
    int RoundPerc() const { return roundPerc; }
    void SetRoundPerc(int value);
    TShapeType Shape() const { return shape; }
    void SetShape(TShapeType value);

    void Paint() override;
    // The screen's drawing (paper has its own, in device pixels: PrintTo).
    void DrawTo(QPainter& canvas) override;
    void UpdateMenuChecks() override;
    // Vector drawing through the page engine (PrintShapes.cpp).
    void PrintTo(TPageEngine& report, double left, double top) override;

    // What Paint draws with: the pen width on the canvas, the outline's box
    // (left, top, right, bottom; right and bottom excluded) and the corner
    // ellipse size of the rounded kinds.
    int CanvasPenWidth() const;
    TRect OutlineBox() const;
    int CornerSize() const;

    // Menu items with a check mark; asking builds the menu.
    QAction* ThicknessItem(int number);
    QAction* TransparentItem();

protected:
    void BuildContextMenu(QMenu& menu) override;
    void CaptureMenuState() override;

private:
    bool transparent = false;
    TBrush brush;
    TPen pen;
    int roundPerc = 25;
    TShapeType shape = stRectangle;
    QList<QAction*> thicknessItems;
    QAction* transparentItem = nullptr;
    // The "Degree of Rounding" submenu: decided by Shape at load completion.
    bool roundingMenu = false;
};

// The shape class the card panel's tools create; behaves as TGLabelShapes.
class TBCShapes : public TGLabelShapes {
    Q_OBJECT
public:
};

// Registers TGLabelShapes, TBCShapes and TGLineShape with the stream class
// registry and the rectangle, ellipse, round-rectangle and line tools with the
// card panel. Safe to call more than once.
void RegisterShapeClasses();

// Builds the "Line Thickness" submenu shared by shapes and lines: ten items
// "1 Point" .. "10 Point" whose data is the number.
QList<QAction*> AddThicknessMenu(QMenu& menu, QObject* context, const std::function<void(int)>& choose);

} // namespace bv
