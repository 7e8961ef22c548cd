#include "richtext/GraphicPanel.h"

#include <QFontMetrics>
#include <QPainter>

namespace bv {

TGraphicPanel::TGraphicPanel(QWidget* parent) : QWidget(parent)
{
    resize(185, 41);
}

void TGraphicPanel::SetAlignment(TAlignment value) { setAndRepaint(alignment, value); }
void TGraphicPanel::SetBevelOuter(TBevelCut value) { setAndRepaint(bevelOuter, value); }
void TGraphicPanel::SetBorderStyle(TBorderStyle value) { setAndRepaint(borderStyle, value); }
void TGraphicPanel::SetColor(TColor value) { setAndRepaint(color, value); }
void TGraphicPanel::SetCaption(const QString& value) { setAndRepaint(caption, value); }

void TGraphicPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    const QColor light = ToQColor(clBtnHighlight);
    const QColor dark = ToQColor(clBtnShadow);
    const QColor face = ToQColor(color);

    // A frame `width` pixels wide: top-left in one colour, bottom-right in
    // the other; the rectangle shrinks by it.
    auto frame3D = [&](const QColor& topLeft, const QColor& bottomRight, int width) {
        for (int k = 0; k < width && r.width() > 1 && r.height() > 1; ++k) {
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
            r.adjust(1, 1, -1, -1);
        }
    };
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvRaised)
            frame3D(light, dark, bevelWidth);
        else if (cut == bvLowered)
            frame3D(dark, light, bevelWidth);
        else if (cut == bvSpace)
            frame3D(face, face, bevelWidth);
    };

    if (borderStyle == bsSingle)
        frame3D(Qt::black, Qt::black, 1);
    bevel(bevelOuter);
    frame3D(face, face, borderWidth);
    bevel(bevelInner);
    p.fillRect(r, face);

    if (caption.isEmpty())
        return;
    p.setFont(font());
    p.setPen(palette().color(QPalette::ButtonText));
    const QFontMetrics fm(font());
    const int h = fm.height(); // the height of a line of "W"
    const QRect box(r.left(), r.top() + (r.height() - h) / 2, r.width(), h);
    int flags = Qt::AlignVCenter | Qt::TextExpandTabs | Qt::TextSingleLine;
    flags |= alignment == taLeftJustify ? Qt::AlignLeft : alignment == taRightJustify ? Qt::AlignRight : Qt::AlignHCenter;
    p.drawText(box, flags, caption);
}

} // namespace bv
