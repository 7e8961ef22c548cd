#pragma once
// A picture that holds one graphic: a bitmap, a metafile or an icon (or
// nothing). Loading a file picks the graphic by the file's extension; JPEG,
// PNG and GIF files become bitmaps, so what is stored stays one of the three
// graphic kinds a design file knows.
#include "platform/Dib.h"
#include "platform/Icon.h"
#include "pictures/Metafile.h"

#include <QRectF>
#include <QString>

class QPainter;

namespace bv {

class TPicture {
public:
    enum Kind { gkNone, gkBitmap, gkMetafile, gkIcon };

    TPicture() = default;
    static TPicture FromBitmap(const Dib& bitmap);
    static TPicture FromMetafile(const Metafile& metafile);
    static TPicture FromIcon(const Icon& icon);

    // By the upper-cased extension: .BMP/.DIB bitmap, .WMF/.EMF metafile,
    // .ICO icon, .JPG/.JPEG/.JIF decoded to a 256-colour bitmap, .PNG/.GIF
    // a 24-bit bitmap of the picture laid over white. Throws EFOpenError or
    // EConvertError (also for an extension it does not know).
    static TPicture LoadFromFile(const QString& path);
    // An icon made into a bitmap: the icon drawn at (0, 0) on a white bitmap
    // of its size.
    static Dib IconToBitmap(const Icon& icon);

    Kind GraphicKind() const { return kind; }
    bool HasGraphic() const { return kind != gkNone; }
    bool IsBitmap() const { return kind == gkBitmap; }
    bool IsMetafile() const { return kind == gkMetafile; }
    bool IsIcon() const { return kind == gkIcon; }
    const Dib& Bitmap() const { return bitmap; }
    const Metafile& Meta() const { return metafile; }
    const Icon& IconGraphic() const { return icon; }
    // The graphic's size in screen pixels (0 without a graphic).
    int Width() const;
    int Height() const;

    // Draws the graphic stretched into `target` (nothing without one, or for
    // an empty bitmap). Bitmaps may be mirrored left-to-right (reverse) and
    // top-to-bottom (flip).
    void Draw(QPainter& painter, const QRectF& target, bool reverse = false, bool flip = false) const;

    void Clear() { *this = TPicture(); }
    bool operator==(const TPicture& o) const
    {
        return kind == o.kind && bitmap == o.bitmap && metafile == o.metafile && icon.Bytes() == o.icon.Bytes();
    }

private:
    Kind kind = gkNone;
    Dib bitmap;
    Metafile metafile;
    Icon icon;
};

} // namespace bv
