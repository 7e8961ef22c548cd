#pragma once
// Windows metafiles: the classic format (with or without the 22-byte
// placeable header) and enhanced metafiles, kept as their exact bytes and
// played record by record onto any QPainter.
//
// A Metafile keeps the bytes it was given, so a design file that carries a
// metafile picture writes back precisely what it read. Playing draws the
// records as vectors (pens, brushes, fonts and text, lines, polygons, paths,
// arcs, ellipses, rectangles, bitmaps held in the records; in an enhanced
// metafile with EMF+ records, those, translucency and gradients included)
// stretched into a target rectangle under the painter's own transform, so
// the same picture is sharp on the screen and on a 1200-dpi printer. Unknown records are skipped.
// Malformed input draws what can be drawn up to the first broken record and
// never reads past the data; object tables, save depth, record counts and
// sizes are capped.
#include <QByteArray>
#include <QRect>
#include <QRectF>
#include <QString>
#include <cstdint>

class QPainter;

namespace bv {

class Metafile {
public:
    Metafile() = default;

    // An enhanced metafile, a placeable metafile or a plain classic
    // metafile, kept as given. Throws EConvertError when the bytes are none
    // of these.
    static Metafile FromBytes(const QByteArray& bytes);
    // Reads a .WMF or .EMF file. A classic metafile without the placeable
    // header gets one (bounding box of its drawing, 2540 units per inch when
    // the file gives no size), so it can be stored in a design file the way
    // the design format expects. Throws EFOpenError or EConvertError.
    static Metafile FromFile(const QString& path);

    bool IsEmpty() const { return bytes.isEmpty(); }
    // True for an enhanced metafile.
    bool Enhanced() const { return enhanced; }
    bool Placeable() const { return placeable; }
    // The bytes exactly as loaded.
    const QByteArray& Bytes() const { return bytes; }
    // Size in screen pixels (ScreenPpi): the frame of an enhanced metafile,
    // the bounding box of a placeable one over its units per inch.
    int Width() const;
    int Height() const;
    // Placeable bounding box (left, top, right, bottom) in metafile units and
    // the units per inch; for an enhanced metafile the frame in 0.01 mm and
    // 2540.
    QRect Bounds() const { return bounds; }
    int Inch() const { return inch; }
    // Number of records (header included) that the data holds.
    int RecordCount() const { return records; }

    // Draws the picture stretched into `target` (in the painter's current
    // coordinates). The painter's state is restored afterwards. Drawing is
    // clipped to the target and to the painter's own clip.
    void Play(QPainter& painter, const QRectF& target) const;

    // The 22-byte placeable header with its checksum.
    static QByteArray PlaceableHeader(int left, int top, int right, int bottom, int unitsPerInch);

    // Limits against absurd input.
    static constexpr qsizetype MaxBytes = qsizetype(64) << 20;
    static constexpr int MaxObjects = 65535;
    static constexpr int MaxSaveDepth = 1024;
    static constexpr int MaxRecords = 2000000;

    bool operator==(const Metafile& other) const { return bytes == other.bytes; }

private:
    void parse();

    QByteArray bytes;
    bool enhanced = false;
    bool placeable = false;
    QRect bounds;
    int inch = 2540;
    int records = 0;
};

} // namespace bv
