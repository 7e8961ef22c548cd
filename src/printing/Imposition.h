#pragma once
// Where the cards of one sheet lie: the card layout plus the printer nudges,
// turned into inches from the physical top-left corner of the page, and the
// set of card positions chosen for printing.
#include "document/CardLayout.h"
#include "document/Settings.h"

#include <QPointF>
#include <QRectF>
#include <array>

namespace bv {

// The selection of card positions, index row × across + column. It is as
// large as the biggest layout the layout dialog accepts (10 across, 30 down),
// so every position of every layout can be chosen and printed.
constexpr int MaxSheetAcross = 10;
constexpr int MaxSheetDown = 30;
constexpr int MaxSheetPositions = MaxSheetAcross * MaxSheetDown;
using TCardSelection = std::array<bool, MaxSheetPositions>;

// Every position selected, as at start-up.
TCardSelection AllCardsSelected();

// The sheet geometry a print job works with: card size, counts, and the
// effective margins and pitches (layout value + nudge / 32 inch).
struct TImposition {
    double CardHeight = 2.0;
    double CardWidth = 3.5;
    int Across = 2;
    int Down = 5;
    double Top = 0.5;
    double Left = 0.75;
    double HPitch = 3.5;
    double VPitch = 2.0;
    // The card stands on its short side and the page is printed landscape.
    bool Rotated = false;

    static TImposition FromLayout(const TCardLayout& layout, const TPrinterNudges& nudges, bool rotated);

    int Positions() const { return Across * Down; }
    static int PositionIndex(int row, int column, int across) { return row * across + column; }

    // Top-left corner of the card at (row, column), in inches. Normal:
    // (column × HPitch + Left, row × VPitch + Top). Rotated (landscape page of
    // the given full height): (row × VPitch + Top,
    // pageHeight − Left − (column + 1) × HPitch).
    QPointF Origin(int row, int column, double pageHeight) const;
    // The card's box at an origin: CardWidth × CardHeight, or turned
    // (CardHeight wide, CardWidth high) when rotated.
    QRectF CardBox(const QPointF& origin) const;
};

} // namespace bv
