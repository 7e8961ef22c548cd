#pragma once
// The classic Windows metafile player: records of 16-bit words, objects in
// the first free slot, the window mapped onto the whole target.
#include "pictures/GdiPlayer.h"

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
    void play(RecordReader& file) override;
    // False at the end-of-file record.
    bool record(int function, RecordReader& r);

    QRect bounds;
    qsizetype start;
};

} // namespace bv::pictures
