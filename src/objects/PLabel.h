#pragma once
// The editable text label: the text engine plus the "Text" prompt, the
// "Rotation" submenu and growing to fit after a font change.
#include "objects/BaseLabel.h"

namespace bv {

class TGPLabel : public TGBaseLabel {
    Q_OBJECT
public:
    // Tag of the "Text" menu item.
    static constexpr int TextItemTag = 1000;

    TGPLabel();

    // Grows to the caption after the font dialog, whatever its result.
    void EditFont() override;
    // The "Text" prompt; on OK the text becomes Caption and the label grows.
    virtual void EditText();

    // The "Text" item; asking builds the menu.
    QAction* TextItem();

protected:
    void BuildContextMenu(QMenu& menu) override;

private:
    QAction* textItem = nullptr;
};

} // namespace bv
