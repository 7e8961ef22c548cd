#include "surface/BasePanel.h"

#include "platform/Clock.h"
#include "platform/Dib.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "platform/PictureLimits.h"
#include "platform/SafeFile.h"
#include "surface/CommandGuard.h"
#include "surface/Cursors.h"
#include "surface/GraphicControl.h"
#include "surface/Handle.h"
#include "surface/PanelFiler.h"

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

// Restores the zoom factor when a file operation leaves, also by an exception.
class ZoomRestorer {
public:
    ZoomRestorer(TGBasePanel& p, Single target) : panel(p), saved(p.Zoom())
    {
        if (saved != target)
            panel.SetZoom(target);
    }
    ~ZoomRestorer()
    {
        if (panel.Zoom() != saved)
            panel.SetZoom(saved);
    }

private:
    TGBasePanel& panel;
    Single saved;
};

} // namespace

TGBasePanel::TGBasePanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    handle = std::make_unique<TGHandle>(*this);
    handle->SetEnabled(true);
    handle->SetVisible(true);
    handle->SetSnapToGrid(false);
    clipboardPath = ProgramFolder() + QStringLiteral("Clipbrd.tmp");
    tempFilePath = ProgramFolder() + QStringLiteral("TempFile.tmp");
    BuildContextMenu();
    handle->SetMenu(contextMenu.get());
}

TGBasePanel::~TGBasePanel()
{
    if (deletesTemporaryFiles) {
        for (const QString& path : { clipboardPath, tempFilePath }) {
            if (QFile::exists(path))
                QFile::remove(path);
        }
    }
    handle->ClearSelection();
    while (!objects.isEmpty())
        delete objects.last(); // its destructor takes it out of the list
}

// --- children -------------------------------------------------------------------

TGGraphicControl* TGBasePanel::FindObject(const QString& name) const
{
    for (TGGraphicControl* o : objects)
        if (o->Name().compare(name, Qt::CaseInsensitive) == 0)
            return o;
    return nullptr;
}

TGGraphicControl* TGBasePanel::ObjectAt(int x, int y) const
{
    for (auto it = objects.crbegin(); it != objects.crend(); ++it) {
        TGGraphicControl* o = *it;
        if (o->Visible() && o->BoundsRect().Contains(x, y))
            return o;
    }
    return nullptr;
}

void TGBasePanel::BringObjectToFront(TGGraphicControl* object)
{
    if (objects.removeOne(object)) {
        objects.append(object);
        RepaintCard();
    }
}

void TGBasePanel::SendObjectToBack(TGGraphicControl* object)
{
    if (objects.removeOne(object)) {
        objects.prepend(object);
        RepaintCard();
    }
}

void TGBasePanel::InsertObject(TGGraphicControl* object)
{
    // SetParent keeps an object in exactly the list of the panel it names as
    // its parent and calls this only when that changes, so the object is not
    // in the list yet: no search (reading a design inserts a thousand objects
    // one by one).
    if (object->Parent() != this)
        return;
    Q_ASSERT(!objects.contains(object));
    objects.append(object);
    RepaintCard();
}

void TGBasePanel::RemoveObject(TGGraphicControl* object)
{
    if (handle && handle->IndexOf(object) >= 0)
        handle->RemoveFromSelection(object);
    if (hoverObject == object) {
        hoverObject = nullptr;
        hover = HoverTarget::Panel;
    }
    if (captureObject == object) {
        captureObject = nullptr;
        if (capture == CaptureTarget::Object)
            capture = CaptureTarget::None;
    }
    // Objects go mostly from the top (clearing frees the list from its end):
    // look from there.
    const qsizetype at = objects.lastIndexOf(object);
    if (at >= 0)
        objects.removeAt(at);
    RepaintCard();
}

void TGBasePanel::FreeObjectLater(TGGraphicControl* object)
{
    if (!object)
        return;
    object->SetParent(nullptr);
    object->deleteLater();
}

// --- names ------------------------------------------------------------------------

bool TGBasePanel::IsNameTaken(const QString& name) const
{
    return !name.isEmpty() && FindObject(name) != nullptr;
}

