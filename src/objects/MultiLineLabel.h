#pragma once
// Multi-line text: a short block of text (an address block, a slogan) in one
// font, line by line, aligned left, centred or right, with optional word
// wrapping to the object's width. No effects, background or border: what
// lies under it shows between the letters.
//
// Wrapping breaks each stored line between words to fit the object's width
// in the zoomed font (Qt's text layout; see WrapLines for the margins, the
// blanks at the breaks and words wider than the object). The wrapped lines are
// kept, so the screen and every printout draw exactly the same lines (printing
// runs DrawTo scaled onto the page, see TGGraphicControl::PrintTo).
#include "objects/BaseLabel.h"

#include <QStringList>

class QAction;
class QMenu;

namespace bv {

class TGBusinessCardPanel32;

class TGMultiLineBaseLabel : public TGGraphicControl {
    Q_OBJECT
public:
    TGMultiLineBaseLabel();
    ~TGMultiLineBaseLabel() override;

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    // --- published properties ------------------------------------------------
    const QStringList& Items() const { return items; }
    void SetItems(const QStringList& value);
    // Stored and read back; it changes nothing.
    bool AutoSize() const { return autoSize; }
    void SetAutoSize(bool value) { autoSize = value; }
    TAlignment Alignment() const { return alignment; }
    void SetAlignment(TAlignment value);
    bool WordWrap() const { return wordWrap; }
    void SetWordWrap(bool value);

    // --- run-time state ---------------------------------------------------------
    // The lines after wrapping; current only while WordWrap is on.
    const QStringList& WrappedLines() const { return wrappedLines; }
    // Font at the object's zoom (point size × zoom, truncated, when the zoom
    // is not 1).
    QFont DrawFont() const;
    // Height of one line: the height of "XXX" in the zoomed font.
    int LineHeight() const;
    // The lines drawn, placeholder included.
    QStringList DrawnLines() const;
    // Left edge of a line of width tw under the current alignment.
    int LineX(int tw) const;

    // Rebuilds WrappedLines from Items at the current width and zoom
    // (nothing while WordWrap is off).
    virtual void WrapLines();
    QStringList MergeTexts() const override { return { items.join(QLatin1Char('\n')) }; }
    // Draws the lines into any painter with the object's top-left at (0, 0).
    void DrawTo(QPainter& canvas) override;
    // Sizes the object to its lines: the width only grows, the height is set
    // exactly (0 when there are no lines).
    void FitToText();
    // The font dialog; on OK the chosen font becomes Font.
    void EditFont();

    // Menu items kept for their check marks; asking builds the menu.
    QAction* AlignmentItem(TAlignment value);

    // --- virtual operations ------------------------------------------------------
    void Paint() override;
    void BoundsChanged() override;
    void UpdateMenuChecks() override;
    void ApplyFont(const TFont& font) override;

protected:
    void BuildContextMenu(QMenu& menu) override;
    void FontChanged() override;
    void NotifyChangedIfLive();

private:
    QStringList items;
    bool autoSize = false;
    TAlignment alignment = taLeftJustify;
    bool wordWrap = false;
    QStringList wrappedLines;
    // `source` broken into the lines that fit the object's width.
    QStringList wrapped(const QStringList& source) const;
    QAction* alignItems[3] = { nullptr, nullptr, nullptr };
};

class TGMultiLineLabel : public TGMultiLineBaseLabel {
    Q_OBJECT
public:
    TGMultiLineLabel();
    bool TakesCardFontName() const override { return true; }

    // The editor dialog; on OK its text becomes Items.
    void EditText();
    void ToggleWordWrap();

    QAction* TextItem();
    QAction* WordWrapItem();

protected:
    void BuildContextMenu(QMenu& menu) override;
    void CaptureMenuState() override;

private:
    QAction* textItem = nullptr;
    QAction* wordWrapItem = nullptr;
    // The "Word Wrap" check mark: set when the menu is built and by the
    // command itself.
    bool wordWrapChecked = false;
};

// Lines of a memo's text as a string list holds them: split at line breaks,
// a break at the very end adds no empty line, no text gives no lines.
QStringList SplitMemoLines(const QString& text);

// Registers TGMultiLineLabel with the stream class registry and the
// multi-line tool with the card panel. Safe to call more than once.
void RegisterMultiLineClasses();

// The multi-line tool: a TGMultiLineLabel in the panel's font placed in r,
// its editor, then fitted to its text.
TGMultiLineLabel* CreateMultiLineLabel(TGBusinessCardPanel32& panel, const TRect& r);

} // namespace bv
