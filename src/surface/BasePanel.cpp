#include "surface/BasePanel.h"

#include "platform/Environment.h"

#include "surface/CommandGuard.h"
#include "surface/Cursors.h"
#include "surface/GraphicControl.h"
#include "surface/Handle.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <QPaintEvent>
#include <QPainterPath>
#include <algorithm>

namespace bv {

namespace {

// Windows virtual-key numbers, which the key handling is written in.
int virtualKey(const QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Delete: return 46;
    default: break;
    }
    if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
        return e->key(); // 'A'..'Z' are the same numbers
    if (e->key() >= Qt::Key_0 && e->key() <= Qt::Key_9)
        return e->key();
    return 0;
}

} // namespace

TGBasePanel::TGBasePanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    model = std::make_unique<TDesignModel>();
    model->SetView(this);
    model->Frame().SetView(this);
    model->SetCardSize(size());
    connect(model.get(), &TDesignModel::Changed, this, [this] { emit LabelChangedEvent(this); });
    connect(model.get(), &TDesignModel::CardResizeRequested, this, [this](QSize size) { QWidget::resize(size); });
    BuildContextMenu();
    Handle().SetMenu(contextMenu.get());
}

TGBasePanel::~TGBasePanel()
{
    // The objects go while the panel that shows them is whole.
    model->ClearAll();
    model->Frame().SetView(nullptr);
    model->SetView(nullptr);
    model.reset();
}

// --- children -------------------------------------------------------------------

void TGBasePanel::ForgetObject(TGGraphicControl* object)
{
    if (hoverObject == object) {
        hoverObject = nullptr;
        hover = HoverTarget::Panel;
    }
    if (captureObject == object) {
        captureObject = nullptr;
        if (capture == CaptureTarget::Object)
            capture = CaptureTarget::None;
    }
}

// --- context menu -----------------------------------------------------------------

void TGBasePanel::BuildContextMenu()
{
    contextMenu = std::make_unique<QMenu>();
    contextMenu->setObjectName(QStringLiteral("PanelMenu"));
    auto add = [this](const QString& caption, auto action) {
        QAction* item = contextMenu->addAction(caption);
        connect(item, &QAction::triggered, this, [action] { RunCommand(action); });
        menuItems.append(item);
    };
    add(QStringLiteral("Bring To Front"), [this] { BringSelectionToFrontCommand(); });
    add(QStringLiteral("Send To Back"), [this] { SendSelectionToBackCommand(); });
    contextMenu->addSeparator();
    add(QStringLiteral("Cut"), [this] { SelectionClipboard(caCut); });
    add(QStringLiteral("Copy"), [this] { SelectionClipboard(caCopy); });
    add(QStringLiteral("Paste"), [this] { SelectionClipboard(caPaste); });
    contextMenu->addSeparator();
    add(QStringLiteral("Delete"), [this] { SelectionClipboard(caDelete); });
    contextMenu->addSeparator();
    add(QStringLiteral("Align Left"), [this] { AlignLeft(); });
    add(QStringLiteral("Align Right"), [this] { AlignRight(); });
    add(QStringLiteral("Align Tops"), [this] { AlignTops(); });
    add(QStringLiteral("Align Bottoms"), [this] { AlignBottoms(); });
    contextMenu->addSeparator();
    add(QStringLiteral("Center Vertically"), [this] { CenterSelectionVertically(); });
    add(QStringLiteral("Center Horizontally"), [this] { CenterSelectionHorizontally(); });
    contextMenu->addSeparator();
    add(QStringLiteral("Lock All"), [this] { LockAll(); });
    add(QStringLiteral("Unlock All"), [this] { UnlockAll(); });
    contextMenu->addSeparator();
    add(QStringLiteral("Mark All Selectable"), [this] { MarkAllSelectable(); });
    add(QStringLiteral("Mark All Unselectable"), [this] { MarkAllUnselectable(); });
    add(QStringLiteral("Select All"), [this] { SelectAll(); });
    contextMenu->addSeparator();
    add(QStringLiteral("Font"), [this] { ChooseFontForSelection(); });
    connect(contextMenu.get(), &QMenu::aboutToShow, this, [this] { UpdateMenuEnabling(); });
}

