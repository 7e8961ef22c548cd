#pragma once
// The program-wide preferences file QRD.INI: printer preferences, default
// font, default card layout, personal information, recent files. Every
// operation opens the file, reads or writes its keys one by one in a fixed
// order and closes it; nothing is cached, so an outside edit is seen at the
// next read. Reading never fails (missing keys give the defaults); a refused
// write raises EWriteError "Unable to write to <path>", keeping the keys
// written before it. Window placement lives in AppServices.
#include "document/CardLayout.h"
#include "surface/PersonalInfo.h"

#include <QString>
#include <QStringList>
#include <array>

namespace bv {

// Printer nudges in 1/32 inch, each from -8 to +8, added when printing.
struct TPrinterNudges {
    int TopMargin = 0;
    int LeftMargin = 0;
    int VerticalSpacing = 0;
    int HorizontalSpacing = 0;
    bool operator==(const TPrinterNudges&) const = default;
};
constexpr int MinNudge = -8;
constexpr int MaxNudge = 8;

// Font given to new text objects.
struct TDefaultFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool operator==(const TDefaultFont&) const = default;
};

struct TPreferences {
    bool ShowBottomMarginWarning = true;
    TPrinterNudges Nudges;
    TDefaultFont DefaultFont;
    bool operator==(const TPreferences&) const = default;
};

// What the print-shop export and the design panel's guides last used.
struct TPrintShopPreferences {
    // Bleed in hundredths of a millimetre; negative: not chosen yet (the
    // default then follows the units: 3 mm or 1/8 inch).
    int BleedHundredthsMm = -1;
    bool CropMarks = true;
    // The bleed and safe-zone guides around and on the card.
    bool ShowGuides = false;
    bool operator==(const TPrintShopPreferences&) const = default;
};

// Most recent files kept.
constexpr int MaxRecentFiles = 5;

class TSettings {
public:
    // On the program's QRD.INI (IniPath(), looked up at each operation).
    TSettings() = default;
    // On another file (tests, tools).
    explicit TSettings(const QString& path) : path(path) {}

    QString FileName() const;

    // [Printer] nudges (kept within -8..+8) and ShowBottomMarginWarning;
    // [Default Font] Name, Size, Bold, Italic, Underline.
    TPreferences LoadPreferences() const;
    // [Printer] ShowBottomMarginWarning; [Default Font] the five keys;
    // [Printer] the four nudges.
    void SavePreferences(const TPreferences& preferences) const;

    // [Layout]; a missing Portrait keeps current.Portrait, every other
    // missing key takes the layout default.
    TCardLayout LoadLayoutPreferences(const TCardLayout& current) const;
    // [Layout] Height, Width, TopMargin, LeftMargin, HPitch, VPitch,
    // PredefLayout, Papersize, Across, Down, UseMM, Portrait.
    void SaveLayoutPreferences(const TCardLayout& layout) const;

    // [Personal], the ten keys in order.
    // [Print Shop] Bleed (hundredths of a millimetre, 0 to 600), CropMarks,
    // ShowGuides.
    TPrintShopPreferences LoadPrintShop() const;
    void SavePrintShop(const TPrintShopPreferences& value) const;

    TPersonalInfo LoadPersonalInfo() const;
    void SavePersonalInfo(const TPersonalInfo& info) const;

    // [MRU]: every entry line in file order, the value being the text after
    // the first '=' whatever the key; empty values are skipped and at most
    // MaxRecentFiles are returned.
    QStringList LoadRecentFiles() const;
    // Erases [MRU], then writes F0, F1, ... (at most MaxRecentFiles).
    void StoreRecentFiles(const QStringList& files) const;

private:
    QString path;
};

} // namespace bv
