#pragma once
// The enhanced metafile player: 32-bit records, objects in the slots the
// file names, the frame in the reference device's pixels mapped onto the
// target, world transforms, paths.
#include "pictures/GdiPlayer.h"

namespace bv::pictures {

class EmfPlayer final : public GdiPlayer {
public:
    EmfPlayer(QPainter& painter, const QRectF& target) : GdiPlayer(painter, target, true) {}

private:
    void play(RecordReader& file) override;
    // False at the end-of-file record.
    bool record(std::uint32_t type, RecordReader& r);
};

} // namespace bv::pictures
