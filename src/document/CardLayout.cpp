#include "document/CardLayout.h"

#include "platform/LayoutLimits.h"

#include <algorithm>
#include <cmath>

namespace bv {

const std::array<TPredefinedLayout, PredefinedLayoutCount>& PredefinedLayoutTable()
{
    static const std::array<TPredefinedLayout, PredefinedLayoutCount> table = {{
        {"Avery Business Card 5371 (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card 5372 (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card 5376 - Ivory (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card 5377 - Gray (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card 5911 (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card 8371 Ink Jet (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card 8372 Ink Jet (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card 8376 Ink Jet - Ivory (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card 8377 Ink Jet - Gray (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"Avery Business Card L7413 (A4 Size Paper)", 2.0f, 3.543f, 5, 0.846f, 0.591f, 3.543f, 2.0f, 9},
        {"Avery Business Card L7414 (A4 Size Paper)", 2.047f, 3.543f, 5, 0.728f, 0.591f, 3.543f, 2.047f, 9},
        {"Avery Business Card L7415 (A4 Size Paper)", 2.047f, 3.543f, 5, 0.728f, 0.591f, 3.543f, 2.047f, 9},
        {"Avery Business Card L7417 (A4 Size Paper)", 2.126f, 3.543f, 5, 0.531f, 0.591f, 3.543f, 2.126f, 9},
        {"Avery Business Card L7419 (A4)", 2.126f, 3.543f, 5, 0.531f, 0.591f, 3.543f, 2.126f, 9},
        {"Avery Business Card 8373 - Glossy Photo Quality (Letter Size Paper)", 2.0f, 3.5f, 4, 0.75f, 0.55f, 4.0f, 2.496f, 1},
        {"Avery Business Card 3612 (Letter Size Paper)", 2.0f, 3.5f, 4, 0.75f, 0.55f, 4.0f, 2.496f, 1},
        {"MAACO ML-8550 (Letter Size Paper)", 2.0f, 3.5f, 5, 0.5f, 0.75f, 3.5f, 2.0f, 1},
        {"APLI 1612 (A4 Size Paper)", 2.0f, 3.54f, 5, 0.85f, 0.59f, 3.54f, 2.0f, 9},
        {"APLI 1620 (A4 Size Paper)", 2.01f, 3.5f, 5, 0.85f, 0.63f, 3.5f, 2.01f, 9},
        {"Formtec LS-3510 (A4 Size Paper)", 1.77f, 3.48f, 5, 0.83f, 0.49f, 3.88f, 2.04f, 9},
        {"Herma 8840 (A4 Size Paper)", 2.0f, 3.3f, 5, 0.85f, 0.73f, 3.5f, 2.0f, 9},
    }};
    return table;
}

bool ApplyPredefinedLayout(TCardLayout& layout, int index)
{
    if (index < 0 || index >= PredefinedLayoutCount)
        return false;
    const TPredefinedLayout& p = PredefinedLayoutTable()[static_cast<std::size_t>(index)];
    layout.Height = p.Height;
    layout.Width = p.Width;
    layout.Across = 2;
    layout.Down = p.Down;
    layout.TopMargin = p.TopMargin;
    layout.LeftMargin = p.LeftMargin;
    layout.HPitch = p.HPitch;
    layout.VPitch = p.VPitch;
    layout.Papersize = p.Papersize;
    return true;
}

void ClampToLayoutLimits(TCardLayout& l)
{
    using namespace layoutlimits;
    auto length = [](Single& v, int minStored) {
        const Single lo = StoredToLayoutLength(minStored);
        const Single hi = StoredToLayoutLength(MaxLength);
        v = std::isnan(v) ? lo : std::clamp(v, lo, hi);
    };
    length(l.Height, MinCardHeight);
    length(l.Width, MinCardWidth);
    length(l.TopMargin, 0);
    length(l.LeftMargin, 0);
    length(l.HPitch, 0);
    length(l.VPitch, 0);
    l.Across = std::clamp(l.Across, MinAcross, MaxAcross);
    l.Down = std::clamp(l.Down, MinDown, MaxDown);
    const Single half = std::min(l.Width, l.Height) / 2;
    l.CornerRadius = std::isnan(l.CornerRadius) ? 0.0f : std::clamp(l.CornerRadius, 0.0f, half);
    l.Stock = l.Stock.left(200);
}

int LayoutLengthToStored(Single inches)
{
    return static_cast<int>(Round(static_cast<Extended>(inches) * 1000));
}

Single StoredToLayoutLength(int thousandths)
{
    return ToSingle(static_cast<Extended>(thousandths) * 0.001L);
}

QSizeF PaperSizeInches(int papersize)
{
    if (papersize == PaperA4)
        return {8.268, 11.69};
    return {8.5, 11.0};
}

} // namespace bv