void TGBasePanel::UpdateMenuEnabling()
{
    const bool selected = Handle().HasSelection();
    const bool hasChildren = ObjectCount() > 0;
    for (QAction* item : menuItems) {
        const QString caption = item->text();
        bool enabled = selected;
        if (caption == QLatin1String("Paste"))
            enabled = QFile::exists(ClipboardPath());
        else if (caption == QLatin1String("Lock All") || caption == QLatin1String("Unlock All"))
            enabled = hasChildren;
        else if (caption.startsWith(QLatin1String("Mark All")) || caption == QLatin1String("Select All"))
            enabled = true;
        item->setEnabled(enabled);
    }
}

void TGBasePanel::PopupMenu(QMenu* menu)
{
    if (!menu)
        return;
    menu->popup(mapToGlobal(lastMousePos));
}

// --- selection handlers ----------------------------------------------------------

void TGBasePanel::ObjectMouseDown(TGGraphicControl* object, Qt::MouseButton button,
    Qt::KeyboardModifiers shift, int x, int y)
{
    if (!pointing || object->Unselectable()) {
        PanelMouseDown(button, shift, x + object->Left(), y + object->Top());
        return;
    }
    if (!(shift & Qt::ShiftModifier))
        Handle().ClearSelection();
    Handle().AddToSelection(object);
    RepaintCard();
    if (Handle().SelectionCount() == 1 && button == Qt::RightButton)
        PopupMenu(object->ContextMenu());
}

void TGBasePanel::HandleMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    Q_UNUSED(button);
    if (!pointing || !(shift & Qt::ShiftModifier))
        return;
    const int px = x + Handle().Left();
    const int py = y + Handle().Top();
    QList<TGGraphicControl*> keep = Handle().Selection();
    Handle().ClearSelection();
    QCoreApplication::processEvents();
    keep.removeIf([&](TGGraphicControl* o) { return o->BoundsRect().Contains(px, py); });
    for (TGGraphicControl* o : keep)
        Handle().AddToSelection(o);
}

void TGBasePanel::SelectionDblClick(TGGraphicControl* sender)
{
    const QPoint pos = lastMousePos;
    if (!sender) {
        if (Handle().SelectionCount() > 1)
            return;
        if (TGGraphicControl* o = Handle().SelectedAt(pos.x(), pos.y())) {
            if (o->OnEditRequest)
                o->OnEditRequest(this);
            else
                PopupMenu(o->ContextMenu());
        }
    } else {
        PopupMenu(sender->ContextMenu());
    }
    Handle().MarkDoubleClicked();
}

void TGBasePanel::PanelMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    Q_UNUSED(shift);
    bandRect = TRect(x, y, x, y);
    if (button != Qt::LeftButton) {
        PopupMenu(contextMenu.get());
        return;
    }
    bandActive = true;
    SetScreenCursor(crHandPoint);
}

void TGBasePanel::PanelMouseMove(Qt::KeyboardModifiers shift, int x, int y)
{
    Q_UNUSED(shift);
    if (!bandActive)
        return;
    SetScreenCursor(crHandPoint);
    bandRect.Right = x;
    bandRect.Bottom = y;
    SetOutline(Outline::Band, bandRect.Normalized());
}

void TGBasePanel::PanelMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    Q_UNUSED(button);
    if (!bandActive)
        return;
    bandRect.Right = x;
    bandRect.Bottom = y;
    const TRect r = bandRect.Normalized();
    SetOutline(Outline::Band, std::nullopt);
    RepaintCard(r.ToQRect().adjusted(-1, -1, 1, 1));
    bandActive = false;
    if (pointing) {
        SelectInRect(r, shift & Qt::ShiftModifier);
        RepaintCard();
        SetScreenCursor(crDefault);
    } else {
        CreateObjectInRect(r);
        emit DroppedObjectEvent(r);
    }
}

void TGBasePanel::TranslateMouseMove(TGGraphicControl* sender, Qt::KeyboardModifiers shift, int x, int y)
{
    if (sender && pointing)
        SetScreenCursor(crHandPoint);
    const int dx = sender ? sender->Left() : Handle().Left();
    const int dy = sender ? sender->Top() : Handle().Top();
    PanelMouseMove(shift, x + dx, y + dy);
}

