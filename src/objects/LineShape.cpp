#include "objects/LineShape.h"

#include "platform/Checked.h"

#include "objects/Shapes.h"
#include "platform/Interaction.h"
#include "surface/BasePanel.h"
#include "surface/DrawingProperties.h"

#include <QAction>
#include <algorithm>
#include <cstdlib>
#include <QMenu>
#include <QPainter>

namespace bv {

TLineStyle LineStyleForDrag(QPoint from, QPoint to)
{
    const int dx = std::abs(to.x() - from.x());
    const int dy = std::abs(to.y() - from.y());
    constexpr int clickSlack = 3;
    if (dx <= clickSlack && dy <= clickSlack)
        return stVertical;
    if (dy * 2 <= dx)
        return stHorizontal;
    if (dx * 2 <= dy)
        return stVertical;
    // Right and up, or left and down: the line rises to the right.
    const bool rises = (to.x() - from.x() > 0) != (to.y() - from.y() > 0);
    return rises ? stAngleSlopingUp : stAngleSlopingDown;
}

const QStringList& LineStyleNames()
{
    static const QStringList names = { "stHorizontal", "stVertical", "stAngleSlopingUp", "stAngleSlopingDown" };
    return names;
}

TGLineShape::TGLineShape()
{
    SetBounds(0, 0, 10, 10);
}

const PropertyTable& TGLineShape::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGLineShape& {
            return static_cast<const TGLineShape&>(o);
        };
        auto mut = [](TGGraphicControl& o) -> TGLineShape& { return static_cast<TGLineShape&>(o); };
        std::vector<PropertyInfo> own;
        own.push_back(EnumProperty("LineStyle", LineStyleNames(), stHorizontal,
            [self](const TGGraphicControl& o) { return int(self(o).LineStyle()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetLineStyle(TLineStyle(v)); }));
        for (auto& p : PenProperties("Pen",
                 { [self](const TGGraphicControl& o) { return self(o).Pen(); },
                     [mut](TGGraphicControl& o, const TPen& pen) { mut(o).SetPen(pen); } }))
            own.push_back(p);
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

void TGLineShape::SetLineStyle(TLineStyle value)
{
    if (value == lineStyle)
        return;
    lineStyle = value;
    Invalidate();
}

void TGLineShape::SetPen(const TPen& value)
{
    if (value == pen)
        return;
    pen = value;
    Invalidate();
}

int TGLineShape::CanvasPenWidth() const
{
    if (Zoom() == 1.0f)
        return pen.DrawnWidth();
    return checked::SaturateReal(Round(static_cast<Extended>(pen.DrawnWidth()) * static_cast<Extended>(Zoom())));
}

QLine TGLineShape::CanvasLine() const
{
    const int w = CanvasPenWidth();
    const int h = w / 2;
    switch (lineStyle) {
    case stHorizontal: return QLine(h, h, Width() - w + 1 + h, h);
    case stVertical: return QLine(h, h, h, Height() - w + 1 + h);
    case stAngleSlopingUp: return QLine(Width(), 0, 0, Height());
    case stAngleSlopingDown: return QLine(0, 0, Width(), Height());
    }
    return QLine();
}

void TGLineShape::Paint()
{
    if (QPainter* c = DrawCanvas())
        DrawTo(*c);
    if (DrawingOnOwnCanvas()) {
        TGGraphicControl::BoundsChanged();
        DrawSelectionSquares();
    }
}

void TGLineShape::DrawTo(QPainter& canvas)
{
    canvas.save();
    QPen qpen(ToQColor(pen.Color), CanvasPenWidth(), QtPenStyle(pen.Style), Qt::FlatCap, Qt::MiterJoin);
    canvas.setPen(qpen);
    canvas.setCompositionMode(CompositionFor(pen.Mode));
    const QLine l = CanvasLine();
    // Flat caps: the line covers its start pixel and stops short of its
    // end point.
    canvas.drawLine(QPointF(l.x1(), l.y1()), QPointF(l.x2(), l.y2()));
    canvas.restore();
}

void TGLineShape::StretchToEdges()
{
    const TDesignModel* design = Parent();
    if (!design)
        return;
    if (lineStyle == stHorizontal)
        SetBounds(0, Top(), design->CardWidth(), Height());
    else if (lineStyle == stVertical)
        SetBounds(Left(), 0, Width(), design->CardHeight());
    Invalidate();
}

void TGLineShape::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    menu.addSeparator();
    QMenu* style = menu.addMenu(QStringLiteral("Style"));
    const QStringList captions = { "Horizontal", "Vertical", "Angled Sloping Up", "Angled Sloping Down" };
    styleItems.clear();
    for (int i = 0; i < captions.size(); ++i) {
        QAction* item = style->addAction(captions[i]);
        item->setCheckable(true);
        item->setData(i);
        connect(item, &QAction::triggered, this, [this, i] {
            NotifyChanged();
            SetLineStyle(TLineStyle(i));
        });
        styleItems.append(item);
    }
    AddMenuItem(menu, QStringLiteral("Color"), [this] {
        auto chosen = Interaction::Current().ChooseColour(ToQColor(pen.Color), QStringLiteral("Color"));
        if (!chosen)
            return;
        NotifyChanged();
        TPen p = pen;
        p.Color = FromQColor(*chosen);
        SetPen(p);
        Invalidate();
    });
    thicknessItems = AddThicknessMenu(menu, this, [this](int n) {
        TPen p = pen;
        p.Width = n;
        SetPen(p);
        NotifyChanged();
    });
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Stretch To Edges"), [this] { StretchToEdges(); });
}

void TGLineShape::UpdateMenuChecks()
{
    // Setting check marks needs the items: a call before the first popup
    // builds the menu.
    ContextMenu();
    for (QAction* item : thicknessItems)
        item->setChecked(item->data().toInt() == pen.Width);
    for (QAction* item : styleItems)
        item->setChecked(item->data().toInt() == int(lineStyle));
}

QAction* TGLineShape::ThicknessItem(int number)
{
    ContextMenu();
    for (QAction* item : thicknessItems)
        if (item->data().toInt() == number)
            return item;
    return nullptr;
}

QAction* TGLineShape::StyleItem(TLineStyle style)
{
    ContextMenu();
    for (QAction* item : styleItems)
        if (item->data().toInt() == int(style))
            return item;
    return nullptr;
}

} // namespace bv
