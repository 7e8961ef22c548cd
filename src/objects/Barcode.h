#pragma once
// The barcode object: a QR Code, Micro QR, Data Matrix, Aztec or PDF417
// symbol, or a linear code (Code 128, Code 39, EAN-13, UPC-A, ITF) with its
// text under the bars. The data is typed text, a web address, a Wi-Fi
// network, or a contact card built from the personal information, which
// follows that information when it changes.
//
// The modules are drawn as filled rectangles, so a PDF keeps them as
// vectors; on a raster device each module is a whole number of device
// pixels. Data that cannot be encoded shows what is wrong inside the object.
#include "objects/BarcodeSymbol.h"
#include "surface/GraphicControl.h"

namespace bv {

class TGBusinessCardPanel32;

// Where the data comes from.
enum TBarcodeContent { bcText, bcVCard, bcMeCard, bcURL, bcWifi };

class TGBarcode : public TGGraphicControl {
    Q_OBJECT
public:
    TGBarcode();

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    TBarcodeSymbology Symbology() const { return symbology; }
    void SetSymbology(TBarcodeSymbology value);
    TBarcodeContent Content() const { return content; }
    void SetContent(TBarcodeContent value);
    // The text encoded (for a contact card, the card itself).
    const QString& Data() const { return data; }
    void SetData(const QString& value);
    TBarcodeErrorLevel ErrorLevel() const { return errorLevel; }
    void SetErrorLevel(TBarcodeErrorLevel value);
    bool QuietZone() const { return quietZone; }
    void SetQuietZone(bool value);
    bool ShowText() const { return showText; }
    void SetShowText(bool value);
    bool KeepSquare() const { return keepSquare; }
    void SetKeepSquare(bool value);
    bool Transparent() const { return transparent; }
    void SetTransparent(bool value);
    TColor Color() const { return color; }
    void SetColor(TColor value);
    TColor BackColor() const { return backColor; }
    void SetBackColor(TColor value);

    // Every setting but the geometry, from another barcode (the dialog's).
    void TakeSettingsFrom(const TGBarcode& other);

    // The encoded symbol (kept until the data or symbology changes).
    const TBarcodeSymbol& Symbol() const;
    // The data for the record the card shows: a contact card built from the
    // record, or the data with its merge fields filled in; the data itself
    // when no record is shown.
    QString ShownData() const;
    QStringList MergeTexts() const override;
    // The text shown in the object when the data cannot be encoded.
    QString ErrorMessage() const;

    void Paint() override;
    void DrawTo(QPainter& canvas) override;
    void PersonalInfoChanged(const TPersonalInfo& info) override;
    void ApplyFont(const TFont& font) override;

    // The "Barcode Properties" dialog; true when the user chose Ok.
    bool EditProperties();

protected:
    void BuildContextMenu(QMenu& menu) override;

private:
    void changed();

    TBarcodeSymbology symbology = bsQRCode;
    TBarcodeContent content = bcText;
    QString data;
    TBarcodeErrorLevel errorLevel = ecM;
    bool quietZone = true;
    bool showText = true;
    bool keepSquare = true;
    bool transparent = false;
    TColor color = clBlack;
    TColor backColor = clWhite;

    mutable TBarcodeSymbol symbol;
    mutable bool symbolDue = true;
    mutable QString symbolData; // what the symbol encodes
};

// The most characters the data may hold (a QR Code takes at most 7,089
// digits); a longer text in a file is refused.
constexpr int MaxBarcodeData = 8000;

// The data of a content kind built from the personal information (vCard,
// MECARD); other kinds give `current` back.
QString BarcodeDataFor(TBarcodeContent content, const TPersonalInfo& info, const QString& current);

// Registers TGBarcode with the stream class registry and the barcode tool
// with the card panel. Safe to call more than once.
void RegisterBarcodeClasses();

// The barcode tool: a QR Code of the user's vCard placed in r, then its
// properties dialog.
TGBarcode* CreateBarcode(TGBusinessCardPanel32& panel, const TRect& r);

} // namespace bv
