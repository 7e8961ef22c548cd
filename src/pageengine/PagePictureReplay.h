#pragma once
// Replays a recorded QPicture onto any painter at the painter's current
// transform, drawing exactly what was recorded.
//
// Why not QPainter::drawPicture: Qt's picture playback re-creates every font
// for the resolution of the device it plays on, so text recorded in screen
// pixels comes out (device dpi / 96) times too large on a 300- or 600-dpi
// printer or image, on top of the painter's own scaling. Here the picture
// plays onto a stand-in device with the picture's own resolution, whose paint
// engine hands every call on to the real painter; fonts stay as recorded and
// text stays text (vector, selectable in a PDF).
#include <functional>

class QPainter;
class QPicture;

namespace bv {

void ReplayPicture(QPainter& target, const QPicture& picture);

// Runs `draw` on a painter whose output reaches `target`, with text turned
// into filled outlines. A recording made this way replays with its letters
// exactly where they were drawn, at any resolution (a picture's own text
// items are placed again from rounded font metrics when played).
void DrawWithTextAsOutlines(QPainter& target, const std::function<void(QPainter&)>& draw);

} // namespace bv
