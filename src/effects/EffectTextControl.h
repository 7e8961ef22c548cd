#pragma once
// What the effect-text objects (SuperText, CircleText) have in common: the
// caption, the border, the transparent or coloured background, their four
// stream properties, and the context menu with Font, Transparent, Background
// Color, Border and Properties.
#include "objects/BaseLabel.h" // TBorderStyle and its names
#include "surface/GraphicControl.h"

#include <vector>

class QAction;

namespace bv {

class TGEffectTextControl : public TGGraphicControl {
    Q_OBJECT
public:
    TBorderStyle BorderStyle() const { return borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool ControlTransparent() const { return controlTransparent; }
    void SetControlTransparent(bool value);
    TColor BGColor() const { return bgColor; }
    void SetBGColor(TColor value);
    const QString& Caption() const { return caption; }
    void SetCaption(const QString& value);
    // The caption with the merge fields of the record the card shows filled
    // in, on one line; "<blank>" on the panel (nothing on paper) when the
    // record leaves it empty.
    QString ShownCaption() const;
    QStringList MergeTexts() const override { return { caption }; }

    // Menu commands.
    void ChooseFont();
    void ToggleTransparent();
    void ChooseBackgroundColor();
    void ToggleBorder();
    // The kind's properties dialog; true when its settings were taken.
    virtual bool EditProperties() = 0;

    // Draws the object on its canvas with its selection squares; a paint
    // that asks for another paint of the same object is not repeated.
    void Paint() override;
    void UpdateMenuChecks() override;
    // The checkable menu entries (the menu is built on first use).
    QAction* BorderItem();
    QAction* TransparentItem();

protected:
    explicit TGEffectTextControl(const QString& defaultCaption);
    void BuildContextMenu(QMenu& menu) override;
    // Called after the Font command set a new font.
    virtual void FontChosen() {}
    // BorderStyle, ControlTransparent, BGColor and Caption, in the order both
    // kinds stream them, for the subclass's property table.
    static std::vector<PropertyInfo> SharedProperties();

    TBorderStyle borderStyle = bsNone;
    bool controlTransparent = true;
    TColor bgColor = clWhite;
    QString caption;
    // Set while painting (and while a dialog copies settings in), so that
    // changes made meanwhile do not paint again.
    bool painting = false;

private:
    QAction* borderItem = nullptr;
    QAction* transparentItem = nullptr;
};

} // namespace bv