QString TGBasePanel::UniqueName(const QString& prefix) const
{
    const NameRegistry& registry = Owner();
    for (int n = 1; n <= 1000; ++n) {
        const QString name = prefix + QString::number(n);
        if (!registry.IsNameTaken(name))
            return name;
    }
    return QString();
}

// --- published state -------------------------------------------------------------

void TGBasePanel::SetZoom(Single x)
{
    if (x == zoom)
        return;
    zooming = true;
    if (zoom * 10 == 0)
        zoom = 1.0f;
    // The card's size at zoom 1.0 is the truth, as the objects' stored
    // geometry is: a resize since the last zoom step (the card layout) gives
    // it anew, and every factor's size is derived from it, never from the
    // previous factor's rounded size.
    if (unzoomedSize.isEmpty() || size() != zoomedSize) {
        const Extended z = zoom;
        unzoomedSize = zoom == 1.0f ? size()
                                    : QSize(static_cast<int>(Round(width() / z)), static_cast<int>(Round(height() / z)));
    }
    const Extended ex = x;
    const QSize next = x == 1.0f ? unzoomedSize
                                 : QSize(static_cast<int>(Round(unzoomedSize.width() * ex)),
                                       static_cast<int>(Round(unzoomedSize.height() * ex)));
    resize(next);
    zoomedSize = next;
    zoom = x;
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->SetZoom(x);
    QCoreApplication::processEvents();
    zooming = false;
}

void TGBasePanel::SetDrawOutline(bool value)
{
    if (drawOutline == value)
        return;
    drawOutline = value;
    RepaintCard();
}

void TGBasePanel::SetShape(TLabelShapeType value)
{
    if (shape == value)
        return;
    shape = value;
    RepaintCard();
}

void TGBasePanel::SetGridSize(TGridSize value)
{
    if (gridSize == value)
        return;
    gridSize = value;
    const int step = value == gs4x4 ? 4 : 8;
    handle->SetGridX(step);
    handle->SetGridY(step);
    RepaintCard();
}

void TGBasePanel::SetShowGrid(bool value)
{
    if (showGrid == value)
        return;
    showGrid = value;
    RepaintCard();
}

void TGBasePanel::SetSnapToGrid(bool value)
{
    if (snapToGrid == value)
        return;
    snapToGrid = value;
    handle->SetSnapToGrid(value);
    if (value) {
        const int step = gridSize == gs4x4 ? 4 : 8;
        handle->SetGridX(step);
        handle->SetGridY(step);
    }
}

void TGBasePanel::SetPicture(const QImage& value)
{
    picture = value;
    RepaintCard();
}

void TGBasePanel::SetColorPicture(const QImage& value)
{
    colorPicture = value;
    colorMetafile = Metafile();
    RepaintCard();
}

// --- operations -------------------------------------------------------------------

void TGBasePanel::SignalChanged()
{
    if (!zooming)
        emit LabelChangedEvent(this);
}

void TGBasePanel::AttachObject(TGGraphicControl* object)
{
    if (!object)
        return;
    object->SetAttached(true);
    object->AssignZoom(zoom);
}

void TGBasePanel::AttachAll()
{
    for (TGGraphicControl* o : objects)
        AttachObject(o);
}

void TGBasePanel::AddObject(TGGraphicControl* object, const TRect& r)
{
    object->SetVisible(false);
    object->SetParent(this);
    object->SetName(UniqueName(QStringLiteral("Special")));
    object->SetTop(r.Top);
    object->SetLeft(r.Left);
    object->SetWidth(r.Right - r.Left);
    object->SetHeight(r.Bottom - r.Top);
    if (object->Width() < 10)
        object->SetWidth(10);
    if (object->Height() < 15)
        object->SetHeight(15);
    AttachObject(object);
    object->SetVisible(true);
    SignalChanged();
    QCoreApplication::processEvents();
}

void TGBasePanel::SaveToFile(const QString& path)
{
    PanelFiler* filer = PanelFiler::Current();
    if (!filer)
        throw EWriteError(QStringLiteral("Unable to write to %1").arg(path));
    ZoomRestorer zoomGuard(*this, 1.0f);
    for (TGGraphicControl* o : objects)
        o->PrepareToSave();
    filer->WriteObjects(objects, path);
    AfterLoad();
}

