#include "objects/Image.h"

#include "objects/ImageBrowser.h"
#include "pageengine/PageEngine.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "platform/Numeric.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/DrawingProperties.h"
#include "surface/Handle.h"
#include "surface/ObjectStream.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <algorithm>

namespace bv {

namespace {
bool sameClass(const QString& a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}
} // namespace

TGImage::TGImage()
{
    SetBounds(0, 0, 105, 105);
}

const PropertyTable& TGImage::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGImage& { return static_cast<const TGImage&>(o); };
        auto mut = [](TGGraphicControl& o) -> TGImage& { return static_cast<TGImage&>(o); };
        std::vector<PropertyInfo> own;
        own.push_back({ "AutoSize", PropertyKind::Bool, Value::boolean(false),
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).AutoSize()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetAutoSize(expectBool(v)); } });
        own.push_back(EnumProperty("BorderStyle", BorderStyleNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).BorderStyle()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetBorderStyle(TBorderStyle(v)); }));
        own.push_back({ "Picture.Data", PropertyKind::Picture, std::nullopt,
            [self](const TGGraphicControl& o) {
                const QByteArray payload = self(o).PictureData();
                return payload.isEmpty() ? Value::null() : Value::binary(payload);
            },
            [mut](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::Binary)
                    throw EReadError(QStringLiteral("Invalid property value"));
                mut(o).SetPictureData(v.bytes);
            } });
        own.push_back({ "Stretch", PropertyKind::Bool, Value::boolean(true),
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).Stretch()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetStretch(expectBool(v)); } });
        own.push_back({ "Reverse", PropertyKind::Bool, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).Reverse()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetReverse(expectBool(v)); } });
        own.push_back({ "Flip", PropertyKind::Bool, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).Flip()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetFlip(expectBool(v)); } });
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

// --- properties ----------------------------------------------------------------

void TGImage::SetAutoSize(bool value)
{
    autoSize = value;
    stretch = !value;
    PictureChanged();
    if (!IsReading() && !IsLoading())
        NotifyChanged();
}

void TGImage::SetStretch(bool value)
{
    stretch = value;
    autoSize = !value;
    Invalidate();
}

void TGImage::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle)
        return;
    borderStyle = value;
    Invalidate();
    if (!IsReading() && !IsLoading())
        NotifyChanged();
}

void TGImage::SetReverse(bool value)
{
    if (value == reverse)
        return;
    reverse = value;
    Invalidate();
    if (!IsReading() && !IsLoading())
        NotifyChanged();
}

void TGImage::SetFlip(bool value)
{
    if (value == flip)
        return;
    flip = value;
    Invalidate();
    if (!IsReading() && !IsLoading())
        NotifyChanged();
}

void TGImage::SetPicture(const TPicture& value)
{
    picture = value;
    storedPayload.clear();
    undecoded.clear();
    PictureChanged();
}

QByteArray TGImage::PictureData() const
{
    if (!storedPayload.isEmpty())
        return storedPayload;
    if (!undecoded.isEmpty())
        return undecoded;
    switch (picture.GraphicKind()) {
    case TPicture::gkBitmap: storedPayload = MakePictureData(QStringLiteral("TBitmap"), picture.Bitmap().Bytes()); break;
    case TPicture::gkMetafile: storedPayload = MakePictureData(QStringLiteral("TMetafile"), picture.Meta().Bytes()); break;
    case TPicture::gkIcon: storedPayload = MakePictureData(QStringLiteral("TIcon"), picture.IconGraphic().Bytes()); break;
    default: break;
    }
    return storedPayload;
}

void TGImage::SetPictureData(const QByteArray& payload)
{
    // A malformed payload (class name or size beyond the data) fails the
    // read as any other invalid value does.
    const bv::PictureData parsed = ParsePictureData(payload);
    TPicture made;
    bool decoded = true;
    try {
        if (sameClass(parsed.graphicClass, "TBitmap")) {
            made = TPicture::FromBitmap(parsed.data.isEmpty() ? Dib() : Dib::FromBytes(parsed.data));
        } else if (sameClass(parsed.graphicClass, "TMetafile")) {
            made = TPicture::FromMetafile(Metafile::FromBytes(parsed.data));
        } else if (sameClass(parsed.graphicClass, "TIcon")) {
            made = TPicture::FromIcon(Icon::FromBytes(parsed.data));
        } else {
            decoded = false;
        }
    } catch (const Exception&) {
        decoded = false;
    }
    picture = decoded ? made : TPicture();
    storedPayload = decoded ? payload : QByteArray();
    undecoded = decoded ? QByteArray() : payload;
    PictureChanged();
}

