#pragma once
// A horizontal, vertical or diagonal line across the object's bounds.
#include "surface/GraphicControl.h"

#include <QPoint>

class QAction;

namespace bv {

enum TLineStyle { stHorizontal, stVertical, stAngleSlopingUp, stAngleSlopingDown };
const QStringList& LineStyleNames();

// The line the line tool draws for a drag from `from` to `to`: mostly
// across (within about 27 degrees) horizontal, mostly down vertical, a click
// (a few pixels at most) vertical, anything between sloping up or down as
// the drag went.
TLineStyle LineStyleForDrag(QPoint from, QPoint to);

class TGLineShape : public TGGraphicControl {
    Q_OBJECT
public:
    TGLineShape();

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    TLineStyle LineStyle() const { return lineStyle; }
    void SetLineStyle(TLineStyle value);
    const TPen& Pen() const { return pen; }
    void SetPen(const TPen& value);

    void Paint() override;
    // The screen's drawing (paper has its own, in device pixels: PrintTo).
    void DrawTo(QPainter& canvas) override;
    void UpdateMenuChecks() override;
    // Vector drawing through the page engine (PrintShapes.cpp).
    void PrintTo(TPageEngine& report, double left, double top) override;
    // Horizontal lines span the card's width, vertical ones its height.
    void StretchToEdges();

    // Pen width on the canvas and the end points Paint draws between.
    int CanvasPenWidth() const;
    QLine CanvasLine() const;

    // Menu items with a check mark; asking builds the menu.
    QAction* ThicknessItem(int number);
    QAction* StyleItem(TLineStyle style);

protected:
    void BuildContextMenu(QMenu& menu) override;

private:
    TLineStyle lineStyle = stHorizontal;
    TPen pen;
    QList<QAction*> thicknessItems;
    QList<QAction*> styleItems;
};

} // namespace bv
