#include "surface/DesignModel.h"

#include "platform/Clock.h"
#include "platform/Dib.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "platform/PictureLimits.h"
#include "platform/SafeFile.h"
#include "platform/AtomicFile.h"
#include "platform/MergeSource.h"
#include "platform/ProfileFile.h"
#include "surface/DesignView.h"
#include "surface/GraphicControl.h"
#include "surface/Handle.h"
#include "surface/PanelFiler.h"
#include "surface/TemplateFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <algorithm>
#include <optional>

namespace bv {

namespace {

// Restores the zoom factor when a file operation leaves, also by an exception.
class ZoomRestorer {
public:
    ZoomRestorer(TDesignModel& m, Single target) : model(m), saved(m.Zoom())
    {
        if (saved != target)
            model.SetZoom(target);
    }
    ~ZoomRestorer()
    {
        if (model.Zoom() != saved)
            model.SetZoom(saved);
    }

private:
    TDesignModel& model;
    Single saved;
};

} // namespace

TDesignModel::TDesignModel()
{
    frame = std::make_unique<TGHandle>(*this);
    frame->SetEnabled(true);
    frame->SetVisible(true);
    frame->SetSnapToGrid(false);
    clipboardPath = ProgramFolder() + QStringLiteral("Clipbrd.tmp");
    tempFilePath = ProgramFolder() + QStringLiteral("TempFile.tmp");
}

TDesignModel::~TDesignModel()
{
    if (deletesTemporaryFiles) {
        for (const QString& path : { clipboardPath, tempFilePath }) {
            if (QFile::exists(path))
                QFile::remove(path);
        }
    }
    ClearAll();
}

// --- view -------------------------------------------------------------------------

void TDesignModel::RepaintCard()
{
    if (view)
        view->RepaintCard();
}

void TDesignModel::RepaintCard(const QRect& r)
{
    if (view)
        view->RepaintCard(r);
}

void TDesignModel::RepaintCardNow(const QRect& r)
{
    if (view)
        view->RepaintCardNow(r);
}

void TDesignModel::RequestRefit()
{
    if (view)
        view->PostRefitRequest();
    else
        frame->Refit();
}

// --- card size ----------------------------------------------------------------------

void TDesignModel::SetCardSize(QSize size)
{
    size = QSize(std::max(0, size.width()), std::max(0, size.height()));
    if (size == cardSize)
        return;
    cardSize = size;
    emit CardResizeRequested(size);
    repaint();
}

void TDesignModel::KeepInCard(TGGraphicControl& object) const
{
    const int cw = cardSize.width();
    const int ch = cardSize.height();
    const int w = std::min(object.Width(), std::max(1, cw));
    const int h = std::min(object.Height(), std::max(1, ch));
    const int l = std::clamp(object.Left(), 0, std::max(0, cw - w));
    const int t = std::clamp(object.Top(), 0, std::max(0, ch - h));
    if (l != object.Left() || t != object.Top() || w != object.Width() || h != object.Height())
        object.SetBounds(l, t, w, h);
}

// --- objects ----------------------------------------------------------------------

TGGraphicControl* TDesignModel::FindObject(const QString& name) const
{
    for (TGGraphicControl* o : objects)
        if (o->Name().compare(name, Qt::CaseInsensitive) == 0)
            return o;
    return nullptr;
}

TGGraphicControl* TDesignModel::ObjectAt(int x, int y) const
{
    for (auto it = objects.crbegin(); it != objects.crend(); ++it) {
        TGGraphicControl* o = *it;
        if (o->Visible() && o->BoundsRect().Contains(x, y))
            return o;
    }
    return nullptr;
}

void TDesignModel::BringObjectToFront(TGGraphicControl* object)
{
    if (objects.removeOne(object)) {
        objects.append(object);
        repaint();
    }
}

void TDesignModel::SendObjectToBack(TGGraphicControl* object)
{
    if (objects.removeOne(object)) {
        objects.prepend(object);
        repaint();
    }
}

void TDesignModel::InsertObject(TGGraphicControl* object)
{
    // SetParent keeps an object in exactly the list of the model it names as
    // its parent and calls this only when that changes, so the object is not
    // in the list yet: no search (reading a design inserts a thousand objects
    // one by one).
    if (object->Parent() != this)
        return;
    Q_ASSERT(!objects.contains(object));
    objects.append(object);
    repaint();
}

void TDesignModel::RemoveObject(TGGraphicControl* object)
{
    if (view)
        view->ForgetObject(object);
    if (frame && frame->IndexOf(object) >= 0)
        frame->RemoveFromSelection(object);
    // Objects go mostly from the top (clearing frees the list from its end):
    // look from there.
    const qsizetype at = objects.lastIndexOf(object);
    if (at >= 0)
        objects.removeAt(at);
    repaint();
}

void TDesignModel::SetObjectOrder(const QList<TGGraphicControl*>& order)
{
    Q_ASSERT(order.size() == objects.size());
    objects = order;
    repaint();
}

void TDesignModel::FreeObjectLater(TGGraphicControl* object)
{
    if (!object)
        return;
    object->SetParent(static_cast<TDesignModel*>(nullptr));
    object->deleteLater();
}

// --- names ------------------------------------------------------------------------

bool TDesignModel::IsNameTaken(const QString& name) const
{
    return !name.isEmpty() && FindObject(name) != nullptr;
}

QString TDesignModel::UniqueName(const QString& prefix) const
{
    const NameRegistry& registry = Owner();
    for (int n = 1; n <= 1000; ++n) {
        const QString name = prefix + QString::number(n);
        if (!registry.IsNameTaken(name))
            return name;
    }
    return QString();
}

void TDesignModel::SetZoom(Single x)
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
    const QSize now = cardSize;
    if (unzoomedSize.isEmpty() || now != zoomedSize) {
        const Extended z = zoom;
        unzoomedSize = zoom == 1.0f ? now
                                    : QSize(static_cast<int>(Round(now.width() / z)), static_cast<int>(Round(now.height() / z)));
    }
    const Extended ex = x;
    const QSize next = x == 1.0f ? unzoomedSize
                                 : QSize(static_cast<int>(Round(unzoomedSize.width() * ex)),
                                       static_cast<int>(Round(unzoomedSize.height() * ex)));
    SetCardSize(next);
    zoomedSize = next;
    zoom = x;
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->SetZoom(x);
    QCoreApplication::processEvents();
    zooming = false;
}

