#pragma once
// The card as a print shop wants it: one card per page at its trim size
// plus a bleed on every side, TrimBox and BleedBox set, crop marks outside
// the bleed at each corner on request. The background art is enlarged evenly
// to cover the bleed; objects that overhang the card's edge show into the
// bleed; everything else is the printed card (text as text with its fonts
// embedded, vector art as vectors, pictures with every pixel). A plain PDF
// (1.5), not PDF/X: Qt's writer cannot give the output intent and the
// colour handling PDF/X asks for.
#include "document/CardLayout.h"

#include <QString>

namespace bv {

class TDesignModel;

struct TPrintShopOptions {
    // Bleed on every side, millimetres (0 to 6; 1/8 inch by default).
    double BleedMm = 3.175;
    bool CropMarks = true;
};

// Largest bleed offered.
constexpr double MaxBleedMm = 6.0;

// Page geometry in inches from the page's top-left corner.
struct TPrintShopPage {
    double Bleed = 0;   // inches
    double Margin = 0;  // room for the crop marks outside the bleed
    QRectF Trim;
    QRectF BleedBox;
    QSizeF Page;
    static TPrintShopPage For(const QSizeF& card, const TPrintShopOptions& options);
};

// The back of a card: a design of its own (see BackDesignPath) and its
// background art.
struct TPrintShopBack {
    TDesignModel* Design = nullptr;
    QString BackgroundFile;
};

// Writes the design's card into `path` (replaced only once complete); with a
// back, the back is page 2 at the same size. Throws EPrinter or EWriteError
// with the reason when it cannot.
void WritePrintShopPdf(TDesignModel& design, const TCardLayout& layout, const QString& backgroundFile,
    const QString& path, const TPrintShopOptions& options, const TPrintShopBack& back = {});

} // namespace bv