void TGBasePanel::LoadFromFile(const QString& path)
{
    if (!QFile::exists(path))
        return;
    PanelFiler* filer = PanelFiler::Current();
    if (!filer)
        throw EReadError(QStringLiteral("Invalid stream format"));
    // The file holds zoom-1.0 geometry: bring what was read to the current
    // factor so a later save (which rescales to 1.0 first) stores it unchanged.
    QList<TGGraphicControl*> read;
    try {
        read = filer->ReadObjects(*this, path, false);
    } catch (...) {
        AttachAll();
        throw;
    }
    adoptReadObjects(read);
    AttachAll();
    AfterLoad();
}

void TGBasePanel::adoptReadObjects(const QList<TGGraphicControl*>& read)
{
    for (TGGraphicControl* o : read) {
        if (o->Parent() != this)
            continue;
        o->AssignZoom(1.0f);
        o->SetZoom(zoom);
    }
}

void TGBasePanel::ClearAll()
{
    handle->ClearSelection();
    while (!objects.isEmpty())
        delete objects.last();
}

void TGBasePanel::ClearBackground()
{
    colorPicture = QImage();
    colorMetafile = Metafile();
    RepaintCard();
}

void TGBasePanel::LoadBackground(const QString& path)
{
    try {
        // Windows bitmaps go through the DIB reader (every depth and RLE),
        // metafiles through the metafile player, other pictures through Qt's
        // image readers. Only a regular file of sane size is read (a pipe or
        // a device named as the background is skipped at once).
        const SafeReadResult file = ReadOutsideFile(path, MaxPictureFileBytes);
        if (!file.ok())
            return;
        const bool metafile = path.contains(QStringLiteral(".wmf"), Qt::CaseInsensitive)
            || path.endsWith(QStringLiteral(".emf"), Qt::CaseInsensitive);
        std::optional<Dib> dib;
        std::optional<Metafile> meta;
        QImage loaded;
        if (metafile) {
            meta = Metafile::FromBytes(file.data);
        } else if (path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive)
            || path.endsWith(QStringLiteral(".dib"), Qt::CaseInsensitive)) {
            dib = Dib::FromBytes(file.data);
            loaded = dib->Image();
        } else {
            loaded = DecodePictureBytes(file.data);
        }
        if (!meta && loaded.isNull())
            return;
        colorMetafile = Metafile();
        colorPicture = loaded;
        if (meta && !rotated) {
            colorMetafile = *meta;
            colorPicture = QImage();
        } else if (rotated && dib) {
            colorPicture = dib->QuarterTurn().Image();
        } else if (rotated) {
            const int ppi = ScreenPpi();
            QImage b;
            if (meta) {
                // A drawing is laid onto a card-sized bitmap at its own size.
                b = QImage(static_cast<int>(Trunc(3.5L * ppi)), 2 * ppi, QImage::Format_RGB32);
                b.fill(Qt::white);
                QPainter p(&b);
                p.setRenderHint(QPainter::Antialiasing);
                meta->Play(p, QRectF(0, 0, meta->Width(), meta->Height()));
            } else {
                b = loaded.convertToFormat(QImage::Format_RGB32);
            }
            // Quarter turn clockwise: (x, y) goes to (height - 1 - y, x).
            QImage turned(b.height(), b.width(), QImage::Format_RGB32);
            for (int y = 0; y < b.height(); ++y) {
                const auto* src = reinterpret_cast<const QRgb*>(b.constScanLine(y));
                for (int x = 0; x < b.width(); ++x)
                    reinterpret_cast<QRgb*>(turned.scanLine(x))[b.height() - 1 - y] = src[x];
            }
            colorPicture = turned;
        }
    } catch (const Exception&) {
        // A background that cannot be loaded leaves whatever was loaded.
    }
    RepaintCard();
}

