#pragma once
// The companion file of a design (.QRE next to the .QRD): an INI file with the
// background picture's path and the card layout as the design was saved.
// Older companion files are plain text whose first line is the background
// path. This works on the stored values only; turning them into the card
// layout record is the application's business.
#include "platform/Numeric.h"

#include <QString>

namespace bv {

// The layout values as the companion file stores them: lengths in
// thousandths of an inch.
struct CompanionLayout {
    int height = 2000;
    int width = 3500;
    int topMargin = 500;
    int leftMargin = 750;
    int hPitch = 3500;
    int vPitch = 2000;
    int predefLayout = 0;
    int paperSize = 1;
    int across = 2;
    int down = 5;
    bool useMM = false;
    bool usePortrait = false;
    // The card stock product of the template library and the corner radius
    // of its cards (thousandths of an inch); written only when set, so older
    // readers and designs without them see the file they know.
    QString stock;
    int cornerRadius = 0;

    bool operator==(const CompanionLayout&) const = default;
};

// What a companion file gave.
struct CompanionData {
    bool exists = false;    // the file was there
    bool isIni = false;     // [Ini Data] ISINI was true: background and layout are valid
    QString background;     // background picture path (also from an older plain-text file)
    CompanionLayout layout; // defaults unless isIni
};

// Stored thousandths of a length in inches: Round(inches × 1000), halves to even.
int InchesToThousandths(Single inches);
// A stored value back to inches: value × 0.001 in single precision.
Single ThousandthsToInches(int thousandths);

// The companion path of a design: its extension replaced by ".QRE" (added
// when it has none).
QString CompanionPath(const QString& designPath);

// Writes the companion file in the documented key order, replacing any older
// file. The new file is written beside the old one and renamed over it, so a
// failed write leaves the old file as it was. Failures raise EWriteError.
void WriteCompanionFile(const QString& path, const QString& background, const CompanionLayout& layout);

// Holds stored layout values to the limits of the layout dialog: counts of
// 1 to 10 across and 1 to 30 down, a card of at least 0.3 × 0.5 inch, every
// length from 0 to 99 inches.
void ClampCompanionLayout(CompanionLayout& layout);

// Reads a companion file. Layout values are held to the dialog's limits
// (ClampCompanionLayout). With ISINI true: the background path and every
// layout value (a missing or non-numeric key gives its default). Otherwise,
// when the file exists, its first text line (if any) is the background path
// and the layout is not given. Reading never fails.
CompanionData ReadCompanionFile(const QString& path);

} // namespace bv
