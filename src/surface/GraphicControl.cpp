#include "surface/GraphicControl.h"

#include "platform/Checked.h"

#include "platform/Colors.h"
#include "platform/Environment.h"
#include "printing/PageEngine.h"
#include "surface/BasePanel.h"
#include "surface/CommandGuard.h"
#include "surface/Handle.h"
#include "surface/PanelFiler.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPainter>

namespace bv {

TGGraphicControl::TGGraphicControl() = default;

TGGraphicControl::~TGGraphicControl()
{
    if (panel)
        panel->RemoveObject(this);
}

bool TGGraphicControl::InheritsClass(const QString& className) const
{
    return className.compare(QStringLiteral("TGGraphicControl"), Qt::CaseInsensitive) == 0;
}

const PropertyTable& TGGraphicControl::ClassProperties()
{
    static const PropertyTable table({
        { "Tag", PropertyKind::Integer, Value::integer(0),
            [](const TGGraphicControl& o) { return Value::integer(o.Tag()); },
            [](TGGraphicControl& o, const Value& v) { o.SetTag(static_cast<int>(expectInt(v))); } },
        { "Left", PropertyKind::Integer, std::nullopt,
            [](const TGGraphicControl& o) { return Value::integer(o.Left()); },
            [](TGGraphicControl& o, const Value& v) { o.SetLeft(static_cast<int>(expectInt(v))); } },
        { "Top", PropertyKind::Integer, std::nullopt,
            [](const TGGraphicControl& o) { return Value::integer(o.Top()); },
            [](TGGraphicControl& o, const Value& v) { o.SetTop(static_cast<int>(expectInt(v))); } },
        { "Width", PropertyKind::Integer, std::nullopt,
            [](const TGGraphicControl& o) { return Value::integer(o.Width()); },
            [](TGGraphicControl& o, const Value& v) { o.SetWidth(static_cast<int>(expectInt(v))); } },
        { "Height", PropertyKind::Integer, std::nullopt,
            [](const TGGraphicControl& o) { return Value::integer(o.Height()); },
            [](TGGraphicControl& o, const Value& v) { o.SetHeight(static_cast<int>(expectInt(v))); } },
        { "Cursor", PropertyKind::Cursor, Value::integer(0),
            [](const TGGraphicControl& o) { return Value::integer(o.Cursor()); },
            [](TGGraphicControl& o, const Value& v) { o.SetCursor(static_cast<int>(expectInt(v))); } },
        { "Hint", PropertyKind::String, Value::string(QString()),
            [](const TGGraphicControl& o) { return Value::string(o.Hint()); },
            [](TGGraphicControl& o, const Value& v) { o.SetHint(expectString(v)); } },
        { "Locked", PropertyKind::Bool, std::nullopt,
            [](const TGGraphicControl& o) { return Value::boolean(o.Locked()); },
            [](TGGraphicControl& o, const Value& v) { o.SetLocked(expectBool(v)); } },
        { "Unselectable", PropertyKind::Bool, std::nullopt,
            [](const TGGraphicControl& o) { return Value::boolean(o.Unselectable()); },
            [](TGGraphicControl& o, const Value& v) { o.SetUnselectable(expectBool(v)); } },
    });
    return table;
}

void TGGraphicControl::SetParent(TGBasePanel* newParent)
{
    if (newParent == panel)
        return;
    if (panel)
        panel->RemoveObject(this);
    panel = newParent;
    if (panel)
        panel->InsertObject(this);
}

void TGGraphicControl::SetBounds(int l, int t, int w, int h)
{
    // A design file may hold any 32-bit position or size; held to a range
    // where sums of positions, sizes, offsets and zoom cannot overflow (far
    // beyond any card, so every real design keeps its values exactly).
    l = checked::Coordinate(l);
    t = checked::Coordinate(t);
    w = checked::Coordinate(w);
    h = checked::Coordinate(h);
    if (l == left && t == top && w == width && h == height)
        return;
    Invalidate();
    left = l;
    top = t;
    width = w;
    height = h;
    Invalidate();
    if (!loading && !reading)
        BoundsChanged();
}

void TGGraphicControl::SetVisible(bool value)
{
    if (visible == value)
        return;
    visible = value;
    if (panel)
        panel->RepaintCard();
}

void TGGraphicControl::SetFont(const TFont& value)
{
    if (font == value)
        return;
    font = value;
    if (!loading && !reading)
        FontChanged();
}

void TGGraphicControl::SetFontName(const QString& value)
{
    TFont f = font;
    f.Name = value.left(255);
    SetFont(f);
}

void TGGraphicControl::FontChanged()
{
    Invalidate();
    NotifyChanged();
}

void TGGraphicControl::SetLocked(bool value)
{
    if (value == locked)
        return;
    locked = value;
    if (loading || reading)
        return;
    try {
        setLockedCheck();
        NotifyChanged();
    } catch (...) {
        // The flag keeps its value; the menu and the change signal are cosmetic.
    }
}

void TGGraphicControl::SetUnselectable(bool value)
{
    if (value == unselectable)
        return;
    unselectable = value;
    if (loading || reading)
        return;
    try {
        NotifyChanged();
        if (unselectable && panel)
            panel->Handle().RemoveFromSelection(this);
    } catch (...) {
    }
}

void TGGraphicControl::ToggleLocked()
{
    locked = !locked;
    try {
        setLockedCheck();
        NotifyChanged();
    } catch (...) {
    }
}

void TGGraphicControl::MakeUnselectable()
{
    try {
        SetUnselectable(true);
        NotifyChanged();
        if (unselectable && panel)
            panel->Handle().RemoveFromSelection(this);
    } catch (...) {
    }
}

void TGGraphicControl::SetZoom(Single value)
{
    if (value == zoom)
        return;
    const Single r = value / zoom;
    const Extended er = r;
    const int l = static_cast<int>(Round(left * er));
    const int t = static_cast<int>(Round(top * er));
    const int w = static_cast<int>(Round(width * er));
    const int h = static_cast<int>(Round(height * er));
    SetBounds(l, t, w, h);
    zoom = value;
    BoundsChanged();
}

void TGGraphicControl::PaintAt(QPainter& canvas, int x, int y)
{
    QPainter* saved = drawCanvas;
    drawCanvas = &canvas;
    canvas.save();
    canvas.translate(x, y);
    canvas.setFont(font.ToQFont());
    try {
        Paint();
    } catch (...) {
        canvas.restore();
        drawCanvas = saved;
        throw;
    }
    canvas.restore();
    drawCanvas = saved;
}

void TGGraphicControl::Paint()
{
    DrawSelectionSquares();
}

void TGGraphicControl::DrawSelectionSquares()
{
    if (!panel)
        return;
    TGHandle& frame = panel->Handle();
    if (frame.IndexOf(this) < 0)
        return;
    QPainter* canvas = panel->PanelCanvas();
    if (!canvas)
        return;
    const int count = frame.SelectionCount();
    const QColor colour = ToQColor(count == 1 ? frame.Color() : frame.SecondaryColor());
    const TRect r(left - 2, top - 2, left + width + 2, top + height + 2);
    canvas->save();
    canvas->resetTransform();
    canvas->setClipping(false);
    canvas->setCompositionMode(QPainter::CompositionMode_SourceOver);
    auto square = [&](int l, int t, int rr, int b) { canvas->fillRect(QRect(l, t, rr - l, b - t), colour); };
    square(r.Left, r.Top, r.Left + 5, r.Top + 5);
    square(r.Right - 5, r.Top, r.Right, r.Top + 5);
    square(r.Right - 5, r.Bottom - 5, r.Right, r.Bottom);
    square(r.Left, r.Bottom - 5, r.Left + 5, r.Bottom);
    if (count == 1) {
        const int w2 = static_cast<int>(Trunc((r.Right - r.Left) * 0.5L));
        const int h2 = static_cast<int>(Trunc((r.Bottom - r.Top) * 0.5L));
        square(r.Left + w2 - 2, r.Top, r.Left + w2 + 3, r.Top + 5);
        square(r.Left + w2 - 2, r.Bottom - 5, r.Left + w2 + 3, r.Bottom);
        square(r.Left, r.Top + h2 - 2, r.Left + 5, r.Top + h2 + 3);
        square(r.Right - 5, r.Top + h2 - 2, r.Right, r.Top + h2 + 3);
    }
    canvas->restore();
}

void TGGraphicControl::Invalidate()
{
    if (panel && visible)
        panel->RepaintCard(QRect(left - 3, top - 3, width + 6, height + 6));
}

void TGGraphicControl::NotifyChanged()
{
    if (panel && !panel->Printing())
        panel->SignalChanged();
}

void TGGraphicControl::RequestRefit()
{
    if (panel)
        panel->PostRefitRequest();
}

void TGGraphicControl::BoundsChanged()
{
    if (boundsGuard)
        return;
    boundsGuard = true;
    const TRect current = BoundsRect();
    if (lastBounds.IsZero())
        lastBounds = current;
    if (current != lastBounds) {
        NotifyChanged();
        lastBounds = current;
        RequestRefit();
    }
    boundsGuard = false;
}

void TGGraphicControl::PrintTo(TPageEngine& report, double left, double top)
{
    if (Width() < 1 || Height() < 1)
        return;
    const double ppi = ScreenPpi();
    const double x1 = Left() / ppi + left;
    const double y1 = Top() / ppi + top;
    const double x2 = (Left() + Width()) / ppi + left;
    const double y2 = (Top() + Height()) / ppi + top;
    report.DrawObject(report.InchRectToDevice(x1, y1, x2, y2), QSize(Width(), Height()),
                      [this](QPainter& canvas) { DrawTo(canvas); });
}

void TGGraphicControl::Loaded()
{
    if (menuDue)
        return;
    menuDue = true;
    CaptureMenuState();
}

void TGGraphicControl::CaptureMenuState()
{
    lockedChecked = locked;
}

QMenu* TGGraphicControl::ContextMenu()
{
    if (!contextMenu) {
        if (!menuDue)
            Loaded();
        // Built from the state recorded at load completion, so the menu is
        // the one an eager build would have made then; check marks that
        // follow the properties are set by UpdateMenuChecks when it pops up.
        contextMenu = std::make_unique<QMenu>();
        BuildContextMenu(*contextMenu);
        QObject::connect(contextMenu.get(), &QMenu::aboutToShow, this, [this] { UpdateMenuChecks(); });
    }
    return contextMenu.get();
}

QAction* TGGraphicControl::LockedMenuItem()
{
    ContextMenu();
    return lockedMenuItem;
}

void TGGraphicControl::setLockedCheck()
{
    lockedChecked = locked;
    if (lockedMenuItem)
        lockedMenuItem->setChecked(locked);
}

QAction* TGGraphicControl::AddMenuItem(QMenu& menu, const QString& caption, std::function<void()> action)
{
    QAction* item = menu.addAction(caption);
    QObject::connect(item, &QAction::triggered, this, [action = std::move(action)] { RunCommand(action); });
    return item;
}

void TGGraphicControl::BuildContextMenu(QMenu& menu)
{
    AddMenuItem(menu, QStringLiteral("Bring To Front"), [this] {
        NotifyChanged();
        if (panel)
            panel->BringObjectToFront(this);
    });
    AddMenuItem(menu, QStringLiteral("Send To Back"), [this] {
        NotifyChanged();
        if (panel) {
            panel->SendObjectToBack(this);
            panel->Handle().ClearSelection();
        }
    });
    AddMenuItem(menu, QStringLiteral("Cut"), [this] {
        NotifyChanged();
        if (panel)
            panel->ObjectClipboard(this, caCut);
    });
    AddMenuItem(menu, QStringLiteral("Copy"), [this] {
        if (panel)
            panel->ObjectClipboard(this, caCopy);
    });
    AddMenuItem(menu, QStringLiteral("Delete"), [this] {
        NotifyChanged();
        if (panel)
            panel->ObjectClipboard(this, caDelete);
    });
    AddMenuItem(menu, QStringLiteral("Clone"), [this] { Clone(); });
    menu.addSeparator();
    lockedMenuItem = AddMenuItem(menu, QStringLiteral("Locked"), [this] { ToggleLocked(); });
    lockedMenuItem->setCheckable(true);
    lockedMenuItem->setChecked(lockedChecked);
    AddMenuItem(menu, QStringLiteral("Unselectable"), [this] { MakeUnselectable(); });
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Center Vertically"), [this] { CenterVertically(); });
    AddMenuItem(menu, QStringLiteral("Center Horizontally"), [this] { CenterHorizontally(); });
}

void TGGraphicControl::CenterVertically()
{
    if (!panel)
        return;
    SetTop(panel->height() / 2 - height / 2);
    NotifyChanged();
    QCoreApplication::processEvents();
    if (panel)
        panel->RepaintCard();
}

void TGGraphicControl::CenterHorizontally()
{
    if (!panel)
        return;
    SetLeft(panel->width() / 2 - width / 2);
    NotifyChanged();
    QCoreApplication::processEvents();
    if (panel)
        panel->RepaintCard();
}

void TGGraphicControl::Clone()
{
    TGBasePanel* target = panel;
    PanelFiler* filer = PanelFiler::Current();
    if (!target || !filer)
        return;
    TGGraphicControl* copy = filer->Duplicate(*this, *target);
    QCoreApplication::processEvents();
    if (!copy)
        return;
    copy->SetTop(top + 25);
    target->BringObjectToFront(copy);
    target->AfterLoad();
    if (target->Handle().IndexOf(this) >= 0) {
        target->Handle().RemoveFromSelection(this);
        target->Handle().AddToSelection(copy);
    }
    target->AttachAll();
    NotifyChanged();
}

} // namespace bv
