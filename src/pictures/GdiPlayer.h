#pragma once
// The drawing shared by the classic and the enhanced metafile players: the
// mapping from logical units to the target, pens, brushes and fonts made
// into Qt ones, paths, arcs, text, bitmaps with their raster operations, and
// clipping, all onto a QPainter whose own transform and clip are kept.
// A player for one format reads its records and calls these.
#include "pictures/GdiState.h"
#include "pictures/RecordReader.h"

#include <QBrush>
#include <QFont>
#include <QPen>
#include <QRectF>
#include <cmath>
#include <vector>

class QPainter;

namespace bv::pictures {

class GdiPlayer {
public:
    GdiPlayer(QPainter& painter, const QRectF& target, bool enhanced)
        : p(painter), target(target), enhanced(enhanced)
    {
    }
    virtual ~GdiPlayer() = default;
    GdiPlayer(const GdiPlayer&) = delete;
    GdiPlayer& operator=(const GdiPlayer&) = delete;

    // Plays the metafile `data` into the target. The painter's state is
    // restored afterwards; drawing is clipped to the target and to the
    // painter's own clip.
    void run(const QByteArray& data);

protected:
    // Reads the file's records and draws them.
    virtual void play(RecordReader& file) = 0;

    // Logical units to target coordinates.
    QTransform logical() const;
    QPointF map(double x, double y) const { return logical().map(QPointF(x, y)); }
    double scale() const
    {
        const QTransform t = logical();
        const double d = std::sqrt(std::abs(t.determinant()));
        return std::isfinite(d) ? d : 0;
    }
    void applyClip();
    QPen qpen() const;
    QBrush qbrush() const;
    void draw(const QPainterPath& logicalPath, bool fill, bool stroke);
    void drawTarget(const QPainterPath& targetPath, bool fill, bool stroke);
    void lineTo(double x, double y);
    void moveTo(double x, double y);
    QPainterPath arcPath(int kind, double l, double t, double r, double b, double xs, double ys, double xe, double ye);
    // A line of text at (x, y) in logical units, with the advances `dx`
    // (logical units) when given, ExtTextOut options and rectangle. With
    // `glyphs` the text is the font's glyph numbers instead of `s`.
    void text(double x, double y, const QString& s, const std::vector<double>& dx, int options, const QRectF& rect,
        const std::vector<quint32>* glyphs = nullptr);
    // A bitmap's `src` rectangle into the logical rectangle (x, y, w, h)
    // under a ternary raster operation.
    void image(const QImage& img, const QRectF& src, double x, double y, double w, double h, std::uint32_t rop);
    // A raster operation without a source bitmap (pattern, black, white,
    // inverted destination) on a logical rectangle.
    void patternBlt(const QRectF& logicalRect, std::uint32_t rop);
    bool rasterDevice() const;
    // True on printers and when the painter draws at print resolution.
    bool printResolution() const;
    void fillLogicalRect(const QRectF& r, const QBrush& b);
    void intersectClip(const QPainterPath& targetPath);
    void excludeClip(const QPainterPath& targetPath);
    void combineClip(const QPainterPath& targetPath, int mode);
    void select(std::uint32_t index, bool stockAllowed);
    void save();
    void restore(int n);
    QFont qfont(double pixelSize) const;

    QPainter& p;
    QRectF target;
    QTransform base;      // the painter's transform when playing began
    QTransform device;    // reference device pixels to target (enhanced)
    bool enhanced = false;
    DcState dc;
    std::vector<DcState> saved;
    GdiObjectTable objects;
    bool inPath = false;
    QPainterPath path;    // target coordinates
    bool hadClip = false;
    QPainterPath outerClip;
    double pxPerMmX = 3.78, pxPerMmY = 3.78;
};

// Says once per font, in the log, that text stored as glyph numbers of a
// font that is not installed is left out.
void WarnMissingGlyphFont(const QString& face);

} // namespace bv::pictures
