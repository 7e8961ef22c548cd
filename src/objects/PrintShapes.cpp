// Printing of shapes and lines: both draw as vectors through the page
// engine, in inches, at the card's origin on the sheet. A negative pen width
// given to the engine is in hundredths of an inch.
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "pageengine/PageEngine.h"
#include "platform/Environment.h"

namespace bv {

void TGLabelShapes::PrintTo(TPageEngine& report, double left, double top)
{
    const double ppi = ScreenPpi();
    // The screen pen width in pixels, as hundredths of an inch at the
    // screen's resolution.
    const int hundredths = static_cast<int>(Trunc(static_cast<Extended>(pen.DrawnWidth()) / ppi * 100));
    report.SetPen(pen.Color, int(pen.Style), -hundredths, int(pen.Mode));
    report.SetBrush(brush.Color, int(brush.Style), nullptr);
    // The full bounds: the engine keeps no half-pen inset.
    const double x1 = Left() / ppi + left;
    const double y1 = Top() / ppi + top;
    const double x2 = (double(Left()) + Width()) / ppi + left;
    const double y2 = (double(Top()) + Height()) / ppi + top;
    switch (shape) {
    case stRectangle:
    case stSquare: report.Rectangle(x1, y1, x2, y2); break;
    case stRoundRect:
    case stRoundSquare: {
        const double longer = Height() < Width() ? x2 - x1 : y2 - y1;
        const double corner = roundPerc * 0.01 * longer;
        report.RoundRect(x1, y1, x2, y2, corner, corner);
        break;
    }
    case stEllipse:
    case stCircle: report.Ellipse(x1, y1, x2, y2); break;
    }
}

void TGLineShape::PrintTo(TPageEngine& report, double left, double top)
{
    const double ppi = ScreenPpi();
    // The width in pixels is taken as hundredths of an inch.
    const int width = pen.DrawnWidth();
    report.SetPen(pen.Color, int(pen.Style), -width, int(pmCopy));
    const int h = width / 2;
    const double x1 = Left() / ppi + left;
    const double x2 = (double(Left()) + Width()) / ppi + left;
    const double y1 = (double(Top()) + h) / ppi + top;
    const double y2 = (double(Top()) + h + Height()) / ppi + top;
    switch (lineStyle) {
    case stHorizontal:
        report.MoveTo(x1, y1);
        report.LineTo(x2, y1);
        break;
    case stVertical:
        report.MoveTo(x1, y1);
        report.LineTo(x1, y2);
        break;
    case stAngleSlopingUp:
        report.MoveTo(x1, y2);
        report.LineTo(x2, y1);
        break;
    case stAngleSlopingDown:
        report.MoveTo(x1, y1);
        report.LineTo(x2, y2);
        break;
    }
}

} // namespace bv
