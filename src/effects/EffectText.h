#pragma once
// Pieces shared by the effect-text objects (SuperText, CircleText) and their
// dialogs: the zoomed letter font, a white sample area that paints one design
// object at (0, 0), and the up/down arrow pair that steps a font size by 5.
#include "platform/Numeric.h"
#include "surface/Drawing.h"

#include <QFont>
#include <QFrame>
#include <QWidget>
#include <optional>

class QToolButton;

namespace bv {

class TGGraphicControl;

// The font an effect object draws with at `zoom`: the point size times the
// zoom, truncated, when the zoom is not exactly 1.
// Windows symbol fonts ("Wingdings", ...) become the font that draws their
// pictures.
QFont EffectFont(const TFont& font, Single zoom);
// The characters drawn for a stored text in `font`: a symbol font's codes
// become the pictures' characters; other fonts draw the text as it is.
QString ShownText(const TFont& font, const QString& stored);

// The Font command of the effect objects and their dialogs: the font dialog
// opened on `current` at its point size; the chosen font (keeping the colour
// and the rest of `current`), or nothing when cancelled.
std::optional<TFont> ChooseEffectFont(const TFont& current);

// The font-size step of the dialogs' arrow buttons: up below 150 adds 5,
// down above 10 takes 5 away; otherwise the size stays.
int SteppedFontSize(int size, bool up);

// Paints a design object with its top-left corner at (0, 0) and keeps its
// own size at the object's size, so that a scroll area around it scrolls
// over the whole object.
class TEffectSample : public QWidget {
    Q_OBJECT
public:
    explicit TEffectSample(QWidget* parent = nullptr);
    void SetSample(TGGraphicControl* object);
    // Follows the object's current size and repaints.
    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TGGraphicControl* sample = nullptr;
};

// Two arrow buttons, up over down, reporting which one was pressed.
class TUpDownButtons : public QFrame {
    Q_OBJECT
public:
    explicit TUpDownButtons(QWidget* parent = nullptr);
    QToolButton* UpButton() const { return up; }
    QToolButton* DownButton() const { return down; }

signals:
    void Stepped(bool up);

private:
    QToolButton* up = nullptr;
    QToolButton* down = nullptr;
};

} // namespace bv
