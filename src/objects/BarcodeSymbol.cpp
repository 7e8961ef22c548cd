#include "objects/BarcodeSymbol.h"

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace bv {

namespace {

struct SymbologyInfo {
    int zintId;
    int quietLeft, quietRight, quietY;
    int rowModules;
};

// Quiet zones from the symbologies' standards: QR Code 4 modules, Micro QR
// 2, Data Matrix 1, Aztec none, PDF417 2 on every side, Code 128, Code 39
// and ITF 10, EAN-13 11 before and 7 after, UPC-A 9 either side. PDF417
// rows are three modules high.
const SymbologyInfo& info(TBarcodeSymbology s)
{
    static const SymbologyInfo table[BarcodeSymbologyCount] = {
        { BARCODE_QRCODE, 4, 4, 4, 1 },
        { BARCODE_MICROQR, 2, 2, 2, 1 },
        { BARCODE_DATAMATRIX, 1, 1, 1, 1 },
        { BARCODE_AZTEC, 0, 0, 0, 1 },
        { BARCODE_PDF417, 2, 2, 2, 3 },
        { BARCODE_CODE128, 10, 10, 0, 0 },
        { BARCODE_CODE39, 10, 10, 0, 0 },
        { BARCODE_EANX, 11, 7, 0, 0 },
        { BARCODE_UPCA, 9, 9, 0, 0 },
        { BARCODE_C25INTER, 10, 10, 0, 0 },
    };
    return table[std::clamp(int(s), 0, BarcodeSymbologyCount - 1)];
}

bool allDigits(const QString& s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// What libzint says, without its "Error 123: " number.
QString zintMessage(const char* text)
{
    QString s = QString::fromUtf8(text);
    const int colon = s.indexOf(QLatin1String(": "));
    if (s.startsWith(QLatin1String("Error ")) && colon > 0)
        s = s.mid(colon + 2);
    return s;
}

// Checks the retail codes here, where the message can say what they take.
QString retailError(TBarcodeSymbology s, const QString& data)
{
    if (s == bsEAN13 && (!allDigits(data) || (data.size() != 12 && data.size() != 13)))
        return QStringLiteral("EAN-13 takes 12 digits (or 13 with the check digit)");
    if (s == bsUPCA && (!allDigits(data) || (data.size() != 11 && data.size() != 12)))
        return QStringLiteral("UPC-A takes 11 digits (or 12 with the check digit)");
    if (s == bsITF && !allDigits(data))
        return QStringLiteral("ITF takes digits only");
    return {};
}

} // namespace

const QStringList& BarcodeSymbologyCaptions()
{
    static const QStringList captions = { "QR Code", "Micro QR", "Data Matrix", "Aztec", "PDF417", "Code 128",
        "Code 39", "EAN-13", "UPC-A", "ITF" };
    return captions;
}

bool IsLinearSymbology(TBarcodeSymbology s)
{
    return info(s).rowModules == 0;
}

TBarcodeSymbol EncodeBarcode(TBarcodeSymbology symbology, const QString& data, TBarcodeErrorLevel level)
{
    TBarcodeSymbol result;
    const SymbologyInfo& si = info(symbology);
    result.QuietLeft = si.quietLeft;
    result.QuietRight = si.quietRight;
    result.QuietY = si.quietY;
    result.RowModules = si.rowModules;
    if (data.isEmpty()) {
        result.Error = QStringLiteral("No data to encode");
        return result;
    }
    result.Error = retailError(symbology, data);
    if (!result.Error.isEmpty())
        return result;

    const std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol) {
        result.Error = QStringLiteral("Out of memory");
        return result;
    }
    symbol->symbology = si.zintId;
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 1;
    const bool ascii = std::all_of(data.begin(), data.end(), [](QChar c) { return c.unicode() < 128; });
    // UTF-8 with its ECI marker, so that a reader does not take the bytes
    // for Latin-1.
    if (!ascii && ZBarcode_Cap(si.zintId, ZINT_CAP_ECI))
        symbol->eci = 26;
    if (symbology == bsQRCode)
        symbol->option_1 = int(level) + 1;
    else if (symbology == bsMicroQR)
        symbol->option_1 = std::min(int(level), int(ecQ)) + 1;
    else if (symbology == bsDataMatrix)
        symbol->option_3 = DM_SQUARE;
    const QByteArray bytes = data.toUtf8();
    const int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
        static_cast<int>(bytes.size()));
    if (rc >= ZINT_ERROR) {
        result.Error = zintMessage(symbol->errtxt);
        if (result.Error.isEmpty())
            result.Error = QStringLiteral("The data cannot be encoded");
        return result;
    }
    result.Columns = symbol->width;
    result.Rows = symbol->rows;
    if (IsLinearSymbology(symbology))
        result.Text = QString::fromUtf8(reinterpret_cast<const char*>(symbol->text));
    result.Dark.resize(static_cast<size_t>(result.Columns) * result.Rows);
    // libzint keeps each row as bits, eight modules to a byte, lowest first.
    for (int r = 0; r < result.Rows; ++r)
        for (int c = 0; c < result.Columns; ++c)
            result.Dark[static_cast<size_t>(r) * result.Columns + c]
                = (symbol->encoded_data[r][c >> 3] >> (c & 7)) & 1;
    if (result.Columns <= 0 || result.Rows <= 0)
        result.Error = QStringLiteral("The data cannot be encoded");
    return result;
}

TBarcodeLayout LayoutBarcode(const TBarcodeSymbol& symbol, const QRectF& area, bool quietZone, bool square, bool snap)
{
    TBarcodeLayout layout;
    if (!symbol.IsValid() || area.width() <= 0 || area.height() <= 0)
        return layout;
    const bool linear = symbol.RowModules == 0;
    const int across = symbol.Columns + (quietZone ? symbol.QuietLeft + symbol.QuietRight : 0);
    const int down = linear ? 1 : symbol.Rows * symbol.RowModules + (quietZone ? 2 * symbol.QuietY : 0);
    double mw = area.width() / across;
    double mh = linear ? area.height() : area.height() / down;
    if (square && !linear)
        mw = mh = std::min(mw, mh);
    // Whole device pixels for every module, so that no module is a pixel
    // wider than its neighbour; a module smaller than a pixel stays as it is.
    auto whole = [snap](double v) { return snap && v >= 1 ? std::floor(v) : v; };
    mw = whole(mw);
    mh = whole(mh);
    const double width = mw * symbol.Columns;
    const double height = linear ? mh : mh * symbol.Rows * symbol.RowModules;
    double x = area.x() + (area.width() - width) / 2;
    double y = area.y() + (area.height() - height) / 2;
    if (quietZone && symbol.QuietLeft != symbol.QuietRight)
        // The longer zone keeps its side: the symbol moves by half the difference.
        x += (symbol.QuietLeft - symbol.QuietRight) * mw / 2;
    if (snap) {
        x = std::floor(x);
        y = std::floor(y);
    }
    layout.ModuleWidth = mw;
    layout.ModuleHeight = mh;
    layout.X = x;
    layout.Y = y;
    return layout;
}

} // namespace bv
