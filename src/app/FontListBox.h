#pragma once
// The list of installed outline fonts drawn by the program: one row per font
// family, twice the list's font size in points high, a small two-T glyph and
// the family name. Used by "Change all fonts to..." and the template chooser.
#include <QImage>
#include <QListWidget>
#include <functional>

namespace bv {

class TFontListBoxx : public QListWidget {
    Q_OBJECT
public:
    explicit TFontListBoxx(QWidget* parent = nullptr);

    // Clears the rows, adds the installed outline font families (sorted) and
    // selects the first row when there is one.
    void Fill();
    // The row texts `Fill` makes of a font list: the families for which
    // `isOutline` holds, or all of them when none does; face names are at
    // most 31 characters; sorted without regard to letter case.
    static QStringList RowsFor(const QStringList& families, const std::function<bool(const QString&)>& isOutline);
    // The selected row's face name; empty when nothing is selected.
    QString SelectedFont() const;

    // The 12 x 12 glyph on a background of `background`: a grey and a black T.
    static QImage Glyph(const QColor& background);
    // Row height in pixels: twice the list's font size in points.
    int RowHeight() const;

private:
    class RowDelegate;
};

} // namespace bv
