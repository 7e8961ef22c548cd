#pragma once
// Screen cursors of the design surface by their numbers (crHandGrab 6,
// crHandPoint -10, crDrag -12, the resize cursors, crNoDrop -13, default 0).
// The hand-grab and pointing-hand shapes are the program's own images.
#include <QCursor>

namespace bv {

QCursor DesignCursor(int number);

} // namespace bv
