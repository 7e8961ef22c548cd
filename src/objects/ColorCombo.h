#pragma once
// A drop-down list of colours: the sixteen named colours of the design file
// with a swatch each, and "Other..." which opens the colour dialog. A colour
// that is not in the list (from a file or the dialog) is shown as an extra
// entry at the end.
#include "platform/Colors.h"

#include <QComboBox>

namespace bv {

class TColorCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TColorCombo(QWidget* parent = nullptr);

    TColor Color() const { return current; }
    // Selects the entry of the colour (adding the extra entry when needed);
    // emits nothing.
    void SetColor(TColor value);

signals:
    // The user chose a colour (from the list or the colour dialog).
    void ColorChosen(bv::TColor color);

private:
    void entryActivated(int index);
    int otherIndex() const;

    TColor current = clBlack;
};

} // namespace bv
