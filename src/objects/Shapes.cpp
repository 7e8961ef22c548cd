#include "objects/Shapes.h"

#include "platform/Checked.h"

#include "objects/LineShape.h"
#include "platform/Interaction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/DrawingProperties.h"

#include <QAction>
#include <algorithm>
#include <QMenu>
#include <QPainter>

namespace bv {

const QStringList& ShapeTypeNames()
{
    static const QStringList names = { "stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse",
        "stCircle" };
    return names;
}

QList<QAction*> AddThicknessMenu(QMenu& menu, QObject* context, const std::function<void(int)>& choose)
{
    QMenu* sub = menu.addMenu(QStringLiteral("Line Thickness"));
    QList<QAction*> items;
    for (int n = 1; n <= 10; ++n) {
        QAction* item = sub->addAction(QStringLiteral("%1 Point").arg(n));
        item->setData(n);
        item->setCheckable(true);
        QObject::connect(item, &QAction::triggered, context, [choose, n] { choose(n); });
        items.append(item);
    }
    return items;
}

TGLabelShapes::TGLabelShapes()
{
    SetBounds(0, 0, 25, 25);
}

const PropertyTable& TGLabelShapes::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGLabelShapes& {
            return static_cast<const TGLabelShapes&>(o);
        };
        auto mut = [](TGGraphicControl& o) -> TGLabelShapes& { return static_cast<TGLabelShapes&>(o); };
        std::vector<PropertyInfo> own;
        own.push_back({ "Transparent", PropertyKind::Bool, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).Transparent()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetTransparent(expectBool(v)); } });
        for (auto& p : BrushProperties("Brush",
                 { [self](const TGGraphicControl& o) { return self(o).Brush(); },
                     [mut](TGGraphicControl& o, const TBrush& b) { mut(o).SetBrush(b); } }))
            own.push_back(p);
        for (auto& p : PenProperties("Pen",
                 { [self](const TGGraphicControl& o) { return self(o).Pen(); },
                     [mut](TGGraphicControl& o, const TPen& pen) { mut(o).SetPen(pen); } }))
            own.push_back(p);
        own.push_back({ "RoundPerc", PropertyKind::Integer, Value::integer(25),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).RoundPerc()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetRoundPerc(static_cast<int>(expectInt(v))); } });
        own.push_back(EnumProperty("Shape", ShapeTypeNames(), stRectangle,
            [self](const TGGraphicControl& o) { return int(self(o).Shape()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetShape(TShapeType(v)); }));
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

void TGLabelShapes::SetTransparent(bool value)
{
    if (value == transparent)
        return;
    transparent = value;
    brush.Style = value ? bsClear : bsSolid;
    Invalidate();
}

void TGLabelShapes::SetBrush(const TBrush& value)
{
    if (value == brush)
        return;
    brush = value;
    Invalidate();
}

void TGLabelShapes::SetPen(const TPen& value)
{
    if (value == pen)
        return;
    pen = value;
    Invalidate();
}

void TGLabelShapes::SetRoundPerc(int value)
{
    if (value == roundPerc)
        return;
    roundPerc = value;
    Invalidate();
}

void TGLabelShapes::SetShape(TShapeType value)
{
    if (value == shape)
        return;
    shape = value;
    Invalidate();
}

int TGLabelShapes::CanvasPenWidth() const
{
    const int width = pen.DrawnWidth();
    if (Zoom() == 1.0f)
        return width;
    int w = checked::SaturateReal(Round(static_cast<Extended>(width) * static_cast<Extended>(Zoom())));
    if (w == 0 && width > 0)
        w = 1;
    return w;
}

TRect TGLabelShapes::OutlineBox() const
{
    const int w = CanvasPenWidth();
    const int h = w / 2;
    return TRect(h, h, checked::Add(checked::Sub(Width(), w), 1 + h), checked::Add(checked::Sub(Height(), w), 1 + h));
}

int TGLabelShapes::CornerSize() const
{
    const int m = std::max(Width(), Height());
    return static_cast<int>(Trunc(static_cast<Extended>(m) * roundPerc * 0.01L));
}

void TGLabelShapes::Paint()
{
    if (QPainter* c = DrawCanvas())
        DrawTo(*c);
    if (DrawingOnOwnCanvas()) {
        DrawSelectionSquares();
        TGGraphicControl::BoundsChanged();
    }
}

void TGLabelShapes::DrawTo(QPainter& canvas)
{
    canvas.save();
    const int w = CanvasPenWidth();
    // The screen keeps a solid outline whatever Pen.Style says.
    QPen qpen(ToQColor(pen.Color), w, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    canvas.setPen(qpen);
    canvas.setBrush(QBrush(ToQColor(brush.Color), QtBrushStyle(brush.Style)));
    canvas.setCompositionMode(CompositionFor(pen.Mode));
    const TRect b = OutlineBox();
    // The box's right and bottom edges are excluded; the aliased pen then
    // covers the same pixels as a wide pen centred on the box's edges.
    const QRectF box(b.Left, b.Top, double(b.Right) - b.Left - 1, double(b.Bottom) - b.Top - 1);
    switch (shape) {
    case stRectangle:
    case stSquare: canvas.drawRect(box); break;
    case stRoundRect:
    case stRoundSquare: {
        const qreal r = CornerSize() / 2.0;
        canvas.drawRoundedRect(box, r, r);
        break;
    }
    case stEllipse:
    case stCircle: canvas.drawEllipse(box); break;
    }
    canvas.restore();
}

void TGLabelShapes::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Background Color"), [this] {
        auto chosen = Interaction::Current().ChooseColour(ToQColor(brush.Color), QStringLiteral("Background Color"));
        if (!chosen)
            return;
        TBrush b = brush;
        b.Color = FromQColor(*chosen);
        SetBrush(b);
        NotifyChanged();
        SetTransparent(false);
        Invalidate();
    });
    AddMenuItem(menu, QStringLiteral("Line Color"), [this] {
        auto chosen = Interaction::Current().ChooseColour(ToQColor(pen.Color), QStringLiteral("Line Color"));
        if (!chosen)
            return;
        TPen p = pen;
        p.Color = FromQColor(*chosen);
        SetPen(p);
        NotifyChanged();
        Invalidate();
    });
    thicknessItems = AddThicknessMenu(menu, this, [this](int n) {
        TPen p = pen;
        p.Width = n;
        SetPen(p);
        NotifyChanged();
    });
    menu.addSeparator();
    transparentItem = AddMenuItem(menu, QStringLiteral("Transparent"), [this] {
        SetTransparent(!transparent);
        NotifyChanged();
    });
    transparentItem->setCheckable(true);
    if (roundingMenu) {
        menu.addSeparator();
        QMenu* sub = menu.addMenu(QStringLiteral("Degree of Rounding"));
        for (int perc = 20; perc <= 80; perc += 10) {
            QAction* item = sub->addAction(QStringLiteral("%1 %").arg(perc));
            item->setData(perc);
            connect(item, &QAction::triggered, this, [this, perc] {
                SetRoundPerc(perc);
                NotifyChanged();
            });
        }
    }
}

