#pragma once
// The single-line text engine shared by every text label of the card: one
// caption in one font, turned by a quarter turn if wanted, with an optional
// 3-D look made of two offset copies of the text (a shadow and a highlight)
// behind it, an optional background fill and an optional one-pixel border.
//
// The layout (where each copy goes and which rectangle clips it) is computed
// lazily and cached: every change that can move the text marks it dirty, and
// the next drawing recomputes it. Computing it may adjust Width and Height so
// that the object stays between the text's extent and 1.2 times it.
#include "surface/GraphicControl.h"

#include <QFont>
#include <QPoint>

class QAction;
class QMenu;

namespace bv {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum THighlightDirection { hdNone, hdright, hdLeft, hdUpRight, hdUpLeft, hdUp };
enum TShadowDirection { sdNone, sdRight, sdLeft, sdDownRight, sdDownLeft, sdDown };
enum TBorderStyle { bsNone, bsSingle };

const QStringList& AlignmentNames();
const QStringList& HighlightDirectionNames();
const QStringList& ShadowDirectionNames();
const QStringList& BorderStyleNames();

// Offsets (dx, dy) of an effect copy in the text's own frame.
QPoint ShadowOffsetFor(TShadowDirection direction, int depth);
QPoint HighlightOffsetFor(THighlightDirection direction, int depth);

class TGBaseLabel : public TGGraphicControl {
    Q_OBJECT
public:
    TGBaseLabel();
    ~TGBaseLabel() override;

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    // --- published properties ------------------------------------------------
    TAlignment Alignment() const { return alignment; }
    void SetAlignment(TAlignment value);
    int DepthHighlight() const { return depthHighlight; }
    void SetDepthHighlight(int value);
    int DepthShadow() const { return depthShadow; }
    void SetDepthShadow(int value);
    THighlightDirection DirectionHighlight() const { return directionHighlight; }
    void SetDirectionHighlight(THighlightDirection value);
    TShadowDirection DirectionShadow() const { return directionShadow; }
    void SetDirectionShadow(TShadowDirection value);
    TColor colorHighlight() const { return highlightColor; }
    void SetcolorHighlight(TColor value);
    TColor colorShadow() const { return shadowColor; }
    void SetcolorShadow(TColor value);
    int Angle() const { return angle; }
    // Only 0, 90, 180 and 270 are taken; see the .cpp for the swap.
    void SetAngle(int value);
    const QString& Caption() const { return caption; }
    void SetCaption(const QString& value);
    bool Transparent() const { return transparent; }
    void SetTransparent(bool value);
    TColor BackColor() const { return backColor; }
    void SetBackColor(TColor value);
    TBorderStyle BorderStyle() const { return borderStyle; }
    void SetBorderStyle(TBorderStyle value);

    // --- run-time state ---------------------------------------------------------
    QPoint ShadowOffset() const { return shadowOffset; }
    QPoint HighlightOffset() const { return highlightOffset; }
    bool LayoutDirty() const { return layoutDirty; }
    void SetLayoutDirty() { layoutDirty = true; }
    QPoint Margin() const { return margin; }
    const TRect& TextRect() const { return textRect; }
    const TRect& ShadowRect() const { return shadowRect; }
    const TRect& HighlightRect() const { return highlightRect; }
    QPoint TextOrigin() const { return textOrigin; }
    QPoint ShadowOrigin() const { return shadowOrigin; }
    QPoint HighlightOrigin() const { return highlightOrigin; }

    // The font text is measured and drawn with: Font at the object's zoom,
    // the point size multiplied by the zoom and truncated when the zoom is not
    // exactly 1. A label whose stored font is drawn with another (symbols of
    // the Windows symbol fonts) answers the font that draws.
    virtual QFont DrawFont() const;
    // The text that is measured and drawn: Caption, or what stands for it.
    virtual QString DisplayedCaption() const { return caption; }
    // What the card shows for the record it is drawn with: the caption with
    // its merge fields filled in (a personal-information text stands for
    // its field). A caption the merge leaves blank shows "<blank>" on the
    // panel, so the label can still be found, and nothing on paper.
    virtual QString ShownCaption() const;
    QStringList MergeTexts() const override { return { caption }; }
    // Font.Height at the object's zoom (negative: character height).
    int ZoomedFontHeight() const;

    // Recomputes the layout when it is dirty (or the font or zoom changed
    // since it was computed); may change Width and Height.
    void CalcTextLayout();
    // Draws the label into any painter with its top-left corner at (0, 0).
    void DrawTo(QPainter& canvas) override;
    // Enlarges the object so that the caption fits (angle 0 only).
    void GrowToCaption();

    // --- virtual operations ------------------------------------------------------
    void Loaded() override;
    void Paint() override;
    void BoundsChanged() override;
    void UpdateMenuChecks() override;
    void ApplyFont(const TFont& font) override;
    // The font dialog; on OK the chosen font becomes Font.
    virtual void EditFont();

    // Menu actions of the label's own items.
    void ToggleTransparent();
    void ChooseBackgroundColor();
    void ToggleBorder();
    void Edit3DEffects();

    // Menu items the label keeps to set their check marks; asking for one
    // builds the menu.
    QAction* BorderItem();
    QAction* TransparentItem();
    QAction* AlignmentItem(TAlignment value);
    bool HasRotationMenu();

protected:
    void BuildContextMenu(QMenu& menu) override;
    void CaptureMenuState() override;
    void FontChanged() override;
    // Rotation submenu of the text labels that offer it.
    void AddRotationMenu(QMenu& menu);
    // NotifyChanged, except while the object is being loaded or read (a
    // design being opened is not a change).
    void NotifyChangedIfLive();

private:
    void recomputeShadowOffset();
    void recomputeHighlightOffset();
    void updateTransparentCheck();
    bool layoutIsCurrent() const;

    // Published.
    TAlignment alignment = taLeftJustify;
    int depthHighlight = 0;
    int depthShadow = 0;
    THighlightDirection directionHighlight = hdUpLeft;
    TShadowDirection directionShadow = sdDownRight;
    TColor highlightColor = 0xFFFF00;
    TColor shadowColor = 0x808080;
    int angle = 0;
    QString caption = QStringLiteral("Text");
    bool transparent = true;
    TColor backColor = clWhite;
    TBorderStyle borderStyle = bsNone;

    // Layout.
    QPoint shadowOffset;
    QPoint highlightOffset;
    bool layoutDirty = true;
    QPoint margin;
    TRect textRect;
    TRect shadowRect;
    TRect highlightRect;
    QPoint textOrigin;
    QPoint shadowOrigin;
    QPoint highlightOrigin;
    // What the cached layout was computed with.
    TFont layoutFont;
    Single layoutZoom = 0;
    QString layoutShown;
    QFont drawFont;
    int drawAscent = 0;

    // Menu.
    QAction* borderItem = nullptr;
    QAction* transparentItem = nullptr;
    QAction* alignItems[3] = { nullptr, nullptr, nullptr };
    QAction* rotationItems[4] = { nullptr, nullptr, nullptr, nullptr };
    bool hasRotationMenu = false;
    // The "Transparent" check mark: set at load completion and by the menu's
    // own commands, not when the menu pops up. Kept while the menu does not
    // exist yet.
    bool transparentChecked = false;
};

} // namespace bv
