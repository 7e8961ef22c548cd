#pragma once
// The classic Windows metafile player: records of 16-bit words, objects in
// the first free slot, the window mapped onto the whole target. Each record
// kind has its handler, listed once in the player's record table.
#include "pictures/GdiPlayer.h"
#include "pictures/RecordKinds.h"
#include "pictures/RecordTable.h"

#include <QRect>

namespace bv::pictures {

class WmfPlayer final : public GdiPlayer {
public:
    // `bounds` is the picture's box in logical units (the placeable header's
    // or the one worked out for a plain file); the records start after the
    // placeable header when there is one (`start`).
    WmfPlayer(QPainter& painter, const QRectF& target, const QRect& bounds, qsizetype start)
        : GdiPlayer(painter, target, false), bounds(bounds), start(start)
    {
    }

private:
    using Table = RecordTable<WmfPlayer, WmfRecord>;
    static const Table& table();
    void play(RecordReader& file) override;

    void onSetBkMode(RecordReader& r, WmfRecord);
    void onPatBlt(RecordReader& r, WmfRecord);
    void onSetMapMode(RecordReader& r, WmfRecord);
    void onSetRop2(RecordReader& r, WmfRecord);
    void onSetPolyFillMode(RecordReader& r, WmfRecord);
    void onSetTextAlign(RecordReader& r, WmfRecord);
    void onSaveDC(RecordReader&, WmfRecord);
    void onRestoreDC(RecordReader& r, WmfRecord);
    void onSetBkColor(RecordReader& r, WmfRecord);
    void onSetTextColor(RecordReader& r, WmfRecord);
    void onSetWindowOrg(RecordReader& r, WmfRecord);
    void onSetWindowExt(RecordReader& r, WmfRecord);
    void onSetViewportOrg(RecordReader& r, WmfRecord);
    void onSetViewportExt(RecordReader& r, WmfRecord);
    void onOffsetWindowOrg(RecordReader& r, WmfRecord);
    void onOffsetViewportOrg(RecordReader& r, WmfRecord);
    void onScaleWindowExt(RecordReader& r, WmfRecord);
    void onScaleViewportExt(RecordReader& r, WmfRecord);
    void onMoveTo(RecordReader& r, WmfRecord);
    void onLineTo(RecordReader& r, WmfRecord);
    void onBox(RecordReader& r, WmfRecord kind);
    void onRoundRect(RecordReader& r, WmfRecord);
    void onArc(RecordReader& r, WmfRecord kind);
    void onPoly(RecordReader& r, WmfRecord kind);
    void onPolyPolygon(RecordReader& r, WmfRecord);
    void onSetPixel(RecordReader& r, WmfRecord);
    void onTextOut(RecordReader& r, WmfRecord);
    void onExtTextOut(RecordReader& r, WmfRecord);
    void onCreatePenIndirect(RecordReader& r, WmfRecord);
    void onCreateBrushIndirect(RecordReader& r, WmfRecord);
    void onDibCreatePatternBrush(RecordReader& r, WmfRecord);
    void onCreatePatternBrush(RecordReader&, WmfRecord);
    void onCreateFontIndirect(RecordReader& r, WmfRecord);
    void onCreatePalette(RecordReader&, WmfRecord);
    void onCreateRegion(RecordReader& r, WmfRecord);
    void onSelectObject(RecordReader& r, WmfRecord);
    void onDeleteObject(RecordReader& r, WmfRecord);
    void onSelectClipRegion(RecordReader& r, WmfRecord);
    void onClipRect(RecordReader& r, WmfRecord kind);
    void onOffsetClipRgn(RecordReader& r, WmfRecord);
    void onStretchDib(RecordReader& r, WmfRecord);
    void onDibBlt(RecordReader& r, WmfRecord kind);

    QRect bounds;
    qsizetype start;
};

} // namespace bv::pictures
