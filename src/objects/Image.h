#pragma once
// The clip-art picture object: a bitmap (transparent ones let the card show
// through), a metafile or SVG drawing, or an icon, stretched to the object's
// bounds or sizing the object to the picture's own size, optionally mirrored
// (bitmaps and drawings) and framed. The stored picture data is kept as read, so a
// design writes back the bytes it was opened from.
#include "objects/BaseLabel.h"
#include "pictures/Picture.h"
#include "surface/GraphicControl.h"

class QAction;

namespace bv {

class TGBusinessCardPanel32;

class TGImage : public TGGraphicControl {
    Q_OBJECT
public:
    TGImage();

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    bool AutoSize() const { return autoSize; }
    // AutoSize := v, Stretch := not v, then the picture-changed step.
    void SetAutoSize(bool value);
    TBorderStyle BorderStyle() const { return borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool Stretch() const { return stretch; }
    // Stretch := v, AutoSize := not v; no re-fit until the bounds or the
    // picture change.
    void SetStretch(bool value);
    bool Reverse() const { return reverse; }
    void SetReverse(bool value);
    bool Flip() const { return flip; }
    void SetFlip(bool value);

    const TPicture& Picture() const { return picture; }
    // Copies the picture and runs the picture-changed step.
    void SetPicture(const TPicture& value);
    // The "Picture.Data" payload: graphic class name and the graphic's data;
    // empty without a graphic. A payload read from a design is written back
    // unchanged while the picture is not replaced.
    QByteArray PictureData() const;
    // Reads a payload. A graphic that cannot be decoded (or of a kind the
    // program does not know) is kept as stored and drawn as nothing.
    void SetPictureData(const QByteArray& payload);
    // True when a payload was read that no picture could be made of.
    bool HasUndecodedPicture() const { return !undecoded.isEmpty(); }

    // The object covers its bounds with picture pixels: a bitmap without
    // transparency of exactly the object's size.
    bool Opaque() const { return opaque; }

    // Re-fits (AutoSize), recomputes Opaque, repaints.
    void PictureChanged();
    void BoundsChanged() override;
    void Paint() override;
    // The picture, the empty-picture box and the frame at (0, 0) in the
    // object's pixel size.
    void DrawTo(QPainter& canvas) override;
    void UpdateMenuChecks() override;
    void PrintTo(TPageEngine& report, double left, double top) override;

    // "Load Image From Disk": the picture browser, then the chosen picture.
    void LoadImageFromDisk();

    QAction* BorderItem();
    QAction* StretchItem();
    QAction* AutoSizeItem();
    QAction* FlipItem();
    QAction* ReverseItem();

protected:
    void BuildContextMenu(QMenu& menu) override;

private:
    bool autoSize = false;
    TBorderStyle borderStyle = bsNone;
    bool stretch = true;
    bool reverse = false;
    bool flip = false;
    bool opaque = false;
    TPicture picture;
    // The payload as read, kept while the picture is the one it made; for a
    // picture from elsewhere, made once when first asked for, so that every
    // save, clone and undo snapshot shares the one copy.
    mutable QByteArray storedPayload;
    QByteArray undecoded;
    QAction* borderItem = nullptr;
    QAction* stretchItem = nullptr;
    QAction* autoSizeItem = nullptr;
    QAction* flipItem = nullptr;
    QAction* reverseItem = nullptr;
};

// The clip-art tool: a new image object in r, then its browser; an object
// still without a picture afterwards is removed. Returns the object kept, or
// nullptr.
TGImage* CreateImage(TGBusinessCardPanel32& panel, const TRect& r);

// Registers TGImage with the stream class registry and the clip-art tool.
void RegisterImageClasses();

} // namespace bv
