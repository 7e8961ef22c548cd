#pragma once
// The outline and shadow of an effect object's letters, as one value, and the
// dialog panel that edits it. The shadow takes the text labels' directions
// and offsets (ShadowOffsetFor); an outline of width 0 and a shadow of depth
// 0 draw nothing, which is how every effect object starts.
#include "objects/BaseLabel.h"
#include "platform/Colors.h"

#include <QFrame>

class QComboBox;
class QSpinBox;

namespace bv {

class TColorCombo;

struct TEffectOutline {
    TColor Color = clBlack;
    // Pixels at zoom 1.0; 0: no outline.
    int Width = 0;
    bool operator==(const TEffectOutline&) const = default;
};

struct TEffectShadow {
    TColor Color = 8421504; // clGray
    // Pixels at zoom 1.0; 0: no shadow.
    int Depth = 0;
    TShadowDirection Direction = sdDownRight;
    bool operator==(const TEffectShadow&) const = default;
};

struct TEffectStyle {
    TEffectOutline Outline;
    TEffectShadow Shadow;
    // Limits of what is drawn for values no dialog offers (damaged files).
    static constexpr int MaxOutlineWidth = 200;
    static constexpr int MaxShadowDepth = 1000;
    bool HasOutline() const { return Outline.Width > 0; }
    bool HasShadow() const { return Shadow.Depth > 0 && Shadow.Direction != sdNone; }
    // The shadow's offset in pixels at `zoom` (Trunc(depth × zoom)).
    QPoint ShadowOffset(Single zoom) const;
    // The outline's width in pixels at `zoom`, at least 1 when there is one.
    int OutlineWidth(Single zoom) const;
    bool operator==(const TEffectStyle&) const = default;
};

// The "Outline" and "Shadow" rows of an effect object's dialog: colour and
// width of the outline, colour, depth and direction of the shadow. Every
// change the user makes is reported at once.
class TEffectStylePanel : public QFrame {
    Q_OBJECT
public:
    explicit TEffectStylePanel(QWidget* parent = nullptr);

    TEffectStyle Style() const { return style; }
    // Shows a style; reports nothing.
    void SetStyle(const TEffectStyle& value);

    TColorCombo* OutlineColorButton = nullptr;
    QSpinBox* OutlineWidthEdit = nullptr;
    TColorCombo* ShadowColorButton = nullptr;
    QSpinBox* ShadowDepthEdit = nullptr;
    QComboBox* ShadowDirectionBox = nullptr;

signals:
    void StyleChanged(const bv::TEffectStyle& style);

private:
    void changed();

    TEffectStyle style;
    bool showing = false;
};

// The directions as the panel lists them, in TShadowDirection order.
const QStringList& ShadowDirectionCaptions();

} // namespace bv