void TGBasePanel::DrawBackgroundArt(QPainter& p, int w, int h) const
{
    if (!colorPicture.isNull())
        p.drawImage(QRect(0, 0, w, h), colorPicture);
    if (!colorMetafile.IsEmpty()) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        colorMetafile.Play(p, QRectF(0, 0, w, h));
        p.restore();
    }
}

void TGBasePanel::PurgeStrayObjects()
{
    handle->ClearSelection();
    for (int i = static_cast<int>(objects.size()) - 1; i >= 0; --i) {
        if (i >= objects.size())
            continue;
        TGGraphicControl* o = objects[i];
        if (o->Top() > height() - 10 || o->Left() > width() - 10 || o->Width() < 1 || o->Height() < 1)
            delete o;
    }
}

void TGBasePanel::PrintObjects(TPageEngine& report, double left, double top)
{
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->PrintTo(report, left, top);
}

void TGBasePanel::SelectionClipboard(int action)
{
    PanelFiler* filer = PanelFiler::Current();
    if (action == caCopy || action == caCut) {
        if (handle->HasSelection()) {
            // What cannot be saved to the clipboard file must not be cut away.
            if (!filer)
                return;
            filer->WriteObjects(handle->Selection(), clipboardPath);
        }
    }
    if (action == caCut || action == caDelete) {
        const QList<TGGraphicControl*> chosen = handle->Selection();
        for (int i = static_cast<int>(chosen.size()) - 1; i >= 0; --i) {
            TGGraphicControl* o = chosen[i];
            handle->RemoveFromSelection(o);
            FreeObjectLater(o);
            SignalChanged();
        }
        RepaintCard();
        return;
    }
    if (action == caPaste) {
        const std::int64_t now = GetTickCount();
        if (lastPasteTime == 0)
            lastPasteTime = now;
        else if (now < lastPasteTime + 1000)
            return;
        if (!filer || !QFile::exists(clipboardPath))
            return;
        // The clipboard file holds stored (zoom 1.0) geometry, as a design
        // file does: the pasted objects take the panel's zoom from it.
        QList<TGGraphicControl*> read;
        try {
            read = filer->ReadObjects(*this, clipboardPath, true);
        } catch (...) {
            // What was read before the failure stays on the card: route it too.
            AttachAll();
            throw;
        }
        adoptReadObjects(read);
        AttachAll();
        SignalChanged();
        QCoreApplication::processEvents();
        lastPasteTime = now;
        RepaintCard();
    }
}

void TGBasePanel::ObjectClipboard(TGGraphicControl* object, int action)
{
    if (!object)
        return;
    if (handle->IndexOf(object) >= 0) {
        SelectionClipboard(action);
        return;
    }
    PanelFiler* filer = PanelFiler::Current();
    if (action == caCopy || action == caCut) {
        if (!filer)
            return;
        filer->WriteObjects({ object }, clipboardPath);
    }
    if (action == caCut || action == caDelete) {
        SignalChanged();
        handle->RemoveFromSelection(object);
        FreeObjectLater(object);
        RepaintCard();
    }
}

// --- context-menu commands ----------------------------------------------------

void TGBasePanel::BringSelectionToFrontCommand()
{
    if (!handle->HasSelection())
        return;
    for (TGGraphicControl* o : handle->Selection())
        BringObjectToFront(o);
    SignalChanged();
}

void TGBasePanel::SendSelectionToBackCommand()
{
    if (!handle->HasSelection())
        return;
    for (TGGraphicControl* o : handle->Selection())
        SendObjectToBack(o);
    handle->ClearSelection();
    SignalChanged();
}

void TGBasePanel::AlignLeft()
{
    if (!handle->HasSelection())
        return;
    SignalChanged();
    int m = width();
    for (TGGraphicControl* o : handle->Selection())
        if (o->Left() < m)
            m = o->Left();
    for (TGGraphicControl* o : handle->Selection())
        o->SetLeft(m);
    RepaintCard();
}

void TGBasePanel::AlignRight()
{
    if (!handle->HasSelection())
        return;
    SignalChanged();
    int m = 0;
    for (TGGraphicControl* o : handle->Selection())
        if (o->Left() + o->Width() > m)
            m = o->Left() + o->Width();
    for (TGGraphicControl* o : handle->Selection())
        o->SetLeft(m - o->Width());
    RepaintCard();
}

