#pragma once
// The symbol object: one character of a symbol font (a telephone, an
// envelope, a pointing hand) shown as a graphic. It is a text label whose
// caption is that one character and whose size always follows the glyph;
// character and font are chosen in the symbol selector.
//
// The font name and the character stay exactly as stored; characters of the
// Windows symbol fonts are drawn through the symbol font map.
#include "objects/BaseLabel.h"

namespace bv {

class TGBusinessCardPanel32;

class TGSymbolLabel : public TGBaseLabel {
    Q_OBJECT
public:
    TGSymbolLabel();

    // The font that draws the stored font (the map's display font for the
    // Windows symbol fonts) and the character that stands for the caption.
    QFont DrawFont() const override;
    QString DisplayedCaption() const override;
    // A symbol is one character of its font: it holds no merge fields.
    QString ShownCaption() const override { return DisplayedCaption(); }
    QStringList MergeTexts() const override { return {}; }

    void Loaded() override;
    // Snaps the size back to the glyph: 110 % of it plus the effect margin.
    void BoundsChanged() override;
    // A symbol keeps its font when fonts are set for many objects at once.
    void ApplyFont(const TFont& font) override;

    // The "Symbol Selector" command.
    void ChooseSymbol();

    // Marks an object made for the stream reader: its load completion keeps
    // the stored size (see Loaded).
    void SetMadeForReading(bool value) { madeForReading = value; }

protected:
    void BuildContextMenu(QMenu& menu) override;

private:
    bool followsGlyph() const;
    QAction* selectorItem = nullptr;
    bool madeForReading = false;
    // Set while the symbol fits itself to its glyph: the size it sets runs
    // the label's own size rule, which must not start another fit.
    bool fittingGlyph = false;
};

// Registers TGSymbolLabel with the stream class registry and the symbol tool
// with the card panel. Safe to call more than once.
void RegisterSymbolClasses();

// The symbol tool: a TGSymbolLabel placed in r, the selector, then grown to
// the caption.
TGSymbolLabel* CreateSymbolLabel(TGBusinessCardPanel32& panel, const TRect& r);

} // namespace bv
