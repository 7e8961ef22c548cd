#pragma once
// CircleText: one line of text laid letter by letter along an arc of a
// quarter, half, three-quarter or full circle inside the object's box. Each
// letter can be turned to follow the circle (its baseline tangent, its top
// away from the centre) and, when turned, the whole text can be mirrored so
// that it reads along the inside of the arc.
#include "effects/EffectStyle.h"
#include "effects/EffectTextControl.h"

#include <QList>

class QAction;
class QFontMetrics;

namespace bv {

enum TDegrees { dg90, dg180, dg270, dg360 };
const QStringList& DegreesNames();

// Where one letter goes: its reference point (the middle of the bottom
// edge of its cell) and its turn in tenths of a degree, counter-clockwise.
struct TCircleLetter {
    QChar Letter;
    int X = 0;
    int Y = 0;
    int Escapement = 0;
    // The point lies inside the box; letters outside it are not drawn.
    bool Inside = false;
};

class TGPCircleText : public TGEffectTextControl {
    Q_OBJECT
public:
    TGPCircleText();

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    TDegrees StartingVector() const { return startingVector; }
    void SetStartingVector(TDegrees value);
    TDegrees Degrees() const { return degrees; }
    void SetDegrees(TDegrees value);
    bool Mirror() const { return mirror; }
    void SetMirror(bool value);
    bool DrawLettersAngled() const { return drawLettersAngled; }
    void SetDrawLettersAngled(bool value);
    // The letters' outline and shadow. Stored only when set, after every
    // older property, so designs without them keep their bytes.
    const TEffectStyle& Style() const { return style; }
    void SetStyle(const TEffectStyle& value);

    // Where the letters of the caption go with the given font metrics (the
    // font at the object's zoom).
    QList<TCircleLetter> LetterPlacements(const QFontMetrics& metrics) const;
    // Background and letters on any painter, the object's top-left corner
    // at (0, 0), in its pixel size at the current zoom. Printing runs it
    // through the page engine (the base's PrintTo), so letters stay vector
    // text on paper.
    void DrawTo(QPainter& canvas) override;
    void DrawCircleText(QPainter& canvas) { DrawTo(canvas); }

    // Copies the settings of another CircleText (the properties dialog and
    // its sample use it in both directions).
    void CopyCircleSettings(const TGPCircleText& other);
    // Makes the object a square large enough for every letter of the
    // caption to stand inside it, apart from its neighbours (as the tool
    // leaves a new one); never larger than `mostSide`.
    void FitToCaption(int mostSide);

    void BoundsChanged() override;
    void ApplyFont(const TFont& font) override;

    // Menu commands.
    // The properties dialog on this object; true when it was accepted.
    bool EditProperties() override;


protected:
    void FontChanged() override;

private:
    TDegrees startingVector = dg180;
    TDegrees degrees = dg360;
    bool mirror = false;
    bool drawLettersAngled = true;
    TEffectStyle style;

};

// Registers TGPCircleText and TGSuperText with the stream reader and their
// drawing tools with the card panel. Safe to call more than once.
void RegisterEffectTextClasses();

} // namespace bv