void TGBasePanel::AlignTops()
{
    if (!handle->HasSelection())
        return;
    SignalChanged();
    int m = height();
    for (TGGraphicControl* o : handle->Selection())
        if (o->Top() < m)
            m = o->Top();
    for (TGGraphicControl* o : handle->Selection())
        o->SetTop(m);
    RepaintCard();
}

void TGBasePanel::AlignBottoms()
{
    if (!handle->HasSelection())
        return;
    SignalChanged();
    int m = 0;
    for (TGGraphicControl* o : handle->Selection())
        if (o->Top() + o->Height() > m)
            m = o->Top() + o->Height();
    for (TGGraphicControl* o : handle->Selection())
        o->SetTop(m - o->Height());
    RepaintCard();
}

void TGBasePanel::CenterSelectionVertically()
{
    const QList<TGGraphicControl*> chosen = handle->Selection();
    for (TGGraphicControl* o : chosen)
        o->CenterVertically();
    RepaintCard();
}

void TGBasePanel::CenterSelectionHorizontally()
{
    const QList<TGGraphicControl*> chosen = handle->Selection();
    for (TGGraphicControl* o : chosen)
        o->CenterHorizontally();
    RepaintCard();
}

void TGBasePanel::LockAll()
{
    for (TGGraphicControl* o : objects)
        if (!o->Locked())
            o->SetLocked(true);
}

void TGBasePanel::UnlockAll()
{
    for (TGGraphicControl* o : objects)
        if (o->Locked())
            o->SetLocked(false);
}

void TGBasePanel::MarkAllSelectable()
{
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->SetUnselectable(false);
}

void TGBasePanel::MarkAllUnselectable()
{
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->SetUnselectable(true);
}

void TGBasePanel::SelectAll()
{
    if (objects.isEmpty())
        return;
    handle->ClearSelection();
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        handle->AddToSelection(o);
}

void TGBasePanel::ChooseFontForSelection()
{
    if (!handle->HasSelection())
        return;
    std::optional<QFont> chosen = Interaction::Current().ChooseFont(panelFont.ToQFont(), QStringLiteral("Font"));
    if (!chosen)
        return;
    const TFont font = TFont::FromQFont(*chosen, panelFont);
    const QList<TGGraphicControl*> chosenObjects = handle->Selection();
    for (TGGraphicControl* o : chosenObjects)
        o->ApplyFont(font);
    RepaintCard();
}

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
    const bool selected = handle->HasSelection();
    const bool hasChildren = !objects.isEmpty();
    for (QAction* item : menuItems) {
        const QString caption = item->text();
        bool enabled = selected;
        if (caption == QLatin1String("Paste"))
            enabled = QFile::exists(clipboardPath);
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
        handle->ClearSelection();
    handle->AddToSelection(object);
    RepaintCard();
    if (handle->SelectionCount() == 1 && button == Qt::RightButton)
        PopupMenu(object->ContextMenu());
}

void TGBasePanel::HandleMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    Q_UNUSED(button);
    if (!pointing || !(shift & Qt::ShiftModifier))
        return;
    const int px = x + handle->Left();
    const int py = y + handle->Top();
    QList<TGGraphicControl*> keep = handle->Selection();
    handle->ClearSelection();
    QCoreApplication::processEvents();
    keep.removeIf([&](TGGraphicControl* o) { return o->BoundsRect().Contains(px, py); });
    for (TGGraphicControl* o : keep)
        handle->AddToSelection(o);
}

void TGBasePanel::SelectionDblClick(TGGraphicControl* sender)
{
    const QPoint pos = lastMousePos;
    if (!sender) {
        if (handle->SelectionCount() > 1)
            return;
        if (TGGraphicControl* o = handle->SelectedAt(pos.x(), pos.y())) {
            if (o->OnEditRequest)
                o->OnEditRequest(this);
            else
                PopupMenu(o->ContextMenu());
        }
    } else {
        PopupMenu(sender->ContextMenu());
    }
    handle->MarkDoubleClicked();
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
    const int dx = sender ? sender->Left() : handle->Left();
    const int dy = sender ? sender->Top() : handle->Top();
    PanelMouseMove(shift, x + dx, y + dy);
}

