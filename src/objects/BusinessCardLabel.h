#pragma once
// The text label the card panel's text tool creates: a TGPLabel whose text
// can be taken from the user's personal information, through a submenu of
// the context menu and through its own text prompt.
#include "objects/PLabel.h"

namespace bv {

class TDesignModel;
class TGBusinessCardPanel32;

class TGBusinessCardLabel : public TGPLabel {
    Q_OBJECT
public:
    TGBusinessCardLabel();
    bool TakesCardFontName() const override { return true; }

    // The text-or-personal-information prompt.
    void EditText() override;
    // Rebuilds the "Personal Information" submenu from the design's current
    // record, then sets the check marks.
    void UpdateMenuChecks() override;
    // Sets Caption to what follows the first tab of a submenu item's caption.
    void ChoosePersonalInfo(const QString& itemCaption);

    // The "Personal Information" submenu, or nullptr when the label was in
    // no design at load completion. Asking builds the menu.
    QMenu* PersonalInfoMenu();

protected:
    void BuildContextMenu(QMenu& menu) override;
    void CaptureMenuState() override;

private:
    TDesignModel* design() const;
    void rebuildPersonalInfoMenu();

    QMenu* personalInfoMenu = nullptr;
    // The label was in a design at load completion: its menu gets the
    // "Personal Information" submenu.
    bool personalInfoDue = false;
};

// Registers TGPLabel and TGBusinessCardLabel with the stream class registry
// and the text tool with the card panel. Safe to call more than once.
void RegisterLabelClasses();

// The text tool: a TGBusinessCardLabel captioned "Text" in the panel's font,
// placed in r, its text prompt, then grown to the caption.
TGBusinessCardLabel* CreateTextLabel(TGBusinessCardPanel32& panel, const TRect& r);

} // namespace bv
