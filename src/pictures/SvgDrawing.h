#pragma once
// SVG drawings (plain or gzip-compressed), kept as their exact bytes and
// rendered as vectors through Qt's SVG module onto any painter, so a logo is
// as sharp on a 1200-dpi printer and in a PDF as on the screen.
//
// A design stores such a drawing inside an enhanced metafile (see
// CarrierMetafile): readers that know only the classic picture kinds see a
// metafile that shows the drawing as a bitmap; this program finds the SVG
// bytes in the metafile's comment record and draws those instead.
//
// Malformed input (not XML, not SVG, a compressed stream that does not
// inflate or inflates beyond the limit, a drawing that refers to files
// outside itself) raises bv::EConvertError.
#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QString>
#include <memory>

class QPainter;
class QSvgRenderer;

namespace bv {

class SvgDrawing {
public:
    SvgDrawing() = default;

    // SVG or SVGZ bytes, kept as given. Throws EConvertError.
    static SvgDrawing FromBytes(const QByteArray& bytes);
    // Reads an .SVG or .SVGZ file. Throws EFOpenError or EConvertError.
    static SvgDrawing FromFile(const QString& path);

    bool IsEmpty() const { return bytes.isEmpty(); }
    // The bytes exactly as loaded (compressed when they were).
    const QByteArray& Bytes() const { return bytes; }
    // The drawing's own size in screen pixels (ScreenPpi): its width and
    // height in their units (px are 1/96 inch), else its view box in px.
    int Width() const { return size.width(); }
    int Height() const { return size.height(); }
    // The same size in inches.
    QSizeF Inches() const { return inches; }

    // Draws the drawing stretched into `target` under the painter's own
    // transform; the painter's state is restored afterwards.
    void Render(QPainter& painter, const QRectF& target) const;

    // The enhanced metafile that carries the drawing in a design: its frame
    // is the drawing's size, its picture a bitmap of the drawing on white
    // (at most CarrierSide pixels along the longer side), and a comment
    // record holds these bytes unchanged.
    QByteArray CarrierMetafile() const;
    // The SVG bytes an enhanced metafile carries (empty when it carries
    // none). Never reads beyond the data.
    static QByteArray CarriedBytes(const QByteArray& metafile);

    bool operator==(const SvgDrawing& other) const { return bytes == other.bytes; }

    // Limits against absurd input.
    static constexpr qsizetype MaxBytes = qsizetype(32) << 20;
    static constexpr qsizetype MaxInflatedBytes = qsizetype(64) << 20;
    static constexpr int CarrierSide = 600;

private:
    QByteArray bytes;
    std::shared_ptr<QSvgRenderer> renderer;
    QSize size;
    QSizeF inches;
};

} // namespace bv