void TGBasePanel::TranslateMouseUp(TGGraphicControl* sender, Qt::MouseButton button,
    Qt::KeyboardModifiers shift, int x, int y)
{
    const int dx = sender ? sender->Left() : Handle().Left();
    const int dy = sender ? sender->Top() : Handle().Top();
    PanelMouseUp(button, shift, x + dx, y + dy);
}

bool TGBasePanel::PanelKeyDown(int key, Qt::KeyboardModifiers shift)
{
    const bool ctrl = shift & Qt::ControlModifier;
    if (ctrl && key == 67) {
        SelectionClipboard(caCopy);
        return true;
    }
    if (ctrl && key == 86) {
        SelectionClipboard(caPaste);
        return true;
    }
    if (ctrl && key == 88) {
        SelectionClipboard(caCut);
        return true;
    }
    if (key == 46 && !ctrl) {
        SelectionClipboard(caDelete);
        return true;
    }
    return false;
}

// --- refit ----------------------------------------------------------------------

void TGBasePanel::PostRefitRequest()
{
    ++pendingRefits;
    QMetaObject::invokeMethod(
        this,
        [this] {
            --pendingRefits;
            HandleRefitRequest();
        },
        Qt::QueuedConnection);
}

void TGBasePanel::HandleRefitRequest()
{
    Handle().Refit();
}

// --- cursor, capture, outlines --------------------------------------------------

void TGBasePanel::SetScreenCursor(int number)
{
    if (screenCursor == number)
        return;
    screenCursor = number;
    setCursor(DesignCursor(number));
}

void TGBasePanel::SetOutline(Outline kind, std::optional<TRect> r)
{
    auto& slot = outlines[static_cast<int>(kind)];
    if (slot == r)
        return;
    if (slot)
        updateOutline(*slot);
    slot = r;
    if (slot)
        updateOutline(*slot);
}

void TGBasePanel::CaptureToFrame()
{
    capture = CaptureTarget::Frame;
    captureObject = nullptr;
}

void TGBasePanel::ReleaseFrameCapture()
{
    if (capture == CaptureTarget::Frame)
        capture = CaptureTarget::None;
}

bool TGBasePanel::FrameFocused() const
{
    return Handle().Visible() && Handle().Enabled();
}

bool TGBasePanel::frameTakesMouseAt(QPoint p) const
{
    return Handle().Visible() && Handle().Enabled() && Handle().BoundsRect().Contains(p.x(), p.y());
}

// --- painting ---------------------------------------------------------------------

QPainterPath TGBasePanel::clipPath() const
{
    QPainterPath path;
    const QRectF box(0, 0, width() + 1, height() + 1);
    switch (Shape()) {
    case lsRectangle: path.addRect(box); break;
    case lsRoundRect: path.addRoundedRect(box, 12, 12); break;
    case lsEllipse: path.addEllipse(box); break;
    }
    return path;
}

void TGBasePanel::paintGrid(QPainter& painter)
{
    // 8×8 pattern, one byte per row, most significant bit leftmost: zero bits
    // are green, one bits white; ANDed with the card, so a dot darkens what
    // lies below and white leaves it unchanged.
    static const unsigned char rows4[8] = { 0xFF, 0xFF, 0xDD, 0xFF, 0xFF, 0xFF, 0xDD, 0xFF };
    static const unsigned char rows8[8] = { 0xFF, 0xFF, 0xDF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF };
    const unsigned char* rows = GridSize() == gs4x4 ? rows4 : rows8;
    QImage pattern(8, 8, QImage::Format_RGB32);
    const QRgb green = ToQColor(clGreen).rgb();
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(x, y, (rows[y] & (0x80 >> x)) ? white : green);
    painter.save();
    painter.setClipPath(clipPath());
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.setBrushOrigin(0, 0);
    painter.fillRect(QRect(0, 0, width(), height()), QBrush(pattern));
    painter.restore();
}

