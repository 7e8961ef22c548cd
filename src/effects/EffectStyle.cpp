#include "effects/EffectStyle.h"

#include "objects/ColorCombo.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <algorithm>

namespace bv {

QPoint TEffectStyle::ShadowOffset(Single zoom) const
{
    if (!HasShadow())
        return {};
    const int depth = std::clamp(Shadow.Depth, 0, MaxShadowDepth);
    const int zoomed = zoom == 1.0f ? depth : static_cast<int>(Trunc(static_cast<Extended>(depth) * zoom));
    return ShadowOffsetFor(Shadow.Direction, zoomed);
}

int TEffectStyle::OutlineWidth(Single zoom) const
{
    if (!HasOutline())
        return 0;
    const int width = std::clamp(Outline.Width, 0, MaxOutlineWidth);
    const int zoomed = zoom == 1.0f ? width : static_cast<int>(Trunc(static_cast<Extended>(width) * zoom));
    return std::max(1, zoomed);
}

const QStringList& ShadowDirectionCaptions()
{
    static const QStringList captions = { QStringLiteral("None"), QStringLiteral("Right"), QStringLiteral("Left"),
        QStringLiteral("Down and right"), QStringLiteral("Down and left"), QStringLiteral("Down") };
    return captions;
}

TEffectStylePanel::TEffectStylePanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("EffectStylePanel"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Outline"), this), 0, 0);
    OutlineColorButton = new TColorCombo(this);
    OutlineColorButton->setObjectName(QStringLiteral("OutlineColorButton"));
    OutlineColorButton->setWhatsThis(QStringLiteral("Click here to set the color of the outline"));
    grid->addWidget(OutlineColorButton, 0, 1);
    OutlineWidthEdit = new QSpinBox(this);
    OutlineWidthEdit->setObjectName(QStringLiteral("OutlineWidthEdit"));
    OutlineWidthEdit->setRange(0, 20);
    OutlineWidthEdit->setSpecialValueText(QStringLiteral("None"));
    OutlineWidthEdit->setWhatsThis(QStringLiteral("Set the width of the outline around the letters"));
    grid->addWidget(OutlineWidthEdit, 0, 2);

    grid->addWidget(new QLabel(QStringLiteral("Shadow"), this), 1, 0);
    ShadowColorButton = new TColorCombo(this);
    ShadowColorButton->setObjectName(QStringLiteral("ShadowColorButton"));
    ShadowColorButton->setWhatsThis(QStringLiteral("Click here to set the color of the shadow"));
    grid->addWidget(ShadowColorButton, 1, 1);
    ShadowDepthEdit = new QSpinBox(this);
    ShadowDepthEdit->setObjectName(QStringLiteral("ShadowDepthEdit"));
    ShadowDepthEdit->setRange(0, 50);
    ShadowDepthEdit->setSpecialValueText(QStringLiteral("None"));
    ShadowDepthEdit->setWhatsThis(QStringLiteral("Set how far the shadow falls from the letters"));
    grid->addWidget(ShadowDepthEdit, 1, 2);
    ShadowDirectionBox = new QComboBox(this);
    ShadowDirectionBox->setObjectName(QStringLiteral("ShadowDirectionBox"));
    ShadowDirectionBox->addItems(ShadowDirectionCaptions());
    ShadowDirectionBox->setWhatsThis(QStringLiteral("Choose where the shadow falls"));
    grid->addWidget(ShadowDirectionBox, 1, 3);

    connect(OutlineColorButton, &TColorCombo::ColorChosen, this, [this](TColor c) {
        style.Outline.Color = c;
        changed();
    });
    connect(OutlineWidthEdit, &QSpinBox::valueChanged, this, [this](int v) {
        style.Outline.Width = v;
        changed();
    });
    connect(ShadowColorButton, &TColorCombo::ColorChosen, this, [this](TColor c) {
        style.Shadow.Color = c;
        changed();
    });
    connect(ShadowDepthEdit, &QSpinBox::valueChanged, this, [this](int v) {
        style.Shadow.Depth = v;
        changed();
    });
    connect(ShadowDirectionBox, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0)
            return;
        style.Shadow.Direction = TShadowDirection(i);
        changed();
    });
    SetStyle(TEffectStyle());
}

void TEffectStylePanel::SetStyle(const TEffectStyle& value)
{
    style = value;
    showing = true;
    OutlineColorButton->SetColor(style.Outline.Color);
    OutlineWidthEdit->setValue(std::clamp(style.Outline.Width, 0, OutlineWidthEdit->maximum()));
    ShadowColorButton->SetColor(style.Shadow.Color);
    ShadowDepthEdit->setValue(std::clamp(style.Shadow.Depth, 0, ShadowDepthEdit->maximum()));
    ShadowDirectionBox->setCurrentIndex(std::clamp(int(style.Shadow.Direction), 0, int(sdDown)));
    showing = false;
    // Values beyond what the panel offers (a damaged file) stay as they were.
    style = value;
}

void TEffectStylePanel::changed()
{
    if (!showing)
        emit StyleChanged(style);
}

} // namespace bv