void TGBasePanel::TranslateMouseUp(TGGraphicControl* sender, Qt::MouseButton button,
    Qt::KeyboardModifiers shift, int x, int y)
{
    const int dx = sender ? sender->Left() : handle->Left();
    const int dy = sender ? sender->Top() : handle->Top();
    PanelMouseUp(button, shift, x + dx, y + dy);
}

void TGBasePanel::SelectInRect(const TRect& r, bool shift)
{
    QList<TGGraphicControl*> list = shift ? handle->Selection() : QList<TGGraphicControl*>();
    handle->ClearSelection();
    for (int i = static_cast<int>(objects.size()) - 1; i >= 0; --i) {
        TGGraphicControl* o = objects[i];
        if (!o->BoundsRect().Intersects(r))
            continue;
        if (shift && list.contains(o))
            list.removeAll(o);
        else
            list.append(o);
    }
    for (TGGraphicControl* o : list)
        handle->AddToSelection(o);
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
    handle->Refit();
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
    return handle->Visible() && handle->Enabled();
}

bool TGBasePanel::frameTakesMouseAt(QPoint p) const
{
    return handle->Visible() && handle->Enabled() && handle->BoundsRect().Contains(p.x(), p.y());
}

// --- painting ---------------------------------------------------------------------

QPainterPath TGBasePanel::clipPath() const
{
    QPainterPath path;
    const QRectF box(0, 0, width() + 1, height() + 1);
    switch (shape) {
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
    const unsigned char* rows = gridSize == gs4x4 ? rows4 : rows8;
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
    if (!picture.isNull()) {
        p.save();
        p.setClipPath(clipPath());
        p.drawImage(QRect(0, 0, w, h), picture);
        p.restore();
    }
    if (!colorPicture.isNull() || !colorMetafile.IsEmpty()) {
        p.save();
        p.setClipPath(clipPath());
        DrawBackgroundArt(p, w, h);
        p.restore();
    }
    if (drawOutline) {
        p.save();
        QPen pen(Qt::black, 0, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF box(0.5, 0.5, w - 1, h - 1);
        switch (shape) {
        case lsRectangle: p.drawRect(box); break;
        case lsRoundRect: p.drawRoundedRect(box, 12, 12); break;
        case lsEllipse: p.drawEllipse(box); break;
        }
        p.restore();
    }
    if (showGrid)
        paintGrid(p);

    panelCanvas = &p;
    const QList<TGGraphicControl*> snapshot = objects;
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
    handle->Paint();
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
    if (suppressPainting)
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
    RepaintCard();
}

// --- mouse routing ----------------------------------------------------------------

void TGBasePanel::dispatchPress(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods,
    QPoint p, bool skipFrame)
{
    Q_UNUSED(buttons);
    if (!skipFrame && (capture == CaptureTarget::Frame || frameTakesMouseAt(p))) {
        capture = CaptureTarget::Frame;
        handle->MouseDown(button, mods, p.x() - handle->Left(), p.y() - handle->Top());
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
        handle->MouseUp(button, mods, p.x() - handle->Left(), p.y() - handle->Top());
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
        handle->MouseMove(event->buttons(), mods, p.x() - handle->Left(), p.y() - handle->Top());
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
        || (hover == HoverTarget::Frame && now != HoverTarget::Frame && !handle->Dragging()))
        SetScreenCursor(pointing ? crDefault : crDrag);
    hover = now;
    hoverObject = o;
    switch (now) {
    case HoverTarget::Frame:
        handle->MouseMove(event->buttons(), mods, p.x() - handle->Left(), p.y() - handle->Top());
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
        handle->MouseUp(event->button(), mods, p.x() - handle->Left(), p.y() - handle->Top());
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
            handle->DblClick();
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
        handle->MouseLeave();
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
        handle->KeyDown(key, event->modifiers());
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
    if (FrameFocused() || handle->Nudging())
        handle->KeyUp(virtualKey(event), event->modifiers());
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