void TGBasePanel::paintOutlines(QImage& image)
{
    // White dotted XOR rectangles: each shown outline inverts every other
    // pixel of its border; drawing the same one again would restore it.
    for (const auto& slot : outlines) {
        if (!slot)
            continue;
        const TRect r = *slot;
        // On a high-resolution screen each panel pixel is k × k image pixels.
        const int k = std::max(1, int(std::lround(image.devicePixelRatio())));
        auto flip = [&](int x, int y) {
            if (x < 0 || y < 0 || x * k >= image.width() || y * k >= image.height() || ((x + y) & 1))
                return;
            for (int dy = 0; dy < k && y * k + dy < image.height(); ++dy) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y * k + dy));
                for (int dx = 0; dx < k && x * k + dx < image.width(); ++dx)
                    line[x * k + dx] ^= 0x00FFFFFF;
            }
        };
        const int r1 = r.Right - 1;
        const int b1 = r.Bottom - 1;
        if (r1 < r.Left || b1 < r.Top)
            continue;
        for (int x = r.Left; x <= r1; ++x) {
            flip(x, r.Top);
            if (b1 != r.Top)
                flip(x, b1);
        }
        for (int y = r.Top + 1; y < b1; ++y) {
            flip(r.Left, y);
            if (r1 != r.Left)
                flip(r1, y);
        }
    }
}

void TGBasePanel::PaintCard(QPainter& p)
{
    const int w = width();
    const int h = height();
    p.fillRect(QRect(0, 0, w, h), Qt::white);
    if (!Picture().isNull()) {
        p.save();
        p.setClipPath(clipPath());
        p.drawImage(QRect(0, 0, w, h), Picture());
        p.restore();
    }
    if (model->HasBackgroundArt()) {
        p.save();
        p.setClipPath(clipPath());
        DrawBackgroundArt(p, w, h);
        p.restore();
    }
    if (DrawOutline()) {
        p.save();
        QPen pen(Qt::black, 0, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF box(0.5, 0.5, w - 1, h - 1);
        const double stockRadius = model->CornerRadiusInches() * ScreenPpi() * Zoom();
        if (stockRadius > 0) {
            p.setRenderHint(QPainter::Antialiasing);
            p.drawRoundedRect(box, stockRadius, stockRadius);
        } else switch (Shape()) {
        case lsRectangle: p.drawRect(box); break;
        case lsRoundRect: p.drawRoundedRect(box, 12, 12); break;
        case lsEllipse: p.drawEllipse(box); break;
        }
        p.restore();
    }
    if (ShowGrid())
        paintGrid(p);

    panelCanvas = &p;
    const QList<TGGraphicControl*> snapshot = Objects();
    for (TGGraphicControl* o : snapshot) {
        if (!o->Visible())
            continue;
        p.save();
        p.translate(o->Left(), o->Top());
        p.setClipRect(QRect(0, 0, o->Width(), o->Height()));
        o->SetOwnCanvas(&p);
        try {
            const TGGraphicControl::FitScope fit(*o);
            o->Paint();
        } catch (const std::exception&) {
            // One object that cannot paint must not stop the card from painting.
        }
        o->SetOwnCanvas(nullptr);
        p.restore();
    }
    // The frame lies above every object: its squares are painted last.
    Handle().Paint();
    panelCanvas = nullptr;
    p.end();
}

QImage TGBasePanel::RenderScreen()
{
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    QPainter p(&image);
    PaintCard(p);
    paintOutlines(image);
    return image;
}

void TGBasePanel::RepaintCard()
{
    cardDirty = true;
    QWidget::update();
}

void TGBasePanel::RepaintCard(const QRect& r)
{
    cardDirty = true;
    QWidget::update(r);
}

void TGBasePanel::RepaintCardNow(const QRect& r)
{
    if (!isVisible())
        return;
    cardDirty = true;
    QWidget::repaint(r);
}

void TGBasePanel::updateOutline(const TRect& r)
{
    // Only the border strips: a drag or nudge step then repaints from the
    // cached card without painting the objects again.
    const QRect box = r.ToQRect().adjusted(-1, -1, 1, 1);
    QRegion strips;
    strips += QRect(box.left(), box.top(), box.width(), 3);
    strips += QRect(box.left(), box.bottom() - 2, box.width(), 3);
    strips += QRect(box.left(), box.top(), 3, box.height());
    strips += QRect(box.right() - 2, box.top(), 3, box.height());
    outlineRegion += strips;
    QWidget::update(strips);
}

void TGBasePanel::paintEvent(QPaintEvent* event)
{
    if (model->SuppressPainting())
        return;
    // Painted at the screen's device pixel ratio, so a high-resolution
    // screen shows the card sharp; the card's geometry stays in panel pixels.
    const qreal dpr = std::max<qreal>(1.0, std::round(devicePixelRatioF()));
    const QSize size(std::max(1, width()), std::max(1, height()));
    // Anything but the rubber outlines changed (or someone else asked for a
    // repaint): paint the card again; otherwise reuse it.
    if (cardDirty || cardCache.size() != size * dpr || !(event->region() - outlineRegion).isEmpty()) {
        if (cardCache.size() != size * dpr) {
            cardCache = QImage(size * dpr, QImage::Format_RGB32);
            cardCache.setDevicePixelRatio(dpr);
        }
        QPainter p(&cardCache);
        PaintCard(p);
        cardDirty = false;
    }
    outlineRegion = QRegion();
    backing = cardCache;
    paintOutlines(backing);
    QPainter wp(this);
    wp.drawImage(0, 0, backing);
}

void TGBasePanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A layout or the window may size the widget: the card takes its size.
    model->SetCardSize(size());
    RepaintCard();
}

