#include "printing/Imposition.h"

namespace bv {

TCardSelection AllCardsSelected()
{
    TCardSelection all;
    all.fill(true);
    return all;
}

TImposition TImposition::FromLayout(const TCardLayout& layout, const TPrinterNudges& nudges, bool rotated)
{
    // A nudge counts in 1/32 inch and is added after conversion to inches.
    TImposition s;
    s.CardHeight = layout.Height;
    s.CardWidth = layout.Width;
    s.Across = layout.Across;
    s.Down = layout.Down;
    s.Top = static_cast<double>(layout.TopMargin) + nudges.TopMargin / 32.0;
    s.Left = static_cast<double>(layout.LeftMargin) + nudges.LeftMargin / 32.0;
    s.HPitch = static_cast<double>(layout.HPitch) + nudges.HorizontalSpacing / 32.0;
    s.VPitch = static_cast<double>(layout.VPitch) + nudges.VerticalSpacing / 32.0;
    s.Rotated = rotated;
    return s;
}

QPointF TImposition::Origin(int row, int column, double pageHeight) const
{
    if (Rotated)
        return QPointF(row * VPitch + Top, pageHeight - Left - (column + 1) * HPitch);
    return QPointF(column * HPitch + Left, row * VPitch + Top);
}

QRectF TImposition::CardBox(const QPointF& origin) const
{
    if (Rotated)
        return QRectF(origin, QSizeF(CardHeight, CardWidth));
    return QRectF(origin, QSizeF(CardWidth, CardHeight));
}

} // namespace bv
