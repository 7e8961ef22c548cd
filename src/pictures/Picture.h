#pragma once
// A picture that holds one graphic: a bitmap, a metafile or an icon (or
// nothing). Loading a file picks the graphic by the file's extension; JPEG,
// PNG, GIF and WebP files become bitmaps (keeping their transparency), SVG
// drawings metafiles that carry the drawing, so what is stored stays one of
// the three graphic kinds a design file knows.
#include "platform/Dib.h"
#include "platform/Icon.h"
#include "pictures/Metafile.h"
#include "pictures/SvgDrawing.h"

#include <QRectF>
#include <QSize>
#include <QString>
#include <functional>

class QPainter;
class QPaintDevice;
class QImage;

namespace bv {

class TPicture {
public:
    enum Kind { gkNone, gkBitmap, gkMetafile, gkIcon };

    TPicture() = default;
    static TPicture FromBitmap(const Dib& bitmap);
    // A metafile that carries an SVG drawing (SvgDrawing::CarrierMetafile)
    // draws the SVG; one whose drawing cannot be read plays its records.
    static TPicture FromMetafile(const Metafile& metafile);
    // The drawing, held as the metafile that carries it.
    static TPicture FromSvg(const SvgDrawing& drawing);
    static TPicture FromIcon(const Icon& icon);

    // By the upper-cased extension: .BMP/.DIB bitmap, .WMF/.EMF metafile,
    // .ICO icon, .JPG/.JPEG/.JIF decoded to a 256-colour bitmap, .PNG/.GIF/
    // .WEBP a bitmap with the picture's transparency and resolution (see
    // ImportBitmap), .SVG/.SVGZ a drawing (FromSvg). Throws EFOpenError or
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
    // A metafile that draws an SVG drawing.
    bool IsSvg() const { return kind == gkMetafile && !svg.IsEmpty(); }
    const SvgDrawing& Svg() const { return svg; }
    // Bitmaps and drawings (metafiles, SVG) can be mirrored.
    bool Mirrorable() const { return kind == gkBitmap || kind == gkMetafile; }
    // The size the picture has at its own resolution, in screen pixels: a
    // bitmap's pixels over the pixels per metre its header gives (its pixel
    // count when it gives none or an implausible one), a drawing's frame.
    QSize NaturalSize() const;
    // The graphic's size in screen pixels (0 without a graphic).
    int Width() const;
    int Height() const;

    // Draws the graphic stretched into `target` (nothing without one, or for
    // an empty bitmap), bitmaps with their transparency, drawings as
    // vectors. Bitmaps and drawings may be mirrored left-to-right (reverse)
    // and top-to-bottom (flip).
    void Draw(QPainter& painter, const QRectF& target, bool reverse = false, bool flip = false) const;

    // Bitmaps drawn on `device` go to `drawer` instead of the painter (a
    // print job that writes its pictures itself; it returns true when it
    // drew). A null drawer ends it.
    using BitmapDrawer = std::function<bool(QPainter&, const QRectF& target, const QImage& image)>;
    static void SetBitmapDrawer(const QPaintDevice* device, BitmapDrawer drawer);

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
    SvgDrawing svg;
};

} // namespace bv