void TGLabelShapes::CaptureMenuState()
{
    TGGraphicControl::CaptureMenuState();
    // A later change of Shape neither adds nor removes the submenu.
    roundingMenu = shape == stRoundRect || shape == stRoundSquare;
}

void TGLabelShapes::UpdateMenuChecks()
{
    // Setting check marks needs the items: a call before the first popup
    // builds the menu.
    ContextMenu();
    if (transparentItem)
        transparentItem->setChecked(transparent);
    for (QAction* item : thicknessItems)
        item->setChecked(item->data().toInt() == pen.Width);
}

QAction* TGLabelShapes::TransparentItem()
{
    ContextMenu();
    return transparentItem;
}

QAction* TGLabelShapes::ThicknessItem(int number)
{
    ContextMenu();
    for (QAction* item : thicknessItems)
        if (item->data().toInt() == number)
            return item;
    return nullptr;
}

namespace {
void createShape(TGBusinessCardPanel32& panel, const TRect& r, TShapeType kind)
{
    auto* shape = new TBCShapes;
    shape->SetShape(kind);
    shape->Loaded();
    panel.AddObject(shape, r);
}
} // namespace

void RegisterShapeClasses()
{
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGLabelShapes"), [] { return new TGLabelShapes; } },
            { QStringLiteral("TBCShapes"), [] { return new TBCShapes; } } },
        .tools = {
            { .state = psRectangle, .button = "DrawRectanglebutton", .hint = QStringLiteral("Rectangle tool"),
                .menuCaption = QStringLiteral("R&ectangle"), .iconName = QStringLiteral("rectangle"), .group = 2,
                .order = 40,
                .create = [](TGBusinessCardPanel32& panel, const TRect& r) { createShape(panel, r, stRectangle); } },
            { .state = psEllipse, .button = "DrawEllipseButton", .hint = QStringLiteral("Ellipse tool"),
                .menuCaption = QStringLiteral("E&llipse"), .iconName = QStringLiteral("ellipse"), .group = 2,
                .order = 50,
                .create = [](TGBusinessCardPanel32& panel, const TRect& r) { createShape(panel, r, stEllipse); } },
            { .state = psRoundRectangle, .button = "DrawRoundrectbutton",
                .hint = QStringLiteral("Round Rectangle tool"), .menuCaption = QStringLiteral("R&ound Rectangle"),
                .iconName = QStringLiteral("roundrect"), .group = 2, .order = 60,
                .create = [](TGBusinessCardPanel32& panel, const TRect& r) { createShape(panel, r, stRoundRect); } },
        },
    });
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGLineShape"), [] { return new TGLineShape; } } },
        .tools = { { .state = psLine, .button = "DrawLinebutton", .hint = QStringLiteral("Line Tool"),
            .menuCaption = QStringLiteral("Li&ne"), .iconName = QStringLiteral("line"), .group = 2, .order = 70,
            .create =
                [](TGBusinessCardPanel32& panel, const TRect& r) {
                    // The band the panel released is the drag; a call from
                    // elsewhere with another rectangle is taken as a click.
                    QPoint from = panel.BandStart();
                    QPoint to = panel.BandEnd();
                    if (std::min(from.x(), to.x()) != r.Left || std::min(from.y(), to.y()) != r.Top)
                        from = to = QPoint(r.Left, r.Top);
                    const TLineStyle style = LineStyleForDrag(from, to);
                    // A straight line lies where the drag started; the object's
                    // other side is as small as objects get.
                    TRect bounds = r;
                    if (style == stHorizontal)
                        bounds = TRect(r.Left, from.y(), r.Right, from.y() + 15);
                    else if (style == stVertical)
                        bounds = TRect(from.x(), r.Top, from.x() + 10, r.Bottom);
                    auto* line = new TGLineShape;
                    line->SetLineStyle(style);
                    line->Loaded();
                    panel.AddObject(line, bounds);
                } } },
    });
}

} // namespace bv