void TDesignModel::SetCornerRadiusInches(double value)
{
    if (value == cornerRadiusInches)
        return;
    cornerRadiusInches = value;
    repaint();
}

void TDesignModel::SetDrawOutline(bool value)
{
    if (drawOutline == value)
        return;
    drawOutline = value;
    repaint();
}

void TDesignModel::SetShape(TLabelShapeType value)
{
    if (shape == value)
        return;
    shape = value;
    repaint();
}

void TDesignModel::SetGridSize(TGridSize value)
{
    if (gridSize == value)
        return;
    gridSize = value;
    const int step = GridStep();
    frame->SetGridX(step);
    frame->SetGridY(step);
    repaint();
}

void TDesignModel::SetShowGrid(bool value)
{
    if (showGrid == value)
        return;
    showGrid = value;
    repaint();
}

void TDesignModel::SetSnapToGrid(bool value)
{
    if (snapToGrid == value)
        return;
    snapToGrid = value;
    frame->SetSnapToGrid(value);
    if (value) {
        const int step = GridStep();
        frame->SetGridX(step);
        frame->SetGridY(step);
    }
}

void TDesignModel::SetPicture(const QImage& value)
{
    picture = value;
    repaint();
}

void TDesignModel::SetColorPicture(const QImage& value)
{
    colorPicture = value;
    colorMetafile = Metafile();
    repaint();
}

void TDesignModel::SignalChanged()
{
    if (!zooming)
        emit Changed();
}

void TDesignModel::AttachObject(TGGraphicControl* object)
{
    if (!object)
        return;
    object->SetAttached(true);
    object->AssignZoom(zoom);
}

void TDesignModel::AttachAll()
{
    for (TGGraphicControl* o : objects)
        AttachObject(o);
}

void TDesignModel::AddObject(TGGraphicControl* object, const TRect& r)
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

void TDesignModel::SaveToFile(const QString& path)
{
    PanelFiler* filer = PanelFiler::Current();
    if (!filer)
        throw EWriteError(QStringLiteral("Unable to write to %1").arg(path));
    ZoomRestorer zoomGuard(*this, 1.0f);
    for (TGGraphicControl* o : objects)
        o->PrepareToSave();
    filer->WriteObjects(objects, path);
}

void TDesignModel::LoadFromFile(const QString& path)
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
}