void TGImage::PictureChanged()
{
    BoundsChanged();
    // A bitmap with transparency lets what lies under it show.
    opaque = picture.IsBitmap() && !picture.Bitmap().HasAlpha() && picture.Width() == Width()
        && picture.Height() == Height();
    Invalidate();
}

void TGImage::BoundsChanged()
{
    TGGraphicControl::BoundsChanged();
    // Reading keeps the stored bounds: they are what the design was saved with.
    if (!autoSize || IsReading())
        return;
    // The picture's own size: its resolution, where its file gives one.
    const QSize natural = picture.NaturalSize();
    const int w = natural.width();
    const int h = natural.height();
    if (w > 0 && h > 0) {
        const auto nw = static_cast<int>(Round(static_cast<Extended>(w) * static_cast<Extended>(Zoom())));
        const auto nh = static_cast<int>(Round(static_cast<Extended>(h) * static_cast<Extended>(Zoom())));
        if (nw != Width() || nh != Height())
            SetBounds(Left(), Top(), nw, nh);
    }
}

// --- drawing ---------------------------------------------------------------------

void TGImage::DrawTo(QPainter& c)
{
    const int w = Width();
    const int h = Height();
    if (w <= 0 || h <= 0)
        return;
    c.save();
    c.setClipRect(QRect(0, 0, w, h), Qt::IntersectClip);
    const QRectF box(0, 0, w, h);
    if (!picture.HasGraphic()) {
        if (undecoded.isEmpty()) {
            // No picture: the default pen and brush, a white box outlined in black.
            c.setPen(QPen(Qt::black, 0));
            c.setBrush(Qt::white);
            c.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
        }
    } else if (picture.IsIcon()) {
        // An icon lies on the white of its working bitmap.
        c.fillRect(box, Qt::white);
        picture.Draw(c, box);
    } else {
        picture.Draw(c, box, picture.Mirrorable() && reverse, picture.Mirrorable() && flip);
    }
    if (borderStyle == bsSingle) {
        // One device pixel along the object's outermost pixels, on the screen
        // and on a 1200-dpi page alike.
        const QRectF outer = c.worldTransform().mapRect(box);
        c.resetTransform();
        c.setPen(QPen(Qt::black, 0));
        c.setBrush(Qt::NoBrush);
        c.drawRect(outer.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    c.restore();
}

void TGImage::Paint()
{
    if (Parent() && Parent()->SuppressPainting())
        return;
    if (QPainter* c = DrawCanvas())
        DrawTo(*c);
    if (DrawingOnOwnCanvas())
        DrawSelectionSquares();
}

void TGImage::PrintTo(TPageEngine& report, double left, double top)
{
    // Nothing without a picture, nor for an empty bitmap; otherwise the
    // object's own drawing goes onto the page: a bitmap at its own
    // resolution, a metafile as vectors, the frame one device pixel wide.
    if (!picture.HasGraphic() || (picture.IsBitmap() && picture.Bitmap().IsEmpty()))
        return;
    TGGraphicControl::PrintTo(report, left, top);
}

// --- menu -----------------------------------------------------------------------

void TGImage::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Load Image From Disk"), [this] { LoadImageFromDisk(); });
    menu.addSeparator();
    borderItem = AddMenuItem(menu, QStringLiteral("Border"), [this] {
        SetBorderStyle(borderStyle == bsSingle ? bsNone : bsSingle);
    });
    stretchItem = AddMenuItem(menu, QStringLiteral("Stretch to Fit"), [this] {
        SetStretch(!stretch);
        Invalidate();
    });
    autoSizeItem = AddMenuItem(menu, QStringLiteral("AutoSize"), [this] {
        SetAutoSize(!autoSize);
        Invalidate();
    });
    flipItem = AddMenuItem(menu, QStringLiteral("Flip"), [this] {
        SetFlip(!flip);
        Invalidate();
        NotifyChanged();
    });
    reverseItem = AddMenuItem(menu, QStringLiteral("Reverse"), [this] {
        SetReverse(!reverse);
        Invalidate();
        NotifyChanged();
    });
    for (QAction* item : { borderItem, stretchItem, autoSizeItem, flipItem, reverseItem })
        item->setCheckable(true);
}

void TGImage::UpdateMenuChecks()
{
    ContextMenu();
    if (!borderItem)
        return;
    borderItem->setChecked(borderStyle == bsSingle);
    stretchItem->setChecked(stretch);
    autoSizeItem->setChecked(autoSize);
    flipItem->setChecked(flip);
    reverseItem->setChecked(reverse);
    flipItem->setEnabled(picture.Mirrorable());
    reverseItem->setEnabled(picture.Mirrorable());
}

QAction* TGImage::BorderItem()
{
    ContextMenu();
    return borderItem;
}
QAction* TGImage::StretchItem()
{
    ContextMenu();
    return stretchItem;
}
QAction* TGImage::AutoSizeItem()
{
    ContextMenu();
    return autoSizeItem;
}
QAction* TGImage::FlipItem()
{
    ContextMenu();
    return flipItem;
}
QAction* TGImage::ReverseItem()
{
    ContextMenu();
    return reverseItem;
}

void TGImage::LoadImageFromDisk()
{
    const QString folder = QDir::currentPath();
    {
        TGImageBrowser browser;
        browser.CBStretch->setChecked(stretch);
        browser.CBStretchClick();
        browser.CBAutoSize->setChecked(autoSize);
        browser.CBAutoSizeClick();
        if (Interaction::Current().RunModal(browser) == mrOk && !browser.SelectedFileName().isEmpty()) {
            try {
                TPicture chosen = browser.PreviewPicture();
                picture = chosen;
                storedPayload.clear();
                undecoded.clear();
                stretch = browser.CBStretch->isChecked();
                autoSize = browser.CBAutoSize->isChecked();
                PictureChanged();
                NotifyChanged();
            } catch (const Exception&) {
                Interaction::Current().ShowError(QStringLiteral("Error loading file!"));
                SetPicture(TPicture());
            }
        }
    }
    QDir::setCurrent(folder);
}

// --- tool -----------------------------------------------------------------------

TGImage* CreateImage(TGBusinessCardPanel32& panel, const TRect& r)
{
    auto* image = new TGImage;
    image->Loaded();
    panel.AddObject(image, r);
    panel.SetScreenCursor(crDefault);
    panel.SetPanelState(psPointing);
    image->LoadImageFromDisk();
    if (!image->Picture().HasGraphic()) {
        panel.Handle().RemoveFromSelection(image);
        delete image;
        return nullptr;
    }
    if (!image->AutoSize()) {
        // The picture keeps its proportions: a click gives it its own size,
        // a drag the largest size of its shape inside the band; never more
        // than the card.
        const Extended zoom = static_cast<Extended>(panel.Zoom());
        QSizeF size(image->Picture().Width() * zoom, image->Picture().Height() * zoom);
        const bool click = r.Right - r.Left <= 50 && r.Bottom - r.Top <= 15;
        if (!size.isEmpty()) {
            if (!click)
                size = size.scaled(QSizeF(r.Right - r.Left, r.Bottom - r.Top), Qt::KeepAspectRatio);
            if (size.width() > panel.width() || size.height() > panel.height())
                size = size.scaled(QSizeF(panel.width(), panel.height()), Qt::KeepAspectRatio);
            image->SetBounds(r.Left, r.Top, std::max(1, static_cast<int>(Round(size.width()))),
                std::max(1, static_cast<int>(Round(size.height()))));
        }
    }
    panel.KeepInCard(*image);
    return image;
}

void RegisterImageClasses()
{
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGImage"), [] { return new TGImage; } } },
        .tools = { { .state = psImage, .button = "DrawImageButton", .hint = QStringLiteral("Clip Art Tool"),
            .menuCaption = QStringLiteral("&Clip Art..."), .iconName = QStringLiteral("image"), .group = 3,
            .order = 80, .create = [](TGBusinessCardPanel32& panel, const TRect& r) { CreateImage(panel, r); } } },
    });
}

} // namespace bv