// --- mouse routing ----------------------------------------------------------------

void TGBasePanel::dispatchPress(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods,
    QPoint p, bool skipFrame)
{
    Q_UNUSED(buttons);
    if (!skipFrame && (capture == CaptureTarget::Frame || frameTakesMouseAt(p))) {
        capture = CaptureTarget::Frame;
        Handle().MouseDown(button, mods, p.x() - Handle().Left(), p.y() - Handle().Top());
        return;
    }
    if (TGGraphicControl* o = ObjectAt(p.x(), p.y())) {
        capture = CaptureTarget::Object;
        captureObject = o;
        if (o->Attached())
            ObjectMouseDown(o, button, mods, p.x() - o->Left(), p.y() - o->Top());
        return;
    }
    capture = CaptureTarget::Panel;
    captureObject = nullptr;
    PanelMouseDown(button, mods, p.x(), p.y());
}

void TGBasePanel::dispatchRelease(Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint p, bool skipFrame)
{
    if (!skipFrame && frameTakesMouseAt(p)) {
        Handle().MouseUp(button, mods, p.x() - Handle().Left(), p.y() - Handle().Top());
        return;
    }
    if (TGGraphicControl* o = ObjectAt(p.x(), p.y())) {
        if (o->Attached())
            TranslateMouseUp(o, button, mods, p.x() - o->Left(), p.y() - o->Top());
        return;
    }
    PanelMouseUp(button, mods, p.x(), p.y());
}

void TGBasePanel::PassPressBelowFrame(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    dispatchPress(button, Qt::NoButton, shift, QPoint(x, y), true);
}

void TGBasePanel::PassReleaseBelowFrame(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    dispatchRelease(button, shift, QPoint(x, y), true);
}

void TGBasePanel::mousePressEvent(QMouseEvent* event)
{
    RunCommand([&] { handleMousePressEvent(event); });
}

void TGBasePanel::handleMousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    lastMousePos = p;
    pressPending = true;
    dispatchPress(event->button(), event->buttons(), event->modifiers(), p, false);
}

void TGBasePanel::mouseMoveEvent(QMouseEvent* event)
{
    RunCommand([&] { handleMouseMoveEvent(event); });
}

