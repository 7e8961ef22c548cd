#pragma once
// The card layout record: the size of one card and how copies of it are
// arranged on a sheet of card stock. Lengths are single-precision inches;
// files store them as whole thousandths of an inch.
#include "pageengine/PageEngine.h" // PaperLetter, PaperA4: the printer's paper codes
#include "platform/Numeric.h"

#include <QSizeF>
#include <QString>
#include <array>
#include <optional>

namespace bv {

// Card positions the print selection can hold (row × across + column).
constexpr int MaxCardPositions = 22;

struct TCardLayout {
    Single Height = 2.0f;
    Single Width = 3.5f;
    int Across = 2;
    int Down = 5;
    Single TopMargin = 0.5f;
    Single LeftMargin = 0.75f;
    Single HPitch = 3.5f;
    Single VPitch = 2.0f;
    int PredefLayout = 0;
    int Papersize = PaperLetter;
    bool UseMM = false;
    bool Portrait = false; // rotated: the card stands on its short side
    // The card stock product chosen from the label-template library
    // ("Avery 8371"), empty for the program's own layouts and hand-made ones;
    // the corner radius of its cards (0: square corners).
    QString Stock;
    Single CornerRadius = 0.0f;
    // A sheet other than Letter and A4, by its self-describing media name
    // ("iso_b4_250x353mm", "custom_100x148mm_100x148mm"), which carries its
    // size; empty for the paper code's sheet. Papersize then still holds
    // Letter or A4, the nearer, for readers that know only those.
    QString Paper;

    // Positions the layout describes (may exceed MaxCardPositions).
    int Positions() const { return Across * Down; }
    bool operator==(const TCardLayout&) const = default;
};

// One entry of the "Predefined Layouts" list. Across is 2 for all of them.
struct TPredefinedLayout {
    const char* Name;
    Single Height;
    Single Width;
    int Down;
    Single TopMargin;
    Single LeftMargin;
    Single HPitch;
    Single VPitch;
    int Papersize;
};

constexpr int PredefinedLayoutCount = 21;
const std::array<TPredefinedLayout, PredefinedLayoutCount>& PredefinedLayoutTable();

// Takes size, counts, margins, pitches and paper of a predefined layout
// (Across becomes 2); Portrait, UseMM and PredefLayout stay. False, with the
// record untouched, for an index outside the table.
bool ApplyPredefinedLayout(TCardLayout& layout, int index);

// Holds a layout to the limits of the layout dialog (1 to 10 across, 1 to 30
// down, a card of at least 0.3 × 0.5 inch, lengths from 0 to 99 inches). Every
// layout read from a file goes through it, so the rest of the program may
// rely on them (at most 300 positions, a card picture of bounded size).
void ClampToLayoutLimits(TCardLayout& layout);

// Stored form of a length: Round(inches × 1000), and back: thousandths × 0.001.
int LayoutLengthToStored(Single inches);
Single StoredToLayoutLength(int thousandths);

// Sheet size in inches of a paper code, as the sheet sketch draws it
// (Letter 8.5 × 11, A4 8.268 × 11.69); Letter for unknown codes.
QSizeF PaperSizeInches(int papersize);

// The size in inches of a self-describing media name ("iso_b4_250x353mm",
// "na_legal_8.5x14in"), upright; nothing when the name carries none.
std::optional<QSizeF> MediaNameInches(const QString& name);
// The sheet a layout is printed on, inches, upright: its Paper when set,
// otherwise its paper code's.
QSizeF LayoutPaperInches(const TCardLayout& layout);
// How the dialogs name the sheet: "Letter", "A4", "B4 (250 x 353 mm)".
QString LayoutPaperCaption(const TCardLayout& layout);
// Asks an engine for the layout's sheet.
void SetEnginePaper(TPageEngine& engine, const TCardLayout& layout);

} // namespace bv
