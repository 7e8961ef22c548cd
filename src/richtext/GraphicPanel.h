#pragma once
// TGraphicPanel: a plain caption panel drawn the classic way: an optional
// black frame, an outer bevel, a border in the panel's colour, an inner
// bevel, the fill and a caption centred vertically and placed after
// Alignment. The rich text editor shows one beside its zoom buttons.
#include "objects/BaseLabel.h"
#include "platform/Colors.h"

#include <QWidget>

namespace bv {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TGraphicPanel : public QWidget {
    Q_OBJECT
public:
    explicit TGraphicPanel(QWidget* parent = nullptr);

    TAlignment Alignment() const { return alignment; }
    void SetAlignment(TAlignment value);
    TBevelCut BevelInner() const { return bevelInner; }
    TBevelCut BevelOuter() const { return bevelOuter; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return bevelWidth; }
    int BorderWidth() const { return borderWidth; }
    TBorderStyle BorderStyle() const { return borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TColor Color() const { return color; }
    void SetColor(TColor value);
    bool Locked() const { return locked; }
    void SetLocked(bool value) { locked = value; }
    const QString& Caption() const { return caption; }
    void SetCaption(const QString& value);

    QSize sizeHint() const override { return QSize(185, 41); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setAndRepaint(auto& field, auto value)
    {
        if (field == value)
            return;
        field = value;
        update();
    }

    TAlignment alignment = taCenter;
    TBevelCut bevelInner = bvNone;
    TBevelCut bevelOuter = bvRaised;
    int bevelWidth = 1;
    int borderWidth = 0;
    TBorderStyle borderStyle = bsNone;
    TColor color = clBtnFace;
    bool locked = false;
    QString caption;
};

} // namespace bv