void TGBasePanel::handleMouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    lastMousePos = p;
    const Qt::KeyboardModifiers mods = event->modifiers();
    switch (capture) {
    case CaptureTarget::Frame:
        Handle().MouseMove(event->buttons(), mods, p.x() - Handle().Left(), p.y() - Handle().Top());
        return;
    case CaptureTarget::Object:
        if (captureObject && captureObject->Attached())
            TranslateMouseMove(captureObject, mods, p.x() - captureObject->Left(), p.y() - captureObject->Top());
        return;
    case CaptureTarget::Panel:
        PanelMouseMove(mods, p.x(), p.y());
        return;
    case CaptureTarget::None:
        break;
    }
    // Hover: the frame first, then the topmost object, then the card.
    HoverTarget now = HoverTarget::Panel;
    TGGraphicControl* o = nullptr;
    if (frameTakesMouseAt(p))
        now = HoverTarget::Frame;
    else if ((o = ObjectAt(p.x(), p.y())))
        now = HoverTarget::Object;
    if ((hover == HoverTarget::Object && (now != HoverTarget::Object || o != hoverObject))
        || (hover == HoverTarget::Frame && now != HoverTarget::Frame && !Handle().Dragging()))
        SetScreenCursor(pointing ? crDefault : crDrag);
    hover = now;
    hoverObject = o;
    switch (now) {
    case HoverTarget::Frame:
        Handle().MouseMove(event->buttons(), mods, p.x() - Handle().Left(), p.y() - Handle().Top());
        break;
    case HoverTarget::Object:
        if (o->Attached())
            TranslateMouseMove(o, mods, p.x() - o->Left(), p.y() - o->Top());
        break;
    case HoverTarget::Panel:
        PanelMouseMove(mods, p.x(), p.y());
        break;
    }
}

void TGBasePanel::mouseReleaseEvent(QMouseEvent* event)
{
    RunCommand([&] { handleMouseReleaseEvent(event); });
}

void TGBasePanel::handleMouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    lastMousePos = p;
    pressPending = false;
    const Qt::KeyboardModifiers mods = event->modifiers();
    switch (capture) {
    case CaptureTarget::Frame:
        Handle().MouseUp(event->button(), mods, p.x() - Handle().Left(), p.y() - Handle().Top());
        return;
    case CaptureTarget::Object: {
        TGGraphicControl* o = captureObject;
        if (event->buttons() == Qt::NoButton) {
            capture = CaptureTarget::None;
            captureObject = nullptr;
        }
        if (o && o->Attached())
            TranslateMouseUp(o, event->button(), mods, p.x() - o->Left(), p.y() - o->Top());
        return;
    }
    case CaptureTarget::Panel:
        if (event->buttons() == Qt::NoButton)
            capture = CaptureTarget::None;
        PanelMouseUp(event->button(), mods, p.x(), p.y());
        return;
    case CaptureTarget::None:
        dispatchRelease(event->button(), mods, p, false);
        return;
    }
}

void TGBasePanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    RunCommand([&] { handleMouseDoubleClickEvent(event); });
}

void TGBasePanel::handleMouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    lastMousePos = p;
    // The double-click handler runs first, then the second press as for any
    // click. Some event sources deliver that press before the double-click,
    // others only the double-click; the press is handled once either way.
    if (capture == CaptureTarget::Frame || frameTakesMouseAt(p)) {
        if (event->button() == Qt::LeftButton)
            Handle().DblClick();
    } else if (TGGraphicControl* o = ObjectAt(p.x(), p.y())) {
        if (o->Attached() && event->button() == Qt::LeftButton)
            SelectionDblClick(o);
    } else if (event->button() == Qt::LeftButton) {
        emit DblClick(this);
    }
    if (!pressPending)
        dispatchPress(event->button(), event->buttons(), event->modifiers(), p, false);
    pressPending = true;
}

void TGBasePanel::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (hover == HoverTarget::Frame)
        Handle().MouseLeave();
    else if (hover == HoverTarget::Object)
        SetScreenCursor(pointing ? crDefault : crDrag);
    hover = HoverTarget::Panel;
    hoverObject = nullptr;
}

// --- keys -------------------------------------------------------------------------

void TGBasePanel::keyPressEvent(QKeyEvent* event)
{
    RunCommand([&] { handleKeyPressEvent(event); });
}

void TGBasePanel::handleKeyPressEvent(QKeyEvent* event)
{
    const int key = virtualKey(event);
    if (FrameFocused())
        Handle().KeyDown(key, event->modifiers());
    else
        PanelKeyDown(key, event->modifiers());
    event->accept();
}

void TGBasePanel::keyReleaseEvent(QKeyEvent* event)
{
    RunCommand([&] { handleKeyReleaseEvent(event); });
}

void TGBasePanel::handleKeyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    if (FrameFocused() || Handle().Nudging())
        Handle().KeyUp(virtualKey(event), event->modifiers());
    event->accept();
}

bool TGBasePanel::event(QEvent* event)
{
    // The card wants every key, Tab included.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

} // namespace bv
