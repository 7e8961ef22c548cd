#pragma once
// The symbol selector: a grid of the characters 32 to 255 of a symbol font,
// drawn in that font, with a button that shows the font and opens the font
// dialog. Fonts of designs made on Windows ("Wingdings", "Symbol", ...) are
// drawn through the symbol font map; codes that show nothing in a font leave
// their cell empty.
#include "surface/Drawing.h"

#include <QDialog>
#include <QListWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace bv {

// Columns of the grid for the list font's size in points.
int SymbolColumnsFor(int points);
// The font button's caption for a list font: name, ", ", size, "pt ", then
// "Italic " or else "Bold " when the style has it.
QString SymbolFontButtonCaption(const TFont& listFont);

// The grid: one item per code 32..255 (item i is code i + 32), cells 30
// pixels high, the columns sharing the width.
class TSymbolListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TSymbolListBox(QWidget* parent = nullptr);

    int Columns() const { return columns; }
    void SetColumns(int value);
    // The font the characters are drawn in (name, size, colour and style).
    const TFont& ListFont() const { return listFont; }
    void SetListFont(const TFont& font);
    // The Unicode character a cell shows, 0 for an empty cell.
    char32_t ShownCharacter(int index) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateGrid();
    int columns = 8;
    TFont listFont;
};

class TGetSymbol : public QDialog {
    Q_OBJECT
public:
    explicit TGetSymbol(QWidget* parent = nullptr);

    void reject() override;

    // The font chosen for the symbol, size included (kept by SelectedChar).
    const TFont& SelectedFont() const { return selectedFont; }
    void SetSelectedFont(const TFont& font);
    // The list takes the name and style of `font`, keeping its own size and
    // colour.
    void SetListFontNameAndStyle(const TFont& font);
    // The character code chosen is SelectedIndex() + 32; -1 when none.
    int SelectedIndex() const;
    void SetSelectedIndex(int index);

    // What showing the dialog does: the column count from the list font's
    // size, then the font button's caption.
    void Activate();
    void UpdateFontButton();
    // The font button: the font dialog on SelectedChar's font.
    void ChooseFont();
    // The font list: another symbol font for the symbol and the grid.
    void ChooseFamily(const QString& family);

    QWidget* TopPanel = nullptr;
    QLabel* FontLabel = nullptr;
    QComboBox* FontNameCombo = nullptr;
    QPushButton* Fontbutton = nullptr;
    QLabel* SelectedChar = nullptr;
    TSymbolListBox* SymbolList = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void syncFamilyCombo();
    TFont selectedFont;
};

} // namespace bv
