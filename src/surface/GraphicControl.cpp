#include "surface/GraphicControl.h"

#include "platform/Checked.h"

#include "pageengine/PageEngine.h"
#include "platform/Colors.h"
#include "platform/Environment.h"
#include "surface/BasePanel.h"
#include "surface/CommandGuard.h"
#include "surface/DesignModel.h"
#include "surface/DesignView.h"
#include "surface/Handle.h"
#include "surface/PanelFiler.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <climits>

namespace bv {

TGGraphicControl::TGGraphicControl() = default;

TGGraphicControl::~TGGraphicControl()
{
    if (model)
        model->RemoveObject(this);
}

namespace {

QString withoutNamespace(const char* qualified)
{
    const QString name = QString::fromLatin1(qualified);
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
}

} // namespace

QString TGGraphicControl::ClassName() const
{
    return withoutNamespace(metaObject()->className());
}

bool TGGraphicControl::InheritsClass(const QString& className) const
{
    for (const QMetaObject* m = metaObject(); m && m != &QObject::staticMetaObject; m = m->superClass())
        if (className.compare(withoutNamespace(m->className()), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const PropertyTable& TGGraphicControl::ClassProperties()
{
    static const PropertyTable table({
        { "Tag", PropertyKind::Integer, Value::integer(0),
            [](const TGGraphicControl& o) { return Value::integer(o.Tag()); },
            [](TGGraphicControl& o, const Value& v) { o.SetTag(static_cast<int>(expectInt(v))); } },
        { "Left", PropertyKind::Integer, std::nullopt,
            [](const TGGraphicControl& o) { return Value::integer(o.StoredLeft()); },
            [](TGGraphicControl& o, const Value& v) {
                const int value = static_cast<int>(expectInt(v));
                o.SetStoredBounds(value, o.StoredTop(), o.StoredWidth(), o.StoredHeight());
            } },
        { "Top", PropertyKind::Integer, std::nullopt,
            [](const TGGraphicControl& o) { return Value::integer(o.StoredTop()); },
            [](TGGraphicControl& o, const Value& v) {
                const int value = static_cast<int>(expectInt(v));
                o.SetStoredBounds(o.StoredLeft(), value, o.StoredWidth(), o.StoredHeight());
            } },
        { "Width", PropertyKind::Integer, std::nullopt,
            [](const TGGraphicControl& o) { return Value::integer(o.StoredWidth()); },
            [](TGGraphicControl& o, const Value& v) {
                const int value = static_cast<int>(expectInt(v));
                o.SetStoredBounds(o.StoredLeft(), o.StoredTop(), value, o.StoredHeight());
            } },
        { "Height", PropertyKind::Integer, std::nullopt,
            [](const TGGraphicControl& o) { return Value::integer(o.StoredHeight()); },
            [](TGGraphicControl& o, const Value& v) {
                const int value = static_cast<int>(expectInt(v));
                o.SetStoredBounds(o.StoredLeft(), o.StoredTop(), o.StoredWidth(), value);
            } },
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

void TGGraphicControl::SetParent(TDesignModel* newParent)
{
    if (newParent == model)
        return;
    if (model)
        model->RemoveObject(this);
    model = newParent;
    if (model)
        model->InsertObject(this);
}

void TGGraphicControl::SetParent(TGBasePanel* panel)
{
    SetParent(panel ? &panel->Model() : nullptr);
}

namespace {

// Pixels at `zoom` of a stored coordinate, kept inside the int range.
int zoomed(int storedValue, Single zoom)
{
    if (zoom == 1.0f)
        return storedValue;
    const std::int64_t v = Round(static_cast<Extended>(storedValue) * static_cast<Extended>(zoom));
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// The stored coordinate of a pixel coordinate at `zoom`.
int unzoomed(std::int64_t pixels, Single zoom)
{
    if (zoom == 1.0f)
        return static_cast<int>(std::clamp<std::int64_t>(pixels, INT_MIN, INT_MAX));
    const std::int64_t v = Round(static_cast<Extended>(pixels) / static_cast<Extended>(zoom));
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// One axis of an edit in pixels: position p0 → p and size s0 → s on screen,
// position P and size S stored. Only what the edit changed is converted back.
void storedAxis(int p0, int s0, int p, int s, int& P, int& S, Single zoom)
{
    if (p == p0 && s == s0)
        return;
    const std::int64_t end0 = std::int64_t(p0) + s0;
    const std::int64_t end = std::int64_t(p) + s;
    const std::int64_t storedEnd = std::int64_t(P) + S;
    if (s == s0) { // moved: the size stays
        P = unzoomed(p, zoom);
    } else if (p == p0) { // far edge moved: the near edge stays
        S = static_cast<int>(std::clamp<std::int64_t>(unzoomed(end, zoom) - std::int64_t(P), INT_MIN, INT_MAX));
    } else if (end == end0) { // near edge moved: the far edge stays
        P = unzoomed(p, zoom);
        S = static_cast<int>(std::clamp<std::int64_t>(storedEnd - P, INT_MIN, INT_MAX));
    } else {
        P = unzoomed(p, zoom);
        S = unzoomed(s, zoom);
    }
}

} // namespace

TBounds TGGraphicControl::storedAfterEdit(int l, int t, int w, int h) const
{
    if (zoom == 1.0f)
        return TBounds { l, t, w, h };
    TBounds b = stored;
    storedAxis(left, width, l, w, b.Left, b.Width, zoom);
    storedAxis(top, height, t, h, b.Top, b.Height, zoom);
    return b;
}

void TGGraphicControl::placePixels(int l, int t, int w, int h)
{
    Invalidate();
    left = l;
    top = t;
    width = w;
    height = h;
    Invalidate();
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
    const bool fit = Fitting();
    if (!fit)
        stored = storedAfterEdit(l, t, w, h);
    placePixels(l, t, w, h);
    if (loading || reading)
        return;
    const bool wasPlacingFit = placingFit;
    placingFit = fit;
    BoundsChanged();
    placingFit = wasPlacingFit;
}

void TGGraphicControl::SetStoredBounds(int l, int t, int w, int h)
{
    // A design file may hold any 32-bit position or size; held to a range
    // where sums of positions, sizes, offsets and zoom cannot overflow (far
    // beyond any card, so every real design keeps its values exactly).
    l = checked::Coordinate(l);
    t = checked::Coordinate(t);
    w = checked::Coordinate(w);
    h = checked::Coordinate(h);
    stored = TBounds { l, t, w, h };
    const int pl = zoomed(l, zoom);
    const int pt = zoomed(t, zoom);
    const int pw = zoomed(w, zoom);
    const int ph = zoomed(h, zoom);
    if (pl == left && pt == top && pw == width && ph == height)
        return;
    placePixels(pl, pt, pw, ph);
    if (!loading && !reading)
        BoundsChanged();
}

void TGGraphicControl::SetVisible(bool value)
{
    if (visible == value)
        return;
    visible = value;
    if (model)
        model->RepaintCard();
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
    } catch (const Exception&) {
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
        if (unselectable && model)
            model->Frame().RemoveFromSelection(this);
    } catch (const Exception&) {
        // The flag keeps its value; the menu and the change signal are cosmetic.
    }
}

void TGGraphicControl::ToggleLocked()
{
    locked = !locked;
    try {
        setLockedCheck();
        NotifyChanged();
    } catch (const Exception&) {
        // The flag keeps its value; the menu and the change signal are cosmetic.
    }
}

void TGGraphicControl::MakeUnselectable()
{
    try {
        SetUnselectable(true);
        NotifyChanged();
        if (unselectable && model)
            model->Frame().RemoveFromSelection(this);
    } catch (const Exception&) {
        // The flag keeps its value; the menu and the change signal are cosmetic.
    }
}

void TGGraphicControl::SetZoom(Single value)
{
    if (value == zoom)
        return;
    // The pixels come from the stored geometry every time rather than from
    // the previous pixels, so rounding never accumulates across zoom steps.
    zoom = value;
    placePixels(zoomed(stored.Left, zoom), zoomed(stored.Top, zoom), zoomed(stored.Width, zoom),
        zoomed(stored.Height, zoom));
    BoundsChanged();
}

void TGGraphicControl::AssignZoom(Single value)
{
    if (value == zoom)
        return;
    zoom = value;
    stored = TBounds { unzoomed(left, zoom), unzoomed(top, zoom), unzoomed(width, zoom), unzoomed(height, zoom) };
}

void TGGraphicControl::PaintAt(QPainter& canvas, int x, int y)
{
    const FitScope fit(*this);
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
    if (!model || !model->View())
        return;
    TGHandle& frame = model->Frame();
    if (frame.IndexOf(this) < 0)
        return;
    QPainter* canvas = model->View()->PanelCanvas();
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
    if (model && visible)
        model->RepaintCard(QRect(left - 3, top - 3, width + 6, height + 6));
}

void TGGraphicControl::NotifyChanged()
{
    if (model && !model->Printing())
        model->SignalChanged();
}

void TGGraphicControl::RequestRefit()
{
    if (model)
        model->RequestRefit();
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
        // A fit to the zoomed content changes no stored geometry: the design
        // is the same, only the selection frame must follow.
        if (!placingFit)
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
        if (model)
            model->BringObjectToFront(this);
    });
    AddMenuItem(menu, QStringLiteral("Send To Back"), [this] {
        NotifyChanged();
        if (model) {
            model->SendObjectToBack(this);
            model->Frame().ClearSelection();
        }
    });
    AddMenuItem(menu, QStringLiteral("Cut"), [this] {
        NotifyChanged();
        if (model)
            model->ObjectClipboard(this, caCut);
    });
    AddMenuItem(menu, QStringLiteral("Copy"), [this] {
        if (model)
            model->ObjectClipboard(this, caCopy);
    });
    AddMenuItem(menu, QStringLiteral("Delete"), [this] {
        NotifyChanged();
        if (model)
            model->ObjectClipboard(this, caDelete);
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
    if (!model)
        return;
    SetTop(model->CardHeight() / 2 - height / 2);
    NotifyChanged();
    QCoreApplication::processEvents();
    if (model)
        model->RepaintCard();
}

void TGGraphicControl::CenterHorizontally()
{
    if (!model)
        return;
    SetLeft(model->CardWidth() / 2 - width / 2);
    NotifyChanged();
    QCoreApplication::processEvents();
    if (model)
        model->RepaintCard();
}

void TGGraphicControl::Clone()
{
    TDesignModel* target = model;
    PanelFiler* filer = PanelFiler::Current();
    if (!target || !filer)
        return;
    TGGraphicControl* copy = filer->Duplicate(*this, *target);
    QCoreApplication::processEvents();
    if (!copy)
        return;
    // The copy has the source's stored geometry, 25 pixels (at zoom 1.0)
    // lower, and takes the design's zoom from it.
    copy->SetStoredBounds(stored.Left, stored.Top + 25, stored.Width, stored.Height);
    copy->SetZoom(target->Zoom());
    target->BringObjectToFront(copy);
    if (target->Frame().IndexOf(this) >= 0) {
        target->Frame().RemoveFromSelection(this);
        target->Frame().AddToSelection(copy);
    }
    target->AttachAll();
    NotifyChanged();
}

} // namespace bv
