#pragma once
// Barcode symbols: the data encoded (by libzint) into a grid of modules, and
// the grid laid out in a rectangle with its quiet zone. The drawing code of
// the barcode object and its tests work from this grid.
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

namespace bv {

enum TBarcodeSymbology {
    bsQRCode,
    bsMicroQR,
    bsDataMatrix,
    bsAztec,
    bsPDF417,
    bsCode128,
    bsCode39,
    bsEAN13,
    bsUPCA,
    bsITF
};
constexpr int BarcodeSymbologyCount = bsITF + 1;

enum TBarcodeErrorLevel { ecL, ecM, ecQ, ecH };

// The captions of the symbologies, in the enumeration's order.
const QStringList& BarcodeSymbologyCaptions();
// Bars in one row, drawn to the object's height (Code 128 ... ITF).
bool IsLinearSymbology(TBarcodeSymbology symbology);

struct TBarcodeSymbol {
    int Columns = 0;
    int Rows = 0;
    // Height of each row in modules (1 for the matrix codes, 3 for PDF417,
    // 0 for a linear code's one row: it takes the height it is given).
    int RowModules = 1;
    // Quiet zone in modules on each side, as the symbology's standard asks.
    int QuietLeft = 0;
    int QuietRight = 0;
    int QuietY = 0;
    // The human-readable text of a linear code (with check digits).
    QString Text;
    // Set when the data cannot be encoded: what is wrong, in words.
    QString Error;
    std::vector<unsigned char> Dark; // Rows × Columns, row by row

    bool IsValid() const { return Error.isEmpty() && Columns > 0 && Rows > 0; }
    bool IsDark(int row, int column) const { return Dark[static_cast<size_t>(row) * Columns + column] != 0; }
};

// Encodes `data` (UTF-8 is put in with an ECI marker where the symbology has
// one). The error level applies to QR Code and Micro QR (which has no H and
// takes Q instead).
TBarcodeSymbol EncodeBarcode(TBarcodeSymbology symbology, const QString& data, TBarcodeErrorLevel level);

// Where the modules go in a rectangle: module size and the symbol's origin.
// `snap` makes each module a whole number of units (device pixels), as
// large as fits; `square` keeps modules square (a linear code's bars take
// the whole height either way).
struct TBarcodeLayout {
    double ModuleWidth = 0;
    double ModuleHeight = 0; // per module of a row; a linear code's bar height
    double X = 0;            // top-left corner of the first module
    double Y = 0;
};
TBarcodeLayout LayoutBarcode(const TBarcodeSymbol& symbol, const QRectF& area, bool quietZone, bool square, bool snap);

} // namespace bv
