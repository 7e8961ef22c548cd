#include "document/CardLayout.h"

#include "platform/LayoutLimits.h"

#include <QRegularExpression>
#include <QStringList>
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
    layout.Paper.clear();
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
    // A sheet name from a file that gives no usable size is dropped: the
    // paper code's sheet is printed instead.
    if (!l.Paper.isEmpty()) {
        const auto sheet = MediaNameInches(l.Paper.left(200));
        const double hi = StoredToLayoutLength(MaxLength);
        if (!sheet || sheet->width() < 1 || sheet->height() < 1 || sheet->width() > hi || sheet->height() > hi)
            l.Paper.clear();
    }
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

namespace bv {

std::optional<QSizeF> MediaNameInches(const QString& name)
{
    // class_name_WxHunit: the size is the last part.
    static const QRegularExpression form(
        QStringLiteral("^[a-z0-9]+_[A-Za-z0-9.\\-]+_([0-9]+(?:\\.[0-9]+)?)x([0-9]+(?:\\.[0-9]+)?)(mm|in)$"));
    const QRegularExpressionMatch m = form.match(name);
    if (!m.hasMatch())
        return std::nullopt;
    const double per = m.captured(3) == QLatin1String("mm") ? 1 / 25.4 : 1.0;
    const QSizeF size(m.captured(1).toDouble() * per, m.captured(2).toDouble() * per);
    if (!(size.width() > 0 && size.height() > 0))
        return std::nullopt;
    return size;
}

QSizeF LayoutPaperInches(const TCardLayout& layout)
{
    if (const auto sheet = MediaNameInches(layout.Paper))
        return *sheet;
    return PaperSizeInches(layout.Papersize);
}

QString LayoutPaperCaption(const TCardLayout& layout)
{
    const auto sheet = MediaNameInches(layout.Paper);
    if (!sheet)
        return layout.Papersize == PaperA4 ? QStringLiteral("A4") : QStringLiteral("Letter");
    // "iso_b4_250x353mm": B4 (250 x 353 mm); "custom_..._4x6in": 4 x 6 in.
    const QStringList parts = layout.Paper.split(QLatin1Char('_'));
    QString size = parts.last();
    size.replace(QLatin1Char('x'), QStringLiteral(" x "));
    size.replace(QRegularExpression(QStringLiteral("(mm|in)$")), QStringLiteral(" \\1"));
    const QString kind = parts.first() == QLatin1String("custom") ? QString() : parts.at(1);
    if (kind.isEmpty())
        return size;
    return QStringLiteral("%1 (%2)").arg(kind.size() <= 3 ? kind.toUpper() : kind, size);
}

void SetEnginePaper(TPageEngine& engine, const TCardLayout& layout)
{
    if (const auto sheet = MediaNameInches(layout.Paper))
        engine.SetPaperSheet(layout.Papersize, *sheet, layout.Paper);
    else
        engine.SetPaper(layout.Papersize);
}

} // namespace bv
