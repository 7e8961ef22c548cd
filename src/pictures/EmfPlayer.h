#pragma once
// The enhanced metafile player: 32-bit records, objects in the slots the
// file names, the frame in the reference device's pixels mapped onto the
// target, world transforms, paths. Each record kind has its handler, listed
// once in the player's record table.
#include "pictures/EmfPlusPlayer.h"
#include "pictures/GdiPlayer.h"
#include "pictures/RecordKinds.h"
#include "pictures/RecordTable.h"

#include <memory>

namespace bv::pictures {

class EmfPlayer final : public GdiPlayer {
public:
    EmfPlayer(QPainter& painter, const QRectF& target) : GdiPlayer(painter, target, true) {}

private:
    using Table = RecordTable<EmfPlayer, EmfRecord>;
    static const Table& table();
    void play(RecordReader& file) override;
    // An EMF+ comment: played by the EMF+ player, which the first one starts.
    void playEmfPlus(const QByteArray& commentData);

    std::unique_ptr<EmfPlusPlayer> plus;
    bool plusDrewLast = false;

    void onPoly(RecordReader& r, EmfRecord);
    void onPolyPoly(RecordReader& r, EmfRecord kind);
    void onSetWindowExtEx(RecordReader& r, EmfRecord);
    void onSetWindowOrgEx(RecordReader& r, EmfRecord);
    void onSetViewportExtEx(RecordReader& r, EmfRecord);
    void onSetViewportOrgEx(RecordReader& r, EmfRecord);
    void onSetPixelV(RecordReader& r, EmfRecord);
    void onSetMapMode(RecordReader& r, EmfRecord);
    void onSetBkMode(RecordReader& r, EmfRecord);
    void onSetPolyFillMode(RecordReader& r, EmfRecord);
    void onSetRop2(RecordReader& r, EmfRecord);
    void onSetTextAlign(RecordReader& r, EmfRecord);
    void onSetTextColor(RecordReader& r, EmfRecord);
    void onSetBkColor(RecordReader& r, EmfRecord);
    void onOffsetClipRgn(RecordReader& r, EmfRecord);
    void onMoveToEx(RecordReader& r, EmfRecord);
    void onClipRect(RecordReader&, EmfRecord kind);
    void onScaleExt(RecordReader& r, EmfRecord kind);
    void onSaveDC(RecordReader&, EmfRecord);
    void onRestoreDC(RecordReader& r, EmfRecord);
    void onWorldTransform(RecordReader& r, EmfRecord kind);
    void onSelectObject(RecordReader& r, EmfRecord);
    void onDeleteObject(RecordReader& r, EmfRecord);
    void onCreatePen(RecordReader& r, EmfRecord);
    void onExtCreatePen(RecordReader& r, EmfRecord);
    void onCreateBrushIndirect(RecordReader& r, EmfRecord);
    void onCreatePatternBrush(RecordReader& r, EmfRecord);
    void onExtCreateFontIndirectW(RecordReader& r, EmfRecord);
    void onCreatePalette(RecordReader& r, EmfRecord);
    void onBox(RecordReader&, EmfRecord kind);
    void onRoundRect(RecordReader& r, EmfRecord);
    void onArc(RecordReader& r, EmfRecord kind);
    void onAngleArc(RecordReader& r, EmfRecord);
    void onLineTo(RecordReader& r, EmfRecord);
    void onSetArcDirection(RecordReader& r, EmfRecord);
    void onBeginPath(RecordReader&, EmfRecord);
    void onEndPath(RecordReader&, EmfRecord);
    void onCloseFigure(RecordReader&, EmfRecord);
    void onAbortPath(RecordReader&, EmfRecord);
    void onDrawPath(RecordReader&, EmfRecord kind);
    void onWidenPath(RecordReader&, EmfRecord);
    void onSelectClipPath(RecordReader& r, EmfRecord);
    void onFillRegion(RecordReader& r, EmfRecord kind);
    void onExtSelectClipRgn(RecordReader& r, EmfRecord);
    void onExtTextOut(RecordReader& r, EmfRecord kind);
    void onBlt(RecordReader& r, EmfRecord kind);
    void onGradientFill(RecordReader& r, EmfRecord);
    void onStretchDIBits(RecordReader& r, EmfRecord);
    void onSetDIBitsToDevice(RecordReader& r, EmfRecord);
};

} // namespace bv::pictures