void TDesignModel::adoptReadObjects(const QList<TGGraphicControl*>& read)
{
    for (TGGraphicControl* o : read) {
        if (o->Parent() != this)
            continue;
        o->AssignZoom(1.0f);
        o->SetZoom(zoom);
    }
}

void TDesignModel::ClearAll()
{
    frame->ClearSelection();
    while (!objects.isEmpty())
        delete objects.last();
}

void TDesignModel::ClearBackground()
{
    colorPicture = QImage();
    colorMetafile = Metafile();
    repaint();
}

void TDesignModel::SetBackgroundArt(const QImage& bitmap, const Metafile& metafile)
{
    colorPicture = bitmap;
    colorMetafile = metafile;
    repaint();
}

void TDesignModel::LoadBackground(const QString& path)
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
    repaint();
}

void TDesignModel::DrawBackgroundArt(QPainter& p, int w, int h) const
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

void TDesignModel::PurgeStrayObjects()
{
    const QSize card = cardSize;
    frame->ClearSelection();
    for (int i = static_cast<int>(objects.size()) - 1; i >= 0; --i) {
        if (i >= objects.size())
            continue;
        TGGraphicControl* o = objects[i];
        if (o->Top() > card.height() - 10 || o->Left() > card.width() - 10 || o->Width() < 1 || o->Height() < 1)
            delete o;
    }
}

void TDesignModel::PrintObjects(TPageEngine& report, double left, double top)
{
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->PrintTo(report, left, top);
}

void TDesignModel::SelectionClipboard(int action)
{
    PanelFiler* filer = PanelFiler::Current();
    if (action == caCopy || action == caCut) {
        if (frame->HasSelection()) {
            // What cannot be saved to the clipboard file must not be cut away.
            if (!filer)
                return;
            filer->WriteObjects(frame->Selection(), clipboardPath);
        }
    }
    if (action == caCut || action == caDelete) {
        const QList<TGGraphicControl*> chosen = frame->Selection();
        for (int i = static_cast<int>(chosen.size()) - 1; i >= 0; --i) {
            TGGraphicControl* o = chosen[i];
            frame->RemoveFromSelection(o);
            FreeObjectLater(o);
            SignalChanged();
        }
        repaint();
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
        // file does: the pasted objects take the design's zoom from it.
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
        repaint();
    }
}

void TDesignModel::ObjectClipboard(TGGraphicControl* object, int action)
{
    if (!object)
        return;
    if (frame->IndexOf(object) >= 0) {
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
        frame->RemoveFromSelection(object);
        FreeObjectLater(object);
        repaint();
    }
}

// --- context-menu commands ----------------------------------------------------

void TDesignModel::BringSelectionToFrontCommand()
{
    if (!frame->HasSelection())
        return;
    for (TGGraphicControl* o : frame->Selection())
        BringObjectToFront(o);
    SignalChanged();
}

void TDesignModel::SendSelectionToBackCommand()
{
    if (!frame->HasSelection())
        return;
    for (TGGraphicControl* o : frame->Selection())
        SendObjectToBack(o);
    frame->ClearSelection();
    SignalChanged();
}

void TDesignModel::alignSelection(Qt::Edge edge)
{
    if (!frame->HasSelection())
        return;
    SignalChanged();
    // The outermost edge among the chosen objects, toward the card's edge:
    // every chosen object moves to line up on it.
    const bool across = edge == Qt::LeftEdge || edge == Qt::RightEdge;
    const bool nearSide = edge == Qt::LeftEdge || edge == Qt::TopEdge;
    const auto start = [across](const TGGraphicControl* o) { return across ? o->Left() : o->Top(); };
    const auto extent = [across](const TGGraphicControl* o) { return across ? o->Width() : o->Height(); };
    int m = nearSide ? (across ? cardSize.width() : cardSize.height()) : 0;
    for (const TGGraphicControl* o : frame->Selection())
        m = nearSide ? std::min(m, start(o)) : std::max(m, start(o) + extent(o));
    for (TGGraphicControl* o : frame->Selection()) {
        const int at = nearSide ? m : m - extent(o);
        if (across)
            o->SetLeft(at);
        else
            o->SetTop(at);
    }
    repaint();
}

void TDesignModel::AlignLeft()
{
    alignSelection(Qt::LeftEdge);
}

void TDesignModel::AlignRight()
{
    alignSelection(Qt::RightEdge);
}

void TDesignModel::AlignTops()
{
    alignSelection(Qt::TopEdge);
}

