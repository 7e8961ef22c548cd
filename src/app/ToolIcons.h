#pragma once
// The pictures of the main window's buttons, drawn as vectors so they stay
// sharp at any screen scale. Names: "pointer", "label", "mltext", "symbol",
// "rectangle", "ellipse", "roundrect", "line", "image", "supershape",
// "richtext", "supertext", "circletext", "tips", "grid", "snap",
// "background", "whatsthis"; an unknown name gives a null icon.
#include <QIcon>
#include <QString>
#include <functional>

class QPainter;

namespace bv {

QIcon ToolIcon(const QString& name);
// A picture drawn on a 24 × 24 grid by `drawing`, as sharp as the others
// (the pictures object kinds bring with their tools).
QIcon DrawnIcon(std::function<void(QPainter&)> drawing);
// The program's own icon: a business card.
QIcon ProgramIcon();

} // namespace bv