void TDesignModel::AlignBottoms()
{
    alignSelection(Qt::BottomEdge);
}

void TDesignModel::CenterSelectionVertically()
{
    const QList<TGGraphicControl*> chosen = frame->Selection();
    for (TGGraphicControl* o : chosen)
        o->CenterVertically();
    repaint();
}

void TDesignModel::CenterSelectionHorizontally()
{
    const QList<TGGraphicControl*> chosen = frame->Selection();
    for (TGGraphicControl* o : chosen)
        o->CenterHorizontally();
    repaint();
}

void TDesignModel::LockAll()
{
    for (TGGraphicControl* o : objects)
        if (!o->Locked())
            o->SetLocked(true);
}

void TDesignModel::UnlockAll()
{
    for (TGGraphicControl* o : objects)
        if (o->Locked())
            o->SetLocked(false);
}

void TDesignModel::MarkAllSelectable()
{
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->SetUnselectable(false);
}

void TDesignModel::MarkAllUnselectable()
{
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->SetUnselectable(true);
}

void TDesignModel::SelectAll()
{
    if (objects.isEmpty())
        return;
    frame->ClearSelection();
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        frame->AddToSelection(o);
}

void TDesignModel::ChooseFontForSelection()
{
    if (!frame->HasSelection())
        return;
    std::optional<QFont> chosen = Interaction::Current().ChooseFont(panelFont.ToQFont(), QStringLiteral("Font"));
    if (!chosen)
        return;
    const TFont font = TFont::FromQFont(*chosen, panelFont);
    const QList<TGGraphicControl*> chosenObjects = frame->Selection();
    for (TGGraphicControl* o : chosenObjects)
        o->ApplyFont(font);
    repaint();
}

void TDesignModel::SelectInRect(const TRect& r, bool shift)
{
    QList<TGGraphicControl*> list = shift ? frame->Selection() : QList<TGGraphicControl*>();
    frame->ClearSelection();
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
        frame->AddToSelection(o);
}

// --- selection ---------------------------------------------------------------------

const QList<TGGraphicControl*>& TDesignModel::Selection() const
{
    return frame->Selection();
}

bool TDesignModel::HasSelection() const
{
    return frame->HasSelection();
}

bool TDesignModel::HasEffectObjects() const
{
    for (const TGGraphicControl* o : objects)
        if (o->IsEffectObject())
            return true;
    return false;
}

void TDesignModel::SetPersonalInfo(const TPersonalInfo& value)
{
    if (value == personalInfo)
        return;
    personalInfo = value;
    // A copy: an object may change the design while it follows.
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        o->PersonalInfoChanged(personalInfo);
}

void TDesignModel::SetMergeTable(std::shared_ptr<const TMergeTable> table)
{
    mergeTable = std::move(table);
    SetMergeRecord(-1);
}

void TDesignModel::SetMergeRecord(int record, bool paint)
{
    if (!mergeTable || record < 0 || record >= mergeTable->RecordCount())
        record = -1;
    if (record == mergeRecord)
        return;
    mergeRecord = record;
    if (paint)
        repaint();
}

QImage TDesignModel::RenderToBitmap()
{
    const int w = std::max(1, cardSize.width());
    const int h = std::max(1, cardSize.height());
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawBackgroundArt(p, cardSize.width(), cardSize.height());
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot) {
        if (!o->Visible())
            continue;
        p.save();
        p.setClipRect(QRect(o->Left(), o->Top(), o->Width(), o->Height()));
        try {
            o->PaintAt(p, o->Left(), o->Top());
        } catch (const std::exception&) {
            // One object that cannot paint must not stop the card from painting.
        }
        p.restore();
    }
    return image;
}

QString TDesignModel::ImportTemplate(const QString& path)
{
    // A template that cannot be read fails here with its reason, rather than
    // reading as an empty template that starts an empty design.
    return ReadTemplate(*this, ProfileText(ReadOutsideFileOrThrow(path, MaxProfileFileBytes)));
}

void TDesignModel::ExportTemplate(const QString& path, const QString& backgroundPath) const
{
    WriteFileAtomically(path, TemplateText(*this, backgroundPath).Bytes());
}

void TDesignModel::SetAllFontNames(const QString& name)
{
    const QList<TGGraphicControl*> snapshot = objects;
    for (TGGraphicControl* o : snapshot)
        if (o->TakesCardFontName())
            o->SetFontName(name.left(255));
}

} // namespace bv
